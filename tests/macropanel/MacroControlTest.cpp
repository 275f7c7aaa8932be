// The macro tab over its files: the list and the rows it shows stay in step with the list
// file and the macro files.
#include "support/UiHarness.h"

#include "common/JsonFile.h"
#include "macros/panel/MacroControlUI.h"
#include "macros/panel/MacroEventNames.h"
#include "macros/panel/RedioMacroButtonUI.h"
#include "ui/ControlFactory.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <fstream>

namespace velnor7 {
namespace {

namespace fs = std::filesystem;

class MacroControlTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ui::CControlFactory::Instance().RegistControl("CMacroControlUI", [] { return new CMacroControlUI; });
        ui::CControlFactory::Instance().RegistControl("CRedioMacroButtonUI", [] { return new CRedioMacroButtonUI; });
    }
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        ui::CResourceManager::Instance().SetSkinPath(testing::SourceSkinPath());
        window_.Open();
        panel_ = window_.Find<CMacroControlUI>("MacroControlItem");
        ASSERT_NE(panel_, nullptr);
        panel_->SetUserDataDirectory(Folder());
        panel_->LoadMacroList();
    }
    void TearDown() override { ui::CResourceManager::Instance().Clear(); }

    fs::path Folder() const { return fs::path(folder_.path().toStdString()); }
    Json::Value List() const { return LoadJsonFile((Folder() / "macro.config").string()); }
    ui::CListUI* Names() { return window_.Find<ui::CListUI>("macro_name_list"); }
    ui::CListUI* Actions() { return window_.Find<ui::CListUI>("macro_action_list"); }

    QTemporaryDir folder_;
    testing::TestWindow window_{R"(<Window size="900,500"><VerticalLayout name="root">
        <Include source="XML/CustomControlXML/MacroControl.xml"/></VerticalLayout></Window>)"};
    CMacroControlUI* panel_ = nullptr;
};

TEST_F(MacroControlTest, AnEmptyFolderListsNothingAndLocksTheNameButtons) {
    EXPECT_EQ(Names()->GetCount(), 0);
    EXPECT_FALSE(window_.FindControl("macro_btn_name_sub")->IsEnabled());
    EXPECT_FALSE(window_.FindControl("macro_edit_macroname")->IsEnabled());
    int index = 0;
    EXPECT_EQ(panel_->RenameMacro(index), "");
    EXPECT_EQ(index, -1);
    EXPECT_EQ(panel_->DeleteMacro(), -1);
}

TEST_F(MacroControlTest, AddingNamesTheSmallestFreeNumberSelectsTheMacroAndWritesTheList) {
    EXPECT_EQ(panel_->AddMacro(), "macro_1");
    EXPECT_EQ(panel_->AddMacro(), "macro_2");
    EXPECT_EQ(Names()->GetCurSel(), 1);
    EXPECT_TRUE(window_.FindControl("macro_btn_name_sub")->IsEnabled());
    const Json::Value list = List();
    ASSERT_EQ(list["MacroInfo"].size(), 2u);
    EXPECT_EQ(list["MacroInfo"][1]["MacroName"].asString(), "macro_2");
    EXPECT_EQ(Names()->GetItemAt(1)->GetUserData().toStdString(), list["MacroInfo"][1]["Guid"].asString());
    // No file until the macro is saved.
    EXPECT_FALSE(fs::exists(Folder() / (list["MacroInfo"][1]["Guid"].asString() + ".mac")));

    // Another panel on the same folder sees the same list.
    panel_->LoadMacroList();
    EXPECT_EQ(panel_->MacroNames(), (QStringList{"macro_1", "macro_2"}));
}

TEST_F(MacroControlTest, RenameRefusesAnEmptyOrTakenNameIgnoringCase) {
    panel_->AddMacro();
    panel_->AddMacro();
    auto* edit = window_.Find<ui::CEditUI>("macro_edit_macroname");
    int index = 0;
    EXPECT_EQ(panel_->RenameMacro(index), "IsEmpty");
    edit->SetText("MACRO_1");
    EXPECT_EQ(panel_->RenameMacro(index), "");
    EXPECT_EQ(index, -1);
    edit->SetText("Reload");
    EXPECT_EQ(panel_->RenameMacro(index), "Reload");
    EXPECT_EQ(index, 1);
    EXPECT_EQ(edit->GetText(), "");
    EXPECT_EQ(Names()->GetItemAt(1)->GetText(), "Reload");
    EXPECT_EQ(List()["MacroInfo"][1]["MacroName"].asString(), "Reload");
}

TEST_F(MacroControlTest, RowsShowTheEventsAndSavingTakesTheDelaysFromTheirEdits) {
    panel_->AddMacro();
    panel_->InsertEventRow({kMacroKey, "down", 0x04, 30});
    panel_->InsertEventRow({kMacroKey, "up", 0x04, 40});
    panel_->InsertEventRow({kMacroMouseButton, "down", 0x02, 5});
    ASSERT_EQ(Actions()->GetCount(), 3);
    EXPECT_EQ(Actions()->GetItemAt(0)->GetName(), "macro_action");
    EXPECT_EQ(static_cast<ui::CContainerUI*>(Actions()->GetItemAt(0))->GetItemAt(0)->GetRawText(), "keyboard_key_A");
    EXPECT_EQ(static_cast<ui::CContainerUI*>(Actions()->GetItemAt(2))->GetItemAt(0)->GetRawText(), "mouse_key_right");

    // The user edits a delay (empty counts as 0) and saves.
    auto* secondDelay = ui::CPaintManagerUI::FindSubControlByName(Actions()->GetItemAt(1), "macro_delay");
    secondDelay->SetText("");
    ASSERT_TRUE(panel_->SaveMacro());
    EXPECT_EQ(secondDelay->GetText(), "0");
    const std::string guid = List()["MacroInfo"][0]["Guid"].asString();
    const Json::Value file = LoadJsonFile((Folder() / (guid + ".mac")).string());
    ASSERT_EQ(file["Events"].size(), 3u);
    EXPECT_EQ(file["Events"][0]["Delay"].asString(), "30");
    EXPECT_EQ(file["Events"][1]["Delay"].asString(), "0");
    EXPECT_EQ(file["Version"].asInt(), 64);

    // Loading shows the file again; edits not saved are gone.
    panel_->InsertEventRow({kMacroKey, "down", 0x05, 1});
    panel_->LoadMacroEvents();
    EXPECT_EQ(Actions()->GetCount(), 3);
}

TEST_F(MacroControlTest, DeletingTheSecondOfThreeRenumbersTheThirdAndRemovesTheFile) {
    panel_->AddMacro();
    panel_->AddMacro();
    panel_->AddMacro();
    const std::string third = List()["MacroInfo"][2]["Guid"].asString();
    Names()->SelectItem(1, false);
    panel_->InsertEventRow({kMacroKey, "down", 0x04, 1});
    ASSERT_TRUE(panel_->SaveMacro());
    const std::string second = List()["MacroInfo"][1]["Guid"].asString();
    ASSERT_TRUE(fs::exists(Folder() / (second + ".mac")));

    EXPECT_EQ(panel_->DeleteMacro(), 1);
    EXPECT_FALSE(fs::exists(Folder() / (second + ".mac")));
    EXPECT_EQ(List()["MacroInfo"][1]["Guid"].asString(), third);
    EXPECT_EQ(panel_->MacroNames(), (QStringList{"macro_1", "macro_3"}));
    EXPECT_EQ(Names()->GetCurSel(), 0);
    EXPECT_EQ(Actions()->GetCount(), 0);
}

TEST_F(MacroControlTest, AnImportedMacroIsListedUnderANewNameAndShownAndExportCopiesTheFile) {
    const fs::path source = Folder() / "from_a_friend.mac";
    {
        std::ofstream out(source);
        out << R"({"MacroName":"Combo","Guid":"x","Events":[{"Type":10,"Action":"Down","Button":4,"Delay":"70000"}],"Version":64})";
    }
    panel_->AddMacro();
    ASSERT_TRUE(panel_->ImportMacro(QString::fromStdString(source.string())));
    EXPECT_EQ(panel_->MacroNames(), (QStringList{"macro_1", "macro_2"}));
    EXPECT_EQ(Names()->GetCurSel(), 1);
    ASSERT_EQ(Actions()->GetCount(), 1);
    EXPECT_EQ(ui::CPaintManagerUI::FindSubControlByName(Actions()->GetItemAt(0), "macro_delay")->GetText(), "65535");
    // "Down" is no press.
    EXPECT_EQ(static_cast<ui::CContainerUI*>(Actions()->GetItemAt(0))->GetItemAt(1)->GetRawText(), "macro_action_up");

    const fs::path copy = Folder() / "exported.mac";
    ASSERT_TRUE(panel_->ExportMacro(QString::fromStdString(copy.string())));
    std::ifstream a(source), b(copy);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(a), {}), std::string(std::istreambuf_iterator<char>(b), {}));
    EXPECT_FALSE(panel_->ImportMacro("/no/such/file.mac"));
    EXPECT_EQ(Names()->GetCount(), 2);
}

TEST_F(MacroControlTest, AListFileThatNamesAFileOutsideTheFolderCannotMakeItDeleteThatFile) {
    const fs::path outside = Folder().parent_path() / ("victim_" + Folder().filename().string() + ".mac");
    { std::ofstream(outside) << "{}"; }
    {
        std::ofstream list(Folder() / "macro.config");
        list << R"({"MacroInfo":[{"MacroName":"evil","Guid":"../victim_)" << Folder().filename().string() << R"("}]})";
    }
    panel_->LoadMacroList();
    ASSERT_EQ(Names()->GetCount(), 1);
    Names()->SelectItem(0, false);
    panel_->DeleteMacro();
    EXPECT_TRUE(fs::exists(outside));
    fs::remove(outside);
}

TEST(MacroEventNameTest, KeysModifiersButtonsAndMovesHaveTheirNames) {
    EXPECT_EQ(MacroEventNameId({kMacroKey, "down", 0x04, 0}), "keyboard_key_A");
    EXPECT_EQ(MacroEventNameId({kMacroModifierKey, "down", 0x02, 0}), "keyboard_key_LShift");
    EXPECT_EQ(MacroEventNameId({kMacroMouseButton, "up", 0x10, 0}), "mouse_key_forward");
    EXPECT_EQ(MacroEventNameId({kMacroMouseButton, "up", 0x40, 0}), "mouse_text");
    EXPECT_EQ(MacroEventNameId({kMacroHorizontalMove, "down", 20, 0}), "mouse_move_to_left_text");
    EXPECT_EQ(MacroEventNameId({kMacroVerticalMove, "up", 20, 0}), "mouse_move_to_down_text");
    EXPECT_TRUE(IsMouseEvent({kMacroVerticalMove, "up", 20, 0}));
    EXPECT_FALSE(IsMouseEvent({kMacroKey, "up", 4, 0}));
}

}  // namespace
}  // namespace velnor7

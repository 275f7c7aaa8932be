// The macro tab over its files: the list and the rows it shows stay in step with the list
// file and the macro files.
#include "support/UiHarness.h"

#include "common/JsonFile.h"
#include "macros/panel/MacroControlUI.h"
#include "macros/panel/MacroEventNames.h"
#include "macros/panel/RedioMacroButtonUI.h"

#include <QWidget>
#include "ui/ControlFactory.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <fstream>

namespace velnor7 {

void PrintTo(const MacroEvent& event, std::ostream* out) {
    *out << "{type " << event.type << ", " << event.action << ", button " << event.button << ", delay " << event.delayMs << "}";
}

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
        panel_->SetClock([this] { return now_; });
    }
    void TearDown() override { ui::CResourceManager::Instance().Clear(); }

    fs::path Folder() const { return fs::path(folder_.path().toStdString()); }
    Json::Value List() const { return LoadJsonFile((Folder() / "macro.config").string()); }
    ui::CListUI* Names() { return window_.Find<ui::CListUI>("macro_name_list"); }
    ui::CListUI* Actions() { return window_.Find<ui::CListUI>("macro_action_list"); }

    // The events the rows show, delays from their edits.
    std::vector<MacroEvent> Rows() { return panel_->ShownEvents(); }
    void Key(EventPlacement placement, unsigned message, uint8_t scanCode, bool extended = false) {
        panel_->OnRecordedKey(placement, message, HookKeyRecord{scanCode, extended});
    }
    void FillRows(std::initializer_list<MacroEvent> events) {
        for (const MacroEvent& event : events) panel_->InsertEventRow(event);
    }
    ui::CControlUI* Control(const char* name) { return window_.FindControl(name); }

    QTemporaryDir folder_;
    uint64_t now_ = 0;
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

namespace msg = input_message;
constexpr uint8_t kScanA = 0x1E;
constexpr uint8_t kScanB = 0x30;
constexpr uint8_t kScanCtrl = 0x1D;

MacroEvent Ev(int type, std::string_view action, int button, uint16_t delay) {
    return MacroEvent{type, std::string(action), button, delay};
}

TEST_F(MacroControlTest, ARecordingLocksThePanelAndMeasuresThePauseAfterEachEvent) {
    panel_->AddMacro();
    now_ = 1000;
    panel_->StartRecording(RecordTimeMode::Measured);
    EXPECT_FALSE(Control("macro_btn_starredio")->IsVisible());
    EXPECT_TRUE(Control("macro_btn_stopredio")->IsVisible());
    EXPECT_FALSE(Control("macro_tab_macroaction_edit")->IsEnabled());
    EXPECT_FALSE(Control("macro_tab_macrodelay_edit")->IsEnabled());
    EXPECT_TRUE(Control("macro_file_expimp_layout")->IsEnabled());
    EXPECT_FALSE(Control("macro_action_list")->IsMouseEnabled());
    EXPECT_FALSE(Control("macro_name_tab")->IsMouseEnabled());

    now_ = 1400;
    Key(EventPlacement::Append, msg::kKeyDown, kScanCtrl);
    Key(EventPlacement::Append, msg::kKeyDown, kScanCtrl);  // repeated while held: no row
    now_ = 1500;
    Key(EventPlacement::Append, msg::kKeyDown, kScanA);
    now_ = 1750;
    Key(EventPlacement::Append, msg::kKeyUp, kScanA);
    now_ = 1750 + 2 * 60 * 1000;
    Key(EventPlacement::Append, msg::kKeyUp, kScanCtrl);
    Key(EventPlacement::Append, msg::kKeyDown, 0x22, true);  // play/pause: no key a macro holds
    EXPECT_EQ(Rows(), (std::vector<MacroEvent>{Ev(kMacroModifierKey, "down", 0x01, 100), Ev(kMacroKey, "down", 0x04, 250),
                                               Ev(kMacroKey, "up", 0x04, 65535), Ev(kMacroModifierKey, "up", 0x01, 0)}));
    EXPECT_EQ(Actions()->GetCurSel(), 3);

    panel_->StopRecording();
    EXPECT_TRUE(Control("macro_btn_starredio")->IsVisible());
    EXPECT_FALSE(Control("macro_btn_stopredio")->IsVisible());
    EXPECT_TRUE(Control("macro_tab_macroaction_edit")->IsEnabled());
    EXPECT_TRUE(Control("macro_action_list")->IsMouseEnabled());
}

TEST_F(MacroControlTest, TheClickOnTheStopButtonIsNotRecordedButOtherClicksAre) {
    panel_->AddMacro();
    panel_->StartRecording(RecordTimeMode::Ignored);
    QWidget* stop = Control("macro_btn_stopredio")->GetWidget();
    ASSERT_TRUE(stop->isVisible());
    const QPoint onStop = stop->mapToGlobal(stop->rect().center());
    panel_->OnRecordedButton(EventPlacement::Append, msg::kLeftDown, HookMouseRecord{onStop.x(), onStop.y(), 0});
    panel_->OnRecordedButton(EventPlacement::Append, msg::kLeftUp, HookMouseRecord{onStop.x(), onStop.y(), 0});
    EXPECT_TRUE(Rows().empty());
    const QPoint away = onStop + QPoint(0, 200);
    panel_->OnRecordedButton(EventPlacement::Append, msg::kLeftDown, HookMouseRecord{away.x(), away.y(), 0});
    panel_->OnRecordedButton(EventPlacement::Append, msg::kRightDown, HookMouseRecord{onStop.x(), onStop.y(), 0});
    EXPECT_EQ(Rows(), (std::vector<MacroEvent>{Ev(kMacroMouseButton, "down", 0x01, 0), Ev(kMacroMouseButton, "down", 0x02, 0)}));
}

TEST_F(MacroControlTest, RecordedEventsGoBeforeAfterOrInPlaceOfTheSelectedRow) {
    panel_->AddMacro();
    FillRows({Ev(kMacroKey, "down", 0x04, 11), Ev(kMacroKey, "up", 0x04, 22)});
    Control("macro_fixed_time_edit")->SetText("40");
    panel_->StartRecording(RecordTimeMode::Constant);
    // Nothing is selected: the placements that need a row do nothing.
    Key(EventPlacement::Before, msg::kKeyUp, kScanB);
    Key(EventPlacement::After, msg::kKeyUp, kScanB);
    Key(EventPlacement::Replace, msg::kKeyUp, kScanB);
    EXPECT_EQ(Rows().size(), 2u);

    Actions()->SelectItem(1, false);
    Key(EventPlacement::Before, msg::kKeyDown, kScanB);  // the first event: it sets no pause before it
    EXPECT_EQ(Actions()->GetCurSel(), 2);                  // the row that was selected stays so
    Key(EventPlacement::After, msg::kKeyUp, kScanB);      // after "A up", which takes the constant pause
    EXPECT_EQ(Actions()->GetCurSel(), 3);
    EXPECT_EQ(Rows(), (std::vector<MacroEvent>{Ev(kMacroKey, "down", 0x04, 11), Ev(kMacroKey, "down", 0x05, 40),
                                               Ev(kMacroKey, "up", 0x04, 40), Ev(kMacroKey, "up", 0x05, 40)}));

    Actions()->SelectItem(0, false);
    Key(EventPlacement::Replace, msg::kKeyDown, kScanCtrl);
    EXPECT_EQ(Rows()[0], Ev(kMacroModifierKey, "down", 0x01, 11));  // its pause stays
    EXPECT_EQ(static_cast<ui::CContainerUI*>(Actions()->GetItemAt(0))->GetItemAt(0)->GetRawText(), "keyboard_key_LCtrl");
    EXPECT_EQ(Rows().size(), 4u);
}

TEST_F(MacroControlTest, RowsMoveWithTheirDelaysAndTheEndsStayPut) {
    panel_->AddMacro();
    const MacroEvent a = Ev(kMacroKey, "down", 0x04, 1), b = Ev(kMacroKey, "down", 0x05, 2), c = Ev(kMacroKey, "down", 0x06, 3);
    FillRows({a, b, c});
    panel_->MoveUp();  // nothing selected
    Actions()->SelectItem(0, false);
    panel_->MoveUp();
    EXPECT_EQ(Rows(), (std::vector<MacroEvent>{a, b, c}));
    Actions()->SelectItem(2, false);
    panel_->MoveDown();
    EXPECT_EQ(Rows(), (std::vector<MacroEvent>{a, b, c}));
    panel_->MoveToTop();
    EXPECT_EQ(Rows(), (std::vector<MacroEvent>{c, a, b}));
    EXPECT_EQ(Actions()->GetCurSel(), 0);
    panel_->MoveDown();
    EXPECT_EQ(Rows(), (std::vector<MacroEvent>{a, c, b}));
    panel_->MoveToBottom();
    EXPECT_EQ(Rows(), (std::vector<MacroEvent>{a, b, c}));
    EXPECT_EQ(Actions()->GetCurSel(), 2);
    Actions()->SelectItem(1, false);
    panel_->DeleteRow();
    EXPECT_EQ(Rows(), (std::vector<MacroEvent>{a, c}));
    panel_->DeleteAllRows();
    EXPECT_TRUE(Rows().empty());
    EXPECT_EQ(Actions()->GetCurSel(), -1);
}

TEST_F(MacroControlTest, InsertedButtonsAndMovesTakeTheConstantDelayAndADistanceIsCutTo8Bits) {
    panel_->AddMacro();
    const MacroEvent a = Ev(kMacroKey, "down", 0x04, 1), b = Ev(kMacroKey, "up", 0x04, 2), c = Ev(kMacroKey, "down", 0x05, 3);
    FillRows({a, b, c});
    Actions()->SelectItem(1, false);
    panel_->InsertMouseAction(msg::kLeftDown, 0);
    panel_->InsertMouseAction(msg::kLeftUp, 0);
    panel_->InsertMouseAction(msg::kXButtonDown, 1);
    panel_->InsertMouseAction(msg::kXButtonUp, 0);
    Control("mouse_x_left_edit")->SetText("300");
    panel_->InsertMouseAction(msg::kMouseMove, 0);
    Control("mouse_y_down_edit")->SetText("7");
    panel_->InsertMouseAction(msg::kMouseMove, 3);
    EXPECT_EQ(Rows(), (std::vector<MacroEvent>{a, b, Ev(kMacroMouseButton, "down", 0x01, 50), Ev(kMacroMouseButton, "up", 0x01, 50),
                                               Ev(kMacroMouseButton, "down", 0x10, 50), Ev(kMacroMouseButton, "up", 0x08, 50),
                                               Ev(kMacroHorizontalMove, "down", 44, 50), Ev(kMacroVerticalMove, "up", 7, 50), c}));
    EXPECT_EQ(static_cast<ui::CContainerUI*>(Actions()->GetItemAt(6))->GetItemAt(1)->GetRawText(), "44");

    // An empty list takes the row first; with rows and no selection it goes second.
    panel_->DeleteAllRows();
    panel_->InsertMouseAction(msg::kRightDown, 0);
    FillRows({a});
    Actions()->SelectItem(-1, false);
    panel_->InsertMouseAction(msg::kRightUp, 0);
    EXPECT_EQ(Rows(), (std::vector<MacroEvent>{Ev(kMacroMouseButton, "down", 0x02, 50), Ev(kMacroMouseButton, "up", 0x02, 50), a}));
}

TEST_F(MacroControlTest, TheConstantDelayIsReadWhenAConstantTimeRecordingStartsAndCutTo65535) {
    Control("macro_fixed_time_edit")->SetText("99999");
    panel_->StartRecording(RecordTimeMode::Measured);  // measured time leaves the edit alone
    EXPECT_EQ(panel_->ConstantDelay(), 50);
    panel_->StopRecording();
    panel_->StartRecording(RecordTimeMode::Constant);
    EXPECT_EQ(Control("macro_fixed_time_edit")->GetText(), "65535");
    EXPECT_EQ(panel_->ConstantDelay(), 65535);
    panel_->StopRecording();
    Control("macro_fixed_time_edit")->SetText("120ms");
    panel_->StartRecording(RecordTimeMode::Constant);
    EXPECT_EQ(Control("macro_fixed_time_edit")->GetText(), "120");
    EXPECT_EQ(panel_->ConstantDelay(), 120);
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

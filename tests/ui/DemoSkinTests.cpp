// The shipped demo layout: built from the skin folder, every element kind present, and
// rendered to a PNG for a person to look at.
#include "support/UiHarness.h"

#include "common/Trace.h"
#include "ui/ColorPaletteUI.h"
#include "ui/ContainerUI.h"
#include "ui/ProgressUI.h"

#include <gtest/gtest.h>

#include <QDir>

namespace velnor7::ui {
namespace {

using testing::TestWindow;

class DemoSkinTest : public ::testing::Test {
protected:
    void SetUp() override {
        CResourceManager::Instance().SetSkinPath(testing::SourceSkinPath());
        ASSERT_TRUE(CResourceManager::Instance().LoadLanguage("lang/en.xml"));
        ASSERT_TRUE(CResourceManager::Instance().LoadLanguage("lang/zh.xml"));
        CResourceManager::Instance().SetLanguage("en");
    }
    void TearDown() override { CResourceManager::Instance().Clear(); }
};

TEST_F(DemoSkinTest, BuildsEveryElementKindWithoutATraceLine) {
    TraceCapture trace;
    TestWindow window("demo/demo.xml", true);
    window.Open();
    for (const std::string& line : trace.Lines()) ADD_FAILURE() << line;

    EXPECT_EQ(window.GetWidget()->size(), QSize(940, 620));
    const std::vector<QString> kinds{"HorizontalLayout", "VerticalLayout", "TabLayout", "Container", "Control",
                                     "Label", "Text", "Button", "Option", "Edit", "RichEdit", "Combo", "List",
                                     "ListLabelElement", "ListTextElement", "ListContainerElement", "Slider",
                                     "Progress", "ColorPalette"};
    for (const QString& kind : kinds) {
        EXPECT_FALSE(CPaintManagerUI::FindSubControlsByClass(window.GetPaintManager().GetRoot(), kind).empty())
            << kind.toStdString();
    }
    // The caption came from an included file; texts from the language file.
    EXPECT_NE(window.FindControl("closebtn"), nullptr);
    EXPECT_EQ(window.FindControl("demo_title")->GetText(), "VELNOR7 demo");
    EXPECT_EQ(window.Find<CComboUI>("light_combo_modeSelect")->GetItemAt(2)->GetText(), "Spectrum cycle");
}

TEST_F(DemoSkinTest, TabsSwitchPagesAndEachPageRendersToAPicture) {
    TestWindow window("demo/demo.xml", true);
    window.Open();
    auto* pages = window.Find<CTabLayoutUI>("pages");
    ASSERT_NE(pages, nullptr);
    EXPECT_EQ(pages->GetCurSel(), 0);

    const QString folder = QDir::temp().filePath("velnor7-ui-demo");
    QDir().mkpath(folder);
    ASSERT_TRUE(testing::GrabToPng(window, folder + "/lighting.png"));
    testing::Click(window.FindControl("tab_macros"));
    EXPECT_EQ(pages->GetCurSel(), 2);
    EXPECT_TRUE(window.Find<COptionUI>("tab_macros")->IsSelected());
    EXPECT_FALSE(window.Find<COptionUI>("tab_lighting")->IsSelected());
    ASSERT_TRUE(testing::GrabToPng(window, folder + "/macros.png"));
    testing::Click(window.FindControl("tab_keys"));
    EXPECT_EQ(pages->GetCurSel(), 1);
    ASSERT_TRUE(testing::GrabToPng(window, folder + "/keys.png"));
}

}  // namespace
}  // namespace velnor7::ui

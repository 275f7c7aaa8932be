// Building control trees from layouts: sizes and placement, includes, defaults, fonts,
// the control callback and factory, and what bad layouts do.
#include "support/UiHarness.h"

#include "common/Trace.h"
#include "ui/ContainerUI.h"
#include "ui/ControlFactory.h"
#include "ui/DialogBuilder.h"
#include "ui/LabelUI.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace velnor7::ui {
namespace {

using testing::TestWindow;

bool AnyLineHas(const TraceCapture& trace, const std::string& a, const std::string& b = {}) {
    for (const std::string& line : trace.Lines()) {
        if (line.find(a) != std::string::npos && line.find(b) != std::string::npos) return true;
    }
    return false;
}

QRect Geometry(TestWindow& window, const QString& name) { return window.FindControl(name)->GetPos(); }

class BuilderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(skin_.isValid());
        CResourceManager::Instance().SetSkinPath(skin_.path());
    }
    void TearDown() override { CResourceManager::Instance().Clear(); }

    void WriteSkinFile(const QString& name, const QString& text) {
        QDir(skin_.path()).mkpath(QFileInfo(name).path());
        QFile file(skin_.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8());
    }

    QTemporaryDir skin_;
};

TEST_F(BuilderTest, RowsGiveFixedSizesAndShareTheRestRespectingPaddingLimitsAndHiddenChildren) {
    TestWindow window(R"(<Window size="400,100">
      <HorizontalLayout name="root" inset="10,5,10,5" childpadding="4">
        <Control name="fixed" width="100"/>
        <Control name="share_a" padding="6,2,0,0"/>
        <Control name="hidden" width="50" visible="false"/>
        <Control name="share_b" maxwidth="60" height="20"/>
        <Control name="share_c"/>
        <Control name="floating" float="true" pos="300,40,340,60"/>
      </HorizontalLayout></Window>)");
    window.Open();
    // 380 wide inside; 100 fixed, 6 padding and 3 gaps of 4 leave 262: share_b takes its
    // 60 and the other two share 202.
    EXPECT_EQ(Geometry(window, "fixed"), QRect(10, 5, 100, 90));
    EXPECT_EQ(Geometry(window, "share_a"), QRect(120, 7, 101, 88));
    EXPECT_EQ(Geometry(window, "share_b"), QRect(225, 5, 60, 20));
    EXPECT_EQ(Geometry(window, "share_c"), QRect(289, 5, 101, 90));
    EXPECT_EQ(Geometry(window, "floating"), QRect(300, 40, 40, 20));

    // Showing a child gives it its place at once; the shares shrink.
    window.FindControl("hidden")->SetVisible(true);
    EXPECT_EQ(Geometry(window, "hidden").width(), 50);
    EXPECT_EQ(Geometry(window, "share_c").right(), 389);
    EXPECT_LT(Geometry(window, "share_a").width(), 101);
}

TEST_F(BuilderTest, ColumnsCentreChildrenAndDpiScalesEverySize) {
    TestWindow window(R"(<Window size="200,300">
      <VerticalLayout name="root" childalign="center" childvalign="vcenter">
        <Control name="box" width="50" height="40"/>
      </VerticalLayout></Window>)");
    window.Open();
    EXPECT_EQ(Geometry(window, "box"), QRect(75, 130, 50, 40));

    window.SetDPI(144);
    QApplication::processEvents();
    EXPECT_EQ(window.GetWidget()->size(), QSize(300, 450));
    EXPECT_EQ(Geometry(window, "box"), QRect(112, 195, 75, 60));
    EXPECT_EQ(window.Scale(10), 15);
}

TEST_F(BuilderTest, IncludesDefaultsAndFontsComeFromTheSkin) {
    WriteSkinFile("res.xml", R"(<Resources>
        <Font id="0" name="DejaVu Sans" size="13" default="true"/>
        <Font id="5" name="DejaVu Sans" size="22" bold="true"/>
        <Default name="Button" value='height="33" text="from default"'/>
      </Resources>)");
    WriteSkinFile("parts/row.xml", R"(<HorizontalLayout name="row"><Button name="inner"/></HorizontalLayout>)");
    WriteSkinFile("main.xml", R"(<Window size="300,200"><VerticalLayout name="root">
        <Include source="parts/row.xml"/>
        <Button name="own" text="own text" font="5"/>
        <Label name="plain"/>
      </VerticalLayout></Window>)");
    TestWindow window("main.xml", true);
    window.Open();
    ASSERT_NE(window.FindControl("inner"), nullptr);
    EXPECT_EQ(window.FindControl("inner")->GetParent(), window.FindControl("row"));
    EXPECT_EQ(window.FindControl("inner")->GetFixedHeight(), 33);
    EXPECT_EQ(window.FindControl("inner")->GetText(), "from default");
    // The element's own attributes come after the defaults.
    EXPECT_EQ(window.FindControl("own")->GetText(), "own text");
    EXPECT_EQ(window.FindControl("own")->GetWidget()->font().pixelSize(), 22);
    EXPECT_TRUE(window.FindControl("own")->GetWidget()->font().bold());
    EXPECT_EQ(window.FindControl("plain")->GetWidget()->font().pixelSize(), 13);
}

class Gauge : public CControlUI {
public:
    QString GetClass() const override { return "Gauge"; }
    bool SetAttribute(const QString& name, const QString& value) override {
        if (name == "needle") {
            needle = value;
            return true;
        }
        return CControlUI::SetAttribute(name, value);
    }
    QString needle;
};

TEST_F(BuilderTest, UnknownElementsGoToTheWindowThenToRegisteredClassesElseAreSkipped) {
    CControlFactory::Instance().RegistControl("FactoryGauge", [] { return new Gauge; });
    TraceCapture trace;
    TestWindow window(R"(<Window size="300,200"><VerticalLayout name="root">
        <WindowGauge name="a" needle="red" colour="ignored"/>
        <FactoryGauge name="b"/>
        <Mystery name="c"><Button name="inside_mystery"/></Mystery>
        <Button name="after"/>
      </VerticalLayout></Window>)");
    window.creators["WindowGauge"] = [] { return new Gauge; };
    window.Open();

    auto* a = window.Find<Gauge>("a");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->needle, "red");
    EXPECT_NE(window.Find<Gauge>("b"), nullptr);
    EXPECT_EQ(window.FindControl("c"), nullptr);
    EXPECT_EQ(window.FindControl("inside_mystery"), nullptr);
    EXPECT_NE(window.FindControl("after"), nullptr);
    EXPECT_TRUE(AnyLineHas(trace, "line 4", "unknown element <Mystery>"));
}

TEST_F(BuilderTest, BadValuesMissingImagesAndBrokenFilesAreReportedAndTheRestIsBuilt) {
    TraceCapture trace;
    WriteSkinFile("broken.xml", R"(<Window size="300,200"><VerticalLayout name="root">
        <Button name="good" width="40"/>
        <Button name="bad_width" width="wide" height="20"/>
        <Control name="no_image" bkimage="nowhere/missing.png"/>
        <Label name="cut" text="unclosed
      </VerticalLayout></Window>)");
    TestWindow window("broken.xml", true);
    window.Open();
    const std::string file = skin_.filePath("broken.xml").toStdString();
    EXPECT_NE(window.FindControl("good"), nullptr);
    EXPECT_EQ(window.FindControl("bad_width")->GetFixedWidth(), 0);
    EXPECT_EQ(window.FindControl("bad_width")->GetFixedHeight(), 20);
    EXPECT_TRUE(AnyLineHas(trace, file, "bad value 'wide' for width of <Button>"));
    EXPECT_TRUE(AnyLineHas(trace, "nowhere/missing.png", "does not exist"));
    EXPECT_EQ(window.FindControl("cut"), nullptr);
    EXPECT_TRUE(AnyLineHas(trace, file, "line"));

    // A missing file leaves an empty window, not a crash.
    TestWindow missing("no_such_layout.xml", true);
    missing.Open();
    EXPECT_TRUE(missing.IsWindow());
    EXPECT_TRUE(AnyLineHas(trace, "no_such_layout.xml", "cannot be opened"));
}

TEST_F(BuilderTest, IncludesThatIncludeThemselvesStopWithATraceLine) {
    WriteSkinFile("loop.xml", R"(<VerticalLayout><Include source="loop.xml"/></VerticalLayout>)");
    TraceCapture trace;
    TestWindow window(R"(<Window size="100,100"><VerticalLayout name="root"><Include source="loop.xml"/></VerticalLayout></Window>)");
    window.Open();
    EXPECT_TRUE(AnyLineHas(trace, "nested too deep"));
}

// A composite control that looks for its parts when it starts.
class Composite : public CHorizontalLayoutUI {
public:
    void DoInit() override { partFound = FindSubControl("part") != nullptr; }
    bool partFound = false;
};

TEST_F(BuilderTest, ControlsStartWithTheirChildrenInPlaceWhereverTheyAreBuilt) {
    TestWindow window(R"(<Window size="300,200"><VerticalLayout name="root">
        <Composite name="in_layout"><Label name="part"/></Composite>
      </VerticalLayout></Window>)");
    window.creators["Composite"] = [] { return new Composite; };
    window.Open();
    EXPECT_TRUE(window.Find<Composite>("in_layout")->partFound);

    CDialogBuilder builder;
    auto* added = dynamic_cast<Composite*>(builder.CreateFromString(R"(<Composite><Label name="part"/></Composite>)",
                                                                    &window, &window.GetPaintManager(),
                                                                    window.Find<CVerticalLayoutUI>("root")));
    ASSERT_NE(added, nullptr);
    EXPECT_TRUE(added->partFound);
}

TEST_F(BuilderTest, BuildsIntoAnExistingContainerAndFindsBelowIt) {
    TestWindow window(R"(<Window size="300,200"><VerticalLayout name="root"/></Window>)");
    window.Open();
    auto* root = window.Find<CVerticalLayoutUI>("root");
    CDialogBuilder builder;
    CControlUI* first = builder.CreateFromString(
        R"(<HorizontalLayout name="panel"><Label name="title"/><Button name="title"/></HorizontalLayout>)", nullptr,
        &window.GetPaintManager(), root);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(root->GetCount(), 1);
    // The first of two controls of one name, depth first.
    EXPECT_EQ(CPaintManagerUI::FindSubControlByName(first, "title")->GetClass(), "Label");
    EXPECT_EQ(window.FindControl("panel"), first);
    root->Remove(first);
    EXPECT_EQ(window.FindControl("panel"), nullptr);
    EXPECT_EQ(window.FindControl("title"), nullptr);
}

}  // namespace
}  // namespace velnor7::ui

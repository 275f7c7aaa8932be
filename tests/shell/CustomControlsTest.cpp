// The program's own controls in a window, used as a user uses them: what they tell the
// window, what they draw (pixels of the rendered window) and the demo layout that shows them.
#include "support/UiHarness.h"

#include "common/Trace.h"
#include "shell/ChartViewUI.h"
#include "shell/CircleProgressUI.h"
#include "shell/CloudShareListItemUI.h"
#include "shell/ComboEditContainerElementUI.h"
#include "shell/ControlClasses.h"
#include "shell/HandImgButtonUI.h"
#include "shell/HandImgSelectButtonUI.h"
#include "shell/WndUI.h"
#include "ui/LabelUI.h"

#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QDir>
#include <QLabel>

#include <memory>

namespace velnor7 {
namespace {

using testing::TestWindow;
using testing::WaitFor;

const QColor kLayoutColour(0x10, 0x10, 0x10);  // the bkcolor under the controls of these layouts

// A window whose owner deletes the control that told `type`, as a page removing a row does.
class DeletingWindow : public TestWindow {
public:
    DeletingWindow(QString layout, QString type) : TestWindow(std::move(layout)), type_(std::move(type)) {}

protected:
    void OnNotify(ui::TNotifyUI& msg) override {
        TestWindow::OnNotify(msg);
        if (msg.sType == type_) dynamic_cast<ui::CContainerUI*>(msg.pSender->GetParent())->Remove(msg.pSender);
    }

private:
    QString type_;
};

bool Near(const QColor& seen, const QColor& expected) {
    return std::abs(seen.red() - expected.red()) <= 8 && std::abs(seen.green() - expected.green()) <= 8 &&
           std::abs(seen.blue() - expected.blue()) <= 8;
}

class CustomControlsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { RegisterControlClasses(); }
    void SetUp() override { ui::CResourceManager::Instance().SetSkinPath(testing::SourceSkinPath()); }

    // Shows a window of `layout` (a <Window> in a string) and forgets what opening it told.
    template <class Window = TestWindow, class... Extra>
    static std::unique_ptr<Window> Open(const QString& layout, Extra... extra) {
        auto window = std::make_unique<Window>(layout, extra...);
        window->Open();
        window->notifications.clear();
        return window;
    }
    // The colour the window shows at `point` of `control`.
    static QColor PixelAt(TestWindow& window, ui::CControlUI* control, QPoint point) {
        return window.GetWidget()->grab().toImage().pixelColor(control->GetWidget()->mapTo(window.GetWidget(), point));
    }
    // The mouse moved over `point` of `control`, entering and leaving widgets as it goes.
    static void MoveMouse(ui::CControlUI* control, QPoint point) { QTest::mouseMove(control->GetWidget(), point); }
    static void ContextMenu(ui::CControlUI* control, QPoint point) {
        QContextMenuEvent menu(QContextMenuEvent::Mouse, point, control->GetWidget()->mapToGlobal(point));
        QApplication::sendEvent(control->GetWidget(), &menu);
    }
};

TEST_F(CustomControlsTest, CircleProgressShowsTheDonePartAsARingClockwiseFromTheTop) {
    auto window = Open(R"(<Window size="200,200"><VerticalLayout bkcolor="#FF101010">
        <CircleProgress name="ring" width="120" height="120" bkcolor="#FF404040" forecolor="#FF2BB3FF"/>
      </VerticalLayout></Window>)");
    auto* ring = window->Find<CCircleProgressUI>("ring");
    const QColor back(0x40, 0x40, 0x40), fore(0x2B, 0xB3, 0xFF);
    // The middle of the ring (radius 55 of 60) at 45° in each quarter, clockwise from the top right.
    const QPoint quarters[] = {{99, 21}, {99, 99}, {21, 99}, {21, 21}};
    struct Case {
        const char* what;
        int min, max, value;
        int quartersDone;
    };
    for (const Case& c : {Case{"a quarter", 0, 100, 25, 1}, Case{"three quarters", 0, 100, 75, 3},
                          Case{"half, counted from the minimum", 50, 150, 100, 2}, Case{"all", 0, 100, 100, 4},
                          Case{"an empty range", 10, 10, 10, 0}}) {
        SCOPED_TRACE(c.what);
        ring->SetMaxValue(c.max);
        ring->SetMinValue(c.min);
        ring->SetValue(c.value);
        for (int q = 0; q < 4; ++q) {
            EXPECT_TRUE(Near(PixelAt(*window, ring, quarters[q]), q < c.quartersDone ? fore : back)) << q;
        }
        EXPECT_TRUE(Near(PixelAt(*window, ring, {60, 60}), Qt::white));
        // The control is round: its corners show the layout.
        EXPECT_TRUE(Near(PixelAt(*window, ring, {2, 2}), kLayoutColour));
    }

    // At twice the DPI the ring is twice as wide: 20 pixels of a 240 pixel disc.
    ring->SetMaxValue(100);
    ring->SetMinValue(0);
    ring->SetValue(100);
    window->SetDPI(192);
    ASSERT_EQ(ring->GetWidget()->size(), QSize(240, 240));
    EXPECT_TRUE(Near(PixelAt(*window, ring, {120, 15}), fore));
    EXPECT_TRUE(Near(PixelAt(*window, ring, {120, 25}), Qt::white));
}

const char* const kHandButtons = R"(<Window size="400,200"><HorizontalLayout bkcolor="#FF101010" childpadding="10">
    <HandImgButton name="hand" uiclass="flat" width="100" height="80" handimage="common/ui/hand.svg"
                   deletenormalimage="common/ui/delete.svg" deletehotimage="common/ui/delete_hot.svg"/>
    <HandImgSelectButton name="left" uiclass="flat" group="hands" width="48" height="48"
                         handimage="common/ui/hand.svg"/>
    <HandImgSelectButton name="right" uiclass="flat" group="hands" width="48" height="48"/>
    <Control name="elsewhere"/>
  </HorizontalLayout></Window>)";

TEST_F(CustomControlsTest, HandButtonTellsADeleteOnItsMarkAndAClickElsewhereAtEveryDpi) {
    const QColor markNormal(0xC2, 0x3B, 0x3F), markHot(0xFF, 0x5A, 0x5F);
    for (const int dpi : {96, 144}) {
        SCOPED_TRACE(dpi);
        auto window = Open(kHandButtons);
        window->SetDPI(dpi);
        auto* hand = window->Find<CHandImgButtonUI>("hand");
        QWidget* widget = hand->GetWidget();
        const QRect mark = hand->DeleteBox();
        const auto scaled = [&](int value) { return window->Scale(value); };
        ASSERT_EQ(mark, QRect(widget->width() - scaled(30), widget->height() - scaled(29), scaled(20), scaled(20)));
        const QPoint onMarkDisc = mark.topLeft() + QPoint(mark.width() / 2, mark.height() / 6);  // off its cross
        const QPoint beside(scaled(10), scaled(10));

        MoveMouse(hand, beside);
        EXPECT_TRUE(Near(PixelAt(*window, hand, onMarkDisc), markNormal));
        MoveMouse(hand, mark.center());
        EXPECT_TRUE(Near(PixelAt(*window, hand, onMarkDisc), markHot));

        QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, mark.center());
        // Pressed beside the mark and let go on it: a delete too, never a click.
        QTest::mousePress(widget, Qt::LeftButton, Qt::NoModifier, beside);
        QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier, mark.center());
        EXPECT_EQ(window->Received("click_handdelete", "hand"), 2);
        EXPECT_EQ(window->Received("click", "hand"), 0);
        QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, beside);
        EXPECT_EQ(window->Received("click", "hand"), 1);

        MoveMouse(window->FindControl("elsewhere"), {5, 5});
        EXPECT_EQ(window->TypesFrom("hand"), (std::vector<QString>{"msenter", "click_handdelete", "click_handdelete",
                                                                   "click", "msleave"}));
        EXPECT_FALSE(Near(PixelAt(*window, hand, onMarkDisc), markNormal));
    }
}

TEST_F(CustomControlsTest, HandSelectButtonRemembersItsPressDrawsItsHandAndRefusesAnUnknownCursor) {
    auto window = Open(kHandButtons);
    auto* left = window->Find<CHandImgSelectButtonUI>("left");
    auto* right = window->Find<CHandImgSelectButtonUI>("right");
    QTest::mouseClick(left->GetWidget(), Qt::LeftButton, Qt::NoModifier, {7, 9});
    QTest::mouseClick(right->GetWidget(), Qt::LeftButton, Qt::NoModifier, {30, 12});
    EXPECT_EQ(left->GetLastPressPoint(), QPoint(7, 9));
    EXPECT_EQ(right->GetLastPressPoint(), QPoint(30, 12));
    EXPECT_TRUE(right->IsSelected());
    EXPECT_FALSE(left->IsSelected());
    EXPECT_TRUE(Near(PixelAt(*window, left, {24, 31}), QColor(0xC9, 0xCD, 0xD6)));  // the hand's palm
    MoveMouse(left, {10, 10});
    MoveMouse(window->FindControl("elsewhere"), {5, 5});
    EXPECT_EQ(window->TypesFrom("left"), (std::vector<QString>{"click", "selectchanged", "selectchanged", "msenter",
                                                               "msleave"}));

    // A name without a Qt shape of its own takes the nearest; an unknown one changes nothing.
    EXPECT_TRUE(left->SetAttribute("cursor", "size"));
    EXPECT_FALSE(left->SetAttribute("cursor", "finger"));
    EXPECT_EQ(left->GetWidget()->cursor().shape(), Qt::SizeAllCursor);
    TraceCapture trace;
    Open(R"(<Window size="100,100"><HandImgSelectButton cursor="finger"/></Window>)");
    EXPECT_TRUE(trace.Contains("ui: layout TestWindow line 1: bad value 'finger' for cursor of <HandImgSelectButton>"));
}

const char* const kSteps = R"(<Window size="400,300"><VerticalLayout>
    <List name="steps" itemheight="36" multiselect="true">
      <ComboEditContainerElement name="step_0" normalimage="keyboard/key_normal.png" hotimage="keyboard/key_hot.png"
                                 selectedimage="keyboard/key_selected.png"/>
      <ComboEditContainerElement name="step_1"/>
      <ComboEditContainerElement name="step_2"/>
    </List>
    <Control name="elsewhere" height="40"/>
  </VerticalLayout></Window>)";

TEST_F(CustomControlsTest, MacroStepRowsSelectOnPressToggleWithCtrlAndTellClicksEnterMenusAndTimers) {
    TraceCapture trace;
    auto window = Open(kSteps);
    EXPECT_TRUE(trace.Lines().empty()) << trace.Lines().front();
    auto* list = window->Find<ui::CListUI>("steps");
    auto step = [&](int index) { return window->Find<CComboEditContainerElementUI>(QString("step_%1").arg(index)); };
    auto press = [&](int index, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::mouseClick(step(index)->GetWidget(), Qt::LeftButton, modifiers, {4, 18});
    };
    EXPECT_EQ(step(1)->GetKeyNameLabel()->GetName(), "text1");
    EXPECT_EQ(step(1)->GetDirectionLabel()->GetName(), "text2");
    // A row that moves keeps its one set of parts.
    ASSERT_TRUE(list->SetItemIndex(step(1), 2));
    ASSERT_TRUE(list->SetItemIndex(step(1), 1));
    EXPECT_EQ(step(1)->GetCount(), 1);

    press(0);
    EXPECT_EQ(window->TypesFrom("step_0"), std::vector<QString>{"itemclick"});
    press(2, Qt::ControlModifier);
    EXPECT_EQ(list->GetSelectedItems(), (std::vector<int>{0, 2}));
    press(0, Qt::ControlModifier);
    EXPECT_EQ(list->GetSelectedItems(), std::vector<int>{2});
    EXPECT_EQ(window->Received("itemselect", "steps"), 3);
    list->SetMultiSelect(false);
    press(0, Qt::ControlModifier);
    press(0, Qt::ControlModifier);
    EXPECT_EQ(list->GetSelectedItems(), std::vector<int>{0});

    testing::PressKey(step(1), Qt::Key_Return);
    testing::PressKey(step(1)->GetDelayEdit(), Qt::Key_Return);  // the field's own Enter
    EXPECT_EQ(window->Received("return", "step_1"), 1);
    EXPECT_EQ(window->Received("return", "delay_edit"), 1);
    ContextMenu(step(1), {20, 10});
    const QPoint global = step(1)->GetWidget()->mapToGlobal(QPoint(20, 10));
    EXPECT_EQ(window->notifications.back().type, "menu");
    EXPECT_EQ(window->notifications.back().lParam, (std::intptr_t{global.y()} << 16) | global.x());
    ASSERT_TRUE(window->GetPaintManager().SetTimer(step(1), 7, 5));
    ASSERT_TRUE(WaitFor([&] { return window->Received("timer", "step_1") > 0; }));
    EXPECT_EQ(window->notifications.back().wParam, 7u);
    window->GetPaintManager().KillTimer(step(1), 7);

    // The row itself lights up under the mouse (grabbed alone, without the list's shading).
    auto rowPixel = [&] { return step(1)->GetWidget()->grab().toImage().pixelColor(4, 4); };
    const QColor plain = rowPixel();
    MoveMouse(step(1), {4, 18});
    EXPECT_GT(rowPixel().lightness(), plain.lightness());
    MoveMouse(window->FindControl("elsewhere"), {5, 5});
    EXPECT_EQ(rowPixel(), plain);
}

TEST_F(CustomControlsTest, AControlDeletedByTheHandlerOfItsNotificationEndsItsEventQuietly) {
    struct Case {
        const char* layout;
        const char* type;
        const char* sender;
        std::function<void(ui::CControlUI*)> act;
    };
    const Case cases[] = {
        {kHandButtons, "click_handdelete", "hand",
         [](ui::CControlUI* c) { QTest::mouseClick(c->GetWidget(), Qt::LeftButton, Qt::NoModifier, {85, 60}); }},
        {kSteps, "itemclick", "step_1",
         [](ui::CControlUI* c) { QTest::mouseClick(c->GetWidget(), Qt::LeftButton, Qt::NoModifier, {4, 18}); }},
        {kSteps, "menu", "step_1", [](ui::CControlUI* c) { ContextMenu(c, {4, 4}); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        auto window = Open<DeletingWindow>(c.layout, QString(c.type));
        c.act(window->FindControl(c.sender));
        EXPECT_EQ(window->Received(c.type, c.sender), 1);
        EXPECT_EQ(window->FindControl(c.sender), nullptr);
    }
}

TEST_F(CustomControlsTest, SharedProfileRowsFrameTheHoveredRowWhenTheListHasAHotImage) {
    const QColor frame(0xFF, 0x40, 0x80);
    struct Case {
        const char* what;
        const char* defaults;
        bool selected;
        bool framed;
    };
    const char* const hot = R"(hotimage="keyboard/key_hot.png" hotbordercolor="#FFFF4080")";
    for (const Case& c : {Case{"hot image", hot, false, true}, Case{"hot image, selected", hot, true, false},
                          Case{"no hot image", R"(hotbordercolor="#FFFF4080")", false, false}}) {
        SCOPED_TRACE(c.what);
        auto window = Open(QString(R"(<Window size="300,200"><Default name="CloudShareListItemUI" value="%1"/>
            <VerticalLayout><List name="shared" itemheight="40">
              <CloudShareListItemUI name="share_0"><Label text="Speed run"/></CloudShareListItemUI>
              <CloudShareListItemUI name="share_1"><Label text="Night mode"/></CloudShareListItemUI>
            </List><Control name="elsewhere" height="40"/></VerticalLayout></Window>)")
                               .arg(QString(c.defaults).toHtmlEscaped()));
        auto* row = window->Find<CCloudShareListItemUI>("share_1");
        if (c.selected) window->Find<ui::CListUI>("shared")->SelectItem(1, false);
        const QPoint topEdge(row->GetWidget()->width() / 2, 0), leftEdge(0, 20);
        MoveMouse(row, {40, 20});
        EXPECT_EQ(Near(PixelAt(*window, row, topEdge), frame), c.framed);
        EXPECT_EQ(Near(PixelAt(*window, row, leftEdge), frame), c.framed);
        MoveMouse(window->FindControl("elsewhere"), {5, 5});
        EXPECT_FALSE(Near(PixelAt(*window, row, topEdge), frame));
        ContextMenu(row, {8, 8});
        EXPECT_EQ(window->Received("menu", "share_1"), 1);
    }
}

const char* const kHost = R"(<Window size="400,300"><VerticalLayout>
    <HorizontalLayout height="150">
      <Control name="spacer" width="50"/>
      <VerticalLayout name="column"><Control height="10"/><Wnd name="host" width="200" height="100"/></VerticalLayout>
    </HorizontalLayout>
  </VerticalLayout></Window>)";

TEST_F(CustomControlsTest, HostedWidgetFollowsTheControlsPlaceAndVisibilityAndMayBeDeletedFirst) {
    auto window = Open(kHost);
    auto* host = window->Find<CWndUI>("host");
    auto* hosted = new QWidget(window->GetWidget());
    host->Attach(hosted);
    auto placed = [&] { return hosted->isVisible() && hosted->geometry() == host->GetPos(); };
    EXPECT_TRUE(placed());
    host->SetPadding(QMargins(0, 20, 0, 0));  // the control moves in its column
    EXPECT_TRUE(placed());
    window->FindControl("spacer")->SetFixedWidth(90);  // the column moves in its row
    EXPECT_EQ(hosted->x(), 90);
    EXPECT_TRUE(placed());
    host->SetFixedWidth(150);
    EXPECT_EQ(hosted->width(), 150);
    for (ui::CControlUI* hidden : {static_cast<ui::CControlUI*>(host), window->FindControl("column")}) {
        hidden->SetVisible(false);
        EXPECT_FALSE(hosted->isVisible());
        hidden->SetVisible(true);
        EXPECT_TRUE(placed());
    }
    // Given back, it stays as it is.
    EXPECT_EQ(host->Detach(), hosted);
    host->SetVisible(false);
    EXPECT_TRUE(hosted->isVisible());

    host->Attach(hosted);
    delete hosted;
    EXPECT_EQ(host->GetHostedWidget(), nullptr);
    host->SetVisible(true);
    host->SetFixedWidth(120);

    // A top-level widget is placed on the screen, follows the window and goes with the control.
    QWidget floating;
    host->Attach(&floating);
    auto onScreen = [&] {
        return floating.geometry() == QRect(host->GetWidget()->mapToGlobal(QPoint()), QSize(120, 100));
    };
    EXPECT_TRUE(floating.isVisible() && onScreen());
    const QPoint before = floating.pos();
    window->GetWidget()->move(window->GetWidget()->pos() + QPoint(30, 40));
    EXPECT_TRUE(WaitFor([&] { return onScreen() && floating.pos() == before + QPoint(30, 40); }));
    window->Find<ui::CContainerUI>("column")->Remove(host);
    EXPECT_FALSE(floating.isVisible());
}

class ChartViewTest : public CustomControlsTest {
protected:
    CChartViewUI* OpenChart(const QString& attributes, int dpi = 96) {
        window_ = Open(QString(R"(<Window size="300,200"><VerticalLayout bkcolor="#FF101010">
            <ChartView name="chart" width="300" height="200" %1/></VerticalLayout></Window>)")
                           .arg(attributes));
        window_->SetDPI(dpi);
        return window_->Find<CChartViewUI>("chart");
    }
    QColor At(CChartViewUI* chart, QPoint point) { return PixelAt(*window_, chart, point); }
    static QColor Colour(size_t index) { return CChartViewUI::Palette()[index]; }

    std::unique_ptr<TestWindow> window_;
};

TEST_F(ChartViewTest, PieSlicesRunClockwiseFromTheTopAndNegativeOrNoValuesLeaveItEmpty) {
    TraceCapture trace;
    CChartViewUI* chart = OpenChart(R"(items="A:1;B" view="pie")");
    EXPECT_TRUE(trace.Contains("ui: layout TestWindow line 2: bad value 'A:1;B' for items of <ChartView>"));
    ASSERT_TRUE(chart->SetAttribute("items", " A:1; B: 01;C:2;"));
    EXPECT_EQ(chart->GetItems()[1].value, 1);
    const QPoint centre = chart->PieRect().center();
    const int r = chart->PieRect().width() / 4;
    EXPECT_TRUE(Near(At(chart, centre + QPoint(r, -r)), Colour(0)));
    EXPECT_TRUE(Near(At(chart, centre + QPoint(r, r)), Colour(1)));
    EXPECT_TRUE(Near(At(chart, centre + QPoint(-r, r)), Colour(2)));
    EXPECT_TRUE(Near(At(chart, centre + QPoint(-r, -r)), Colour(2)));

    chart->RemoveAll();
    chart->Add("lost", -5);
    chart->Add("won", 3);
    EXPECT_TRUE(Near(At(chart, centre + QPoint(r, -r)), Colour(1)));
    EXPECT_TRUE(Near(At(chart, centre + QPoint(-r, r)), Colour(1)));
    chart->RemoveAll();
    chart->Add("none", 0);
    chart->Add("less", -1);
    EXPECT_TRUE(Near(At(chart, centre), kLayoutColour));
}

TEST_F(ChartViewTest, BarsStandOnTheShadowAboveTheLabelsScaledByValueAndDpi) {
    struct Case {
        const char* attributes;
        int dpi;
        int barWidth;
        int roomUnder;  // for shadow and labels; -1: more than the shadow
    };
    const char* const shadow = R"(shadowimage="common/ui/pillar_shadow.svg" shadowimageheight="6")";
    for (const Case& c : {Case{"", 96, 20, 0}, Case{shadow, 96, 20, 6}, Case{shadow, 144, 30, 9},
                          Case{R"(showtext="true")", 96, 20, -1}}) {
        SCOPED_TRACE(std::string(c.attributes) + " at " + std::to_string(c.dpi));
        const QString threeBars = R"(view="histpgram" pillarimagewidth="20" items="A:1;B:2;C:4" )";
        CChartViewUI* chart = OpenChart(threeBars + c.attributes, c.dpi);
        const std::vector<QRect> bars = chart->BarRects();
        ASSERT_EQ(bars.size(), 3u);
        const int room = chart->GetWidget()->height() - (bars[2].bottom() + 1);
        if (c.roomUnder >= 0) EXPECT_EQ(room, c.roomUnder);
        else EXPECT_GT(room, QFontMetrics(chart->GetWidget()->font()).height());
        EXPECT_EQ(bars[2].top(), 0);
        EXPECT_EQ(bars[1].height(), bars[2].height() / 2);
        EXPECT_EQ(bars[0].height(), bars[2].height() / 4);
        for (size_t i = 0; i < bars.size(); ++i) {
            EXPECT_EQ(bars[i].width(), c.barWidth);
            EXPECT_EQ(bars[i].bottom(), bars[2].bottom());
            EXPECT_TRUE(Near(At(chart, bars[i].center()), Colour(i))) << i;  // no pillar image: filled
        }
    }

    CChartViewUI* chart = OpenChart(R"(view="histpgram" items="A:0;B:0" pillarimage="common/ui/pillar.svg")");
    for (const QRect& bar : chart->BarRects()) EXPECT_EQ(bar.height(), 0);
    EXPECT_TRUE(Near(At(chart, {75, 100}), kLayoutColour));
    chart->SetAttribute("items", "A:2;B:4");
    const QColor pillar = At(chart, chart->BarRects()[1].center());
    EXPECT_GT(pillar.blue(), pillar.red() + 100);
}

TEST_F(CustomControlsTest, TheDemoOfTheControlsBuildsWithoutATraceLineAndRendersToAPicture) {
    ASSERT_TRUE(ui::CResourceManager::Instance().LoadLanguage("lang/en.xml"));
    ui::CResourceManager::Instance().SetLanguage("en");
    TraceCapture trace;
    TestWindow window("demo/widgets.xml", true);
    window.Open();
    for (const std::string& line : trace.Lines()) ADD_FAILURE() << line;
    for (const QString kind : {"CircleProgress", "Wnd", "HandImgButton", "HandImgSelectButton",
                               "ComboEditContainerElement", "CloudShareListItemUI", "ChartView"}) {
        EXPECT_FALSE(ui::CPaintManagerUI::FindSubControlsByClass(window.GetPaintManager().GetRoot(), kind).empty())
            << kind.toStdString();
    }
    EXPECT_EQ(window.GetWidget()->windowTitle(), "VELNOR7 controls");

    for (int i = 0; i < 3; ++i) {
        auto* step = window.Find<CComboEditContainerElementUI>(QString("step_%1").arg(i));
        step->GetKeyNameLabel()->SetText(i < 2 ? "A" : "Shift");
        step->GetDirectionLabel()->SetText(i == 1 ? "Key up" : "Key down");
        step->GetDelayEdit()->SetText(QString::number(50 - 20 * i));
    }
    QLabel hosted("A hosted window", window.GetWidget());
    hosted.setStyleSheet("background:#23262E;color:#9AA0AC;qproperty-alignment:AlignCenter;");
    window.Find<CWndUI>("hosted_area")->Attach(&hosted);
    const QString folder = QDir::temp().filePath("velnor7-ui-demo");
    QDir().mkpath(folder);
    EXPECT_TRUE(testing::GrabToPng(window, folder + "/widgets.png"));
}

}  // namespace
}  // namespace velnor7

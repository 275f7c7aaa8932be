// Controls driven as a user drives them, and what the window hears about it.
#include "support/UiHarness.h"

#include "common/Trace.h"
#include "ui/ColorPaletteUI.h"
#include "ui/ContainerUI.h"
#include "ui/LabelUI.h"
#include "ui/ProgressUI.h"

#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>

namespace velnor7::ui {
namespace {

using testing::TestWindow;

const char* const kPanel = R"(<Window size="600,500"><VerticalLayout name="root" childpadding="4">
  <HorizontalLayout height="30">
    <Button name="apply" text="Apply"/>
    <Button name="disabled" text="Off" enabled="false"/>
    <Button name="to_second" bindtablayoutname="pages" bindtabindex="1"/>
  </HorizontalLayout>
  <HorizontalLayout height="30">
    <Option name="left" group="direction" selected="true"/>
    <Option name="right" group="direction"/>
    <Option name="multi"/>
  </HorizontalLayout>
  <TabLayout name="pages" height="20"><Control name="page0"/><Control name="page1"/></TabLayout>
  <Combo name="modes" height="30">
    <ListLabelElement text="Static" userdata="s"/>
    <ListLabelElement text="Breathing" userdata="b"/>
    <ListLabelElement text="Wave" userdata="w"/>
  </Combo>
  <Slider name="bright" min="0" max="4" value="1" height="24"/>
  <Edit name="red" numberonly="true" maxchar="3" minvalue="0" maxvalue="255" height="30"/>
  <Edit name="free" height="30"/>
  <Edit name="other" height="30"/>
  <RichEdit name="notes" height="50" maxchar="10"/>
  <List name="names" height="120" itemheight="30">
    <ListLabelElement text="one" userdata="1"/>
    <ListLabelElement text="two" userdata="2"/>
    <ListContainerElement name="row3" userdata="3"><HorizontalLayout><Label name="cell"/><Edit name="delay_edit"/></HorizontalLayout></ListContainerElement>
  </List>
  <ColorPalette name="palette" height="80"/>
</VerticalLayout></Window>)";

class ControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        window_.Open();
        window_.notifications.clear();
    }
    TestWindow window_{kPanel};
};

TEST_F(ControlTest, ButtonsNotifyClicksOnlyWhenEnabledAndBringTheirTabIntoView) {
    testing::Click(window_.FindControl("apply"));
    EXPECT_EQ(window_.Received("click", "apply"), 1);
    testing::Click(window_.FindControl("disabled"));
    EXPECT_EQ(window_.Received("click", "disabled"), 0);
    // The keyboard activates a focused button as a click does.
    testing::PressKey(window_.FindControl("apply"), Qt::Key_Space);
    EXPECT_EQ(window_.Received("click", "apply"), 2);

    EXPECT_EQ(window_.Find<CTabLayoutUI>("pages")->GetCurSel(), 0);
    testing::Click(window_.FindControl("to_second"));
    EXPECT_EQ(window_.Find<CTabLayoutUI>("pages")->GetCurSel(), 1);
    // A button hidden from code cannot be activated.
    window_.FindControl("apply")->SetVisible(false);
    EXPECT_FALSE(window_.FindControl("apply")->Activate());
}

TEST_F(ControlTest, OptionsOfAGroupAreExclusiveAndTellEveryChange) {
    auto* left = window_.Find<COptionUI>("left");
    auto* right = window_.Find<COptionUI>("right");
    auto* multi = window_.Find<COptionUI>("multi");
    testing::Click(right);
    EXPECT_TRUE(right->IsSelected());
    EXPECT_FALSE(left->IsSelected());
    EXPECT_EQ(window_.Received("selectchanged", "right"), 1);
    EXPECT_EQ(window_.Received("selectchanged", "left"), 1);
    // A selected option of a group stays selected when clicked again.
    testing::Click(right);
    EXPECT_TRUE(right->IsSelected());
    EXPECT_EQ(window_.Received("selectchanged", "right"), 1);
    // Without a group it toggles.
    testing::Click(multi);
    testing::Click(multi);
    EXPECT_FALSE(multi->IsSelected());
    EXPECT_EQ(window_.Received("selectchanged", "multi"), 2);
    // From code: silent when asked, and a grouped option can be deselected.
    left->Selected(true, false);
    EXPECT_FALSE(right->IsSelected());
    EXPECT_EQ(window_.Received("selectchanged", "left"), 1);
    left->Selected(false, false);
    EXPECT_FALSE(left->IsSelected());
    EXPECT_FALSE(static_cast<QPushButton*>(left->GetWidget())->isChecked());
}

TEST_F(ControlTest, ComboTellsOnlyTheUsersPickOfAnotherItem) {
    auto* modes = window_.Find<CComboUI>("modes");
    EXPECT_EQ(modes->GetCurSel(), -1);
    testing::PickComboItem(modes, 2);
    EXPECT_EQ(modes->GetCurSel(), 2);
    ASSERT_EQ(window_.Received("itemselect", "modes"), 1);
    EXPECT_EQ(window_.notifications.back().wParam, 2u);
    EXPECT_EQ(modes->GetItemAt(modes->GetCurSel())->GetUserData(), "w");
    testing::PickComboItem(modes, 2);
    EXPECT_EQ(window_.Received("itemselect", "modes"), 1);

    modes->SelectItem(0, false);
    EXPECT_EQ(window_.Received("itemselect", "modes"), 1);
    EXPECT_EQ(modes->GetSelectedText(), "Static");
    modes->SelectItem(1);
    EXPECT_EQ(window_.Received("itemselect", "modes"), 2);
    // Items change and go from code.
    modes->GetItemAt(1)->SetText("Pulse");
    EXPECT_EQ(modes->GetSelectedText(), "Pulse");
    modes->RemoveAt(0);
    EXPECT_EQ(modes->GetCurSel(), 0);
    EXPECT_EQ(modes->GetCount(), 2);
}

TEST_F(ControlTest, SliderTellsMovesWhileDraggingAndTheValueWhenLetGo) {
    auto* bright = window_.Find<CSliderUI>("bright");
    testing::DragSlider(bright, 4);
    EXPECT_EQ(bright->GetValue(), 4);
    EXPECT_GE(window_.Received("movevaluechanged", "bright"), 1);
    ASSERT_EQ(window_.Received("valuechanged", "bright"), 1);
    EXPECT_EQ(window_.TypesFrom("bright").back(), "valuechanged");
    EXPECT_EQ(window_.notifications.back().wParam, 4u);

    testing::PressKey(bright, Qt::Key_Left);
    EXPECT_EQ(bright->GetValue(), 3);
    EXPECT_EQ(window_.Received("valuechanged", "bright"), 2);
    bright->SetValue(0);
    EXPECT_EQ(window_.Received("valuechanged", "bright"), 2);
}

TEST_F(ControlTest, EditsTellTypingEnterAndLeavingAndKeepNumbersInTheirLimits) {
    auto* red = window_.Find<CEditUI>("red");
    testing::TypeInto(red, "9x87");
    // Digits only and at most three of them; left at 987, brought back to 255.
    EXPECT_EQ(red->GetText(), "255");
    EXPECT_EQ(window_.Received("textchanged", "red"), 3);
    EXPECT_EQ(window_.Received("killfocus", "red"), 1);

    auto* free = window_.Find<CEditUI>("free");
    testing::TypeInto(free, "Game", false);
    QTest::keyClick(free->GetWidget(), Qt::Key_Return);
    EXPECT_EQ(window_.Received("return", "free"), 1);
    EXPECT_EQ(free->GetText(), "Game");
    free->SetText("set by code");
    EXPECT_EQ(static_cast<QLineEdit*>(free->GetWidget())->text(), "set by code");
    EXPECT_EQ(window_.Received("textchanged", "free"), 4);

    auto* notes = window_.Find<CRichEditUI>("notes");
    testing::TypeInto(notes, "a long note that does not fit");
    EXPECT_EQ(notes->GetText(), "a long not");
    EXPECT_EQ(window_.Received("killfocus", "notes"), 1);
}

TEST_F(ControlTest, ListsTellSelectionClicksAndKeepItemsWithTheirControls) {
    auto* names = window_.Find<CListUI>("names");
    testing::ClickListItem(names, 1);
    EXPECT_EQ(names->GetCurSel(), 1);
    EXPECT_EQ(window_.Received("itemselect", "names"), 1);
    EXPECT_EQ(window_.Received("itemclick"), 1);
    EXPECT_EQ(window_.notifications.back().type, "itemclick");

    // Double click and the context menu on a row.
    auto* view = static_cast<QListWidget*>(names->GetWidget());
    const QPoint first = view->visualItemRect(view->item(0)).center();
    testing::DoubleClickAt(view->viewport(), first);
    EXPECT_EQ(window_.Received("itemactivate"), 1);
    QContextMenuEvent menu(QContextMenuEvent::Mouse, first, view->viewport()->mapToGlobal(first));
    QApplication::sendEvent(view->viewport(), &menu);
    EXPECT_EQ(window_.Received("menu"), 1);

    // A row made of controls: its controls are found below it.
    auto* row = window_.Find<CListContainerElementUI>("row3");
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->GetIndex(), 2);
    EXPECT_NE(CPaintManagerUI::FindSubControlByName(row, "delay_edit"), nullptr);
    testing::ClickListItem(names, 2);
    EXPECT_TRUE(row->IsSelected());

    // Moving a row keeps its widgets alive and working.
    ASSERT_TRUE(names->SetItemIndex(row, 0));
    EXPECT_EQ(row->GetIndex(), 0);
    auto* delay = CPaintManagerUI::FindSubControlByName(row, "delay_edit");
    testing::TypeInto(delay, "15");
    EXPECT_EQ(delay->GetText(), "15");
    EXPECT_EQ(window_.Received("textchanged", "delay_edit"), 2);

    names->SelectItem(1, false);
    EXPECT_EQ(names->GetItemAt(names->GetCurSel())->GetUserData(), "1");
    // Removing the selected row selects the row that takes its place, silently.
    const int heard = window_.Received("itemselect", "names");
    names->RemoveAt(1);
    EXPECT_EQ(names->GetCount(), 2);
    EXPECT_EQ(names->GetCurSel(), 1);
    EXPECT_EQ(window_.Received("itemselect", "names"), heard);
}

TEST_F(ControlTest, MultiSelectListTogglesWithCtrl) {
    auto* names = window_.Find<CListUI>("names");
    names->SetMultiSelect(true);
    testing::ClickListItem(names, 0);
    testing::ClickListItem(names, 2, Qt::ControlModifier);
    EXPECT_EQ(names->GetSelectedItems(), (std::vector<int>{0, 2}));
    testing::ClickListItem(names, 0, Qt::ControlModifier);
    EXPECT_EQ(names->GetSelectedItems(), (std::vector<int>{2}));
}

TEST_F(ControlTest, PaletteTellsThePickedColourAndTakesOneSilently) {
    auto* palette = window_.Find<CColorPaletteUI>("palette");
    palette->SetSelectColor(0xFFFF0000);
    EXPECT_EQ(palette->GetSelectColor(), 0xFFFF0000u);
    EXPECT_EQ(window_.Received("colorchanged"), 0);
    // The top right corner of the square is the full colour of the hue; the bottom is black.
    QWidget* widget = palette->GetWidget();
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, QPoint(widget->width() - 8, 7));
    EXPECT_EQ(window_.Received("colorchanged", "palette"), 1);
    EXPECT_EQ(palette->GetSelectColor(), 0xFFFF0000u);
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, QPoint(widget->width() / 2, widget->height() - 30));
    EXPECT_EQ(window_.notifications.back().wParam, palette->GetSelectColor());
    EXPECT_LT(QColor::fromRgb(palette->GetSelectColor()).value(), 64);
}

TEST_F(ControlTest, ContainersAddInsertAndRemoveChildrenAndFindThemByName) {
    auto* root = window_.Find<CVerticalLayoutUI>("root");
    const int before = root->GetCount();
    auto* label = new CLabelUI;
    label->SetName("added");
    label->SetFixedHeight(20);
    ASSERT_TRUE(root->AddAt(label, 0));
    EXPECT_EQ(root->GetItemAt(0), label);
    EXPECT_EQ(window_.FindControl("added"), label);
    EXPECT_EQ(label->GetPos().top(), 0);
    EXPECT_FALSE(root->AddAt(new CLabelUI, before + 5));
    ASSERT_TRUE(root->Remove(label, true));
    EXPECT_EQ(window_.FindControl("added"), nullptr);
    EXPECT_EQ(root->GetCount(), before);
    delete label;
}

TEST_F(ControlTest, TextsAndTipsFollowTheLanguage) {
    CResourceManager& resources = CResourceManager::Instance();
    QTemporaryDir folder;
    QFile en(folder.filePath("en.xml"));
    ASSERT_TRUE(en.open(QIODevice::WriteOnly));
    en.write(R"(<Language name="en"><Text id="apply_text" value="Apply"/><Text id="tip_title" value="Enter"/></Language>)");
    en.close();
    QFile de(folder.filePath("de.xml"));
    ASSERT_TRUE(de.open(QIODevice::WriteOnly));
    de.write(R"(<Language name="de"><Text id="apply_text" value="Anwenden"/></Language>)");
    de.close();
    ASSERT_TRUE(resources.LoadLanguage(folder.filePath("en.xml")));
    ASSERT_TRUE(resources.LoadLanguage(folder.filePath("de.xml")));
    resources.SetLanguage("en");

    auto* apply = window_.Find<CButtonUI>("apply");
    apply->SetText("apply_text");
    apply->SetUserToolTitle("tip_title");
    apply->SetUserToolText("Saves & sends");
    EXPECT_EQ(apply->GetText(), "Apply");
    EXPECT_EQ(apply->GetRawText(), "apply_text");
    EXPECT_EQ(apply->GetWidget()->toolTip(), "<b>Enter</b><br/>Saves &amp; sends");
    resources.SetLanguage("de");
    resources.ReloadText();
    EXPECT_EQ(static_cast<QPushButton*>(apply->GetWidget())->text(), "Anwenden");
    // An id the language lacks shows as it stands; a text that is no id too.
    EXPECT_EQ(apply->GetWidget()->toolTip(), "<b>tip_title</b><br/>Saves &amp; sends");
    resources.Clear();
}

TEST(PrivateFontTest, AFontFileAddsItsFamilyAndAMissingOneIsReported) {
    CResourceManager& resources = CResourceManager::Instance();
    const QStringList families = resources.AddPrivateFont("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    EXPECT_TRUE(families.contains("DejaVu Sans"));
    TraceCapture trace;
    EXPECT_TRUE(resources.AddPrivateFont("/no/such/font.ttf").isEmpty());
    EXPECT_EQ(trace.Lines().size(), 1u);
    resources.RemovePrivateFonts();
}

TEST(TintedImageTest, KeepsTheShapeAndTakesColourAndAlpha) {
    QPixmap shape(4, 4);
    shape.fill(Qt::transparent);
    {
        QPainter painter(&shape);
        painter.fillRect(0, 0, 2, 4, Qt::white);
    }
    const QImage tinted = CResourceManager::Tinted(shape, QColor(255, 0, 0), 128).toImage();
    EXPECT_EQ(qAlpha(tinted.pixel(3, 0)), 0);
    const QColor inside = tinted.pixelColor(0, 0);
    EXPECT_NEAR(inside.alpha(), 128, 1);
    EXPECT_EQ(inside.red(), 255);
    EXPECT_EQ(inside.green(), 0);
}

}  // namespace
}  // namespace velnor7::ui

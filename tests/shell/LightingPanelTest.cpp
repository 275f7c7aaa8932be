// The lighting tab of the keyboard page in the main window, used as a user uses it: what each
// choice leaves in the profile file and in the keyboard's memory, how each mode arranges the
// panel, the colour fields' rules, the light switch, and painting keys in the custom mode.
#include "shell/MainWindowFixture.h"

#include "common/JsonFile.h"
#include "core/page/DeviceKeyButtonUI.h"
#include "core/page/LightControlUI.h"
#include "core/page/SelectPanelUI.h"
#include "keyboard/KeyboardPayloads.h"
#include "keyboard/page/TessaryKeyboardDevice.h"
#include "shell/Languages.h"
#include "ui/ButtonUI.h"
#include "ui/ColorPaletteUI.h"
#include "ui/ComboUI.h"
#include "ui/EditUI.h"
#include "ui/SliderUI.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QLineEdit>

namespace velnor7 {
namespace {

using testing::MainWindowTest;
using testing::WaitFor;

constexpr int kCustomMode = CKeyboardConfigurator::kCustomLightMode;

class LightingPanelTest : public MainWindowTest {
protected:
    // The window with the keyboard attached and set up, its lighting tab in view.
    void OpenLighting() {
        Open();
        ASSERT_TRUE(WaitFor(
            [&] { return Keyboard()->Configurator().HasReadOut() && Requests(kCmdWriteParameters) > 0; }));
        Keyboard()->SetFunctionTab(CTessaryKeyboardDevice::kLightingTab);
        ASSERT_TRUE(WaitFor([&] { return Control("light_combo_modeSelect")->GetWidget()->isVisible(); }));
        ASSERT_NE(Panel(), nullptr);
    }
    CTessaryKeyboardDevice* Keyboard() { return dynamic_cast<CTessaryKeyboardDevice*>(KeyboardPage()); }
    CLightControlUI* Panel() { return Keyboard()->LightPanel(); }
    ui::CControlUI* Control(const QString& name) { return Keyboard()->FindSubControl(name); }
    template <class T>
    T* ControlAs(const QString& name) {
        return dynamic_cast<T*>(Control(name));
    }
    // Visible here means shown on the screen: the control and everything around it.
    bool Shown(const QString& name) { return Control(name)->GetWidget()->isVisible(); }
    bool Usable(const QString& name) { return Shown(name) && Control(name)->GetWidget()->isEnabled(); }
    Json::Value StoredLight() { return LoadJsonFile(Keyboard()->GetProfilePath())["Device"][0]["LightInfo"]; }
    std::vector<uint8_t> Parameters() const { return keyboard_->ParameterMemory(); }
    void PickMode(int mode) { testing::PickComboItem(ControlAs<ui::CComboUI>("light_combo_modeSelect"), mode); }
    // The three bytes of `key` on the keyboard's LED page `page`.
    std::vector<uint8_t> LedOf(int key, int page) {
        const size_t led = Keyboard()->Configurator().Maps().leds[static_cast<size_t>(key)];
        const std::vector<uint8_t> memory = keyboard_->LedPage(page);
        return {memory.begin() + 3 * led, memory.begin() + 3 * led + 3};
    }
    void TurnOnManyColours() {
        if (!ControlAs<ui::COptionUI>("deng_7color_check")->IsSelected()) testing::Click(Control("deng_7color_check"));
        ASSERT_EQ(StoredLight()["MultiColor"].asInt(), 1);
    }
    // Empties the field as a user does, types `text` and presses Enter.
    void Commit(const QString& edit, const QString& text) {
        QWidget* line = Control(edit)->GetWidget();
        QTest::mouseClick(line, Qt::LeftButton, Qt::NoModifier, line->rect().center());
        line->setFocus(Qt::MouseFocusReason);
        QTest::keyClick(line, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(line, Qt::Key_Backspace);
        QTest::keyClicks(line, text);
        QTest::keyClick(line, Qt::Key_Return);
    }
};

TEST_F(LightingPanelTest, ChoosingModeBrightnessSpeedAndColourLeavesExactlyThatRecordInTheKeyboardAndTheProfile) {
    OpenLighting();
    auto* modes = ControlAs<ui::CComboUI>("light_combo_modeSelect");
    // The list is the shipped one; the modes it hides cannot be picked.
    ASSERT_EQ(modes->GetCount(), 25);
    EXPECT_FALSE(modes->IsItemVisible(0));
    EXPECT_FALSE(modes->IsItemVisible(22));
    EXPECT_TRUE(modes->IsItemVisible(5));

    PickMode(5);
    // The keys move a slider a step at a time; each step is a choice of its own.
    testing::PressKey(Control("deng_light_slider"), Qt::Key_Home);
    for (int step = 0; step < 3; ++step) testing::PressKey(Control("deng_light_slider"), Qt::Key_Right);
    testing::PressKey(Control("deng_speed_slider"), Qt::Key_End);
    testing::PressKey(Control("deng_speed_slider"), Qt::Key_Left);
    testing::Click(Control("color_option_7"));  // azure, 00 7F FF
    const int brightness = ControlAs<ui::CSliderUI>("deng_light_slider")->GetValue();
    const int speed = ControlAs<ui::CSliderUI>("deng_speed_slider")->GetValue();
    EXPECT_EQ(ControlAs<ui::CSliderUI>("deng_light_slider")->GetMaxValue(), 5);
    EXPECT_EQ(ControlAs<ui::CSliderUI>("deng_speed_slider")->GetMaxValue(), 4);

    const Json::Value stored = StoredLight();
    EXPECT_EQ(stored["SelectItem"].asInt(), 5);
    EXPECT_EQ(stored["Light"].asInt(), brightness);
    EXPECT_EQ(stored["Speed"].asInt(), speed);
    EXPECT_EQ(stored["MultiColor"].asInt(), 0);
    EXPECT_EQ(stored["Red"].asInt(), 0x00);
    EXPECT_EQ(stored["Green"].asInt(), 0x7F);
    EXPECT_EQ(stored["Blue"].asInt(), 0xFF);
    // What the keyboard holds is the record built from that profile, byte for byte.
    const LightRecord expected =
        BuildLightRecord(Keyboard()->Profile().ReadLightInfo(), Keyboard()->Profile().ReadSystemStages(), 0);
    const std::vector<uint8_t> memory = Parameters();
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), memory.begin()));
    EXPECT_EQ(memory[1], 5);
    EXPECT_EQ(memory[2], brightness);
    EXPECT_EQ(brightness, 3);
    EXPECT_EQ(speed, 3);
    // The fields show the preset colour.
    EXPECT_EQ(Panel()->GetChannelText(0), "0");
    EXPECT_EQ(Panel()->GetChannelText(1), "127");
    EXPECT_EQ(Panel()->GetChannelText(2), "255");
    // The palette keeps hue, saturation and value: the colour comes back within a step.
    const QColor palette = QColor::fromRgba(Panel()->GetPaletteColour());
    EXPECT_NEAR(palette.green(), 0x7F, 1);
    EXPECT_EQ(palette.blue(), 0xFF);
    EXPECT_EQ(Control("deng_colordp_btn")->GetBkColor(), QColor(0x00, 0x7F, 0xFF));
}

TEST_F(LightingPanelTest, EachModeArrangesThePanelItsOwnWay) {
    OpenLighting();
    PickMode(17);
    EXPECT_TRUE(Shown("light_zzcc_combo"));
    EXPECT_FALSE(Shown("deng_speed_slider"));
    EXPECT_FALSE(Usable("deng_edit_R"));
    EXPECT_FALSE(Shown("light_combo_custommodeSelect"));
    // The preset colour is the combo's item.
    testing::PickComboItem(ControlAs<ui::CComboUI>("light_zzcc_combo"), 2);
    EXPECT_EQ(StoredLight()["zzccSelectItem"].asInt(), 2);

    PickMode(20);
    EXPECT_TRUE(Shown("light_combo_custommodeSelect"));
    EXPECT_TRUE(Shown("light_close_btn"));
    EXPECT_TRUE(Usable("deng_edit_R"));
    EXPECT_FALSE(Usable("deng_7color_check"));
    EXPECT_FALSE(Shown("deng_speed_slider"));
    EXPECT_FALSE(Shown("light_zzcc_combo"));

    PickMode(23);
    EXPECT_FALSE(Shown("deng_light_slider"));
    EXPECT_FALSE(Shown("deng_speed_slider"));
    EXPECT_FALSE(Usable("deng_edit_G"));
    EXPECT_FALSE(Shown("light_combo_custommodeSelect"));
    EXPECT_FALSE(Shown("deng_same_mode")) << "one device: nothing to synchronise with";
    Keyboard()->SetSeveralDevicesShown(true);
    EXPECT_TRUE(Shown("deng_same_mode"));

    PickMode(18);
    EXPECT_FALSE(Shown("deng_same_mode"));
    EXPECT_EQ(Control("deng_FXL_check")->GetRawText(), "light_set_outside_to_inside_text");
    EXPECT_TRUE(Usable("deng_FXL_check"));
    PickMode(12);
    EXPECT_EQ(Control("deng_FXR_check")->GetRawText(), "light_set_up_to_down_text");
    PickMode(1);
    EXPECT_EQ(Control("deng_FXL_check")->GetRawText(), "light_set_right_to_left_text");
    EXPECT_EQ(StoredLight()["SelectItem"].asInt(), 1);

    // The direction pair: picking one clears the other and stores 1 or 0.
    testing::Click(Control("deng_FXR_check"));
    EXPECT_EQ(StoredLight()["Fx"].asInt(), 0);
    testing::Click(Control("deng_FXL_check"));
    EXPECT_EQ(StoredLight()["Fx"].asInt(), 1);
    EXPECT_FALSE(ControlAs<ui::COptionUI>("deng_FXR_check")->IsSelected());
    EXPECT_EQ(Parameters()[4], 1);
}

TEST_F(LightingPanelTest, TheColourFieldsTakeOnlyZeroTo255AndAColourChoiceEndsManyColours) {
    OpenLighting();
    PickMode(5);
    TurnOnManyColours();

    Commit("deng_edit_G", "300");
    EXPECT_EQ(Panel()->GetChannelText(1), "255");
    EXPECT_EQ(StoredLight()["Green"].asInt(), 255);
    EXPECT_EQ(StoredLight()["MultiColor"].asInt(), 0) << "a colour typed in is one colour";
    EXPECT_FALSE(ControlAs<ui::COptionUI>("deng_7color_check")->IsSelected());

    Commit("deng_edit_B", "77");
    ASSERT_EQ(StoredLight()["Blue"].asInt(), 77);
    Commit("deng_edit_B", "");
    EXPECT_EQ(Panel()->GetChannelText(2), "0");
    EXPECT_EQ(StoredLight()["Blue"].asInt(), 0);

    // Letters and signs never reach the field, typed or pasted.
    auto* red = static_cast<QLineEdit*>(Control("deng_edit_R")->GetWidget());
    red->clear();
    testing::TypeInto(Control("deng_edit_R"), "-5", false);
    red->insert("12a");
    EXPECT_TRUE(red->text().isEmpty() || red->text().toInt() >= 0) << red->text().toStdString();
    EXPECT_FALSE(red->text().contains('-'));
    EXPECT_FALSE(red->text().contains('a'));

    // The palette after many colours: one colour again, in the profile and in the check.
    TurnOnManyColours();
    QWidget* palette = Control("deng_Color_Pallet")->GetWidget();
    QTest::mouseClick(palette, Qt::LeftButton, Qt::NoModifier, QPoint(palette->width() - 8, 8));
    EXPECT_EQ(StoredLight()["MultiColor"].asInt(), 0);
    EXPECT_FALSE(ControlAs<ui::COptionUI>("deng_7color_check")->IsSelected());
    const QColor picked = QColor::fromRgba(Panel()->GetPaletteColour());
    EXPECT_EQ(StoredLight()["Red"].asInt(), picked.red());
    EXPECT_EQ(Panel()->GetChannelText(0), QString::number(picked.red()));
    EXPECT_EQ(Control("deng_colordp_btn")->GetBkColor().rgb(), picked.rgb());
    EXPECT_EQ(Parameters()[6], picked.red());

    // A preset colour leaves a running synchronisation alone; a palette choice ends it.
    Keyboard()->CommandChannel().SetSynced(true);
    testing::Click(Control("color_option_0"));
    EXPECT_TRUE(Keyboard()->CommandChannel().Synced());
    QTest::mouseClick(palette, Qt::LeftButton, Qt::NoModifier, QPoint(palette->width() / 2, 10));
    EXPECT_FALSE(Keyboard()->CommandChannel().Synced());

    // A drag shows its colours as it goes and writes once, where it ends.
    keyboard_->ClearReceivedRequests();
    // (A press sent as it stands: one from QTest this soon after its click would be a double click.)
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(10, 10), palette->mapToGlobal(QPointF(10, 10)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(palette, &press);
    for (int x = 12; x < 60; x += 8) {
        QMouseEvent move(QEvent::MouseMove, QPointF(x, 20), palette->mapToGlobal(QPointF(x, 20)), Qt::LeftButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(palette, &move);
    }
    QTest::mouseRelease(palette, Qt::LeftButton, Qt::NoModifier, QPoint(58, 20));
    EXPECT_EQ(Requests(kCmdWriteParameters), 2) << "the press and the end of the drag";
    EXPECT_EQ(StoredLight()["Red"].asInt(), QColor::fromRgba(Panel()->GetPaletteColour()).red());
}

TEST_F(LightingPanelTest, LightsOffWritesTheSwitchByteAloneAndKeepsTheLighting) {
    OpenLighting();
    PickMode(kCustomMode);
    testing::Click(Control("color_option_4"));
    const std::vector<uint8_t> before = Parameters();
    const Json::Value storedBefore = StoredLight();
    keyboard_->ClearReceivedRequests();

    testing::Click(Control("light_close_btn"));
    EXPECT_EQ(Requests(kCmdWriteParameters), 1);
    std::vector<uint8_t> after = Parameters();
    EXPECT_EQ(after[15], 1);
    after[15] = before[15];
    EXPECT_EQ(after, before) << "nothing but the switch byte changed";
    Json::Value stored = StoredLight();
    EXPECT_EQ(stored["LedStaus"].asInt(), 1);
    stored["LedStaus"] = storedBefore["LedStaus"];
    EXPECT_EQ(stored, storedBefore);

    testing::Click(Control("light_open_btn"));
    EXPECT_EQ(Parameters()[15], 0);
    EXPECT_EQ(StoredLight()["LedStaus"].asInt(), 0);
    EXPECT_EQ(StoredLight()["SelectItem"].asInt(), kCustomMode);
}

TEST_F(LightingPanelTest, PaintingKeysInTheCustomModeLeavesTheirColoursOnTheKeyboardAndInTheSet) {
    OpenLighting();
    PickMode(kCustomMode);
    testing::PickComboItem(ControlAs<ui::CComboUI>("light_combo_custommodeSelect"), 1);
    ASSERT_EQ(StoredLight()["CustomGroup"].asInt(), 1);
    testing::Click(Control("custom_off_color_btn"));
    testing::Click(Control("color_option_0"));  // red

    const int keys[] = {36, 37, 38};  // Q, W, E
    for (int key : keys) testing::Click(Keyboard()->GetKeyButton(key));
    for (int key : keys) EXPECT_EQ(LedOf(key, 1), (std::vector<uint8_t>{255, 0, 0})) << "key " << key;
    EXPECT_EQ(LedOf(39, 1), (std::vector<uint8_t>{0, 0, 0}));
    // The set keeps them: the profile's group 1 has them, and a fresh read of it shows them.
    Keyboard()->Profile().Load(Keyboard()->GetProfilePath());
    const std::vector<CustomColour> set = Keyboard()->Profile().ReadCustomColours(1, kKeyCount);
    for (int key : keys) {
        EXPECT_EQ(set[static_cast<size_t>(key)].red, 255);
        EXPECT_EQ(set[static_cast<size_t>(key)].green, 0);
    }
    EXPECT_EQ(set[39].red, 0);

    // A drag over the keys' panel paints every key it touches, in one write.
    testing::Click(Control("color_option_8"));  // blue
    auto* panel = ControlAs<CSelectPanelUI>("SelectPanel");
    QWidget* surface = panel->GetWidget();
    const QRect first = Keyboard()->GetKeyButton(53)->GetWidget()->geometry();  // A
    const QRect last = Keyboard()->GetKeyButton(55)->GetWidget()->geometry();   // D
    const QPoint from(first.left() + 2, first.top() - 2);
    const QPoint to(last.left() + 2, last.top() + 4);
    keyboard_->ClearReceivedRequests();
    QTest::mousePress(surface, Qt::LeftButton, Qt::NoModifier, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), surface->mapToGlobal(QPointF(to)), Qt::LeftButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(surface, &move);
    QTest::mouseRelease(surface, Qt::LeftButton, Qt::NoModifier, to);
    EXPECT_EQ(Requests(kCmdWriteLedFrame) > 0, true);
    for (int key : {53, 54, 55}) EXPECT_EQ(LedOf(key, 1), (std::vector<uint8_t>{0, 0, 255})) << "key " << key;
    EXPECT_EQ(LedOf(56, 1), (std::vector<uint8_t>{0, 0, 0}));
    EXPECT_TRUE(Keyboard()->GetKeyButton(54)->IsSelected());
    EXPECT_FALSE(Keyboard()->GetKeyButton(36)->IsSelected());
}

TEST_F(LightingPanelTest, BlackOutWithoutASetWritesTheKeysButStoresNothing) {
    OpenLighting();
    PickMode(kCustomMode);
    testing::Click(Control("color_option_11"));  // white
    testing::Click(Control("custom_bright_color_btn"));
    const int group = StoredLight()["CustomGroup"].asInt();
    EXPECT_EQ(LedOf(36, group)[0], 255 * Keyboard()->Configurator().KeyColours()[36].alpha >> 8);

    // No set chosen: the keys go dark on the keyboard, the sets stay as they were.
    ControlAs<ui::CComboUI>("light_combo_custommodeSelect")->SelectItem(-1, false);
    const std::string file = Keyboard()->GetProfilePath();
    const Json::Value sets = LoadJsonFile(file)["Device"][0]["CustomLightMode"];
    testing::Click(Control("custom_off_color_btn"));
    EXPECT_EQ(LedOf(36, group), (std::vector<uint8_t>{0, 0, 0}));
    EXPECT_EQ(LoadJsonFile(file)["Device"][0]["CustomLightMode"], sets);
}

TEST_F(LightingPanelTest, ThePanelInThreeModesAndTwoLanguagesFitsTheWindow) {
    OpenLighting();
    const QString folder = QDir::temp().filePath("velnor7-lighting-panel");
    QDir().mkpath(folder);
    QWidget* window = window_->GetWidget();
    const QRect inside = window->rect();
    for (int language : {0, 1}) {
        ASSERT_TRUE(CLanguages::ApplyLanguage(language));
        for (int mode : {5, 17, kCustomMode}) {
            PickMode(mode);
            QCoreApplication::processEvents();
            for (const char* name : {"light_combo_modeSelect", "deng_light_slider", "deng_FXL_check", "deng_FXR_check",
                                     "deng_7color_check", "deng_Color_Pallet", "color_option_5", "color_option_11",
                                     "deng_edit_B", "deng_colordp_btn", "custom_off_color_btn", "light_open_btn"}) {
                QWidget* widget = Control(name)->GetWidget();
                if (!widget->isVisible()) continue;
                const QRect where(widget->mapTo(window, QPoint(0, 0)), widget->size());
                EXPECT_TRUE(inside.contains(where)) << name << " lies outside the window in mode " << mode;
                // Nothing is cut off at the edge of what holds it.
                for (const QWidget* child = widget; child->parentWidget() != window; child = child->parentWidget()) {
                    EXPECT_TRUE(child->parentWidget()->rect().contains(child->geometry()))
                        << name << " is cut off in mode " << mode;
                }
            }
            EXPECT_TRUE(window->grab().save(QStringLiteral("%1/mode%2-%3.png").arg(folder).arg(mode).arg(language), "PNG"));
        }
    }
    ASSERT_TRUE(CLanguages::ApplyLanguage(0));
}

}  // namespace
}  // namespace velnor7

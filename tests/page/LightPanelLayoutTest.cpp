// How the lighting panel arranges itself for a mode on the pages of the other device kinds,
// and what it tells its page, built from the shipped panel layout.
#include "support/UiHarness.h"

#include "core/page/LightControlUI.h"
#include "core/page/LightPanelLayout.h"

#include <gtest/gtest.h>

namespace velnor7 {
namespace {

using testing::TestWindow;

class PeripheralLightPanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ui::CResourceManager::Instance().SetSkinPath(testing::SourceSkinPath());
        window_.creators["LightControl"] = [] { return new CLightControlUI; };
        window_.Open();
        panel_ = window_.Find<CLightControlUI>("LightControlItem");
        ASSERT_NE(panel_, nullptr);
        panel_->Bind();
    }
    bool Enabled(const char* name) { return window_.FindControl(name)->GetWidget()->isEnabled(); }
    bool Shown(const char* name) { return window_.FindControl(name)->IsVisible(); }
    void Show(int type, int mode) {
        panel_->SetDeviceType(type);
        LightInfoRecord light;
        light.selectItem = static_cast<uint8_t>(mode);
        panel_->ShowValues(light);
    }

    TestWindow window_{"XML/CustomControlXML/LightControl.xml", true};
    CLightControlUI* panel_ = nullptr;
};

TEST_F(PeripheralLightPanelTest, ModesFiveToSevenAreTheMousesOwnAndTheSameModeButtonNeedsPermission) {
    struct Row {
        int type;
        int mode;
        bool colour;
        bool brightness;
        bool direction;
        bool sameModeMayShow;
    };
    const Row rows[] = {
        {kPanelTypeMouse, 0, true, true, true, false},         {kPanelTypeMouse, 3, true, true, false, true},
        {kPanelTypeMouse, 5, true, true, true, false},         {kPanelTypeMousePad, 5, false, false, false, false},
        {kPanelTypeHeadset, 6, false, false, false, false},    {kPanelTypeMouse, 6, false, true, false, false},
        {kPanelTypeHeadsetAlt, 7, false, false, false, false}, {kPanelTypeMousePad, 8, false, false, false, true},
        {kPanelTypeMouse, 9, false, false, false, false},
    };
    for (bool granted : {false, true}) {
        panel_->SetSyncPermission(granted);
        for (const Row& row : rows) {
            Show(row.type, row.mode);
            const std::string where = "type " + std::to_string(row.type) + " mode " + std::to_string(row.mode);
            EXPECT_EQ(Enabled("deng_edit_R"), row.colour) << where;
            EXPECT_EQ(Enabled("deng_light_slider"), row.brightness) << where;
            EXPECT_EQ(Enabled("deng_FXL_check"), row.direction) << where;
            EXPECT_EQ(Shown("deng_same_mode"), row.sameModeMayShow && granted) << where;
            // The keyboard's own parts are left as the layout has them.
            EXPECT_FALSE(Shown("light_zzcc_layout")) << where;
            EXPECT_FALSE(Shown("lightcustom_layout")) << where;
        }
    }
    // A wireless mouse page keeps what it shows.
    Show(kPanelTypeMouse, 9);
    Show(kPanelTypeWirelessMouse, 0);
    EXPECT_FALSE(Enabled("deng_edit_R"));
}

TEST_F(PeripheralLightPanelTest, OnlyTheKeyboardFillsKeysOrSwitchesItsLightsButEveryKindTakesAPresetColour) {
    Show(kPanelTypeMouse, 0);
    for (const char* button : {"custom_bright_color_btn", "custom_off_color_btn", "light_close_btn"}) {
        ui::TNotifyUI click{"click", {}, window_.FindControl(button)};
        EXPECT_FALSE(panel_->OnNotify(click).has_value()) << button;
    }
    ui::TNotifyUI preset{"click", {}, window_.FindControl("color_option_2")};
    const std::optional<LightPanelAction> action = panel_->OnNotify(preset);
    ASSERT_TRUE(action.has_value());
    EXPECT_TRUE(action->keepsSync);
    EXPECT_EQ(action->change.colour, (Rgb{0xFF, 0xFF, 0x00}));
    EXPECT_EQ(action->change.multicolour, 0);

    Show(kPanelTypeKeyboard, 20);
    ui::TNotifyUI blackOut{"click", {}, window_.FindControl("custom_off_color_btn")};
    const std::optional<LightPanelAction> fill = panel_->OnNotify(blackOut);
    ASSERT_TRUE(fill.has_value());
    EXPECT_EQ(fill->kind, LightPanelAction::Kind::FillKeys);
    EXPECT_EQ(fill->colour, (Rgb{0, 0, 0}));
}

TEST(KeyboardLightLayoutTest, EveryModeOutsideTheTableTurnsEverythingOff) {
    for (int mode : {0, 22, 25, 99}) {
        const LightPanelLayout layout = KeyboardLightLayout(mode);
        EXPECT_EQ(layout.brightness, PartState::Disabled) << mode;
        EXPECT_EQ(layout.colour, PartState::Disabled) << mode;
        EXPECT_FALSE(layout.sameModeMayShow) << mode;
    }
    EXPECT_EQ(KeyboardLightLayout(19).colour, PartState::Disabled);
    EXPECT_EQ(KeyboardLightLayout(19).palette, PartState::Enabled);
    EXPECT_EQ(KeyboardLightLayout(1).direction, PartState::Unchanged);
    EXPECT_FALSE(PeripheralLightLayout(kPanelTypeKeyboard, 0).has_value());
}

}  // namespace
}  // namespace velnor7

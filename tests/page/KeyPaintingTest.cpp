// How the on-screen keys look: lights keep their soft edge on long keys, labels stay readable
// over bright lights, the keys of a select panel are painted by the panel, and a frame repaints
// only the keys whose light changed.
#include "support/UiHarness.h"

#include "core/page/DeviceKeyButtonUI.h"
#include "core/page/KeyCapImages.h"
#include "core/page/SelectPanelUI.h"
#include "core/page/TessaryUSBDevice.h"
#include "ui/ResourceManager.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QWidget>

namespace velnor7 {
namespace {

using testing::TestWindow;

const QColor kBackdrop(0x15, 0x17, 0x1C);

class KeyPaintingTest : public ::testing::Test {
protected:
    void SetUp() override { ui::CResourceManager::Instance().SetSkinPath(testing::SourceSkinPath()); }
    QPixmap Skin(const QString& image) { return ui::CResourceManager::Instance().GetImage(image); }
    QImage Lit(const QSize& size, const QColor& colour, int alpha, const QColor& backdrop = kBackdrop) {
        return KeyCapImages::Instance().LitCap(Skin("keyboard/key_normal.png"), QMargins(6, 6, 6, 6),
                                               Skin("keyboard/key_light.png"), size, colour, alpha, backdrop);
    }
};

TEST_F(KeyPaintingTest, ALongKeysLightKeepsTheEdgeOfAShortKeysAndIsOpaqueOverItsPanel) {
    const QImage shortKey = Lit(QSize(40, 40), QColor(255, 0, 0), 255);
    const QImage space = Lit(QSize(271, 40), QColor(255, 0, 0), 255);
    ASSERT_FALSE(shortKey.isNull());
    EXPECT_FALSE(space.hasAlphaChannel()) << "over an opaque panel a key is a copy, not a blend";
    // The soft edge is as wide on the space bar as on a letter key: the same pixels along the
    // left edge, however long the key.
    for (int x = 0; x < 8; ++x) EXPECT_EQ(space.pixel(x, 20), shortKey.pixel(x, 20)) << "column " << x;
    for (int x = 0; x < 8; ++x) EXPECT_EQ(space.pixel(270 - x, 20), shortKey.pixel(39 - x, 20)) << "column " << x;
    EXPECT_EQ(QColor(space.pixel(135, 20)), QColor(255, 0, 0)) << "full light in the middle";
    EXPECT_EQ(QColor(space.pixel(0, 0)), kBackdrop) << "the panel shows in the rounded corner";

    // Half the alpha: half way between the cap and the light.
    const QImage dim = Lit(QSize(40, 40), QColor(255, 0, 0), 128);
    const QColor cap = QColor(Lit(QSize(40, 40), QColor(255, 0, 0), 0).pixel(20, 20));
    EXPECT_NEAR(QColor(dim.pixel(20, 20)).red(), (255 * 128 + cap.red() * 127) / 255, 1);
    EXPECT_NEAR(QColor(dim.pixel(20, 20)).green(), cap.green() * 127 / 255, 1);
}

TEST_F(KeyPaintingTest, LabelsTurnDarkOnlyOverALightBrightEnoughToWashThemOut) {
    CDeviceKeyButtonUI key;
    key.SetAttribute("textcolor", "#FFE6E8EE");
    const QColor text(0xE6, 0xE8, 0xEE);
    key.SetLight(QColor(255, 255, 0), 255);
    EXPECT_NE(key.LabelColour(), text) << "yellow at full light";
    EXPECT_EQ(key.LabelColour(false), text);
    key.SetLight(QColor(255, 255, 0), 60);
    EXPECT_EQ(key.LabelColour(), text) << "a faint yellow";
    key.SetLight(QColor(0, 0, 255), 255);
    EXPECT_EQ(key.LabelColour(), text) << "a deep blue";
    key.SetLit(false);
    key.SetLight(QColor(255, 255, 255), 255);
    EXPECT_EQ(key.LabelColour(), text) << "an unlit key shows no light";
}

const char* const kPanelLayout = R"(<Window size="300,120"><VerticalLayout>
  <SelectPanel name="SelectPanel" width="200" height="80" bkcolor="#FF15171C" opaque="true">
    <DeviceKeyButton name="key_0" userdata="light_0" float="true" pos="10,10,50,50" text="A"
        normalimage="file='keyboard/key_normal.png' corner='6,6,6,6'" lightimage="keyboard/key_light.png"/>
    <DeviceKeyButton name="key_1" userdata="light_1" float="true" pos="60,10,131,50" text="Tab"
        normalimage="file='keyboard/key_normal.png' corner='6,6,6,6'" lightimage="keyboard/key_light.png"/>
  </SelectPanel>
  <Control/>
</VerticalLayout></Window>)";

class PanelPage : public CTessaryUSBDevice {};

TEST_F(KeyPaintingTest, TheSelectPanelPaintsItsKeysInTheirLights) {
    TestWindow window(QString(kPanelLayout).replace("<VerticalLayout>", "<PanelPage name=\"page\">")
                          .replace("</VerticalLayout></Window>", "</PanelPage></Window>"));
    window.creators["PanelPage"] = [] { return new PanelPage; };
    window.creators["SelectPanel"] = [] { return new CSelectPanelUI; };
    window.creators["DeviceKeyButton"] = [] { return new CDeviceKeyButtonUI; };
    window.Open();
    auto* page = window.Find<PanelPage>("page");
    ASSERT_NE(page, nullptr);
    page->SetPageXml("panel.xml");
    page->SetKeyCount(2);
    page->SetLedCount(2);
    page->InitPage();
    page->RepaintChangedLights();  // both went dark at the start
    auto* a = dynamic_cast<CDeviceKeyButtonUI*>(page->GetLightButton(0));
    ASSERT_NE(a, nullptr);
    EXPECT_TRUE(a->PaintedByPanel());

    page->SetLedColor(0, PackLed(LedState{Rgb{0, 200, 0}, 255}));
    page->UpdatePreview();
    EXPECT_EQ(page->RepaintChangedLights(), 1) << "only key A changed";
    EXPECT_EQ(page->RepaintChangedLights(), 0) << "and it has been repainted";

    QWidget* panel = window.FindControl("SelectPanel")->GetWidget();
    const QImage shown = panel->grab().toImage();
    // Key A at 10..50: its light away from the label and the soft edge; key Tab, unlit,
    // shows the bare cap.
    EXPECT_EQ(QColor(shown.pixel(18, 40)), QColor(0, 200, 0));
    EXPECT_NE(QColor(shown.pixel(68, 40)), QColor(0, 200, 0));
    EXPECT_EQ(QColor(shown.pixel(5, 5)), kBackdrop) << "the panel itself between the keys";

    // Both keys change at once: the two are repainted (as the whole panel).
    page->SetLedColor(0, PackLed(LedState{Rgb{0, 0, 200}, 255}));
    page->SetLedColor(1, PackLed(LedState{Rgb{200, 0, 0}, 255}));
    page->UpdatePreview();
    EXPECT_EQ(page->RepaintChangedLights(), 2);
    const QImage again = panel->grab().toImage();
    EXPECT_EQ(QColor(again.pixel(18, 40)), QColor(0, 0, 200));
    EXPECT_EQ(QColor(again.pixel(68, 40)), QColor(200, 0, 0));
}

}  // namespace
}  // namespace velnor7

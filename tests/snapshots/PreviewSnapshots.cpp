// Pictures of the keyboard page for the eye: the main window with the simulated keyboard,
// each lighting mode stepped a number of times on a clock of its own, saved as PNG.
//   VELNOR7_SNAPSHOT_DIR=DIR [VELNOR7_SNAPSHOT_STEPS=K] preview_snapshots
// Not a test: it checks nothing a person would not see better in the pictures. The pictures
// stay out of the repository.
#include "shell/MainWindowFixture.h"

#include "keyboard/page/TessaryKeyboardDevice.h"
#include "keyboard/PreviewTables.h"
#include "profiles/ProfileRecords.h"

#include <QDir>
#include <QWidget>

namespace velnor7 {
namespace {

class PreviewSnapshots : public testing::MainWindowTest {};

TEST_F(PreviewSnapshots, EveryModeAfterSomeSteps) {
    const QString folder = qEnvironmentVariable("VELNOR7_SNAPSHOT_DIR");
    if (folder.isEmpty()) GTEST_SKIP() << "set VELNOR7_SNAPSHOT_DIR to the folder for the pictures";
    const int steps = qEnvironmentVariableIsSet("VELNOR7_SNAPSHOT_STEPS") ? qEnvironmentVariableIntValue("VELNOR7_SNAPSHOT_STEPS") : 40;
    QDir().mkpath(folder);
    Open();
    auto* keyboard = dynamic_cast<CTessaryKeyboardDevice*>(KeyboardPage());
    ASSERT_TRUE(testing::WaitFor([&] { return keyboard->LightThreadRunning(); }));
    // The pictures are stepped here, on a clock of their own, not by the page's thread.
    keyboard->StopLightThread();
    QWidget* window = keyboard->GetWidget()->window();
    window->resize(1180, 760);
    uint64_t now = 1000;  // steady, as a clock is
    for (int mode = 0; mode <= 24; ++mode) {
        LightInfoRecord light = keyboard->GetLightInfo();
        light.selectItem = static_cast<uint8_t>(mode);
        light.light = 5;
        light.speed = 2;
        light.fx = 1;
        light.multiColor = mode == 7 || mode == 8 ? 0 : 1;
        light.red = 255;
        light.green = 120;
        light.blue = 0;
        keyboard->SetLightInfo(light);
        KeyboardPreviewRunner& preview = keyboard->Preview();
        preview.Restart();
        // Reactive modes get a few keys to react to.
        for (KeyIndex key : {KeyIndex{49}, KeyIndex{30}, KeyIndex{88}}) preview.PostKeyEvent(key, true);
        const PreviewLight shown{keyboard->GetLightingState(), light.zzccSelectItem};
        const int ticks = steps * PreviewPeriodTicks(static_cast<uint8_t>(mode), light.speed).value_or(1);
        preview.Pass(shown, now);
        for (int tick = 0; tick < ticks; ++tick) preview.Pass(shown, now += KeyboardPreviewRunner::kTickMs);
        keyboard->UpdatePreview();
        keyboard->RepaintChangedLights();
        const QString file = QDir(folder).filePath(QString("mode%1.png").arg(mode, 2, 10, QChar('0')));
        EXPECT_TRUE(window->grab().save(file)) << file.toStdString();
    }
}

}  // namespace
}  // namespace velnor7

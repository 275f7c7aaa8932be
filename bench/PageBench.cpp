// The device page: one UpdatePreview frame of a 126-LED page, and the CPU an attached page
// costs while its light thread renders spectrum at the fastest speed and the frame timer
// streams every 20 ms (the goal: under 2 % of one core).
#include "QtBenchApp.h"

#include "core/HidBackend.h"
#include "core/LightTables.h"
#include "core/page/DeviceKeyButtonUI.h"
#include "core/page/KeyCapImages.h"
#include "core/page/SelectPanelUI.h"
#include "core/page/TessaryUSBDevice.h"
#include "sim/KeyboardEmulator.h"
#include "sim/SimulatedHidBus.h"
#include "ui/ControlFactory.h"
#include "ui/DialogBuilder.h"
#include "ui/PaintManagerUI.h"

#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QFile>
#include <QWidget>
#include <QEventLoop>
#include <QTimer>

#include <sys/resource.h>

namespace {

using namespace velnor7;

// Spectrum on the common threshold row, as the mouse, mouse pad and headset run it.
class SpectrumPage : public CTessaryUSBDevice {
protected:
    int FrameThreshold(uint8_t, uint8_t speed) const override {
        return speed < CommonThresholdRow.size() ? CommonThresholdRow[speed] : 0;
    }
    void RunEffect(uint8_t) override { SpectrumEffect(); }
};

std::unique_ptr<SpectrumPage> MakePage(int leds) {
    auto page = std::make_unique<SpectrumPage>();
    page->SetPageXml("bench");
    page->SetLedCount(leds);
    for (int i = 0; i < leds; ++i) {
        auto* button = new CDeviceKeyButtonUI;
        button->SetUserData(QString("light_%1").arg(i));
        page->Add(button);
    }
    page->InitPage();
    LightInfoRecord lighting;
    lighting.selectItem = 1;
    lighting.light = 5;
    lighting.speed = 4;
    lighting.fx = 1;
    page->SetLightInfo(lighting);
    return page;
}

void BM_UpdatePreview126Leds(benchmark::State& state) {
    bench::EnsureQtApplication();
    auto page = MakePage(126);
    for (int i = 0; i < 126; ++i) page->SetLedColor(i, PackLed({Rgb{200, 100, 50}, 200}));
    for (auto _ : state) {
        page->UpdatePreview();
        benchmark::DoNotOptimize(page->LastFrame().data());
    }
}
BENCHMARK(BM_UpdatePreview126Leds);

double ProcessCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void BM_AttachedPageSpectrumCpuShare(benchmark::State& state) {
    bench::EnsureQtApplication();
    auto bus = std::make_shared<SimulatedHidBus>();
    bus->Plug(std::make_shared<KeyboardEmulator>());
    SetHidBackend(bus);
    std::vector<std::string> paths;
    bus->Enumerate(paths);
    DeviceIdentity identity;
    for (const std::string& path : paths) {
        if (path.find("&mi_01&col04") != std::string::npos) identity.path = path;
    }
    auto page = MakePage(126);
    page->AttachCommandInterface(identity);
    page->StartLightThread();
    QTimer frameTimer;
    QObject::connect(&frameTimer, &QTimer::timeout, [&] { page->UpdatePreview(); });
    frameTimer.start(20);
    for (auto _ : state) {
        const double cpuBefore = ProcessCpuSeconds();
        QElapsedTimer wall;
        wall.start();
        QEventLoop loop;
        QTimer::singleShot(10000, &loop, &QEventLoop::quit);
        loop.exec();
        state.SetIterationTime(wall.elapsed() / 1000.0);
        state.counters["cpu_per_wall_%"] = 100.0 * (ProcessCpuSeconds() - cpuBefore) / (wall.elapsed() / 1000.0);
    }
    frameTimer.stop();
    page->StopLightThread();
    page->DetachCommandInterface();
    SetHidBackend(nullptr);
}
BENCHMARK(BM_AttachedPageSpectrumCpuShare)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

// One preview frame on screen: every key of the keyboard page takes a new light and the
// window repaints, as a full-keyboard effect makes it every 20 ms. The keys and their panel
// come from the shipped page layout, over the window's background.
void BM_RepaintOnScreenKeyboard(benchmark::State& state) {
    bench::EnsureQtApplication();
    ui::CControlFactory::Instance().RegistControl("DeviceKeyButton", [] { return new CDeviceKeyButtonUI; });
    ui::CControlFactory::Instance().RegistControl("SelectPanel", [] { return new CSelectPanelUI; });
    QFile layout(VELNOR7_SOURCE_DIR "/skin/XML/DeviceXml/keyboarddevice.xml");
    layout.open(QIODevice::ReadOnly);
    QString keys;
    for (const QString& line : QString::fromUtf8(layout.readAll()).split('\n'))
        if (line.trimmed().startsWith("<DeviceKeyButton")) keys += line;
    const QString xml = "<VerticalLayout bkcolor=\"#FF15171C\" bkimage=\"common/background.png\"><HorizontalLayout height=\"314\">"
                        "<SelectPanel name=\"SelectPanel\" width=\"1060\" height=\"314\" bkcolor=\"#FF15171C\" opaque=\"true\">" + keys +
                        "</SelectPanel></HorizontalLayout><Control/></VerticalLayout>";
    ui::CPaintManagerUI manager;
    ui::CDialogBuilder builder;
    ui::CControlUI* root = builder.CreateFromString(xml, nullptr, &manager);
    manager.AttachDialog(root);
    QWidget* window = root->GetWidget();
    window->resize(1100, 700);
    window->show();
    QCoreApplication::processEvents();
    const std::vector<ui::CControlUI*> buttons = ui::CPaintManagerUI::FindSubControlsByClass(root, "DeviceKeyButton");
    int frame = 0;
    for (auto _ : state) {
        ++frame;
        for (size_t i = 0; i < buttons.size(); ++i) {
            auto* key = static_cast<CDeviceKeyButtonUI*>(buttons[i]);
            const Rgb colour = ColourWheel[(frame * 3 + i * 7) % 192];
            key->SetLight(QColor(colour.red, colour.green, colour.blue), 255);
        }
        // Every key changed: the page repaints the panel once.
        manager.FindControl("SelectPanel")->Invalidate();
        // The window paints what changed, as the event loop would.
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
    state.counters["keys"] = static_cast<double>(buttons.size());
    manager.AttachDialog(nullptr);
    delete root;
}
BENCHMARK(BM_RepaintOnScreenKeyboard)->Unit(benchmark::kMicrosecond);

// A key lit in a colour it has not shown before: the lit cap is made once, then copied.
void BM_LightAKeyInANewColour(benchmark::State& state) {
    bench::EnsureQtApplication();
    const QPixmap cap = ui::CResourceManager::Instance().GetImage("keyboard/key_normal.png");
    const QPixmap light = ui::CResourceManager::Instance().GetImage("keyboard/key_light.png");
    uint32_t colour = 0;
    for (auto _ : state) {
        ++colour;
        benchmark::DoNotOptimize(KeyCapImages::Instance().LitCap(cap, QMargins(6, 6, 6, 6), light, QSize(40, 40),
                                                                 QColor::fromRgb(colour & 0xFFFFFF), 255, QColor(0x15, 0x17, 0x1C)));
    }
}
BENCHMARK(BM_LightAKeyInANewColour);

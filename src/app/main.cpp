// velnor7: the desktop configurator.
#include "common/Paths.h"
#include "common/Trace.h"
#include "core/HidBackend.h"
#include "platform/HidrawBackend.h"
#include "platform/SingleInstance.h"
#include "shell/ControlClasses.h"
#include "shell/MainWnd.h"
#include "shell/SimulatedDevices.h"
#include "ui/ResourceManager.h"
#include "ui/WindowMessages.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QIcon>

#include <iostream>

int main(int argc, char** argv) {
    using namespace velnor7;
    QCoreApplication::setApplicationName("VELNOR7");
    QCoreApplication::setApplicationVersion(VELNOR7_VERSION);

    QCommandLineParser parser;
    parser.setApplicationDescription("Configurator for the keyboard, mouse, mouse pad and headset of the VELNOR7 family.");
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    QCommandLineOption simulate("simulate",
                                "Use a simulated keyboard instead of the USB bus; SCHEDULE is when it is plugged in "
                                "and pulled out, in milliseconds from start (default plug@300).",
                                "SCHEDULE");
    QCommandLineOption trace("trace", "Write the trace lines to stderr.");
    parser.addOption(simulate);
    parser.addOption(trace);
    // A bare --simulate takes the default schedule.
    const auto withDefaults = [](QStringList arguments) {
        for (QString& argument : arguments) {
            if (argument == "--simulate") argument = "--simulate=plug@300";
        }
        return arguments;
    };
    // --help and --version are answered before the application exists: they need no display.
    // (Qt's own options are not known yet; the full check follows.)
    QStringList early;
    for (int i = 0; i < argc; ++i) early << QString::fromLocal8Bit(argv[i]);
    parser.parse(withDefaults(early));
    if (parser.isSet(help)) {
        std::cout << qPrintable(parser.helpText().replace("<executable_name>", "velnor7"));
        return 0;
    }
    if (parser.isSet(version)) {
        std::cout << "velnor7 " << VELNOR7_VERSION << '\n';
        return 0;
    }

    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    // The launcher entry the desktop matches this program's windows with.
    QGuiApplication::setDesktopFileName("org.velnor7.Velnor7");
    parser.process(withDefaults(QApplication::arguments()));
    if (parser.isSet(trace)) SetTraceToStderr(true);

    ui::CResourceManager& resources = ui::CResourceManager::Instance();
    for (const char* font : {"Simplified_Chinese.ttf", "Korvath-Regular.otf", "NotoSansThai-Regular.ttf",
                             "NotoSansCJKtc-Regular.otf"}) {
        const QString file = QString::fromStdString(FontDirectory()) + font;
        if (QFileInfo::exists(file)) resources.AddPrivateFont(file);
    }

    const unsigned instanceMessage = ui::RegisterWindowMessage("VELNOR7");
    Trace("软件标示：%d", instanceMessage);
    CSingleInstance instance("VELNOR7");
    if (!instance.Acquire()) {
        resources.RemovePrivateFonts();
        return 0;
    }

    resources.SetSkinPath(QString::fromStdString(SkinDirectory()));
    RegisterControlClasses();
    ui::RegisterWindowMessage("{4695579F-999A-41d4-9FAF-EFFCE93EBF15}");
    ui::RegisterWindowMessage("{4695579F-999A-41d4-9FAF-EFFCE93EBF16}");
    ui::RegisterWindowMessage("{4695579F-999A-41d4-9FAF-EFFCE93EBF17}");

    CSimulatedDevices simulated;
    if (parser.isSet(simulate)) {
        const auto schedule = CSimulatedDevices::ParseSchedule(parser.value(simulate));
        if (!schedule) {
            std::cerr << "velnor7: --simulate takes a schedule such as plug@300,unplug@5000,plug@8000\n";
            return 2;
        }
        simulated.Start(*schedule);
    } else {
        SetHidBackend(MakeHidrawBackend());
    }

    {
        CMainWnd window;
        window.Create(nullptr, "VELNOR7", ui::CWindowWnd::kFrameless);
        if (window.GetWidget() != nullptr) window.GetWidget()->setWindowIcon(QIcon(resources.SkinFile("common/app_icon.svg")));
        // Built, sized and placed while hidden; shown once the first scan has decided
        // what the window shows.
        window.InitialiseHidden();
        instance.SetOnAnotherStart([&window, instanceMessage] {
            ui::PostWindowMessage(window.GetHWND(), ui::WindowMessage{instanceMessage, 0, 1, {}});
        });
        ui::CWindowWnd::MessageLoop();
    }
    resources.RemovePrivateFonts();
    SetHidBackend(nullptr);
    return 0;
}

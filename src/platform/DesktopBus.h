#pragma once
// The program's messages to and from other programs on the desktop's buses.
//
// Session bus, object /org/velnor7/Lights, interface org.velnor7.Lights:
//   signal Claim(int wParam, int lParam)         sent: this program drives the lights (1, 1)
//                                                or leaves them (1, 0)
//   signal LightControl(int wParam, int lParam)  received: another program asks to release
//                                                (1, 0) or retake (1, 1) the lights
// Session bus, object /org/velnor7/Update, interface org.velnor7.Update:
//   signal InstallerStatus(int wParam, int lParam) received: an installer the settings window
//                                                started reports: 1 installed, 2 or 3 failed,
//                                                4 with lParam its progress in percent
// System bus: logind's PrepareForSleep(bool) tells of suspend (true) and resume (false).
// Without a bus the program runs on; Connect says so with a trace line.

#include <QObject>

#include <functional>

namespace velnor7 {

class CDesktopBus : public QObject {
    Q_OBJECT

public:
    static constexpr const char* kPath = "/org/velnor7/Lights";
    static constexpr const char* kInterface = "org.velnor7.Lights";
    static constexpr const char* kUpdatePath = "/org/velnor7/Update";
    static constexpr const char* kUpdateInterface = "org.velnor7.Update";

    // The handlers run on the UI thread.
    void SetOnLightControl(std::function<void(int wParam, int lParam)> handler) { onLightControl_ = std::move(handler); }
    void SetOnInstallerStatus(std::function<void(int wParam, int lParam)> handler) {
        onInstallerStatus_ = std::move(handler);
    }
    void SetOnSleep(std::function<void(bool suspending)> handler) { onSleep_ = std::move(handler); }

    // Joins the session bus (and watches logind on the system bus); false without a session bus.
    bool Connect();
    bool IsConnected() const { return connected_; }
    bool BroadcastClaim(int wParam, int lParam);
    // What another program sends (also used by tests and the command line).
    static bool SendLightControl(int wParam, int lParam);
    static bool SendInstallerStatus(int wParam, int lParam);

private Q_SLOTS:
    void OnLightControl(int wParam, int lParam);
    void OnInstallerStatus(int wParam, int lParam);
    void OnPrepareForSleep(bool suspending);

private:
    std::function<void(int, int)> onLightControl_;
    std::function<void(int, int)> onInstallerStatus_;
    std::function<void(bool)> onSleep_;
    bool connected_ = false;
};

}  // namespace velnor7

#pragma once
// A top-level window: a Qt widget whose events arrive as numbered window messages at
// HandleMessage, on the UI thread.

#include "ui/UiTypes.h"
#include "ui/WindowMessages.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <map>
#include <vector>

class QEventLoop;
class QTimer;

namespace velnor7::ui {

class CWindowWnd {
public:
    // How a window appears.
    enum Style : unsigned {
        kFramed = 0,          // a normal window with the desktop's frame
        kFrameless = 1 << 0,  // the layout draws its own caption
        kToolWindow = 1 << 1, // no task bar entry
        kTopmost = 1 << 2,
        kNoActivate = 1 << 3, // shown without taking the focus
    };

    CWindowWnd();
    virtual ~CWindowWnd();
    CWindowWnd(const CWindowWnd&) = delete;
    CWindowWnd& operator=(const CWindowWnd&) = delete;

    // Makes the native window; `owner` (may be null) keeps it above its owner.
    bool Create(CWindowWnd* owner, const QString& title, unsigned style = kFrameless);
    WindowHandle GetHWND() const { return handle_; }
    QWidget* GetWidget() const { return widget_.data(); }
    bool IsWindow() const { return widget_ != nullptr; }

    void ShowWindow(bool show = true, bool takeFocus = true);
    // Shows the window modal to the application and returns the code it was closed with.
    int ShowModal();
    // Centres on the owner, or on the screen without one.
    void CenterWindow();
    void ResizeClient(int width, int height);
    // Closes (asynchronously): the close message, then destruction and the final message.
    void Close(int result = 0);

    // A repeating window timer; its expiry arrives as the timer message with the id as wParam.
    void SetTimer(int timerId, int milliseconds);
    void KillTimer(int timerId);
    bool HasTimer(int timerId) const { return timers_.count(timerId) != 0; }
    // The period of a running timer; -1 when there is none.
    int TimerInterval(int timerId) const;
    // What the timer's expiry does, at once (tests deliver expiries this way, not by waiting).
    void ExpireTimer(int timerId);

    // The window procedure: every message of this window arrives here.
    virtual long HandleMessage(const WindowMessage& message);

    // Runs the application's event loop until the last window asks it to end.
    static int MessageLoop();
    static void QuitMessageLoop(int code = 0);

protected:
    // The window exists; build its content.
    virtual void OnCreate() {}
    // The window is gone; the object may delete itself here.
    virtual void OnFinalMessage() {}
    // Hides the window, removes its content and ends a modal loop with `result`.
    void Destroy(int result);
    QWidget* CreateWidget();

private:
    friend class WindowWidget;
    QPointer<QWidget> widget_;
    CWindowWnd* owner_ = nullptr;
    std::vector<CWindowWnd*> owned_;  // destroyed before this one: their widgets are its widget's children
    WindowHandle handle_ = 0;
    std::map<int, QTimer*> timers_;
    QEventLoop* modalLoop_ = nullptr;
    int* modalResult_ = nullptr;
    bool destroying_ = false;
};

}  // namespace velnor7::ui

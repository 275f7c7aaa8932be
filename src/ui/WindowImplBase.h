#pragma once
// The base of every window built from a layout file: builds its controls, receives their
// notifications (through the notify pump) and its window messages (MessageHandler first).

#include "ui/DialogBuilder.h"
#include "ui/NotifyPump.h"
#include "ui/PaintManagerUI.h"
#include "ui/WindowWnd.h"

namespace velnor7::ui {

class CControlUI;

class WindowImplBase : public CWindowWnd, public INotifyUI, public CNotifyPump, public IDialogBuilderCallback {
public:
    WindowImplBase();
    ~WindowImplBase() override;

    // The layout file of the window, relative to the skin folder.
    virtual QString GetSkinFile() const = 0;
    virtual QString GetWindowClassName() const = 0;

    CPaintManagerUI& GetPaintManager() { return m_pm; }
    CControlUI* FindControl(const QString& name) const { return m_pm.FindControl(name); }
    template <class T>
    T* FindControlAs(const QString& name) const {
        return dynamic_cast<T*>(m_pm.FindControl(name));
    }
    const WindowLayoutInfo& GetLayoutInfo() const { return layoutInfo_; }

    // 96 is 100 %; the window takes its layout's size at that DPI.
    void SetDPI(int dpi);
    // The DPIs a window of the program is drawn at: 48 to 192 in steps of 24.
    static bool IsDpiStep(int dpi) { return dpi >= 48 && dpi <= 192 && dpi % 24 == 0; }
    int GetDPI() const { return m_pm.GetDPI(); }
    int Scale(int value) const { return m_pm.Scale(value); }

    // "windowinit" without showing the window: a window that decides itself when it is
    // first shown (and is then mapped once, complete). The first show sends it otherwise.
    void InitialiseHidden();

    void Notify(TNotifyUI& msg) override { NotifyPump(msg); }
    CControlUI* CreateControl(const QString& className) override;
    long HandleMessage(const WindowMessage& message) override;

protected:
    // Ahead of the layer's own handling; set `handled` to stop it.
    virtual long MessageHandler(const WindowMessage& message, bool& handled);
    // The controls exist; find them and set them up.
    virtual void InitWindow() {}
    // A layout held in a string instead of a file (tests, generated windows); empty for none.
    virtual QString GetSkinXml() const { return {}; }
    void OnCreate() override;

    CPaintManagerUI m_pm;

private:
    void ApplyWindowSize();

    CControlUI* root_ = nullptr;
    WindowLayoutInfo layoutInfo_;
    bool initSent_ = false;
};

}  // namespace velnor7::ui

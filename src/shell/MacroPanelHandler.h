#pragma once
// What the main window does with the macro tab of the page shown: its buttons and its row
// menu, recording through the capture of keys and mouse buttons, and keeping the key
// assignments that play macros in step when a macro is deleted.

#include "macros/recorder/DeviceHook.h"
#include "macros/recorder/MacroRecorder.h"
#include "ui/UiTypes.h"

#include <QPointer>
#include <QString>

#include <cstdint>
#include <memory>

class QMenu;

namespace velnor7 {

class CMainWnd;
class CMacroControlUI;
class CTessaryUSBDevice;

class CMacroPanelHandler {
public:
    // The message the row menu reports its chosen item with.
    static constexpr unsigned kMsgRowMenu = 3097;

    explicit CMacroPanelHandler(CMainWnd& window);
    ~CMacroPanelHandler();

    // True when the notification came from the page's macro tab and was handled.
    bool OnNotify(CTessaryUSBDevice& page, ui::TNotifyUI& msg);
    // An item of the row menu.
    void OnMenuItem(const QString& name);
    // True when `id` is one of the capture's messages; the event then went where it belongs.
    bool OnHookMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam);
    // Message 1054: the key capture of the key assignment panel starts (1) or ends (0).
    void OnKeyCaptureRequest(bool install);

    // Recording in `mode` starts or stops; the device selector and the profile bar are enabled
    // exactly when not recording. False when the capture could not start (the user is told).
    bool SetRecording(int mode, bool on, bool keyboardHook, bool mouseHook);
    void StartRecordingWith(RecordTimeMode timeMode, int mode);
    // Ends the shown page's recording, if it records, and saves the macro.
    void StopRecording();
    CDeviceHook& Hook() { return *hook_; }

private:
    CMacroControlUI* ShownPanel();
    void OnClick(CTessaryUSBDevice& page, CMacroControlUI& panel, const QString& name);
    void AddMacro(CTessaryUSBDevice& page, CMacroControlUI& panel);
    void DeleteMacro(CTessaryUSBDevice& page, CMacroControlUI& panel);
    void RenameMacro(CTessaryUSBDevice& page, CMacroControlUI& panel);
    // The shown macro saved, then every macro of the list sent to the device.
    void WriteMacros(CTessaryUSBDevice& page, CMacroControlUI& panel);
    void ImportMacro(CTessaryUSBDevice& page, CMacroControlUI& panel);
    void ExportMacro(CMacroControlUI& panel);
    void OpenRowMenu(std::intptr_t screenPoint);
    // The time mode of the record button and of the "record time" menu items.
    RecordTimeMode ChosenTimeMode(CMacroControlUI& panel);

    CMainWnd& window_;
    std::unique_ptr<CDeviceHook> hook_;
    QPointer<QMenu> rowMenu_;
};

}  // namespace velnor7

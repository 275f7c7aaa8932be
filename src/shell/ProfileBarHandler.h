#pragma once
// What the main window does with the profile bar of the page shown: its buttons, the pick of
// its combo (the switch itself waits for timer 1055, so that quick picks load only the last)
// and its function tabs.

#include "ui/UiTypes.h"

namespace velnor7 {

class CMainWnd;
class CDeviceProfileUI;
class CTessaryUSBDevice;
struct ProfileResult;

class CProfileBarHandler {
public:
    explicit CProfileBarHandler(CMainWnd& window) : window_(window) {}

    // True when the notification came from the page's profile bar and was handled.
    bool OnNotify(CTessaryUSBDevice& page, ui::TNotifyUI& msg);
    // Timer 1055: the page takes the profile picked in its bar and writes it to the device.
    void SwitchProfile(CTessaryUSBDevice& page);

private:
    void OnClick(CTessaryUSBDevice& page, CDeviceProfileUI& bar, const QString& name);
    void Delete(CDeviceProfileUI& bar);
    void Rename(CDeviceProfileUI& bar);
    void Reset(CTessaryUSBDevice& page, CDeviceProfileUI& bar);
    void Import(CDeviceProfileUI& bar);
    void Export(CDeviceProfileUI& bar);
    // A failed operation reaches the user; true for success.
    bool Told(const ProfileResult& result);
    // A question in the message window: its code. A notice.
    bool Ask(const QString& text);
    void Tell(const QString& text);

    CMainWnd& window_;
};

}  // namespace velnor7

#pragma once
// The selector entry of a device page: the device's icon and name, shown while the device is
// attached; picking it brings the page and its power panel into view. Its timers drive the
// attached device: 1001 start-up (500 ms after attach), 1000 frames (20 ms), 1005 power
// status (5 s) and 1002 read-back; each re-arms only while the page's channel is open.

#include "ui/ContainerUI.h"

#include <array>

namespace velnor7 {

namespace ui {
class CLabelUI;
class COptionUI;
}  // namespace ui
class CTessaryUSBDevice;

class CDeviceOptionUI : public ui::CHorizontalLayoutUI {
public:
    static constexpr int kFrameTimer = 1000;
    static constexpr int kStartUpTimer = 1001;
    static constexpr int kReadBackTimer = 1002;
    static constexpr int kPowerTimer = 1005;
    // A device that could not be read at attach is read again after these waits, doubling.
    static constexpr int kFirstReadRetryMs = 500;
    static constexpr int kLongestReadRetryMs = 16000;

    CDeviceOptionUI();
    QString GetClass() const override;

    void SetDeviceType(int type, int role);
    int GetDeviceType() const { return type_; }
    int GetDeviceRole() const { return role_; }
    // Images in this order: synchronised selected, synchronised normal, selected, normal.
    const std::array<QString, 4>& GetImages() const { return images_; }

    void ShowSyncMark(bool show);
    void SetSyncMark(bool on);
    bool IsSyncMarked();
    void Select(bool on);
    bool IsSelected();
    void BindTab(const QString& layoutName, int index);
    QString GetTabLayoutName();
    int GetTabIndex();
    void SetPowerTab(const QString& layoutName, int index);
    const QString& GetPowerTabName() const { return powerTabName_; }
    int GetPowerIndex() const { return powerIndex_; }
    void SetGroup(const QString& group);
    void SetDeviceName(const QString& text);
    void BindPage(CTessaryUSBDevice* page);
    CTessaryUSBDevice* GetPage() const { return page_; }
    void SetPreviewControl(ui::CControlUI* control) { previewControl_ = control; }
    ui::CControlUI* GetPreviewControl() const { return previewControl_; }
    bool IsShown() const { return IsVisible(); }

    // Attach: the device is read 500 ms from now.
    void StartDevice();
    // The wait before the next try of a read-out that failed.
    int NextReadRetryMs() const { return nextReadRetryMs_; }
    // Restarts the frames of a page that stopped them while unseen, if it may be seen now.
    void WakeFrames();
    // The frame timer's period; 0 while it is stopped.
    int FramePeriodMs() const { return framePeriodMs_; }

    bool Activate() override;
    bool OnWidgetEvent(QEvent* event) override;
    void OnTimer(int timerId) override;

private:
    ui::COptionUI* SelectOption();
    ui::COptionUI* SyncOption();
    ui::CLabelUI* NameLabel();
    void ApplyImages(bool marked);
    bool ChannelOpen() const;
    // Whether this entry's page is shown in a window that is on screen.
    bool PageOnScreen();
    // One frame of the page: its lights updated, and repainted where they can be seen.
    void ShowFrame();
    void Arm(int timerId, int milliseconds);

    CTessaryUSBDevice* page_ = nullptr;
    ui::CControlUI* previewControl_ = nullptr;
    int type_ = 0;
    int role_ = 0;
    std::array<QString, 4> images_;
    QString toolTip_;
    QString powerTabName_;
    int powerIndex_ = -1;
    int nextReadRetryMs_ = kFirstReadRetryMs;
    int framePeriodMs_ = 0;  // the frame timer's; 0 while it is stopped
    bool framesStarted_ = false;  // the device was started: its frames may run
    ui::COptionUI* selectOption_ = nullptr;
    ui::COptionUI* syncOption_ = nullptr;
    ui::CLabelUI* nameLabel_ = nullptr;
};

}  // namespace velnor7

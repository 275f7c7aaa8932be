#include "shell/DeviceOptionUI.h"

#include "core/page/TessaryUSBDevice.h"
#include "ui/ButtonUI.h"
#include "ui/LabelUI.h"
#include "ui/PaintManagerUI.h"

#include <QMouseEvent>
#include <QWidget>

#include <algorithm>

namespace velnor7 {

namespace {

struct TypeLook {
    const char* stem;
    const char* toolTip;
};

// The icon stem and tool tip of a device type (and, for mouse pads, its role); null: keep.
const TypeLook* LookOf(int type, int role) {
    static const TypeLook keyboard{"kb", "kb_device_name_text"};
    static const TypeLook mouse{"ms", "ms_device_name_text"};
    static const TypeLook hardPad{"hard_mp", "hard_mp_device_name_text"};
    static const TypeLook softPad{"soft_mp", "soft_mp_device_name_text"};
    static const TypeLook headset{"hd", "hd_device_name_text"};
    static const TypeLook hub{"hub", "hub_device_name_text"};
    static const TypeLook unknown{"unknow", "unknow_device_name_text"};
    switch (type) {
    case 1: return &keyboard;
    case 2: return &mouse;
    case 3: return role == 0 ? &hardPad : role == 1 ? &softPad : nullptr;
    case 4:
    case 7: return &headset;
    case 5: return &hub;
    default: return &unknown;
    }
}

QString Icon(const char* stem, const char* state) {
    return QString("common/device_ico/%1_device_%2.png").arg(stem, state);
}

}  // namespace

CDeviceOptionUI::CDeviceOptionUI() {
    images_ = {Icon("unknow", "synchro_selected"), Icon("unknow", "synchro_normal"), Icon("unknow", "selected"),
               Icon("unknow", "normal")};
}

QString CDeviceOptionUI::GetClass() const { return "DeviceOption"; }

ui::COptionUI* CDeviceOptionUI::SelectOption() {
    if (selectOption_ == nullptr) selectOption_ = dynamic_cast<ui::COptionUI*>(FindSubControl("device_select"));
    return selectOption_;
}

ui::COptionUI* CDeviceOptionUI::SyncOption() {
    if (syncOption_ == nullptr) syncOption_ = dynamic_cast<ui::COptionUI*>(FindSubControl("synchro_device_select"));
    return syncOption_;
}

ui::CLabelUI* CDeviceOptionUI::NameLabel() {
    if (nameLabel_ == nullptr) nameLabel_ = dynamic_cast<ui::CLabelUI*>(FindSubControl("device_select_name"));
    return nameLabel_;
}

void CDeviceOptionUI::SetDeviceType(int type, int role) {
    type_ = type;
    role_ = role;
    const TypeLook* look = LookOf(type, role);
    if (look != nullptr) {
        images_ = {Icon(look->stem, "synchro_selected"), Icon(look->stem, "synchro_normal"),
                   Icon(look->stem, "selected"), Icon(look->stem, "normal")};
        toolTip_ = look->toolTip;
    }
    if (ui::COptionUI* option = SelectOption()) {
        option->SetNormalImage(images_[3]);
        option->SetDisabledImage(images_[3]);
        option->SetSelectedImage(images_[2]);
        if (!toolTip_.isEmpty()) option->SetToolTip(toolTip_);
    }
}

void CDeviceOptionUI::ApplyImages(bool marked) {
    ui::COptionUI* option = SelectOption();
    if (option == nullptr) return;
    option->SetNormalImage(marked ? images_[1] : images_[3]);
    option->SetSelectedImage(marked ? images_[0] : images_[2]);
}

void CDeviceOptionUI::ShowSyncMark(bool show) {
    ui::COptionUI* mark = SyncOption();
    if (mark == nullptr) return;
    mark->SetVisible(show);
    ApplyImages(mark->IsSelected());
}

void CDeviceOptionUI::SetSyncMark(bool on) {
    if (ui::COptionUI* mark = SyncOption()) mark->Selected(on);
    ApplyImages(on);
}

bool CDeviceOptionUI::IsSyncMarked() {
    ui::COptionUI* mark = SyncOption();
    return mark != nullptr && mark->IsSelected();
}

void CDeviceOptionUI::Select(bool on) {
    if (ui::COptionUI* option = SelectOption()) option->Selected(on);
}

bool CDeviceOptionUI::IsSelected() {
    ui::COptionUI* option = SelectOption();
    return option != nullptr && option->IsSelected();
}

void CDeviceOptionUI::BindTab(const QString& layoutName, int index) {
    if (ui::COptionUI* option = SelectOption()) {
        option->BindTabLayoutName(layoutName);
        option->BindTabIndex(index);
    }
}

QString CDeviceOptionUI::GetTabLayoutName() {
    ui::COptionUI* option = SelectOption();
    return option != nullptr ? option->GetBindTabLayoutName() : QString();
}

int CDeviceOptionUI::GetTabIndex() {
    ui::COptionUI* option = SelectOption();
    return option != nullptr ? option->GetBindTabLayoutIndex() : -1;
}

void CDeviceOptionUI::SetPowerTab(const QString& layoutName, int index) {
    if (layoutName.isEmpty()) return;
    powerTabName_ = layoutName;
    if (index >= 0) powerIndex_ = index;
}

void CDeviceOptionUI::SetGroup(const QString& group) {
    if (ui::COptionUI* option = SelectOption()) option->SetGroup(group);
}

void CDeviceOptionUI::SetDeviceName(const QString& text) {
    if (ui::CLabelUI* label = NameLabel()) label->SetText(text);
}

void CDeviceOptionUI::BindPage(CTessaryUSBDevice* page) {
    page_ = page;
    if (page_ != nullptr) page_->SetSelectorEntry(this);
}

bool CDeviceOptionUI::Activate() {
    if (!CHorizontalLayoutUI::Activate()) return false;
    SendNotify("selectchanged");
    return true;
}

bool CDeviceOptionUI::OnWidgetEvent(QEvent* event) {
    // A click on the entry's own area (not on one of its buttons) activates it.
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
        GetWidget()->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
        Activate();
        return true;
    }
    return CHorizontalLayoutUI::OnWidgetEvent(event);
}

bool CDeviceOptionUI::PageOnScreen() {
    if (previewControl_ == nullptr || !IsSelected()) return false;
    const QWidget* widget = previewControl_->GetWidget();
    return widget != nullptr && widget->isVisible() && !widget->window()->isMinimized();
}

bool CDeviceOptionUI::ChannelOpen() const { return page_ != nullptr && page_->CommandChannel().IsOpen(); }

void CDeviceOptionUI::Arm(int timerId, int milliseconds) {
    if (GetManager() != nullptr) GetManager()->SetTimer(this, timerId, milliseconds);
    if (timerId == kFrameTimer) framePeriodMs_ = milliseconds;
}

void CDeviceOptionUI::ShowFrame() {
    page_->UpdatePreview();
    // Only the keys whose light changed are repainted, and only where they can be seen: a
    // still picture, a hidden or minimised window cost nothing.
    const bool seen = PageOnScreen() && page_->PreviewActive();
    page_->SetPreviewSeen(seen && page_->LightOutput());
    if (seen) page_->RepaintChangedLights();
    // The timer repeats; it is set again only when its period changes. A page that sends no
    // frames to its device stops it while unseen: the window wakes it (WakeFrames) when
    // what decides that it is seen changes.
    const int period = ChannelOpen() && (seen || page_->StreamsLightFrames()) ? page_->FramePeriodMs() : 0;
    if (period == framePeriodMs_) return;
    if (period == 0) {
        if (GetManager() != nullptr) GetManager()->KillTimer(this, kFrameTimer);
        framePeriodMs_ = 0;
        return;
    }
    Arm(kFrameTimer, period);
}

void CDeviceOptionUI::WakeFrames() {
    if (page_ != nullptr && framesStarted_ && framePeriodMs_ == 0 && ChannelOpen()) ShowFrame();
}

void CDeviceOptionUI::StartDevice() {
    nextReadRetryMs_ = kFirstReadRetryMs;
    Arm(kStartUpTimer, 500);
}

void CDeviceOptionUI::OnTimer(int timerId) {
    if (timerId == kFrameTimer && page_ != nullptr) {
        ShowFrame();
        return;
    }
    if (GetManager() != nullptr) GetManager()->KillTimer(this, timerId);
    if (page_ == nullptr) return;
    switch (timerId) {
    case kStartUpTimer:
        // A device that could not be read is tried again, less often each time: every try
        // of a silent device waits out its time-out on this thread.
        if (!page_->LoadFromDevice() && ChannelOpen()) {
            Arm(kStartUpTimer, nextReadRetryMs_);
            nextReadRetryMs_ = std::min(2 * nextReadRetryMs_, kLongestReadRetryMs);
        }
        framesStarted_ = true;
        Arm(kFrameTimer, 5);
        if (page_->HasPowerPanel() && ChannelOpen()) Arm(kPowerTimer, 5000);
        break;
    case kReadBackTimer:
        page_->ReadBackSettings();
        break;
    case kPowerTimer:
        page_->PollPowerStatus();
        if (page_->HasPowerPanel() && ChannelOpen()) Arm(kPowerTimer, 5000);
        break;
    default:
        CHorizontalLayoutUI::OnTimer(timerId);
    }
}

}  // namespace velnor7

#include "core/page/MpDevicePowerUI.h"

#include "ui/ProgressUI.h"

#include <QMouseEvent>

namespace velnor7 {

QString CMpDevicePowerUI::GetClass() const { return "MpDevicePower"; }

void CMpDevicePowerUI::SetPanelShown(bool shown) {
    if (CControlUI* layout = FindSubControl("device_power_Layout")) layout->SetVisible(shown);
}

void CMpDevicePowerUI::ShowPowerStatus(const std::array<uint8_t, 6>& status) {
    CControlUI* value = FindSubControl("device_power_value");
    CControlUI* wireless = FindSubControl("device_wuxian_logo");
    auto* progress = dynamic_cast<ui::CProgressUI*>(FindSubControl("device_Power_progress"));
    CControlUI* state = FindSubControl("device_power_status");
    CControlUI* phone = FindSubControl("device_phone_type");
    if (value == nullptr || wireless == nullptr || progress == nullptr || state == nullptr || phone == nullptr) return;

    const int charge = status[0];
    progress->SetValue(100 - charge);
    value->SetText(QString("%1%2").arg(charge).arg("%"));
    const bool onWireless = status[3] != 0;
    if (kind_ == 2) wireless->SetVisible(onWireless);
    switch (status[1]) {
    case 0:
        progress->SetVisible(true);
        state->SetBkImage("power/powered.png");
        break;
    case 1:
        progress->SetVisible(!onWireless);
        state->SetBkImage(onWireless ? "power/wuxian_powering.png" : "power/powering.png");
        break;
    case 2:
        progress->SetVisible(true);
        state->SetBkImage("power/power.png");
        break;
    default:
        break;
    }
    if (kind_ == 3) {
        static const char* const kPhones[] = {"Phone_type_no_device", "Phone_type_iphone", "Phone_type_samsung",
                                              "Phone_type_other"};
        const char* phoneType = kPhones[status[5] >= 1 && status[5] <= 3 ? status[5] : 0];
        phone->SetToolTip(phoneType);
        phone->SetBkImage(QString("power/%1.png").arg(phoneType));
    }
}

bool CMpDevicePowerUI::Activate() {
    if (!CHorizontalLayoutUI::Activate()) return false;
    SendNotify("selectchanged");
    return true;
}

bool CMpDevicePowerUI::OnWidgetEvent(QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        Activate();
        return true;
    }
    return CHorizontalLayoutUI::OnWidgetEvent(event);
}

}  // namespace velnor7

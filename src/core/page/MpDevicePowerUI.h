#pragma once
// The power panel of a device page: the charge in percent and as a bar, the charging state,
// the wireless link (mouse) and the phone lying on the pad (mouse pad).

#include "core/page/TessaryUSBDevice.h"
#include "ui/ContainerUI.h"

namespace velnor7 {

class CMpDevicePowerUI : public ui::CHorizontalLayoutUI, public IPowerPanel {
public:
    QString GetClass() const override;
    // 2 for a mouse, 3 for a mouse pad.
    void SetKind(int kind) { kind_ = kind; }
    int GetKind() const { return kind_; }
    // Shown while the page has a power panel.
    void SetPanelShown(bool shown);

    void ShowPowerStatus(const std::array<uint8_t, 6>& status) override;
    // A click on the panel.
    bool Activate() override;
    bool OnWidgetEvent(QEvent* event) override;

private:
    int kind_ = 0;
};

}  // namespace velnor7

#include "shell/ControlClasses.h"

#include "core/page/DeviceKeyButtonUI.h"
#include "core/page/LightControlUI.h"
#include "core/page/MpDevicePowerUI.h"
#include "core/page/SelectPanelUI.h"
#include "core/page/TessaryUSBDevice.h"
#include "macros/panel/MacroControlUI.h"
#include "profiles/panel/DeviceProfileUI.h"
#include "shell/DeviceOptionUI.h"
#include "ui/ControlFactory.h"

namespace velnor7 {

void RegisterControlClasses() {
    ui::CControlFactory& factory = ui::CControlFactory::Instance();
    factory.RegistControl("CDeviceKeyButtonUI", [] { return new CDeviceKeyButtonUI; });
    factory.RegistControl("CDeviceOptionUI", [] { return new CDeviceOptionUI; });
    factory.RegistControl("CMpDevicePowerUI", [] { return new CMpDevicePowerUI; });
    factory.RegistControl("CSelectPanelUI", [] { return new CSelectPanelUI; });
    factory.RegistControl("CTessaryUSBDevice", [] { return new CTessaryUSBDevice; });
    factory.RegistControl("CMacroControlUI", [] { return new CMacroControlUI; });
    factory.RegistControl("CDeviceProfileUI", [] { return new CDeviceProfileUI; });
    factory.RegistControl("CLightControlUI", [] { return new CLightControlUI; });
}

}  // namespace velnor7

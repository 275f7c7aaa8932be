#include "shell/ControlClasses.h"

#include "core/page/DeviceKeyButtonUI.h"
#include "core/page/LightControlUI.h"
#include "core/page/MpDevicePowerUI.h"
#include "core/page/SelectPanelUI.h"
#include "core/page/TessaryUSBDevice.h"
#include "keyboard/page/KeySetControlUI.h"
#include "macros/panel/MacroControlUI.h"
#include "macros/panel/RedioMacroButtonUI.h"
#include "profiles/panel/DeviceProfileUI.h"
#include "shell/ChartViewUI.h"
#include "shell/CircleProgressUI.h"
#include "shell/CloudShareListItemUI.h"
#include "shell/ComboEditContainerElementUI.h"
#include "shell/DeviceOptionUI.h"
#include "shell/UpdateInfoListItemUI.h"
#include "shell/HandImgButtonUI.h"
#include "shell/HandImgSelectButtonUI.h"
#include "shell/WndUI.h"
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
    factory.RegistControl("CRedioMacroButtonUI", [] { return new CRedioMacroButtonUI; });
    factory.RegistControl("CKeySetControlUI", [] { return new CKeySetControlUI; });
    factory.RegistControl("CDeviceProfileUI", [] { return new CDeviceProfileUI; });
    factory.RegistControl("CCircleProgressUI", [] { return new CCircleProgressUI; });
    factory.RegistControl("CWndUI", [] { return new CWndUI; });
    factory.RegistControl("CHandImgButtonUI", [] { return new CHandImgButtonUI; });
    factory.RegistControl("CHandImgSelectButtonUI", [] { return new CHandImgSelectButtonUI; });
    factory.RegistControl("CComboEditContainerElementUI", [] { return new CComboEditContainerElementUI; });
    // Its element name already ends in "UI", so it is registered under that name itself.
    factory.RegistControl("CloudShareListItemUI", [] { return new CCloudShareListItemUI; });
    factory.RegistControl("CChartViewUI", [] { return new CChartViewUI; });
    factory.RegistControl("CLightControlUI", [] { return new CLightControlUI; });
    // Its name ends in "UI" already: registered as it stands.
    factory.RegistControl("UpdateInfoListItemUI", [] { return new CUpdateInfoListItemUI; });
}

}  // namespace velnor7

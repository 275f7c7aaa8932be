#include "ui/ControlFactory.h"

#include "ui/ButtonUI.h"
#include "ui/ColorPaletteUI.h"
#include "ui/ComboUI.h"
#include "ui/ContainerUI.h"
#include "ui/EditUI.h"
#include "ui/LabelUI.h"
#include "ui/ListUI.h"
#include "ui/ProgressUI.h"
#include "ui/SliderUI.h"

namespace velnor7::ui {

CControlFactory& CControlFactory::Instance() {
    static CControlFactory factory;
    return factory;
}

void CControlFactory::RegistControl(const QString& className, Creator creator) {
    creators_.insert(className, std::move(creator));
}

CControlUI* CControlFactory::CreateControl(const QString& className) const {
    // Classes are registered by their C++ name ("CDeviceOptionUI") and used by their
    // element name ("DeviceOption"); either finds them.
    auto found = creators_.constFind(className);
    if (found == creators_.cend()) found = creators_.constFind("C" + className + "UI");
    return found != creators_.cend() ? (*found)() : nullptr;
}

CControlUI* CControlFactory::CreateBuiltIn(const QString& className) {
    static const QHash<QString, std::function<CControlUI*()>> builtIns{
        {"Control", [] { return new CControlUI; }},
        {"Container", [] { return new CContainerUI; }},
        {"HorizontalLayout", [] { return new CHorizontalLayoutUI; }},
        {"VerticalLayout", [] { return new CVerticalLayoutUI; }},
        {"TabLayout", [] { return new CTabLayoutUI; }},
        {"Label", [] { return new CLabelUI; }},
        {"Text", [] { return new CTextUI; }},
        {"Button", [] { return new CButtonUI; }},
        {"Option", [] { return new COptionUI; }},
        {"Edit", [] { return new CEditUI; }},
        {"RichEdit", [] { return new CRichEditUI; }},
        {"Combo", [] { return new CComboUI; }},
        {"List", [] { return new CListUI; }},
        {"ListLabelElement", [] { return new CListLabelElementUI; }},
        {"ListTextElement", [] { return new CListTextElementUI; }},
        {"ListContainerElement", [] { return new CListContainerElementUI; }},
        {"Slider", [] { return new CSliderUI; }},
        {"Progress", [] { return new CProgressUI; }},
        {"ColorPalette", [] { return new CColorPaletteUI; }},
    };
    const auto found = builtIns.constFind(className);
    return found != builtIns.cend() ? (*found)() : nullptr;
}

}  // namespace velnor7::ui

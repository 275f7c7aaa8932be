#include "macros/panel/RedioMacroButtonUI.h"

namespace velnor7 {

QString CRedioMacroButtonUI::GetClass() const { return "RedioMacroButton"; }

bool CRedioMacroButtonUI::SetAttribute(const QString& name, const QString& value) {
    if (name == QLatin1String("redioimage")) {
        SetForeImage(value);
        return true;
    }
    return CButtonUI::SetAttribute(name, value);
}

}  // namespace velnor7

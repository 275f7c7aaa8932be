#include "ui/ProgressUI.h"

#include "ui/Attributes.h"
#include "ui/ControlWidget.h"

#include <QProgressBar>

namespace velnor7::ui {

namespace {

class ProgressWidget : public ControlWidget<QProgressBar> {};

}  // namespace

CProgressUI::CProgressUI() : CProgressUI(new ProgressWidget) {}

CProgressUI::CProgressUI(QProgressBar* widget) : CControlUI(widget) {
    widget->setRange(0, 100);
    widget->setValue(0);
    widget->setTextVisible(false);
}

QString CProgressUI::GetClass() const { return "Progress"; }

QString CProgressUI::StateStyle(const QString& self) const {
    if (!foreColour_.isValid()) return {};
    return QString("%1::chunk{background-color:%2;}").arg(self, foreColour_.name(QColor::HexArgb));
}

QProgressBar* CProgressUI::Bar() const { return static_cast<QProgressBar*>(GetWidget()); }

int CProgressUI::GetValue() const { return Bar()->value(); }
void CProgressUI::SetValue(int value) { Bar()->setValue(std::clamp(value, Bar()->minimum(), Bar()->maximum())); }
int CProgressUI::GetMinValue() const { return Bar()->minimum(); }
int CProgressUI::GetMaxValue() const { return Bar()->maximum(); }
void CProgressUI::SetMinValue(int value) { Bar()->setMinimum(value); }
void CProgressUI::SetMaxValue(int value) { Bar()->setMaximum(value); }

bool CProgressUI::SetAttribute(const QString& name, const QString& value) {
    if (name == "min" || name == "max" || name == "value") {
        const auto number = ParseInt(value);
        if (!number) return false;
        if (name == "min") SetMinValue(*number);
        else if (name == "max") SetMaxValue(*number);
        else SetValue(*number);
        return true;
    }
    if (name == "showtext") return ApplyParsed(value, ParseBool, [&](bool shown) { Bar()->setTextVisible(shown); });
    if (name == "inverted") return ApplyParsed(value, ParseBool, [&](bool inverted) { Bar()->setInvertedAppearance(inverted); });
    if (name == "forecolor") {
        return ApplyParsed(value, ParseColour, [&](QColor colour) {
            foreColour_ = colour;
            UpdateStyle();
        });
    }
    if (name == "hor" || name == "vertical") {
        return ApplyParsed(value, ParseBool, [&](bool flag) {
            const bool vertical = name == "vertical" ? flag : !flag;
            Bar()->setOrientation(vertical ? Qt::Vertical : Qt::Horizontal);
        });
    }
    return CControlUI::SetAttribute(name, value);
}

}  // namespace velnor7::ui

#include "ui/SliderUI.h"

#include "ui/Attributes.h"
#include "ui/ControlWidget.h"

#include <QSlider>

namespace velnor7::ui {

namespace {

class SliderWidget : public ControlWidget<QSlider> {
public:
    SliderWidget() : ControlWidget<QSlider>(Qt::Horizontal) {}
};

}  // namespace

CSliderUI::CSliderUI() : CControlUI(new SliderWidget) {
    QSlider* slider = Slider();
    slider->setRange(0, 100);
    slider->setCursor(Qt::PointingHandCursor);
    QObject::connect(slider, &QSlider::sliderMoved, slider,
                     [this](int value) { SendNotify("movevaluechanged", static_cast<std::uintptr_t>(value)); });
    QObject::connect(slider, &QSlider::sliderReleased, slider,
                     [this] { SendNotify("valuechanged", static_cast<std::uintptr_t>(GetValue())); });
    QObject::connect(slider, &QSlider::actionTriggered, slider, [this](int action) {
        userAction_ = action != QAbstractSlider::SliderMove && action != QAbstractSlider::SliderNoAction;
    });
    QObject::connect(slider, &QSlider::valueChanged, slider, [this](int value) {
        if (!userAction_) return;
        userAction_ = false;
        if (!Slider()->isSliderDown()) SendNotify("valuechanged", static_cast<std::uintptr_t>(value));
    });
}

QString CSliderUI::GetClass() const { return "Slider"; }

QSlider* CSliderUI::Slider() const { return static_cast<QSlider*>(GetWidget()); }

int CSliderUI::GetValue() const { return Slider()->value(); }

void CSliderUI::SetValue(int value) {
    userAction_ = false;
    Slider()->setValue(value);
}

int CSliderUI::GetMinValue() const { return Slider()->minimum(); }
int CSliderUI::GetMaxValue() const { return Slider()->maximum(); }

void CSliderUI::SetMinValue(int value) {
    userAction_ = false;
    Slider()->setMinimum(value);
}

void CSliderUI::SetMaxValue(int value) {
    userAction_ = false;
    Slider()->setMaximum(value);
}

void CSliderUI::SetChangeStep(int step) {
    Slider()->setSingleStep(step);
    Slider()->setPageStep(step);
}

bool CSliderUI::SetAttribute(const QString& name, const QString& value) {
    if (name == "min" || name == "max" || name == "value" || name == "step") {
        const auto number = ParseInt(value);
        if (!number) return false;
        if (name == "min") SetMinValue(*number);
        else if (name == "max") SetMaxValue(*number);
        else if (name == "value") SetValue(*number);
        else SetChangeStep(*number);
        return true;
    }
    if (name == "vertical" || name == "hor") {
        return ApplyParsed(value, ParseBool, [&](bool flag) {
            const bool vertical = name == "vertical" ? flag : !flag;
            Slider()->setOrientation(vertical ? Qt::Vertical : Qt::Horizontal);
        });
    }
    return CControlUI::SetAttribute(name, value);
}

}  // namespace velnor7::ui

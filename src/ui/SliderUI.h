#pragma once
// A slider: "movevaluechanged" while the user drags, "valuechanged" when the value the user
// chose is final (release, click on the track, arrow keys, wheel). SetValue is silent.

#include "ui/ControlUI.h"

class QSlider;

namespace velnor7::ui {

class CSliderUI : public CControlUI {
public:
    CSliderUI();
    QString GetClass() const override;
    bool SetAttribute(const QString& name, const QString& value) override;

    int GetValue() const;
    void SetValue(int value);
    int GetMinValue() const;
    int GetMaxValue() const;
    void SetMinValue(int value);
    void SetMaxValue(int value);
    void SetChangeStep(int step);

private:
    QSlider* Slider() const;
    bool userAction_ = false;
};

}  // namespace velnor7::ui

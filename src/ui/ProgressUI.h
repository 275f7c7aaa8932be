#pragma once
// A progress bar.

#include "ui/ControlUI.h"

class QProgressBar;

namespace velnor7::ui {

class CProgressUI : public CControlUI {
public:
    CProgressUI();
    QString GetClass() const override;
    bool SetAttribute(const QString& name, const QString& value) override;

    int GetValue() const;
    void SetValue(int value);
    int GetMinValue() const;
    int GetMaxValue() const;
    void SetMinValue(int value);
    void SetMaxValue(int value);

protected:
    explicit CProgressUI(QProgressBar* widget);
    QProgressBar* Bar() const;
    QString StateStyle(const QString& self) const override;

private:
    QColor foreColour_;  // the filled part, "forecolor"
};

}  // namespace velnor7::ui

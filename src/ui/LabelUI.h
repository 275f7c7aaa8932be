#pragma once
// Text on the window: one line (Label) or wrapped words (Text).

#include "ui/ControlUI.h"

class QLabel;

namespace velnor7::ui {

class CLabelUI : public CControlUI {
public:
    CLabelUI();
    QString GetClass() const override;
    bool SetAttribute(const QString& name, const QString& value) override;
    // Rich text (a small HTML subset) instead of plain text.
    void SetShowHtml(bool html);

protected:
    void ShowText(const QString& text) override;
    QLabel* Label() const;

private:
    Qt::Alignment horizontal_ = Qt::AlignLeft;
    Qt::Alignment vertical_ = Qt::AlignVCenter;
};

class CTextUI : public CLabelUI {
public:
    CTextUI();
    QString GetClass() const override;
};

}  // namespace velnor7::ui

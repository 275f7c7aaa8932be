#pragma once
// Text entry: one line (Edit) or several (RichEdit).
//
// "textchanged" follows the user's typing only; "return" and "killfocus" follow Enter and
// leaving the field. A number field keeps its value inside its limits when it is left.

#include "ui/ControlUI.h"

#include <optional>

class QLineEdit;
class QPlainTextEdit;

namespace velnor7::ui {

class CEditUI : public CControlUI {
public:
    CEditUI();
    QString GetClass() const override;
    bool SetAttribute(const QString& name, const QString& value) override;
    bool OnWidgetEvent(QEvent* event) override;

    void SetNumberOnly(bool numberOnly);
    void SetMaxChar(int count);
    // Limits of a number field; the text is brought inside them when the field is left.
    void SetMinValue(int value) { minValue_ = value; }
    void SetMaxValue(int value) { maxValue_ = value; }
    void SetReadOnly(bool readOnly);
    void SetCaretAtEnd();
    void SetPasswordMode(bool password);
    // A grey hint shown while the field is empty (text or language id).
    void SetTipValue(const QString& tip);
    void ReloadText() override;

protected:
    void ShowText(const QString& text) override;

private:
    QLineEdit* Edit() const;
    void ClampToLimits();
    void OnUserTyped(const QString& text);

    bool numberOnly_ = false;
    std::optional<int> minValue_;
    std::optional<int> maxValue_;
    QString tip_;
};

class CRichEditUI : public CControlUI {
public:
    CRichEditUI();
    QString GetClass() const override;
    bool SetAttribute(const QString& name, const QString& value) override;
    bool OnWidgetEvent(QEvent* event) override;
    void SetReadOnly(bool readOnly);
    void SetTipValue(const QString& tip);
    void SetMaxChar(int count) { maxChar_ = count; }
    void ReloadText() override;

protected:
    void ShowText(const QString& text) override;

private:
    QPlainTextEdit* Edit() const;
    QString tip_;
    int maxChar_ = 0;
    bool settingText_ = false;
};

}  // namespace velnor7::ui

#include "ui/EditUI.h"

#include "ui/Attributes.h"
#include "ui/ControlWidget.h"

#include <QFocusEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpressionValidator>

namespace velnor7::ui {

namespace {

class LineEditWidget : public ControlWidget<QLineEdit> {};
class PlainTextWidget : public ControlWidget<QPlainTextEdit> {};

bool IsFocusOut(QEvent* event) { return event->type() == QEvent::FocusOut; }

}  // namespace

CEditUI::CEditUI() : CControlUI(new LineEditWidget) {
    QObject::connect(Edit(), &QLineEdit::textEdited, Edit(), [this](const QString& text) { OnUserTyped(text); });
    QObject::connect(Edit(), &QLineEdit::returnPressed, Edit(), [this] {
        ClampToLimits();
        SendNotify("return");
    });
}

QString CEditUI::GetClass() const { return "Edit"; }

QLineEdit* CEditUI::Edit() const { return static_cast<QLineEdit*>(GetWidget()); }

void CEditUI::ShowText(const QString& text) {
    if (Edit()->text() != text) Edit()->setText(text);
}

void CEditUI::OnUserTyped(const QString& text) {
    // The typed text is the control's text from now on (language ids do not apply).
    CControlUI::SetText(text);
    SendNotify("textchanged");
}

bool CEditUI::OnWidgetEvent(QEvent* event) {
    if (IsFocusOut(event)) {
        ClampToLimits();
        SendNotify("killfocus");
    } else if (event->type() == QEvent::FocusIn) {
        SendNotify("setfocus");
    }
    return false;
}

void CEditUI::ClampToLimits() {
    if (!numberOnly_ || (!minValue_ && !maxValue_)) return;
    const QString text = Edit()->text();
    bool ok = false;
    long long value = text.toLongLong(&ok);
    if (!ok) {
        if (!minValue_) return;
        value = *minValue_;
    }
    if (minValue_ && value < *minValue_) value = *minValue_;
    if (maxValue_ && value > *maxValue_) value = *maxValue_;
    const QString clamped = QString::number(value);
    if (clamped != text) CControlUI::SetText(clamped);
}

void CEditUI::SetNumberOnly(bool numberOnly) {
    numberOnly_ = numberOnly;
    if (numberOnly_) {
        static const QRegularExpression digits("[0-9]*");
        Edit()->setValidator(new QRegularExpressionValidator(digits, Edit()));
    } else {
        Edit()->setValidator(nullptr);
    }
}

void CEditUI::SetMaxChar(int count) { Edit()->setMaxLength(count > 0 ? count : 32767); }

void CEditUI::SetReadOnly(bool readOnly) { Edit()->setReadOnly(readOnly); }

void CEditUI::SetCaretAtEnd() { Edit()->end(false); }

void CEditUI::SetPasswordMode(bool password) { Edit()->setEchoMode(password ? QLineEdit::Password : QLineEdit::Normal); }

void CEditUI::SetTipValue(const QString& tip) {
    tip_ = tip;
    Edit()->setPlaceholderText(ResolvedText(tip_));
}

void CEditUI::ReloadText() {
    CControlUI::ReloadText();
    Edit()->setPlaceholderText(ResolvedText(tip_));
}

bool CEditUI::SetAttribute(const QString& name, const QString& value) {
    auto flag = [&](auto apply) { return ApplyParsed(value, ParseBool, apply); };
    auto number = [&](auto apply) { return ApplyParsed(value, ParseInt, apply); };
    if (name == "numberonly") return flag([&](bool v) { SetNumberOnly(v); });
    if (name == "readonly") return flag([&](bool v) { SetReadOnly(v); });
    if (name == "password") return flag([&](bool v) { SetPasswordMode(v); });
    if (name == "maxchar") return number([&](int v) { SetMaxChar(v); });
    if (name == "minvalue") return number([&](int v) { SetMinValue(v); });
    if (name == "maxvalue") return number([&](int v) { SetMaxValue(v); });
    if (name == "tiptext" || name == "tipvalue") {
        SetTipValue(value);
        return true;
    }
    return CControlUI::SetAttribute(name, value);
}

CRichEditUI::CRichEditUI() : CControlUI(new PlainTextWidget) {
    QObject::connect(Edit(), &QPlainTextEdit::textChanged, Edit(), [this] {
        if (settingText_) return;
        QString text = Edit()->toPlainText();
        if (maxChar_ > 0 && text.size() > maxChar_) {
            text.truncate(maxChar_);
            settingText_ = true;
            Edit()->setPlainText(text);
            Edit()->moveCursor(QTextCursor::End);
            settingText_ = false;
        }
        CControlUI::SetText(text);
        SendNotify("textchanged");
    });
}

QString CRichEditUI::GetClass() const { return "RichEdit"; }

QPlainTextEdit* CRichEditUI::Edit() const { return static_cast<QPlainTextEdit*>(GetWidget()); }

void CRichEditUI::ShowText(const QString& text) {
    if (settingText_ || Edit()->toPlainText() == text) return;
    settingText_ = true;
    Edit()->setPlainText(text);
    settingText_ = false;
}

bool CRichEditUI::OnWidgetEvent(QEvent* event) {
    if (IsFocusOut(event)) SendNotify("killfocus");
    return false;
}

void CRichEditUI::SetReadOnly(bool readOnly) { Edit()->setReadOnly(readOnly); }

void CRichEditUI::SetTipValue(const QString& tip) {
    tip_ = tip;
    Edit()->setPlaceholderText(ResolvedText(tip_));
}

void CRichEditUI::ReloadText() {
    CControlUI::ReloadText();
    Edit()->setPlaceholderText(ResolvedText(tip_));
}

bool CRichEditUI::SetAttribute(const QString& name, const QString& value) {
    if (name == "readonly") return ApplyParsed(value, ParseBool, [&](bool v) { SetReadOnly(v); });
    if (name == "maxchar") return ApplyParsed(value, ParseInt, [&](int v) { SetMaxChar(v); });
    if (name == "tiptext" || name == "tipvalue") {
        SetTipValue(value);
        return true;
    }
    return CControlUI::SetAttribute(name, value);
}

}  // namespace velnor7::ui

#include "ui/LabelUI.h"

#include "ui/Attributes.h"
#include "ui/ControlWidget.h"

#include <QLabel>

namespace velnor7::ui {

namespace {

class LabelWidget : public ControlWidget<QLabel> {};

}  // namespace

CLabelUI::CLabelUI() : CControlUI(new LabelWidget) {
    Label()->setTextFormat(Qt::PlainText);
    Label()->setAlignment(horizontal_ | vertical_);
}

QString CLabelUI::GetClass() const { return "Label"; }

QLabel* CLabelUI::Label() const { return static_cast<QLabel*>(GetWidget()); }

void CLabelUI::ShowText(const QString& text) { Label()->setText(text); }

void CLabelUI::SetShowHtml(bool html) { Label()->setTextFormat(html ? Qt::RichText : Qt::PlainText); }

bool CLabelUI::SetAttribute(const QString& name, const QString& value) {
    if (name == "align") {
        const QString v = value.trimmed();
        if (v == "left") horizontal_ = Qt::AlignLeft;
        else if (v == "center") horizontal_ = Qt::AlignHCenter;
        else if (v == "right") horizontal_ = Qt::AlignRight;
        else if (v == "top") vertical_ = Qt::AlignTop;
        else if (v == "bottom") vertical_ = Qt::AlignBottom;
        else return false;
        Label()->setAlignment(horizontal_ | vertical_);
        return true;
    }
    if (name == "valign") {
        const QString v = value.trimmed();
        if (v == "top") vertical_ = Qt::AlignTop;
        else if (v == "vcenter" || v == "center") vertical_ = Qt::AlignVCenter;
        else if (v == "bottom") vertical_ = Qt::AlignBottom;
        else return false;
        Label()->setAlignment(horizontal_ | vertical_);
        return true;
    }
    if (name == "showhtml") return ApplyParsed(value, ParseBool, [&](bool html) { SetShowHtml(html); });
    if (name == "wordbreak" || name == "multiline") {
        return ApplyParsed(value, ParseBool, [&](bool wrap) { Label()->setWordWrap(wrap); });
    }
    return CControlUI::SetAttribute(name, value);
}

CTextUI::CTextUI() {
    Label()->setWordWrap(true);
    SetAttribute("valign", "top");
}

QString CTextUI::GetClass() const { return "Text"; }

}  // namespace velnor7::ui

#include "ui/ButtonUI.h"

#include "common/Trace.h"
#include "ui/Attributes.h"
#include "ui/ContainerUI.h"
#include "ui/ControlWidget.h"
#include "ui/PaintManagerUI.h"
#include "ui/ResourceManager.h"

#include <QEvent>
#include <QPushButton>

namespace velnor7::ui {

namespace {

class ButtonWidget : public ControlWidget<QPushButton> {
protected:
    // The control decides the checked state of an option, not the click.
    void nextCheckState() override {}
};

// A state image as a style rule; `image` is the attribute's text. Corners keep their size.
QString ImageRule(const char* property, const QString& image) {
    const ImageRef ref = ParseImage(image);
    const QString url = CResourceManager::Instance().SkinFile(ref.path);
    if (QString(property) != "border-image") return QString("%1:url(\"%2\");").arg(property, url);
    const QMargins c = ref.corner;
    return QString("border-image:url(\"%1\") %2 %3 %4 %5 stretch stretch;border-width:%2px %3px %4px %5px;")
        .arg(url)
        .arg(c.top())
        .arg(c.right())
        .arg(c.bottom())
        .arg(c.left());
}

QString ColourRule(const QColor& colour) {
    return QString("color:rgba(%1,%2,%3,%4);").arg(colour.red()).arg(colour.green()).arg(colour.blue()).arg(colour.alpha());
}

}  // namespace

CButtonUI::CButtonUI() : CButtonUI(new ButtonWidget) {}

CButtonUI::CButtonUI(QPushButton* widget) : CControlUI(widget) {
    widget->setAutoDefault(false);
    widget->setCursor(Qt::PointingHandCursor);
    QObject::connect(widget, &QPushButton::clicked, widget, [this] { OnUserClick(); });
}

QString CButtonUI::GetClass() const { return "Button"; }

QPushButton* CButtonUI::Button() const { return static_cast<QPushButton*>(GetWidget()); }

void CButtonUI::ShowText(const QString& text) {
    // '&' would turn into a keyboard accelerator.
    QString shown = text;
    Button()->setText(shown.replace('&', "&&"));
}

void CButtonUI::OnUserClick() { Activate(); }

bool CButtonUI::Activate() {
    if (!CControlUI::Activate()) return false;
    SendNotify("click");
    BindTriggerTabSel();
    return true;
}

void CButtonUI::BindTabLayoutName(const QString& layoutName) { bindTabLayout_ = layoutName; }

void CButtonUI::BindTabIndex(int index) { bindTabIndex_ = index; }

bool CButtonUI::BindTriggerTabSel() {
    if (bindTabLayout_.isEmpty() || bindTabIndex_ < 0 || GetManager() == nullptr) return false;
    auto* tab = dynamic_cast<CTabLayoutUI*>(GetManager()->FindControl(bindTabLayout_));
    return tab != nullptr && tab->SelectItem(bindTabIndex_);
}

void CButtonUI::SetStateImage(State state, const QString& image) {
    const QString path = ParseImagePath(image);
    if (!path.isEmpty() && !CResourceManager::Instance().ImageExists(path)) {
        Trace("ui: image %s of control '%s' does not exist",
              qUtf8Printable(CResourceManager::Instance().SkinFile(path)), qUtf8Printable(GetName()));
    }
    images_[static_cast<int>(state)] = image;
    UpdateStyle();
}

QString CButtonUI::StateStyle(const QString& self) const {
    auto usable = [](const QString& image) {
        const QString path = ParseImagePath(image);
        return !path.isEmpty() && CResourceManager::Instance().ImageExists(path);
    };
    auto rule = [&](const QString& selector, const QString& body) {
        return body.isEmpty() ? QString() : self + selector + "{" + body + "}";
    };
    auto image = [&](State state, const char* property) {
        const QString& path = StateImage(state);
        return usable(path) ? ImageRule(property, path) : QString();
    };

    QString normal;
    bool hasStateImages = false;
    for (State s : {State::Normal, State::Hot, State::Pushed, State::Disabled, State::Selected, State::SelectedHot,
                    State::SelectedPushed}) {
        hasStateImages = hasStateImages || usable(StateImage(s));
    }
    if (hasStateImages) {
        // The images are the button: the theme's frame and fill would show around them.
        if (GetBorderSize() == 0) normal += "border:none;";
        if (!HasBkColor()) normal += "background:transparent;";
        normal += "padding:0px;";
    }
    normal += image(State::Normal, "border-image") + image(State::Fore, "image");
    if (!textAlign_.isEmpty()) normal += "text-align:" + textAlign_ + ";";

    QString sheet = rule("", normal);
    sheet += rule(":hover", image(State::Hot, "border-image") + image(State::HotFore, "image") +
                                (hotTextColour_.isValid() ? ColourRule(hotTextColour_) : QString()));
    sheet += rule(":pressed", image(State::Pushed, "border-image") +
                                  (pushedTextColour_.isValid() ? ColourRule(pushedTextColour_) : QString()));
    sheet += rule(":checked", image(State::Selected, "border-image") + image(State::SelectedFore, "image") +
                                  (selectedTextColour_.isValid() ? ColourRule(selectedTextColour_) : QString()));
    sheet += rule(":checked:hover", image(State::SelectedHot, "border-image"));
    sheet += rule(":checked:pressed", image(State::SelectedPushed, "border-image"));
    sheet += rule(":disabled", image(State::Disabled, "border-image"));
    return sheet;
}

bool CButtonUI::OnWidgetEvent(QEvent* event) {
    switch (event->type()) {
    case QEvent::Enter:
        SendNotify("msenter");
        break;
    case QEvent::Leave:
        SendNotify("msleave");
        break;
    case QEvent::MouseButtonDblClick:
        if (IsEnabled()) SendNotify("dbclick");
        break;
    default:
        break;
    }
    return false;
}

bool CButtonUI::SetAttribute(const QString& name, const QString& value) {
    static const QHash<QString, State> images{
        {"normalimage", State::Normal},           {"hotimage", State::Hot},
        {"pushedimage", State::Pushed},           {"disabledimage", State::Disabled},
        {"foreimage", State::Fore},               {"hotforeimage", State::HotFore},
        {"selectedimage", State::Selected},       {"selectedhotimage", State::SelectedHot},
        {"selectedpushedimage", State::SelectedPushed}, {"selectedforeimage", State::SelectedFore}};
    const auto state = images.constFind(name);
    if (state != images.cend()) {
        SetStateImage(*state, value);
        return true;
    }
    auto colour = [&](QColor& target) {
        return ApplyParsed(value, ParseColour, [&](QColor c) {
            target = c;
            UpdateStyle();
        });
    };
    if (name == "hottextcolor") return colour(hotTextColour_);
    if (name == "pushedtextcolor") return colour(pushedTextColour_);
    if (name == "selectedtextcolor") return colour(selectedTextColour_);
    if (name == "align") {
        const QString v = value.trimmed();
        if (v != "left" && v != "center" && v != "right") return false;
        textAlign_ = v;
        UpdateStyle();
        return true;
    }
    if (name == "bindtablayoutname") {
        BindTabLayoutName(value);
        return true;
    }
    if (name == "bindtabindex") return ApplyParsed(value, ParseInt, [&](int index) { BindTabIndex(index); });
    return CControlUI::SetAttribute(name, value);
}

COptionUI::COptionUI() { Button()->setCheckable(true); }

COptionUI::~COptionUI() {
    if (GetManager() != nullptr && !group_.isEmpty()) GetManager()->RemoveOptionGroup(group_, this);
}

QString COptionUI::GetClass() const { return "Option"; }

void COptionUI::SetManager(CPaintManagerUI* manager, CControlUI* parent) {
    if (GetManager() != manager && GetManager() != nullptr && !group_.isEmpty()) {
        GetManager()->RemoveOptionGroup(group_, this);
    }
    if (manager != nullptr && !group_.isEmpty()) manager->AddOptionGroup(group_, this);
    CButtonUI::SetManager(manager, parent);
}

void COptionUI::SetGroup(const QString& group) {
    if (group == group_) return;
    if (GetManager() != nullptr && !group_.isEmpty()) GetManager()->RemoveOptionGroup(group_, this);
    group_ = group;
    if (GetManager() != nullptr && !group_.isEmpty()) GetManager()->AddOptionGroup(group_, this);
}

void COptionUI::Selected(bool selected, bool notify) {
    if (selected == selected_) return;
    selected_ = selected;
    Button()->setChecked(selected);
    if (selected_ && GetManager() != nullptr && !group_.isEmpty()) {
        for (COptionUI* other : GetManager()->GetOptionGroup(group_)) {
            if (other != this) other->Selected(false, notify);
        }
    }
    if (notify) SendNotify("selectchanged");
    if (selected_) BindTriggerTabSel();
}

bool COptionUI::Activate() {
    if (!CButtonUI::Activate()) return false;
    Selected(group_.isEmpty() ? !selected_ : true);
    return true;
}

bool COptionUI::SetAttribute(const QString& name, const QString& value) {
    if (name == "group") {
        SetGroup(value);
        return true;
    }
    if (name == "selected") return ApplyParsed(value, ParseBool, [&](bool selected) { Selected(selected, false); });
    return CButtonUI::SetAttribute(name, value);
}

}  // namespace velnor7::ui

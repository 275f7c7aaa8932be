#include "ui/PaintManagerUI.h"

#include "ui/ContainerUI.h"
#include "ui/ControlUI.h"

#include <QLayout>
#include <QTimer>
#include <QWidget>

#include <algorithm>

namespace velnor7::ui {

namespace {

std::vector<CPaintManagerUI*>& LiveManagers() {
    static std::vector<CPaintManagerUI*> managers;
    return managers;
}

}  // namespace

CPaintManagerUI::CPaintManagerUI() { LiveManagers().push_back(this); }

CPaintManagerUI::~CPaintManagerUI() {
    for (auto& [key, timer] : timers_) delete timer;
    timers_.clear();
    auto& managers = LiveManagers();
    managers.erase(std::remove(managers.begin(), managers.end(), this), managers.end());
}

const std::vector<CPaintManagerUI*>& CPaintManagerUI::Instances() { return LiveManagers(); }

void CPaintManagerUI::AttachDialog(CControlUI* root) {
    root_ = root;
    if (root_ != nullptr) root_->SetManager(this, nullptr);
}

CControlUI* CPaintManagerUI::FindControl(const QString& name) const {
    const auto found = names_.constFind(name);
    if (found == names_.cend() || found->empty()) return nullptr;
    return found->front();
}

CControlUI* CPaintManagerUI::FindSubControlByName(CControlUI* parent, const QString& name) {
    if (parent == nullptr) return nullptr;
    CControlUI* result = nullptr;
    parent->ForEachInTree([&](CControlUI* control) {
        if (result == nullptr && control != parent && control->GetName() == name) result = control;
    });
    return result;
}

std::vector<CControlUI*> CPaintManagerUI::FindSubControlsByClass(CControlUI* parent, const QString& className) {
    std::vector<CControlUI*> result;
    if (parent == nullptr) return result;
    parent->ForEachInTree([&](CControlUI* control) {
        if (control != parent && control->GetClass() == className) result.push_back(control);
    });
    return result;
}

void CPaintManagerUI::RegisterControl(CControlUI* control) {
    if (!control->GetName().isEmpty()) names_[control->GetName()].push_back(control);
}

void CPaintManagerUI::UnregisterControl(CControlUI* control) {
    const auto found = names_.find(control->GetName());
    if (found != names_.end()) {
        auto& list = *found;
        list.erase(std::remove(list.begin(), list.end(), control), list.end());
        if (list.empty()) names_.erase(found);
    }
    if (root_ == control) root_ = nullptr;
}

void CPaintManagerUI::RenameControl(CControlUI* control, const QString& oldName) {
    const auto found = names_.find(oldName);
    if (found != names_.end()) {
        auto& list = *found;
        list.erase(std::remove(list.begin(), list.end(), control), list.end());
        if (list.empty()) names_.erase(found);
    }
    RegisterControl(control);
}

void CPaintManagerUI::AddNotifier(INotifyUI* notifier) {
    if (std::find(notifiers_.begin(), notifiers_.end(), notifier) == notifiers_.end()) notifiers_.push_back(notifier);
}

void CPaintManagerUI::RemoveNotifier(INotifyUI* notifier) {
    notifiers_.erase(std::remove(notifiers_.begin(), notifiers_.end(), notifier), notifiers_.end());
}

void CPaintManagerUI::SendNotify(TNotifyUI& msg) {
    // A copy: a notifier may add or remove notifiers.
    const std::vector<INotifyUI*> notifiers = notifiers_;
    for (INotifyUI* notifier : notifiers) notifier->Notify(msg);
}

bool CPaintManagerUI::SetTimer(CControlUI* control, int timerId, int milliseconds) {
    if (control == nullptr || milliseconds < 0) return false;
    QTimer*& timer = timers_[{control, timerId}];
    if (timer == nullptr) {
        timer = new QTimer;
        QObject::connect(timer, &QTimer::timeout, [control, timerId] { control->OnTimer(timerId); });
    }
    timer->start(milliseconds);
    return true;
}

bool CPaintManagerUI::KillTimer(CControlUI* control, int timerId) {
    const auto found = timers_.find({control, timerId});
    if (found == timers_.end()) return false;
    // The timer may be the one whose expiry is running now.
    found->second->stop();
    found->second->deleteLater();
    timers_.erase(found);
    return true;
}

void CPaintManagerUI::KillTimers(CControlUI* control) {
    for (auto it = timers_.lower_bound({control, INT_MIN}); it != timers_.end() && it->first.first == control;) {
        it->second->stop();
        it->second->deleteLater();
        it = timers_.erase(it);
    }
}

bool CPaintManagerUI::HasTimer(CControlUI* control, int timerId) const {
    return timers_.count({control, timerId}) != 0;
}

int CPaintManagerUI::TimerInterval(CControlUI* control, int timerId) const {
    const auto found = timers_.find({control, timerId});
    return found != timers_.end() ? found->second->interval() : -1;
}

void CPaintManagerUI::AddFont(int id, const QFont& font, bool isDefault) {
    fonts_[id] = font;
    if (isDefault || defaultFontId_ < 0) defaultFontId_ = id;
}

void CPaintManagerUI::RemoveAllFonts() {
    fonts_.clear();
    defaultFontId_ = -1;
}

void CPaintManagerUI::SetFontFamily(const QString& family) {
    for (auto& [id, font] : fonts_) font.setFamily(family);
    RelayoutAll();
}

QFont CPaintManagerUI::Scaled(QFont font) const {
    if (font.pixelSize() > 0) font.setPixelSize(Scale(font.pixelSize()));
    return font;
}

QFont CPaintManagerUI::GetFont(int id) const {
    const auto found = fonts_.find(id);
    if (found == fonts_.end()) return GetDefaultFont();
    return Scaled(found->second);
}

QFont CPaintManagerUI::GetDefaultFont() const {
    const auto found = fonts_.find(defaultFontId_);
    if (found == fonts_.end()) return QFont();
    return Scaled(found->second);
}

void CPaintManagerUI::AddDefaultAttributeList(const QString& elementName, const QString& attributes) {
    defaultAttributes_.insert(elementName, attributes);
}

QString CPaintManagerUI::GetDefaultAttributeList(const QString& elementName) const {
    return defaultAttributes_.value(elementName);
}

void CPaintManagerUI::AddOptionGroup(const QString& group, COptionUI* option) {
    auto& options = optionGroups_[group];
    if (std::find(options.begin(), options.end(), option) == options.end()) options.push_back(option);
}

void CPaintManagerUI::RemoveOptionGroup(const QString& group, COptionUI* option) {
    const auto found = optionGroups_.find(group);
    if (found == optionGroups_.end()) return;
    found->erase(std::remove(found->begin(), found->end(), option), found->end());
}

std::vector<COptionUI*> CPaintManagerUI::GetOptionGroup(const QString& group) const {
    return optionGroups_.value(group);
}

int CPaintManagerUI::Scale(int value) const { return dpi_ == 96 ? value : (value * dpi_ + 48) / 96; }

void CPaintManagerUI::SetDPI(int dpi) {
    if (dpi <= 0 || dpi == dpi_) return;
    dpi_ = dpi;
    RelayoutAll();
}

void CPaintManagerUI::RelayoutAll() {
    if (root_ == nullptr) return;
    root_->ForEachInTree([this](CControlUI* control) {
        if (QWidget* widget = control->GetWidget()) {
            widget->setFont(control->GetFont() >= 0 ? GetFont(control->GetFont()) : GetDefaultFont());
            if (QLayout* layout = widget->layout()) layout->invalidate();
        }
    });
    if (QWidget* widget = root_->GetWidget()) {
        if (QLayout* layout = widget->layout()) layout->activate();
    }
}

void CPaintManagerUI::ReloadText() {
    if (root_ != nullptr) root_->ForEachInTree([](CControlUI* control) { control->ReloadText(); });
}

}  // namespace velnor7::ui

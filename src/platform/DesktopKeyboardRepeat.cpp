#include "platform/DesktopKeyboardRepeat.h"

#include "common/Trace.h"
#include "platform/GnomeKeyboardRepeat.h"
#include "platform/XkbKeyboardRepeat.h"

#include <QString>
#include <QtGlobal>

namespace velnor7 {

CDesktopKeyboardRepeat::Session CDesktopKeyboardRepeat::SessionOfProcess() {
    return {qEnvironmentVariable("DISPLAY").toStdString(), qEnvironmentVariable("XDG_CURRENT_DESKTOP").toStdString()};
}

std::unique_ptr<CDesktopKeyboardRepeat> CDesktopKeyboardRepeat::ForSession(const Session& session) {
    std::vector<std::unique_ptr<ISystemKeyboardRepeat>> settings;
    if (!session.display.empty()) settings.push_back(std::make_unique<CXkbKeyboardRepeat>(session.display));
    // The list may name several desktops ("ubuntu:GNOME", "GNOME-Classic:GNOME").
    if (QString::fromStdString(session.currentDesktop).contains(QStringLiteral("GNOME"), Qt::CaseInsensitive)) {
        settings.push_back(std::make_unique<CGnomeKeyboardRepeat>());
    }
    return std::make_unique<CDesktopKeyboardRepeat>(std::move(settings));
}

CDesktopKeyboardRepeat::CDesktopKeyboardRepeat(std::vector<std::unique_ptr<ISystemKeyboardRepeat>> settings)
    : settings_(std::move(settings)) {}

KeyboardRepeatResult CDesktopKeyboardRepeat::Apply(const KeyboardRepeatRequest& request) {
    using Outcome = KeyboardRepeatResult::Outcome;
    if (settings_.empty()) {
        const std::string reason = "no X display and no GNOME session: the key repeat stays in the profile only";
        Trace("keyboard repeat: %s", reason.c_str());
        return {Outcome::NotAvailable, reason, std::nullopt};
    }
    KeyboardRepeatResult combined{Outcome::Applied, {}, std::nullopt};
    for (const auto& setting : settings_) {
        const KeyboardRepeatResult result = setting->Apply(request);
        Trace("keyboard repeat: %s", result.reason.c_str());
        combined.reason += (combined.reason.empty() ? "" : "; ") + result.reason;
        if (result.outcome == Outcome::Failed) combined.outcome = Outcome::Failed;
        if (!combined.readBack) combined.readBack = result.readBack;
    }
    return combined;
}

std::unique_ptr<ISystemKeyboardRepeat> MakeSystemKeyboardRepeat() {
    return CDesktopKeyboardRepeat::ForSession(CDesktopKeyboardRepeat::SessionOfProcess());
}

}  // namespace velnor7

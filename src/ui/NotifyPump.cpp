#include "ui/NotifyPump.h"

namespace velnor7::ui {

bool CNotifyPump::AddVirtualWnd(const QString& name, CNotifyPump* pump) {
    if (name.isEmpty() || pump == nullptr || pump == this || virtualWnds_.contains(name)) return false;
    virtualWnds_.insert(name, pump);
    return true;
}

bool CNotifyPump::RemoveVirtualWnd(const QString& name) { return virtualWnds_.remove(name) > 0; }

void CNotifyPump::NotifyPump(TNotifyUI& msg) {
    const auto page = virtualWnds_.constFind(msg.sVirtualWnd);
    if (!msg.sVirtualWnd.isEmpty() && page != virtualWnds_.cend()) {
        (*page)->NotifyPump(msg);
        return;
    }
    OnNotify(msg);
}

}  // namespace velnor7::ui

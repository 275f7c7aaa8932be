#pragma once
// Routes notifications to named virtual pages: a notification whose sender belongs to a
// virtual page (the `virtualwnd` attribute) goes to the pump registered under that name,
// every other one to this pump's own handler.

#include "ui/UiTypes.h"

#include <QHash>
#include <QString>

namespace velnor7::ui {

class CNotifyPump {
public:
    virtual ~CNotifyPump() = default;
    bool AddVirtualWnd(const QString& name, CNotifyPump* pump);
    bool RemoveVirtualWnd(const QString& name);
    void NotifyPump(TNotifyUI& msg);

protected:
    // The handler of the notifications that are this pump's own.
    virtual void OnNotify(TNotifyUI& msg) { (void)msg; }

private:
    QHash<QString, CNotifyPump*> virtualWnds_;
};

}  // namespace velnor7::ui

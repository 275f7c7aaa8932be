#pragma once
// Everything one window shares among its controls: names, notifications, control timers,
// fonts, default attributes, option groups and the DPI.

#include "ui/UiTypes.h"

#include <QFont>
#include <QHash>
#include <QString>

#include <map>
#include <utility>
#include <vector>

class QTimer;
class QWidget;

namespace velnor7::ui {

class CControlUI;
class COptionUI;

class INotifyUI {
public:
    virtual ~INotifyUI() = default;
    virtual void Notify(TNotifyUI& msg) = 0;
};

class CPaintManagerUI {
public:
    CPaintManagerUI();
    ~CPaintManagerUI();
    CPaintManagerUI(const CPaintManagerUI&) = delete;
    CPaintManagerUI& operator=(const CPaintManagerUI&) = delete;

    // The top-level widget the tree is shown in.
    void SetPaintWindow(QWidget* window) { paintWindow_ = window; }
    QWidget* GetPaintWindow() const { return paintWindow_; }

    // Makes `root` the tree of this window (the manager does not own it).
    void AttachDialog(CControlUI* root);
    CControlUI* GetRoot() const { return root_; }

    // The first control of that name that belongs to this window.
    CControlUI* FindControl(const QString& name) const;
    // The first control of that name below `parent` (depth first, in child order).
    static CControlUI* FindSubControlByName(CControlUI* parent, const QString& name);
    // Every control of a layout class ("Button", "DeviceKeyButton", ...) below `parent`.
    static std::vector<CControlUI*> FindSubControlsByClass(CControlUI* parent, const QString& className);

    // Kept up to date by the controls themselves.
    void RegisterControl(CControlUI* control);
    void UnregisterControl(CControlUI* control);
    void RenameControl(CControlUI* control, const QString& oldName);

    void AddNotifier(INotifyUI* notifier);
    void RemoveNotifier(INotifyUI* notifier);
    void SendNotify(TNotifyUI& msg);

    // A repeating timer of a control; setting an id again restarts it with the new period.
    // The control's OnTimer runs on the UI thread at each expiry.
    bool SetTimer(CControlUI* control, int timerId, int milliseconds);
    bool KillTimer(CControlUI* control, int timerId);
    void KillTimers(CControlUI* control);
    bool HasTimer(CControlUI* control, int timerId) const;
    // The period the timer runs with; -1 when the control has no such timer.
    int TimerInterval(CControlUI* control, int timerId) const;

    // Fonts by id; sizes are pixels at 96 DPI.
    void AddFont(int id, const QFont& font, bool isDefault = false);
    void RemoveAllFonts();
    // Every font takes `family` (sizes and weights stay), and every control shows it.
    void SetFontFamily(const QString& family);
    QFont GetFont(int id) const;
    QFont GetDefaultFont() const;

    void AddDefaultAttributeList(const QString& elementName, const QString& attributes);
    QString GetDefaultAttributeList(const QString& elementName) const;

    void AddOptionGroup(const QString& group, COptionUI* option);
    void RemoveOptionGroup(const QString& group, COptionUI* option);
    std::vector<COptionUI*> GetOptionGroup(const QString& group) const;

    // 96 is 100 %. Sizes, paddings and fonts follow at once.
    void SetDPI(int dpi);
    int GetDPI() const { return dpi_; }
    int Scale(int value) const;

    // Whether the skin's resource file has been read into this manager.
    bool ResourcesLoaded() const { return resourcesLoaded_; }
    void SetResourcesLoaded() { resourcesLoaded_ = true; }

    // Every control shows the current language's text again.
    void ReloadText();
    // Every manager alive (for a language switch).
    static const std::vector<CPaintManagerUI*>& Instances();

private:
    QFont Scaled(QFont font) const;
    void RelayoutAll();

    QWidget* paintWindow_ = nullptr;
    CControlUI* root_ = nullptr;
    QHash<QString, std::vector<CControlUI*>> names_;
    std::vector<INotifyUI*> notifiers_;
    std::map<std::pair<CControlUI*, int>, QTimer*> timers_;
    std::map<int, QFont> fonts_;
    int defaultFontId_ = -1;
    QHash<QString, QString> defaultAttributes_;
    QHash<QString, std::vector<COptionUI*>> optionGroups_;
    int dpi_ = 96;
    bool resourcesLoaded_ = false;
};

}  // namespace velnor7::ui

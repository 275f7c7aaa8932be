#pragma once
// Helpers for UI tests on Qt's offscreen platform: a window built from a layout (string or
// skin file) that records every notification and message it receives, and actions that
// drive the real widgets as a user would.

#include "ui/ButtonUI.h"
#include "ui/ComboUI.h"
#include "ui/ControlUI.h"
#include "ui/EditUI.h"
#include "ui/ListUI.h"
#include "ui/ResourceManager.h"
#include "ui/SliderUI.h"
#include "ui/WindowImplBase.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace velnor7::testing {

// The skin folder of the source tree.
inline QString SourceSkinPath() { return QStringLiteral(VELNOR7_SOURCE_DIR "/skin"); }

struct ReceivedNotify {
    QString type;
    QString sender;
    std::uintptr_t wParam;
    std::intptr_t lParam;
    QString virtualWnd;
};

class TestWindow : public ui::WindowImplBase {
public:
    // A layout in a string, or (with `fromFile`) a layout file of the skin.
    explicit TestWindow(QString layout, bool fromFile = false) : layout_(std::move(layout)), fromFile_(fromFile) {}

    QString GetSkinFile() const override { return fromFile_ ? layout_ : QString(); }
    QString GetSkinXml() const override { return fromFile_ ? QString() : layout_; }
    QString GetWindowClassName() const override { return "TestWindow"; }

    ui::CControlUI* CreateControl(const QString& className) override {
        const auto found = creators.find(className);
        return found != creators.end() ? found->second() : nullptr;
    }

    // Shows the window and lets "windowinit" arrive.
    void Open() {
        if (!IsWindow()) Create(nullptr, "test");
        ShowWindow(true);
        QApplication::setActiveWindow(GetWidget());
        if (!QTest::qWaitFor([this] { return Received("windowinit") > 0; }, 5000)) ADD_FAILURE() << "no windowinit";
    }

    template <class T>
    T* Find(const QString& name) {
        return dynamic_cast<T*>(FindControl(name));
    }

    int Received(const QString& type, const QString& sender = {}) const {
        int count = 0;
        for (const ReceivedNotify& n : notifications) count += n.type == type && (sender.isEmpty() || n.sender == sender);
        return count;
    }
    // The types received from one control, in order.
    std::vector<QString> TypesFrom(const QString& sender) const {
        std::vector<QString> types;
        for (const ReceivedNotify& n : notifications) {
            if (n.sender == sender) types.push_back(n.type);
        }
        return types;
    }

    std::vector<ReceivedNotify> notifications;
    std::vector<ui::WindowMessage> messages;
    std::map<QString, std::function<ui::CControlUI*()>> creators;
    std::function<void(const ui::WindowMessage&, bool&)> onMessage;

protected:
    void OnNotify(ui::TNotifyUI& msg) override {
        notifications.push_back({msg.sType, msg.pSender != nullptr ? msg.pSender->GetName() : QString(), msg.wParam,
                                 msg.lParam, msg.sVirtualWnd});
    }
    long MessageHandler(const ui::WindowMessage& message, bool& handled) override {
        messages.push_back(message);
        if (onMessage) onMessage(message, handled);
        return handled ? 1 : 0;
    }

private:
    QString layout_;
    bool fromFile_;
};

// Clicks the middle of a control with the left button.
inline void Click(ui::CControlUI* control) {
    QTest::mouseClick(control->GetWidget(), Qt::LeftButton, Qt::NoModifier, control->GetWidget()->rect().center());
}

// What the desktop delivers for a double click: a click, then a second press that comes as
// a double-click event, then its release.
inline void DoubleClickAt(QWidget* widget, const QPoint& point) {
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, point);
    QMouseEvent second(QEvent::MouseButtonDblClick, QPointF(point), widget->mapToGlobal(QPointF(point)),
                       Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &second);
    QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier, point);
}

inline void DoubleClick(ui::CControlUI* control) {
    DoubleClickAt(control->GetWidget(), control->GetWidget()->rect().center());
}

// Opens the drop-down of a combo and clicks an item.
inline void PickComboItem(ui::CComboUI* combo, int index) {
    auto* box = static_cast<QComboBox*>(combo->GetWidget());
    box->showPopup();
    QAbstractItemView* view = box->view();
    if (!QTest::qWaitFor([view] { return view->isVisible(); }, 5000)) ADD_FAILURE() << "the drop-down did not open";
    // A long list shows part of its items: the one wanted is scrolled into view first.
    view->scrollTo(view->model()->index(index, 0));
    const QRect item = view->visualRect(view->model()->index(index, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, item.center());
    if (!QTest::qWaitFor([view] { return !view->isVisible(); }, 5000)) ADD_FAILURE() << "the drop-down stayed open";
}

// Drags a slider's handle to the position of `value`, in small moves, and lets go.
inline void DragSlider(ui::CSliderUI* control, int value) {
    auto* slider = static_cast<QSlider*>(control->GetWidget());
    QStyleOptionSlider option;
    option.initFrom(slider);
    option.orientation = slider->orientation();
    option.minimum = slider->minimum();
    option.maximum = slider->maximum();
    option.sliderPosition = slider->sliderPosition();
    option.sliderValue = slider->value();
    const QRect handle = slider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider);
    const QRect groove = slider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, slider);
    const int span = groove.width() - handle.width();
    const int targetX = groove.left() + handle.width() / 2 +
                        QStyle::sliderPositionFromValue(slider->minimum(), slider->maximum(), value, span);
    const QPoint start = handle.center();
    QTest::mousePress(slider, Qt::LeftButton, Qt::NoModifier, start);
    const int steps = 8;
    for (int i = 1; i <= steps; ++i) {
        QMouseEvent move(QEvent::MouseMove, QPointF(start.x() + (targetX - start.x()) * i / steps, start.y()),
                         slider->mapToGlobal(QPointF(start.x() + (targetX - start.x()) * i / steps, start.y())),
                         Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(slider, &move);
    }
    QTest::mouseRelease(slider, Qt::LeftButton, Qt::NoModifier, QPoint(targetX, start.y()));
}

// Types into an edit (after clicking into it) and, with `leave`, moves the focus away.
inline void TypeInto(ui::CControlUI* edit, const QString& text, bool leave = true) {
    QWidget* widget = edit->GetWidget();
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, widget->rect().center());
    widget->setFocus(Qt::MouseFocusReason);
    QTest::keyClicks(widget, text);
    if (leave) widget->clearFocus();
}

inline void PressKey(ui::CControlUI* control, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    control->GetWidget()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(control->GetWidget(), key, modifiers);
}

// Clicks a row of a list (with Ctrl to toggle it in a multi-selection).
inline void ClickListItem(ui::CListUI* list, int index, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    auto* view = static_cast<QListWidget*>(list->GetWidget());
    const QRect row = view->visualItemRect(view->item(index));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, modifiers, row.center());
}

// Waits until `condition` holds, letting timers and queued calls run; false after `ms`.
// The deadline only ends a wait for something that never comes, so it is generous.
inline bool WaitFor(const std::function<bool()>& condition, int ms = 10000) { return QTest::qWaitFor(condition, ms); }

// Renders a window to a PNG file.
inline bool GrabToPng(ui::CWindowWnd& window, const QString& file) { return window.GetWidget()->grab().save(file, "PNG"); }

}  // namespace velnor7::testing

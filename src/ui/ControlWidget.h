#pragma once
// The Qt widget of a control: any Qt widget class, with its events offered to the control
// first and an optional overlay painted by the control after the widget painted itself.

#include "ui/ControlUI.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWidget>

namespace velnor7::ui {

template <class Base>
class ControlWidget : public Base, public ControlWidgetHook {
public:
    using Base::Base;

protected:
    bool event(QEvent* e) override {
        if (owner != nullptr && owner->OnWidgetEvent(e)) return true;
        return Base::event(e);
    }
    void paintEvent(QPaintEvent* e) override {
        if (paintsUnderlay && owner != nullptr) {
            QPainter painter(this);
            owner->PaintUnderlay(painter);
        }
        Base::paintEvent(e);
        if (paintsOverlay && owner != nullptr) {
            QPainter painter(this);
            // An overlay may skip what lies outside the area being repainted.
            painter.setClipRegion(e->region());
            owner->PaintOverlay(painter);
        }
    }
};

// A plain box that paints its style sheet background.
class BoxWidget : public ControlWidget<QWidget> {
public:
    BoxWidget() { setAttribute(Qt::WA_StyledBackground, true); }
};

}  // namespace velnor7::ui

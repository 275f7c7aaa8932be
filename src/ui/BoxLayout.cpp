#include "ui/BoxLayout.h"

#include "ui/ControlUI.h"
#include "ui/PaintManagerUI.h"

#include <QWidget>

#include <algorithm>
#include <vector>

namespace velnor7::ui {

BoxLayout::BoxLayout(Direction direction, QWidget* parent) : QLayout(parent), direction_(direction) {
    setContentsMargins(0, 0, 0, 0);
    setSpacing(0);
}

BoxLayout::~BoxLayout() {
    while (!items_.isEmpty()) delete items_.takeFirst();
}

void BoxLayout::InsertWidget(int index, QWidget* widget) {
    addChildWidget(widget);
    index = std::clamp(index, 0, static_cast<int>(items_.size()));
    items_.insert(index, new QWidgetItem(widget));
    invalidate();
}

void BoxLayout::SetInset(const QMargins& inset) {
    inset_ = inset;
    invalidate();
}

void BoxLayout::SetChildPadding(int padding) {
    childPadding_ = padding;
    invalidate();
}

void BoxLayout::SetChildAlign(int align) {
    childAlign_ = align;
    invalidate();
}

void BoxLayout::SetChildVAlign(int align) {
    childVAlign_ = align;
    invalidate();
}

void BoxLayout::addItem(QLayoutItem* item) { items_.append(item); }

QLayoutItem* BoxLayout::itemAt(int index) const {
    return index >= 0 && index < items_.size() ? items_.at(index) : nullptr;
}

QLayoutItem* BoxLayout::takeAt(int index) {
    return index >= 0 && index < items_.size() ? items_.takeAt(index) : nullptr;
}

int BoxLayout::count() const { return static_cast<int>(items_.size()); }

int BoxLayout::Scaled(int value) const { return manager_ != nullptr ? manager_->Scale(value) : value; }

namespace {

struct Child {
    QWidget* widget;
    const CControlUI* control;
};

// Size along one axis: fixed when set, else a share of what is left.
struct AxisRule {
    int fixed;
    int minimum;
    int maximum;
    int before;
    int after;
};

}  // namespace

QSize BoxLayout::sizeHint() const {
    int along = 0;
    int across = 0;
    for (QLayoutItem* item : items_) {
        const QWidget* widget = item->widget();
        const CControlUI* control = CControlUI::FromWidget(widget);
        if (widget == nullptr || control == nullptr || !control->IsVisible() || control->IsFloat()) continue;
        const QMargins pad = control->GetPadding();
        const int w = Scaled(control->GetFixedWidth() + pad.left() + pad.right());
        const int h = Scaled(control->GetFixedHeight() + pad.top() + pad.bottom());
        if (direction_ == Direction::Horizontal) {
            along += w;
            across = std::max(across, h);
        } else if (direction_ == Direction::Vertical) {
            along += h;
            across = std::max(across, w);
        } else {
            along = std::max(along, w);
            across = std::max(across, h);
        }
    }
    const QMargins inset(Scaled(inset_.left()), Scaled(inset_.top()), Scaled(inset_.right()), Scaled(inset_.bottom()));
    if (direction_ == Direction::Vertical) {
        return QSize(across + inset.left() + inset.right(), along + inset.top() + inset.bottom());
    }
    return QSize(along + inset.left() + inset.right(), across + inset.top() + inset.bottom());
}

QSize BoxLayout::minimumSize() const { return QSize(0, 0); }

void BoxLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    const QRect inner = rect.marginsRemoved(
        QMargins(Scaled(inset_.left()), Scaled(inset_.top()), Scaled(inset_.right()), Scaled(inset_.bottom())));
    const bool horizontal = direction_ == Direction::Horizontal;

    std::vector<Child> flow;
    for (QLayoutItem* item : items_) {
        QWidget* widget = item->widget();
        const CControlUI* control = CControlUI::FromWidget(widget);
        if (widget == nullptr) continue;
        if (control == nullptr) {
            if (!widget->isHidden()) widget->setGeometry(inner);
            continue;
        }
        if (!control->IsVisible()) continue;
        if (control->IsFloat()) {
            const QRect pos = control->GetFloatPos();
            QSize size(pos.width(), pos.height());
            if (size.width() <= 0) size.setWidth(control->GetFixedWidth());
            if (size.height() <= 0) size.setHeight(control->GetFixedHeight());
            widget->setGeometry(QRect(rect.topLeft() + QPoint(Scaled(pos.left()), Scaled(pos.top())),
                                      QSize(Scaled(size.width()), Scaled(size.height()))));
            continue;
        }
        flow.push_back({widget, control});
    }

    auto ruleOf = [&](const CControlUI* c, bool alongAxis) {
        const QMargins pad = c->GetPadding();
        const bool width = alongAxis == horizontal;
        return AxisRule{Scaled(width ? c->GetFixedWidth() : c->GetFixedHeight()),
                        Scaled(width ? c->GetMinWidth() : c->GetMinHeight()),
                        Scaled(width ? c->GetMaxWidth() : c->GetMaxHeight()),
                        Scaled(width ? pad.left() : pad.top()),
                        Scaled(width ? pad.right() : pad.bottom())};
    };

    if (direction_ == Direction::Overlay) {
        for (const Child& child : flow) {
            const AxisRule w = ruleOf(child.control, true);
            const AxisRule h = ruleOf(child.control, false);
            const QRect area = inner.adjusted(w.before, h.before, -w.after, -h.after);
            const int width = w.fixed > 0 ? w.fixed : std::clamp(area.width(), w.minimum, std::max(w.minimum, w.maximum));
            const int height = h.fixed > 0 ? h.fixed : std::clamp(area.height(), h.minimum, std::max(h.minimum, h.maximum));
            child.widget->setGeometry(QRect(area.topLeft(), QSize(width, height)));
        }
        return;
    }

    const int available = horizontal ? inner.width() : inner.height();
    const int acrossAvailable = horizontal ? inner.height() : inner.width();
    const int count = static_cast<int>(flow.size());
    std::vector<int> sizes(flow.size(), 0);
    std::vector<bool> settled(flow.size(), false);
    int used = childPadding_ > 0 && count > 1 ? Scaled(childPadding_) * (count - 1) : 0;
    for (int i = 0; i < count; ++i) {
        const AxisRule s = ruleOf(flow[i].control, true);
        used += s.before + s.after;
        if (s.fixed > 0) {
            sizes[i] = s.fixed;
            settled[i] = true;
            used += s.fixed;
        }
    }
    // Shares: a share clamped by its limits becomes fixed and the rest is shared again.
    for (bool changed = true; changed;) {
        changed = false;
        const int open = static_cast<int>(std::count(settled.begin(), settled.end(), false));
        if (open == 0) break;
        const int share = std::max(0, available - used) / open;
        for (int i = 0; i < count; ++i) {
            if (settled[i]) continue;
            const AxisRule s = ruleOf(flow[i].control, true);
            const int clamped = std::clamp(share, s.minimum, std::max(s.minimum, s.maximum));
            sizes[i] = clamped;
            if (clamped != share) {
                settled[i] = true;
                used += clamped;
                changed = true;
            }
        }
    }
    // What is left after integer division goes to the last share, so rows end flush.
    int total = used;
    int lastOpen = -1;
    for (int i = 0; i < count; ++i) {
        if (!settled[i]) {
            total += sizes[i];
            lastOpen = i;
        }
    }
    if (lastOpen >= 0 && total < available) {
        const AxisRule s = ruleOf(flow[lastOpen].control, true);
        sizes[lastOpen] = std::min(sizes[lastOpen] + available - total, std::max(s.minimum, s.maximum));
        total = available;
    }

    int position = horizontal ? inner.left() : inner.top();
    const int alongAlign = horizontal ? childAlign_ : childVAlign_;
    if (total < available && alongAlign != 0) position += (available - total) / (alongAlign == 1 ? 2 : 1);
    for (int i = 0; i < count; ++i) {
        const AxisRule along = ruleOf(flow[i].control, true);
        const AxisRule across = ruleOf(flow[i].control, false);
        const int room = acrossAvailable - across.before - across.after;
        const int thickness = across.fixed > 0 ? across.fixed
                                               : std::clamp(room, across.minimum, std::max(across.minimum, across.maximum));
        int offset = (horizontal ? inner.top() : inner.left()) + across.before;
        const int acrossAlign = horizontal ? childVAlign_ : childAlign_;
        if (thickness < room && acrossAlign != 0) offset += (room - thickness) / (acrossAlign == 1 ? 2 : 1);
        position += along.before;
        const QRect geometry = horizontal ? QRect(position, offset, sizes[i], thickness)
                                          : QRect(offset, position, thickness, sizes[i]);
        flow[i].widget->setGeometry(geometry);
        position += sizes[i] + along.after + Scaled(childPadding_);
    }
}

}  // namespace velnor7::ui

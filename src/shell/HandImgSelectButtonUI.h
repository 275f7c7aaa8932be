#pragma once
// An option showing a hand picture over it ("handimage") that remembers where it was last
// pressed. Like every control it takes "cursor"; an unknown cursor name is refused.

#include "ui/ButtonUI.h"

#include <QPixmap>
#include <QPoint>

namespace velnor7 {

class CHandImgSelectButtonUI : public ui::COptionUI {
public:
    CHandImgSelectButtonUI();
    QString GetClass() const override;
    bool SetAttribute(const QString& name, const QString& value) override;

    // Where the last press (any mouse button) was, in the option's own coordinates.
    QPoint GetLastPressPoint() const { return lastPressPoint_; }

    bool OnWidgetEvent(QEvent* event) override;
    void PaintOverlay(QPainter& painter) override;

private:
    QPixmap handImage_;
    QPoint lastPressPoint_;
};

}  // namespace velnor7

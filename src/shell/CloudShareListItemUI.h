#pragma once
// A row of the shared-profiles list: while the mouse is over it and it is not selected, it
// is framed in the hot border colour, if the list gives its rows a hot image ("hotimage",
// usually through a <Default> of the layout). Its context menu tells "menu" (lParam: the
// screen point, y << 16 | x).

#include "ui/ListUI.h"

#include <QColor>

namespace velnor7 {

class CCloudShareListItemUI : public ui::CListContainerElementUI {
public:
    static constexpr int kFrameWidth = 1;

    CCloudShareListItemUI();
    QString GetClass() const override;
    bool SetAttribute(const QString& name, const QString& value) override;

    // Whether the frame shows now.
    bool ShowsHoverFrame() const;

    bool OnWidgetEvent(QEvent* event) override;
    void PaintOverlay(QPainter& painter) override;

private:
    QString hotImage_;
    QColor hotBorderColour_{0x2B, 0xB3, 0xFF};
    bool hovered_ = false;
};

}  // namespace velnor7

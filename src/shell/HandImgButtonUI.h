#pragma once
// A button showing a hand picture over it (the "handimage" attribute) and, while the mouse is
// over it, a delete mark near its bottom-right corner ("deletenormalimage", and
// "deletehotimage" while the mouse is on the mark). A release on the mark tells
// "click_handdelete" and does not click the button; a release elsewhere on it clicks it.

#include "ui/ButtonUI.h"

#include <QPixmap>
#include <QRect>

namespace velnor7 {

class CHandImgButtonUI : public ui::CButtonUI {
public:
    // The mark's box at 96 DPI: its side, and how far its left and top edges lie inside the
    // button's right and bottom edges.
    static constexpr int kDeleteBoxSide = 20;
    static constexpr int kDeleteBoxLeftFromRight = 30;
    static constexpr int kDeleteBoxTopFromBottom = 29;

    CHandImgButtonUI();
    QString GetClass() const override;
    bool SetAttribute(const QString& name, const QString& value) override;

    // The delete mark's box in the button's own coordinates, at the window's DPI.
    QRect DeleteBox() const;

    bool OnWidgetEvent(QEvent* event) override;
    void PaintOverlay(QPainter& painter) override;

private:
    void SetHover(bool hovered, bool overDeleteMark);

    QPixmap handImage_;
    QPixmap deleteNormalImage_;
    QPixmap deleteHotImage_;
    bool hovered_ = false;
    bool overDeleteMark_ = false;
};

}  // namespace velnor7

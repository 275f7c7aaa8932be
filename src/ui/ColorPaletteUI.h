#pragma once
// A colour picker: a saturation/brightness square above a hue strip. "colorchanged" is the
// user's choice (a click, or where a drag ended); "colorchanging" follows a drag as it moves.
// SetSelectColor is silent.

#include "ui/ControlUI.h"

namespace velnor7::ui {

class CColorPaletteUI : public CControlUI {
public:
    CColorPaletteUI();
    QString GetClass() const override;
    bool SetAttribute(const QString& name, const QString& value) override;

    // 0xFFRRGGBB
    quint32 GetSelectColor() const;
    void SetSelectColor(quint32 argb);
    int GetHue() const { return hue_; }

    bool OnWidgetEvent(QEvent* event) override;
    void PaintOverlay(QPainter& painter) override;

private:
    QRect Area() const;
    QRect SquareRect() const;
    QRect HueRect() const;
    // Notifies `notification` with the colour at `point`.
    void PickAt(const QPoint& point, bool fromSquare, const QString& notification);

    int hue_ = 0;         // 0..359
    int saturation_ = 0;  // 0..255
    int value_ = 255;     // 0..255
    int paletteHeight_ = 0;
    int barHeight_ = 14;
    enum class Drag { None, Square, Hue } drag_ = Drag::None;
    bool moved_ = false;  // since the press
};

}  // namespace velnor7::ui

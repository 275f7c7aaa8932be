#pragma once
// A round progress indicator (download progress): a disc in the background colour with the
// done part as a ring in the foreground colour, clockwise from the top, around a white centre.

#include "ui/ProgressUI.h"

#include <QColor>

namespace velnor7 {

class CCircleProgressUI : public ui::CProgressUI {
public:
    // The ring's width at 96 DPI: how far the white centre stays inside the disc.
    static constexpr int kRingWidth = 10;

    CCircleProgressUI();
    QString GetClass() const override;
    bool SetAttribute(const QString& name, const QString& value) override;

    QColor GetForeColor() const { return foreColour_; }
    void SetForeColor(const QColor& colour);
    // The part done, 0..1, measured from the minimum; 0 when the range is empty.
    double DoneFraction() const;

    void PaintOverlay(QPainter& painter) override;

private:
    QColor foreColour_{0x2B, 0xB3, 0xFF};
};

}  // namespace velnor7

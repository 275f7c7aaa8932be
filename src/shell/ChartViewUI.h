#pragma once
// A small chart of labelled values: a pie, or ("view" = "histpgram", spelled as the layouts
// have it) bars drawn with a pillar image ("pillarimage", "pillarimagewidth" wide) standing on
// an optional shadow image ("shadowimage", "shadowimageheight" high). "showtext" shows the
// labels (under the bars, beside the pie), "showhtml" reads them as rich text, "font" is a
// font id; "items" gives values in the layout: "Mon:3;Tue:5". Negative values count as 0.

#include "ui/ControlUI.h"

#include <QPixmap>

#include <algorithm>
#include <vector>

namespace velnor7 {

class CChartViewUI : public ui::CControlUI {
public:
    enum class View { Pie, Bars };
    struct Item {
        QString label;
        int value = 0;
    };
    // Slice and bar colours that stand out on the dark theme, in order of use.
    static const std::vector<QColor>& Palette();
    static constexpr int kDefaultPillarWidth = 16;

    CChartViewUI();
    QString GetClass() const override;
    bool SetAttribute(const QString& name, const QString& value) override;

    void Add(const QString& label, int value);
    void RemoveAll();
    const std::vector<Item>& GetItems() const { return items_; }
    View GetView() const { return view_; }
    void SetView(View view);

    // The pie's rectangle and, for each item, the bar's, in the control's coordinates.
    QRect PieRect() const;
    std::vector<QRect> BarRects() const;

    void PaintOverlay(QPainter& painter) override;

private:
    // The values as drawn (no negatives), and their sum and largest.
    int Shown(const Item& item) const { return std::max(item.value, 0); }
    qint64 Total() const;
    int Largest() const;
    // Room kept for the labels: under the bars, beside the pie.
    int LabelHeight() const;
    void PaintPie(QPainter& painter);
    void PaintBars(QPainter& painter);
    void PaintLabel(QPainter& painter, const QRect& area, const QString& label, Qt::Alignment align);

    std::vector<Item> items_;
    View view_ = View::Pie;
    QPixmap pillarImage_;
    QPixmap shadowImage_;
    int pillarWidth_ = kDefaultPillarWidth;
    int shadowHeight_ = 0;
    bool showText_ = false;
    bool showHtml_ = false;
};

}  // namespace velnor7

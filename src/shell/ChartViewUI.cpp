#include "shell/ChartViewUI.h"

#include "ui/Attributes.h"
#include "ui/ResourceManager.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetrics>
#include <QPainter>
#include <QTextDocument>

#include <algorithm>
#include <numeric>
#include <optional>

namespace velnor7 {

namespace {

const QColor kDefaultTextColour(0xE6, 0xE8, 0xEE);
// The outline of a pie with nothing in it.
const QColor kEmptyPieColour(0x30, 0x34, 0x3D);
// Space between the labels and what they label, at 96 DPI.
constexpr int kLabelGap = 6;
constexpr int kSwatchSide = 10;
// A full turn in Qt's sixteenths of a degree, and twelve o'clock where the pie starts.
constexpr int kFullTurn = 360 * 16;
constexpr int kTwelveOClock = 90 * 16;

// "Mon:3;Tue:5"; nothing when a part cannot be read.
std::optional<std::vector<CChartViewUI::Item>> ParseItems(const QString& text) {
    std::vector<CChartViewUI::Item> items;
    for (const QString& written : text.split(';')) {
        const QString part = written.trimmed();
        if (part.isEmpty()) continue;
        const qsizetype colon = part.lastIndexOf(':');
        bool ok = false;
        // Decimal only: a count written "08" is eight.
        const int value = colon < 0 ? 0 : part.mid(colon + 1).trimmed().toInt(&ok, 10);
        if (!ok) return std::nullopt;
        items.push_back({part.left(colon).trimmed(), value});
    }
    return items;
}

}  // namespace

const std::vector<QColor>& CChartViewUI::Palette() {
    static const std::vector<QColor> colours{
        QColor(0x2B, 0xB3, 0xFF),  // sky blue, the theme's accent
        QColor(0xFF, 0x8A, 0x5B),  // coral
        QColor(0x7B, 0xD8, 0x8F),  // mint
        QColor(0xFF, 0xC8, 0x57),  // amber
        QColor(0xB4, 0x8E, 0xF0),  // lavender
        QColor(0x4D, 0xD0, 0xC8),  // teal
        QColor(0xF0, 0x6F, 0x9B),  // rose
        QColor(0xA0, 0xA8, 0xB8),  // slate
    };
    return colours;
}

CChartViewUI::CChartViewUI() { SetPaintsOverlay(true); }

QString CChartViewUI::GetClass() const { return "ChartView"; }

void CChartViewUI::Add(const QString& label, int value) {
    items_.push_back({label, value});
    Invalidate();
}

void CChartViewUI::RemoveAll() {
    items_.clear();
    Invalidate();
}

void CChartViewUI::SetView(View view) {
    view_ = view;
    Invalidate();
}

qint64 CChartViewUI::Total() const {
    return std::accumulate(items_.begin(), items_.end(), qint64{0},
                           [this](qint64 sum, const Item& item) { return sum + Shown(item); });
}

int CChartViewUI::Largest() const {
    int largest = 0;
    for (const Item& item : items_) largest = std::max(largest, Shown(item));
    return largest;
}

int CChartViewUI::LabelHeight() const {
    return showText_ ? QFontMetrics(GetWidget()->font()).height() + Scaled(kLabelGap) : 0;
}

QRect CChartViewUI::PieRect() const {
    const QRect area = GetWidget()->rect();
    // With labels the pie keeps the left half and the labels list beside it.
    const int side = std::min(area.height(), showText_ ? area.width() / 2 : area.width());
    const int left = showText_ ? 0 : (area.width() - side) / 2;
    return QRect(left, (area.height() - side) / 2, side, side);
}

std::vector<QRect> CChartViewUI::BarRects() const {
    std::vector<QRect> bars;
    if (items_.empty()) return bars;
    const QRect area = GetWidget()->rect();
    const int shadow = shadowImage_.isNull() ? 0 : Scaled(shadowHeight_);
    const int baseline = area.height() - LabelHeight() - shadow;
    const int slot = area.width() / static_cast<int>(items_.size());
    const int width = std::min(Scaled(pillarWidth_), slot);
    const int largest = Largest();
    const qint64 room = std::max(baseline, 0);
    for (size_t i = 0; i < items_.size(); ++i) {
        // An empty chart has bars of no height: no division by a largest value of 0.
        const int height = largest > 0 ? static_cast<int>(Shown(items_[i]) * room / largest) : 0;
        const int centre = static_cast<int>(i) * slot + slot / 2;
        bars.emplace_back(centre - width / 2, baseline - height, width, height);
    }
    return bars;
}

void CChartViewUI::PaintLabel(QPainter& painter, const QRect& area, const QString& label, Qt::Alignment align) {
    const QColor colour = GetTextColor().isValid() ? GetTextColor() : kDefaultTextColour;
    if (!showHtml_) {
        painter.setPen(colour);
        const QString shown = painter.fontMetrics().elidedText(label, Qt::ElideRight, area.width());
        painter.drawText(area, align | Qt::AlignVCenter | Qt::TextSingleLine, shown);
        return;
    }
    QTextDocument document;
    document.setDefaultFont(painter.font());
    document.setDocumentMargin(0);
    document.setDefaultTextOption(QTextOption(align));
    document.setHtml(label);
    document.setTextWidth(area.width());
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette.setColor(QPalette::Text, colour);
    context.clip = QRectF(0, 0, area.width(), area.height());
    painter.save();
    painter.translate(area.left(), area.top() + (area.height() - document.size().height()) / 2);
    document.documentLayout()->draw(&painter, context);
    painter.restore();
}

void CChartViewUI::PaintPie(QPainter& painter) {
    const QRect pie = PieRect();
    const qint64 total = Total();
    if (total == 0) {
        painter.setPen(QPen(kEmptyPieColour, Scaled(1)));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(QRectF(pie).adjusted(0.5, 0.5, -0.5, -0.5));
    } else {
        // Slices clockwise from twelve o'clock; each ends where the running sum says, so the
        // rounding of one slice does not shift the next.
        painter.setPen(Qt::NoPen);
        qint64 sum = 0;
        for (size_t i = 0; i < items_.size(); ++i) {
            const int start = kTwelveOClock - static_cast<int>(sum * kFullTurn / total);
            sum += Shown(items_[i]);
            const int end = kTwelveOClock - static_cast<int>(sum * kFullTurn / total);
            if (end == start) continue;
            painter.setBrush(Palette()[i % Palette().size()]);
            painter.drawPie(pie, start, end - start);
        }
    }
    if (!showText_) return;
    const int row = LabelHeight();
    const int swatch = Scaled(kSwatchSide);
    const int left = pie.right() + 1 + Scaled(kLabelGap) * 2;
    for (size_t i = 0; i < items_.size(); ++i) {
        const QRect line(left, pie.top() + static_cast<int>(i) * row, GetWidget()->width() - left, row);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Palette()[i % Palette().size()]);
        painter.drawRect(line.left(), line.center().y() - swatch / 2, swatch, swatch);
        PaintLabel(painter, line.adjusted(swatch + Scaled(kLabelGap), 0, 0, 0), items_[i].label, Qt::AlignLeft);
    }
}

void CChartViewUI::PaintBars(QPainter& painter) {
    const std::vector<QRect> bars = BarRects();
    const int shadow = shadowImage_.isNull() ? 0 : Scaled(shadowHeight_);
    const int slot = bars.empty() ? 0 : GetWidget()->width() / static_cast<int>(bars.size());
    for (size_t i = 0; i < bars.size(); ++i) {
        const QRect& bar = bars[i];
        if (!bar.isEmpty()) {
            if (pillarImage_.isNull()) painter.fillRect(bar, Palette()[i % Palette().size()]);
            else painter.drawPixmap(bar, pillarImage_);
        }
        if (shadow > 0) painter.drawPixmap(QRect(bar.left(), bar.bottom() + 1, bar.width(), shadow), shadowImage_);
        if (showText_) {
            const QRect label(static_cast<int>(i) * slot, bar.bottom() + 1 + shadow, slot, LabelHeight());
            PaintLabel(painter, label, items_[i].label, Qt::AlignHCenter);
        }
    }
}

void CChartViewUI::PaintOverlay(QPainter& painter) {
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    painter.setFont(GetWidget()->font());
    if (view_ == View::Bars) PaintBars(painter);
    else PaintPie(painter);
}

bool CChartViewUI::SetAttribute(const QString& name, const QString& value) {
    auto image = [&](QPixmap& target) {
        target = ui::CResourceManager::Instance().GetImage(ui::ParseImagePath(value));
        Invalidate();
        return true;
    };
    auto size = [&](int& target) {
        const auto number = ui::ParseInt(value);
        if (!number || *number < 0) return false;
        target = *number;
        Invalidate();
        return true;
    };
    auto flag = [&](bool& target) {
        return ui::ApplyParsed(value, ui::ParseBool, [&](bool on) {
            target = on;
            Invalidate();
        });
    };
    if (name == "view") {
        SetView(value.trimmed() == "histpgram" ? View::Bars : View::Pie);
        return true;
    }
    if (name == "pillarimage") return image(pillarImage_);
    if (name == "shadowimage") return image(shadowImage_);
    if (name == "pillarimagewidth") return size(pillarWidth_);
    if (name == "shadowimageheight") return size(shadowHeight_);
    if (name == "showtext") return flag(showText_);
    if (name == "showhtml") return flag(showHtml_);
    if (name == "items") {
        return ui::ApplyParsed(value, ParseItems, [&](std::vector<Item> items) {
            items_ = std::move(items);
            Invalidate();
        });
    }
    return CControlUI::SetAttribute(name, value);
}

}  // namespace velnor7

#pragma once
// Readers for the values of layout attributes. Each returns nothing when the text
// cannot be read, so the caller can report the value and keep the old one.

#include <QColor>
#include <QMargins>
#include <QRect>
#include <QSize>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

namespace velnor7::ui {

std::optional<bool> ParseBool(const QString& text);
std::optional<int> ParseInt(const QString& text);
// "#AARRGGBB", "#RRGGBB", "0xAARRGGBB" or a decimal 0xAARRGGBB.
std::optional<QColor> ParseColour(const QString& text);
// "l,t,r,b"
std::optional<QMargins> ParseMargins(const QString& text);
// "l,t,r,b" as a rectangle from (l,t) to (r,b); "l,t" gives an empty rectangle at that point.
std::optional<QRect> ParseRect(const QString& text);
// "w,h"
std::optional<QSize> ParseSize(const QString& text);
// An image attribute: a plain path, or "file='path' corner='l,t,r,b'" where the corner
// widths stay unstretched when the image is stretched (other keys are ignored).
struct ImageRef {
    QString path;
    QMargins corner;
};
ImageRef ParseImage(const QString& text);
QString ParseImagePath(const QString& text);
// Reads `text` with `parse` and hands the value to `apply`; false, with nothing applied, when
// the text cannot be read.
template <class Parse, class Apply>
bool ApplyParsed(const QString& text, Parse parse, Apply apply) {
    const auto value = parse(text);
    if (!value) return false;
    apply(*value);
    return true;
}

// name="value" pairs as a layout's default attribute list writes them.
std::vector<std::pair<QString, QString>> ParseAttributeList(const QString& list);

}  // namespace velnor7::ui

#include "ui/Attributes.h"

#include <QRegularExpression>
#include <QStringList>

namespace velnor7::ui {

std::optional<bool> ParseBool(const QString& text) {
    const QString t = text.trimmed().toLower();
    if (t == "true" || t == "1") return true;
    if (t == "false" || t == "0") return false;
    return std::nullopt;
}

std::optional<int> ParseInt(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 0);
    if (!ok) return std::nullopt;
    return value;
}

std::optional<QColor> ParseColour(const QString& text) {
    QString t = text.trimmed();
    bool ok = false;
    quint32 argb = 0;
    int digits = 0;
    if (t.startsWith('#')) {
        t = t.mid(1);
        digits = t.size();
        argb = t.toUInt(&ok, 16);
    } else if (t.startsWith("0x", Qt::CaseInsensitive)) {
        t = t.mid(2);
        digits = t.size();
        argb = t.toUInt(&ok, 16);
    } else {
        argb = t.toUInt(&ok, 10);
        digits = 8;
    }
    if (!ok || (digits != 6 && digits != 8)) return std::nullopt;
    if (digits == 6) argb |= 0xFF000000u;
    return QColor::fromRgba(argb);
}

namespace {

std::optional<std::vector<int>> ParseNumbers(const QString& text, int minCount, int maxCount) {
    const QStringList parts = text.split(',');
    if (parts.size() < minCount || parts.size() > maxCount) return std::nullopt;
    std::vector<int> numbers;
    for (const QString& part : parts) {
        const auto value = ParseInt(part);
        if (!value) return std::nullopt;
        numbers.push_back(*value);
    }
    return numbers;
}

}  // namespace

std::optional<QMargins> ParseMargins(const QString& text) {
    const auto n = ParseNumbers(text, 4, 4);
    if (!n) return std::nullopt;
    return QMargins((*n)[0], (*n)[1], (*n)[2], (*n)[3]);
}

std::optional<QRect> ParseRect(const QString& text) {
    const auto n = ParseNumbers(text, 2, 4);
    if (!n || n->size() == 3) return std::nullopt;
    if (n->size() == 2) return QRect(QPoint((*n)[0], (*n)[1]), QSize(0, 0));
    return QRect(QPoint((*n)[0], (*n)[1]), QPoint((*n)[2] - 1, (*n)[3] - 1));
}

std::optional<QSize> ParseSize(const QString& text) {
    const auto n = ParseNumbers(text, 2, 2);
    if (!n) return std::nullopt;
    return QSize((*n)[0], (*n)[1]);
}

ImageRef ParseImage(const QString& text) {
    static const QRegularExpression fileKey(R"(file\s*=\s*'([^']*)')");
    static const QRegularExpression cornerKey(R"(corner\s*=\s*'([^']*)')");
    const QRegularExpressionMatch file = fileKey.match(text);
    if (!file.hasMatch()) return {text.trimmed(), {}};
    ImageRef image{file.captured(1), {}};
    const QRegularExpressionMatch corner = cornerKey.match(text);
    if (corner.hasMatch()) image.corner = ParseMargins(corner.captured(1)).value_or(QMargins());
    return image;
}

QString ParseImagePath(const QString& text) { return ParseImage(text).path; }

std::vector<std::pair<QString, QString>> ParseAttributeList(const QString& list) {
    static const QRegularExpression pair(R"re(([A-Za-z_][\w-]*)\s*=\s*"([^"]*)")re");
    std::vector<std::pair<QString, QString>> result;
    auto it = pair.globalMatch(list);
    while (it.hasNext()) {
        const auto match = it.next();
        result.emplace_back(match.captured(1), match.captured(2));
    }
    return result;
}

}  // namespace velnor7::ui

#include "core/page/KeyCapImages.h"

#include <QPainter>
#include <QPixmap>
#include <qdrawutil.h>

namespace velnor7 {

namespace {

QImage NineSliced(const QPixmap& source, const QMargins& corners, const QSize& size, const QColor& backdrop) {
    const bool opaque = backdrop.isValid() && backdrop.alpha() == 255;
    QImage sized(size, opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
    sized.fill(opaque ? backdrop : QColor(Qt::transparent));
    if (!source.isNull()) {
        QPainter painter(&sized);
        qDrawBorderPixmap(&painter, sized.rect(), corners, source);
    }
    return sized;
}

// `colour` at `alpha` x the mask's coverage, laid over `base` (premultiplied pixels).
QImage Tint(const QImage& base, const QImage& mask, QRgb colour, int alpha) {
    QImage lit = base.copy();
    const int red = qRed(colour), green = qGreen(colour), blue = qBlue(colour);
    const QRgb solid = qRgb(red, green, blue);
    for (int y = 0; y < lit.height(); ++y) {
        auto* pixels = reinterpret_cast<QRgb*>(lit.scanLine(y));
        const uchar* coverage = mask.constScanLine(y);
        for (int x = 0; x < lit.width(); ++x) {
            const int a = coverage[x] * alpha / 255;
            if (a == 0) continue;
            if (a == 255) {  // most of a key: the light alone
                pixels[x] = solid;
                continue;
            }
            const QRgb under = pixels[x];
            const int keep = 255 - a;
            pixels[x] = qRgba((red * a + qRed(under) * keep) / 255, (green * a + qGreen(under) * keep) / 255,
                              (blue * a + qBlue(under) * keep) / 255, a + qAlpha(under) * keep / 255);
        }
    }
    return lit;
}

}  // namespace

size_t qHash(const KeyCapImages::Key& key, size_t seed) {
    return qHashMulti(seed, key.source, key.light, key.corners.left(), key.corners.top(), key.corners.right(),
                      key.corners.bottom(), key.size.width(), key.size.height(), key.colour, key.alpha, key.backdrop);
}

KeyCapImages& KeyCapImages::Instance() {
    static KeyCapImages images;
    return images;
}

const QImage& KeyCapImages::Base(const QPixmap& cap, const Key& key) {
    const Key baseKey{key.source, 0, key.corners, key.size, 0, 0, key.backdrop};
    auto found = bases_.find(baseKey);
    if (found == bases_.end()) {
        found = bases_.insert(baseKey, NineSliced(cap, key.corners, key.size,
                                                  key.backdrop != 0 ? QColor::fromRgb(key.backdrop) : QColor()));
    }
    return *found;
}

const QImage& KeyCapImages::Mask(const QPixmap& light, const Key& key) {
    const Key maskKey{0, key.light, key.corners, key.size, 0, 0, 0};
    auto found = masks_.find(maskKey);
    if (found == masks_.end()) {
        found = masks_.insert(maskKey, NineSliced(light, key.corners, key.size, QColor()).convertToFormat(QImage::Format_Alpha8));
    }
    return *found;
}

QImage KeyCapImages::LitCap(const QPixmap& capSource, const QMargins& corners, const QPixmap& lightSource,
                            const QSize& size, const QColor& colour, int alpha, const QColor& backdrop) {
    if (size.isEmpty()) return {};
    const bool lit = alpha > 0 && !lightSource.isNull();
    const Key key{capSource.cacheKey(), lit ? lightSource.cacheKey() : 0, corners, size, lit ? colour.rgb() : 0,
                  lit ? alpha : 0, backdrop.isValid() && backdrop.alpha() == 255 ? backdrop.rgb() : 0};
    if (key == lastKey_) return lastLit_;
    lastKey_ = key;
    if (!lit) return lastLit_ = Base(capSource, key);
    if (auto found = lights_.constFind(key); found != lights_.cend()) return lastLit_ = *found;
    // An effect that ran through more colours than the cache keeps starts it over.
    if (lights_.size() >= kMaxLights) lights_.clear();
    lastLit_ = Tint(Base(capSource, key), Mask(lightSource, key), colour.rgb(), alpha);
    lights_.insert(key, lastLit_);
    return lastLit_;
}

}  // namespace velnor7

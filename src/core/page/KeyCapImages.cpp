#include "core/page/KeyCapImages.h"

#include "ui/ResourceManager.h"

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

const QPixmap& KeyCapImages::Mask(const QPixmap& light, const Key& key) {
    const Key maskKey{0, key.light, key.corners, key.size, 0, 0, 0};
    auto found = masks_.find(maskKey);
    if (found == masks_.end()) found = masks_.insert(maskKey, QPixmap::fromImage(NineSliced(light, key.corners, key.size, QColor())));
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
    lastLit_ = Base(capSource, key).copy();
    QPainter painter(&lastLit_);
    painter.drawPixmap(0, 0, ui::CResourceManager::Tinted(Mask(lightSource, key), colour, alpha));
    painter.end();
    lights_.insert(key, lastLit_);
    return lastLit_;
}

}  // namespace velnor7

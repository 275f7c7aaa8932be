#include "core/page/KeyCapImages.h"

#include "ui/ResourceManager.h"

#include <QPainter>
#include <qdrawutil.h>

namespace velnor7 {

size_t qHash(const KeyCapImages::Key& key, size_t seed) {
    return qHashMulti(seed, key.source, key.light, key.corners.left(), key.corners.top(), key.corners.right(), key.corners.bottom(),
                      key.size.width(), key.size.height(), key.colour, key.alpha);
}

KeyCapImages& KeyCapImages::Instance() {
    static KeyCapImages images;
    return images;
}

QPixmap KeyCapImages::Sized(const QPixmap& source, const Key& key) {
    if (auto found = caps_.constFind(key); found != caps_.cend()) return *found;
    QPixmap sized(key.size);
    sized.fill(Qt::transparent);
    {
        QPainter painter(&sized);
        qDrawBorderPixmap(&painter, sized.rect(), key.corners, source);
    }
    caps_.insert(key, sized);
    return sized;
}

QPixmap KeyCapImages::Cap(const QString& image, const QMargins& corners, const QSize& size) {
    const QPixmap source = ui::CResourceManager::Instance().GetImage(image);
    if (source.isNull() || size.isEmpty()) return {};
    return Sized(source, Key{source.cacheKey(), 0, corners, size, 0, -1});
}

QPixmap KeyCapImages::LitCap(const QString& cap, const QMargins& corners, const QString& light, const QSize& size,
                             const QColor& colour, int alpha) {
    ui::CResourceManager& resources = ui::CResourceManager::Instance();
    const QPixmap capSource = resources.GetImage(cap);
    const QPixmap lightSource = resources.GetImage(light);
    if (lightSource.isNull() || alpha <= 0) return Cap(cap, corners, size);
    if (size.isEmpty()) return {};
    const Key key{capSource.cacheKey(), lightSource.cacheKey(), corners, size, colour.rgb(), alpha};
    if (auto found = lights_.constFind(key); found != lights_.cend()) return *found;
    // An effect that ran through more colours than the cache keeps starts it over.
    if (lights_.size() >= kMaxLights) lights_.clear();
    QPixmap lit(size);
    lit.fill(Qt::transparent);
    {
        QPainter painter(&lit);
        if (!capSource.isNull()) painter.drawPixmap(0, 0, Sized(capSource, Key{capSource.cacheKey(), 0, corners, size, 0, -1}));
        const QPixmap mask = Sized(lightSource, Key{lightSource.cacheKey(), 0, corners, size, 0, -1});
        painter.drawPixmap(0, 0, ui::CResourceManager::Tinted(mask, colour, alpha));
    }
    lights_.insert(key, lit);
    return lit;
}

}  // namespace velnor7

#pragma once
// The images of the on-screen keys at the size they are shown: caps drawn from their
// nine-slice images once per size, and lights tinted once per size, colour and alpha. A
// full-keyboard effect repaints every key many times a second with the same few hundred
// colours, so a repaint is a copy of finished pixels instead of a stretch and a tint.
// The UI thread's only.

#include <QColor>
#include <QHash>
#include <QMargins>
#include <QPixmap>
#include <QSize>
#include <QString>

namespace velnor7 {

class KeyCapImages {
public:
    static KeyCapImages& Instance();

    // The skin's `image` drawn at `size` with its corners (`corners` wide) kept.
    QPixmap Cap(const QString& image, const QMargins& corners, const QSize& size);
    // The cap with the white light mask `light` over it, the mask's every pixel in `colour`
    // at `alpha`; both at `size` with the cap's corners kept. The cap alone where there is
    // no such mask.
    QPixmap LitCap(const QString& cap, const QMargins& corners, const QString& light, const QSize& size,
                   const QColor& colour, int alpha);
    int CachedLights() const { return static_cast<int>(lights_.size()); }

    struct Key {
        qint64 source = 0;  // the skin image as loaded: a reloaded skin gives new keys
        qint64 light = 0;
        QMargins corners;
        QSize size;
        QRgb colour = 0;
        int alpha = -1;  // -1: the image itself, untinted
        bool operator==(const Key&) const = default;
    };

private:
    static constexpr int kMaxLights = 4096;  // a few MB: every colour an effect cycles through

    QPixmap Sized(const QPixmap& source, const Key& key);

    QHash<Key, QPixmap> caps_;
    QHash<Key, QPixmap> lights_;
};

size_t qHash(const KeyCapImages::Key& key, size_t seed = 0);

}  // namespace velnor7

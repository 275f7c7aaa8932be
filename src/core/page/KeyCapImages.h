#pragma once
// The images of the on-screen keys at the size they are shown: caps drawn from their
// nine-slice images once per size, and lit caps made once per size, colour and alpha. A
// full-keyboard effect repaints every key many times a second with the same few hundred
// colours, so a repaint is a copy of finished pixels instead of a stretch and a tint.
// The UI thread's only.

#include <QColor>
#include <QHash>
#include <QImage>
#include <QMargins>
#include <QPixmap>
#include <QSize>
#include <QString>

namespace velnor7 {

class KeyCapImages {
public:
    static KeyCapImages& Instance();

    // `cap` (a skin image) at `size` with its corners (`corners` wide) kept, over `backdrop`
    // (what the key is shown on; invalid or translucent: nothing), with the white light mask
    // `light` over it in `colour` at `alpha` (0: no light). Over an opaque backdrop the
    // result is opaque, and drawing it is a plain copy instead of a blend.
    QImage LitCap(const QPixmap& cap, const QMargins& corners, const QPixmap& light, const QSize& size,
                  const QColor& colour, int alpha, const QColor& backdrop = {});

    struct Key {
        qint64 source = 0;  // the skin image as loaded: a reloaded skin gives new keys
        qint64 light = 0;
        QMargins corners;
        QSize size;
        QRgb colour = 0;
        int alpha = 0;
        QRgb backdrop = 0;  // 0: none
        bool operator==(const Key&) const = default;
    };

private:
    static constexpr int kMaxLights = 4096;  // a few MB: every colour an effect cycles through

    // The cap over the backdrop at the key's size, without light.
    const QImage& Base(const QPixmap& cap, const Key& key);
    // The white light mask at the key's size.
    const QPixmap& Mask(const QPixmap& light, const Key& key);

    QHash<Key, QImage> bases_;
    QHash<Key, QPixmap> masks_;
    QHash<Key, QImage> lights_;
    // Neighbouring keys often show the same light: the last answer is kept at hand.
    Key lastKey_;
    QImage lastLit_;
};

size_t qHash(const KeyCapImages::Key& key, size_t seed = 0);

}  // namespace velnor7

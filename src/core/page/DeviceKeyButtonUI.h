#pragma once
// A key or light of the on-screen device: a button that shows the light it stands for (its
// light image tinted with the light's colour and alpha), and a mark when the key does
// something other than its own name says. A rubber band or a click selects it. It draws
// itself whole: the corners of cap and light stay crisp on long keys, the label stays uncut
// and turns dark over a bright light, and a repaint costs no style-sheet pass.

#include "ui/Attributes.h"
#include "ui/ButtonUI.h"

#include <QColor>
#include <QFont>
#include <QPixmap>

#include <array>
#include <utility>

namespace velnor7 {

class CDeviceKeyButtonUI : public ui::CButtonUI {
public:
    CDeviceKeyButtonUI();
    QString GetClass() const override;
    bool SetAttribute(const QString& name, const QString& value) override;

    // The light shown over the button; `alpha` 0..255. It shows at the next repaint (the
    // page's preview repaints its keys together); true when it changed.
    bool SetLight(const QColor& colour, int alpha);
    // Whether the light changed since the last call; the preview repaints only such buttons.
    bool TakeLightChanged() { return std::exchange(lightChanged_, false); }
    QColor GetLightColour() const { return lightColour_; }
    int GetLightAlpha() const { return lightAlpha_; }
    void SetLit(bool lit);
    bool IsLit() const { return lit_; }
    // The mark of a reassigned key; hidden while the key does what its name says.
    void SetKeySetImageHidden(bool hidden);
    bool IsKeySetImageHidden() const { return keySetHidden_; }
    void SetSelected(bool selected);
    bool IsSelected() const { return selected_; }

    // The whole key at the painter's origin: cap and light, label, key-set mark, selection.
    void PaintKey(QPainter& painter);
    // Keys of a select panel are painted by the panel, all in one pass, over its `backdrop`
    // (invalid: a backdrop that is not one opaque colour).
    void SetPaintedByPanel(bool painted, const QColor& backdrop = {}) {
        paintedByPanel_ = painted;
        backdrop_ = backdrop;
    }
    bool PaintedByPanel() const { return paintedByPanel_; }

    // The keycap and its light under the label; the key-set mark and the selection over it.
    void PaintUnderlay(QPainter& painter) override;
    void PaintLabel(QPainter& painter);
    void PaintOverlay(QPainter& painter) override;
    // The label's colour over the current light: the text colour, or a dark one where the
    // light would wash it out; the text colour alone without `overLight`.
    QColor LabelColour(bool overLight = true) const;

private:
    enum class CapState { Normal, Hot, Pushed };
    static constexpr int kLabelFlags = Qt::AlignCenter | Qt::TextWordWrap;
    const ui::ImageRef& CapRef(CapState state) const;

    ui::ImageRef capNormal_;
    ui::ImageRef capHot_;
    ui::ImageRef capPushed_;
    QColor lightColour_{Qt::white};
    int lightAlpha_ = 255;
    bool lightChanged_ = false;
    bool lit_ = true;
    bool keySetHidden_ = true;
    bool selected_ = false;
    bool paintedByPanel_ = false;
    QColor backdrop_;
    QString lightImage_;
    // The skin images, by cap state, and the light mask.
    std::array<QPixmap, 3> capImages_;
    QPixmap lightPixmap_;
    bool imagesLoaded_ = false;
    // The label drawn for its text, font and size: in the text colour and in the dark one.
    std::array<QPixmap, 2> labelImages_;
    QRect labelRect_;
    QString labelShown_;
    QString labelText_;
    QFont labelFont_;
    QSize labelSize_;
    QString keySetImage_;
    QString selectedImage_;
};

}  // namespace velnor7

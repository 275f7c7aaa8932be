#pragma once
// A key or light of the on-screen device: a button that shows the light it stands for (its
// light image tinted with the light's colour and alpha), and a mark when the key does
// something other than its own name says. A rubber band or a click selects it. It draws its
// keycap itself, so that the corners stay crisp on long keys and the label stays uncut.

#include "ui/Attributes.h"
#include "ui/ButtonUI.h"

#include <QColor>

namespace velnor7 {

class CDeviceKeyButtonUI : public ui::CButtonUI {
public:
    CDeviceKeyButtonUI();
    QString GetClass() const override;
    bool SetAttribute(const QString& name, const QString& value) override;

    // The light shown over the button; `alpha` 0..255. It shows at the next repaint (the
    // page's preview repaints its keys together); true when it changed.
    bool SetLight(const QColor& colour, int alpha);
    QColor GetLightColour() const { return lightColour_; }
    int GetLightAlpha() const { return lightAlpha_; }
    void SetLit(bool lit);
    bool IsLit() const { return lit_; }
    // The mark of a reassigned key; hidden while the key does what its name says.
    void SetKeySetImageHidden(bool hidden);
    bool IsKeySetImageHidden() const { return keySetHidden_; }
    void SetSelected(bool selected);
    bool IsSelected() const { return selected_; }

    // The keycap and its light under the label; the key-set mark and the selection over it.
    void PaintUnderlay(QPainter& painter) override;
    void PaintOverlay(QPainter& painter) override;

private:
    void DrawImage(QPainter& painter, const ui::ImageRef& image);
    ui::ImageRef capNormal_;
    ui::ImageRef capHot_;
    ui::ImageRef capPushed_;
    QColor lightColour_{Qt::white};
    int lightAlpha_ = 255;
    bool lit_ = true;
    bool keySetHidden_ = true;
    bool selected_ = false;
    QString lightImage_;
    QString keySetImage_;
    QString selectedImage_;
};

}  // namespace velnor7

#pragma once
// One step of a macro in an editable list: the key's name ("text1"), down or up ("text2")
// and the delay after it in milliseconds ("delay_edit"), built from
// XML/CustomControlXML/ComboEditElementItem.xml when the row joins a window.
//
// A press selects the row (Ctrl toggles it in a list that selects several); a release on it
// tells "itemclick", Enter while it has the focus "return" (Enter in the delay field is the
// field's own "return"), its context menu "menu" (lParam: the screen point, y << 16 | x) and
// its timers "timer". The mouse over it lights it up. The list's row images
// ("normalimage", "hotimage", "selectedimage") are accepted and not drawn.

#include "ui/ListUI.h"

namespace velnor7 {

namespace ui {
class CEditUI;
class CLabelUI;
}  // namespace ui

class CComboEditContainerElementUI : public ui::CListContainerElementUI {
public:
    static constexpr const char* kContentLayout = "XML/CustomControlXML/ComboEditElementItem.xml";

    CComboEditContainerElementUI();
    QString GetClass() const override;

    // The row's parts; null until the row has joined a window (or when the layout lacks them).
    ui::CLabelUI* GetKeyNameLabel() const { return keyNameLabel_; }
    ui::CLabelUI* GetDirectionLabel() const { return directionLabel_; }
    ui::CEditUI* GetDelayEdit() const { return delayEdit_; }

    void DoInit() override;
    bool OnWidgetEvent(QEvent* event) override;
    void PaintOverlay(QPainter& painter) override;

private:
    // A press: selects the row, or with Ctrl in a list of several toggles it.
    void SelectByPress(bool toggle);

    bool contentBuilt_ = false;
    bool hovered_ = false;
    ui::CLabelUI* keyNameLabel_ = nullptr;
    ui::CLabelUI* directionLabel_ = nullptr;
    ui::CEditUI* delayEdit_ = nullptr;
};

}  // namespace velnor7

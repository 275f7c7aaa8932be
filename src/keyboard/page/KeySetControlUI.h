#pragma once
// The key assignment panel: the function of the key picked on the on-screen keyboard, shown by
// category and changed through the category's controls. It holds the selected key's current
// and default assignment; the page stores what it encodes.

#include "core/KeyCode.h"
#include "keyboard/KeyAssignmentCodec.h"
#include "ui/ContainerUI.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>

namespace velnor7 {

class CKeySetControlUI : public ui::CHorizontalLayoutUI {
public:
    // What the page does after a notification of the panel.
    enum class Reaction { None, Store, ArmCapture, DisarmCapture };

    QString GetClass() const override;

    // Set up for a device kind: the keyboard offers no DPI and no gun-key functions.
    void Bind(bool keyboard);
    // The macro combo's items, in list order; none is selected.
    void FillMacros(const QStringList& names);
    // Shows the key `name` with its assignments (the panel becomes visible).
    void ShowKey(const QString& name, const KeyAssignment& current, const KeyAssignment& defaults);
    // No key is selected: the panel hides.
    void HideKey();
    bool KeyShown() const;
    // The assignment the panel's controls stand for; it becomes the panel's current one.
    KeyAssignment Encode();
    const KeyAssignment& Current() const { return current_; }
    // A notification of one of the panel's controls; None for others.
    Reaction OnNotify(const ui::TNotifyUI& msg);
    // A key pressed while the capture is armed; true when the panel took it (then store).
    bool TakeCapturedKey(uint8_t scanCode, bool extended);
    // Save, cancel and send: enabled while the key list has changes not sent.
    void SetUnsent(bool unsent);

private:
    void Show(const KeyAssignment& assignment);
    std::optional<FunctionCategory> ShownCategory();
    PanelValues ReadValues();
    void SelectCategory(FunctionCategory category);
    void SelectModifier(int choice);
    int SelectedModifier();
    void ShowCycleField();

    KeyAssignment stored_{};   // what the key list holds for the key
    KeyAssignment current_{};  // what the controls show
    KeyAssignment defaults_{};
    int macroCount_ = 0;
    uint8_t capturedUsage_ = 0;  // the key field's key, as a HID usage; 0: empty
};

}  // namespace velnor7

#include "keyboard/page/KeySetControlUI.h"

#include "keyboard/KeyCodeTable.h"
#include "ui/ButtonUI.h"
#include "ui/ComboUI.h"
#include "ui/EditUI.h"
#include "ui/ResourceManager.h"
#include "ui/ContainerUI.h"

#include <array>

namespace velnor7 {

namespace {

constexpr int kModifierChoices = 5;
constexpr int kRepeatRunMode = 4;  // the run mode that repeats a number of times

// The combos whose choice alone makes the assignment.
constexpr std::array<const char*, 9> kChoiceCombos{
    "keyset_mousekey_combo", "keyset_mouseswing_combo", "keyset_mousewheel_combo",
    "keyset_mousedpi_combo", "keyset_media_combo",      "keyset_system_combo",
    "keyset_macro_combo",    "keyset_gunkey_combo",     "keyset_combokey_combo"};
// The number fields: what they hold is stored when the user leaves them.
constexpr std::array<const char*, 9> kNumberEdits{
    "keyset_mouseswing_num_edit", "keyset_mouseswing_delay_edit", "keyset_mouseswing_speed_edit",
    "keyset_mousewheel_num_edit", "keyset_mousewheel_delay_edit", "keyset_mousewheel_speed_edit",
    "keyset_mousefire_interval_edit", "keyset_mousefire_num_edit", "keyset_macro_cycle_edit"};

QString ModifierOption(int choice) { return "key_ComBox_check_" + QString::number(choice); }

template <class Names>
bool Among(const QString& name, const Names& names) {
    for (const char* candidate : names) {
        if (name == QLatin1String(candidate)) return true;
    }
    return false;
}

QString Text(std::string_view id) {
    return ui::CResourceManager::Instance().TextOrSelf(QString::fromUtf8(id.data(), static_cast<int>(id.size())));
}

}  // namespace

QString CKeySetControlUI::GetClass() const { return "KeySetControl"; }

void CKeySetControlUI::Bind(bool keyboard) {
    if (auto* categories = dynamic_cast<ui::CComboUI*>(FindSubControl("keyset_function_combo"))) {
        for (int item = 0; item < categories->GetCount(); ++item) {
            const int category = categories->GetItemAt(item)->GetUserData().toInt();
            const bool mouseOnly = category == static_cast<int>(FunctionCategory::Dpi) ||
                                   category == static_cast<int>(FunctionCategory::GunKey);
            categories->SetItemVisible(item, !(keyboard && mouseOnly));
        }
    }
    HideKey();
}

void CKeySetControlUI::FillMacros(const QStringList& names) {
    auto* macros = dynamic_cast<ui::CComboUI*>(FindSubControl("keyset_macro_combo"));
    if (macros == nullptr) return;
    macros->RemoveAll();
    for (const QString& name : names) macros->AddTextItem(name);
    macros->SelectItem(-1, false);
    macroCount_ = static_cast<int>(names.size());
}

void CKeySetControlUI::ShowKey(const QString& name, const KeyAssignment& current, const KeyAssignment& defaults) {
    stored_ = current;
    defaults_ = defaults;
    if (CControlUI* label = FindSubControl("keyset_key_name")) label->SetText(name);
    Show(current);
}

void CKeySetControlUI::HideKey() {
    if (CControlUI* layout = FindSubControl("keyset_layout")) layout->SetVisible(false);
    if (CControlUI* hint = FindSubControl("keyset_hint")) hint->SetVisible(true);
}

bool CKeySetControlUI::KeyShown() const {
    const CControlUI* layout = const_cast<CKeySetControlUI*>(this)->FindSubControl("keyset_layout");
    return layout != nullptr && layout->IsVisible();
}

void CKeySetControlUI::Show(const KeyAssignment& assignment) {
    const DecodedAssignment decoded = Decode(assignment, defaults_, macroCount_);
    if (!decoded.category) {
        HideKey();
        return;
    }
    if (CControlUI* layout = FindSubControl("keyset_layout")) layout->SetVisible(true);
    if (CControlUI* hint = FindSubControl("keyset_hint")) hint->SetVisible(false);
    current_ = decoded.assignment;
    SelectCategory(*decoded.category);
    const PanelValues& values = decoded.values;
    const auto select = [this](const char* combo, int item) {
        if (auto* control = dynamic_cast<ui::CComboUI*>(FindSubControl(combo))) control->SelectItem(item, false);
    };
    const auto number = [this](const char* edit, int value) {
        if (CControlUI* control = FindSubControl(edit)) control->SetText(QString::number(value));
    };
    switch (*decoded.category) {
    case FunctionCategory::MouseButton: select("keyset_mousekey_combo", values.selectedRow); break;
    case FunctionCategory::Dpi: select("keyset_mousedpi_combo", values.selectedRow); break;
    case FunctionCategory::Media: select("keyset_media_combo", values.selectedRow); break;
    case FunctionCategory::System: select("keyset_system_combo", values.selectedRow); break;
    case FunctionCategory::ComboKey: select("keyset_combokey_combo", values.selectedRow); break;
    case FunctionCategory::GunKey: select("keyset_gunkey_combo", values.gunKeyNumber); break;
    case FunctionCategory::MouseSwing:
    case FunctionCategory::MouseWheel: {
        const bool swing = *decoded.category == FunctionCategory::MouseSwing;
        select(swing ? "keyset_mouseswing_combo" : "keyset_mousewheel_combo", values.direction);
        number(swing ? "keyset_mouseswing_num_edit" : "keyset_mousewheel_num_edit", values.count);
        number(swing ? "keyset_mouseswing_delay_edit" : "keyset_mousewheel_delay_edit", values.delay);
        number(swing ? "keyset_mouseswing_speed_edit" : "keyset_mousewheel_speed_edit", values.speed);
        break;
    }
    case FunctionCategory::Fire:
        number("keyset_mousefire_interval_edit", values.interval);
        number("keyset_mousefire_num_edit", values.count);
        break;
    case FunctionCategory::KeyboardKey:
        capturedUsage_ = values.keyUsage;
        if (CControlUI* key = FindSubControl("keyset_keyboard_text_edit")) key->SetText(Text(decoded.keyName));
        SelectModifier(values.modifierChoice);
        break;
    case FunctionCategory::Macro:
        select("keyset_macro_combo", values.macroNumber);
        select("keyset_macro_over_combo", values.runMode);
        number("keyset_macro_cycle_edit", values.repeatCount);
        ShowCycleField();
        break;
    case FunctionCategory::Default:
        break;
    }
}

void CKeySetControlUI::SelectCategory(FunctionCategory category) {
    if (auto* categories = dynamic_cast<ui::CComboUI*>(FindSubControl("keyset_function_combo"))) {
        for (int item = 0; item < categories->GetCount(); ++item) {
            if (categories->GetItemAt(item)->GetUserData().toInt() == static_cast<int>(category)) {
                categories->SelectItem(item, false);
            }
        }
    }
    if (auto* tabs = dynamic_cast<ui::CTabLayoutUI*>(FindSubControl("function_switch_tablayout"))) {
        tabs->SelectItem(static_cast<int>(category));
    }
}

std::optional<FunctionCategory> CKeySetControlUI::ShownCategory() {
    auto* categories = dynamic_cast<ui::CComboUI*>(FindSubControl("keyset_function_combo"));
    if (categories == nullptr || categories->GetCurSel() < 0) return std::nullopt;
    return static_cast<FunctionCategory>(categories->GetItemAt(categories->GetCurSel())->GetUserData().toInt());
}

void CKeySetControlUI::SelectModifier(int choice) {
    for (int option = 0; option < kModifierChoices; ++option) {
        if (auto* control = dynamic_cast<ui::COptionUI*>(FindSubControl(ModifierOption(option)))) {
            control->Selected(option == choice, false);
        }
    }
}

int CKeySetControlUI::SelectedModifier() {
    for (int option = 0; option < kModifierChoices; ++option) {
        auto* control = dynamic_cast<ui::COptionUI*>(FindSubControl(ModifierOption(option)));
        if (control != nullptr && control->IsSelected()) return option;
    }
    return kNoSelection;
}

void CKeySetControlUI::ShowCycleField() {
    auto* runMode = dynamic_cast<ui::CComboUI*>(FindSubControl("keyset_macro_over_combo"));
    if (CControlUI* cycle = FindSubControl("keyset_macro_cycle_layout")) {
        cycle->SetVisible(runMode != nullptr && runMode->GetCurSel() == kRepeatRunMode);
    }
}

PanelValues CKeySetControlUI::ReadValues() {
    const std::optional<FunctionCategory> category = ShownCategory();
    const auto item = [this](const char* combo) {
        auto* control = dynamic_cast<ui::CComboUI*>(FindSubControl(combo));
        return control != nullptr ? control->GetCurSel() : kNoSelection;
    };
    const auto number = [this](const char* edit) {
        CControlUI* control = FindSubControl(edit);
        return control != nullptr ? control->GetText().toInt() : 0;
    };
    PanelValues values;
    const bool swing = category == FunctionCategory::MouseSwing;
    switch (category.value_or(FunctionCategory::Default)) {
    case FunctionCategory::MouseButton: values.selectedRow = item("keyset_mousekey_combo"); break;
    case FunctionCategory::Dpi: values.selectedRow = item("keyset_mousedpi_combo"); break;
    case FunctionCategory::Media: values.selectedRow = item("keyset_media_combo"); break;
    case FunctionCategory::System: values.selectedRow = item("keyset_system_combo"); break;
    case FunctionCategory::ComboKey: values.selectedRow = item("keyset_combokey_combo"); break;
    case FunctionCategory::MouseSwing:
    case FunctionCategory::MouseWheel:
        values.direction = item(swing ? "keyset_mouseswing_combo" : "keyset_mousewheel_combo");
        values.count = number(swing ? "keyset_mouseswing_num_edit" : "keyset_mousewheel_num_edit");
        values.delay = number(swing ? "keyset_mouseswing_delay_edit" : "keyset_mousewheel_delay_edit");
        values.speed = number(swing ? "keyset_mouseswing_speed_edit" : "keyset_mousewheel_speed_edit");
        break;
    case FunctionCategory::Fire:
        values.interval = number("keyset_mousefire_interval_edit");
        values.count = number("keyset_mousefire_num_edit");
        break;
    case FunctionCategory::KeyboardKey:
        values.modifierChoice = SelectedModifier();
        values.keyUsage = capturedUsage_;
        break;
    case FunctionCategory::Macro:
        values.macroCount = macroCount_;
        values.macroNumber = item("keyset_macro_combo");
        values.runMode = item("keyset_macro_over_combo");
        values.repeatCount = number("keyset_macro_cycle_edit");
        break;
    case FunctionCategory::GunKey: values.gunKeyNumber = item("keyset_gunkey_combo"); break;
    case FunctionCategory::Default: break;
    }
    return values;
}

KeyAssignment CKeySetControlUI::Encode() {
    const std::optional<FunctionCategory> category = ShownCategory();
    if (!category) return current_;
    current_ = velnor7::Encode(*category, ReadValues(), current_, defaults_);
    stored_ = current_;
    return current_;
}

CKeySetControlUI::Reaction CKeySetControlUI::OnNotify(const ui::TNotifyUI& msg) {
    if (msg.pSender == nullptr || FindSubControl(msg.pSender->GetName()) != msg.pSender) return Reaction::None;
    const QString name = msg.pSender->GetName();
    if (msg.sType == "itemselect") {
        if (name == "keyset_function_combo") {
            const std::optional<FunctionCategory> category = ShownCategory();
            if (!category) return Reaction::None;
            SelectCategory(*category);
            if (*category == FunctionCategory::KeyboardKey) {
                capturedUsage_ = 0;
                if (CControlUI* key = FindSubControl("keyset_keyboard_text_edit")) key->SetText(QString());
                SelectModifier(kNoSelection);
            }
            return Reaction::Store;
        }
        if (name == "keyset_macro_over_combo") {
            ShowCycleField();
            // Repeating a macro no times would be no choice at all.
            CControlUI* cycle = FindSubControl("keyset_macro_cycle_edit");
            if (cycle != nullptr && cycle->GetText().toInt() < 1) cycle->SetText("1");
            return Reaction::Store;
        }
        return Among(name, kChoiceCombos) ? Reaction::Store : Reaction::None;
    }
    if (msg.sType == "selectchanged" && name.startsWith("key_ComBox_check_")) {
        auto* option = dynamic_cast<ui::COptionUI*>(msg.pSender);
        return option != nullptr && option->IsSelected() ? Reaction::Store : Reaction::None;
    }
    if (name == "keyset_keyboard_text_edit") {
        if (msg.sType == "setfocus" || msg.sType == "textchanged") return Reaction::ArmCapture;
        if (msg.sType == "killfocus") return Reaction::DisarmCapture;
        return Reaction::None;
    }
    if (msg.sType == "killfocus" && Among(name, kNumberEdits)) return Reaction::Store;
    if (msg.sType != "click") return Reaction::None;
    if (name == "key_butt_keysave") return Reaction::Store;
    if (name == "key_butt_keydefalut") {
        Show(defaults_);
        SetUnsent(true);
    } else if (name == "key_butt_keycancel") {
        Show(stored_);
        SetUnsent(false);
    }
    return Reaction::None;
}

bool CKeySetControlUI::TakeCapturedKey(uint8_t scanCode, bool extended) {
    if (ShownCategory() != FunctionCategory::KeyboardKey) return false;
    const std::optional<size_t> row = RowForCapturedKey(scanCode, extended);
    if (!row || KeyCodeTable[*row].code.type != 0x20) return false;
    CControlUI* key = FindSubControl("keyset_keyboard_text_edit");
    if (*row < kModifierRowCount) {
        SelectModifier(ModifierChoiceForRow(*row));
        capturedUsage_ = 0;
        if (key != nullptr) key->SetText(QString());
    } else {
        if (SelectedModifier() == kNoSelection) SelectModifier(kModifierNone);
        capturedUsage_ = KeyCodeTable[*row].code.p2;
        if (key != nullptr) key->SetText(Text(KeyCodeTable[*row].nameId));
    }
    return true;
}

void CKeySetControlUI::SetUnsent(bool unsent) {
    for (const char* name : {"key_butt_keysave", "key_butt_keycancel", "key_butt_prosave"}) {
        if (CControlUI* button = FindSubControl(name)) button->SetEnabled(unsent);
    }
}

}  // namespace velnor7

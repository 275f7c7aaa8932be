#include "keyboard/KeyLabels.h"

#include "keyboard/CategoryTables.h"
#include "keyboard/KeyCodeTable.h"

#include <array>

namespace velnor7 {

namespace {

KeyLabel Id(std::string_view id) { return KeyLabel{{{std::string(id), true}}}; }

constexpr std::string_view kClosed = "close_text";

std::optional<KeyLabel> KeyboardKeyLabel(const KeyCode& code) {
    for (const KeyCodeRow& row : KeyCodeTable) {
        if (row.code.p1 == code.p1 && row.code.p2 == code.p2) return Id(row.nameId);
    }
    if (code.p1 == 0 && code.p2 == 0) return Id(kClosed);
    // Several modifiers together are named one by one, as "Left Ctrl+Left Shift+A".
    KeyLabel label;
    for (const KeyCodeRow& row : KeyCodeTable) {
        if (row.code.type == code.type && row.code.p2 == 0 && (row.code.p1 & code.p1) != 0) {
            label.parts.push_back({std::string(row.nameId), true});
        }
    }
    for (const KeyCodeRow& row : KeyCodeTable) {
        if (row.code.type == code.type && code.p2 != 0 && row.code.p2 == code.p2 && row.code.p1 == 0) {
            label.parts.push_back({std::string(row.nameId), true});
        }
    }
    return label;
}

std::optional<KeyLabel> TableLabel(std::span<const KeyCode> table, std::span<const std::string_view> names,
                                   const KeyCode& code) {
    for (size_t row = 0; row < table.size() && row < names.size(); ++row) {
        if (table[row].p1 == code.p1 && table[row].p2 == code.p2) return Id(names[row]);
    }
    return std::nullopt;
}

constexpr std::array<std::string_view, 18> kMediaNames{
    "media_text", "media_play", "media_stop", "media_prev", "media_next", "media_vol_sub",
    "media_vol_add", "media_mute", "web_text", "web_refresh", "wed_stop", "wed_back",
    "wed_forward", "wed_favorite", "web_search", "media_mypc", "media_calc", "media_mail"};
constexpr std::array<std::string_view, 9> kShortcutNames{"custem_cut", "custem_copy", "custem_paste",
                                                        "custem_undo", "custem_select_all", "custem_find",
                                                        "custem_new", "custem_save", "custem_open"};

}  // namespace

std::optional<KeyLabel> LabelOfAssignment(const KeyCode& code, const std::vector<std::string>& macroNames) {
    switch (code.type) {
    case 0x00:
    case 0x20:
        return KeyboardKeyLabel(code);
    case 0x10:
        switch (code.p1) {
        case 0x01: return Id("mouse_key_left");
        case 0x02: return Id("mouse_key_right");
        case 0x04: return Id("mouse_key_middle");
        case 0x08: return Id("mouse_key_back");
        case 0x10: return Id("mouse_key_forward");
        default: return std::nullopt;
        }
    case 0x11:
        return Id((code.p2 & 0x80) != 0 ? "mouse_key_right_Swing" : "mouse_key_left_Swing");
    case 0x12:
        return Id((code.p2 & 0x80) != 0 ? "mouse_key_down_Swing" : "mouse_key_up_Swing");
    case 0x13:
        switch (code.p1) {
        case 1: return Id("mouse_key_DPI_add");
        case 2: return Id("mouse_key_DPI_sub");
        case 3: return Id("mouse_key_DPI_loop");
        default: return std::nullopt;
        }
    case 0x14:
        return Id("mouse_key_fire_key");
    case 0x16:
        return Id("mouse_key_DPI_shift");
    case 0x22:
        if (code.p1 == 0 && code.p2 < kShortcutNames.size()) return Id(kShortcutNames[code.p2]);
        return std::nullopt;
    case 0x23:
        if (code.p1 == 0 && code.p2 == 0) return Id("show_window");
        return std::nullopt;
    case 0x30:
        return TableLabel(MediaKeyTable, kMediaNames, code);
    case 0x40:
        switch (code.p1) {
        case 0x01: return Id("system_power");
        case 0x02: return Id("system_sleep");
        case 0x04: return Id("system_wake_up");
        default: return std::nullopt;
        }
    case 0x70:
    case 0x71:
        if (code.p1 >= macroNames.size()) return std::nullopt;
        return KeyLabel{{{macroNames[code.p1], false}}};
    case 0xA0:
    case 0xD0:
        if (code.type == 0xA0 && code.p1 == 0x02) return Id("mouse_key_smart_key");
        if (code.type == 0xA0 && code.p1 == 0x00) return Id(kClosed);
        for (const KeyCodeRow& row : KeyCodeTable) {
            if (row.code == code) return Id(row.nameId);
        }
        return std::nullopt;
    case 0x15:
    case 0x21:
    case 0x50:
    case 0x60:
    case 0xB0:
    case 0xC0:
        return std::nullopt;
    default:
        return KeyLabel{{{"关闭", false}}};
    }
}

}  // namespace velnor7

#include "cli/KeyboardCommands.h"

#include "cli/Commands.h"
#include "common/Paths.h"
#include "keyboard/DefaultKeyTable.h"
#include "keyboard/KeyboardConfigurator.h"
#include "macros/MacroLibrary.h"
#include "profiles/ProfileList.h"

#include <json/json.h>

#include <cctype>
#include <charconv>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>

namespace velnor7 {

namespace {

constexpr int kBadArguments = 2;
constexpr int kDeviceFailed = 1;

// The keyboard on the bus with its current profile, as the desktop program has them.
class KeyboardSession {
public:
    bool Open(std::ostream& err) {
        const std::optional<std::string> path = FindKeyboardCommandPath();
        if (!path) {
            err << "velnor7ctl: no keyboard found\n";
            return false;
        }
        {
            std::lock_guard lock(channel_.TransportLock());
            if (channel_.Transport().Open(*path, true, true, true, false) != 1) {
                err << "velnor7ctl: " << *path << ": cannot open the keyboard (permission? see README)\n";
                return false;
            }
            channel_.SetOpen(true);
        }
        const std::string folder = UserDataDirectory("keyboard");
        const std::string defaults = DefaultDataDirectory() + "keyboard.Json";
        profile_.SetDefaultPath(defaults);
        if (!profile_.SetProfileFile(folder, CProfileList(folder, defaults).CurrentUuid())) {
            err << "velnor7ctl: the keyboard's profile list names no usable profile\n";
            return false;
        }
        profile_.Load(profile_.GetPath());
        configurator_ = std::make_unique<CKeyboardConfigurator>(channel_, profile_, folder);
        return true;
    }
    ~KeyboardSession() { channel_.Transport().Close(); }

    CKeyboardConfigurator& Configurator() { return *configurator_; }
    CKeyboardProfiledata& Profile() { return profile_; }

private:
    CDeviceCommandChannel channel_;
    CKeyboardProfiledata profile_;
    std::unique_ptr<CKeyboardConfigurator> configurator_;
};

std::string Hex6(uint8_t a, uint8_t b, uint8_t c) {
    char text[8];
    std::snprintf(text, sizeof(text), "%02x%02x%02x", a, b, c);
    return text;
}

std::optional<std::array<uint8_t, 3>> ParseHex6(const std::string& text) {
    if (text.size() != 6) return std::nullopt;
    std::array<uint8_t, 3> bytes{};
    for (size_t i = 0; i < 3; ++i) {
        const char* first = text.data() + 2 * i;
        if (std::from_chars(first, first + 2, bytes[i], 16).ptr != first + 2) return std::nullopt;
    }
    return bytes;
}

std::optional<int> ParseNumber(const std::string& text, int low, int high) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

// The key's name without "keyboard_key_"; empty for a key without one.
std::string ShortKeyName(int key) {
    const std::string_view id = KeyName(key);
    constexpr std::string_view prefix = "keyboard_key_";
    return std::string(id.substr(0, prefix.size()) == prefix ? id.substr(prefix.size()) : id);
}

std::optional<int> KeyByName(const std::string& name) {
    for (int key = 0; key < kKeyCount; ++key) {
        const std::string own = ShortKeyName(key);
        if (own.size() != name.size() || own.empty()) continue;
        bool same = true;
        for (size_t i = 0; i < own.size() && same; ++i) {
            same = std::tolower(static_cast<unsigned char>(own[i])) == std::tolower(static_cast<unsigned char>(name[i]));
        }
        if (same) return key;
    }
    return std::nullopt;
}

void PrintJson(std::ostream& out, const Json::Value& value) {
    Json::StreamWriterBuilder writer;
    writer["indentation"] = "  ";
    out << Json::writeString(writer, value) << "\n";
}

int LightSet(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    static const std::map<std::string, std::pair<int, int>> kRanges{
        {"--mode", {0, 255}}, {"--brightness", {0, 5}}, {"--speed", {0, 4}}, {"--direction", {0, 1}}};
    std::map<std::string, int> numbers;
    std::optional<std::array<uint8_t, 3>> colour;
    bool multicolour = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (word == "--multicolour") {
            multicolour = true;
            continue;
        }
        if (i + 1 >= args.size()) {
            err << "velnor7ctl: " << word << " needs a value\n";
            return kBadArguments;
        }
        const std::string& value = args[++i];
        if (word == "--colour") {
            colour = ParseHex6(value);
            if (!colour) {
                err << "velnor7ctl: --colour takes six hex digits, such as ff8000\n";
                return kBadArguments;
            }
        } else if (const auto range = kRanges.find(word); range != kRanges.end()) {
            const auto number = ParseNumber(value, range->second.first, range->second.second);
            if (!number) {
                err << "velnor7ctl: " << word << " takes a number from " << range->second.first << " to "
                    << range->second.second << "\n";
                return kBadArguments;
            }
            numbers[word] = *number;
        } else {
            err << "velnor7ctl: light set does not know " << word << "\n";
            return kBadArguments;
        }
    }
    if (numbers.empty() && !colour && !multicolour) {
        err << "velnor7ctl: light set needs at least one of --mode, --brightness, --speed, --direction, --colour, --multicolour\n";
        return kBadArguments;
    }
    KeyboardSession keyboard;
    if (!keyboard.Open(err)) return kDeviceFailed;
    LightInfoRecord light = keyboard.Profile().ReadLightInfo();
    if (numbers.count("--mode")) light.selectItem = static_cast<uint8_t>(numbers["--mode"]);
    if (numbers.count("--brightness")) light.light = static_cast<uint8_t>(numbers["--brightness"]);
    if (numbers.count("--speed")) light.speed = static_cast<uint8_t>(numbers["--speed"]);
    if (numbers.count("--direction")) light.fx = static_cast<uint8_t>(numbers["--direction"]);
    if (colour) {
        light.red = (*colour)[0];
        light.green = (*colour)[1];
        light.blue = (*colour)[2];
    }
    light.multiColor = multicolour ? 1 : 0;
    keyboard.Profile().WriteLightInfo(light);
    if (keyboard.Profile().Save() != 0) {
        err << "velnor7ctl: the profile " << keyboard.Profile().GetPath() << " cannot be written\n";
        return kDeviceFailed;
    }
    keyboard.Configurator().WriteLightRecord();
    out << "light record written: mode " << int(light.selectItem) << ", brightness " << int(light.light) << ", speed "
        << int(light.speed) << ", direction " << int(light.fx) << ", multicolour " << int(light.multiColor)
        << ", colour " << Hex6(light.red, light.green, light.blue) << "\n";
    return 0;
}

}  // namespace

int RunLight(const CliOptions& options, std::ostream& out, std::ostream& err) {
    const std::vector<std::string>& args = options.arguments;
    if (args.empty()) {
        err << "velnor7ctl: light takes set, get, off or on\n";
        return kBadArguments;
    }
    if (args[0] == "set") return LightSet({args.begin() + 1, args.end()}, out, err);
    if (args.size() != 1 || (args[0] != "get" && args[0] != "off" && args[0] != "on")) {
        err << "velnor7ctl: light takes set, get, off or on\n";
        return kBadArguments;
    }
    KeyboardSession keyboard;
    if (!keyboard.Open(err)) return kDeviceFailed;
    if (args[0] != "get") {
        if (keyboard.Configurator().WriteLedSwitch(args[0] == "off") != 1) {
            err << "velnor7ctl: the keyboard does not answer\n";
            return kDeviceFailed;
        }
        out << "lighting " << args[0] << "\n";
        return 0;
    }
    const auto record = keyboard.Configurator().ReadLightRecord();
    if (!record) {
        err << "velnor7ctl: the keyboard does not answer\n";
        return kDeviceFailed;
    }
    // The keyboard does not report the direction; the profile's is shown.
    const int direction = keyboard.Profile().ReadLightInfo().fx;
    const std::string colour = Hex6(record->red, record->green, record->blue);
    if (options.json) {
        Json::Value value;
        value["mode"] = record->mode;
        value["brightness"] = record->brightness;
        value["speed"] = record->speed;
        value["direction"] = direction;
        value["multicolour"] = record->multiColor;
        value["colour"] = colour;
        PrintJson(out, value);
    } else {
        out << "mode " << int(record->mode) << "\nbrightness " << int(record->brightness) << "\nspeed "
            << int(record->speed) << "\ndirection " << direction << "\nmulticolour " << int(record->multiColor)
            << "\ncolour " << colour << "\n";
    }
    return 0;
}

int RunKeymap(const CliOptions& options, std::ostream& out, std::ostream& err) {
    const std::vector<std::string>& args = options.arguments;
    const bool get = args.size() == 1 && args[0] == "get";
    const bool set = args.size() == 3 && args[0] == "set";
    if (!get && !set) {
        err << "velnor7ctl: keymap takes get, or set KEY CODE (such as: keymap set A 200005)\n";
        return kBadArguments;
    }
    std::optional<int> key;
    std::optional<std::array<uint8_t, 3>> code;
    if (set) {
        key = KeyByName(args[1]);
        code = ParseHex6(args[2]);
        if (!key) {
            err << "velnor7ctl: no key is named " << args[1] << "\n";
            return kBadArguments;
        }
        if (!code) {
            err << "velnor7ctl: CODE is three bytes in hex, such as 200005\n";
            return kBadArguments;
        }
    }
    KeyboardSession keyboard;
    if (!keyboard.Open(err)) return kDeviceFailed;
    CKeyboardConfigurator& device = keyboard.Configurator();
    if (!device.ReadOut()) {
        err << "velnor7ctl: the keyboard does not answer\n";
        return kDeviceFailed;
    }
    if (set) {
        std::vector<KeyListEntry> keys = keyboard.Profile().ReadKeyList();
        if (*key >= static_cast<int>(keys.size())) {
            err << "velnor7ctl: the profile has no entry for key " << args[1] << "\n";
            return kDeviceFailed;
        }
        keys[static_cast<size_t>(*key)].current.code = KeyCode{(*code)[0], (*code)[1], (*code)[2]};
        keyboard.Profile().WriteKeyList(keys);
        if (keyboard.Profile().Save() != 0) {
            err << "velnor7ctl: the profile " << keyboard.Profile().GetPath() << " cannot be written\n";
            return kDeviceFailed;
        }
        device.WriteKeyMap();
        const uint8_t slot = device.Maps().slots[static_cast<size_t>(*key)];
        out << ShortKeyName(*key) << " = " << args[2];
        if (slot == kAbsentKey) out << " (kept in the profile: the keyboard has no slot for this key)";
        out << "\n";
        return 0;
    }

    const std::vector<uint8_t>& reported = device.ReportedKeyMap();
    const auto codeOf = [&](size_t slot) { return Hex6(reported[3 * slot], reported[3 * slot + 1], reported[3 * slot + 2]); };
    std::vector<bool> slotHasKey(static_cast<size_t>(device.SlotCount()), false);
    Json::Value array(Json::arrayValue);
    for (int k = 0; k < kKeyCount; ++k) {
        const uint8_t slot = device.Maps().slots[static_cast<size_t>(k)];
        const bool mapped = slot != kAbsentKey && slot < slotHasKey.size();
        if (mapped) slotHasKey[slot] = true;
        if (options.json) {
            Json::Value item;
            item["index"] = k;
            item["name"] = ShortKeyName(k);
            item["slot"] = mapped ? Json::Value(slot) : Json::Value();
            item["code"] = mapped ? Json::Value(codeOf(slot)) : Json::Value();
            array.append(item);
        } else {
            char line[96];
            std::snprintf(line, sizeof(line), "%3d  %-22s %4s  %s\n", k, ShortKeyName(k).c_str(),
                          mapped ? std::to_string(slot).c_str() : "-", mapped ? codeOf(slot).c_str() : "------");
            out << line;
        }
    }
    // Slots no key maps (a key whose slot was given another code): their codes, under the slot.
    for (size_t slot = 0; slot < slotHasKey.size(); ++slot) {
        if (slotHasKey[slot]) continue;
        if (options.json) {
            Json::Value item;
            item["index"] = Json::Value();
            item["name"] = Json::Value();
            item["slot"] = static_cast<int>(slot);
            item["code"] = codeOf(slot);
            array.append(item);
        } else {
            char line[64];
            std::snprintf(line, sizeof(line), "  -  %-22s %4zu  %s\n", "-", slot, codeOf(slot).c_str());
            out << line;
        }
    }
    if (options.json) PrintJson(out, array);
    return 0;
}

int RunMacros(const CliOptions& options, std::ostream& out, std::ostream& err) {
    if (options.arguments != std::vector<std::string>{"write"}) {
        err << "velnor7ctl: macros takes write\n";
        return kBadArguments;
    }
    KeyboardSession keyboard;
    if (!keyboard.Open(err)) return kDeviceFailed;
    if (!keyboard.Configurator().ReadOut()) {
        err << "velnor7ctl: the keyboard does not answer\n";
        return kDeviceFailed;
    }
    MacroLibrary macros(UserDataDirectory("keyboard"));
    macros.LoadList();
    if (macros.Macros().empty()) {
        out << "the keyboard's macro list is empty: nothing to write\n";
        return 0;
    }
    const int result = keyboard.Configurator().WriteMacros();
    if (result > 0) {
        err << "velnor7ctl: the macros do not fit the keyboard's memory: " << result
            << " events too many; nothing was written\n";
        return kDeviceFailed;
    }
    if (result < 0) {
        err << "velnor7ctl: the keyboard's macro memory size is unknown\n";
        return kDeviceFailed;
    }
    out << "macro memory written (" << macros.Macros().size() << " macros)\n";
    return 0;
}

}  // namespace velnor7

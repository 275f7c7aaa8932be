#include "cli/KeyboardCommands.h"

#include "cli/Arguments.h"
#include "cli/Commands.h"
#include "cli/KeyboardSession.h"
#include "cli/VerbOutcome.h"
#include "keyboard/DefaultKeyTable.h"
#include "keyboard/KeyboardConfigurator.h"

#include <json/json.h>

#include <cctype>
#include <charconv>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <sstream>

namespace velnor7 {

namespace {

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

VerbOutcome LightSet(const std::vector<std::string>& args) {
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
        if (i + 1 >= args.size()) return VerbOutcome::BadArguments(word + " needs a value");
        const std::string& value = args[++i];
        if (word == "--colour") {
            colour = ParseHex6(value);
            if (!colour) return VerbOutcome::BadArguments("--colour takes six hex digits, such as ff8000");
        } else if (const auto range = kRanges.find(word); range != kRanges.end()) {
            const auto number = ParseNumber(value, range->second.first, range->second.second);
            if (!number) {
                return VerbOutcome::BadArguments(word + " takes a number from " + std::to_string(range->second.first) +
                                                 " to " + std::to_string(range->second.second));
            }
            numbers[word] = *number;
        } else {
            return VerbOutcome::BadArguments("light set does not know " + word);
        }
    }
    if (numbers.empty() && !colour && !multicolour) {
        return VerbOutcome::BadArguments(
            "light set needs at least one of --mode, --brightness, --speed, --direction, --colour, --multicolour");
    }
    KeyboardSession keyboard;
    if (const auto failure = keyboard.Open()) return VerbOutcome::Failed(*failure);
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
    if (const auto failure = keyboard.SaveProfile()) return VerbOutcome::Failed(*failure);
    const DeviceResult written = keyboard.Configurator().WriteLightRecord();
    if (!written.Ok()) return VerbOutcome::Failed(written.reason + " (the profile keeps the new lighting)");
    Json::Value details;
    details["mode"] = light.selectItem;
    details["brightness"] = light.light;
    details["speed"] = light.speed;
    details["direction"] = light.fx;
    details["multicolour"] = light.multiColor;
    details["colour"] = Hex6(light.red, light.green, light.blue);
    std::ostringstream text;
    text << "light record written: mode " << int(light.selectItem) << ", brightness " << int(light.light) << ", speed "
         << int(light.speed) << ", direction " << int(light.fx) << ", multicolour " << int(light.multiColor)
         << ", colour " << details["colour"].asString() << "\n";
    return VerbOutcome::Done(text.str(), details);
}

VerbOutcome Light(const std::vector<std::string>& args) {
    if (!args.empty() && args[0] == "set") return LightSet({args.begin() + 1, args.end()});
    if (args.size() != 1 || (args[0] != "get" && args[0] != "off" && args[0] != "on")) {
        return VerbOutcome::BadArguments("light takes set, get, off or on");
    }
    KeyboardSession keyboard;
    if (const auto failure = keyboard.Open()) return VerbOutcome::Failed(*failure);
    if (args[0] != "get") {
        const DeviceResult switched = keyboard.Configurator().WriteLedSwitch(args[0] == "off");
        if (!switched.Ok()) return VerbOutcome::Failed(switched.reason);
        Json::Value details;
        details["lighting"] = args[0];
        return VerbOutcome::Done("lighting " + args[0] + "\n", details);
    }
    const LightRecordRead read = keyboard.Configurator().ReadLightRecord();
    if (!read.result.Ok()) return VerbOutcome::Failed(read.result.reason);
    const LightRecordReadBack& record = read.record;
    // The keyboard does not report the direction; the profile's is shown.
    const int direction = keyboard.Profile().ReadLightInfo().fx;
    Json::Value details;
    details["mode"] = record.mode;
    details["brightness"] = record.brightness;
    details["speed"] = record.speed;
    details["direction"] = direction;
    details["multicolour"] = record.multiColor;
    details["colour"] = Hex6(record.red, record.green, record.blue);
    std::ostringstream text;
    text << "mode " << int(record.mode) << "\nbrightness " << int(record.brightness) << "\nspeed " << int(record.speed)
         << "\ndirection " << direction << "\nmulticolour " << int(record.multiColor) << "\ncolour "
         << details["colour"].asString() << "\n";
    return VerbOutcome::Done(text.str(), details);
}

// One line (or JSON element) per key, then the slots no key maps.
VerbOutcome KeymapListing(const CKeyboardConfigurator& device) {
    const std::vector<uint8_t>& reported = device.ReportedKeyMap();
    const auto codeOf = [&](size_t slot) { return Hex6(reported[3 * slot], reported[3 * slot + 1], reported[3 * slot + 2]); };
    std::vector<bool> slotHasKey(static_cast<size_t>(device.SlotCount()), false);
    VerbOutcome outcome;
    outcome.json = Json::Value(Json::arrayValue);
    std::ostringstream text;
    for (int k = 0; k < kKeyCount; ++k) {
        const uint8_t slot = device.Maps().slots[static_cast<size_t>(k)];
        const bool mapped = slot != kAbsentKey && slot < slotHasKey.size();
        if (mapped) slotHasKey[slot] = true;
        Json::Value item;
        item["index"] = k;
        item["name"] = ShortKeyName(k);
        item["slot"] = mapped ? Json::Value(slot) : Json::Value();
        item["code"] = mapped ? Json::Value(codeOf(slot)) : Json::Value();
        outcome.json.append(item);
        char line[96];
        std::snprintf(line, sizeof(line), "%3d  %-22s %4s  %s\n", k, ShortKeyName(k).c_str(),
                      mapped ? std::to_string(slot).c_str() : "-", mapped ? codeOf(slot).c_str() : "------");
        text << line;
    }
    // Slots no key maps (a key whose slot was given another code): their codes, under the slot.
    for (size_t slot = 0; slot < slotHasKey.size(); ++slot) {
        if (slotHasKey[slot]) continue;
        Json::Value item;
        item["index"] = Json::Value();
        item["name"] = Json::Value();
        item["slot"] = static_cast<int>(slot);
        item["code"] = codeOf(slot);
        outcome.json.append(item);
        char line[64];
        std::snprintf(line, sizeof(line), "  -  %-22s %4zu  %s\n", "-", slot, codeOf(slot).c_str());
        text << line;
    }
    outcome.text = text.str();
    return outcome;
}

VerbOutcome Keymap(const std::vector<std::string>& args) {
    const bool get = args.size() == 1 && args[0] == "get";
    const bool set = args.size() == 3 && args[0] == "set";
    if (!get && !set) return VerbOutcome::BadArguments("keymap takes get, or set KEY CODE (such as: keymap set A 200005)");
    std::optional<int> key;
    std::optional<std::array<uint8_t, 3>> code;
    if (set) {
        key = KeyByName(args[1]);
        code = ParseHex6(args[2]);
        if (!key) return VerbOutcome::BadArguments("no key is named " + args[1]);
        if (!code) return VerbOutcome::BadArguments("CODE is three bytes in hex, such as 200005");
    }
    KeyboardSession keyboard;
    if (const auto failure = keyboard.Open()) return VerbOutcome::Failed(*failure);
    CKeyboardConfigurator& device = keyboard.Configurator();
    if (const DeviceResult readOut = device.ReadOut(); !readOut.Ok()) return VerbOutcome::Failed(readOut.reason);
    if (get) return KeymapListing(device);

    std::vector<KeyListEntry> keys = keyboard.Profile().ReadKeyList();
    if (*key >= static_cast<int>(keys.size())) return VerbOutcome::Failed("the profile has no entry for key " + args[1]);
    keys[static_cast<size_t>(*key)].current.code = KeyCode{(*code)[0], (*code)[1], (*code)[2]};
    keyboard.Profile().WriteKeyList(keys);
    if (const auto failure = keyboard.SaveProfile()) return VerbOutcome::Failed(*failure);
    const DeviceResult written = device.WriteKeyMap();
    if (!written.Ok()) return VerbOutcome::Failed(written.reason + " (the profile keeps the assignment)");
    const uint8_t slot = device.Maps().slots[static_cast<size_t>(*key)];
    std::string text = ShortKeyName(*key) + " = " + args[2];
    if (slot == kAbsentKey) text += " (kept in the profile: the keyboard has no slot for this key)";
    Json::Value details;
    details["key"] = ShortKeyName(*key);
    details["code"] = args[2];
    details["slot"] = slot == kAbsentKey ? Json::Value() : Json::Value(slot);
    return VerbOutcome::Done(text + "\n", details);
}

VerbOutcome Macros(const std::vector<std::string>& args) {
    if (args != std::vector<std::string>{"write"}) return VerbOutcome::BadArguments("macros takes write");
    KeyboardSession keyboard;
    if (const auto failure = keyboard.Open()) return VerbOutcome::Failed(*failure);
    const MacroWrite write = keyboard.Configurator().WriteMacros();
    if (!write.result.Ok()) return VerbOutcome::Failed(write.result.reason);
    Json::Value details;
    details["macros"] = static_cast<Json::UInt64>(write.macros);
    if (write.macros == 0) return VerbOutcome::Done("the keyboard's macro list is empty: nothing to write\n", details);
    return VerbOutcome::Done("macro memory written (" + std::to_string(write.macros) + " macros)\n", details);
}

}  // namespace

int RunLight(const CliOptions& options, std::ostream& out, std::ostream& err) {
    return PrintOutcome(options.json, Light(options.arguments), out, err);
}

int RunKeymap(const CliOptions& options, std::ostream& out, std::ostream& err) {
    return PrintOutcome(options.json, Keymap(options.arguments), out, err);
}

int RunMacros(const CliOptions& options, std::ostream& out, std::ostream& err) {
    return PrintOutcome(options.json, Macros(options.arguments), out, err);
}

}  // namespace velnor7

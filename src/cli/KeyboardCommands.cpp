#include "cli/KeyboardCommands.h"

#include "cli/Arguments.h"
#include "cli/Commands.h"
#include "cli/KeyNames.h"
#include "cli/KeyboardSession.h"
#include "cli/VerbOutcome.h"
#include "common/Paths.h"
#include "core/DeviceCatalogue.h"
#include "keyboard/DefaultKeyTable.h"
#include "keyboard/KeyAssignmentCodec.h"
#include "keyboard/KeyboardConfigurator.h"
#include "keyboard/KeyboardLighting.h"
#include "keyboard/KeyboardPayloads.h"
#include "profiles/LightNameLists.h"

#include <json/json.h>

#include <algorithm>
#include <cctype>
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

// The keyboard's failure first: the profile keeps `kept` all the same.
std::optional<VerbOutcome> LightingFailure(const LightingWrite& write, const std::string& kept) {
    if (!write.device.Ok()) return VerbOutcome::Failed(write.device.reason + " (the profile keeps " + kept + ")");
    if (!write.profile.Ok()) return VerbOutcome::Failed(write.profile.reason + "; the keyboard took it");
    return std::nullopt;
}

std::string ModeList(const std::vector<LightMode>& modes) {
    std::string text;
    for (const LightMode& mode : modes) text += (text.empty() ? "" : ", ") + std::to_string(mode.number) + " " + mode.name;
    return text;
}

const LightMode* ModeNumbered(const std::vector<LightMode>& modes, int number) {
    const auto found = std::find_if(modes.begin(), modes.end(), [&](const LightMode& mode) { return mode.number == number; });
    return found == modes.end() ? nullptr : &*found;
}

// The change the options ask for; the reason when they are not a valid call. The mode is
// checked against the keyboard's list (`modes`, nothing when it cannot be read) here, so that a
// bad one never reaches the profile.
std::optional<LightingChange> ParseLightChange(const std::vector<std::string>& args,
                                            const std::optional<std::vector<LightMode>>& modes, VerbOutcome& refusal) {
    static const std::map<std::string, std::pair<int, int>> kRanges{
        {"--brightness", {0, 5}}, {"--speed", {0, 4}}, {"--direction", {0, 1}}};
    LightingChange change;
    std::optional<std::string> modeWord;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& word = args[i];
        if (word == "--multicolour" || word == "--no-multicolour") {
            change.multicolour = word == "--multicolour" ? 1 : 0;
            continue;
        }
        if (word != "--mode" && word != "--colour" && !kRanges.count(word)) {
            refusal = VerbOutcome::BadArguments("light set does not know " + word);
            return std::nullopt;
        }
        if (i + 1 >= args.size()) {
            refusal = VerbOutcome::BadArguments(word + " needs a value");
            return std::nullopt;
        }
        const std::string& value = args[++i];
        if (word == "--mode") {
            modeWord = value;
        } else if (word == "--colour") {
            change.colour = ParseColour(value);
            if (!change.colour) {
                refusal = VerbOutcome::BadArguments("--colour takes RRGGBB, #RRGGBB or a colour name (such as ff8000, "
                                                    "#ff8000 or orange), not '" + value + "'");
                return std::nullopt;
            }
        } else {
            const auto [low, high] = kRanges.at(word);
            const auto number = ParseNumber(value, low, high);
            if (!number) {
                refusal = VerbOutcome::BadArguments(word + " takes a number from " + std::to_string(low) + " to " +
                                                    std::to_string(high));
                return std::nullopt;
            }
            const auto byte = static_cast<uint8_t>(*number);
            (word == "--brightness" ? change.brightness : word == "--speed" ? change.speed : change.direction) = byte;
        }
    }
    if (modeWord) {
        if (!modes) {
            refusal = VerbOutcome::Failed("the keyboard's light modes cannot be read from " + DefaultDataDirectory() +
                                          kLightNameFileName + "; nothing was changed");
            return std::nullopt;
        }
        const std::optional<int> number = ParseNumber(*modeWord, 0, 255);
        if (!number || ModeNumbered(*modes, *number) == nullptr) {
            refusal = VerbOutcome::BadArguments("the keyboard has no light mode " + *modeWord + "; its modes are " +
                                                ModeList(*modes));
            return std::nullopt;
        }
        change.mode = static_cast<uint8_t>(*number);
    }
    if (change.Empty()) {
        refusal = VerbOutcome::BadArguments(
            "light set needs at least one of --mode, --brightness, --speed, --direction, --colour, --multicolour, "
            "--no-multicolour");
        return std::nullopt;
    }
    return change;
}

VerbOutcome LightSet(const std::vector<std::string>& args) {
    const std::optional<std::vector<LightMode>> modes = KeyboardLightModes();
    VerbOutcome refusal;
    const std::optional<LightingChange> change = ParseLightChange(args, modes, refusal);
    if (!change) return refusal;
    KeyboardSession keyboard;
    if (const auto failure = keyboard.Open()) return VerbOutcome::Failed(*failure);
    const LightingWrite write = ApplyLighting(keyboard.Profile(), keyboard.Configurator(),
                                              keyboard.Profile().ReadLightInfo(), *change);
    if (const auto failure = LightingFailure(write, "the new lighting")) return *failure;
    const LightInfoRecord& light = write.light;
    Json::Value details;
    details["mode"] = light.selectItem;
    details["brightness"] = light.light;
    details["speed"] = light.speed;
    details["direction"] = light.fx;
    details["multicolour"] = light.multiColor;
    details["colour"] = Hex6(light.red, light.green, light.blue);
    // The name is a courtesy: without the list the record is written all the same.
    const LightMode* mode = modes ? ModeNumbered(*modes, light.selectItem) : nullptr;
    const std::string modeName = mode != nullptr ? mode->name : "";
    if (!modeName.empty()) details["modeName"] = modeName;
    std::ostringstream text;
    text << "light record written: mode " << int(light.selectItem) << (modeName.empty() ? "" : " (" + modeName + ")")
         << ", brightness " << int(light.light) << ", speed " << int(light.speed) << ", direction " << int(light.fx)
         << ", multicolour " << int(light.multiColor) << ", colour " << details["colour"].asString() << "\n";
    return VerbOutcome::Done(text.str(), details);
}

// Off or on, kept in the profile too: every later write of the light record (light set,
// settings set, the desktop program) sends the profile's switch along with it.
VerbOutcome LightSwitch(KeyboardSession& keyboard, const std::string& word) {
    const LightingWrite write = ApplyLighting(keyboard.Profile(), keyboard.Configurator(),
                                              keyboard.Profile().ReadLightInfo(), LightingChange{.lightsOff = word == "off"});
    if (const auto failure = LightingFailure(write, "it " + word)) return *failure;
    Json::Value details;
    details["lighting"] = word;
    return VerbOutcome::Done("lighting " + word + "\n", details);
}

VerbOutcome Light(const std::vector<std::string>& args) {
    if (!args.empty() && args[0] == "set") return LightSet({args.begin() + 1, args.end()});
    if (args.size() != 1 || (args[0] != "get" && args[0] != "off" && args[0] != "on")) {
        return VerbOutcome::BadArguments("light takes set, get, off or on");
    }
    KeyboardSession keyboard;
    if (const auto failure = keyboard.Open()) return VerbOutcome::Failed(*failure);
    if (args[0] != "get") return LightSwitch(keyboard, args[0]);
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
        item["name"] = KeyNames::English().Of(k);
        item["id"] = KeyNames::ShortId(k);
        item["slot"] = mapped ? Json::Value(slot) : Json::Value();
        item["code"] = mapped ? Json::Value(codeOf(slot)) : Json::Value();
        outcome.json.append(item);
        char line[96];
        std::snprintf(line, sizeof(line), "%3d  %-22s %4s  %s\n", k, KeyNames::English().Of(k).c_str(),
                      mapped ? std::to_string(slot).c_str() : "-", mapped ? codeOf(slot).c_str() : "------");
        text << line;
    }
    // Slots no key maps (a key whose slot was given another code): their codes, under the slot.
    for (size_t slot = 0; slot < slotHasKey.size(); ++slot) {
        if (slotHasKey[slot]) continue;
        Json::Value item;
        item["index"] = Json::Value();
        item["name"] = Json::Value();
        item["id"] = Json::Value();
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

// Every key's assignment of the profile back to its default, in the profile and on the keyboard.
VerbOutcome ResetKeymap(KeyboardSession& keyboard) {
    std::vector<KeyListEntry> keys = keyboard.Profile().ReadKeyList();
    for (KeyListEntry& key : keys) key.current = key.defaults;
    keyboard.Profile().WriteKeyList(keys);
    if (const auto failure = keyboard.SaveProfile()) return VerbOutcome::Failed(*failure);
    CKeyboardConfigurator& device = keyboard.Configurator();
    const DeviceResult written = device.WriteKeyMap();
    if (!written.Ok()) return VerbOutcome::Failed(written.reason + " (the profile has the default assignments)");
    int unplaced = 0;
    for (size_t key = 0; key < keys.size() && key < static_cast<size_t>(kKeyCount); ++key) {
        unplaced += device.Maps().slots[key] == kAbsentKey ? 1 : 0;
    }
    std::string text = "every key has its default function again\n";
    if (unplaced > 0) {
        text += std::to_string(unplaced) +
                " key(s) of the profile have no slot on this keyboard; `keymap get` lists slots no key maps\n";
    }
    return VerbOutcome::Done(text);
}

VerbOutcome Keymap(const std::vector<std::string>& args) {
    const bool get = args.size() == 1 && args[0] == "get";
    const bool reset = args.size() == 1 && args[0] == "reset";
    const bool set = args.size() == 3 && args[0] == "set";
    if (!get && !set && !reset) {
        return VerbOutcome::BadArguments("keymap takes get, reset, or set KEY CODE (such as: keymap set A 200005)");
    }
    std::optional<int> key;
    std::optional<std::array<uint8_t, 3>> code;
    if (set) {
        key = KeyNames::English().Find(args[1]);
        code = ParseHexTriplet(args[2]);
        if (!key) return VerbOutcome::BadArguments("no key is named " + args[1] + " (`keymap get` lists the names)");
        if (!code) return VerbOutcome::BadArguments("CODE is three bytes in hex, such as 200005");
    }
    KeyboardSession keyboard;
    if (const auto failure = keyboard.Open()) return VerbOutcome::Failed(*failure);
    CKeyboardConfigurator& device = keyboard.Configurator();
    if (const DeviceResult readOut = device.ReadOut(); !readOut.Ok()) return VerbOutcome::Failed(readOut.reason);
    if (get) return KeymapListing(device);
    if (reset) return ResetKeymap(keyboard);

    const std::string name = KeyNames::English().Of(*key);
    std::vector<KeyListEntry> keys = keyboard.Profile().ReadKeyList();
    if (*key >= static_cast<int>(keys.size())) return VerbOutcome::Failed("the profile has no entry for key " + name);
    KeyListEntry& entry = keys[static_cast<size_t>(*key)];
    const KeyCode asked{(*code)[0], (*code)[1], (*code)[2]};
    const KeyAssignment wanted{entry.current.passThrough, asked, entry.current.p3};
    if (!CategoryOf(wanted, entry.defaults).category) {
        return VerbOutcome::BadArguments(args[2] + " is no function a key can have");
    }
    const uint8_t slot = device.Maps().slots[static_cast<size_t>(*key)];
    if (slot == kAbsentKey) {
        return VerbOutcome::Failed("the keyboard has no slot for " + name +
                                   ": it lacks the key, or the key was remapped before this program last saw the "
                                   "keyboard (`keymap get` lists slots no key maps; `keymap reset` restores them)");
    }
    entry.current = wanted;
    keyboard.Profile().WriteKeyList(keys);
    if (const auto failure = keyboard.SaveProfile()) return VerbOutcome::Failed(*failure);
    const DeviceResult written = device.WriteKeyMap();
    if (!written.Ok()) return VerbOutcome::Failed(written.reason + " (the profile keeps the assignment)");
    Json::Value details;
    details["key"] = name;
    details["code"] = args[2];
    details["slot"] = slot;
    return VerbOutcome::Done(name + " = " + args[2] + "\n", details);
}

}  // namespace

std::optional<std::vector<LightMode>> KeyboardLightModes() {
    LightNameLists lists;
    // The modes come from the shipped list alone: the user's folder only adds presets, and is
    // not to be created by a call that may yet be refused.
    LoadLightNameLists(lists, kKindKeyboard, DefaultDataDirectory(), DefaultDataDirectory());
    if (lists.modes.empty()) return std::nullopt;
    std::vector<LightMode> modes;
    // Hidden entries are the program's presets, not offered; from kLightModeCount on the
    // keyboard would be sent mode 0.
    for (size_t i = 0; i < lists.modes.size() && i < kLightModeCount; ++i) {
        if (lists.modes[i].visible) modes.push_back({static_cast<int>(i), lists.modes[i].name});
    }
    return modes;
}

std::string LightModeHelp() {
    const std::optional<std::vector<LightMode>> modes = KeyboardLightModes();
    if (!modes) return "light modes: the list cannot be read from " + DefaultDataDirectory() + kLightNameFileName + "\n";
    std::string text = "light modes (--mode):\n";
    for (const LightMode& mode : *modes) {
        char number[16];
        std::snprintf(number, sizeof number, "  %3d  ", mode.number);
        text += number + mode.name + "\n";
    }
    return text;
}

int RunLight(const CliOptions& options, std::ostream& out, std::ostream& err) {
    return PrintOutcome(options.json, Light(options.arguments), out, err);
}

int RunKeymap(const CliOptions& options, std::ostream& out, std::ostream& err) {
    return PrintOutcome(options.json, Keymap(options.arguments), out, err);
}


}  // namespace velnor7

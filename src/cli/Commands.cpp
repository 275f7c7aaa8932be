#include "cli/Commands.h"

#include "cli/KeyboardCommands.h"
#include "cli/MacroCommands.h"
#include "cli/ProfileCommands.h"
#include "cli/SettingsCommands.h"
#include "cli/UpdateCommands.h"
#include "cli/VerbOutcome.h"
#include "common/Trace.h"
#include "core/DeviceCatalogue.h"
#include "core/DeviceCommandChannel.h"
#include "core/DeviceInformation.h"
#include "core/DeviceResult.h"
#include "core/HidDevice.h"

#include <json/value.h>

#include <array>
#include <cstdio>
#include <ostream>
#include <sstream>
#include <string>

namespace velnor7 {
namespace {

std::string Hex(unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*x", digits, value);
    return text;
}

std::string HexBytes(const uint8_t* bytes, size_t count) {
    std::string text;
    for (size_t i = 0; i < count; ++i) {
        if (i > 0) text += ' ';
        text += Hex(bytes[i], 2);
    }
    return text;
}

// A HID interface as the catalogue sees it: parsed path plus what the device
// says of itself.
struct ProbedInterface {
    std::string path;
    DeviceIdentity identity;
    uint16_t versionNumber = 0;  // the device's own (USB bcdDevice)
    bool opened = false;
    int slot = -1;
};

// Lists the bus and matches every path against a fresh slot list, as discovery does.
std::vector<ProbedInterface> ProbeBus(bool& listed) {
    std::vector<ProbedInterface> probed;
    DeviceSlotList slots = MakeDeviceSlotList();
    CHidDevice bus;
    listed = bus.Enumerate();
    while (const auto path = bus.NextPath()) {
        ProbedInterface entry;
        entry.path = *path;
        entry.identity = IdentityFromPath(*path);
        CHidDevice probe;
        // Without access rights: the listing must work for users the device is not given to.
        if (probe.Open(*path, false, false, true, false) == 1) {
            entry.opened = true;
            entry.identity.vid = probe.Attributes().vendorId;
            entry.identity.pid = probe.Attributes().productId;
            entry.versionNumber = probe.Attributes().versionNumber;
            entry.identity.usagePage = probe.Capabilities().usagePage;
            entry.identity.usage = probe.Capabilities().usage;
            if (IsCandidate(slots, IdentityFromPath(*path))) entry.slot = AttachToSlot(slots, entry.identity, *path);
        }
        probed.push_back(std::move(entry));
    }
    return probed;
}

const char* RoleName(uint16_t role) { return role == kRoleConsumer ? "consumer" : "command"; }

// The command interface of the first supported device of a type on the bus.
std::optional<ProbedInterface> FindCommandInterface(uint16_t deviceType) {
    bool listed = false;
    for (ProbedInterface& entry : ProbeBus(listed)) {
        if (entry.slot >= 0 && entry.identity.role == kRoleCommand && entry.identity.type == deviceType) return entry;
    }
    return std::nullopt;
}

std::optional<uint16_t> AttachedDeviceVersion(uint16_t deviceType) {
    const std::optional<ProbedInterface> found = FindCommandInterface(deviceType);
    return found ? std::optional<uint16_t>(found->versionNumber) : std::nullopt;
}

}  // namespace

int RunCommand(const CliOptions& options, std::ostream& out, std::ostream& err) {
    if (options.version) {
        Json::Value details;
        details["version"] = VELNOR7_VERSION;
        return PrintOutcome(options.json, VerbOutcome::Done("velnor7ctl " VELNOR7_VERSION "\n", details), out, err);
    }
    if (options.help || options.command == "help") {
        // "help COMMAND", "COMMAND --help"; "help" and a bare "--help" are about everything.
        std::string topic = options.command == "help" ? "" : options.command;
        if (options.command == "help" && !options.arguments.empty()) topic = options.arguments[0];
        out << (topic.empty() ? CliUsage() : CommandUsage(topic));
        if (topic == "light") out << '\n' << LightModeHelp();
        return kExitOk;
    }
    int status = kExitOk;
    if (options.command == "list") status = RunList(options, out, err);
    else if (options.command == "info") status = RunInfo(options, out, err);
    else if (options.command == "light") status = RunLight(options, out, err);
    else if (options.command == "keymap") status = RunKeymap(options, out, err);
    else if (options.command == "macros") status = RunMacros(options, out, err);
    else if (options.command == "profile") status = RunProfile(options, out, err);
    else if (options.command == "settings") status = RunSettings(options, out, err);
    else if (options.command == "update") status = RunUpdate(options, out, err, AttachedDeviceVersion);
    else status = PrintOutcome(options.json, VerbOutcome::BadArguments("unknown command '" + options.command + "'"), out, err);
    // A wrong call is followed by how the command is called.
    if (status == kExitBadArguments && !options.json) err << '\n' << CommandUsage(options.command);
    return status;
}

int RunList(const CliOptions& options, std::ostream& out, std::ostream& err) {
    bool listed = false;
    const std::vector<ProbedInterface> probed = ProbeBus(listed);
    if (!listed) return PrintOutcome(options.json, VerbOutcome::Failed("the HID bus cannot be listed"), out, err);
    VerbOutcome outcome;
    outcome.json = Json::Value(Json::arrayValue);
    std::ostringstream text;
    for (const ProbedInterface& entry : probed) {
        const DeviceIdentity& id = entry.identity;
        Json::Value item;
        item["path"] = entry.path;
        item["vid"] = Hex(id.vid, 4);
        item["pid"] = Hex(id.pid, 4);
        item["interface"] = id.interfaceNumber;
        item["collection"] = id.collection;
        item["usagePage"] = Hex(id.usagePage, 4);
        item["usage"] = Hex(id.usage, 4);
        item["slot"] = entry.slot >= 0 ? Json::Value(entry.slot) : Json::Value();
        if (entry.slot >= 0) item["role"] = RoleName(id.role);
        outcome.json.append(item);

        text << entry.path << "  vid " << Hex(id.vid, 4) << "  pid " << Hex(id.pid, 4) << "  interface "
             << id.interfaceNumber << "  collection " << id.collection << "  usage page " << Hex(id.usagePage, 4)
             << "  usage " << Hex(id.usage, 4) << "  slot ";
        if (entry.slot >= 0) text << entry.slot << " (" << RoleName(id.role) << ")";
        else text << "none";
        if (!entry.opened) text << "  (not readable)";
        text << '\n';
    }
    if (probed.empty()) text << "no HID interfaces found\n";
    outcome.text = text.str();
    return PrintOutcome(options.json, outcome, out, err);
}

std::optional<std::string> FindKeyboardCommandPath() {
    const std::optional<ProbedInterface> found = FindCommandInterface(kTypeKeyboard);
    return found ? std::optional<std::string>(found->path) : std::nullopt;
}

int RunInfo(const CliOptions& options, std::ostream& out, std::ostream& err) {
    const bool raw = options.arguments == std::vector<std::string>{"--raw"};
    if (!options.arguments.empty() && !raw) {
        return PrintOutcome(options.json, VerbOutcome::BadArguments("info takes --raw or nothing"), out, err);
    }
    bool listed = false;
    const std::vector<ProbedInterface> probed = ProbeBus(listed);
    Json::Value devices(Json::arrayValue);
    std::ostringstream text;
    std::string failures;
    int found = 0;
    for (const ProbedInterface& entry : probed) {
        if (entry.slot < 0 || entry.identity.role != kRoleCommand) continue;
        ++found;
        const auto failed = [&](const std::string& reason) { failures += (failures.empty() ? "" : "; ") + entry.path + ": " + reason; };
        CDeviceCommandChannel channel;
        {
            std::lock_guard lock(channel.TransportLock());
            // As its one owner: a device another program drives is left alone.
            if (channel.Transport().Open(entry.path, true, true, true, true) != 1) {
                const CHidDevice& transport = channel.Transport();
                failed(transport.OpenError() == HidOpenError::InUse ? "the device is " + transport.OpenFailure()
                                                                    : "cannot open the device: " + transport.OpenFailure());
                continue;
            }
            channel.SetOpen(true);
        }
        std::array<uint8_t, kDeviceInfoSize> info{};
        DeviceResult result = ChannelStepResult(channel.BeginConfig(), "BeginConfig", channel);
        if (result.Ok()) {
            TransferProgress progress;
            result = ChannelStepResult(channel.ReadDeviceInfo(info.data(), &progress), "ReadDeviceInfo", channel, &progress);
            // The configuration is closed even after a failed read.
            const DeviceResult ended = ChannelStepResult(channel.EndConfig(), "EndConfig", channel);
            if (result.Ok()) result = ended;
        }
        if (!result.Ok()) {
            failed("the device does not answer: " + result.reason);
            continue;
        }
        const DeviceInformation decoded = DecodeDeviceInformation(info);
        Json::Value item;
        item["path"] = entry.path;
        item["slot"] = entry.slot;
        item["info"] = HexBytes(info.data(), info.size());
        item["model"] = decoded.model;
        item["firmwareVersion"] = FirmwareVersionText(decoded.firmwareVersion);
        item["keys"] = decoded.keys;
        item["macroCapacity"] = decoded.macroBytes;
        devices.append(item);
        text << entry.path << " (slot " << entry.slot << ")\n"
             << "  model        " << decoded.model << "\n"
             << "  firmware     " << FirmwareVersionText(decoded.firmwareVersion) << "\n"
             << "  keys (K)     " << decoded.keys << "\n"
             << "  macro memory " << decoded.macroBytes << " bytes\n";
        if (raw) {
            text << "  information  " << HexBytes(info.data(), 16) << "\n"
                 << "               " << HexBytes(info.data() + 16, 16) << "\n"
                 << "               " << HexBytes(info.data() + 32, 2) << "\n";
        }
    }
    VerbOutcome outcome;
    outcome.text = text.str();
    outcome.json = devices;
    if (found == 0) {
        outcome = VerbOutcome::Failed(std::string("no supported device found") +
                                      (listed ? "" : " (the HID bus cannot be listed)"));
    } else if (!failures.empty()) {
        outcome.status = kExitFailed;
        outcome.error = failures;
        outcome.json = Json::Value(Json::objectValue);
        outcome.json["devices"] = devices;
    }
    return PrintOutcome(options.json, outcome, out, err);
}

}  // namespace velnor7

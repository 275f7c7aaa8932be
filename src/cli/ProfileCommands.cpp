#include "cli/ProfileCommands.h"

#include "cli/KeyboardSession.h"
#include "cli/VerbOutcome.h"
#include "profiles/ProfileManager.h"

#include <charconv>
#include <optional>
#include <sstream>

namespace velnor7 {
namespace {

constexpr int kKeyboardType = 1;

const char* const kUsage =
    "profile takes list, select NAME|INDEX, add, copy, rename NEW, delete NAME|INDEX, reset, import FILE or export FILE";

CProfileManager Manager() {
    return CProfileManager(KeyboardSession::Folder(), KeyboardSession::DefaultProfile(), kKeyboardType);
}

// A profile named by its name (letter case ignored) or by its number in "profile list".
std::optional<size_t> ProfileNamed(CProfileManager& manager, const std::string& word) {
    if (const int byName = manager.IndexOfName(word); byName >= 0) return static_cast<size_t>(byName);
    size_t number = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), number);
    if (error != std::errc() || end != word.data() + word.size() || number == 0 || number > manager.Profiles().size()) {
        return std::nullopt;
    }
    return number - 1;
}

Json::Value ProfileJson(const ProfileEntry& profile, size_t index, bool selected) {
    Json::Value item;
    item["index"] = static_cast<Json::UInt64>(index + 1);
    item["name"] = profile.name;
    item["uuid"] = profile.uuid;
    item["selected"] = selected;
    return item;
}

VerbOutcome List(CProfileManager& manager) {
    const std::vector<ProfileEntry> profiles = manager.Profiles();
    if (profiles.empty()) return VerbOutcome::Failed("the keyboard's profile list cannot be used");
    const int selected = manager.SelectedIndex();
    VerbOutcome outcome;
    outcome.json = Json::Value(Json::arrayValue);
    std::ostringstream text;
    for (size_t i = 0; i < profiles.size(); ++i) {
        const bool isSelected = static_cast<int>(i) == selected;
        outcome.json.append(ProfileJson(profiles[i], i, isSelected));
        text << (isSelected ? "* " : "  ") << i + 1 << "  " << profiles[i].name << "  " << profiles[i].uuid << '\n';
    }
    outcome.text = text.str();
    return outcome;
}

// What the keyboard is sent after its profile changed: everything, as the window's switch
// does. Without a keyboard only the files change.
VerbOutcome Rewritten(const ProfileResult& changed, const std::string& done) {
    Json::Value details = ProfileJson(changed.profile, changed.index, true);
    KeyboardSession keyboard;
    if (const auto failure = keyboard.Open()) {
        return VerbOutcome::Failed(done + "; the keyboard was not written: " + *failure);
    }
    if (const auto failure = keyboard.WriteWholeProfile()) {
        return VerbOutcome::Failed(done + "; the keyboard was not written: " + *failure);
    }
    details["keyboardWritten"] = true;
    return VerbOutcome::Done(done + "; the keyboard was written\n", details);
}

VerbOutcome Changed(const ProfileResult& result, const std::string& done) {
    if (!result.Ok()) return VerbOutcome::Failed(result.reason);
    return VerbOutcome::Done(done + "\n", ProfileJson(result.profile, result.index, false));
}

VerbOutcome Profile(const std::vector<std::string>& args) {
    if (args.empty()) return VerbOutcome::BadArguments(kUsage);
    const std::string& verb = args[0];
    const bool oneArgument = args.size() == 2;
    CProfileManager manager = Manager();
    if (verb == "list" && args.size() == 1) return List(manager);
    if (manager.Profiles().empty()) return VerbOutcome::Failed("the keyboard's profile list cannot be used");
    const size_t selected = static_cast<size_t>(std::max(manager.SelectedIndex(), 0));

    if ((verb == "select" || verb == "delete") && oneArgument) {
        const std::optional<size_t> index = ProfileNamed(manager, args[1]);
        if (!index) return VerbOutcome::BadArguments("no profile is named or numbered " + args[1]);
        if (verb == "select") {
            const ProfileResult chosen = manager.Select(*index);
            if (!chosen.Ok()) return VerbOutcome::Failed(chosen.reason);
            return Rewritten(chosen, "profile \"" + chosen.profile.name + "\" selected");
        }
        const std::string name = manager.Profiles()[*index].name;
        const ProfileResult deleted = manager.Delete(*index);
        if (!deleted.Ok()) return VerbOutcome::Failed(deleted.reason);
        const std::string done = "profile \"" + name + "\" deleted";
        // The keyboard had the deleted profile: it takes the one selected now.
        if (*index == selected) return Rewritten(deleted, done + ", \"" + deleted.profile.name + "\" selected");
        return VerbOutcome::Done(done + "\n", ProfileJson(deleted.profile, deleted.index, true));
    }
    if (args.size() == 1) {
        if (verb == "add") {
            const ProfileResult added = manager.Add();
            return Changed(added, "profile \"" + added.profile.name + "\" added; it is the one the program starts with next");
        }
        if (verb == "copy") {
            const ProfileResult copied = manager.Copy(selected);
            return Changed(copied, "profile \"" + copied.profile.name + "\" added");
        }
        if (verb == "reset") {
            const ProfileResult reset = manager.Reset(selected);
            if (!reset.Ok()) return VerbOutcome::Failed(reset.reason);
            return Rewritten(reset, "profile \"" + reset.profile.name + "\" reset to the defaults (the old file is kept beside it)");
        }
    }
    if (oneArgument) {
        if (verb == "rename") {
            const ProfileResult renamed = manager.Rename(selected, args[1]);
            return Changed(renamed, "profile renamed \"" + args[1] + "\"");
        }
        if (verb == "import") {
            const ProfileResult imported = manager.Import(args[1]);
            return Changed(imported, "profile \"" + imported.profile.name + "\" imported");
        }
        if (verb == "export") {
            // A file the user has is never replaced from the command line.
            const ProfileResult exported = manager.Export(selected, args[1], false);
            return Changed(exported, "profile \"" + exported.profile.name + "\" exported to " + args[1]);
        }
    }
    return VerbOutcome::BadArguments(kUsage);
}

}  // namespace

int RunProfile(const CliOptions& options, std::ostream& out, std::ostream& err) {
    return PrintOutcome(options.json, Profile(options.arguments), out, err);
}

}  // namespace velnor7

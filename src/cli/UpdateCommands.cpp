#include "cli/UpdateCommands.h"

#include "cli/VerbOutcome.h"
#include "core/DeviceCatalogue.h"
#include "update/UpdateClient.h"

#include <signal.h>
#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iomanip>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace velnor7 {
namespace {

// Ctrl-C (or a TERM) during a download ends it as a failure: the half file goes, the one that was
// there stays. Cancel only stores to a lock-free atomic, which a signal handler may do.
std::atomic<CUpdateClient*> interruptible{nullptr};

extern "C" void CancelOnSignal(int) {
    if (CUpdateClient* client = interruptible.load()) client->Cancel();
}

class CancelOnInterrupt {
public:
    explicit CancelOnInterrupt(CUpdateClient& client) {
        interruptible = &client;
        struct sigaction action {};
        action.sa_handler = CancelOnSignal;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGINT, &action, &previousInt_);
        ::sigaction(SIGTERM, &action, &previousTerm_);
    }
    ~CancelOnInterrupt() {
        ::sigaction(SIGINT, &previousInt_, nullptr);
        ::sigaction(SIGTERM, &previousTerm_, nullptr);
        interruptible = nullptr;
    }
    CancelOnInterrupt(const CancelOnInterrupt&) = delete;
    CancelOnInterrupt& operator=(const CancelOnInterrupt&) = delete;

private:
    struct sigaction previousInt_ {};
    struct sigaction previousTerm_ {};
};

const char* const kUsage = "update takes check, or download TARGET DIR";

// The device type whose firmware a firmware target's model code names.
struct FirmwareModel {
    const char* model;
    uint16_t deviceType;
};
constexpr FirmwareModel kFirmwareModels[] = {{"ZM7", kTypeMouse}, {"ZK7", kTypeKeyboard}, {"ZP7", kTypeMousePad}};

// Firmware counts its versions in hexadecimal (0x0102), the program in decimal (10002).
bool IsHexadecimal(const UpdateTargetRow& row) { return row.versionFormat != 0; }

// The target's row with the version installed now: the attached device's, this program's, or 0
// (unknown) for a device that is not attached.
UpdateTargetRow WithInstalledVersion(UpdateTargetRow row, const AttachedVersionLookup& attachedVersion) {
    if (!IsHexadecimal(row)) {
        row.currentVersion = ApplicationVersion();
        return row;
    }
    for (const FirmwareModel& firmware : kFirmwareModels) {
        if (std::string_view(firmware.model) != row.model) continue;
        row.currentVersion = attachedVersion(firmware.deviceType).value_or(0);
    }
    return row;
}

struct TargetAnswer {
    UpdateTargetRow row;
    UpdateInfo info;
};

TargetAnswer Query(CUpdateClient& client, const UpdateTargetRow& target, const AttachedVersionLookup& attachedVersion) {
    const UpdateTargetRow row = WithInstalledVersion(target, attachedVersion);
    return {row, client.QueryUpdate(MakeTargetKey(row), row.currentVersion, IsHexadecimal(row))};
}

const char* StateText(const UpdateInfo& info) {
    if (info.status == kUpdateNewer) return "update available";
    if (info.status == kUpdateCurrent) return "up to date";
    return "no answer";
}

std::string Unreachable(const std::string& url) { return "the update service at " + url + " cannot be reached"; }

VerbOutcome Check(const AttachedVersionLookup& attachedVersion) {
    const std::string url = UpdateServiceUrl();
    CUpdateClient client(url);
    VerbOutcome outcome;
    outcome.json = Json::Value(Json::arrayValue);
    std::ostringstream text;
    bool anyReached = false;
    for (const UpdateTargetRow& target : UpdateTargetTable) {
        const TargetAnswer answer = Query(client, target, attachedVersion);
        anyReached = anyReached || answer.info.name != kNoLinkServer;
        const bool known = answer.row.currentVersion != 0;
        const bool answered = answer.info.status != kUpdateNoAnswer;
        const std::string installed = known ? VersionText(answer.row.currentVersion, IsHexadecimal(answer.row)) : "";
        Json::Value item;
        item["name"] = answer.row.displayName;
        item["status"] = StateText(answer.info);
        item["current"] = known ? Json::Value(installed) : Json::Value();
        item["offered"] = answered ? Json::Value(answer.info.newText) : Json::Value();
        item["path"] = answered ? Json::Value(answer.info.path) : Json::Value();
        outcome.json.append(item);
        text << std::left << std::setw(5) << answer.row.displayName << " installed " << std::setw(9)
             << (known ? installed : "unknown") << " offered " << std::setw(9) << (answered ? answer.info.newText : "-")
             << ' ' << StateText(answer.info) << '\n';
    }
    if (!anyReached) return VerbOutcome::Failed(Unreachable(url));
    outcome.text = text.str();
    return outcome;
}

// A bar on a terminal: "[#####               ]  25%".
CUpdateClient::Progress ProgressBar(std::ostream& err) {
    return [&err](double total, double received) {
        if (total <= 0) return;  // a failure, said after the bar
        constexpr int kWidth = 40;
        const int percent = static_cast<int>(std::clamp(received / total, 0.0, 1.0) * 100);
        const int filled = percent * kWidth / 100;
        err << "\r[" << std::string(filled, '#') << std::string(kWidth - filled, ' ') << "] " << std::setw(3) << percent
            << '%' << std::flush;
    };
}

// Moves the complete installer to its name; a file of that name becomes NAME.old.
VerbOutcome PutInPlace(const std::filesystem::path& arriving, const std::filesystem::path& file, bool replacing) {
    namespace fs = std::filesystem;
    const fs::path kept = file.string() + ".old";
    bool keptOld = false;
    std::error_code moved;
    if (replacing) {
        fs::rename(file, kept, moved);
        keptOld = !moved;
    }
    if (!moved) fs::rename(arriving, file, moved);
    if (moved) {
        std::error_code ignored;
        if (keptOld) fs::rename(kept, file, ignored);  // back as it was
        fs::remove(arriving, ignored);
        return VerbOutcome::Failed("the installer could not be put in place as " + file.string() + ": " +
                                   moved.message());
    }
    Json::Value details;
    details["file"] = file.string();
    std::string text = file.string() + "\n";
    if (keptOld) {
        details["kept"] = kept.string();
        text += "the file that was there is kept as " + kept.string() + "\n";
    }
    return VerbOutcome::Done(text, details);
}

VerbOutcome Download(const std::vector<std::string>& args, const AttachedVersionLookup& attachedVersion,
                     std::ostream& err) {
    namespace fs = std::filesystem;
    const std::string& wanted = args[1];
    const fs::path folder = args[2];
    const auto named = [&](const UpdateTargetRow& row) { return ::strcasecmp(wanted.c_str(), row.displayName) == 0; };
    const auto target = std::find_if(UpdateTargetTable.begin(), UpdateTargetTable.end(), named);
    if (target == UpdateTargetTable.end()) {
        std::string names;
        for (const UpdateTargetRow& row : UpdateTargetTable) {
            names += (names.empty() ? "" : ", ") + std::string(row.displayName);
        }
        return VerbOutcome::BadArguments("no update target is named '" + wanted + "'; the targets are " + names);
    }
    std::error_code error;
    if (!fs::is_directory(folder, error)) return VerbOutcome::Failed(folder.string() + " is not a folder");

    const std::string url = UpdateServiceUrl();
    CUpdateClient client(url);
    const TargetAnswer answer = Query(client, *target, attachedVersion);
    const std::string name = answer.row.displayName;
    if (answer.info.name == kNoLinkServer) return VerbOutcome::Failed(Unreachable(url));
    if (answer.info.status == kUpdateNoAnswer) {
        return VerbOutcome::Failed("the update service at " + url + " gave no answer for " + name);
    }
    if (answer.info.status == kUpdateCurrent) {
        return VerbOutcome::Failed(name + " is up to date (" + answer.info.currentText + ", the service offers " +
                                   answer.info.newText + "); nothing was downloaded");
    }
    const std::optional<std::string> fileName = InstallerFileName(answer.info.path);
    if (!fileName) {
        return VerbOutcome::Failed("the installer's address does not end in a plain file name: '" + answer.info.path +
                                   "'; nothing was downloaded");
    }
    const fs::path file = folder / *fileName;
    const fs::file_type existing = fs::symlink_status(file, error).type();
    if (existing != fs::file_type::not_found && existing != fs::file_type::regular) {
        return VerbOutcome::Failed(file.string() + " exists and is not a file; nothing was downloaded");
    }

    // The installer arrives under a hidden name of its own: the file it replaces is kept until it is complete.
    std::string arriving = (folder / ("." + *fileName + ".XXXXXX")).string();
    const int placeholder = ::mkstemp(arriving.data());
    if (placeholder < 0) {
        return VerbOutcome::Failed("cannot create a file in " + folder.string() + ": " + std::strerror(errno));
    }
    ::close(placeholder);
    const bool bar = ::isatty(STDERR_FILENO) == 1;
    DownloadResult downloaded;
    {
        const CancelOnInterrupt interrupt(client);
        downloaded = client.Download(answer.info.path, arriving, bar ? ProgressBar(err) : nullptr);
    }
    if (bar) err << '\n';
    if (!downloaded.ok) {
        fs::remove(arriving, error);
        return VerbOutcome::Failed("the download of " + answer.info.path + " failed: " + downloaded.reason);
    }
    return PutInPlace(arriving, file, existing == fs::file_type::regular);
}

VerbOutcome Update(const std::vector<std::string>& args, const AttachedVersionLookup& attachedVersion,
                   std::ostream& err) {
    if (args == std::vector<std::string>{"check"}) return Check(attachedVersion);
    if (args.size() == 3 && args[0] == "download") return Download(args, attachedVersion, err);
    return VerbOutcome::BadArguments(kUsage);
}

}  // namespace

int RunUpdate(const CliOptions& options, std::ostream& out, std::ostream& err,
              const AttachedVersionLookup& attachedVersion) {
    return PrintOutcome(options.json, Update(options.arguments, attachedVersion, err), out, err);
}

}  // namespace velnor7

#include "profiles/ProfileFile.h"

#include "common/JsonFile.h"
#include "common/NoticeOnce.h"
#include "common/UserNotice.h"
#include "profiles/JsonAccess.h"

#include <utility>

namespace velnor7 {
namespace {

using State = ProfileFileRead::State;

std::string AboutFile(const std::string& path, const std::string& reason) {
    return "The profile file " + path + " " + reason;
}

}  // namespace

ProfileFileRead ReadProfileFile(const std::string& path, Json::ArrayIndex deviceIndex) {
    JsonFileRead read = ReadJsonFile(path);
    switch (read.status) {
    case JsonFileStatus::Ok: break;
    case JsonFileStatus::Missing: return {State::Missing, {}, read.reason};
    case JsonFileStatus::NotRegular:
    case JsonFileStatus::Unreadable: return {State::Untouchable, {}, read.reason};
    case JsonFileStatus::Empty:
    case JsonFileStatus::NotJson: return {State::Broken, {}, read.reason};
    }
    if (!read.value.isObject()) return {State::Broken, {}, "is not a JSON object"};
    // Another shape than the one written here means the file was damaged or edited by
    // hand; repairing it replaces what is there, so it is kept first.
    const Json::Value& devices = MemberOf(read.value, "Device");
    if (!devices.isNull() && !devices.isArray())
        return {State::Broken, std::move(read.value), "has a \"Device\" entry that is not a list"};
    const Json::Value& device = ElementOf(devices, deviceIndex);
    if (!device.isNull() && !device.isObject()) {
        return {State::Broken, std::move(read.value),
                "has a device entry (\"Device\"[" + std::to_string(deviceIndex) + "]) that is not an object"};
    }
    return {State::Usable, std::move(read.value), {}};
}

std::optional<std::string> KeepBeforeRewrite(const std::string& path, const ProfileFileRead& read,
                                             const std::string& consequence) {
    if (read.state == State::Untouchable) {
        UserNoticeOnce(AboutFile(path, read.reason) + "; it was left as it is, and " + consequence + ".");
        return std::nullopt;
    }
    if (read.state != State::Broken) return std::string();
    KeptFileCopy copy = KeepBrokenFile(path);
    if (!copy.kept) {
        UserNoticeOnce(AboutFile(path, read.reason) + ", and it could not be kept aside (" + copy.reason +
                       "); it was left as it is, and " + consequence + ".");
        return std::nullopt;
    }
    return std::move(copy.path);
}

void TellRepair(const std::string& path, const ProfileFileRead& read, const std::string& copy, bool written,
                const std::string& done, const std::string& writeFailure) {
    UserNotice(AboutFile(path, read.reason) + "; it was kept as " + copy +
               (written ? " and " + done + "." : ", but " + writeFailure + "."));
}

}  // namespace velnor7

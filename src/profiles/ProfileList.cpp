#include "profiles/ProfileList.h"

#include "common/FileNames.h"
#include "common/JsonFile.h"
#include "common/NoticeOnce.h"
#include "common/TimestampId.h"
#include "common/UserNotice.h"
#include "profiles/JsonAccess.h"

#include <algorithm>
#include <filesystem>
#include <vector>

namespace velnor7 {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kProfileExtension = ".Json";

Json::Value ListEntry(const std::string& name, const std::string& uuid) {
    Json::Value entry(Json::objectValue);
    entry["profilename"] = name;
    entry["profileUUID"] = uuid;
    entry["profileislink"] = 0;
    entry["profilelinkmame"] = "";
    return entry;
}

Json::Value ListOf(const std::vector<Json::Value>& entries) {
    Json::Value list(Json::objectValue);
    list["profilelist"] = Json::Value(Json::arrayValue);
    for (const Json::Value& entry : entries) list["profilelist"].append(entry);
    list["profileselect"] = 0;
    return list;
}

// What makes a read list unusable, as a phrase after its path; empty when it is usable.
std::string ListProblem(const Json::Value& list) {
    if (!list.isObject()) return "is not a JSON object";
    const Json::Value& profiles = MemberOf(list, "profilelist");
    if (!profiles.isArray()) return "has no list of profiles in \"profilelist\"";
    if (profiles.empty()) return "has an empty \"profilelist\"";
    for (const Json::Value& entry : profiles) {
        // Every identifier becomes a file name.
        if (!IsSafeFileStem(StringOf(MemberOf(entry, "profileUUID"))))
            return "names a profile without a usable \"profileUUID\"";
    }
    return {};
}

std::string ProfilesFound(size_t count) {
    return count == 1 ? "the 1 profile found beside it" : "the " + std::to_string(count) + " profiles found beside it";
}

}  // namespace

CProfileList::CProfileList(std::string userDirectory, std::string defaultProfilePath)
    : userDirectory_(std::move(userDirectory)), defaultProfilePath_(std::move(defaultProfilePath)) {}

Json::Value CProfileList::Load() {
    JsonFileRead read = ReadJsonFile(ListFilePath());
    switch (read.status) {
    case JsonFileStatus::Ok: {
        const std::string problem = ListProblem(read.value);
        if (problem.empty()) {
            status_ = ProfileListStatus::Ok;
            return std::move(read.value);
        }
        return Rebuild(problem);
    }
    case JsonFileStatus::Missing: {
        // The first start: nothing to tell.
        Json::Value list = CreateFirstProfile();
        status_ = list.isNull() ? ProfileListStatus::Unusable : ProfileListStatus::Created;
        return list;
    }
    case JsonFileStatus::NotRegular:
    case JsonFileStatus::Unreadable:
        // Whatever is there is the user's; writing over it could destroy it (or block on a FIFO).
        UserNoticeOnce("The profile list " + ListFilePath() + " " + read.reason +
                       "; it was left as it is, and the default profile is used until it is fixed.");
        status_ = ProfileListStatus::Unusable;
        return Json::Value();
    case JsonFileStatus::Empty:
    case JsonFileStatus::NotJson:
        break;
    }
    return Rebuild(read.reason);
}

Json::Value CProfileList::Rebuild(const std::string& problem) {
    const std::string listPath = ListFilePath();
    const KeptFileCopy copy = KeepBrokenFile(listPath);
    if (!copy.kept) {
        UserNoticeOnce("The profile list " + listPath + " " + problem + ", and it could not be kept aside (" +
                       copy.reason + "); it was left as it is, and the default profile is used until it is fixed.");
        status_ = ProfileListStatus::Unusable;
        return Json::Value();
    }
    const std::string told = "The profile list " + listPath + " " + problem + "; it was kept as " + copy.path;

    Json::Value list = ListOfProfileFiles();
    const bool found = !list.isNull();
    if (!found) {
        list = CreateFirstProfile();
    } else if (!WriteList(list)) {
        list = Json::Value();
    }
    if (list.isNull()) {
        status_ = ProfileListStatus::Unusable;
        return list;
    }
    if (found) {
        UserNotice(told + "; a new list was made from " + ProfilesFound(list["profilelist"].size()) + ".");
    } else {
        UserNotice(told + "; no profiles were found beside it, so a new list with the profile \"profile1\" was made.");
    }
    status_ = ProfileListStatus::Rebuilt;
    return list;
}

Json::Value CProfileList::ListOfProfileFiles() const {
    std::vector<std::pair<std::string, std::string>> found;  // identifier, name
    std::error_code error;
    const fs::path folder = userDirectory_.empty() ? fs::path(".") : fs::path(userDirectory_);
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
        const std::string file = entry->path().filename().string();
        if (file.size() <= kProfileExtension.size() || !file.ends_with(kProfileExtension)) continue;
        const std::string uuid = file.substr(0, file.size() - kProfileExtension.size());
        if (!IsSafeFileStem(uuid)) continue;
        // Only a file that names itself is a profile: copies and strays do not.
        const JsonFileRead profile = ReadJsonFile(entry->path().string());
        if (profile.status != JsonFileStatus::Ok || StringOf(MemberOf(profile.value, "profileUUID")) != uuid) continue;
        const std::string name = StringOf(MemberOf(profile.value, "profilename"));
        found.emplace_back(uuid, name.empty() ? uuid : name);
    }
    if (found.empty()) return Json::Value();
    std::sort(found.begin(), found.end());
    std::vector<Json::Value> entries;
    for (const auto& [uuid, name] : found) entries.push_back(ListEntry(name, uuid));
    return ListOf(entries);
}

Json::Value CProfileList::CreateFirstProfile() {
    const Json::Value first = ListEntry("profile1", NewTimestampId());
    const Json::Value list = ListOf({first});
    if (!WriteList(list)) return Json::Value();

    Json::Value profile = LoadJsonFile(defaultProfilePath_);
    if (!profile.isObject()) profile = Json::Value(Json::objectValue);
    profile["profilename"] = first["profilename"];
    profile["profileUUID"] = first["profileUUID"];
    wirtejsonFile(userDirectory_ + first["profileUUID"].asString() + ".Json", profile);
    return list;
}

bool CProfileList::WriteList(const Json::Value& list) {
    const JsonFileWrite written = WriteJsonFile(ListFilePath(), list);
    if (!written.ok) {
        UserNoticeOnce("The profile list " + ListFilePath() + " " + written.reason +
                       "; the default profile is used until it can be written.");
    }
    return written.ok;
}

std::string CProfileList::CurrentUuid() {
    const Json::Value list = Load();
    if (!list.isObject()) return {};
    const Json::Value& profiles = MemberOf(list, "profilelist");
    const Json::Value& select = MemberOf(list, "profileselect");
    int selected = select.isInt() ? select.asInt() : 0;
    if (selected < 0 || selected >= static_cast<int>(profiles.size())) selected = 0;
    return StringOf(MemberOf(ElementOf(profiles, static_cast<Json::ArrayIndex>(selected)), "profileUUID"));
}

}  // namespace velnor7

#include "profiles/ProfileList.h"

#include "common/JsonFile.h"
#include "common/TimestampId.h"

namespace velnor7 {

CProfileList::CProfileList(std::string userDirectory, std::string defaultProfilePath)
    : userDirectory_(std::move(userDirectory)), defaultProfilePath_(std::move(defaultProfilePath)) {}

Json::Value CProfileList::Load() {
    Json::Value list = LoadJsonFile(ListFilePath());
    if (list.isObject() && list["profilelist"].isArray() && !list["profilelist"].empty()) return list;

    Json::Value first(Json::objectValue);
    first["profilename"] = "profile1";
    first["profileUUID"] = NewTimestampId();
    first["profileislink"] = 0;
    first["profilelinkmame"] = "";
    list = Json::Value(Json::objectValue);
    list["profilelist"] = Json::Value(Json::arrayValue);
    list["profilelist"].append(first);
    list["profileselect"] = 0;
    if (wirtejsonFile(ListFilePath(), list) != 0) return Json::Value();

    Json::Value profile = LoadJsonFile(defaultProfilePath_);
    if (!profile.isObject()) profile = Json::Value(Json::objectValue);
    profile["profilename"] = first["profilename"];
    profile["profileUUID"] = first["profileUUID"];
    wirtejsonFile(userDirectory_ + first["profileUUID"].asString() + ".Json", profile);
    return list;
}

std::string CProfileList::CurrentUuid() {
    const Json::Value list = Load();
    if (!list.isObject()) return {};
    const Json::Value& profiles = list["profilelist"];
    int selected = list["profileselect"].isInt() ? list["profileselect"].asInt() : 0;
    if (selected < 0 || selected >= static_cast<int>(profiles.size())) selected = 0;
    const Json::Value& uuid = profiles[static_cast<Json::ArrayIndex>(selected)]["profileUUID"];
    return uuid.isString() ? uuid.asString() : std::string();
}

}  // namespace velnor7

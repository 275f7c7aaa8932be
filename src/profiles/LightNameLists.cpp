#include "profiles/LightNameLists.h"

#include "common/JsonFile.h"
#include "profiles/JsonAccess.h"
#include "profiles/LightPresets.h"

#include <json/value.h>

namespace velnor7 {
namespace {

// The "LightName" of every element; an element that is not an object still takes
// its place, so that positions keep meaning mode and preset numbers.
std::vector<std::string> NamesOf(const Json::Value& list) {
    std::vector<std::string> names;
    for (Json::ArrayIndex i = 0; i < list.size(); ++i) names.push_back(StringOf(MemberOf(list[i], "LightName")));
    return names;
}

}  // namespace

void LoadLightNameLists(LightNameLists& lists, int kindIndex, const std::string& userDirectory,
                        const std::string& defaultDataDirectory) {
    if (kindIndex < 0) return;
    const auto kind = static_cast<Json::ArrayIndex>(kindIndex);

    const Json::Value names = LoadJsonFile(PathInFolder(defaultDataDirectory, kLightNameFileName));
    if (const Json::Value& modes = ElementOf(MemberOf(names, "DefaultLightName"), kind); modes.isArray()) {
        lists.modes.clear();
        for (Json::ArrayIndex i = 0; i < modes.size(); ++i)
            lists.modes.push_back({StringOf(MemberOf(modes[i], "LightName")), BoolOf(MemberOf(modes[i], "visible"))});
    }
    if (const Json::Value& areas = ElementOf(MemberOf(names, "AreaLightName"), kind); areas.isArray())
        lists.areas = NamesOf(areas);

    const Json::Value userList =
        LoadUserLightList(PathInFolder(userDirectory, kLightListFileName), defaultDataDirectory);
    if (const Json::Value& presets = ElementOf(MemberOf(userList, "LightInfo"), kind); presets.isArray())
        lists.presets = NamesOf(presets);
}

}  // namespace velnor7

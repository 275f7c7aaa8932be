#include "profiles/LightPresets.h"

#include "common/FileNames.h"
#include "common/JsonFile.h"
#include "common/Trace.h"
#include "profiles/JsonAccess.h"

#include <initializer_list>

namespace velnor7 {
namespace {

constexpr FieldKey<EffectStep, uint8_t> kEffectStepKeys[] = {
    {"LEDREGMode", &EffectStep::mode},
    {"LEDBrightness", &EffectStep::brightness},
    {"LEDSpeed", &EffectStep::speed},
    {"LEDDirection", &EffectStep::direction},
    {"LEDMultiColor", &EffectStep::multiColor},
    {"red", &EffectStep::red},
    {"green", &EffectStep::green},
    {"blue", &EffectStep::blue},
};

// The document of the first file that exists among `paths`; empty paths stand for
// a folder that is not known and are skipped. Only a missing file passes the search
// on: one that is there but unusable is the user's and is not replaced by another.
Json::Value LoadFirstPresent(std::initializer_list<std::string> paths) {
    for (const std::string& path : paths) {
        if (path.empty()) continue;
        JsonFileRead read = ReadJsonFile(path);
        if (read.status == JsonFileStatus::Missing) continue;
        if (read.status != JsonFileStatus::Ok) Trace("light file not used: %s %s", path.c_str(), read.reason.c_str());
        return std::move(read.value);
    }
    return Json::Value();
}

}  // namespace

std::string PathInFolder(const std::string& directory, const std::string& name) {
    return directory.empty() ? std::string() : directory + name;
}

Json::Value LoadUserLightList(const std::string& path, const std::string& defaultDataDirectory) {
    return LoadFirstPresent({path, PathInFolder(defaultDataDirectory, kLightListFileName)});
}

std::vector<EffectStep> EffectStepsOf(const Json::Value& preset) {
    const Json::Value& list = MemberOf(preset, "LEDEffectList");
    std::vector<EffectStep> steps(list.isArray() ? list.size() : 0);
    for (Json::ArrayIndex i = 0; i < steps.size(); ++i) {
        EffectStep& step = steps[i];
        ReadFields(list[i], kEffectStepKeys, step);
        // A negative duration would otherwise hold its step for about 49 days.
        const int32_t time = IntOf(MemberOf(list[i], "Time"));
        step.time = time < 0 ? 0 : static_cast<uint32_t>(time);
        step.cyle = static_cast<uint32_t>(IntOf(MemberOf(list[i], "Cyle")));
    }
    return steps;
}

std::vector<EffectStep> LoadPresetSteps(const std::string& guid, const std::string& userDirectory,
                                        const std::string& defaultDataDirectory) {
    if (!IsSafeFileStem(guid)) {
        Trace("light preset refused as a file name: %s", guid.c_str());
        return {};
    }
    const std::string file = guid + kLightPresetExtension;
    return EffectStepsOf(
        LoadFirstPresent({PathInFolder(userDirectory, file), PathInFolder(defaultDataDirectory, file)}));
}

}  // namespace velnor7

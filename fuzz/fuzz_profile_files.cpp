// Profile documents come from disk and from imports: every reader must take any bytes.
#include "profiles/CKeyboardProfiledata.h"
#include "profiles/CMouseProfiledata.h"
#include "profiles/CVa6533Profiledata.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace {

const std::filesystem::path& Folder() {
    static const std::filesystem::path folder = [] {
        auto path = std::filesystem::temp_directory_path() / ("velnor7_fuzz_profile_" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
        return path;
    }();
    return folder;
}

void Write(const std::filesystem::path& path, const uint8_t* data, size_t size) {
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                                 static_cast<std::streamsize>(size));
}

// A broken profile is kept aside before its repair; the copies of one input are not needed
// for the next.
void RemoveBrokenCopies() {
    std::error_code error;
    for (std::filesystem::directory_iterator entry(Folder(), error), end; !error && entry != end; entry.increment(error)) {
        if (entry->path().filename().string().find(".broken-") != std::string::npos) {
            std::filesystem::remove(entry->path(), error);
        }
    }
}

void LoadAll(velnor7::CBasicProfiledata& data, const std::string& profile, const std::string& fallback) {
    data.SetDefaultPath(fallback);
    data.Load(profile);
    data.ReadLightInfo();
    data.ReadLightList();
    data.ReadKeyList();
    RemoveBrokenCopies();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The bytes serve both as the profile and as the default it is repaired from.
    const std::string profile = (Folder() / "profile.Json").string();
    const std::string fallback = (Folder() / "default.Json").string();
    Write(profile, data, size);
    Write(fallback, data, size);

    velnor7::CKeyboardProfiledata keyboard;
    LoadAll(keyboard, profile, fallback);
    keyboard.ReadSystemStages();
    keyboard.ReadCustomColours(keyboard.ReadCustomGroupIndex(), 126);

    Write(profile, data, size);
    velnor7::CMouseProfiledata mouse;
    LoadAll(mouse, profile, fallback);
    mouse.ReadDpiStages();
    mouse.ReadMouseSystem();
    mouse.ReadCorrectInfo();

    Write(profile, data, size);
    velnor7::CVa6533Profiledata headset;
    LoadAll(headset, profile, fallback);
    headset.ReadHeadsetSettings();
    headset.ReadEqValues(13);
    headset.ReadEqValues(20);
    headset.ReadCustomEqNames();
    headset.ReadCustomEqValues(0);
    return 0;
}

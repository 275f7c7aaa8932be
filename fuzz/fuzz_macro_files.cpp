// Macro files arrive from other machines by import, and list files are edited by
// hand: the same bytes go through the readers as a macro file and as a list file
// whose Guids may name that macro file.
#include "macros/MacroEvent.h"
#include "macros/MacroFiles.h"
#include "macros/MacroLibrary.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace {

const std::filesystem::path& FuzzFolder() {
    static const std::filesystem::path folder = [] {
        std::filesystem::path path =
            std::filesystem::temp_directory_path() / ("velnor7_fuzz_macro_" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
        return path;
    }();
    return folder;
}

void WriteBytes(const std::filesystem::path& path, const uint8_t* data, size_t size) {
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                                  static_cast<std::streamsize>(size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::filesystem::path& folder = FuzzFolder();
    WriteBytes(folder / "fuzz.mac", data, size);
    WriteBytes(folder / std::string(velnor7::kMacroListFileName), data, size);

    for (const velnor7::MacroEvent& event : velnor7::ReadMacroFileEvents(folder / "fuzz.mac")) {
        velnor7::MacroEventDeviceForm(event);
        velnor7::MacroEventToJson(event);
    }
    for (const auto& events : velnor7::ReadAllMacroEvents(folder))
        for (const velnor7::MacroEvent& event : events) velnor7::MacroEventDeviceForm(event);

    velnor7::MacroLibrary library(folder);
    library.LoadList();
    for (size_t index = 0; index < library.Macros().size(); ++index) library.LoadMacroEvents(index);
    return 0;
}

#include "common/Paths.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace velnor7 {
namespace fs = std::filesystem;

namespace {

std::string WithSlash(std::string directory) {
    if (directory.empty() || directory.back() != '/') directory += '/';
    return directory;
}

}  // namespace

std::string ProgramDirectory() {
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
    if (error) return WithSlash(fs::current_path(error).string());
    return WithSlash(executable.parent_path().string());
}

std::string DataRootDirectory() {
    const std::string besideProgram = ProgramDirectory();
    std::error_code error;
    if (fs::is_directory(besideProgram + "DefaultData", error) || fs::is_directory(besideProgram + "skin", error))
        return besideProgram;
    return WithSlash(VELNOR7_INSTALLED_DATA_DIR);
}

std::string DefaultDataDirectory() { return DataRootDirectory() + "DefaultData/"; }
std::string SkinDirectory() { return DataRootDirectory() + "skin/"; }
std::string FontDirectory() { return DataRootDirectory() + "Font/"; }

std::string UserDataDirectory(const std::string& typeName) {
    std::string base;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && xdg[0] == '/') {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
        base = std::string(home) + "/.local/share";
    } else {
        base = fs::temp_directory_path().string();
    }
    std::string directory = WithSlash(base) + "VELNOR7/";
    if (!typeName.empty()) directory += typeName + "/";
    std::error_code error;
    fs::create_directories(directory, error);
    return directory;
}

}  // namespace velnor7

#include "common/FileNames.h"

namespace velnor7 {

bool IsSafeFileStem(std::string_view name) {
    if (name.empty() || name.size() > 200 || name == "." || name == "..") return false;
    for (const char c : name)
        if (c == '/' || c == '\\' || c == '\0' || c == ':') return false;
    return name.find("..") == std::string_view::npos;
}

}  // namespace velnor7

// A notice about a lasting condition (a settings file that is a folder, say) is
// met again by every later load of that file; the user needs to read it once.
#pragma once

#include <string>

namespace velnor7 {

// UserNotice, unless this process gave the same text before.
void UserNoticeOnce(const std::string& text);

}  // namespace velnor7

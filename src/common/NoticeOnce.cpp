#include "common/NoticeOnce.h"

#include "common/UserNotice.h"

#include <mutex>
#include <set>

namespace velnor7 {

void UserNoticeOnce(const std::string& text) {
    static std::mutex mutex;
    static std::set<std::string> given;
    {
        std::lock_guard lock(mutex);
        if (!given.insert(text).second) return;
    }
    UserNotice(text);
}

}  // namespace velnor7

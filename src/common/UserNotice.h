// Messages for the person using the program: a settings file that could not be
// read and was kept aside, a device that could not be read or written.
//
// Each notice is also a trace line. The desktop program shows notices in its
// window, velnor7ctl prints them on stderr; without a sink they are only traced.
// UserNotice may be called from any thread; the sink runs on the caller's thread.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace velnor7 {

void UserNotice(const std::string& text);

using NoticeSink = std::function<void(const std::string& text)>;
// Installs the process's sink; returns the one it replaces. An empty sink removes it.
NoticeSink SetNoticeSink(NoticeSink sink);

// Collects every notice of the process while it lives, beside the installed sink
// (one capture at a time); for tests.
class NoticeCapture {
public:
    NoticeCapture();
    ~NoticeCapture();
    NoticeCapture(const NoticeCapture&) = delete;
    NoticeCapture& operator=(const NoticeCapture&) = delete;

    std::vector<std::string> Notices() const;
    // True when some notice contains `part`.
    bool Mentions(const std::string& part) const;
};

}  // namespace velnor7

// A profile file as read before its device document is used or replaced: what
// stands in the way, and keeping a copy of a broken file before it is rewritten.
#pragma once

#include <json/value.h>

#include <optional>
#include <string>

namespace velnor7 {

struct ProfileFileRead {
    enum class State {
        Usable,       // an object whose "Device"[index] is an object, or absent and to be completed
        Missing,      // no file: one is to be made
        Broken,       // does not parse, is not an object, or its "Device" has the wrong shape
        Untouchable,  // not a regular file, or cannot be read: never to be written
    };
    State state = State::Usable;
    Json::Value file;    // the whole document; null when missing or it did not parse
    std::string reason;  // when Broken or Untouchable: completes "The profile file <path> …"
};

ProfileFileRead ReadProfileFile(const std::string& path, Json::ArrayIndex deviceIndex);

// Before a profile file is rewritten: a broken one is kept as a ".broken-" copy,
// whose path is returned; for any other file the result is empty. Nothing is
// returned when the file must be left alone (untouchable, or no copy could be
// made); the user has then been told so, followed by `consequence` ("the changes
// were not saved").
std::optional<std::string> KeepBeforeRewrite(const std::string& path, const ProfileFileRead& read,
                                             const std::string& consequence);

// Tells the user that the broken file at `path` was kept as `copy` and then
// rewritten (`done`, e.g. "its device settings were reset to the defaults"), or
// why the rewrite failed.
void TellRepair(const std::string& path, const ProfileFileRead& read, const std::string& copy, bool written,
                const std::string& done, const std::string& writeFailure);

}  // namespace velnor7

// How the file layer words what it finds. Every reason completes the sentence
// "The file <path> …", so callers can put it into a message as it is.
#pragma once

#include <string>

namespace velnor7 {

// "is a folder, not a file", "is a named pipe (FIFO), not a file", … for a file
// type (the st_mode of stat) that is not a regular file.
std::string NotAFileReason(unsigned mode);

// The system's text of an errno value, e.g. "Permission denied".
std::string SystemErrorText(int error);

}  // namespace velnor7

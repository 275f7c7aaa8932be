#include "platform/files/FileKind.h"

#include <sys/stat.h>

#include <system_error>

namespace velnor7 {

std::string NotAFileReason(unsigned mode) {
    if (S_ISDIR(mode)) return "is a folder, not a file";
    if (S_ISFIFO(mode)) return "is a named pipe (FIFO), not a file";
    if (S_ISSOCK(mode)) return "is a socket, not a file";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "is a device, not a file";
    return "is not a regular file";
}

std::string SystemErrorText(int error) { return std::generic_category().message(error); }

}  // namespace velnor7

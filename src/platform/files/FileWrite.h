// Writing a settings file so that it always holds either its old or its new
// contents, also after a crash or a power loss in the middle of the write.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velnor7 {

struct FileWriteResult {
    bool ok = false;
    std::string reason;  // when not ok: completes "The file <path> …"
    int error = 0;       // errno of the call that failed; 0 when none failed
};

// Replaces the file at `path` with `bytes`:
// - a symlink is followed to its final target, which is written; the link stays;
// - a target that exists and is not a regular file is refused, never replaced;
// - the bytes go to "<name>.tmp-<pid>-<n>" in the target's folder, which gets the
//   old file's permission bits (a new file: `newFilePermissions`, else 0666 less
//   the umask), are synced to disk, and the file is renamed over the target; then
//   the folder is synced so that the rename itself survives a power loss;
// - on failure the temporary file is removed and the target is left as it was.
// Before writing, temporary files of the same target left by a process that no
// longer runs (a killed run) are removed.
FileWriteResult WriteFileDurably(const std::string& path, std::string_view bytes,
                                 std::optional<unsigned> newFilePermissions = std::nullopt);

}  // namespace velnor7

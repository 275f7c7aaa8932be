// The user's settings file of the desktop program (language, what it has told the user).
#pragma once

#include <QSettings>

#include <memory>

namespace velnor7 {

// The user's settings: the file QSettings("VELNOR7", "VELNOR7") keeps, without the
// system-wide files that it would read as well. QSettings reads its file as soon as
// it is made, so a folder or FIFO in the file's place is found before: reading a FIFO
// would block the program for good. Null then; the user is told once.
std::unique_ptr<QSettings> OpenUserSettings();

}  // namespace velnor7

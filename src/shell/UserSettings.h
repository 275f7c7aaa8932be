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
// Any INI file of the program, with the same guard; `problem` gets the reason when it is null.
std::unique_ptr<QSettings> OpenIniFile(const QString& file, std::string& problem);

}  // namespace velnor7

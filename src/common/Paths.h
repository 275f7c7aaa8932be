// Where the program finds its shipped data and keeps the user's data.
// Every directory returned ends with '/'.
#pragma once

#include <string>

namespace velnor7 {

// The directory of the running executable.
std::string ProgramDirectory();

// The folder holding DefaultData/, skin/ and Font/: the program directory when
// they ship beside the executable, else the installed data folder.
std::string DataRootDirectory();
std::string DefaultDataDirectory();
std::string SkinDirectory();
std::string FontDirectory();

// $XDG_DATA_HOME (or ~/.local/share), then "VELNOR7/", then the type name
// ("keyboard", "mouse", "MousePad", "HD"); created when missing. An empty type
// name gives the application's own folder.
std::string UserDataDirectory(const std::string& typeName);

}  // namespace velnor7

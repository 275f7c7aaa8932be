// The profile list of a device kind: "ProfileList.ini" (a JSON document despite its name)
// in the kind's user data folder, naming every profile file and the selected one.
#pragma once

#include <string>

#include <json/json.h>

namespace velnor7 {

class CProfileList {
public:
    CProfileList(std::string userDirectory, std::string defaultProfilePath);

    // Reads the list. A missing, broken or empty list is replaced by one profile "profile1"
    // whose file is made from the default profile. Returns the list document.
    Json::Value Load();
    // The identifier of the selected profile (the first when the selection is out of range);
    // empty when the list cannot be read or written.
    std::string CurrentUuid();
    std::string ListFilePath() const { return userDirectory_ + "ProfileList.ini"; }

private:
    std::string userDirectory_;
    std::string defaultProfilePath_;
};

}  // namespace velnor7

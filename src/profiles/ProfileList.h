// The profile list of a device kind: "ProfileList.ini" (a JSON document despite its name)
// in the kind's user data folder, naming every profile file and the selected one.
#pragma once

#include <string>

#include <json/json.h>

namespace velnor7 {

// What the last Load found.
enum class ProfileListStatus {
    Ok,        // the list file was used as it is
    Created,   // there was none (first start): a list with "profile1" and its file were made
    Rebuilt,   // it could not be used: it was kept as a ".broken-" copy and made anew
               // from the profile files beside it, or with "profile1" when there are none
    Unusable,  // it is not a regular file, cannot be read, could not be kept aside, or
               // no new list could be written: the file was left as it is and there is no list
};

class CProfileList {
public:
    CProfileList(std::string userDirectory, std::string defaultProfilePath);

    // Reads the list. A missing list is replaced by one profile "profile1" whose file is made
    // from the default profile. A list that cannot be used is kept aside and rebuilt from the
    // profile files in the folder; the user is told. Returns the list document, or a null
    // value when there is no usable list (Status() tells why).
    Json::Value Load();
    ProfileListStatus Status() const { return status_; }
    // The identifier of the selected profile (the first when the selection is out of range);
    // empty when there is no usable list: the caller then works from the default profile.
    std::string CurrentUuid();
    std::string ListFilePath() const { return userDirectory_ + "ProfileList.ini"; }

private:
    Json::Value Rebuild(const std::string& problem);
    // The list naming every profile file of the folder, in identifier order; null when
    // there is none.
    Json::Value ListOfProfileFiles() const;
    // A list with a new "profile1" whose file is made from the default profile; null when
    // the list cannot be written.
    Json::Value CreateFirstProfile();
    bool WriteList(const Json::Value& list);

    std::string userDirectory_;
    std::string defaultProfilePath_;
    ProfileListStatus status_ = ProfileListStatus::Ok;
};

}  // namespace velnor7

#include "profiles/ProfileManager.h"

#include <gtest/gtest.h>

#include "ProfileTestSupport.h"
#include "common/JsonFile.h"
#include "support/SpecialFiles.h"

#include <set>

namespace velnor7 {
namespace {

namespace fs = std::filesystem;
using testing::EntriesContaining;
using testing::ProfileFolderTest;

class ProfileManagerTest : public ProfileFolderTest {
protected:
    void SetUp() override {
        ProfileFolderTest::SetUp();
        Json::Value device;
        device["LightInfo"]["SelectItem"] = 4;
        device["CustomEQNameInfo"][0]["Name"] = "factory";
        defaults_ = WriteDefaults(device);
        fs::create_directory(PathOf("user"));
    }

    CProfileManager Manager(int typeCode = 1) const { return CProfileManager(PathOf("user/"), defaults_, typeCode); }
    Json::Value List() const { return LoadJsonFile(PathOf("user/ProfileList.ini")); }
    Json::Value ProfileFile(const std::string& uuid) const { return LoadJsonFile(PathOf("user/" + uuid + ".Json")); }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const ProfileEntry& profile : Manager().Profiles()) names.push_back(profile.name);
        return names;
    }
    // A profile named `name` added through the manager.
    ProfileEntry Added(const std::string& name) const {
        CProfileManager manager = Manager();
        const ProfileResult added = manager.Add();
        EXPECT_TRUE(added.Ok()) << added.reason;
        EXPECT_TRUE(manager.Rename(added.index, name).Ok());
        return {name, added.profile.uuid};
    }

    std::string defaults_;
};

TEST(ProfileNames, NewNamesFollowTheirPatternsIgnoringLetterCase) {
    EXPECT_EQ(CProfileManager::AddedName({"profile1", "PROFILE2"}), "profile3");
    EXPECT_EQ(CProfileManager::AddedName({"profile2"}), "profile1");
    EXPECT_EQ(CProfileManager::CopiedName("A", {"A", "a COPY"}), "A copy copy");
    EXPECT_EQ(CProfileManager::CopiedName("Game", {"Game"}), "Game copy");
    EXPECT_EQ(CProfileManager::ImportedName("A", {"A", "A(1)"}), "A(1)(2)");
    EXPECT_EQ(CProfileManager::ImportedName("B", {"A"}), "B");
}

TEST_F(ProfileManagerTest, AddWritesTheNewProfileAsTheSelectionAndStopsAt50WhileCopyGoesOn) {
    CProfileManager manager = Manager();
    ASSERT_EQ(manager.Profiles().size(), 1u);  // the first start made "profile1"
    const ProfileResult added = manager.Add();
    ASSERT_TRUE(added.Ok()) << added.reason;
    EXPECT_EQ(added.profile.name, "profile2");
    EXPECT_EQ(List()["profileselect"].asInt(), 1) << "the next start uses the new profile";
    EXPECT_EQ(ProfileFile(added.profile.uuid)["Device"][0]["LightInfo"]["SelectItem"].asInt(), 4);
    EXPECT_EQ(ProfileFile(added.profile.uuid)["profilename"].asString(), "profile2");

    while (manager.Profiles().size() < kMaxAddedProfiles) ASSERT_TRUE(manager.Add().Ok());
    EXPECT_EQ(manager.Add().status, ProfileStatus::LimitReached);
    const ProfileResult copied = manager.Copy(0);
    ASSERT_TRUE(copied.Ok()) << copied.reason;
    EXPECT_EQ(manager.Profiles().size(), kMaxAddedProfiles + 1);
    EXPECT_EQ(copied.profile.name, "profile1 copy");

    // Made within the same milliseconds, yet every profile has a file of its own.
    std::set<std::string> uuids;
    for (const ProfileEntry& profile : manager.Profiles()) {
        uuids.insert(profile.uuid);
        EXPECT_TRUE(ProfileFile(profile.uuid).isObject()) << profile.uuid;
    }
    EXPECT_EQ(uuids.size(), kMaxAddedProfiles + 1);
}

TEST_F(ProfileManagerTest, CopyTakesTheSettingsOfItsSourceUnderItsOwnName) {
    const ProfileEntry game = Added("Game");
    Json::Value file = ProfileFile(game.uuid);
    file["Device"][0]["LightInfo"]["SelectItem"] = 9;
    wirtejsonFile(PathOf("user/" + game.uuid + ".Json"), file);
    CProfileManager manager = Manager();
    const ProfileResult copied = manager.Copy(1);
    ASSERT_TRUE(copied.Ok());
    const Json::Value copy = ProfileFile(copied.profile.uuid);
    EXPECT_EQ(copy["profilename"].asString(), "Game copy");
    EXPECT_EQ(copy["profileUUID"].asString(), copied.profile.uuid);
    EXPECT_EQ(copy["Device"][0]["LightInfo"]["SelectItem"].asInt(), 9);
    EXPECT_EQ(manager.Copy(7).status, ProfileStatus::NoSuchProfile);
}

TEST_F(ProfileManagerTest, DeleteSelectsTheProfileBeforeAndNeverTheLastOne) {
    const ProfileEntry second = Added("Second");
    Added("Third");
    CProfileManager manager = Manager();
    const std::string first = manager.Profiles()[0].uuid;
    ASSERT_TRUE(manager.Select(0).Ok());

    ProfileResult deleted = manager.Delete(0);
    ASSERT_TRUE(deleted.Ok()) << deleted.reason;
    EXPECT_EQ(deleted.index, 0u);
    EXPECT_EQ(List()["profileselect"].asInt(), 0);
    EXPECT_FALSE(fs::exists(PathOf("user/" + first + ".Json")));
    EXPECT_EQ(Names(), (std::vector<std::string>{"Second", "Third"}));

    ASSERT_TRUE(manager.Select(1).Ok());
    deleted = manager.Delete(1);
    EXPECT_EQ(deleted.index, 0u);
    EXPECT_EQ(deleted.profile.uuid, second.uuid);
    // Deleting another profile than the selected one keeps the selection on its profile.
    const ProfileEntry fourth = Added("Fourth");
    ASSERT_TRUE(manager.Select(1).Ok());
    deleted = manager.Delete(0);
    EXPECT_EQ(deleted.profile.uuid, fourth.uuid);
    EXPECT_EQ(manager.SelectedIndex(), 0);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Fourth"}));
    EXPECT_EQ(manager.Delete(0).status, ProfileStatus::LastProfile);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Fourth"}));
}

TEST_F(ProfileManagerTest, DeletingTheOnlyProfileIsRefused) {
    CProfileManager manager = Manager();
    EXPECT_EQ(manager.Delete(0).status, ProfileStatus::LastProfile);
    EXPECT_EQ(Names(), (std::vector<std::string>{"profile1"}));
}

TEST_F(ProfileManagerTest, RenameRefusesAnotherProfilesNameButNotItsOwnInAnotherCase) {
    Added("Game");
    CProfileManager manager = Manager();
    EXPECT_EQ(manager.Rename(0, "GAME").status, ProfileStatus::NameInUse);
    EXPECT_EQ(manager.Rename(0, "").status, ProfileStatus::EmptyName);
    EXPECT_EQ(Names(), (std::vector<std::string>{"profile1", "Game"}));
    const ProfileResult renamed = manager.Rename(1, "gAmE");
    ASSERT_TRUE(renamed.Ok()) << renamed.reason;
    EXPECT_EQ(Names(), (std::vector<std::string>{"profile1", "gAmE"}));
    EXPECT_EQ(ProfileFile(renamed.profile.uuid)["profilename"].asString(), "gAmE");
}

TEST_F(ProfileManagerTest, ResetKeepsTheOldSettingsBesideAndAHeadsetKeepsItsEqualiser) {
    CProfileManager headset = Manager(7);
    const ProfileEntry profile = headset.Profiles()[0];
    Json::Value file = ProfileFile(profile.uuid);
    file["Device"][0]["LightInfo"]["SelectItem"] = 11;
    file["Device"][0]["CustomEQNameInfo"][0]["Name"] = "mine";
    file["Device"][0]["CustomEQHzValueInfo"][0][0]["value"] = 6;
    wirtejsonFile(PathOf("user/" + profile.uuid + ".Json"), file);

    ASSERT_TRUE(headset.Reset(0).Ok());
    const Json::Value reset = ProfileFile(profile.uuid);
    EXPECT_EQ(reset["Device"][0]["LightInfo"]["SelectItem"].asInt(), 4);
    EXPECT_EQ(reset["profilename"].asString(), profile.name);
    EXPECT_EQ(reset["profileUUID"].asString(), profile.uuid);
    EXPECT_EQ(reset["Device"][0]["CustomEQNameInfo"][0]["Name"].asString(), "mine");
    EXPECT_EQ(reset["Device"][0]["CustomEQHzValueInfo"][0][0]["value"].asInt(), 6);
    const std::vector<std::string> kept = EntriesContaining(folder_ / "user", profile.uuid + ".Json.before-reset-");
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(LoadJsonFile((folder_ / "user" / kept[0]).string())["Device"][0]["LightInfo"]["SelectItem"].asInt(), 11);

    // A keyboard's reset takes the default's equaliser names like everything else.
    ASSERT_TRUE(Manager(1).Reset(0).Ok());
    EXPECT_EQ(ProfileFile(profile.uuid)["Device"][0]["CustomEQNameInfo"][0]["Name"].asString(), "factory");
}

TEST_F(ProfileManagerTest, ImportCopiesAProfileUnderAFreeNameAndRefusesAnythingElse) {
    Added("A");
    Added("A(1)");
    Json::Value outside;
    outside["profilename"] = "A";
    outside["profileUUID"] = "elsewhere";
    outside["Device"][0]["LightInfo"]["SelectItem"] = 3;
    wirtejsonFile(PathOf("outside.json"), outside);
    CProfileManager manager = Manager();
    const ProfileResult imported = manager.Import(PathOf("outside.json"));
    ASSERT_TRUE(imported.Ok()) << imported.reason;
    EXPECT_EQ(imported.profile.name, "A(1)(2)");
    EXPECT_NE(imported.profile.uuid, "elsewhere");
    EXPECT_EQ(ProfileFile(imported.profile.uuid)["Device"][0]["LightInfo"]["SelectItem"].asInt(), 3);
    EXPECT_EQ(LoadJsonFile(PathOf("outside.json")), outside) << "the imported file itself is not changed";

    Json::Value nameless = outside;
    nameless.removeMember("profilename");
    wirtejsonFile(PathOf("nameless.json"), nameless);
    WriteText("broken.json", "{\"profilename\": ");
    const size_t before = manager.Profiles().size();
    EXPECT_EQ(manager.Import(PathOf("nameless.json")).status, ProfileStatus::NotAProfile);
    EXPECT_EQ(manager.Import(PathOf("broken.json")).status, ProfileStatus::NotAProfile);
    EXPECT_EQ(manager.Import(PathOf("missing.json")).status, ProfileStatus::ReadFailed);
    EXPECT_EQ(manager.Profiles().size(), before);
}

TEST_F(ProfileManagerTest, ExportWritesTheProfileAsItIsAndReplacesAFileOnlyWhenAsked) {
    CProfileManager manager = Manager();
    const std::string uuid = manager.Profiles()[0].uuid;
    ASSERT_TRUE(manager.Export(0, PathOf("out.json"), false).Ok());
    EXPECT_EQ(LoadJsonFile(PathOf("out.json")), ProfileFile(uuid));
    WriteText("taken.json", "mine");
    const ProfileResult refused = manager.Export(0, PathOf("taken.json"), false);
    EXPECT_EQ(refused.status, ProfileStatus::Exists);
    EXPECT_EQ(ReadText("taken.json"), "mine");
    EXPECT_TRUE(manager.Export(0, PathOf("taken.json"), true).Ok());
    EXPECT_EQ(LoadJsonFile(PathOf("taken.json"))["profileUUID"].asString(), uuid);
}

TEST_F(ProfileManagerTest, SelectWritesTheSelectionAndNamesAreFoundInAnyCase) {
    Added("Work");
    CProfileManager manager = Manager();
    EXPECT_EQ(manager.IndexOfName("WORK"), 1);
    EXPECT_EQ(manager.IndexOfName("Play"), -1);
    ASSERT_TRUE(manager.Select(0).Ok());
    EXPECT_EQ(manager.SelectedIndex(), 0);
    EXPECT_EQ(manager.Select(5).status, ProfileStatus::NoSuchProfile);
    EXPECT_EQ(manager.SelectedIndex(), 0);
}

}  // namespace
}  // namespace velnor7

#include "profiles/ProfileList.h"

#include <gtest/gtest.h>

#include "common/JsonFile.h"
#include "common/UserNotice.h"
#include "ProfileTestSupport.h"
#include "support/SpecialFiles.h"

namespace velnor7 {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using testing::BytesOf;
using testing::EntriesContaining;
using testing::FileSizeLimit;
using testing::MakeFifo;
using testing::ProfileFolderTest;

class ProfileListTest : public ProfileFolderTest {
protected:
    void SetUp() override {
        ProfileFolderTest::SetUp();
        Json::Value device;
        device["LightInfo"]["SelectItem"] = 4;
        defaults_ = WriteDefaults(device);
        fs::create_directory(PathOf("user"));
    }

    CProfileList List() const { return CProfileList(PathOf("user/"), defaults_); }
    std::string ListFile() const { return PathOf("user/ProfileList.ini"); }
    void WriteProfile(const std::string& file, const std::string& uuid, const Json::Value& name) const {
        Json::Value profile;
        profile["profileUUID"] = uuid;
        if (!name.isNull()) profile["profilename"] = name;
        profile["Device"][0]["LightInfo"]["SelectItem"] = 1;
        wirtejsonFile(PathOf("user/" + file), profile);
    }

    // "id=name" of every entry.
    static std::string Listed(const Json::Value& list) {
        std::string listed;
        for (const Json::Value& entry : list["profilelist"])
            listed += (listed.empty() ? "" : " ") + entry["profileUUID"].asString() + "=" +
                      entry["profilename"].asString();
        return listed;
    }

    std::string defaults_;
};

TEST_F(ProfileListTest, FirstStartMakesProfile1FromTheDefaultsWithoutANotice) {
    NoticeCapture notices;
    CProfileList list = List();
    const std::string uuid = list.CurrentUuid();
    EXPECT_EQ(list.Status(), ProfileListStatus::Created);

    Json::Value expected;
    expected["profilelist"][0] = Json::Value(Json::objectValue);
    for (const auto& [key, value] : {std::pair<const char*, Json::Value>{"profilename", "profile1"},
                                     {"profileUUID", uuid}, {"profileislink", 0}, {"profilelinkmame", ""}})
        expected["profilelist"][0][key] = value;
    expected["profileselect"] = 0;
    EXPECT_EQ(LoadJsonFile(ListFile()), expected);
    EXPECT_EQ(LoadJsonFile(PathOf("user/" + uuid + ".Json"))["Device"][0]["LightInfo"]["SelectItem"].asInt(), 4);
    EXPECT_TRUE(notices.Notices().empty());
    EXPECT_TRUE(EntriesContaining(PathOf("user"), ".broken-").empty());

    // The next start uses the list as it is.
    EXPECT_EQ(list.CurrentUuid(), uuid);
    EXPECT_EQ(list.Status(), ProfileListStatus::Ok);
}

TEST_F(ProfileListTest, BrokenListIsKeptAsideAndTheProfilesBesideItAreFoundAgain) {
    WriteProfile("2024_05_01_10_00_00_000.Json", "2024_05_01_10_00_00_000", "Work");
    WriteProfile("2023_01_01_00_00_00_000.Json", "2023_01_01_00_00_00_000", Json::Value());  // no name
    WriteProfile("stray.Json", "someone_else", "Stray");  // does not name itself: not a profile
    WriteText("user/broken.Json", "{\"profileUUID\": ");
    WriteText("user/notes.txt", "{\"profileUUID\": \"notes\"}");

    const std::string cases[] = {
        "{\"profilelist\": [{\"profilename\": \"Work\", \"profileUU",  // cut off by a crash
        "{\"profilelist\": [\0\0\0\0\0\0"s,  // zero-filled after a power loss
        "",
        "{\"profilelist\": {\"profilename\": \"Work\"}, \"profileselect\": 0}",
        "{\"profilelist\": [], \"profileselect\": 0}",
        "{\"profilelist\": [7], \"profileselect\": 0}",
        "{\"profilelist\": [{\"profileUUID\": \"../../outside\"}]}",
        "[\"profilelist\"]",
    };
    for (const std::string& broken : cases) {
        SCOPED_TRACE(broken);
        for (const std::string& old : EntriesContaining(PathOf("user"), ".broken-")) fs::remove(PathOf("user/" + old));
        WriteText("user/ProfileList.ini", broken);
        NoticeCapture notices;

        CProfileList list = List();
        EXPECT_EQ(list.CurrentUuid(), "2023_01_01_00_00_00_000");
        EXPECT_EQ(list.Status(), ProfileListStatus::Rebuilt);

        // In identifier order; a profile without a name is listed under its identifier.
        const Json::Value rebuilt = LoadJsonFile(ListFile());
        EXPECT_EQ(Listed(rebuilt), "2023_01_01_00_00_00_000=2023_01_01_00_00_00_000 2024_05_01_10_00_00_000=Work");
        EXPECT_EQ(rebuilt["profileselect"].asInt(), 0);

        const std::vector<std::string> copies = EntriesContaining(PathOf("user"), "ProfileList.ini.broken-");
        ASSERT_EQ(copies.size(), 1u);
        EXPECT_EQ(BytesOf(PathOf("user/" + copies[0])), broken);

        ASSERT_EQ(notices.Notices().size(), 1u);
        EXPECT_TRUE(notices.Mentions(ListFile()));
        EXPECT_TRUE(notices.Mentions("kept as " + PathOf("user/" + copies[0])));
        EXPECT_TRUE(notices.Mentions("2 profiles found")) << notices.Notices()[0];
    }
    // Nothing else was touched.
    EXPECT_EQ(LoadJsonFile(PathOf("user/stray.Json"))["profilename"].asString(), "Stray");
    EXPECT_EQ(ReadText("user/broken.Json"), "{\"profileUUID\": ");

    // Without profiles beside it, the new list starts with "profile1".
    fs::remove(PathOf("user/2024_05_01_10_00_00_000.Json"));
    fs::remove(PathOf("user/2023_01_01_00_00_00_000.Json"));
    WriteText("user/ProfileList.ini", cases[0]);
    NoticeCapture notices;
    CProfileList list = List();
    const std::string uuid = list.CurrentUuid();
    EXPECT_EQ(Listed(LoadJsonFile(ListFile())), uuid + "=profile1");
    EXPECT_TRUE(fs::exists(PathOf("user/" + uuid + ".Json")));
    EXPECT_TRUE(notices.Mentions("no profiles were found beside it, so a new list with the profile \"profile1\""));
}

TEST_F(ProfileListTest, ListThatIsNotAFileIsLeftAloneAndNamesNoProfile) {
    const struct {
        const char* what;
        bool (*make)(const fs::path&);
    } cases[] = {
        {"is a folder, not a file", [](const fs::path& path) { return fs::create_directory(path); }},
        {"is a named pipe (FIFO), not a file", MakeFifo},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(PathOf("user"));
        fs::create_directory(PathOf("user"));
        ASSERT_TRUE(c.make(ListFile()));
        NoticeCapture notices;

        CProfileList list = List();
        EXPECT_TRUE(list.Load().isNull());
        EXPECT_EQ(list.Status(), ProfileListStatus::Unusable);
        EXPECT_EQ(list.CurrentUuid(), "");
        EXPECT_EQ(notices.Notices().size(), 1u) << "told once, however often it is loaded";
        EXPECT_TRUE(notices.Mentions(ListFile() + " " + c.what));
        // Only the list's own entry is in the folder: no copy, no new profile.
        EXPECT_EQ(std::distance(fs::directory_iterator(PathOf("user")), fs::directory_iterator()), 1);
        EXPECT_NE(fs::status(ListFile()).type(), fs::file_type::regular);
    }
}

TEST_F(ProfileListTest, BrokenListThatCannotBeKeptAsideIsNotOverwritten) {
    WriteProfile("2024_05_01_10_00_00_000.Json", "2024_05_01_10_00_00_000", "Work");
    const std::string broken = "{\"profilelist\": [{\"profilename\": \"Work\", \"profileUUID\": \"2024_05_01";
    WriteText("user/ProfileList.ini", broken);
    NoticeCapture notices;
    CProfileList list = List();
    {
        const FileSizeLimit limit(16);  // no room for the copy
        EXPECT_EQ(list.CurrentUuid(), "");
    }
    EXPECT_EQ(list.Status(), ProfileListStatus::Unusable);
    EXPECT_EQ(ReadText("user/ProfileList.ini"), broken);
    EXPECT_TRUE(EntriesContaining(PathOf("user"), ".broken-").empty());
    EXPECT_TRUE(EntriesContaining(PathOf("user"), ".tmp-").empty());
    EXPECT_TRUE(notices.Mentions(ListFile() + " is not JSON, and it could not be kept aside"));
}

}  // namespace
}  // namespace velnor7

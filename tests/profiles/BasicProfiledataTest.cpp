#include "profiles/CBasicProfiledata.h"

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
using testing::ShippedDefaultData;
using testing::TestDataDirectory;

class BasicProfiledataTest : public ProfileFolderTest {
protected:
    void SetUp() override {
        ProfileFolderTest::SetUp();
        defaultDevice_["LightInfo"]["SelectItem"] = 5;
        defaultDevice_["LightInfo"]["Red"] = 200;
        profile_.SetDefaultPath(WriteDefaults(defaultDevice_));
        profile_.SetPath(PathOf("p.Json"));
    }

    Json::Value defaultDevice_;
    CBasicProfiledata profile_;
};

TEST_F(BasicProfiledataTest, LoadRepairsAFileWithoutDeviceDocumentFromTheDefaultsAndRewritesIt) {
    const std::vector<std::string> brokenFiles = {
        R"({"profilename": "Mine", "profileUUID": "abc"})",
        R"({"profilename": "Mine", "profileUUID": "abc", "Device": [null, {"Other": 1}]})",
        R"({"profilename": "Mine", "profileUUID": "abc", "Device": [7]})",
    };
    for (const auto& text : brokenFiles) {
        SCOPED_TRACE(text);
        WriteText("p.Json", text);
        const Json::Value document = profile_.Load(PathOf("p.Json"));
        EXPECT_EQ(document, defaultDevice_);
        EXPECT_EQ(profile_.ReadLightInfo().selectItem, 5);

        const Json::Value file = LoadJsonFile(PathOf("p.Json"));
        EXPECT_EQ(file["Device"][0], defaultDevice_);
        EXPECT_EQ(file["profilename"].asString(), "Mine");
        EXPECT_EQ(file["profileUUID"].asString(), "abc");
    }
    // The second element of "Device" belongs to something else and stays.
    WriteText("p.Json", brokenFiles[1]);
    profile_.Load(PathOf("p.Json"));
    EXPECT_EQ(LoadJsonFile(PathOf("p.Json"))["Device"][1]["Other"].asInt(), 1);
}

TEST_F(BasicProfiledataTest, LoadCreatesAMissingFileAndLeavesAFileAloneWhenTheDefaultsHaveNoDevice) {
    NoticeCapture notices;
    profile_.Load(PathOf("p.Json"));
    EXPECT_EQ(LoadJsonFile(PathOf("p.Json"))["Device"][0], defaultDevice_);
    EXPECT_EQ(profile_.FileStatus(), ProfileFileStatus::Completed);
    EXPECT_TRUE(notices.Notices().empty());
    EXPECT_TRUE(EntriesContaining(folder_, ".broken-").empty());

    CBasicProfiledata withoutDefaults;
    withoutDefaults.SetDefaultPath(PathOf("missing_default.Json"));
    WriteText("q.Json", R"({"profilename": "Keep me"})");
    const std::string before = ReadText("q.Json");
    EXPECT_TRUE(withoutDefaults.Load(PathOf("q.Json")).isNull());
    EXPECT_EQ(ReadText("q.Json"), before);
    EXPECT_EQ(withoutDefaults.ReadLightInfo(), LightInfoRecord{});
}

TEST_F(BasicProfiledataTest, BrokenProfileIsKeptAsideBeforeItIsRepairedAndTheUserIsTold) {
    const struct {
        std::string text;
        bool keepsName;  // the rest of the file survives the repair
    } cases[] = {
        {R"({"profilename": "Mine", "profileUUID": "abc", "Device": [{"LightInfo": {"Sel)", false},
        {"{\"profilename\": \"Mine\", \0\0\0\0"s, false},
        {R"({"profilename": "Mine", "profileUUID": "abc", "Device": {"LightInfo": {"Red": 9}}})", true},
        {R"({"profilename": "Mine", "profileUUID": "abc", "Device": [7]})", true},
        {R"(["profilename", "Mine"])", false},
    };
    // Loading repairs from the defaults; saving writes the page's own document.
    for (const bool saving : {false, true}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.text + (saving ? " (save)" : " (load)"));
            for (const std::string& old : EntriesContaining(folder_, ".broken-")) fs::remove(folder_ / old);
            WriteText("p.Json", c.text);
            NoticeCapture notices;
            if (saving) {
                EXPECT_EQ(profile_.Save(), 0);
            } else {
                EXPECT_EQ(profile_.Load(PathOf("p.Json")), defaultDevice_);
            }
            EXPECT_EQ(profile_.FileStatus(), ProfileFileStatus::Repaired);

            const std::vector<std::string> copies = EntriesContaining(folder_, "p.Json.broken-");
            ASSERT_EQ(copies.size(), 1u);
            EXPECT_EQ(BytesOf(folder_ / copies[0]), c.text);

            const Json::Value file = LoadJsonFile(PathOf("p.Json"));
            EXPECT_EQ(file["Device"][0], saving ? profile_.GetDocument() : defaultDevice_);
            EXPECT_EQ(file["profilename"].asString(), c.keepsName ? "Mine" : "");
            ASSERT_EQ(notices.Notices().size(), 1u);
            EXPECT_TRUE(notices.Mentions("The profile file " + PathOf("p.Json")));
            EXPECT_TRUE(notices.Mentions("kept as " + (folder_ / copies[0]).string())) << notices.Notices()[0];
        }
    }
}

TEST_F(BasicProfiledataTest, ProfileThatIsNotAFileIsNeverWrittenAndTheDefaultsAreUsed) {
    fs::create_directory(PathOf("folder.Json"));
    ASSERT_TRUE(MakeFifo(PathOf("fifo.Json")));
    for (const char* name : {"folder.Json", "fifo.Json"}) {
        SCOPED_TRACE(name);
        NoticeCapture notices;
        profile_.SetPath(PathOf(name));
        EXPECT_EQ(profile_.Load(PathOf(name)), defaultDevice_);
        EXPECT_EQ(profile_.FileStatus(), ProfileFileStatus::LeftAlone);
        EXPECT_EQ(profile_.ReadLightInfo().selectItem, 5);
        EXPECT_EQ(profile_.Save(), 1);
        EXPECT_EQ(profile_.FileStatus(), ProfileFileStatus::LeftAlone);
        ASSERT_EQ(notices.Notices().size(), 2u);  // the load's and the save's
        EXPECT_TRUE(notices.Mentions(PathOf(name) + " is a"));
        EXPECT_TRUE(notices.Mentions("the changes were not saved"));
    }
    EXPECT_TRUE(fs::is_directory(PathOf("folder.Json")));
    EXPECT_TRUE(fs::is_fifo(PathOf("fifo.Json")));
    EXPECT_TRUE(EntriesContaining(folder_, ".tmp-").empty());
    EXPECT_TRUE(EntriesContaining(folder_, ".broken-").empty());
}

TEST_F(BasicProfiledataTest, BrokenProfileThatCannotBeKeptAsideIsLeftAsItIs) {
    const std::string broken = R"({"profilename": "Mine", "Device": [{"LightInfo": )";
    WriteText("p.Json", broken);
    NoticeCapture notices;
    {
        const FileSizeLimit limit(16);  // no room for the copy
        EXPECT_EQ(profile_.Load(PathOf("p.Json")), defaultDevice_);
        EXPECT_EQ(profile_.Save(), 1);
    }
    EXPECT_EQ(profile_.FileStatus(), ProfileFileStatus::LeftAlone);
    EXPECT_EQ(ReadText("p.Json"), broken);
    EXPECT_TRUE(EntriesContaining(folder_, ".broken-").empty());
    EXPECT_TRUE(notices.Mentions("could not be kept aside"));
}

TEST_F(BasicProfiledataTest, LightInfoReadsZerosWhenAbsentAndSurvivesAFileRoundTrip) {
    Json::Value noLight;
    noLight["KeyList"] = Json::arrayValue;
    profile_.SetDefaultPath(WriteDefaults(noLight));
    profile_.Load(PathOf("p.Json"));
    EXPECT_EQ(profile_.ReadLightInfo(), LightInfoRecord{});

    LightInfoRecord written{3, 5, 4, 1, 1, 10, 20, 30, 9, 9, 9, 1, 2, 7};
    profile_.WriteLightInfo(written);
    ASSERT_EQ(profile_.Save(), 0);

    CBasicProfiledata reloaded;
    reloaded.Load(PathOf("p.Json"));
    LightInfoRecord expected = written;
    expected.unused9 = expected.unused10 = expected.unused11 = 0;  // not kept in the file
    EXPECT_EQ(reloaded.ReadLightInfo(), expected);
    EXPECT_EQ(reloaded.GetDocument()["LightInfo"].size(), 11u);
}

TEST_F(BasicProfiledataTest, LightInfoAndLightListCutValuesToEightBitsAndReadFlagsAsBooleans) {
    WriteText("p.Json", R"({"Device": [{
        "LightInfo": {"SelectItem": 258, "MultiColor": 7, "Red": -1},
        "LightList": [{"LEDREGMode": 1, "LEDDirection": 5, "LEDMultiColor": true, "red": 300, "green": 2, "blue": 3},
                      null]}]})");
    profile_.Load(PathOf("p.Json"));
    const LightInfoRecord info = profile_.ReadLightInfo();
    EXPECT_EQ(info.selectItem, 2);
    EXPECT_EQ(info.multiColor, 1);
    EXPECT_EQ(info.red, 255);

    const auto list = profile_.ReadLightList();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].mode, 1);
    EXPECT_EQ(list[0].direction, 1);
    EXPECT_EQ(list[0].multiColor, 1);
    EXPECT_EQ(list[0].red, 44);
    EXPECT_EQ(list[0].present, 1);
    EXPECT_EQ(list[1], LightListEntry{});
}

TEST_F(BasicProfiledataTest, KeyListUnpacksBothHalvesAndAShorterWriteLeavesTheRestAlone) {
    WriteText("p.Json", R"({"Device": [{"KeyList": [
        {"Assignment": 2097193, "DefaultAssignment": 2097193},
        {"Assignment": 1048832, "DefaultAssignment": 2097210},
        {"Assignment": 4194305, "DefaultAssignment": 2097211}]}]})");
    profile_.Load(PathOf("p.Json"));
    auto list = profile_.ReadKeyList();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[1].current.code, (KeyCode{0x10, 0x01, 0x00}));
    EXPECT_EQ(list[1].defaults.code, (KeyCode{0x20, 0x00, 0x3A}));
    EXPECT_EQ(list[2].current.passThrough, (std::array<uint8_t, 2>{2, 0}));

    list.resize(2);
    list[0].current.code = KeyCode{0x70, 3, 1};
    list[0].defaults.code = KeyCode{};  // never written back
    profile_.WriteKeyList(list);
    const Json::Value& keys = profile_.GetDocument()["KeyList"];
    EXPECT_EQ(keys[0]["Assignment"].asInt(), 0x700301);
    EXPECT_EQ(keys[0]["DefaultAssignment"].asInt(), 2097193);
    EXPECT_EQ(keys[2]["Assignment"].asInt(), 4194305);
    EXPECT_EQ(keys.size(), 3u);
}

TEST_F(BasicProfiledataTest, SaveKeepsUnknownKeysOtherDevicesAndTopLevelMembers) {
    WriteText("p.Json", R"({"profilename": "Mine", "profileUUID": "abc", "Extra": {"a": [1, 2]},
        "Device": [{"LightInfo": {"SelectItem": 1}, "FutureKey": "kept"}, {"Second": true}]})");
    profile_.Load(PathOf("p.Json"));
    LightInfoRecord info = profile_.ReadLightInfo();
    info.light = 3;
    profile_.WriteLightInfo(info);
    ASSERT_EQ(profile_.Save(), 0);

    const Json::Value file = LoadJsonFile(PathOf("p.Json"));
    EXPECT_EQ(file["profilename"].asString(), "Mine");
    EXPECT_EQ(file["Extra"]["a"][1].asInt(), 2);
    EXPECT_EQ(file["Device"][0]["FutureKey"].asString(), "kept");
    EXPECT_EQ(file["Device"][0]["LightInfo"]["Light"].asInt(), 3);
    EXPECT_TRUE(file["Device"][1]["Second"].asBool());
}

TEST_F(BasicProfiledataTest, SaveReportsAFileThatCannotBeWritten) {
    profile_.SetPath(PathOf("no_such_folder/p.Json"));
    EXPECT_EQ(profile_.Save(), 1);
}

TEST_F(BasicProfiledataTest, MalformedAndWronglyTypedDocumentsReadAsAbsentWithoutThrowing) {
    for (const std::string text : {"{\"Device\": [", "[1, 2, 3]", "\"text\"", "{\"Device\": \"text\"}"}) {
        SCOPED_TRACE(text);
        WriteText("p.Json", text);
        EXPECT_EQ(profile_.Load(PathOf("p.Json")), defaultDevice_);
    }

    CBasicProfiledata wrong;
    wrong.Load((TestDataDirectory() / "profiles" / "wrong_types.Json").string());
    ASSERT_TRUE(wrong.GetDocument().isObject());
    EXPECT_NO_THROW({
        EXPECT_EQ(wrong.ReadLightInfo().red, 0);
        EXPECT_EQ(wrong.ReadLightList().size(), 2u);
        EXPECT_TRUE(wrong.ReadKeyList().empty());
    });
    // Writes replace the unusable values instead of throwing.
    EXPECT_NO_THROW(wrong.WriteKeyList({KeyListEntry{}}));
    EXPECT_EQ(wrong.GetDocument()["KeyList"][0]["Assignment"].asInt(), 0);
}

TEST_F(BasicProfiledataTest, ProfileIdentifiersThatAreNotPlainFileNamesAreRefused) {
    EXPECT_TRUE(profile_.SetProfileFile(PathOf(""), "2024_03_05_14_07_09_042"));
    EXPECT_EQ(profile_.GetPath(), PathOf("2024_03_05_14_07_09_042.Json"));
    for (const char* unsafe : {"../../etc/passwd", "/tmp/x", "..", "", "a/b"}) {
        EXPECT_FALSE(profile_.SetProfileFile(PathOf(""), unsafe)) << unsafe;
        EXPECT_EQ(profile_.GetPath(), PathOf("2024_03_05_14_07_09_042.Json"));
    }
}

TEST_F(BasicProfiledataTest, ShippedMousePadDefaultsGiveLightInfoAndList) {
    CBasicProfiledata pad;
    pad.SetDefaultPath((ShippedDefaultData() / "MousePad.Json").string());
    const Json::Value shipped = pad.Load(PathOf("pad.Json"));
    EXPECT_TRUE(shipped.isMember("LightInfo"));
    EXPECT_TRUE(shipped["LightList"].isArray());
    EXPECT_NE(pad.ReadLightInfo().light, 0);
}

}  // namespace
}  // namespace velnor7

#include "common/JsonFile.h"
#include "common/Trace.h"
#include "support/SpecialFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace velnor7 {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using testing::BytesOf;
using testing::EndedProcessId;
using testing::EntriesContaining;
using testing::FileSizeLimit;
using testing::MakeFifo;

class JsonFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("velnor7_json_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                               "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string PathOf(const std::string& name) const { return (folder_ / name).string(); }
    void WriteRaw(const std::string& name, const std::string& bytes) const {
        std::ofstream(PathOf(name), std::ios::binary) << bytes;
    }
    size_t FilesInFolder() const {
        return static_cast<size_t>(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()));
    }

    fs::path folder_;
};

TEST_F(JsonFileTest, UnreadableDocumentsAreNullAndOnlyMissingOrEmptyOnesTraceTheirPath) {
    TraceCapture trace;
    WriteRaw("empty.Json", "");
    WriteRaw("broken.Json", "{\"Device\": [");
    EXPECT_TRUE(LoadJsonFile(PathOf("missing.Json")).isNull());
    EXPECT_TRUE(LoadJsonFile(PathOf("empty.Json")).isNull());
    EXPECT_TRUE(LoadJsonFile(PathOf("broken.Json")).isNull());
    EXPECT_TRUE(trace.Contains(PathOf("missing.Json")));
    EXPECT_TRUE(trace.Contains(PathOf("empty.Json")));
    EXPECT_FALSE(trace.Contains(PathOf("broken.Json")));
    EXPECT_TRUE(trace.Contains("readjsonFile 错误吗：：0"));
}

TEST_F(JsonFileTest, TextEndsAtTheFirstNulByte) {
    WriteRaw("nul.Json", std::string("{\"a\": 1}\0garbage", 16));
    EXPECT_EQ(readjsonFile(PathOf("nul.Json")), "{\"a\": 1}");
    EXPECT_EQ(LoadJsonFile(PathOf("nul.Json"))["a"].asInt(), 1);
}

TEST_F(JsonFileTest, WrittenDocumentReadsBackWithCommentsAndUtf8Intact) {
    Json::Value document;
    document["Name"] = "配置 ü";
    document["List"].append(1);
    document["List"].append(Json::Value());
    ASSERT_EQ(wirtejsonFile(PathOf("profile.Json"), document), 0);
    const std::string text = readjsonFile(PathOf("profile.Json"));
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\n');
    EXPECT_EQ(LoadJsonFile(PathOf("profile.Json")), document);
    EXPECT_EQ(FilesInFolder(), 1u) << "no temporary file may be left behind";
}

TEST_F(JsonFileTest, FailedWriteLeavesNothingBehindAndTheOldContentsIntact) {
    EXPECT_EQ(wirtejsonFile(PathOf("no/such/folder/file.Json"), Json::Value(1)), 1);
    EXPECT_FALSE(fs::exists(PathOf("no")));
    // Paths that name no file: nothing is made or removed anywhere, the working folder included.
    const fs::path working = fs::current_path();
    fs::current_path(folder_);
    const std::string looksStale = ".tmp-" + std::to_string(EndedProcessId()) + "-0";
    WriteRaw(looksStale, "");
    EXPECT_EQ(wirtejsonFile("", Json::Value(1)), 1);
    EXPECT_EQ(wirtejsonFile(PathOf("new_folder/"), Json::Value(1)), 1);
    fs::current_path(working);
    EXPECT_TRUE(fs::exists(PathOf(looksStale)));
    fs::remove(PathOf(looksStale));

    // The target is a folder: the new file cannot replace it.
    fs::create_directories(PathOf("taken.Json"));
    WriteRaw("taken.Json/keep", "old");
    EXPECT_EQ(wirtejsonFile(PathOf("taken.Json"), Json::Value(2)), 1);
    EXPECT_EQ(readjsonFile(PathOf("taken.Json/keep")), "old");
    EXPECT_EQ(FilesInFolder(), 1u);
}

TEST_F(JsonFileTest, RewriteReplacesTheWholeFile) {
    Json::Value big;
    for (int i = 0; i < 200; ++i) big["Key"].append(i);
    ASSERT_EQ(wirtejsonFile(PathOf("list.ini"), big), 0);
    ASSERT_EQ(wirtejsonFile(PathOf("list.ini"), Json::Value("short")), 0);
    EXPECT_EQ(LoadJsonFile(PathOf("list.ini")).asString(), "short");
}

}  // namespace
}  // namespace velnor7

namespace velnor7 {
namespace {

TEST_F(JsonFileTest, DocumentNestedTooDeeplyReadsAsNull) {
    WriteRaw("deep.Json", std::string(5000, '[') + std::string(5000, ']'));
    EXPECT_TRUE(LoadJsonFile(PathOf("deep.Json")).isNull());
}

}  // namespace
}  // namespace velnor7

namespace velnor7 {
namespace {

TEST_F(JsonFileTest, EachWayAFileFailsToBeADocumentIsToldApart) {
    const struct {
        const char* name;
        std::string bytes;
        JsonFileStatus status;
        const char* reason;
    } cases[] = {
        {"ok.Json", "{\"a\": 1}\0\0\0"s, JsonFileStatus::Ok, ""},  // zero-filled tail after a power loss
        {"empty.Json", "", JsonFileStatus::Empty, "is empty"},
        {"zeros.Json", std::string(8, '\0'), JsonFileStatus::Empty, "is empty"},
        {"cut.Json", "{\"profilelist\": [{\"profilename\"", JsonFileStatus::NotJson, "is not JSON"},
        {"nul.Json", "{\"a\": \0 1}"s, JsonFileStatus::NotJson, "is not JSON"},
    };
    for (const auto& c : cases) {
        WriteRaw(c.name, c.bytes);
        const JsonFileRead read = ReadJsonFile(PathOf(c.name));
        EXPECT_EQ(read.status, c.status) << c.name;
        EXPECT_EQ(read.reason, c.reason) << c.name;
        EXPECT_EQ(read.value.isNull(), c.status != JsonFileStatus::Ok) << c.name;
    }
    EXPECT_EQ(ReadJsonFile(PathOf("missing.Json")).status, JsonFileStatus::Missing);
}

// A settings file replaced by something else must neither hang nor crash the
// program, and must never be written over.
TEST_F(JsonFileTest, FolderFifoAndDeviceReadAsNotRegularAndAreNeverReplaced) {
    fs::create_directory(PathOf("folder.Json"));
    ASSERT_TRUE(MakeFifo(PathOf("fifo.Json")));
    fs::create_symlink("/dev/null", PathOf("device.Json"));
    const struct {
        const char* name;
        const char* reason;
        fs::file_type type;
    } cases[] = {
        {"folder.Json", "is a folder, not a file", fs::file_type::directory},
        {"fifo.Json", "is a named pipe (FIFO), not a file", fs::file_type::fifo},
        {"device.Json", "is a device, not a file", fs::file_type::character},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const JsonFileRead read = ReadJsonFile(PathOf(c.name));
        EXPECT_EQ(read.status, JsonFileStatus::NotRegular);
        EXPECT_EQ(read.reason, c.reason);
        EXPECT_TRUE(LoadJsonFile(PathOf(c.name)).isNull());
        // Writing is refused (not tried on the device, which a fault would destroy).
        if (c.type != fs::file_type::character) {
            EXPECT_EQ(WriteJsonFile(PathOf(c.name), 1).reason, c.reason);
        }
        EXPECT_EQ(fs::status(PathOf(c.name)).type(), c.type);
    }
    EXPECT_TRUE(EntriesContaining(folder_, ".tmp-").empty());
}

TEST_F(JsonFileTest, SymlinkedFileIsWrittenThroughAndStaysALink) {
    fs::create_directory(PathOf("real"));
    WriteRaw("real/profile.Json", "{}");
    fs::create_symlink("real/profile.Json", PathOf("relative.Json"));
    fs::create_symlink(PathOf("relative.Json"), PathOf("chain.Json"));  // absolute, to a link
    fs::create_symlink("real/new.Json", PathOf("dangling.Json"));
    fs::create_symlink("loop.Json", PathOf("loop.Json"));

    for (const char* link : {"relative.Json", "chain.Json"}) {
        ASSERT_EQ(wirtejsonFile(PathOf(link), Json::Value(link)), 0);
        EXPECT_EQ(LoadJsonFile(PathOf("real/profile.Json")).asString(), link);
    }
    ASSERT_EQ(wirtejsonFile(PathOf("dangling.Json"), Json::Value(7)), 0);
    EXPECT_EQ(LoadJsonFile(PathOf("real/new.Json")).asInt(), 7);
    EXPECT_EQ(wirtejsonFile(PathOf("loop.Json"), Json::Value(1)), 1);
    for (const char* link : {"relative.Json", "chain.Json", "dangling.Json", "loop.Json"})
        EXPECT_TRUE(fs::is_symlink(PathOf(link))) << link;
}

TEST_F(JsonFileTest, RewriteKeepsTheFilesPermissionsAndANewFileFollowsTheUmask) {
    for (const fs::perms mode : {fs::perms(0600), fs::perms(0640), fs::perms(0444)}) {
        WriteRaw("private.Json", "{}");
        fs::permissions(PathOf("private.Json"), mode);
        ASSERT_EQ(wirtejsonFile(PathOf("private.Json"), Json::Value(1)), 0);
        EXPECT_EQ(fs::status(PathOf("private.Json")).permissions(), mode);
    }
    const mode_t previous = ::umask(027);
    EXPECT_EQ(wirtejsonFile(PathOf("new.Json"), Json::Value(1)), 0);
    ::umask(previous);
    EXPECT_EQ(fs::status(PathOf("new.Json")).permissions(), fs::perms(0640));
}

TEST_F(JsonFileTest, WriteThatFailsHalfWayRemovesItsTemporaryFileAndKeepsTheOldOne) {
    WriteRaw("list.ini", "{\"old\": true}");
    Json::Value big;
    for (int i = 0; i < 2000; ++i) big["Key"].append(i);
    const FileSizeLimit limit(1024);
    EXPECT_EQ(WriteJsonFile(PathOf("list.ini"), big).reason, "cannot be written (File too large)");
    EXPECT_TRUE(LoadJsonFile(PathOf("list.ini"))["old"].asBool());
    EXPECT_TRUE(EntriesContaining(folder_, ".tmp-").empty());
}

TEST_F(JsonFileTest, TemporaryFilesOfEndedRunsAreRemovedAtTheNextWriteOthersStay) {
    const std::string ended = "list.ini.tmp-" + std::to_string(EndedProcessId());
    const std::vector<std::string> removed = {ended + "-0", ended + "-17"};
    const std::vector<std::string> kept = {
        "list.ini.tmp-" + std::to_string(::getppid()) + "-0",  // its writer may still be at work
        ended + "-x", ended,                                     // not names this program makes
        "other" + ended.substr(4) + "-0",                       // another file's
    };
    for (const auto& name : removed) WriteRaw(name, "half");
    for (const auto& name : kept) WriteRaw(name, "half");
    // Leftovers of this very pid (an earlier run) take no name away from a new write.
    for (int n = 0; n < 64; ++n) WriteRaw("list.ini.tmp-" + std::to_string(::getpid()) + "-" + std::to_string(n), "");

    ASSERT_EQ(wirtejsonFile(PathOf("list.ini"), Json::Value(1)), 0);
    for (const auto& name : removed) EXPECT_FALSE(fs::exists(PathOf(name))) << name;
    for (const auto& name : kept) EXPECT_TRUE(fs::exists(PathOf(name))) << name;
}

TEST_F(JsonFileTest, BrokenFileIsKeptByteForByteBesideItWithItsPermissions) {
    const std::string bytes = "{\"profilelist\": [\0\0\xff garbage"s;
    WriteRaw("ProfileList.ini", bytes);
    fs::permissions(PathOf("ProfileList.ini"), fs::perms(0600));

    const KeptFileCopy first = KeepBrokenFile(PathOf("ProfileList.ini"));
    const KeptFileCopy second = KeepBrokenFile(PathOf("ProfileList.ini"));
    ASSERT_TRUE(first.kept && second.kept);
    EXPECT_NE(first.path, second.path) << "one copy may not overwrite another";
    EXPECT_EQ(first.path.rfind(PathOf("ProfileList.ini.broken-"), 0), 0u) << first.path;
    for (const std::string& copy : {first.path, second.path}) {
        EXPECT_EQ(BytesOf(copy), bytes);
        EXPECT_EQ(fs::status(copy).permissions(), fs::perms(0600));
    }
}

}  // namespace
}  // namespace velnor7

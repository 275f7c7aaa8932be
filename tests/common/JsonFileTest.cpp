#include "common/JsonFile.h"
#include "common/Trace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace velnor7 {
namespace {

namespace fs = std::filesystem;

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

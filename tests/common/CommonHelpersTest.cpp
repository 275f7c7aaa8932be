#include "common/FileNames.h"
#include "common/Paths.h"
#include "common/TimestampId.h"
#include "common/Trace.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>

namespace velnor7 {
namespace {

TEST(TimestampId, FormatsLocalTimeWithMilliseconds) {
    const char* previous = std::getenv("TZ");
    const std::string saved = previous != nullptr ? previous : "";
    setenv("TZ", "UTC", 1);
    tzset();
    std::tm moment{};
    moment.tm_year = 2024 - 1900;
    moment.tm_mon = 2;
    moment.tm_mday = 5;
    moment.tm_hour = 14;
    moment.tm_min = 7;
    moment.tm_sec = 9;
    const auto when = std::chrono::system_clock::from_time_t(timegm(&moment)) + std::chrono::milliseconds(42);
    EXPECT_EQ(NewTimestampId(when), "2024_03_05_14_07_09_042");
    if (previous != nullptr) setenv("TZ", saved.c_str(), 1);
    else unsetenv("TZ");
    tzset();
}

TEST(Trace, HexDumpGroupsBytesInFours) {
    uint8_t bytes[32];
    for (int i = 0; i < 32; ++i) bytes[i] = static_cast<uint8_t>(i * 8);
    EXPECT_EQ(HexDumpLine(bytes, 32),
              "00 08 10 18   20 28 30 38   40 48 50 58   60 68 70 78  80 88 90 98  a0 a8 b0 b8  c0 c8 d0 d8  "
              "e0 e8 f0 f8");
}

TEST(Trace, CaptureHoldsOneLinePerCallWithoutTrailingBreaks) {
    TraceCapture trace;
    Trace("线程退出：：对象处于激发状态\n");
    Trace("%d的时候=%d", 3, 62);
    EXPECT_EQ(trace.Lines(), (std::vector<std::string>{"线程退出：：对象处于激发状态", "3的时候=62"}));
    trace.Clear();
    EXPECT_TRUE(trace.Lines().empty());
}

TEST(Trace, LongLinesAreNotCut) {
    TraceCapture trace;
    const std::string longText(2000, 'x');
    Trace("%s!", longText.c_str());
    ASSERT_EQ(trace.Lines().size(), 1u);
    EXPECT_EQ(trace.Lines()[0], longText + "!");
}

TEST(Paths, UserDataFolderFollowsXdgAndIsCreated) {
    namespace fs = std::filesystem;
    const fs::path base = fs::temp_directory_path() / "velnor7_xdg_test";
    fs::remove_all(base);
    const char* previous = std::getenv("XDG_DATA_HOME");
    const std::string saved = previous != nullptr ? previous : "";
    setenv("XDG_DATA_HOME", base.c_str(), 1);
    const std::string folder = UserDataDirectory("MousePad");
    EXPECT_EQ(folder, base.string() + "/VELNOR7/MousePad/");
    EXPECT_TRUE(fs::is_directory(folder));
    if (previous != nullptr) setenv("XDG_DATA_HOME", saved.c_str(), 1);
    else unsetenv("XDG_DATA_HOME");
    fs::remove_all(base);
}

}  // namespace
}  // namespace velnor7

namespace velnor7 {
namespace {

TEST(FileNames, OnlyPlainNamesBecomeFileNames) {
    EXPECT_TRUE(IsSafeFileStem("2024_03_05_14_07_09_042"));
    EXPECT_TRUE(IsSafeFileStem("{4695579F-999A-41d4-9FAF-EFFCE93EBF15}"));
    EXPECT_TRUE(IsSafeFileStem("配置 1"));
    for (const char* unsafe : {"", ".", "..", "../profile", "a/b", "a\\b", "/etc/passwd", "C:evil", "x..y"})
        EXPECT_FALSE(IsSafeFileStem(unsafe)) << unsafe;
    EXPECT_FALSE(IsSafeFileStem(std::string_view("a\0b", 3)));
    EXPECT_FALSE(IsSafeFileStem(std::string(201, 'a')));
}

}  // namespace
}  // namespace velnor7

#include "cli/Commands.h"
#include "support/SimulatedKeyboard.h"

#include <gtest/gtest.h>

#include <sstream>

namespace velnor7 {
namespace {

using CommandsTest = testing::SimulatedKeyboardTest;

CliOptions Options(const char* command) {
    CliOptions options;
    options.command = command;
    return options;
}

TEST_F(CommandsTest, InfoOfASilentDeviceSaysSoAndFails) {
    keyboard_->InjectNoAnswer(1);
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunInfo(Options("info"), out, err), 1);
    EXPECT_NE(err.str().find("does not answer"), std::string::npos) << err.str();
    EXPECT_EQ(out.str().find("keys"), std::string::npos);
}

TEST_F(CommandsTest, InfoWithoutADeviceFails) {
    bus_->Unplug(busNumber_);
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunInfo(Options("info"), out, err), 1);
    EXPECT_NE(err.str().find("no supported device"), std::string::npos);
    EXPECT_EQ(RunList(Options("list"), out, err), 0);
    EXPECT_NE(out.str().find("no HID interfaces found"), std::string::npos);
}

TEST_F(CommandsTest, InfoRunsOneTransactionPerKeyboard) {
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(RunInfo(Options("info"), out, err), 0) << err.str();
    const auto sent = keyboard_->ReceivedRequests();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0][3], 0x01);
    EXPECT_EQ(sent[1][3], 0x03);
    EXPECT_EQ(sent[2][3], 0x02);
    EXPECT_FALSE(keyboard_->InConfiguration());
}

TEST(CliOptions, WordsAreParsedOrRefusedWithAReason) {
    std::string error;
    const auto options = ParseCliOptions({"--json", "info", "--simulate"}, error);
    ASSERT_TRUE(options);
    EXPECT_TRUE(options->json);
    EXPECT_TRUE(options->simulate);
    EXPECT_EQ(options->command, "info");
    EXPECT_FALSE(ParseCliOptions({"list", "extra"}, error));
    EXPECT_NE(error.find("takes no arguments"), std::string::npos);
    EXPECT_FALSE(ParseCliOptions({"--simulate"}, error));
    EXPECT_EQ(error, "no command given");
}

}  // namespace
}  // namespace velnor7

#include "cli/Commands.h"
#include "common/Paths.h"
#include "macros/MacroLibrary.h"
#include "support/SimulatedKeyboard.h"

#include <gtest/gtest.h>
#include <json/json.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include <unistd.h>

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

namespace velnor7 {
namespace {

// The commands as a user runs them, with the profiles in a folder of the test's own.
class KeyboardCommandsTest : public testing::SimulatedKeyboardTest {
protected:
    void SetUp() override {
        SimulatedKeyboardTest::SetUp();
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(name.begin(), name.end(), '/', '_');
        home_ = std::filesystem::temp_directory_path() / ("velnor7-cli-" + std::to_string(::getpid()) + "-" + name);
        std::filesystem::remove_all(home_);
        std::filesystem::create_directories(home_);
        ::setenv("XDG_DATA_HOME", home_.c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("XDG_DATA_HOME");
        std::filesystem::remove_all(home_);
        SimulatedKeyboardTest::TearDown();
    }

    struct Run {
        int status;
        std::string out;
        std::string err;
    };
    Run Command(std::vector<std::string> words, bool json = false) const {
        CliOptions options;
        options.command = words.front();
        options.arguments.assign(words.begin() + 1, words.end());
        options.json = json;
        std::ostringstream out;
        std::ostringstream err;
        const int status = RunCommand(options, out, err);
        return {status, out.str(), err.str()};
    }
    // A macro with one event in the keyboard's list, so that "macros write" has something to send.
    void AddMacro() const {
        MacroLibrary library(UserDataDirectory("keyboard"));
        library.LoadList();
        ASSERT_EQ(library.SaveMacroEvents(library.AddMacro().index, {MacroEvent{kMacroKey, "down", 4, 10}}), MacroStatus::Ok);
    }

    std::filesystem::path home_;
};

class SilentKeyboard : public KeyboardCommandsTest, public ::testing::WithParamInterface<std::vector<std::string>> {};

TEST_P(SilentKeyboard, EveryVerbExitsWithStatus1AndTheReasonInTextAndJson) {
    AddMacro();
    keyboard_->InjectNoAnswer(1000);
    const Run text = Command(GetParam());
    EXPECT_EQ(text.status, 1);
    EXPECT_NE(text.err.find("no answer from the device"), std::string::npos) << text.err;
    EXPECT_EQ(text.out.find("written"), std::string::npos) << text.out;

    const Run json = Command(GetParam(), true);
    EXPECT_EQ(json.status, 1);
    Json::Value parsed;
    std::istringstream stream(json.out);
    ASSERT_TRUE(Json::parseFromStream(Json::CharReaderBuilder(), stream, &parsed, nullptr)) << json.out;
    EXPECT_EQ(parsed["ok"], false);
    EXPECT_NE(parsed["error"].asString().find("no answer from the device"), std::string::npos) << json.out;
}

INSTANTIATE_TEST_SUITE_P(Verbs, SilentKeyboard,
                         ::testing::Values(std::vector<std::string>{"info"},
                                           std::vector<std::string>{"light", "set", "--mode", "3"},
                                           std::vector<std::string>{"light", "get"}, std::vector<std::string>{"light", "off"},
                                           std::vector<std::string>{"keymap", "get"},
                                           std::vector<std::string>{"keymap", "set", "A", "200005"},
                                           std::vector<std::string>{"macros", "write"}),
                         [](const auto& info) {
                             std::string name;
                             for (const std::string& word : info.param) {
                                 for (char c : word) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             }
                             return name;
                         });

TEST_F(KeyboardCommandsTest, AKeyMapWriteRefusedMidwaySaysHowFarItGotAndTheProfileKeepsTheAssignment) {
    ASSERT_EQ(Command({"keymap", "get"}).status, 0);
    // The read-out takes 13 requests, then ReadDeviceInfo, BeginConfig and the key map chunks.
    keyboard_->InjectStatus(0xFE, 13 + 2 + 3);
    const Run run = Command({"keymap", "set", "A", "200005"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("WriteKeyMap at chunk 3 of 7: the device refused it (status 0xFE); 2 of 7 chunks had been written"),
              std::string::npos)
        << run.err;
    EXPECT_NE(run.err.find("the profile keeps the assignment"), std::string::npos) << run.err;
    EXPECT_FALSE(keyboard_->InConfiguration());
    // Written on the next try.
    EXPECT_EQ(Command({"keymap", "set", "A", "200005"}).status, 0);
}

TEST_F(KeyboardCommandsTest, SuccessfulVerbsSayOkInJson) {
    const Run set = Command({"light", "set", "--colour", "ff8000"}, true);
    ASSERT_EQ(set.status, 0) << set.err;
    EXPECT_NE(set.out.find("\"ok\" : true"), std::string::npos) << set.out;
    EXPECT_NE(set.out.find("\"colour\" : \"ff8000\""), std::string::npos) << set.out;
    const Run macros = Command({"macros", "write"}, true);
    ASSERT_EQ(macros.status, 0) << macros.err;
    EXPECT_NE(macros.out.find("\"macros\" : 0"), std::string::npos) << macros.out;
}

}  // namespace
}  // namespace velnor7

#include "cli/Commands.h"
#include "common/JsonFile.h"
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

TEST_F(KeyboardCommandsTest, ProfileCommandsManageTheProfilesAndASwitchRewritesTheKeyboard) {
    ASSERT_EQ(Command({"profile", "add"}).status, 0);
    ASSERT_EQ(Command({"profile", "rename", "Game"}).status, 0);  // the new one is selected
    // The second profile lights in mode 9 and makes A a B.
    const std::string folder = UserDataDirectory("keyboard");
    Json::Value list = LoadJsonFile(folder + "ProfileList.ini");
    const std::string game = folder + list["profilelist"][1]["profileUUID"].asString() + ".Json";
    Json::Value file = LoadJsonFile(game);
    file["Device"][0]["LightInfo"]["SelectItem"] = 9;
    file["Device"][0]["KeyList"][64]["Assignment"] = 0x200005;
    ASSERT_EQ(wirtejsonFile(game, file), 0);

    // The slot of A holds A's factory code until the switch.
    const std::vector<uint8_t> factory = keyboard_->KeyMapMemory();
    const std::vector<uint8_t> codeOfA{0x20, 0x00, 0x04};
    const size_t slotOfA = static_cast<size_t>(std::search(factory.begin(), factory.end(), codeOfA.begin(), codeOfA.end()) - factory.begin());
    ASSERT_EQ(slotOfA % 3, 0u);

    const Run selected = Command({"profile", "select", "GAME"});
    ASSERT_EQ(selected.status, 0) << selected.err;
    EXPECT_EQ(selected.out, "profile \"Game\" selected; the keyboard was written\n");
    EXPECT_EQ(keyboard_->ParameterMemory()[1], 9);
    const std::vector<uint8_t> keyMap = keyboard_->KeyMapMemory();
    EXPECT_EQ(std::vector<uint8_t>(keyMap.begin() + slotOfA, keyMap.begin() + slotOfA + 3), (std::vector<uint8_t>{0x20, 0x00, 0x05}));

    const Run listed = Command({"profile", "list"}, true);
    Json::Value parsed;
    std::istringstream stream(listed.out);
    ASSERT_TRUE(Json::parseFromStream(Json::CharReaderBuilder(), stream, &parsed, nullptr)) << listed.out;
    ASSERT_EQ(parsed.size(), 2u);
    EXPECT_EQ(parsed[1]["name"], "Game");
    EXPECT_EQ(parsed[1]["selected"], true);
    EXPECT_EQ(parsed[0]["selected"], false);

    // Deleting the selected profile selects the one before it and writes that to the keyboard.
    const Run deleted = Command({"profile", "delete", "2"});
    ASSERT_EQ(deleted.status, 0) << deleted.err;
    EXPECT_NE(deleted.out.find("the keyboard was written"), std::string::npos) << deleted.out;
    EXPECT_NE(keyboard_->ParameterMemory()[1], 9);
    EXPECT_EQ(Command({"profile", "delete", "1"}).status, 1) << "the last profile stays";
    EXPECT_EQ(Command({"profile", "select", "nosuch"}).status, 2);
}

TEST_F(KeyboardCommandsTest, ExportNeverReplacesAFileAndImportAddsUnderAFreeName) {
    const std::string target = (home_ / "exported.json").string();
    ASSERT_EQ(Command({"profile", "export", target}).status, 0);
    const Run again = Command({"profile", "export", target});
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.err.find("exists already; it was not replaced"), std::string::npos) << again.err;
    const Run imported = Command({"profile", "import", target});
    ASSERT_EQ(imported.status, 0) << imported.err;
    EXPECT_EQ(imported.out, "profile \"profile1(1)\" imported\n");
}

TEST_F(KeyboardCommandsTest, ASwitchWithASilentKeyboardIsStillMadeAndSaysTheKeyboardWasNotWritten) {
    ASSERT_EQ(Command({"profile", "add"}).status, 0);
    keyboard_->InjectNoAnswer(1000);
    const Run selected = Command({"profile", "select", "1"});
    EXPECT_EQ(selected.status, 1);
    EXPECT_NE(selected.err.find("profile \"profile1\" selected; the keyboard was not written: "), std::string::npos)
        << selected.err;
    EXPECT_EQ(LoadJsonFile(UserDataDirectory("keyboard") + "ProfileList.ini")["profileselect"].asInt(), 0);
}

// The key repeat options are left out: they would set the repeat of the desktop the tests run on.
TEST_F(KeyboardCommandsTest, SettingsSetStoresTheFlagsAndRateAndWritesThemInTheLightRecord) {
    const Run set = Command({"settings", "set", "--polling-rate", "2", "--win-lock", "on", "--key6", "on"});
    ASSERT_EQ(set.status, 0) << set.err;
    const std::vector<uint8_t> parameters = keyboard_->ParameterMemory();
    EXPECT_EQ(parameters[20], 1);  // Key6Flag
    EXPECT_EQ(parameters[21], 1);  // WinFlag
    EXPECT_EQ(parameters[22], 2);  // PollingRate
    const Run get = Command({"settings", "get"}, true);
    EXPECT_NE(get.out.find("\"pollingRate\" : 2"), std::string::npos) << get.out;
    EXPECT_NE(get.out.find("\"winLock\" : true"), std::string::npos) << get.out;

    for (const std::vector<std::string>& wrong :
         {std::vector<std::string>{"settings", "set", "--polling-rate", "4"}, {"settings", "set", "--win-lock", "yes"},
          {"settings", "set"}, {"settings", "set", "--key6"}, {"settings", "sett"}}) {
        EXPECT_EQ(Command(wrong).status, 2) << wrong.back();
    }
    keyboard_->InjectNoAnswer(1000);
    const Run silent = Command({"settings", "set", "--wflag", "on"});
    EXPECT_EQ(silent.status, 1);
    EXPECT_NE(silent.err.find("(the profile keeps the new settings)"), std::string::npos) << silent.err;
}

}  // namespace
}  // namespace velnor7

#include "cli/Arguments.h"
#include "cli/Commands.h"
#include "cli/VerbOutcome.h"
#include "common/JsonFile.h"
#include "common/Paths.h"
#include "core/DeviceInformation.h"
#include "macros/MacroLibrary.h"
#include "keyboard/DefaultKeyTable.h"
#include "profiles/ProfileList.h"
#include "profiles/CKeyboardProfiledata.h"
#include "support/CliRun.h"
#include "support/SimulatedKeyboard.h"

#include <gtest/gtest.h>
#include <json/json.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
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
Json::Value ParseJson(const std::string& text) {
    Json::Value parsed;
    std::istringstream stream(text);
    EXPECT_TRUE(Json::parseFromStream(Json::CharReaderBuilder(), stream, &parsed, nullptr)) << text;
    return parsed;
}

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

    using Run = testing::CliRun;
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
    Run Cli(const std::vector<std::string>& words) const { return testing::RunCli(words); }
    Json::Value ProfileLight() const {
        const std::string folder = UserDataDirectory("keyboard");
        const Json::Value list = LoadJsonFile(folder + "ProfileList.ini");
        const Json::Value& entry = list["profilelist"][list["profileselect"].asInt()];
        return LoadJsonFile(folder + entry["profileUUID"].asString() + ".Json")["Device"][0]["LightInfo"];
    }
    // Bytes 1..8 of the active light record: mode, brightness, speed, direction, multicolour, RGB.
    std::vector<uint8_t> LightRecord() const {
        const std::vector<uint8_t> parameters = keyboard_->ParameterMemory();
        return {parameters.begin() + 1, parameters.begin() + 9};
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

std::string ProjectVersion() {
    std::ifstream file(std::string(VELNOR7_SOURCE_DIR) + "/CMakeLists.txt");
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const std::string marker = "project(velnor7 VERSION ";
    const size_t start = text.find(marker);
    if (start == std::string::npos) return "?";
    const size_t from = start + marker.size();
    return text.substr(from, text.find_first_not_of("0123456789.", from) - from);
}

TEST_F(KeyboardCommandsTest, HelpAndVersionGoToStdoutWithStatus0) {
    const struct {
        std::vector<std::string> words;
        std::vector<std::string> shown;
        std::vector<std::string> notShown;
    } cases[] = {
        {{"-h"}, {"commands:", "  keymap get", "  -h, --help", "orange ff8000"}, {}},
        {{"help", "--simulate"}, {"commands:", "  help [COMMAND]"}, {}},
        {{"help", "light"}, {"light set [--mode N]", "--no-multicolour", "    1  Wave", "   23  Lights off", "pink ff4080"},
         {"keymap", "Light preset"}},
        {{"light", "set", "--mode", "99", "--help"}, {"light get", "    5  Static"}, {"settings"}},
        {{"settings", "-h"}, {"settings set [--polling-rate 0-3]"}, {"light set"}},
        {{"help", "update"}, {"update check", "update download TARGET DIR", "VELNOR7_UPDATE_URL"}, {"settings"}},
        {{"--version", "light"}, {"velnor7ctl " + ProjectVersion() + "\n"}, {"usage"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.words.front() + (c.words.size() > 1 ? " " + c.words[1] : ""));
        const Run run = Cli(c.words);
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.err, "");
        for (const std::string& text : c.shown) EXPECT_NE(run.out.find(text), std::string::npos) << text << "\n" << run.out;
        for (const std::string& text : c.notShown) EXPECT_EQ(run.out.find(text), std::string::npos) << text;
    }
    EXPECT_TRUE(keyboard_->ReceivedRequests().empty()) << "help never talks to the keyboard";
}

TEST_F(KeyboardCommandsTest, WrongCallsGiveAReasonThenTheUsageOnStderr) {
    const struct {
        std::vector<std::string> words;
        std::string reason;
    } cases[] = {
        {{"help", "nosuch"}, "no command is named 'nosuch'; the commands are list, info, light, keymap, macros, profile, settings, update, help"},
        {{"frobnicate"}, "unknown command 'frobnicate'; the commands are list, info,"},
        {{"light", "set", "--colour", "#ff80"}, "--colour takes RRGGBB, #RRGGBB or a colour name (such as ff8000, #ff8000 or orange), not '#ff80'"},
        {{"help", "light", "keymap"}, "'help' takes one command at most"},
        {{"info", "--bogus"}, "velnor7ctl: info takes --raw or nothing\n\nusage: velnor7ctl [--simulate] [--trace] [--json] info ...\n\n  info [--raw]"},
        {{"light", "dim"}, "velnor7ctl: light takes set, get, off or on\n\nusage: velnor7ctl [--simulate] [--trace] [--json] light ..."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.words.front());
        const Run run = Cli(c.words);
        EXPECT_EQ(run.status, kExitBadArguments);
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find(c.reason), std::string::npos) << run.err;
    }
    // With --json the reason is JSON on stdout and stderr keeps to the one line.
    CliOptions options;
    options.command = "light";
    options.arguments = {"dim"};
    options.json = true;
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(RunCommand(options, out, err), kExitBadArguments);
    EXPECT_EQ(err.str(), "velnor7ctl: light takes set, get, off or on\n");
}

TEST_F(KeyboardCommandsTest, LightSetChangesOnlyWhatIsGivenOnKeyboardAndProfile) {
    const std::vector<std::string> base{"light", "set", "--mode", "5", "--brightness", "3", "--speed", "1",
                                        "--direction", "1", "--colour", "123456", "--multicolour"};
    const struct {
        std::vector<std::string> options;
        std::set<size_t> recordBytes;  // index into LightRecord()
        std::set<std::string> profileKeys;
    } cases[] = {
        {{"--brightness", "2"}, {1}, {"Light"}},
        {{"--speed", "3"}, {2}, {"Speed"}},
        {{"--direction", "0"}, {3}, {"Fx"}},
        {{"--mode", "9"}, {0}, {"SelectItem"}},
        {{"--no-multicolour"}, {4}, {"MultiColor"}},
        {{"--colour", "Magenta"}, {5, 6, 7}, {"Red", "Green", "Blue"}},
        {{"--colour", "123456", "--multicolour"}, {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.options.front());
        ASSERT_EQ(Command(base).status, 0);
        const std::vector<uint8_t> before = LightRecord();
        const Json::Value profileBefore = ProfileLight();
        std::vector<std::string> words{"light", "set"};
        words.insert(words.end(), c.options.begin(), c.options.end());
        const Run run = Command(words);
        ASSERT_EQ(run.status, 0) << run.err;
        const std::vector<uint8_t> after = LightRecord();
        for (size_t i = 0; i < after.size(); ++i) EXPECT_EQ(before[i] != after[i], c.recordBytes.count(i) == 1) << "byte " << i + 1;
        const Json::Value profileAfter = ProfileLight();
        for (const std::string& key : profileAfter.getMemberNames()) {
            EXPECT_EQ(profileBefore[key] != profileAfter[key], c.profileKeys.count(key) == 1) << key;
        }
    }
}

TEST_F(KeyboardCommandsTest, AModeTheKeyboardDoesNotRunIsRefusedBeforeAnythingIsWritten) {
    ASSERT_EQ(Command({"light", "set", "--mode", "5"}).status, 0);
    const std::vector<uint8_t> parameters = keyboard_->ParameterMemory();
    const Json::Value profile = ProfileLight();
    // 0 and 22 are hidden entries (presets of the program), 25 is past the list.
    for (const std::string mode : {"99", "0", "22", "25", "-1", "five", ""}) {
        SCOPED_TRACE(mode);
        keyboard_->ClearReceivedRequests();
        const Run run = Command({"light", "set", "--brightness", "1", "--mode", mode});
        EXPECT_EQ(run.status, kExitBadArguments);
        const std::string reason = run.err.substr(0, run.err.find('\n'));
        EXPECT_NE(reason.find("the keyboard has no light mode " + mode + "; its modes are 1 Wave, 2 Fine wave,"),
                  std::string::npos) << reason;
        EXPECT_NE(reason.find("21 Red show, 23 Lights off, 24 Palette flash"), std::string::npos) << reason;
        EXPECT_EQ(reason.find("Light preset"), std::string::npos) << reason;
        EXPECT_TRUE(keyboard_->ReceivedRequests().empty());
    }
    EXPECT_EQ(keyboard_->ParameterMemory(), parameters);
    EXPECT_EQ(ProfileLight(), profile);

    for (const uint8_t mode : {1, 20, 24}) {
        const Run run = Command({"light", "set", "--mode", std::to_string(mode)}, true);
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(keyboard_->ParameterMemory()[1], mode);
    }
    EXPECT_NE(Command({"light", "set", "--mode", "23"}).out.find("mode 23 (Lights off)"), std::string::npos);
}

TEST(Colours, TheFormsAndNamesAreReadAndAnythingElseRefused) {
    const struct {
        const char* text;
        std::optional<Rgb> rgb;
    } cases[] = {
        {"ff8000", Rgb{0xff, 0x80, 0x00}}, {"#FF8000", Rgb{0xff, 0x80, 0x00}}, {"aBcDeF", Rgb{0xab, 0xcd, 0xef}},
        {"ff80", std::nullopt},            {"#ff80000", std::nullopt},          {"gg0000", std::nullopt},
        {"#", std::nullopt},               {"redd", std::nullopt},              {"0xff80", std::nullopt},
        {"+f8000", std::nullopt},          {"##ff8000", std::nullopt},          {"ff 800", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(ParseColour(c.text), c.rgb) << '"' << c.text << '"';
    std::set<std::string> names;
    for (const NamedColour& colour : ColourNames()) {
        std::string upper = colour.name;
        for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
        EXPECT_EQ(ParseColour(upper), colour.rgb) << upper;
        names.insert(colour.name);
    }
    for (const char* name : {"black", "white", "red", "green", "blue", "yellow", "cyan", "magenta", "orange", "purple", "pink"}) {
        EXPECT_EQ(names.count(name), 1u) << name;
    }
}

TEST_F(KeyboardCommandsTest, LightingSwitchedOffStaysOffThroughLaterLightRecordWrites) {
    ASSERT_EQ(Command({"light", "off"}).status, 0);
    EXPECT_EQ(keyboard_->ParameterMemory()[15], 1);
    ASSERT_EQ(Command({"light", "set", "--brightness", "2"}).status, 0);
    ASSERT_EQ(Command({"settings", "set", "--polling-rate", "1"}).status, 0);
    EXPECT_EQ(keyboard_->ParameterMemory()[15], 1);
    EXPECT_EQ(ProfileLight()["LedStaus"].asInt(), 1);
    ASSERT_EQ(Command({"light", "on"}).status, 0);
    ASSERT_EQ(Command({"light", "set", "--brightness", "3"}).status, 0);
    EXPECT_EQ(keyboard_->ParameterMemory()[15], 0);
}

TEST_F(KeyboardCommandsTest, InfoDecodesTheBlockAndShowsTheRawBytesOnlyWhenAsked) {
    const Run text = Command({"info"});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("  model        VELNOR7 K5004\n  firmware     1.02\n"), std::string::npos) << text.out;
    EXPECT_EQ(text.out.find("information"), std::string::npos);
    const Run raw = Command({"info", "--raw"});
    EXPECT_NE(raw.out.find("  information  01 0a 08 00 7e 7e 10 00 56 45 4c 4e"), std::string::npos) << raw.out;

    const Run json = Command({"info"}, true);
    Json::Value parsed;
    std::istringstream stream(json.out);
    ASSERT_TRUE(Json::parseFromStream(Json::CharReaderBuilder(), stream, &parsed, nullptr)) << json.out;
    EXPECT_EQ(parsed[0]["model"], "VELNOR7 K5004");
    EXPECT_EQ(parsed[0]["firmwareVersion"], "1.02");
    EXPECT_EQ(parsed[0]["keys"], 126);
    EXPECT_EQ(parsed[0]["macroCapacity"], 2048);
    EXPECT_EQ(parsed[0]["info"].asString().size(), 34u * 3 - 1);
}

TEST(DeviceInformation, TheModelIsPrintableTextAndTheNumbersSitWhereTheKeyboardPutsThem) {
    const auto block = [](std::string_view model, uint8_t keys, uint8_t units, uint16_t firmware) {
        std::array<uint8_t, kDeviceInfoSize> bytes{};
        std::copy(model.begin(), model.end(), bytes.begin() + 8);
        bytes[5] = keys;
        bytes[6] = units;
        bytes[32] = static_cast<uint8_t>(firmware & 0xFF);
        bytes[33] = static_cast<uint8_t>(firmware >> 8);
        return bytes;
    };
    const struct {
        std::array<uint8_t, kDeviceInfoSize> bytes;
        std::string model;
        std::string firmware;
        unsigned keys;
        unsigned macroBytes;
    } cases[] = {
        {block("K5004", 126, 16, 0x0102), "K5004", "1.02", 126, 2048},
        // Sixteen characters leave no room for a NUL; byte 24 lies past the name.
        {block("ABCDEFGHIJKLMNOPQ", 255, 255, 0x1234), "ABCDEFGHIJKLMNOP", "12.34", 255, 255 * 128},
        {block(std::string_view("X\0hidden", 8), 0, 0, 0), "X", "0.00", 0, 0},
        {block("\x1b[2J\x7f\xc3\xa9", 0, 0, 0), "\\x1b[2J\\x7f\\xc3\\xa9", "0.00", 0, 0},
    };
    for (const auto& c : cases) {
        const DeviceInformation decoded = DecodeDeviceInformation(c.bytes);
        EXPECT_EQ(decoded.model, c.model);
        EXPECT_EQ(FirmwareVersionText(decoded.firmwareVersion), c.firmware);
        EXPECT_EQ(decoded.keys, c.keys);
        EXPECT_EQ(decoded.macroBytes, c.macroBytes);
    }
}


// The macro list from the command line, as the window's macro tab keeps it: a macro deleted
// takes the keys that played it back to their default, and keys of later macros follow.
TEST_F(KeyboardCommandsTest, MacrosAreListedShownRenamedExportedImportedAndDeletedWithTheirKeys) {
    ASSERT_EQ(Cli({"macros", "add", "Reload"}).status, 0);
    ASSERT_EQ(Cli({"macros", "add", "Build"}).status, 0);
    EXPECT_EQ(Cli({"macros", "add", "BUILD"}).status, kExitFailed) << "names differ in more than letter case";
    {
        MacroLibrary library(UserDataDirectory("keyboard"));
        library.LoadList();
        ASSERT_EQ(library.SaveMacroEvents(1, {MacroEvent{kMacroModifierKey, "down", 0x01, 20},
                                              MacroEvent{kMacroKey, "down", 0x04, 30},
                                              MacroEvent{kMacroMouseButton, "up", 0x02, 0}}),
                  MacroStatus::Ok);
    }
    const Run shown = Cli({"macros", "show", "build"});
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_EQ(shown.out, "LCtrl down  20 ms\nA down  30 ms\nright button up  0 ms\n");
    const Json::Value list = ParseJson(Cli({"--json", "macros", "list"}).out);
    ASSERT_EQ(list["macros"].size(), 2u);
    EXPECT_EQ(list["macros"][1]["name"].asString(), "Build");
    EXPECT_EQ(list["macros"][1]["events"].asInt(), 3);

    const std::string copy = (home_ / "build.mac").string();
    ASSERT_EQ(Cli({"macros", "export", "Build", copy}).status, 0);
    ASSERT_EQ(Cli({"macros", "rename", "Build", "Craft"}).status, 0);
    ASSERT_EQ(Cli({"macros", "import", copy}).status, 0);
    EXPECT_NE(Cli({"macros", "list"}).out.find("2  "), std::string::npos) << "the import is macro 2";

    // Key A plays macro 0, key B macro 2; the keyboard is attached.
    ASSERT_EQ(Cli({"keymap", "set", "A", "700001"}).status, 0);
    ASSERT_EQ(Cli({"keymap", "set", "B", "710203"}).status, 0);
    const Run refused = Cli({"macros", "delete", "reload"});
    EXPECT_EQ(refused.status, kExitFailed);
    EXPECT_NE(refused.err.find("--force"), std::string::npos) << refused.err;
    EXPECT_EQ(ParseJson(Cli({"--json", "macros", "list"}).out)["macros"].size(), 3u) << "nothing was deleted";

    const Run deleted = Cli({"macros", "delete", "reload", "--force"});
    ASSERT_EQ(deleted.status, 0) << deleted.err;
    EXPECT_NE(deleted.out.find("macro 'Reload' deleted"), std::string::npos) << deleted.out;
    EXPECT_NE(deleted.out.find("written to the keyboard"), std::string::npos) << deleted.out;
    // The current profile's keys, as the file has them.
    CKeyboardProfiledata profile;
    const std::string folder = UserDataDirectory("keyboard");
    ASSERT_TRUE(profile.SetProfileFile(folder, CProfileList(folder, DefaultDataDirectory() + "keyboard.Json").CurrentUuid()));
    profile.Load(profile.GetPath());
    const std::vector<KeyListEntry> keys = profile.ReadKeyList();
    const auto keyNamed = [&](std::string_view id) {
        for (int k = 0; k < kKeyCount; ++k) {
            if (KeyName(k) == id) return keys[static_cast<size_t>(k)];
        }
        ADD_FAILURE() << "no key " << id;
        return KeyListEntry{};
    };
    EXPECT_EQ(keyNamed("keyboard_key_A").current, keyNamed("keyboard_key_A").defaults) << "back to its default";
    EXPECT_EQ(keyNamed("keyboard_key_B").current.code, (KeyCode{0x71, 0x01, 0x03})) << "its macro is number 1 now";
    EXPECT_EQ(Cli({"macros", "delete", "nosuch"}).status, kExitFailed);
}

}  // namespace
}  // namespace velnor7


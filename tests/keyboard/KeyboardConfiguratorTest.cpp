// The keyboard's transactions against its emulator: what lands in the keyboard's memories,
// and what the profile takes back.
#include "keyboard/ConfiguratorFixture.h"

#include "common/JsonFile.h"
#include "macros/MacroLibrary.h"

#include <gtest/gtest.h>

namespace velnor7 {
namespace {

using testing::KeyboardConfiguratorTest;

TEST_F(KeyboardConfiguratorTest, TheReadOutMapsTheKeyboardsSlotsAndLeds) {
    ASSERT_TRUE(configurator_->ReadOut().Ok());
    EXPECT_EQ(configurator_->SlotCount(), 126);
    const std::vector<uint8_t> memory = keyboard_->KeyMapMemory();
    EXPECT_EQ(configurator_->ReportedKeyMap(), std::vector<uint8_t>(memory.begin(), memory.begin() + 378));
    EXPECT_EQ(configurator_->Maps().slots[104], 62);
    // A slot no key sits in finds no key.
    std::vector<bool> used(256, false);
    for (uint8_t slot : configurator_->Maps().slots) used[slot] = true;
    for (int slot = 0; slot < 126; ++slot) {
        if (!used[static_cast<size_t>(slot)]) {
            EXPECT_FALSE(configurator_->KeyOfSlot(slot).has_value());
            break;
        }
    }
}

TEST_F(KeyboardConfiguratorTest, TheLightRecordClampsTheModeReversesTheSpeedAndReadsBackFromTheActiveProfile) {
    LightInfoRecord light = profile_.ReadLightInfo();
    light.selectItem = 30;
    light.light = 3;
    light.speed = 4;
    light.red = 10;
    profile_.WriteLightInfo(light);
    ASSERT_TRUE(configurator_->WriteLightRecord().Ok());
    std::vector<uint8_t> memory = keyboard_->ParameterMemory();
    EXPECT_EQ(memory[0], 0);
    EXPECT_EQ(memory[1], 0);  // mode 30 is the program's own
    EXPECT_EQ(memory[2], 3);
    EXPECT_EQ(memory[3], 0);  // speed 4 sent as 0
    EXPECT_EQ(memory[6], 10);

    // The keyboard switches to its profile 2 and changes it there.
    const std::vector<uint8_t> active{2};
    ASSERT_TRUE(keyboard_->SetParameterBytes(0, active));
    const std::vector<uint8_t> record{0, 7, 5, 1, 0, 1, 200, 100, 50};
    ASSERT_TRUE(keyboard_->SetParameterBytes(50, record));
    channel_.SetSynced(true);
    const LightRecordRead readBack = configurator_->ReadLightRecord();
    ASSERT_TRUE(readBack.result.Ok()) << readBack.result.reason;
    EXPECT_FALSE(channel_.Synced());
    EXPECT_EQ(readBack.record.mode, 7);
    EXPECT_EQ(readBack.record.speed, 3);  // 4 - 1
    const Json::Value saved = LoadJsonFile(profile_.GetPath());
    const Json::Value& info = saved["Device"][0]["LightInfo"];
    EXPECT_EQ(info["SelectItem"].asInt(), 7);
    EXPECT_EQ(info["Red"].asInt(), 200);
    EXPECT_EQ(info["Speed"].asInt(), 3);
}

TEST_F(KeyboardConfiguratorTest, TheKeyMapCarriesTheProfilesAssignmentsAndKeepsUnmappedSlots) {
    ASSERT_TRUE(configurator_->ReadOut().Ok());
    std::vector<KeyListEntry> keys = profile_.ReadKeyList();
    ASSERT_GT(keys.size(), 104u);
    keys[104].current.code = KeyCode{0x20, 0x00, 0x05};  // key 104 becomes B
    profile_.WriteKeyList(keys);
    const std::vector<uint8_t> before = keyboard_->KeyMapMemory();
    ASSERT_TRUE(configurator_->WriteKeyMap().Ok());
    const std::vector<uint8_t> after = keyboard_->KeyMapMemory();
    const size_t slot = configurator_->Maps().slots[104];
    EXPECT_EQ(std::vector<uint8_t>(after.begin() + 3 * slot, after.begin() + 3 * slot + 3),
              (std::vector<uint8_t>{0x20, 0x00, 0x05}));
    // Everything past the keyboard's slots is as it was.
    EXPECT_TRUE(std::equal(after.begin() + 378, after.end(), before.begin() + 378));
}

TEST_F(KeyboardConfiguratorTest, TheMacroMemoryTakesTheBlobOfEveryListedMacro) {
    MacroLibrary library(folder_);
    library.LoadList();
    for (size_t events : {10u, 0u, 5u}) {
        const AddedMacro added = library.AddMacro();
        std::vector<MacroEvent> list(events, MacroEvent{kMacroKey, "down", 4, 10});
        if (events > 0) {
            ASSERT_EQ(library.SaveMacroEvents(added.index, list), MacroStatus::Ok);
        }
    }
    const MacroWrite written = configurator_->WriteMacros();
    ASSERT_TRUE(written.result.Ok()) << written.result.reason;
    EXPECT_EQ(written.macros, 3u);
    const std::vector<uint8_t> memory = keyboard_->MacroMemory();
    EXPECT_EQ(std::vector<uint8_t>(memory.begin(), memory.begin() + 6), (std::vector<uint8_t>{0xAA, 0x55, 94, 0, 3, 0}));
    EXPECT_EQ(std::vector<uint8_t>(memory.begin() + 16, memory.begin() + 22), (std::vector<uint8_t>{22, 0, 66, 0, 70, 0}));
    EXPECT_EQ(memory[22], 10);
}

TEST_F(KeyboardConfiguratorTest, CustomColoursAreScaledByAlphaAndAPaintedKeyIsNot) {
    ASSERT_TRUE(configurator_->ReadOut().Ok());
    LightInfoRecord light = profile_.ReadLightInfo();
    light.selectItem = CKeyboardConfigurator::kCustomLightMode;
    light.customGroup = 2;
    light.red = 200;
    light.green = 100;
    light.blue = 50;
    profile_.WriteLightInfo(light);
    const int key = 36;
    const size_t led = configurator_->Maps().leds[key];
    ASSERT_LT(led * 3 + 2, 512u);
    configurator_->KeyColours().assign(126, KeyColour{0, 0, 0, 0});
    configurator_->KeyColours()[key] = KeyColour{200, 100, 50, 128};
    ASSERT_TRUE(configurator_->WriteCustomColours().Ok());
    std::vector<uint8_t> page = keyboard_->LedPage(2);
    EXPECT_EQ(std::vector<uint8_t>(page.begin() + 3 * led, page.begin() + 3 * led + 3), (std::vector<uint8_t>{100, 50, 25}));
    ASSERT_TRUE(configurator_->PaintKey(key).Ok());
    page = keyboard_->LedPage(2);
    EXPECT_EQ(std::vector<uint8_t>(page.begin() + 3 * led, page.begin() + 3 * led + 3), (std::vector<uint8_t>{200, 100, 50}));

    // A key that was never lit is given full alpha with its colour, or it would not show; a
    // fill keeps every other key's alpha, and black gives none.
    configurator_->KeyColours()[key + 1] = KeyColour{0, 0, 0, 0};
    ASSERT_TRUE(configurator_->PaintKeys({key + 1}).Ok());
    EXPECT_EQ(configurator_->KeyColours()[key + 1].alpha, 255);
    ASSERT_TRUE(configurator_->FillKeys(Rgb{0, 0, 0}).Ok());
    EXPECT_EQ(configurator_->KeyColours()[key].alpha, 128);
    configurator_->KeyColours()[key + 2] = KeyColour{0, 0, 0, 0};
    ASSERT_TRUE(configurator_->FillKeys(Rgb{0, 0, 0}).Ok());
    EXPECT_EQ(configurator_->KeyColours()[key + 2].alpha, 0);
    ASSERT_TRUE(configurator_->FillKeys(Rgb{10, 20, 30}).Ok());
    EXPECT_EQ(configurator_->KeyColours()[key + 2].alpha, 255);
    EXPECT_EQ(configurator_->KeyColours()[key].alpha, 128);
    page = keyboard_->LedPage(2);
    EXPECT_EQ(std::vector<uint8_t>(page.begin() + 3 * led, page.begin() + 3 * led + 3), (std::vector<uint8_t>{5, 10, 15}))
        << "a fill is written scaled by each key's alpha";

    // Outside the custom mode neither sends anything.
    light.selectItem = 1;
    profile_.WriteLightInfo(light);
    const int before = Requests();
    EXPECT_TRUE(configurator_->WriteCustomColours().Ok());
    EXPECT_TRUE(configurator_->PaintKey(key).Ok());
    EXPECT_EQ(Requests(), before);
}

TEST_F(KeyboardConfiguratorTest, OnAClosedChannelEveryTransactionSaysSoAndSendsNothing) {
    MacroLibrary library(folder_);
    library.LoadList();
    ASSERT_EQ(library.SaveMacroEvents(library.AddMacro().index, {MacroEvent{kMacroKey, "down", 4, 10}}), MacroStatus::Ok);
    channel_.SetOpen(false);
    const int before = Requests();
    for (const DeviceResult& result :
         {configurator_->ReadOut(), configurator_->WriteLightRecord(), configurator_->ReadLightRecord().result,
          configurator_->WriteLedSwitch(true), configurator_->WriteKeyMap(), configurator_->WriteMacros().result}) {
        EXPECT_EQ(result.error, DeviceError::NotOpen) << result.reason;
        EXPECT_NE(result.reason.find("not attached"), std::string::npos) << result.reason;
    }
    EXPECT_EQ(Requests(), before);
}

TEST_F(KeyboardConfiguratorTest, NothingIsWrittenFromAKeyMapOrLedMapThatWasNeverRead) {
    LightInfoRecord light = profile_.ReadLightInfo();
    light.selectItem = CKeyboardConfigurator::kCustomLightMode;
    profile_.WriteLightInfo(light);
    const std::vector<uint8_t> keyMap = keyboard_->KeyMapMemory();
    EXPECT_EQ(configurator_->WriteKeyMap().error, DeviceError::NotReadOut);
    EXPECT_EQ(configurator_->WriteCustomColours().error, DeviceError::NotReadOut);
    EXPECT_EQ(configurator_->PaintKey(3).error, DeviceError::NotReadOut);
    EXPECT_EQ(Requests(), 0);
    EXPECT_EQ(keyboard_->KeyMapMemory(), keyMap);

    // A keyboard pulled out takes its read-out with it.
    ASSERT_TRUE(configurator_->ReadOut().Ok());
    configurator_->Forget();
    EXPECT_EQ(configurator_->WriteKeyMap().error, DeviceError::NotReadOut);
    EXPECT_EQ(configurator_->Maps().slots[104], kAbsentKey);
}

TEST_F(KeyboardConfiguratorTest, TheLedSwitchIsByte15) {
    ASSERT_TRUE(configurator_->WriteLedSwitch(true).Ok());
    EXPECT_EQ(keyboard_->ParameterMemory()[15], 1);
    ASSERT_TRUE(configurator_->WriteLedSwitch(false).Ok());
    EXPECT_EQ(keyboard_->ParameterMemory()[15], 0);
}

TEST_F(KeyboardConfiguratorTest, MacrosThatDoNotFitAreRefusedWithTheOverflowAndNothingIsSent) {
    MacroLibrary library(folder_);
    library.LoadList();
    // 2048 bytes of macro memory: 16 + 6 + 4 x 600 = 2422 bytes, 94 whole events too many.
    ASSERT_EQ(library.SaveMacroEvents(library.AddMacro().index, std::vector<MacroEvent>(600, MacroEvent{kMacroKey, "down", 4, 10})),
              MacroStatus::Ok);
    const std::vector<uint8_t> before = keyboard_->MacroMemory();
    const MacroWrite written = configurator_->WriteMacros();
    EXPECT_EQ(written.result.error, DeviceError::DoesNotFit);
    EXPECT_EQ(written.overflow, (2422 - 2048) / 4 + 1);
    EXPECT_NE(written.result.reason.find("94 events too many"), std::string::npos) << written.result.reason;
    EXPECT_EQ(keyboard_->MacroMemory(), before);
}

}  // namespace
}  // namespace velnor7

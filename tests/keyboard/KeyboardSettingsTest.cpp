// The keyboard's system options as the settings panel and the command line change them:
// into the profile and its file, then the light record to the keyboard and the key repeat
// to the computer.
#include "keyboard/ConfiguratorFixture.h"

#include "common/JsonFile.h"
#include "keyboard/KeyboardSettings.h"

#include <gtest/gtest.h>

namespace velnor7 {
namespace {

using testing::KeyboardConfiguratorTest;

class RecordingRepeat : public ISystemKeyboardRepeat {
public:
    KeyboardRepeatResult Apply(const KeyboardRepeatRequest& request) override {
        requests.push_back(request);
        return {KeyboardRepeatResult::Outcome::NotAvailable, "no setting", std::nullopt};
    }
    std::vector<KeyboardRepeatRequest> requests;
};

class KeyboardSettingsTest : public KeyboardConfiguratorTest {
protected:
    Json::Value StoredStages() { return LoadJsonFile(profile_.GetPath())["Device"][0]["SystemStages"]; }
    KeyboardSettingsWrite Apply(const KeyboardSettingsChange& change) {
        return ApplyKeyboardSettings(profile_, *configurator_, repeat_, change);
    }
    RecordingRepeat repeat_;
};

TEST_F(KeyboardSettingsTest, SeveralValuesGoIntoTheFileOneLightRecordAndOneRepeatRequest) {
    const KeyboardSettingsWrite write = Apply(
        {.pollingRate = 3, .winLock = true, .wFlag = true, .key6Flag = false, .repeatRate = 5, .repeatDelay = 0});
    EXPECT_TRUE(write.Ok()) << write.profile.reason;
    ASSERT_TRUE(write.lightRecord.has_value());
    ASSERT_TRUE(write.repeat.has_value());
    const std::vector<uint8_t> memory = keyboard_->ParameterMemory();
    EXPECT_EQ(std::vector<uint8_t>(memory.begin() + 19, memory.begin() + 23), (std::vector<uint8_t>{1, 0, 1, 3}));
    EXPECT_EQ(StoredStages()["PollingRate"].asInt(), 3);
    EXPECT_EQ(StoredStages()["WinFlag"].asInt(), 1);
    EXPECT_EQ(StoredStages()["Repeat"].asInt(), 5);
    EXPECT_EQ(StoredStages()["RepeatDelay"].asInt(), 0);
    ASSERT_EQ(repeat_.requests.size(), 1u);
    EXPECT_EQ(repeat_.requests[0].rate, 5);
    EXPECT_EQ(repeat_.requests[0].delay, 0);
}

TEST_F(KeyboardSettingsTest, AValueOutOfRangeChangesNothingAndSendsNothing) {
    const Json::Value before = StoredStages();
    const KeyboardSettingsWrite write = Apply({.pollingRate = 1, .repeatDelay = 4});
    EXPECT_EQ(write.profile.error, DeviceError::BadArgument);
    EXPECT_NE(write.profile.reason.find("the repeat delay must be 0..3, not 4"), std::string::npos)
        << write.profile.reason;
    EXPECT_FALSE(write.Ok());
    EXPECT_EQ(StoredStages(), before);
    EXPECT_NE(profile_.GetSystemStages().pollingRate, 1);
    EXPECT_EQ(Requests(), 0);
    EXPECT_TRUE(repeat_.requests.empty());
}

TEST_F(KeyboardSettingsTest, AProfileThatCannotBeSavedIsNamedAndTheKeyboardStillTakesTheChange) {
    // A folder where the profile file should be: it is left alone.
    std::filesystem::remove(profile_.GetPath());
    std::filesystem::create_directory(profile_.GetPath());
    const KeyboardSettingsWrite write = Apply({.wFlag = true});
    EXPECT_EQ(write.profile.error, DeviceError::ProfileNotSaved);
    EXPECT_NE(write.profile.reason.find(profile_.GetPath()), std::string::npos);
    ASSERT_TRUE(write.lightRecord.has_value());
    EXPECT_TRUE(write.lightRecord->Ok());
    EXPECT_EQ(keyboard_->ParameterMemory()[19], 1);
    EXPECT_EQ(profile_.GetSystemStages().wFlag, 1);
}

}  // namespace
}  // namespace velnor7

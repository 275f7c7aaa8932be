#include <gtest/gtest.h>

#include <json/reader.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "macros/MacroEvent.h"

namespace velnor7 {
namespace {

Json::Value Parse(const std::string& text) {
    Json::CharReaderBuilder builder;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value value;
    std::string errors;
    EXPECT_TRUE(reader->parse(text.data(), text.data() + text.size(), &value, &errors)) << errors;
    return value;
}

uint16_t DelayOf(const std::string& delayJson) {
    return MacroEventFromJson(Parse(R"({"Type": 10, "Action": "up", "Button": 4, "Delay": )" + delayJson + "}")).delayMs;
}

TEST(MacroEventTest, DelayTextsAndIntegersReadAsMillisecondsWithinSixteenBits) {
    EXPECT_EQ(DelayOf(R"("120")"), 120);
    EXPECT_EQ(DelayOf(R"("35ms")"), 35);  // leading digits only
    EXPECT_EQ(DelayOf(R"("")"), 0);
    EXPECT_EQ(DelayOf(R"("abc")"), 0);
    EXPECT_EQ(DelayOf(R"("-5")"), 0);
    EXPECT_EQ(DelayOf("0"), 0);  // a freshly recorded first event
    EXPECT_EQ(DelayOf("-1"), 0);
    EXPECT_EQ(DelayOf(R"("65535")"), 65535);
    EXPECT_EQ(DelayOf(R"("70000")"), 65535);
    EXPECT_EQ(DelayOf("70000"), 65535);
    EXPECT_EQ(DelayOf(R"("99999999999999999999999")"), 65535);
}

TEST(MacroEventTest, DeviceFormCarriesDelayLittleEndianAndOnlyExactDownSetsThePressBit) {
    MacroEvent event{kMacroKey, "down", 0x04, 0x1234};
    EXPECT_EQ(MacroEventDeviceForm(event), (std::array<uint8_t, 4>{0x34, 0x12, 0x8A, 0x04}));

    event.action = "Down";
    EXPECT_EQ(MacroEventDeviceForm(event)[2], 0x0A);
    event.action = "DOWN";
    EXPECT_EQ(MacroEventDeviceForm(event)[2], 0x0A);
    event.action = "up";
    EXPECT_EQ(MacroEventDeviceForm(event)[2], 0x0A);
    event.action = "down ";
    EXPECT_EQ(MacroEventDeviceForm(event)[2], 0x0A);

    // A delay beyond 16 bits in a file stays the longest wait instead of wrapping to 4464 ms.
    const MacroEvent longWait = MacroEventFromJson(Parse(R"({"Type": 1, "Action": "down", "Button": 1, "Delay": "70000"})"));
    EXPECT_EQ(MacroEventDeviceForm(longWait), (std::array<uint8_t, 4>{0xFF, 0xFF, 0x81, 0x01}));

    // Out-of-range type and button values are cut to their fields, not spilled into the press bit.
    const MacroEvent wide{0xFF, "up", 0x1FF, 0};
    EXPECT_EQ(MacroEventDeviceForm(wide), (std::array<uint8_t, 4>{0x00, 0x00, 0x7F, 0xFF}));
}

TEST(MacroEventTest, MalformedDocumentsAndMembersReadWithoutThrowing) {
    EXPECT_TRUE(MacroEventsFromDocument(Parse("[1, 2]")).empty());
    EXPECT_TRUE(MacroEventsFromDocument(Parse(R"("Events")")).empty());
    EXPECT_TRUE(MacroEventsFromDocument(Parse(R"({"Events": {"Type": 1}})")).empty());
    EXPECT_TRUE(MacroEventsFromDocument(Json::Value()).empty());

    const auto events = MacroEventsFromDocument(Parse(
        R"({"Events": [7, null, {"Type": "ten", "Action": 1, "Button": [], "Delay": {}},
                       {"Type": 9, "Action": "down", "Button": 2, "Delay": "15"}, "x"]})"));
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0], MacroEvent{});
    EXPECT_EQ(events[1], (MacroEvent{kMacroModifierKey, "down", 2, 15}));
}

}  // namespace
}  // namespace velnor7

#include "core/HidDescriptor.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace velnor7 {
namespace {

using Bytes = std::vector<uint8_t>;

const Bytes kBootKeyboard = {
    0x05, 0x01, 0x09, 0x06, 0xA1, 0x01,              // Generic Desktop / Keyboard, application
    0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7,              //   modifiers E0..E7
    0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x08,  //   8 x 1 bit, 0..1
    0x81, 0x02,                                      //   Input (Data, Var)
    0x95, 0x01, 0x75, 0x08, 0x81, 0x01,              //   reserved byte (Constant)
    0x95, 0x05, 0x75, 0x01, 0x05, 0x08,              //   5 LEDs
    0x19, 0x01, 0x29, 0x05, 0x91, 0x02,              //   Output (Data, Var)
    0x95, 0x01, 0x75, 0x03, 0x91, 0x01,              //   LED padding
    0x95, 0x06, 0x75, 0x08, 0x15, 0x00, 0x25, 0x65,  //   6 key slots, 0..101
    0x05, 0x07, 0x19, 0x00, 0x29, 0x65, 0x81, 0x00,  //   Input (Data, Array)
    0xC0};

const Bytes kVendorAndConsumer = {
    0x06, 0x1C, 0xFF, 0x09, 0x92, 0xA1, 0x01,        // vendor 0xFF1C / 0x92
    0x85, 0x04, 0x09, 0x01, 0x15, 0x00, 0x26, 0xFF, 0x00,
    0x75, 0x08, 0x95, 0x3F, 0x81, 0x02,              //   63 input bytes
    0x09, 0x01, 0x91, 0x02,                          //   63 output bytes
    0xC0,
    0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01,              // Consumer / Consumer Control
    0x85, 0x03, 0x15, 0x00, 0x26, 0xFF, 0x0F,
    0x19, 0x00, 0x2A, 0xFF, 0x0F,
    0x75, 0x10, 0x95, 0x01, 0x81, 0x00,              //   one 16-bit array slot
    0xC0};

// X, Y with a negative logical range and a physical range; a third entry repeats
// Y; then a wheel whose maximum 255 is written as the single byte 0xFF.
const Bytes kPointer = {
    0x05, 0x01, 0x09, 0x02, 0xA1, 0x01,
    0x09, 0x30, 0x09, 0x31, 0x15, 0x81, 0x25, 0x7F,
    0x36, 0x18, 0xFC, 0x46, 0xE8, 0x03,              //   physical -1000..1000
    0x75, 0x08, 0x95, 0x03, 0x81, 0x06,
    0x09, 0x38, 0x15, 0x00, 0x25, 0xFF, 0x35, 0x00, 0x45, 0x00,
    0x95, 0x01, 0x81, 0x02,
    0xC0};

HidDescriptorInfo Parse(const Bytes& descriptor) {
    return ParseHidReportDescriptor(descriptor.data(), descriptor.size());
}

std::optional<std::vector<uint16_t>> Usages(const HidCollectionCaps& caps, HidReportType type, uint16_t page,
                                            const Bytes& report) {
    std::vector<uint16_t> usages;
    if (!HidGetUsages(caps, type, page, report.data(), report.size(), usages)) return std::nullopt;
    return usages;
}

TEST(HidDescriptor, BootKeyboardCapsAndDecoding) {
    const HidDescriptorInfo info = Parse(kBootKeyboard);
    ASSERT_TRUE(info.ok) << info.error;
    ASSERT_EQ(info.collections.size(), 1u);
    const HidCollectionCaps& keyboard = info.collections[0];
    EXPECT_FALSE(info.usesReportIds);
    EXPECT_TRUE(keyboard.reportIds.empty());
    EXPECT_EQ(keyboard.usagePage, 0x01);
    EXPECT_EQ(keyboard.usage, 0x06);
    EXPECT_EQ(keyboard.Of(HidReportType::Input).byteLength, 9);
    EXPECT_EQ(keyboard.Of(HidReportType::Output).byteLength, 2);
    EXPECT_EQ(keyboard.Of(HidReportType::Feature).byteLength, 0);

    const auto& buttons = keyboard.Of(HidReportType::Input).buttons;
    ASSERT_EQ(buttons.size(), 2u);
    EXPECT_FALSE(buttons[0].isArray);
    EXPECT_EQ(buttons[0].usageMax, 0xE7);
    EXPECT_TRUE(buttons[1].isArray);
    EXPECT_EQ(buttons[1].bitOffset, 16u);  // behind the constant byte
    EXPECT_EQ(buttons[1].reportCount, 6);
    EXPECT_TRUE(keyboard.Of(HidReportType::Input).values.empty());
    EXPECT_EQ(HidMaxUsageListLength(keyboard, HidReportType::Input, 0x07), 14u);

    // Left shift + right GUI, keys A and B, empty slots.
    EXPECT_EQ(Usages(keyboard, HidReportType::Input, 0x07, {0x82, 0, 0x04, 0x05, 0, 0, 0, 0}),
              (std::vector<uint16_t>{0xE1, 0xE7, 0x04, 0x05}));
    EXPECT_EQ(Usages(keyboard, HidReportType::Output, 0x08, {0x05}), (std::vector<uint16_t>{1, 3}));
    EXPECT_EQ(Usages(keyboard, HidReportType::Input, 0x08, {0, 0, 0, 0, 0, 0, 0, 0}), std::vector<uint16_t>{});
    EXPECT_EQ(Usages(keyboard, HidReportType::Input, 0x07, {0x82, 0, 0x04, 0, 0, 0, 0}), std::nullopt);
}

TEST(HidDescriptor, ReportIdsSplitCollections) {
    const HidDescriptorInfo info = Parse(kVendorAndConsumer);
    ASSERT_TRUE(info.ok) << info.error;
    EXPECT_TRUE(info.usesReportIds);
    ASSERT_EQ(info.collections.size(), 2u);
    const HidCollectionCaps& vendor = info.collections[0];
    const HidCollectionCaps& consumer = info.collections[1];
    EXPECT_EQ(vendor.usagePage, 0xFF1C);
    EXPECT_EQ(vendor.usage, 0x92);
    EXPECT_EQ(vendor.reportIds, Bytes{4});
    EXPECT_EQ(vendor.Of(HidReportType::Input).byteLength, 64);
    EXPECT_EQ(vendor.Of(HidReportType::Output).byteLength, 64);
    EXPECT_EQ(consumer.usagePage, 0x0C);
    EXPECT_EQ(consumer.reportIds, Bytes{3});
    EXPECT_EQ(consumer.Of(HidReportType::Input).byteLength, 3);
    EXPECT_EQ(consumer.Of(HidReportType::Output).byteLength, 0);

    EXPECT_EQ(Usages(consumer, HidReportType::Input, 0x0C, {3, 0x01, 0x04}), (std::vector<uint16_t>{0x0401}));
    EXPECT_EQ(Usages(consumer, HidReportType::Input, 0x0C, {3, 0, 0}), std::vector<uint16_t>{});
    EXPECT_EQ(Usages(consumer, HidReportType::Input, 0x0C, {3, 0x01}), std::nullopt);
    EXPECT_EQ(Usages(consumer, HidReportType::Input, 0x0C, {4, 0x01, 0x04}), std::nullopt);
    EXPECT_EQ(Usages(consumer, HidReportType::Input, 0x0C, {}), std::nullopt);

    Bytes report(64, 0);
    report[0] = 4;
    report[1] = 0xA5;
    uint32_t raw = 0;
    EXPECT_TRUE(HidGetUsageValue(vendor, HidReportType::Input, 0xFF1C, 0x01, report.data(), report.size(), raw));
    EXPECT_EQ(raw, 0xA5u);
    EXPECT_FALSE(HidGetUsageValue(vendor, HidReportType::Input, 0xFF1C, 0x01, report.data(), 1, raw));
    report[0] = 3;
    EXPECT_FALSE(HidGetUsageValue(vendor, HidReportType::Input, 0xFF1C, 0x01, report.data(), report.size(), raw));
}

TEST(HidDescriptor, SharedReportIdAccumulatesAcrossCollections) {
    const HidDescriptorInfo info = Parse({0x09, 0x01, 0xA1, 0x01, 0x85, 0x01, 0x09, 0x01, 0x75, 0x08, 0x95, 0x01,
                                          0x81, 0x02, 0xC0, 0x09, 0x02, 0xA1, 0x01, 0x09, 0x02, 0x95, 0x02, 0x81,
                                          0x02, 0xC0});
    ASSERT_TRUE(info.ok) << info.error;
    for (const HidCollectionCaps& collection : info.collections) {
        EXPECT_EQ(collection.Of(HidReportType::Input).byteLength, 4);
    }
    EXPECT_EQ(info.collections[1].Of(HidReportType::Input).values.at(0).bitOffset, 8u);
}

TEST(HidDescriptor, ValuesAreSignedAndScaled) {
    const HidDescriptorInfo info = Parse(kPointer);
    ASSERT_TRUE(info.ok) << info.error;
    const HidCollectionCaps& pointer = info.collections[0];
    const auto& values = pointer.Of(HidReportType::Input).values;
    ASSERT_EQ(values.size(), 3u);
    EXPECT_EQ(values[1].usageMin, 0x31);
    EXPECT_EQ(values[1].reportCount, 2);  // Y repeats for the third entry
    EXPECT_EQ(values[2].logicalMax, 255);

    const auto scaled = [&](uint16_t usage, const Bytes& report) -> std::optional<int32_t> {
        int32_t value = 0;
        if (!HidGetScaledUsageValue(pointer, HidReportType::Input, 0x01, usage, report.data(), report.size(), value))
            return std::nullopt;
        return value;
    };
    EXPECT_EQ(scaled(0x30, {0x81, 0x7F, 0, 0}), -1000);
    EXPECT_EQ(scaled(0x31, {0x81, 0x7F, 0, 0}), 1000);
    EXPECT_EQ(scaled(0x30, {0xFF, 0, 0, 0}), -8);     // 126 * 2000 / 254 - 1000, truncated
    EXPECT_EQ(scaled(0x30, {0x80, 0, 0, 0}), std::nullopt);  // -128 lies outside the logical range
    EXPECT_EQ(scaled(0x38, {0, 0, 0, 0x80}), std::nullopt);  // no physical range

    uint32_t raw = 0;
    const Bytes report = {0x80, 0, 0, 0xC8};
    EXPECT_TRUE(HidGetUsageValue(pointer, HidReportType::Input, 0x01, 0x30, report.data(), report.size(), raw));
    EXPECT_EQ(raw, 0x80u);
    EXPECT_TRUE(HidGetUsageValue(pointer, HidReportType::Input, 0x01, 0x38, report.data(), report.size(), raw));
    EXPECT_EQ(raw, 0xC8u);
    EXPECT_FALSE(HidGetUsageValue(pointer, HidReportType::Input, 0x01, 0x32, report.data(), report.size(), raw));
    EXPECT_FALSE(HidGetUsageValue(pointer, HidReportType::Input, 0x01, 0x38, report.data(), 3, raw));
}

TEST(HidDescriptor, UsageListsMapOntoCaps) {
    // Array slots over volume up, volume down, mute, play/pause (logical 1..4);
    // then a value range of six usages over only two entries.
    const HidDescriptorInfo info = Parse({0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x15, 0x01, 0x25, 0x04, 0x09, 0xE9,
                                          0x09, 0xEA, 0x09, 0xE2, 0x09, 0xCD, 0x75, 0x08, 0x95, 0x02, 0x81, 0x00,
                                          0x19, 0x30, 0x29, 0x35, 0x81, 0x02, 0xC0});
    ASSERT_TRUE(info.ok) << info.error;
    const HidCollectionCaps& consumer = info.collections[0];
    const auto& buttons = consumer.Of(HidReportType::Input).buttons;
    ASSERT_EQ(buttons.size(), 3u);
    EXPECT_TRUE(buttons[0].isRange);
    EXPECT_EQ(buttons[0].usageMax, 0xEA);
    EXPECT_EQ(buttons[2].usageMin, 0xCD);
    EXPECT_EQ(HidMaxUsageListLength(consumer, HidReportType::Input, 0x0C), 2u);
    EXPECT_EQ(Usages(consumer, HidReportType::Input, 0x0C, {2, 4, 0, 0}), (std::vector<uint16_t>{0xEA, 0xCD}));
    EXPECT_EQ(Usages(consumer, HidReportType::Input, 0x0C, {0, 5, 0, 0}), std::vector<uint16_t>{});

    const auto& values = consumer.Of(HidReportType::Input).values;
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].usageMax, 0x31);  // every usage of the range has an entry
}

TEST(HidDescriptor, MalformedDescriptorsAreRejected) {
    Bytes tooDeep;
    for (int i = 0; i < 40; ++i) tooDeep.insert(tooDeep.end(), {0xA1, 0x00});
    tooDeep.insert(tooDeep.end(), 40, 0xC0);
    const std::vector<Bytes> malformed = {
        {},
        {0x05},                                                   // truncated item
        {0xA1, 0x01, 0x06, 0x01},                                 // truncated 2-byte item
        {0xFE, 0x05, 0x00, 0x01},                                 // truncated long item
        {0xC0},                                                   // end without collection
        {0xA1, 0x01, 0xA1, 0x00, 0xC0},                           // left open
        tooDeep,
        {0xA1, 0x01, 0x85, 0x00, 0xC0},                           // report ID 0
        {0x75, 0x08, 0x95, 0x01, 0x81, 0x02},                     // field outside a collection
        {0xA1, 0x01, 0x75, 0x20, 0x96, 0xFF, 0xFF, 0x81, 0x02, 0xC0},
        {0xA1, 0x01, 0x77, 0xFF, 0xFF, 0xFF, 0xFF, 0x97, 0xFF, 0xFF, 0xFF, 0xFF, 0x81, 0x02, 0xC0},
        {0xA1, 0x01, 0xB4, 0xC0},                                 // pop without push
        {0xA1, 0x01, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0x85, 0x01, 0x81, 0x02, 0xC0},  // IDs on some fields
    };
    for (size_t i = 0; i < malformed.size(); ++i) {
        const HidDescriptorInfo info = Parse(malformed[i]);
        EXPECT_FALSE(info.ok) << "case " << i;
        EXPECT_FALSE(info.error.empty()) << "case " << i;
    }
    const auto pushes = [](size_t count) {
        Bytes descriptor = {0xA1, 0x01};
        descriptor.insert(descriptor.end(), count, 0xA4);
        descriptor.push_back(0xC0);
        return descriptor;
    };
    EXPECT_TRUE(Parse(pushes(16)).ok);
    EXPECT_FALSE(Parse(pushes(17)).ok);

    Bytes withLongItem = {0xFE, 0x02, 0x10, 0xAA, 0xBB};
    withLongItem.insert(withLongItem.end(), kBootKeyboard.begin(), kBootKeyboard.end());
    const HidDescriptorInfo info = Parse(withLongItem);
    ASSERT_TRUE(info.ok) << info.error;
    EXPECT_EQ(info.collections.at(0).Of(HidReportType::Input).byteLength, 9);
}

}  // namespace
}  // namespace velnor7

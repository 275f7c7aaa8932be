// The typed records that the profile data classes read out of a device document
// and write back into it.
#pragma once

#include <cstdint>
#include <string>

#include "core/KeyCode.h"

namespace velnor7 {

// Lighting state of a device. Fields 9 to 11 (`unused9`..`unused11`) are not kept
// in the document; the record travels as four 32-bit words in field order.
struct LightInfoRecord {
    uint8_t selectItem = 0;
    uint8_t light = 0;
    uint8_t speed = 0;
    uint8_t fx = 0;
    uint8_t multiColor = 0;
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t unused9 = 0;
    uint8_t unused10 = 0;
    uint8_t unused11 = 0;
    uint8_t ledStaus = 0;
    uint8_t zzccSelectItem = 0;
    uint8_t customGroup = 0;

    bool operator==(const LightInfoRecord&) const = default;
};

// One per-LED effect of the light list; `present` is 0 for a null array element.
struct LightListEntry {
    uint8_t mode = 0;
    uint8_t brightness = 0;
    uint8_t speed = 0;
    uint8_t direction = 0;
    uint8_t multiColor = 0;
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t unused9 = 0;
    uint8_t unused10 = 0;
    uint8_t present = 0;
    uint8_t unused12 = 0;
    uint8_t unused13 = 0;
    uint8_t unused14 = 0;

    bool operator==(const LightListEntry&) const = default;
};

// A key or button: what it does now and what it did from the factory. The id of
// both halves is the entry's position in the key list.
struct KeyListEntry {
    KeyAssignment current;
    KeyAssignment defaults;

    bool operator==(const KeyListEntry&) const = default;
};

struct CustomColour {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t alpha = 0;

    bool operator==(const CustomColour&) const = default;
};

struct KeyboardSystemValues {
    uint16_t repeat = 0;
    uint16_t repeatDelay = 0;
    uint16_t key6Flag = 0;
    uint16_t pollingRate = 0;
    uint16_t wFlag = 0;
    uint16_t winFlag = 0;

    bool operator==(const KeyboardSystemValues&) const = default;
};

struct MouseSystemValues {
    uint16_t doubleClickTime = 0;
    uint16_t mouseSpeed = 0;
    uint16_t pointerPrecision = 0;
    uint16_t scrollPage = 0;
    uint16_t wheelScrollLines = 0;
    uint16_t reportRate = 0;  // "ReportStages"."StageActive": polling-rate option

    bool operator==(const MouseSystemValues&) const = default;
};

struct DpiStage {
    uint8_t active = 0;
    uint8_t xy = 0;
    uint16_t dpiX = 0;
    uint16_t dpiY = 0;
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;

    bool operator==(const DpiStage&) const = default;
};

struct CorrectEntry {
    uint8_t pixThresh = 0;
    uint8_t minSq = 0;
    uint8_t select = 0;
    std::string name;  // UTF-8

    bool operator==(const CorrectEntry&) const = default;
};

struct HeadsetAudioSettings {
    int32_t magicEnable = 0;
    int32_t magicType = 0;
    int32_t eqType = 0;
    int32_t customEqSeletIndex = 0;
    int32_t micInSelect = 0;
    int32_t micInValue = 0;
    int32_t micMoniterSelect = 0;
    int32_t micMoniterValue = 0;

    bool operator==(const HeadsetAudioSettings&) const = default;
};

// "Assignment"/"DefaultAssignment" keep type, p1 and p2 as type << 16 | p1 << 8 | p2.
int32_t PackKeyCode(const KeyCode& code);
KeyCode UnpackKeyCode(int32_t packed);

}  // namespace velnor7

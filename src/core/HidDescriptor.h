// HID report-descriptor parser and report decoder.
//
// hidraw hands us the raw report descriptor of a whole USB interface; the
// device layer needs, per top-level collection, what the Windows HID parser
// would report: usage page and usage, report byte lengths, button and value
// capabilities, and decoding of received reports into usage lists and values.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace velnor7 {

enum class HidReportType : int { Input = 0, Output = 1, Feature = 2 };
constexpr int kHidReportTypeCount = 3;

// One main item that carries buttons: a variable field of 1-bit controls or an
// array field whose entries are usage numbers.
struct HidButtonCaps {
    uint8_t reportId = 0;        // 0 when the descriptor declares no report IDs
    uint16_t usagePage = 0;
    uint16_t usageMin = 0;       // usageMin == usageMax for a single usage
    uint16_t usageMax = 0;
    bool isRange = false;
    bool isArray = false;        // array field: each entry holds an index into the usage range
    uint32_t bitOffset = 0;      // bit position of the field in the report, after the report ID byte
    uint16_t reportSize = 0;     // bits per entry
    uint16_t reportCount = 0;    // entries
    int32_t logicalMin = 0;
    int32_t logicalMax = 0;
};

// One main item that carries values (variable, non-1-bit fields).
struct HidValueCaps {
    uint8_t reportId = 0;
    uint16_t usagePage = 0;
    uint16_t usageMin = 0;
    uint16_t usageMax = 0;
    bool isRange = false;
    uint32_t bitOffset = 0;      // bit position of the first entry, after the report ID byte
    uint16_t reportSize = 0;     // bits per entry
    uint16_t reportCount = 0;
    bool hasNull = false;
    int32_t logicalMin = 0;
    int32_t logicalMax = 0;
    int32_t physicalMin = 0;
    int32_t physicalMax = 0;
};

struct HidReportCaps {
    uint16_t byteLength = 0;     // longest report of this type in the collection, plus one byte for the report ID
                                 // (always counted, as on Windows); 0 when the collection has no report of this type
    std::vector<HidButtonCaps> buttons;
    std::vector<HidValueCaps> values;
};

struct HidCollectionCaps {
    uint16_t usagePage = 0;
    uint16_t usage = 0;
    std::vector<uint8_t> reportIds;                  // distinct IDs used in this collection, in order of appearance
    std::array<HidReportCaps, kHidReportTypeCount> reports;  // indexed by HidReportType

    const HidReportCaps& Of(HidReportType type) const { return reports[static_cast<int>(type)]; }
    bool OwnsReportId(uint8_t id) const;
};

struct HidDescriptorInfo {
    bool ok = false;
    std::string error;                              // why parsing failed (empty when ok)
    bool usesReportIds = false;
    std::vector<HidCollectionCaps> collections;     // top-level collections in descriptor order
};

// Never reads past size; malformed or truncated input gives ok == false with a reason.
HidDescriptorInfo ParseHidReportDescriptor(const uint8_t* data, size_t size);

// The usages that are "on" in a report for one usage page, as HidP_GetUsages does:
// set bits of variable button fields and non-zero entries of array fields, in
// field order. The report starts with its report ID byte when the collection uses
// IDs. Returns false when the report is too short or its ID is not owned.
bool HidGetUsages(const HidCollectionCaps& caps, HidReportType type, uint16_t usagePage,
                  const uint8_t* report, size_t length, std::vector<uint16_t>& usages);

// The raw (unsigned, zero-extended) value of a value usage. False when the usage
// is not in a field of this report or the report is too short.
bool HidGetUsageValue(const HidCollectionCaps& caps, HidReportType type, uint16_t usagePage, uint16_t usage,
                      const uint8_t* report, size_t length, uint32_t& value);

// The value scaled from the logical to the physical range (sign-extended when the
// logical minimum is negative). False as above, and when the value lies outside
// the logical range or the physical range is empty.
bool HidGetScaledUsageValue(const HidCollectionCaps& caps, HidReportType type, uint16_t usagePage, uint16_t usage,
                            const uint8_t* report, size_t length, int32_t& value);

// The greatest number of usages HidGetUsages can return for this page and type.
size_t HidMaxUsageListLength(const HidCollectionCaps& caps, HidReportType type, uint16_t usagePage);

}  // namespace velnor7

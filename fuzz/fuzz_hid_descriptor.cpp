// Parses arbitrary bytes as a report descriptor; when they parse, decodes the
// tail of the input as a report of every collection and type and checks that
// what the decoder returns agrees with the capabilities.
#include "core/HidDescriptor.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

using namespace velnor7;

void Require(bool condition) {
    if (!condition) std::abort();
}

// The caps of every field must lie inside the report length the collection announces.
void CheckLayout(const HidReportCaps& report) {
    const uint64_t availableBits = report.byteLength == 0 ? 0 : (report.byteLength - 1) * 8u;
    for (const HidButtonCaps& button : report.buttons) {
        Require(button.usageMin <= button.usageMax);
        Require(button.bitOffset + uint64_t{button.reportSize} * button.reportCount <= availableBits);
    }
    for (const HidValueCaps& value : report.values) {
        Require(value.usageMin <= value.usageMax);
        Require(value.bitOffset + uint64_t{value.reportSize} * value.reportCount <= availableBits);
    }
}

bool IsButtonUsage(const HidReportCaps& report, uint16_t usagePage, uint16_t usage) {
    return std::any_of(report.buttons.begin(), report.buttons.end(), [&](const HidButtonCaps& button) {
        return button.usagePage == usagePage && usage >= button.usageMin && usage <= button.usageMax;
    });
}

const HidValueCaps& FirstValueCaps(const HidReportCaps& report, const HidValueCaps& of, uint16_t usage) {
    for (const HidValueCaps& value : report.values) {
        if (value.reportId == of.reportId && value.usagePage == of.usagePage && usage >= value.usageMin &&
            usage <= value.usageMax) {
            return value;
        }
    }
    return of;
}

void Decode(const HidCollectionCaps& caps, HidReportType type, uint8_t reportId, const std::vector<uint8_t>& report) {
    const HidReportCaps& reportCaps = caps.Of(type);
    std::vector<uint16_t> usages;
    for (const HidButtonCaps& button : reportCaps.buttons) {
        if (HidGetUsages(caps, type, button.usagePage, report.data(), report.size(), usages)) {
            Require(usages.size() <= HidMaxUsageListLength(caps, type, button.usagePage));
            for (uint16_t usage : usages) Require(usage != 0 && IsButtonUsage(reportCaps, button.usagePage, usage));
        }
    }
    for (const HidValueCaps& value : reportCaps.values) {
        if (value.reportId != reportId) continue;
        for (uint16_t usage : {value.usageMin, value.usageMax}) {
            uint32_t raw = 0;
            int32_t scaled = 0;
            HidGetUsageValue(caps, type, value.usagePage, usage, report.data(), report.size(), raw);
            if (HidGetScaledUsageValue(caps, type, value.usagePage, usage, report.data(), report.size(), scaled)) {
                // A usage declared twice in one report is read from its first field.
                const HidValueCaps& first = FirstValueCaps(reportCaps, value, usage);
                Require(scaled >= first.physicalMin && scaled <= first.physicalMax);
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const HidDescriptorInfo info = ParseHidReportDescriptor(data, size);
    if (!info.ok) return 0;
    for (const HidCollectionCaps& caps : info.collections) {
        for (int type = 0; type < kHidReportTypeCount; ++type) {
            const auto reportType = static_cast<HidReportType>(type);
            CheckLayout(caps.Of(reportType));
            // Reports cut from the input's tail, at most as long as announced so that
            // short reports are exercised too, one per report ID of the collection.
            const size_t length = std::min<size_t>(size, caps.Of(reportType).byteLength);
            const std::vector<uint8_t> tail(data + size - length, data + size);
            if (caps.reportIds.empty()) Decode(caps, reportType, 0, tail);
            for (uint8_t id : caps.reportIds) {
                std::vector<uint8_t> report = tail;
                if (!report.empty()) report[0] = id;
                Decode(caps, reportType, id, report);
            }
        }
    }
    return 0;
}

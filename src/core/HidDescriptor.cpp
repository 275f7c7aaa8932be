#include "core/HidDescriptor.h"

#include <algorithm>
#include <exception>
#include <optional>

namespace velnor7 {

namespace {

// Limits that keep hostile descriptors from costing unbounded time or memory.
constexpr uint64_t kMaxReportBits = 8 * 4096;
constexpr int kMaxCollectionDepth = 32;
constexpr size_t kMaxGlobalStackDepth = 16;
constexpr uint16_t kMaxEntryBits = 32;  // widest entry decoded into a 32-bit value

constexpr uint8_t kLongItemPrefix = 0xFE;

enum class ItemType : uint8_t { Main = 0, Global = 1, Local = 2 };

namespace main_tag {
constexpr uint8_t kInput = 0x8;
constexpr uint8_t kOutput = 0x9;
constexpr uint8_t kCollection = 0xA;
constexpr uint8_t kFeature = 0xB;
constexpr uint8_t kEndCollection = 0xC;
}  // namespace main_tag

namespace global_tag {
constexpr uint8_t kUsagePage = 0x0;
constexpr uint8_t kLogicalMin = 0x1;
constexpr uint8_t kLogicalMax = 0x2;
constexpr uint8_t kPhysicalMin = 0x3;
constexpr uint8_t kPhysicalMax = 0x4;
constexpr uint8_t kReportSize = 0x7;
constexpr uint8_t kReportId = 0x8;
constexpr uint8_t kReportCount = 0x9;
constexpr uint8_t kPush = 0xA;
constexpr uint8_t kPop = 0xB;
}  // namespace global_tag

namespace local_tag {
constexpr uint8_t kUsage = 0x0;
constexpr uint8_t kUsageMin = 0x1;
constexpr uint8_t kUsageMax = 0x2;
}  // namespace local_tag

// Bits of the data byte of input, output and feature items.
constexpr uint32_t kFieldConstant = 0x01;
constexpr uint32_t kFieldVariable = 0x02;
constexpr uint32_t kFieldNullState = 0x40;

struct Item {
    ItemType type = ItemType::Main;
    uint8_t tag = 0;
    uint8_t size = 0;   // data bytes: 0, 1, 2 or 4
    uint32_t data = 0;  // little-endian, zero-extended

    int32_t Signed() const {
        switch (size) {
            case 1: return static_cast<int8_t>(data);
            case 2: return static_cast<int16_t>(data);
            default: return static_cast<int32_t>(data);
        }
    }
};

// A maximum kept in both readings: descriptors often write 255 as the single byte
// 0xFF next to a minimum of 0, which only makes sense unsigned.
struct Extent {
    int32_t asSigned = 0;
    int32_t asUnsigned = 0;

    static Extent Of(const Item& item) { return {item.Signed(), static_cast<int32_t>(item.data)}; }
    int32_t Given(int32_t minimum) const { return minimum >= 0 ? asUnsigned : asSigned; }
};

struct GlobalState {
    uint16_t usagePage = 0;
    int32_t logicalMin = 0;
    Extent logicalMax;
    int32_t physicalMin = 0;
    Extent physicalMax;
    uint32_t reportSize = 0;
    uint32_t reportCount = 0;
    uint8_t reportId = 0;
};

// A usage as written: a 4-byte usage carries its own page, a shorter one takes
// the usage page in force when the main item is reached.
struct WrittenUsage {
    uint32_t value = 0;
    bool hasPage = false;

    static WrittenUsage Of(const Item& item) { return {item.data, item.size == 4}; }
    uint16_t Page(uint16_t current) const { return hasPage ? static_cast<uint16_t>(value >> 16) : current; }
    uint16_t Id() const { return static_cast<uint16_t>(value); }
};

struct WrittenSpan {
    WrittenUsage first;
    uint16_t lastId = 0;
    bool isRange = false;
};

struct LocalState {
    std::vector<WrittenSpan> spans;  // in declaration order
    std::optional<WrittenUsage> rangeMin;
    std::optional<WrittenUsage> rangeMax;
};

struct UsageSpan {
    uint16_t page = 0;
    uint16_t first = 0;
    uint16_t last = 0;
    bool isRange = false;

    uint32_t Count() const { return static_cast<uint32_t>(last) - first + 1; }
};

// Where a field sits and what describes its entries.
struct FieldLayout {
    uint8_t reportId = 0;
    uint32_t bitOffset = 0;
    uint16_t reportSize = 0;
    uint16_t reportCount = 0;
    int32_t logicalMin = 0;
    int32_t logicalMax = 0;
};

class DescriptorParser {
public:
    HidDescriptorInfo Parse(const uint8_t* data, size_t size) {
        if (data == nullptr && size > 0) return Failed("no descriptor data");
        size_t pos = 0;
        while (pos < size) {
            if (data[pos] == kLongItemPrefix) {
                // Long items carry no meaning we use; skip prefix, size, tag and data.
                if (size - pos < 3 || size - pos - 3 < data[pos + 1]) return Failed("truncated long item");
                pos += 3 + static_cast<size_t>(data[pos + 1]);
                continue;
            }
            Item item;
            const uint8_t prefix = data[pos];
            item.size = static_cast<uint8_t>((prefix & 0x03) == 3 ? 4 : prefix & 0x03);
            item.type = static_cast<ItemType>((prefix >> 2) & 0x03);
            item.tag = static_cast<uint8_t>(prefix >> 4);
            if (size - pos - 1 < item.size) return Failed("truncated item");
            for (uint8_t i = 0; i < item.size; ++i) item.data |= static_cast<uint32_t>(data[pos + 1 + i]) << (8 * i);
            pos += 1 + static_cast<size_t>(item.size);
            if (!Handle(item)) return Failed(error_);
        }
        if (depth_ != 0) return Failed("collection not closed");
        if (info_.collections.empty()) return Failed("no top-level collection");
        SetByteLengths();
        info_.ok = true;
        return std::move(info_);
    }

private:
    static HidDescriptorInfo Failed(std::string why) {
        HidDescriptorInfo failed;
        failed.error = std::move(why);
        return failed;
    }

    bool Fail(const char* why) {
        error_ = why;
        return false;
    }

    bool Handle(const Item& item) {
        switch (item.type) {
            case ItemType::Main: {
                const bool handled = HandleMain(item);
                local_ = LocalState{};
                return handled;
            }
            case ItemType::Global: return HandleGlobal(item);
            case ItemType::Local: HandleLocal(item); return true;
        }
        return true;  // reserved item type: nothing to apply
    }

    bool HandleMain(const Item& item) {
        switch (item.tag) {
            case main_tag::kInput: return AddField(HidReportType::Input, item.data);
            case main_tag::kOutput: return AddField(HidReportType::Output, item.data);
            case main_tag::kFeature: return AddField(HidReportType::Feature, item.data);
            case main_tag::kCollection:
                if (depth_ == 0) OpenTopLevelCollection();
                if (++depth_ > kMaxCollectionDepth) return Fail("collections nested too deeply");
                return true;
            case main_tag::kEndCollection:
                if (depth_ == 0) return Fail("end collection without collection");
                --depth_;
                return true;
            default: return true;
        }
    }

    bool HandleGlobal(const Item& item) {
        switch (item.tag) {
            case global_tag::kUsagePage: global_.usagePage = static_cast<uint16_t>(item.data); break;
            case global_tag::kLogicalMin: global_.logicalMin = item.Signed(); break;
            case global_tag::kLogicalMax: global_.logicalMax = Extent::Of(item); break;
            case global_tag::kPhysicalMin: global_.physicalMin = item.Signed(); break;
            case global_tag::kPhysicalMax: global_.physicalMax = Extent::Of(item); break;
            case global_tag::kReportSize: global_.reportSize = item.data; break;
            case global_tag::kReportCount: global_.reportCount = item.data; break;
            case global_tag::kReportId:
                if (item.data == 0 || item.data > 0xFF) return Fail("invalid report ID");
                global_.reportId = static_cast<uint8_t>(item.data);
                break;
            case global_tag::kPush:
                if (globalStack_.size() == kMaxGlobalStackDepth) return Fail("push stack overflow");
                globalStack_.push_back(global_);
                break;
            case global_tag::kPop:
                if (globalStack_.empty()) return Fail("pop without push");
                global_ = globalStack_.back();
                globalStack_.pop_back();
                break;
            default: break;  // units and reserved tags do not affect decoding
        }
        return true;
    }

    void HandleLocal(const Item& item) {
        switch (item.tag) {
            case local_tag::kUsage:
                local_.spans.push_back({WrittenUsage::Of(item), static_cast<uint16_t>(item.data), false});
                break;
            case local_tag::kUsageMin: local_.rangeMin = WrittenUsage::Of(item); break;
            case local_tag::kUsageMax: local_.rangeMax = WrittenUsage::Of(item); break;
            default: return;  // designators, strings and delimiters do not affect decoding
        }
        if (local_.rangeMin && local_.rangeMax) CloseRange();
    }

    // A range missing one bound is taken as the single usage of the other bound;
    // a reversed range as its minimum alone.
    void CloseRange() {
        const WrittenUsage first = local_.rangeMin.value_or(*local_.rangeMax);
        const uint16_t last = local_.rangeMax.value_or(first).Id();
        local_.spans.push_back({first, std::max(first.Id(), last), true});
        local_.rangeMin.reset();
        local_.rangeMax.reset();
    }

    std::vector<UsageSpan> TakeUsages() {
        if (local_.rangeMin || local_.rangeMax) CloseRange();
        std::vector<UsageSpan> spans;
        for (const WrittenSpan& written : local_.spans) {
            spans.push_back(
                {written.first.Page(global_.usagePage), written.first.Id(), written.lastId, written.isRange});
        }
        return spans;
    }

    void OpenTopLevelCollection() {
        HidCollectionCaps collection;
        const std::vector<UsageSpan> usages = TakeUsages();
        collection.usagePage = usages.empty() ? global_.usagePage : usages.back().page;
        collection.usage = usages.empty() ? 0 : usages.back().first;
        info_.collections.push_back(std::move(collection));
        fieldReportIds_.emplace_back();
    }

    bool AddField(HidReportType type, uint32_t flags) {
        if (depth_ == 0) return Fail("main item outside a collection");
        const uint64_t bits = static_cast<uint64_t>(global_.reportSize) * global_.reportCount;
        if (bits == 0) return true;  // occupies nothing in the report
        const uint8_t id = global_.reportId;
        if (id == 0 ? info_.usesReportIds : fieldWithoutReportId_) return Fail("report ID missing on some fields");
        if (id == 0) {
            fieldWithoutReportId_ = true;
        } else {
            info_.usesReportIds = true;
        }

        const int typeIndex = static_cast<int>(type);
        uint32_t& reportBits = reportBits_[id][typeIndex];
        if (reportBits + bits > kMaxReportBits) return Fail("report too long");
        // Within the limit, size and count both fit in 16 bits.
        const FieldLayout layout{id,
                                 reportBits,
                                 static_cast<uint16_t>(global_.reportSize),
                                 static_cast<uint16_t>(global_.reportCount),
                                 global_.logicalMin,
                                 global_.logicalMax.Given(global_.logicalMin)};
        reportBits += static_cast<uint32_t>(bits);

        HidCollectionCaps& collection = info_.collections.back();
        if (id != 0 && !collection.OwnsReportId(id)) collection.reportIds.push_back(id);
        std::vector<uint8_t>& idsOfType = fieldReportIds_.back()[typeIndex];
        if (std::find(idsOfType.begin(), idsOfType.end(), id) == idsOfType.end()) idsOfType.push_back(id);

        if (flags & kFieldConstant) return true;
        std::vector<UsageSpan> usages = TakeUsages();
        if (usages.empty()) usages.push_back({global_.usagePage, 0, 0, false});
        HidReportCaps& report = collection.reports[typeIndex];
        if (flags & kFieldVariable) {
            AddVariableCaps(report, layout, usages, (flags & kFieldNullState) != 0);
        } else {
            AddArrayCaps(report, layout, usages);
        }
        return true;
    }

    // Entries take the usages in order; when the entries outnumber the usages the
    // last usage covers the rest, and usages beyond the entries are dropped.
    void AddVariableCaps(HidReportCaps& report, const FieldLayout& layout, const std::vector<UsageSpan>& usages,
                         bool hasNull) const {
        uint32_t entry = 0;
        for (size_t i = 0; i < usages.size() && entry < layout.reportCount; ++i) {
            const UsageSpan& span = usages[i];
            const uint32_t remaining = layout.reportCount - entry;
            const uint32_t entries = i + 1 == usages.size() ? remaining : std::min(span.Count(), remaining);
            const auto usageMax = static_cast<uint16_t>(span.first + std::min(span.Count(), entries) - 1);
            const uint32_t bitOffset = layout.bitOffset + entry * layout.reportSize;
            const auto count = static_cast<uint16_t>(entries);
            if (layout.reportSize == 1) {
                report.buttons.push_back({layout.reportId, span.page, span.first, usageMax, span.isRange, false,
                                          bitOffset, layout.reportSize, count, layout.logicalMin,
                                          layout.logicalMax});
            } else {
                report.values.push_back({layout.reportId, span.page, span.first, usageMax, span.isRange, bitOffset,
                                         layout.reportSize, count, hasNull, layout.logicalMin, layout.logicalMax,
                                         global_.physicalMin, global_.physicalMax.Given(global_.physicalMin)});
            }
            entry += entries;
        }
    }

    // Array entries are indices into the field's usages, counted through its
    // capabilities in order. Contiguous usages share one range capability.
    static void AddArrayCaps(HidReportCaps& report, const FieldLayout& layout, const std::vector<UsageSpan>& usages) {
        std::vector<UsageSpan> runs;
        for (const UsageSpan& span : usages) {
            if (!runs.empty() && runs.back().page == span.page &&
                static_cast<uint32_t>(runs.back().last) + 1 == span.first) {
                runs.back().last = span.last;
                runs.back().isRange = true;
            } else {
                runs.push_back(span);
            }
        }
        for (const UsageSpan& run : runs) {
            report.buttons.push_back({layout.reportId, run.page, run.first, run.last, run.isRange, true,
                                      layout.bitOffset, layout.reportSize, layout.reportCount, layout.logicalMin,
                                      layout.logicalMax});
        }
    }

    // The longest report of a type counts every field of its report ID, also those
    // of other collections sharing the ID.
    void SetByteLengths() {
        for (size_t c = 0; c < info_.collections.size(); ++c) {
            for (int type = 0; type < kHidReportTypeCount; ++type) {
                uint32_t longest = 0;
                for (uint8_t id : fieldReportIds_[c][type]) {
                    longest = std::max(longest, (reportBits_[id][type] + 7) / 8 + 1);
                }
                info_.collections[c].reports[type].byteLength = static_cast<uint16_t>(longest);
            }
        }
    }

    HidDescriptorInfo info_;
    std::string error_;
    GlobalState global_;
    std::vector<GlobalState> globalStack_;
    LocalState local_;
    int depth_ = 0;
    bool fieldWithoutReportId_ = false;
    std::array<std::array<uint32_t, kHidReportTypeCount>, 256> reportBits_{};
    // Per top-level collection and report type: the report IDs that have fields there.
    std::vector<std::array<std::vector<uint8_t>, kHidReportTypeCount>> fieldReportIds_;
};

bool IsReportType(HidReportType type) {
    return static_cast<int>(type) >= 0 && static_cast<int>(type) < kHidReportTypeCount;
}

// The field bits of a received report, behind its report ID byte if the collection uses IDs.
struct ReportData {
    uint8_t id = 0;
    const uint8_t* bytes = nullptr;
    size_t size = 0;

    // Entry `index` of a field, zero-extended; none when it lies past the end or is too wide.
    std::optional<uint32_t> Entry(uint32_t bitOffset, uint16_t entryBits, uint32_t index) const {
        if (entryBits == 0 || entryBits > kMaxEntryBits) return std::nullopt;
        const uint64_t start = bitOffset + static_cast<uint64_t>(index) * entryBits;
        if (start + entryBits > static_cast<uint64_t>(size) * 8) return std::nullopt;
        const size_t firstByte = static_cast<size_t>(start / 8);
        const unsigned shift = static_cast<unsigned>(start % 8);
        const size_t byteCount = (shift + entryBits + 7) / 8;
        uint64_t gathered = 0;
        for (size_t i = 0; i < byteCount; ++i) gathered |= static_cast<uint64_t>(bytes[firstByte + i]) << (8 * i);
        return static_cast<uint32_t>((gathered >> shift) & ((uint64_t{1} << entryBits) - 1));
    }
};

std::optional<ReportData> OpenReport(const HidCollectionCaps& caps, HidReportType type, const uint8_t* report,
                                     size_t length) {
    if (!IsReportType(type) || report == nullptr) return std::nullopt;
    if (caps.reportIds.empty()) return ReportData{0, report, length};
    if (length == 0 || !caps.OwnsReportId(report[0])) return std::nullopt;
    return ReportData{report[0], report + 1, length - 1};
}

// Entries are signed when the logical range reaches below zero.
int64_t Interpret(uint32_t raw, uint16_t entryBits, int32_t logicalMin) {
    if (logicalMin >= 0) return raw;
    if (entryBits >= 32) return static_cast<int32_t>(raw);
    const uint32_t signBit = uint32_t{1} << (entryBits - 1);
    return static_cast<int64_t>(raw ^ signBit) - signBit;
}

struct ValueRead {
    const HidValueCaps* caps = nullptr;
    uint32_t raw = 0;
};

std::optional<ValueRead> ReadValue(const HidCollectionCaps& caps, HidReportType type, uint16_t usagePage,
                                   uint16_t usage, const uint8_t* report, size_t length) {
    const std::optional<ReportData> data = OpenReport(caps, type, report, length);
    if (!data) return std::nullopt;
    for (const HidValueCaps& value : caps.Of(type).values) {
        if (value.reportId != data->id || value.usagePage != usagePage || usage < value.usageMin ||
            usage > value.usageMax) {
            continue;
        }
        const std::optional<uint32_t> raw = data->Entry(value.bitOffset, value.reportSize, usage - value.usageMin);
        if (!raw) return std::nullopt;
        return ValueRead{&value, *raw};
    }
    return std::nullopt;
}

// The capabilities of one array field follow each other and share its entries;
// a variable field has one capability of its own.
size_t EndOfField(const std::vector<HidButtonCaps>& buttons, size_t first) {
    size_t end = first + 1;
    while (end < buttons.size() && buttons[first].isArray && buttons[end].isArray &&
           buttons[end].reportId == buttons[first].reportId && buttons[end].bitOffset == buttons[first].bitOffset) {
        ++end;
    }
    return end;
}

bool FieldHasPage(const std::vector<HidButtonCaps>& buttons, size_t first, size_t end, uint16_t usagePage) {
    return std::any_of(buttons.begin() + static_cast<std::ptrdiff_t>(first),
                       buttons.begin() + static_cast<std::ptrdiff_t>(end),
                       [usagePage](const HidButtonCaps& button) { return button.usagePage == usagePage; });
}

struct PagedUsage {
    uint16_t page = 0;
    uint16_t usage = 0;
};

// The usage an array entry selects; none when the entry lies outside the logical
// range or beyond the field's usages.
std::optional<PagedUsage> ArrayUsage(const std::vector<HidButtonCaps>& buttons, size_t first, size_t end,
                                     int64_t entry) {
    const HidButtonCaps& field = buttons[first];
    if (entry < field.logicalMin || entry > field.logicalMax) return std::nullopt;
    int64_t index = entry - field.logicalMin;
    for (size_t i = first; i < end; ++i) {
        const int64_t usageCount = static_cast<int64_t>(buttons[i].usageMax) - buttons[i].usageMin + 1;
        if (index < usageCount) {
            return PagedUsage{buttons[i].usagePage, static_cast<uint16_t>(buttons[i].usageMin + index)};
        }
        index -= usageCount;
    }
    return std::nullopt;
}

}  // namespace

bool HidCollectionCaps::OwnsReportId(uint8_t id) const {
    return std::find(reportIds.begin(), reportIds.end(), id) != reportIds.end();
}

HidDescriptorInfo ParseHidReportDescriptor(const uint8_t* data, size_t size) {
    try {
        return DescriptorParser().Parse(data, size);
    } catch (const std::exception& e) {
        HidDescriptorInfo failed;
        failed.error = e.what();
        return failed;
    }
}

bool HidGetUsages(const HidCollectionCaps& caps, HidReportType type, uint16_t usagePage, const uint8_t* report,
                  size_t length, std::vector<uint16_t>& usages) {
    usages.clear();
    const std::optional<ReportData> data = OpenReport(caps, type, report, length);
    if (!data) return false;
    const std::vector<HidButtonCaps>& buttons = caps.Of(type).buttons;
    for (size_t first = 0, end = 0; first < buttons.size(); first = end) {
        end = EndOfField(buttons, first);
        const HidButtonCaps& field = buttons[first];
        if (field.reportId != data->id || !FieldHasPage(buttons, first, end, usagePage)) continue;
        for (uint32_t i = 0; i < field.reportCount; ++i) {
            const std::optional<uint32_t> entry = data->Entry(field.bitOffset, field.reportSize, i);
            if (!entry) {
                usages.clear();
                return false;
            }
            std::optional<PagedUsage> usage;
            if (field.isArray) {
                usage = ArrayUsage(buttons, first, end, Interpret(*entry, field.reportSize, field.logicalMin));
            } else if (*entry != 0) {
                const uint32_t repeatedLast = std::min<uint32_t>(field.usageMin + i, field.usageMax);
                usage = PagedUsage{field.usagePage, static_cast<uint16_t>(repeatedLast)};
            }
            // Usage 0 is "unassigned": an empty array slot or a field without usages.
            if (usage && usage->page == usagePage && usage->usage != 0) usages.push_back(usage->usage);
        }
    }
    return true;
}

bool HidGetUsageValue(const HidCollectionCaps& caps, HidReportType type, uint16_t usagePage, uint16_t usage,
                      const uint8_t* report, size_t length, uint32_t& value) {
    const std::optional<ValueRead> read = ReadValue(caps, type, usagePage, usage, report, length);
    if (!read) return false;
    value = read->raw;
    return true;
}

bool HidGetScaledUsageValue(const HidCollectionCaps& caps, HidReportType type, uint16_t usagePage, uint16_t usage,
                            const uint8_t* report, size_t length, int32_t& value) {
    const std::optional<ValueRead> read = ReadValue(caps, type, usagePage, usage, report, length);
    if (!read) return false;
    const HidValueCaps& field = *read->caps;
    const int64_t logicalMin = field.logicalMin;
    const int64_t logicalMax = field.logicalMax;
    const int64_t physicalMin = field.physicalMin;
    const int64_t physicalMax = field.physicalMax;
    if (logicalMin >= logicalMax || physicalMin >= physicalMax) return false;
    const int64_t logical = Interpret(read->raw, field.reportSize, field.logicalMin);
    if (logical < logicalMin || logical > logicalMax) return false;
    // Each factor is below 2^32, so the product fits in 64 unsigned bits.
    const uint64_t scaled = static_cast<uint64_t>(logical - logicalMin) *
                            static_cast<uint64_t>(physicalMax - physicalMin) /
                            static_cast<uint64_t>(logicalMax - logicalMin);
    value = static_cast<int32_t>(physicalMin + static_cast<int64_t>(scaled));
    return true;
}

size_t HidMaxUsageListLength(const HidCollectionCaps& caps, HidReportType type, uint16_t usagePage) {
    if (!IsReportType(type)) return 0;
    const std::vector<HidButtonCaps>& buttons = caps.Of(type).buttons;
    size_t total = 0;
    for (size_t first = 0, end = 0; first < buttons.size(); first = end) {
        end = EndOfField(buttons, first);
        if (FieldHasPage(buttons, first, end, usagePage)) total += buttons[first].reportCount;
    }
    return total;
}

}  // namespace velnor7

#include "core/HidDevice.h"

#include "core/DeviceCatalogue.h"

#include <algorithm>
#include <chrono>

namespace velnor7 {
namespace {

class FlagWhile {
public:
    explicit FlagWhile(std::atomic<bool>& flag) : flag_(flag) { flag_.store(true); }
    ~FlagWhile() { flag_.store(false); }
    FlagWhile(const FlagWhile&) = delete;
    FlagWhile& operator=(const FlagWhile&) = delete;

private:
    std::atomic<bool>& flag_;
};

}  // namespace

CHidDevice::~CHidDevice() { Close(); }

bool CHidDevice::Enumerate() {
    nextPath_ = 0;
    paths_.clear();
    if (CurrentHidBackend()->Enumerate(paths_)) return true;
    paths_.clear();
    return false;
}

std::optional<std::string> CHidDevice::NextPath() {
    if (nextPath_ >= paths_.size()) return std::nullopt;
    return paths_[nextPath_++];
}

std::shared_ptr<const CHidDevice::OpenState> CHidDevice::State() const {
    std::lock_guard lock(stateMutex_);
    return state_;
}

bool CHidDevice::IsOpen() const { return State() != nullptr; }

// The report buffers and data items stay until the next Open: a reader that
// was woken by the close may still look at them.
void CHidDevice::ReleaseConnection() {
    std::shared_ptr<const OpenState> released;
    {
        std::lock_guard lock(stateMutex_);
        released.swap(state_);
    }
    generation_.fetch_add(1);
    if (released) released->connection->Interrupt();
}

void CHidDevice::Close() { ReleaseConnection(); }

int CHidDevice::Open(const std::string& path, bool readAccess, bool writeAccess, bool overlapped, bool exclusive) {
    ReleaseConnection();
    gone_.store(false);
    mode_ = HidOpenMode{readAccess, writeAccess, exclusive};
    overlapped_ = overlapped;
    devicePath_ = path.substr(0, 260);

    HidOpened opened = CurrentHidBackend()->Open(path, mode_);
    openError_ = opened.error;
    openFailure_ = std::move(opened.reason);
    std::shared_ptr<HidConnection> connection = std::move(opened.connection);
    if (!connection) {
        if (openError_ == HidOpenError::None) openError_ = HidOpenError::Failed;
        if (openFailure_.empty()) openFailure_ = "the device cannot be opened";
        return 0;
    }
    const std::vector<uint8_t>& descriptor = connection->ReportDescriptor();
    HidDescriptorInfo info = ParseHidReportDescriptor(descriptor.data(), descriptor.size());
    const int index = connection->CollectionIndex();
    if (!info.ok || index < 0 || static_cast<size_t>(index) >= info.collections.size()) {
        openError_ = HidOpenError::Failed;
        openFailure_ = "the device's report descriptor is not understood";
        return 0;
    }

    auto state = std::make_shared<OpenState>();
    state->connection = std::move(connection);
    state->caps = std::move(info.collections[static_cast<size_t>(index)]);
    state->mode = mode_;
    const HidCollectionCaps& caps = state->caps;
    attributes_ = state->connection->Attributes();
    capabilities_ = HidCapabilities{};
    capabilities_.usage = caps.usage;
    capabilities_.usagePage = caps.usagePage;
    capabilities_.inputReportByteLength = caps.Of(HidReportType::Input).byteLength;
    capabilities_.outputReportByteLength = caps.Of(HidReportType::Output).byteLength;
    capabilities_.featureReportByteLength = caps.Of(HidReportType::Feature).byteLength;
    const auto count = [](size_t n) { return static_cast<uint16_t>(std::min<size_t>(n, 0xFFFF)); };
    capabilities_.numberInputButtonCaps = count(caps.Of(HidReportType::Input).buttons.size());
    capabilities_.numberInputValueCaps = count(caps.Of(HidReportType::Input).values.size());
    capabilities_.numberOutputButtonCaps = count(caps.Of(HidReportType::Output).buttons.size());
    capabilities_.numberOutputValueCaps = count(caps.Of(HidReportType::Output).values.size());
    capabilities_.numberFeatureButtonCaps = count(caps.Of(HidReportType::Feature).buttons.size());
    capabilities_.numberFeatureValueCaps = count(caps.Of(HidReportType::Feature).values.size());
    BuildDataItems(caps);

    interfaceNumber_ = ParseInterfaceNumber(path);
    collectionNumber_ = ParseCollectionNumber(path);
    std::lock_guard lock(stateMutex_);
    state_ = std::move(state);
    return 1;
}

void CHidDevice::BuildDataItems(const HidCollectionCaps& caps) {
    for (int type = 0; type < kHidReportTypeCount; ++type) {
        const HidReportCaps& report = caps.reports[static_cast<size_t>(type)];
        reportBuffers_[type].assign(report.byteLength, 0);
        std::vector<HidDataItem>& items = dataItems_[type];
        items.clear();
        for (const HidButtonCaps& button : report.buttons) {
            HidDataItem item;
            item.isButtonData = true;
            item.reportId = button.reportId;
            item.usagePage = button.usagePage;
            item.usageMin = button.usageMin;
            item.usageMax = button.usageMax;
            item.usages.assign(std::max<size_t>(1, HidMaxUsageListLength(caps, static_cast<HidReportType>(type),
                                                                         button.usagePage)),
                               0);
            items.push_back(std::move(item));
        }
        for (const HidValueCaps& value : report.values) {
            const uint32_t last = value.isRange ? value.usageMax : value.usageMin;
            for (uint32_t usage = value.usageMin; usage <= last; ++usage) {
                HidDataItem item;
                item.reportId = value.reportId;
                item.usagePage = value.usagePage;
                item.usage = static_cast<uint16_t>(usage);
                items.push_back(std::move(item));
            }
        }
    }
}

int CHidDevice::Read(uint8_t* buffer, size_t length, int timeoutMs, size_t* bytesRead) {
    FlagWhile reading(reading_);
    if (bytesRead != nullptr) *bytesRead = 0;
    const uint32_t generation = generation_.load();
    const std::shared_ptr<const OpenState> state = State();
    if (!state || !state->mode.read || buffer == nullptr || length == 0) return 0;
    const std::vector<uint8_t>& ownIds = state->caps.reportIds;

    // One wait for the whole time-out: a close interrupts it, so nothing needs to wake
    // up meanwhile to look.
    const auto deadline = clock_() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    while (generation_.load() == generation) {
        int wait = -1;
        if (timeoutMs >= 0) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - clock_()).count();
            // Never negative: a backend takes a negative wait as "no limit".
            wait = static_cast<int>(std::max<long long>(left, 0));
        }
        const int received = state->connection->Read(buffer, length, wait);
        if (received < 0) {
            gone_.store(true);
            return 0;
        }
        // A time-out or an interrupt.
        if (received == 0) return 0;
        // Every collection of an interface sees all of its input reports; keep our own.
        if (ownIds.empty() || state->caps.OwnsReportId(buffer[0])) {
            if (bytesRead != nullptr) *bytesRead = std::min(static_cast<size_t>(received), length);
            return 1;
        }
        if (wait == 0) return 0;
    }
    return 0;
}

int CHidDevice::Write(const uint8_t* buffer, size_t length, int /*timeoutMs*/, size_t* bytesWritten) {
    FlagWhile writing(writing_);
    if (bytesWritten != nullptr) *bytesWritten = 0;
    const std::shared_ptr<const OpenState> state = State();
    if (!state || !state->mode.write || buffer == nullptr || length == 0) return 0;
    const int written = state->connection->Write(buffer, length);
    if (written != static_cast<int>(length)) return 0;
    if (bytesWritten != nullptr) *bytesWritten = length;
    return 1;
}

bool CHidDevice::UnpackReport(std::vector<HidDataItem>& items, const uint8_t* report, size_t length,
                              HidReportType type) const {
    const std::shared_ptr<const OpenState> state = State();
    if (!state || report == nullptr || length == 0) return false;
    const HidCollectionCaps& caps = state->caps;
    const uint8_t reportId = caps.reportIds.empty() ? 0 : report[0];
    std::vector<uint16_t> usages;
    for (HidDataItem& item : items) {
        if (item.reportId != reportId) continue;
        if (item.isButtonData) {
            item.decoded = HidGetUsages(caps, type, item.usagePage, report, length, usages);
            std::fill(item.usages.begin(), item.usages.end(), 0);
            size_t kept = 0;
            for (uint16_t usage : usages) {
                if (usage < item.usageMin || usage > item.usageMax || kept == item.usages.size()) continue;
                item.usages[kept++] = usage;
            }
        } else {
            item.decoded = HidGetUsageValue(caps, type, item.usagePage, item.usage, report, length,
                                            item.rawValue);
            if (!item.decoded) return false;
            HidGetScaledUsageValue(caps, type, item.usagePage, item.usage, report, length,
                                   item.scaledValue);
        }
        item.isSet = true;
    }
    return true;
}

}  // namespace velnor7

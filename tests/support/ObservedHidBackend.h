// A HID bus in front of another one that counts what the host's connections do, so a test
// can tell how a transfer ended by counting instead of by timing it.
//
// With `waitsEndOnlyByEvents`, every read that may wait waits until a report, an interrupt
// or an unplug ends it (within a generous limit) instead of for the host's short slice:
// a read that then ends after one backend wait was ended by that event, at once.
#pragma once

#include "core/HidBackend.h"

#include <atomic>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace velnor7::testing {

class ObservedHidBackend final : public HidBackend {
public:
    // Over every connection opened through this bus.
    struct Counts {
        std::atomic<int> reads{0};         // begun
        std::atomic<int> emptyReads{0};    // ended with no report: a time-out or an interrupt
        std::atomic<int> failedReads{0};   // ended because the device is gone
        std::atomic<int> interrupts{0};
        std::atomic<int> waitedMs{0};      // the waits the reads asked for, added up
    };

    // Long enough that no test sees it run out unless the event it waits for never comes.
    static constexpr int kEventWaitLimitMs = 10000;

    explicit ObservedHidBackend(std::shared_ptr<HidBackend> inner, bool waitsEndOnlyByEvents = false)
        : inner_(std::move(inner)), waitsEndOnlyByEvents_(waitsEndOnlyByEvents) {}

    const Counts& Seen() const { return *counts_; }

    bool Enumerate(std::vector<std::string>& paths) override { return inner_->Enumerate(paths); }
    HidOpened Open(const std::string& path, const HidOpenMode& mode) override {
        HidOpened opened = inner_->Open(path, mode);
        if (opened.connection)
            opened.connection = std::make_shared<Connection>(std::move(opened.connection), counts_, waitsEndOnlyByEvents_);
        return opened;
    }
    std::unique_ptr<HidBusWatch> Watch() override { return watches_ ? inner_->Watch() : nullptr; }
    // A bus that cannot tell of its changes, as where no hotplug monitor can be opened.
    void SetWatchable(bool watchable) { watches_ = watchable; }

private:
    class Connection final : public HidConnection {
    public:
        Connection(std::shared_ptr<HidConnection> inner, std::shared_ptr<Counts> counts, bool waitsEndOnlyByEvents)
            : inner_(std::move(inner)), counts_(std::move(counts)), waitsEndOnlyByEvents_(waitsEndOnlyByEvents) {}

        HidAttributes Attributes() const override { return inner_->Attributes(); }
        const std::vector<uint8_t>& ReportDescriptor() const override { return inner_->ReportDescriptor(); }
        int CollectionIndex() const override { return inner_->CollectionIndex(); }

        int Read(uint8_t* buffer, size_t length, int timeoutMs) override {
            ++counts_->reads;
            if (timeoutMs > 0) counts_->waitedMs += timeoutMs;
            const int wait = waitsEndOnlyByEvents_ && timeoutMs > 0 ? kEventWaitLimitMs : timeoutMs;
            const int received = inner_->Read(buffer, length, wait);
            if (received == 0) ++counts_->emptyReads;
            if (received < 0) ++counts_->failedReads;
            return received;
        }
        int Write(const uint8_t* data, size_t length) override { return inner_->Write(data, length); }
        void Interrupt() override {
            ++counts_->interrupts;
            inner_->Interrupt();
        }

    private:
        const std::shared_ptr<HidConnection> inner_;
        const std::shared_ptr<Counts> counts_;
        const bool waitsEndOnlyByEvents_;
    };

    const std::shared_ptr<HidBackend> inner_;
    const bool waitsEndOnlyByEvents_;
    bool watches_ = true;
    const std::shared_ptr<Counts> counts_ = std::make_shared<Counts>();
};

}  // namespace velnor7::testing

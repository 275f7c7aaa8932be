#pragma once
// One light effect on every attached device at once ("same mode"): started from the selected
// page's lighting, rendered by its own thread into every page whose channel is synchronised.

#include "common/WorkerThread.h"
#include "core/LightEffects.h"

#include <atomic>
#include <vector>

namespace velnor7 {

class CTessaryUSBDevice;

class CLightSync {
public:
    // The pages of every kind (keyboard, mouse, mouse pad, headset); they live as long as this.
    explicit CLightSync(std::vector<CTessaryUSBDevice*> pages);
    ~CLightSync();

    // The user asks for the selected page's effect on every device. False (and nothing
    // changes) without a page or for a mode that has no counterpart on the other kinds.
    bool Start(CTessaryUSBDevice* selected, int screenWidth, int screenHeight);

    void StartThread();
    void StopThread();
    // One frame of the current effect into every synchronised page (the thread's step).
    void RenderFrame(uint64_t nowMs);

private:
    struct Parameters {
        SyncType type = SyncType::Off;
        LightingState lighting;
    };
    // Whether a page takes synchronised frames now (every frame asks, without allocating).
    static bool IsSynced(CTessaryUSBDevice* page);
    bool AnySynced() const;
    void Body(Event& stop);
    Parameters Load() const;

    const std::vector<CTessaryUSBDevice*> pages_;
    // The parameters as one word, so the thread never sees half of a change.
    std::atomic<uint64_t> parameters_{0};
    EffectState state_;  // the thread's
    Event wake_{Event::Reset::Automatic};  // a start, or the thread's stop
    WorkerThread thread_;
};

}  // namespace velnor7

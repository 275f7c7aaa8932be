#include "core/page/LightSync.h"

#include "common/Trace.h"
#include "core/LightTables.h"
#include "core/page/TessaryUSBDevice.h"

#include <chrono>

namespace velnor7 {

namespace {

uint64_t NowMs() {
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

uint64_t Pack(SyncType type, const LightingState& l) {
    return static_cast<uint64_t>(type) | static_cast<uint64_t>(l.brightnessLevel) << 8 |
           static_cast<uint64_t>(l.speed) << 16 | static_cast<uint64_t>(l.direction) << 24 |
           static_cast<uint64_t>(l.colourful) << 32 | static_cast<uint64_t>(l.colour.red) << 40 |
           static_cast<uint64_t>(l.colour.green) << 48 | static_cast<uint64_t>(l.colour.blue) << 56;
}

}  // namespace

CLightSync::CLightSync(std::vector<CTessaryUSBDevice*> pages) : pages_(std::move(pages)) {}

CLightSync::~CLightSync() { StopThread(); }

CLightSync::Parameters CLightSync::Load() const {
    const uint64_t word = parameters_.load();
    Parameters p;
    p.type = static_cast<SyncType>(word & 0xFF);
    p.lighting.brightnessLevel = static_cast<uint8_t>(word >> 8);
    p.lighting.speed = static_cast<uint8_t>(word >> 16);
    p.lighting.direction = static_cast<uint8_t>(word >> 24);
    p.lighting.colourful = static_cast<uint8_t>(word >> 32);
    p.lighting.colour = Rgb{static_cast<uint8_t>(word >> 40), static_cast<uint8_t>(word >> 48),
                            static_cast<uint8_t>(word >> 56)};
    return p;
}

bool CLightSync::Start(CTessaryUSBDevice* selected, int screenWidth, int screenHeight) {
    if (selected == nullptr) return false;
    const LightInfoRecord record = selected->GetLightInfo();
    const LightingState lighting = selected->GetLightingState();
    const std::optional<SyncType> type = SyncTypeForMode(selected->GetIdentity().type, record.selectItem);
    if (!type) return false;
    parameters_.store(Pack(*type, lighting));

    for (CTessaryUSBDevice* page : pages_) {
        if (!page->CommandChannel().IsOpen()) continue;
        page->CommandChannel().SetSynced(true);
        LightInfoRecord own = record;
        own.selectItem = ModeForSyncType(page->GetIdentity().type, *type);
        page->ShowLightInfo(own);
        page->SetLightInfo(own);
        page->SaveProfile();
        page->ReloadLightState();
        page->WriteSettings(0, 0, 1, screenWidth, screenHeight);
    }
    wake_.Set();
    return true;
}

bool CLightSync::IsSynced(CTessaryUSBDevice* page) {
    return page->CommandChannel().IsOpen() && page->CommandChannel().Synced();
}

bool CLightSync::AnySynced() const {
    for (CTessaryUSBDevice* page : pages_) {
        if (IsSynced(page)) return true;
    }
    return false;
}

void CLightSync::RenderFrame(uint64_t nowMs) {
    const Parameters p = Load();
    const uint32_t value = PackLed(SyncFrame(p.type, p.lighting, state_, nowMs));
    for (CTessaryUSBDevice* page : pages_) {
        if (!IsSynced(page)) continue;
        for (int i = 0; i < page->GetLedCount(); ++i) page->SetLedColor(i, value);
    }
}

void CLightSync::StartThread() {
    thread_.Start([this](Event& stop) { Body(stop); });
}

void CLightSync::StopThread() {
    thread_.Stop(1000, [this] { wake_.Set(); });
}

void CLightSync::Body(Event& stop) {
    while (!stop.IsSet()) {
        // Nothing to render until the user asks for the same effect everywhere.
        if (!AnySynced()) {
            wake_.Wait(-1);
            continue;
        }
        const uint8_t speed = Load().lighting.speed;
        const int threshold = speed < CommonThresholdRow.size() ? CommonThresholdRow[speed] : 0;
        // The pace of a frame counter of clock ticks (about one every 2 ms), in one wait.
        if (stop.Wait(threshold <= 0 ? 1 : 2 * threshold)) break;
        RenderFrame(NowMs());
    }
    Trace("同步灯光线程设定退出");
}

}  // namespace velnor7

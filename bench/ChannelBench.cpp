// Host-side cost of the command channel, measured against the keyboard
// emulator on the simulated bus (tracing off).
#include "core/DeviceCommandChannel.h"
#include "sim/KeyboardEmulator.h"
#include "sim/SimulatedHidBus.h"

#include <benchmark/benchmark.h>

#include <array>
#include <vector>

namespace velnor7 {
namespace {

struct OpenKeyboard {
    OpenKeyboard() : bus(std::make_shared<SimulatedHidBus>()), keyboard(std::make_shared<KeyboardEmulator>()) {
        bus->Plug(keyboard);
        SetHidBackend(bus);
        std::vector<std::string> paths;
        bus->Enumerate(paths);
        for (const std::string& path : paths)
            if (path.ends_with("&mi_01&col04")) channel.Transport().Open(path, true, true, true, false);
        channel.SetOpen(true);
    }
    ~OpenKeyboard() { SetHidBackend(nullptr); }

    std::shared_ptr<SimulatedHidBus> bus;
    std::shared_ptr<KeyboardEmulator> keyboard;
    CDeviceCommandChannel channel;
};

// One 64-byte request and its reply, emulator included.
void BM_Exchange(benchmark::State& state) {
    OpenKeyboard device;
    for (auto _ : state) benchmark::DoNotOptimize(device.channel.BeginConfig());
}
BENCHMARK(BM_Exchange);

// What the emulator alone costs per request, to subtract from the above.
void BM_EmulatorAnswer(benchmark::State& state) {
    OpenKeyboard device;
    Report request{};
    request[0] = kCommandReportId;
    request[3] = kCmdBeginConfig;
    StoreChecksum(request);
    for (auto _ : state)
        benchmark::DoNotOptimize(device.keyboard->HandleOutputReport(KeyboardEmulator::kCommandInterface, request));
}
BENCHMARK(BM_EmulatorAnswer);

void BM_ReadKeyMap378(benchmark::State& state) {
    OpenKeyboard device;
    device.channel.SetDataSize(378);
    std::array<uint8_t, 378> map{};
    for (auto _ : state) benchmark::DoNotOptimize(device.channel.ReadKeyMap(map.data()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 378);
}
BENCHMARK(BM_ReadKeyMap378);

}  // namespace
}  // namespace velnor7

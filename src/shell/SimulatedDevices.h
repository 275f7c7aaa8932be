#pragma once
// The simulated keyboard of `--simulate`: plugged into a simulated bus shortly after start,
// and, with a schedule, pulled out and plugged back at given times so that the whole flow
// can be watched without hardware.

#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace velnor7 {

class SimulatedHidBus;
class KeyboardEmulator;

class CSimulatedDevices {
public:
    struct Step {
        bool plug;
        int atMs;
        friend bool operator==(const Step&, const Step&) = default;
    };
    // "plug@300,unplug@5000,plug@8000"; nothing for text that is not such a schedule.
    static std::optional<std::vector<Step>> ParseSchedule(const QString& text);
    static std::vector<Step> DefaultSchedule() { return {{true, 300}}; }

    CSimulatedDevices();
    ~CSimulatedDevices();
    // Installs the simulated bus as the program's HID bus and runs the schedule.
    void Start(const std::vector<Step>& schedule);
    SimulatedHidBus& Bus() { return *bus_; }

private:
    std::shared_ptr<SimulatedHidBus> bus_;
    std::shared_ptr<KeyboardEmulator> keyboard_;
    int busNumber_ = -1;
};

}  // namespace velnor7

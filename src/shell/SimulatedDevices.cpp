#include "shell/SimulatedDevices.h"

#include "common/Trace.h"
#include "core/HidBackend.h"
#include "sim/KeyboardEmulator.h"
#include "sim/SimulatedHidBus.h"

#include <QStringList>
#include <QTimer>

#include <cstdlib>

namespace velnor7 {

std::optional<std::vector<CSimulatedDevices::Step>> CSimulatedDevices::ParseSchedule(const QString& text) {
    std::vector<Step> steps;
    for (const QString& part : text.split(',', Qt::SkipEmptyParts)) {
        const QStringList fields = part.trimmed().split('@');
        if (fields.size() != 2 || (fields[0] != "plug" && fields[0] != "unplug")) return std::nullopt;
        bool ok = false;
        const int at = fields[1].toInt(&ok);
        if (!ok || at < 0) return std::nullopt;
        steps.push_back({fields[0] == "plug", at});
    }
    if (steps.empty()) return std::nullopt;
    return steps;
}

CSimulatedDevices::CSimulatedDevices() : bus_(std::make_shared<SimulatedHidBus>()) {
    const char* state = std::getenv("VELNOR7_SIM_STATE");
    keyboard_ = std::make_shared<KeyboardEmulator>(state != nullptr ? state : "");
}

CSimulatedDevices::~CSimulatedDevices() = default;

void CSimulatedDevices::Start(const std::vector<Step>& schedule) {
    SetHidBackend(bus_);
    for (const Step& step : schedule) {
        QTimer::singleShot(step.atMs, [this, step] {
            if (step.plug && busNumber_ < 0) {
                busNumber_ = bus_->Plug(keyboard_);
                Trace("simulation: keyboard plugged in");
            } else if (!step.plug && busNumber_ >= 0) {
                bus_->Unplug(busNumber_);
                busNumber_ = -1;
                Trace("simulation: keyboard pulled out");
            }
        });
    }
}

}  // namespace velnor7

// velnor7ctl: the command-line companion of the configurator.
#include "cli/CliOptions.h"
#include "cli/Commands.h"
#include "cli/KeyboardCommands.h"
#include "common/Trace.h"
#include "core/HidBackend.h"
#include "platform/HidrawBackend.h"
#include "sim/KeyboardEmulator.h"
#include "sim/SimulatedHidBus.h"

#include <cstdlib>
#include <iostream>
#include <memory>

int main(int argc, char** argv) {
    using namespace velnor7;
    std::string error;
    const auto options = ParseCliOptions(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!options) {
        std::cerr << "velnor7ctl: " << error << "\n\n" << CliUsage();
        return 2;
    }
    if (options->trace) SetTraceToStderr(true);

    if (options->simulate) {
        auto bus = std::make_shared<SimulatedHidBus>();
        const char* state = std::getenv("VELNOR7_SIM_STATE");
        bus->Plug(std::make_shared<KeyboardEmulator>(state != nullptr ? state : ""));
        SetHidBackend(bus);
    } else {
        SetHidBackend(MakeHidrawBackend());
    }

    if (options->command == "list") return RunList(*options, std::cout, std::cerr);
    if (options->command == "light") return RunLight(*options, std::cout, std::cerr);
    if (options->command == "keymap") return RunKeymap(*options, std::cout, std::cerr);
    if (options->command == "macros") return RunMacros(*options, std::cout, std::cerr);
    return RunInfo(*options, std::cout, std::cerr);
}

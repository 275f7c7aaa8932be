// velnor7ctl: the command-line companion of the configurator.
#include "cli/CliOptions.h"
#include "cli/Commands.h"
#include "cli/VerbOutcome.h"
#include "common/Trace.h"
#include "common/UserNotice.h"
#include "core/HidBackend.h"
#include "platform/HidrawBackend.h"
#include "sim/KeyboardEmulator.h"
#include "sim/SimulatedHidBus.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <memory>

int main(int argc, char** argv) {
    using namespace velnor7;
    const std::vector<std::string> words(argv + 1, argv + argc);
    std::string error;
    const auto options = ParseCliOptions(words, error);
    if (!options) {
        const bool json = std::find(words.begin(), words.end(), "--json") != words.end();
        const int status = PrintOutcome(json, VerbOutcome::BadArguments(error), std::cout, std::cerr);
        if (!json) std::cerr << '\n' << CliUsage();
        return status;
    }
    if (options->trace) SetTraceToStderr(true);
    // What the user must know of their files (one kept aside as broken, say) goes to stderr.
    SetNoticeSink([](const std::string& text) { std::cerr << "velnor7ctl: " << text << '\n'; });

    if (options->simulate) {
        auto bus = std::make_shared<SimulatedHidBus>();
        const char* state = std::getenv("VELNOR7_SIM_STATE");
        bus->Plug(std::make_shared<KeyboardEmulator>(state != nullptr ? state : ""));
        SetHidBackend(bus);
    } else {
        SetHidBackend(MakeHidrawBackend());
    }

    const int status = RunCommand(*options, std::cout, std::cerr);
    // Output that never arrived (a full disk, a closed pipe) is a failure, not a success.
    if (!std::cout.flush()) {
        std::cerr << "velnor7ctl: the output could not be written\n";
        return status == kExitOk ? kExitFailed : status;
    }
    return status;
}

// The keyboard commands of velnor7ctl: lighting and key map, through the same
// transactions and profile files as the desktop program.
#pragma once

#include "cli/CliOptions.h"

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace velnor7 {

struct LightMode {
    int number;  // as --mode and the light record have it
    std::string name;
};

// light set [--mode N] [--brightness B] [--speed S] [--direction D] [--colour COLOUR]
//           [--multicolour | --no-multicolour]   (what is not given stays as it is)
// light get | light off | light on
int RunLight(const CliOptions& options, std::ostream& out, std::ostream& err);
// keymap get | keymap set KEY CODE
int RunKeymap(const CliOptions& options, std::ostream& out, std::ostream& err);
// macros write

// The modes of the keyboard's list in DefaultData that the keyboard runs itself, in mode
// order; nothing when the list cannot be read.
std::optional<std::vector<LightMode>> KeyboardLightModes();
// "light modes (--mode):" and a line per mode, or why there is no list.
std::string LightModeHelp();

}  // namespace velnor7

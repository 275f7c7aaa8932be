#pragma once
// The program's own control classes, made known to the layout builder by name.

namespace velnor7 {

void RegisterControlClasses();

}  // namespace velnor7

#pragma once
// Hands work from any thread to the UI thread.

#include <functional>

namespace velnor7::ui {

// Runs `work` on the UI thread soon, in the order posted; false (and nothing runs) when
// there is no application. The hand-over is visible to ThreadSanitizer as a release and an
// acquire, since Qt's own queue is not instrumented.
bool PostToUiThread(std::function<void()> work);

bool OnUiThread();

}  // namespace velnor7::ui

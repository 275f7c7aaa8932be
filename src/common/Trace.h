// Diagnostic trace lines.
//
// One line per call. Lines go to stderr when VELNOR7_TRACE=1 is set or a program
// enables it (--trace), and to an in-process capture that tests read. When
// neither is on, a call costs one atomic load and formats nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace velnor7 {

void Trace(const char* format, ...) __attribute__((format(printf, 1, 2)));

// True when a Trace call would go anywhere; lets callers skip building expensive lines.
bool TraceEnabled();

void SetTraceToStderr(bool enabled);

// "%02x" bytes in groups of four: three spaces after each of the first three
// groups, two after each of the next four. Used for the command channel's dumps.
std::string HexDumpLine(const uint8_t* bytes, size_t count);

// Captures every trace line of the process while it lives (one capture at a time).
class TraceCapture {
public:
    TraceCapture();
    ~TraceCapture();
    TraceCapture(const TraceCapture&) = delete;
    TraceCapture& operator=(const TraceCapture&) = delete;

    std::vector<std::string> Lines() const;
    bool Contains(const std::string& line) const;
    void Clear();
};

}  // namespace velnor7

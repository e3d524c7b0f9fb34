// Diagnostics of the script engine: lines for the debug pages (key 0 errors, 10 the command
// trace, 16 the script's own texts) and for the error log. A line is formatted only when someone
// can read it: in debug mode, or while an observer is set (tests read the engine's reports that
// way).
#pragma once

#include <cstdint>

namespace adv {

inline constexpr int32_t kLogError = 0;
inline constexpr int32_t kLogTrace = 10;
// The key an observer sees for lines of the error log.
inline constexpr int32_t kLogErrorFile = -1;

void AdvDebugPrint(int32_t key, const char* format, ...) __attribute__((format(printf, 2, 3)));
void AdvErrorLog(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Whether a line would be read now. Calls and returns test it once for their pair of trace lines
// rather than paying for two calls that find nobody reading.
bool AdvLogWanted();

// Receives every line as formatted, from whichever thread logs it. Null removes the observer.
using LogObserver = void (*)(int32_t key, const char* line);
void SetLogObserver(LogObserver observer);

}  // namespace adv

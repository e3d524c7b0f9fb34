// The debugger output: diagnostics nobody sees in normal play. They go to stderr when the
// environment variable OS_DEBUG_OUTPUT is set to 1.
#pragma once

namespace os {

void DebugOutput(const char* text);
void DebugOutputf(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace os

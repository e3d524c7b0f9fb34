#include "os/debug_output.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace os {
namespace {

bool Enabled() {
  static const bool enabled = [] {
    const char* env = std::getenv("OS_DEBUG_OUTPUT");
    return env && std::strcmp(env, "1") == 0;
  }();
  return enabled;
}

}  // namespace

void DebugOutput(const char* text) {
  if (Enabled()) std::fputs(text, stderr);
}

void DebugOutputf(const char* format, ...) {
  if (!Enabled()) return;
  va_list args;
  va_start(args, format);
  std::vfprintf(stderr, format, args);
  va_end(args);
}

}  // namespace os

#include "program/script/engine_log.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <string>

#include "os/text_format.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

std::atomic<LogObserver> g_observer{nullptr};

// The trace runs for every command; outside debug mode nobody reads it, so it costs one test.
bool Wanted(LogObserver observer) {
  return observer || yel::YelDebugIs();
}

// Formats the line only when someone reads it, tells the observer, and hands it on.
void Emit(int32_t key, const char* format, va_list args) {
  const LogObserver observer = g_observer.load();
  if (!Wanted(observer)) return;
  const std::string line = os::FormatV(format, args);
  if (observer) observer(key, line.c_str());
  if (key == kLogErrorFile) {
    yel::YelErrorLogPrintf("%s", line.c_str());
  } else {
    yel::YelDebugPrintf(key, "", "%s", line.c_str());
  }
}

}  // namespace

void AdvDebugPrint(int32_t key, const char* format, ...) {
  va_list args;
  va_start(args, format);
  Emit(key, format, args);
  va_end(args);
}

void AdvErrorLog(const char* format, ...) {
  va_list args;
  va_start(args, format);
  Emit(kLogErrorFile, format, args);
  va_end(args);
}

bool AdvLogWanted() {
  return Wanted(g_observer.load());
}

void SetLogObserver(LogObserver observer) {
  g_observer = observer;
}

}  // namespace adv

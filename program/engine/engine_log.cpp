#include "program/engine/engine_log.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <string>

#include "program/engine/yel_import.h"

namespace adv {
namespace {

std::atomic<LogObserver> g_observer{nullptr};

std::string FormatV(const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  const int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (length <= 0) return std::string();
  std::string text(static_cast<size_t>(length) + 1, '\0');
  std::vsnprintf(text.data(), text.size(), format, args);
  text.resize(static_cast<size_t>(length));
  return text;
}

// The trace runs for every command; outside debug mode nobody reads it, so it costs one test.
bool Wanted(LogObserver observer) {
  return observer || yel::YelDebugIs();
}

}  // namespace

void AdvDebugPrint(int32_t key, const char* format, ...) {
  const LogObserver observer = g_observer.load();
  if (!Wanted(observer)) return;
  va_list args;
  va_start(args, format);
  const std::string line = FormatV(format, args);
  va_end(args);
  if (observer) observer(key, line.c_str());
  yel::YelDebugPrintf(key, "", "%s", line.c_str());
}

void AdvErrorLog(const char* format, ...) {
  const LogObserver observer = g_observer.load();
  if (!Wanted(observer)) return;
  va_list args;
  va_start(args, format);
  const std::string line = FormatV(format, args);
  va_end(args);
  if (observer) observer(kLogErrorFile, line.c_str());
  yel::YelErrorLogPrintf("%s", line.c_str());
}

void SetLogObserver(LogObserver observer) {
  g_observer = observer;
}

}  // namespace adv

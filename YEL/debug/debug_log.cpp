// Debug print and the error log. Both act only in debug mode; outside it they report success
// and write nothing.
#include "YEL/debug/debug_log.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <string>
#include <vector>

#include "YEL/core/system.h"
#include "YEL/debug/debug_pages.h"
#include "YEL/files/file_paths.h"
#include "YEL/render/render.h"
#include "os/debug_output.h"
#include "os/message_box.h"
#include "os/paths.h"
#include "os/text_format.h"

namespace yel {
namespace {

constexpr size_t kMaxPrintLength = 2048;
constexpr size_t kBasicLogBuffer = 1024;

// Writes a line to the error log; false without a log.
bool WriteLogLine(YelSystem& system, const char* text, size_t length) {
  std::lock_guard lock(system.log_mutex);
  if (!system.error_log) return false;
  std::fwrite(text, 1, length, system.error_log);
  std::fwrite("\r\n", 1, 2, system.error_log);
  std::fflush(system.error_log);
  return true;
}

const char* LastErrorText(uint32_t code) {
  switch (code) {
    case 0:
      return "The operation completed successfully.";
    case ERROR_INVALID_HANDLE:
      return "The handle is invalid.";
    default:
      return "Unknown error.";
  }
}

}  // namespace

std::string DebugReportFolder() {
  const std::string path = BaseFolder() + "/" + kDebugReportFolder;
  // Only an absolute path shorter than the old path limit is taken.
  if (path.size() > kMaxReportPath || path.empty() || path[0] != '/') return std::string();
  return path;
}

void ErrorLogOpen(YelSystem& system) {
  const std::string folder = DebugReportFolder();
  if (folder.empty() || !os::CreateFolders(folder)) return;
  std::lock_guard lock(system.log_mutex);
  system.error_log = std::fopen((folder + "/log.txt").c_str(), "w+b");
}

void ErrorLogClose(YelSystem& system) {
  std::lock_guard lock(system.log_mutex);
  if (system.error_log) std::fclose(system.error_log);
  system.error_log = nullptr;
}

}  // namespace yel

extern "C" {

YEL_API int YelDebugPrintf(int32_t key, const char* label, const char* format, ...) {
  yel::YelSystem* system = yel::System();
  if (!system || !system->param.debug) return 1;
  if (key != 0 && (system->debug_state.load() & 1)) return 1;
  va_list args;
  va_start(args, format);
  std::string text = os::FormatV(format ? format : "", args);
  va_end(args);
  if (text.size() > yel::kMaxPrintLength) {
    os::ShowMessageBox("print string count over", "", os::BoxButtons::kOk);
    text.resize(yel::kMaxPrintLength);
  }
  return yel::DebugPageAppend(key, label ? label : "", text);
}

YEL_API int YelErrorLogPrintf(const char* format, ...) {
  yel::YelSystem* system = yel::System();
  if (!system || !system->param.debug) return 1;
  va_list args;
  va_start(args, format);
  const std::string text = os::FormatV(format ? format : "", args);
  va_end(args);
  // The line is built in a counted block, so a failing allocation is reported as a failure.
  char* block = static_cast<char*>(YelMemoryAlloc(static_cast<uint32_t>(text.size() + 1), 0));
  if (!block) return 0;
  std::memcpy(block, text.c_str(), text.size() + 1);
  const bool written = yel::WriteLogLine(*system, block, text.size());
  YelMemoryFree(block);
  return written ? 1 : 0;
}

YEL_API int YelErrorLogPrintfBasic(const char* format, ...) {
  yel::YelSystem* system = yel::System();
  if (!system || !system->param.debug) return 1;
  char buffer[yel::kBasicLogBuffer];
  va_list args;
  va_start(args, format);
  const int length = std::vsnprintf(buffer, sizeof buffer, format ? format : "", args);
  va_end(args);
  const size_t used = length < 0 ? 0 : std::min(static_cast<size_t>(length), sizeof buffer - 1);
  return yel::WriteLogLine(*system, buffer, used) ? 1 : 0;
}

YEL_API int YelErrorLogPuts(void) {
  const char* text = yel::LastErrorText(yel::GetLastError());
  os::DebugOutput(text);
  // The text is data, never a format.
  return YelErrorLogPrintf("%s", text);
}

}  // extern "C"

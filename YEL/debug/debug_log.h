// The debug report folder and its error log "log.txt" (debug mode only).
#pragma once

#include <string>

namespace yel {

struct YelSystem;

inline constexpr const char* kDebugReportFolder = "_YEL_DEBUG_REPORT_";
inline constexpr size_t kMaxReportPath = 260;

// Creates the report folder under the base folder and "log.txt" in it anew.
void ErrorLogOpen(YelSystem& system);
void ErrorLogClose(YelSystem& system);
// The full path of the report folder, or empty when the base folder does not allow one.
std::string DebugReportFolder();

}  // namespace yel

#include "YEL/core/file_paths.h"

#include <mutex>

#include "YEL/core/system.h"
#include "os/paths.h"

namespace yel {
namespace {

std::mutex g_base_mutex;  // guards g_base_folder while it is set
std::string g_base_folder;

}  // namespace

const std::string& BaseFolder() {
  std::lock_guard lock(g_base_mutex);
  if (g_base_folder.empty()) g_base_folder = os::ExecutableFolder();
  return g_base_folder;
}

void SetBaseFolder(const std::string& folder) {
  std::lock_guard lock(g_base_mutex);
  g_base_folder = folder;
}

bool SystemPathInit() {
  BaseFolder();
  return true;
}

void SystemPathRelease() {}

}  // namespace yel

extern "C" YEL_API const char* YelGetFilePath(void) { return yel::BaseFolder().c_str(); }

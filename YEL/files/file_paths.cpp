#include "YEL/files/file_paths.h"

#include <cstring>
#include <mutex>

#include "YEL/core/system.h"
#include "YEL/files/file_names.h"
#include "os/encoding.h"
#include "os/paths.h"

namespace yel {
namespace {

// The id of search-folder nodes; the search passes over nodes with other ids.
constexpr int32_t kSearchFolderId = -2;

std::mutex g_base_mutex;           // guards the two forms of the base folder
std::string g_base_folder;         // on disk (UTF-8)
std::string g_base_folder_engine;  // CP932, returned by YelGetFilePath

// The list is changed by the main program's thread while loaders on other threads search it;
// searches copy the strings under this lock and never hold on to a node.
std::mutex g_list_mutex;  // guards g_search_list and its nodes
YelList* g_search_list = nullptr;

void SetBaseFolderLocked(const std::string& folder) {
  g_base_folder = folder;
  g_base_folder_engine = os::Utf8ToCp932(folder);
}

const std::string& EnsureBaseFolderLocked() {
  if (g_base_folder.empty()) SetBaseFolderLocked(os::ExecutableFolder());
  return g_base_folder;
}

// Removes every search-folder node with its string. Called with g_list_mutex held.
void ClearLocked(YelList* list) {
  for (uintptr_t data; (data = YelListPop(list, kSearchFolderId)) != 0;) {
    YelMemoryFree(reinterpret_cast<void*>(data));
  }
}

}  // namespace

std::string BaseFolder() {
  std::lock_guard lock(g_base_mutex);
  return EnsureBaseFolderLocked();
}

std::string BaseFolderForNames() {
  std::lock_guard lock(g_base_mutex);
  EnsureBaseFolderLocked();
  return g_base_folder_engine;
}

void SetBaseFolder(const std::string& folder) {
  std::lock_guard lock(g_base_mutex);
  SetBaseFolderLocked(folder);
}

std::vector<std::string> SearchFolders() {
  std::vector<std::string> folders;
  std::lock_guard lock(g_list_mutex);
  if (!g_search_list) return folders;
  for (const YelListNode* node = g_search_list->next; node; node = node->next) {
    if (node->id == kSearchFolderId)
      folders.emplace_back(reinterpret_cast<const char*>(node->data));
  }
  return folders;
}

bool SystemPathInit() {
  return YelSystemPathInit() != 0;
}

void SystemPathRelease() {
  YelSystemPathUninit();
}

}  // namespace yel

extern "C" {

YEL_API const char* YelGetFilePath(void) {
  std::lock_guard lock(yel::g_base_mutex);
  yel::EnsureBaseFolderLocked();
  return yel::g_base_folder_engine.c_str();
}

YEL_API int YelSystemPathInit(void) {
  yel::BaseFolder();
  YelList* list = YelListCreate();
  if (!list) return 0;
  std::lock_guard lock(yel::g_list_mutex);
  // A list left from an earlier start is released rather than lost with its strings.
  if (yel::g_search_list) {
    yel::ClearLocked(yel::g_search_list);
    YelListRelease(yel::g_search_list);
  }
  yel::g_search_list = list;
  return 1;
}

YEL_API int YelSystemPathSet(const char* folder) {
  if (!folder) return 0;
  const std::string path = yel::IsAbsolutePath(folder)
                               ? std::string(folder)
                               : yel::JoinPath(yel::BaseFolderForNames(), folder);
  auto* copy = static_cast<char*>(YelMemoryAlloc(static_cast<uint32_t>(path.size() + 1), 0));
  if (!copy) return 0;
  std::memcpy(copy, path.c_str(), path.size() + 1);
  std::lock_guard lock(yel::g_list_mutex);
  // Without a list (or a node for the string) the folder is not searched: say so, keep nothing.
  if (!yel::g_search_list ||
      !YelListPush(yel::g_search_list, reinterpret_cast<uintptr_t>(copy), yel::kSearchFolderId)) {
    YelMemoryFree(copy);
    return 0;
  }
  return 1;
}

YEL_API int YelSystemPathClear(void) {
  std::lock_guard lock(yel::g_list_mutex);
  if (!yel::g_search_list) return 0;
  yel::ClearLocked(yel::g_search_list);
  return 1;
}

YEL_API int YelSystemPathUninit(void) {
  std::lock_guard lock(yel::g_list_mutex);
  if (!yel::g_search_list) return 0;
  yel::ClearLocked(yel::g_search_list);
  YelListRelease(yel::g_search_list);
  yel::g_search_list = nullptr;
  return 1;
}

}  // extern "C"

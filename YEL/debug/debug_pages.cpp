#include "YEL/debug/debug_pages.h"

#include <algorithm>
#include <list>
#include <mutex>

#include "YEL/core/block_count.h"
#include "YEL/debug/debug_log.h"
#include "YEL/debug/debug_sound_rows.h"
#include "YEL/files/file_paths.h"
#include "os/encoding.h"
#include "os/ini_file.h"
#include "os/paths.h"

namespace yel {
namespace {

std::mutex g_pages_mutex;      // guards g_pages and every page in it
std::list<DebugPage> g_pages;  // newest first

DebugPage* FindLocked(int32_t key) {
  for (DebugPage& page : g_pages) {
    if (page.key == key) return &page;
  }
  return nullptr;
}

std::string SettingsPath() {
  return BaseFolder() + "/setting.ini";
}

DebugPlacement ReadPlacement(const std::string& section, bool* visible) {
  const std::string path = SettingsPath();
  DebugPlacement placement;
  *visible = os::ReadIniInt(path, section, "view", 1) != 0;
  placement.x = os::ReadIniInt(path, section, "x", 0);
  placement.y = os::ReadIniInt(path, section, "y", 0);
  placement.w = os::ReadIniInt(path, section, "w", 300);
  placement.h = os::ReadIniInt(path, section, "h", 230);
  return placement;
}

// The page's text file in the report folder, created anew; null when there is none.
std::FILE* OpenPageLog(const std::string& title) {
  const std::string folder = DebugReportFolder();
  if (folder.empty() || !os::CreateFolders(folder)) return nullptr;
  return std::fopen((folder + "/" + os::Cp932ToUtf8(title) + ".txt").c_str(), "w+b");
}

void ClosePage(DebugPage& page) {
  if (page.log) std::fclose(page.log);
  page.log = nullptr;
}

void WriteValueRows(DebugPage& page) {
  const size_t rows = std::min(page.rows.size(), static_cast<size_t>(page.count));
  for (size_t i = 0; i < rows; ++i) page.rows[i].second = std::to_string(page.data[i]);
}

bool IsSoundPage(int32_t key) {
  return key == kSePageKey || key == kBgmPageKey || key == kBgvPageKey;
}

}  // namespace

int32_t DebugParseValue(const std::string& text) {
  size_t at = 0;
  while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
  bool negative = false;
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
  int64_t value = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    value = std::min<int64_t>(value * 10 + (text[at] - '0'), int64_t{INT32_MAX} + 1);
  }
  if (negative) value = -value;
  return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

bool DebugPageCreate(int32_t key, const std::string& title, int kind) {
  std::lock_guard lock(g_pages_mutex);
  if (FindLocked(key)) return false;
  DebugPage page;
  page.key = key;
  page.title = title;
  page.kind = kind;
  if (kind == kLogPageWithFile) page.log = OpenPageLog(title);
  page.placement = ReadPlacement(title, &page.visible);
  g_pages.push_front(std::move(page));
  CountBlocks(+1);
  return true;
}

bool DebugPageDelete(int32_t key) {
  std::lock_guard lock(g_pages_mutex);
  for (auto it = g_pages.begin(); it != g_pages.end(); ++it) {
    if (it->key != key) continue;
    ClosePage(*it);
    g_pages.erase(it);
    CountBlocks(-1);
    return true;
  }
  return false;
}

bool DebugPageClearRows(int32_t key) {
  std::lock_guard lock(g_pages_mutex);
  DebugPage* page = FindLocked(key);
  if (!page) return false;
  page->rows.clear();
  return true;
}

bool DebugPageToggle(int32_t key) {
  std::lock_guard lock(g_pages_mutex);
  DebugPage* page = FindLocked(key);
  if (!page) return false;
  page->visible = !page->visible;
  return true;
}

void DebugPagesShowAll(bool show) {
  std::lock_guard lock(g_pages_mutex);
  for (DebugPage& page : g_pages) page.visible = show;
}

bool DebugPageSetData(int32_t key, int32_t* data, int32_t count) {
  std::lock_guard lock(g_pages_mutex);
  DebugPage* page = FindLocked(key);
  if (!page) return false;
  page->data = data;
  page->count = data ? std::clamp(count, 0, kMaxValueRows) : 0;
  page->pending_edits.clear();
  for (int32_t i = 0; i < page->count; ++i) page->rows.emplace_back(std::to_string(i), "");
  return true;
}

int DebugPageAppend(int32_t key, const std::string& label, const std::string& text) {
  std::lock_guard lock(g_pages_mutex);
  DebugPage* page = FindLocked(key);
  if (!page) return 0;
  if (!page->visible) return 1;
  if (page->key == kTracePageKey && page->rows.size() >= kTracePageRows) page->rows.pop_front();
  page->rows.emplace_back(page->kind == kLogPageWithLabel ? label : std::string(), text);
  if (page->log) {
    std::fwrite(text.data(), 1, text.size(), page->log);
    std::fwrite("\r\n", 1, 2, page->log);
    std::fflush(page->log);
  }
  return 1;
}

// The sound pages show channel records, several rows to a record: a row there is no value of
// the data, so storing an edit "into value i" would overwrite a word in the middle of a record.
bool DebugPageEditValue(int32_t key, int32_t row, const std::string& text) {
  std::lock_guard lock(g_pages_mutex);
  DebugPage* page = FindLocked(key);
  if (!page || page->kind != kValuePage || IsSoundPage(key) || !page->data) return false;
  if (row < 0 || row >= page->count || static_cast<size_t>(row) >= page->rows.size()) {
    return false;
  }
  const int32_t value = DebugParseValue(text.substr(0, 64));
  page->rows[static_cast<size_t>(row)].second = std::to_string(value);
  page->pending_edits.emplace_back(row, value);
  return true;
}

void DebugPageSetEditing(int32_t key, bool editing) {
  std::lock_guard lock(g_pages_mutex);
  if (DebugPage* page = FindLocked(key)) page->editing = editing;
}

void DebugPageSetRows(int32_t key, std::vector<std::pair<std::string, std::string>> rows) {
  std::lock_guard lock(g_pages_mutex);
  DebugPage* page = FindLocked(key);
  if (!page) return;
  page->rows.assign(std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
}

void DebugPagesRefresh() {
  std::lock_guard lock(g_pages_mutex);
  for (DebugPage& page : g_pages) {
    if (!page.data) continue;
    for (const auto& [row, value] : page.pending_edits) page.data[row] = value;
    page.pending_edits.clear();
    if (page.editing) continue;
    if (IsSoundPage(page.key)) {
      DebugSoundRowsRefresh(page);
    } else {
      WriteValueRows(page);
    }
  }
}

std::deque<std::string> DebugPageTexts(int32_t key) {
  std::lock_guard lock(g_pages_mutex);
  std::deque<std::string> texts;
  if (DebugPage* page = FindLocked(key)) {
    for (const auto& row : page->rows) texts.push_back(row.second);
  }
  return texts;
}

std::vector<DebugPage> DebugPagesSnapshot() {
  std::lock_guard lock(g_pages_mutex);
  std::vector<DebugPage> pages;
  for (const DebugPage& page : g_pages) {
    DebugPage copy;
    copy.key = page.key;
    copy.title = page.title;
    copy.kind = page.kind;
    copy.visible = page.visible;
    copy.placement = page.placement;
    copy.rows = page.rows;
    copy.count = page.count;
    copy.editing = page.editing;
    pages.push_back(std::move(copy));
  }
  return pages;
}

bool DebugPageExists(int32_t key) {
  std::lock_guard lock(g_pages_mutex);
  return FindLocked(key) != nullptr;
}

void DebugPageSetPlacement(int32_t key, const DebugPlacement& placement) {
  std::lock_guard lock(g_pages_mutex);
  if (DebugPage* page = FindLocked(key)) page->placement = placement;
}

void DebugPagesPlacementSave() {
  std::lock_guard lock(g_pages_mutex);
  const std::string path = SettingsPath();
  for (const DebugPage& page : g_pages) {
    os::WriteIniString(path, page.title, "view", std::to_string(page.visible ? 1 : 0));
    os::WriteIniString(path, page.title, "x", std::to_string(page.placement.x));
    os::WriteIniString(path, page.title, "y", std::to_string(page.placement.y));
    os::WriteIniString(path, page.title, "w", std::to_string(page.placement.w));
    os::WriteIniString(path, page.title, "h", std::to_string(page.placement.h));
  }
}

void DebugPagesRelease() {
  std::lock_guard lock(g_pages_mutex);
  for (DebugPage& page : g_pages) {
    ClosePage(page);
    CountBlocks(-1);
  }
  g_pages.clear();
}

}  // namespace yel

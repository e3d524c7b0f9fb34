#include "YEL/debug/debug_pages.h"

#include <list>
#include <mutex>

namespace yel {
namespace {

std::mutex g_pages_mutex;  // guards g_pages and every page in it
std::list<DebugPage> g_pages;

DebugPage* FindLocked(int32_t key) {
  for (DebugPage& page : g_pages) {
    if (page.key == key) return &page;
  }
  return nullptr;
}

}  // namespace

DebugPage* DebugPageCreate(int32_t key, const std::string& name, int kind) {
  std::lock_guard lock(g_pages_mutex);
  if (DebugPage* page = FindLocked(key)) return page;
  DebugPage& page = g_pages.emplace_back();
  page.key = key;
  page.name = name;
  page.kind = kind;
  return &page;
}

int DebugPageAppend(int32_t key, const std::string& label, const std::string& text) {
  std::lock_guard lock(g_pages_mutex);
  DebugPage* page = FindLocked(key);
  if (!page) return 0;
  if (page->hidden) return 1;
  if (page->key == kTracePageKey && page->rows.size() >= kTracePageRows) page->rows.pop_front();
  page->rows.emplace_back(page->kind == 2 ? label : std::string(), text);
  if (page->log) {
    std::fputs(text.c_str(), page->log);
    std::fputs("\r\n", page->log);
    std::fflush(page->log);
  }
  return 1;
}

std::deque<std::string> DebugPageTexts(int32_t key) {
  std::lock_guard lock(g_pages_mutex);
  std::deque<std::string> texts;
  if (DebugPage* page = FindLocked(key)) {
    for (const auto& row : page->rows) texts.push_back(row.second);
  }
  return texts;
}

void DebugPageSetHidden(int32_t key, bool hidden) {
  std::lock_guard lock(g_pages_mutex);
  if (DebugPage* page = FindLocked(key)) page->hidden = hidden;
}

void DebugPagesRelease() {
  std::lock_guard lock(g_pages_mutex);
  for (DebugPage& page : g_pages) {
    if (page.log) std::fclose(page.log);
  }
  g_pages.clear();
}

}  // namespace yel

// Debug pages: the rows that debug-mode prints collect under a page key, each page optionally
// copied into a log file.
#pragma once

#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>
#include <utility>

namespace yel {

inline constexpr int32_t kTracePageKey = 10;
inline constexpr size_t kTracePageRows = 2000;

struct DebugPage {
  int32_t key = 0;
  std::string name;
  int kind = 1;  // kind 2 pages have a label column before the text
  bool hidden = false;
  std::deque<std::pair<std::string, std::string>> rows;  // (label, text)
  std::FILE* log = nullptr;
};

// Creates a page (or returns the page that already has the key).
DebugPage* DebugPageCreate(int32_t key, const std::string& name, int kind);
// Appends a row under the page's lock; 0 when no page has the key, else 1.
int DebugPageAppend(int32_t key, const std::string& label, const std::string& text);
// A copy of the texts of a page's rows (empty when there is no such page).
std::deque<std::string> DebugPageTexts(int32_t key);
void DebugPageSetHidden(int32_t key, bool hidden);
void DebugPagesRelease();

}  // namespace yel

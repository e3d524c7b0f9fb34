// Debug pages: log pages, whose rows debug-mode prints append (kind 1 also copied into a text
// file of the report folder), and value pages, which show an array of the main program's 32-bit
// values and let the developer edit them. The rows live here; the debug window only draws them.
//
// Threads: every function takes the pages' mutex. Value pages are read and edited only by the
// main thread (DebugPagesRefresh, under the render lock), so the program's arrays are never
// touched while the script writes them; the debug window's edits wait in the page until then.
#pragma once

#include <cstdint>
#include <cstdio>
#include <deque>
#include <string>
#include <utility>
#include <vector>

namespace yel {

inline constexpr int32_t kTracePageKey = 10;
inline constexpr size_t kTracePageRows = 2000;
// Pages of the sound tables: their rows describe channel records, not one value each.
inline constexpr int32_t kSePageKey = 14;
inline constexpr int32_t kBgmPageKey = 15;
inline constexpr int32_t kBgvPageKey = 19;
// The most rows a value page takes.
inline constexpr int32_t kMaxValueRows = 65536;

enum DebugPageKind : int { kLogPageWithFile = 1, kLogPageWithLabel = 2, kValuePage = 3 };

// Where a window lies on the desktop (kept in "setting.ini").
struct DebugPlacement {
  int x = 0, y = 0, w = 300, h = 230;
};

struct DebugPage {
  int32_t key = 0;
  std::string title;  // CP932
  int kind = kLogPageWithFile;
  bool visible = true;
  DebugPlacement placement;
  std::deque<std::pair<std::string, std::string>> rows;  // (first column, second column)
  std::FILE* log = nullptr;
  // Value pages: the program's array and its length in values.
  int32_t* data = nullptr;
  int32_t count = 0;
  // Edits made in the window, stored into the data by the next refresh: (row, value).
  std::vector<std::pair<int32_t, int32_t>> pending_edits;
  bool editing = false;  // a row is being edited: refreshes leave the rows alone
};

// Creates a page: its log file (kind 1), its placement from "setting.ini"; false when the key
// exists.
bool DebugPageCreate(int32_t key, const std::string& title, int kind);
bool DebugPageDelete(int32_t key);
bool DebugPageClearRows(int32_t key);
// Shown becomes hidden and back; false when no page has the key.
bool DebugPageToggle(int32_t key);
void DebugPagesShowAll(bool show);
// Takes the data and the count and makes one row per value ("%d" row numbers).
bool DebugPageSetData(int32_t key, int32_t* data, int32_t count);
// Appends a row to a log page; 0 when no page has the key, else 1 (also for a hidden page,
// which takes nothing).
int DebugPageAppend(int32_t key, const std::string& label, const std::string& text);
// Queues the edited text of a row as its decimal value. False, changing nothing, where a row is
// no single value: on the sound pages, on log pages and beyond the data.
bool DebugPageEditValue(int32_t key, int32_t row, const std::string& text);
void DebugPageSetEditing(int32_t key, bool editing);
// Replaces every row of a page (the control tools' value lists).
void DebugPageSetRows(int32_t key, std::vector<std::pair<std::string, std::string>> rows);
// Main thread under the render lock: stores the queued edits and rewrites the value rows.
void DebugPagesRefresh();

// Copies for the window and for tests.
std::deque<std::string> DebugPageTexts(int32_t key);  // the last column of every row
std::vector<DebugPage> DebugPagesSnapshot();          // newest first; rows, no data pointer
bool DebugPageExists(int32_t key);
void DebugPageSetPlacement(int32_t key, const DebugPlacement& placement);

// Writes every page's "view" and placement into "setting.ini" (sections named by titles).
void DebugPagesPlacementSave();
// Closes the log files and removes every page.
void DebugPagesRelease();

// The decimal value of an edited text (sign, digits, cut at the first other character; 0 for
// none), held to 32 bits.
int32_t DebugParseValue(const std::string& text);

}  // namespace yel

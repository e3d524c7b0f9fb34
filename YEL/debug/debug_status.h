// The debug window's status rows and the words the main program reports for them.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

namespace yel {

struct YelSystem;

inline constexpr int kStatusRowCount = 12;
inline constexpr std::array<const char*, kStatusRowCount> kStatusLabels = {
    "mouse",   "key",     "joy",     "fps",    "task",    "VRAM",
    "mem_cnt", "reg_cnt", "ebp/esp", "mosaic", "keyrept", "str_no"};

// Words the main program sets for display. The frame registers are read through the pointers
// (so always current) by the main thread, which also writes them.
struct DebugReportWords {
  std::atomic<uint32_t> register_count{0};  // low half / high half
  std::atomic<const int32_t*> frame_base{nullptr};
  std::atomic<const int32_t*> frame_top{nullptr};
  std::atomic<int32_t> save_thumbnail{0};
  std::atomic<int32_t> string_number{0};
};
DebugReportWords& ReportWords();

// Main thread: rewrites the second column of the status rows.
void DebugStatusRefresh(YelSystem& system);
// A copy of the second column.
std::array<std::string, kStatusRowCount> DebugStatusTexts();

// A word as 32 characters "0" or "1", highest bit first.
std::string BitText(uint32_t word);

}  // namespace yel

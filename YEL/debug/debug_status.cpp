#include "YEL/debug/debug_status.h"

#include <mutex>

#include "YEL/core/block_count.h"
#include "YEL/core/system.h"
#include "os/text_format.h"

namespace yel {
namespace {

std::mutex g_status_mutex;  // guards g_status
std::array<std::string, kStatusRowCount> g_status;

int32_t ValueBehind(const int32_t* pointer) {
  return pointer ? *pointer : 0;
}

std::string VideoMemoryText() {
  if (!Yel3DIs()) return "-";
  YelTextureCaps caps{};
  YelGetTextureCaps(&caps);
  return os::Format("%d M", static_cast<int>(caps.available_mib));
}

}  // namespace

DebugReportWords& ReportWords() {
  static DebugReportWords words;
  return words;
}

std::string BitText(uint32_t word) {
  std::string text(32, '0');
  for (int bit = 0; bit < 32; ++bit) {
    if (word & (1u << bit)) text[static_cast<size_t>(31 - bit)] = '1';
  }
  return text;
}

void DebugStatusRefresh(YelSystem& system) {
  const InputState& input = system.input;
  const DebugReportWords& words = ReportWords();
  const uint32_t registers = words.register_count.load();
  std::array<std::string, kStatusRowCount> rows = {
      os::Format("( %d, %d )[ %d, %d ] wheel = %d", input.mouse_x.load(), input.mouse_y.load(),
                 input.mouse_move_x.load(), input.mouse_move_y.load(), input.wheel.load()),
      BitText(input.keys.current.load()),
      BitText(input.joy.current.load()),
      std::to_string(system.measured_fps.load()),
      std::to_string(system.tasks.count),
      VideoMemoryText(),
      std::to_string(LiveBlocks()),
      os::Format("%d / %d", static_cast<int>(registers & 0xFFFF),
                 static_cast<int>(registers >> 16)),
      os::Format("%d / %d", ValueBehind(words.frame_base.load()),
                 ValueBehind(words.frame_top.load())),
      // "●●●" in CP932.
      words.save_thumbnail.load() ? "\x81\x9C\x81\x9C\x81\x9C" : "---",
      BitText(input.keys.repeat.load()),
      std::to_string(words.string_number.load()),
  };
  std::lock_guard lock(g_status_mutex);
  g_status = std::move(rows);
}

std::array<std::string, kStatusRowCount> DebugStatusTexts() {
  std::lock_guard lock(g_status_mutex);
  return g_status;
}

}  // namespace yel

#include "YEL/debug/debug_sound_rows.h"

#include <cstring>
#include <mutex>
#include <string>

#include "YEL/debug/debug_pages.h"
#include "YEL/media/sound_system.h"
#include "os/text_format.h"

namespace yel {
namespace {

// How the program lays out each table the sound pages show: records of `record_words` words
// whose first word is the channel handle.
struct SoundTableLayout {
  const char* handle_format;
  int32_t records;
  int32_t record_words;
  int32_t rows_per_record;
  bool bgm;
};

constexpr SoundTableLayout kSeTable{"se(%d) ch=&H%08X", 16, 16, 4, false};
constexpr SoundTableLayout kBgmTable{"bgm(%d) ch=&H%08X", 2, 23, 5, true};
constexpr SoundTableLayout kBgvTable{"bgv(%d) ch=&H%08X", 8, 23, 4, false};

class RowWriter {
 public:
  explicit RowWriter(DebugPage& page) : page_(page) {}
  void Put(size_t row, std::string text) {
    if (row < page_.rows.size()) page_.rows[row].second = std::move(text);
  }

 private:
  DebugPage& page_;
};

std::string ChannelName(const SoundChannel& channel) {
  return std::string(channel.name, strnlen(channel.name, sizeof channel.name));
}

// The rows of one channel record from `row` on; an empty channel shows zeros.
void PutChannelRows(RowWriter& out, size_t row, int32_t index, const SoundChannel& c, bool bgm) {
  const int single = Group(c.group).streamed ? 0 : 1;
  out.Put(row++,
          os::Format("[%d] init=%d / play=%d / reserved=%d / loop=%d / ogg=%d / "
                     "single=%d / pause=%d",
                     index, c.loaded, c.playing, c.reserved, c.loop, c.is_ogg, single, c.paused));
  const auto file = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(c.file));
  out.Put(row++, os::Format("    hFile=%08Xh / filename=%s", file, ChannelName(c).c_str()));
  if (bgm) {
    out.Put(row++, os::Format("    start=%d / end=%d / loop=%d / sendpos=%d", c.stream_start, c.end,
                              c.loop_start, c.read_position));
    out.Put(row++, os::Format("    totalpos=%d / prevCursor=%d", c.stream_position, c.last_cursor));
  } else {
    out.Put(row++, os::Format("    start=%d / end=%d / loop=%d / now=%d", c.stream_start, c.end,
                              c.loop_start, c.read_position));
  }
  out.Put(row, os::Format("    mode=%d / type=%d / fadetype=%d / fadetime=%d / vol=%d", c.command,
                          c.type, c.fade_state, c.fade_time, c.volume));
}

void PutTable(DebugPage& page, const SoundTableLayout& table) {
  RowWriter out(page);
  SoundSystem* sound = Sound();
  const SoundChannel empty{};
  for (int32_t i = 0; i < table.records; ++i) {
    const auto handle = static_cast<uint32_t>(page.data[i * table.record_words]);
    out.Put(static_cast<size_t>(i), os::Format(table.handle_format, i, handle));
  }
  for (int32_t i = 0; i < table.records; ++i) {
    const auto handle = static_cast<uint32_t>(page.data[i * table.record_words]);
    const size_t row = static_cast<size_t>(table.records + i * table.rows_per_record);
    if (!sound) {
      PutChannelRows(out, row, i, empty, table.bgm);
      continue;
    }
    std::lock_guard lock(sound->lock);
    const SoundChannel* channel = ChannelOf(*sound, handle);
    PutChannelRows(out, row, i, channel ? *channel : empty, table.bgm);
  }
}

}  // namespace

void DebugSoundRowsRefresh(DebugPage& page) {
  switch (page.key) {
    case kSePageKey:
      PutTable(page, kSeTable);
      break;
    case kBgmPageKey:
      PutTable(page, kBgmTable);
      break;
    case kBgvPageKey:
      PutTable(page, kBgvTable);
      break;
    default:
      break;
  }
}

}  // namespace yel

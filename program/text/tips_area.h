// The tips the message window met in the text on show: the layout fills one entry per tip link
// ("<d" number ">" text "</d>"), the tips hooks run their labels from the state word, and the
// tips commands read the entries. Not part of a snapshot; zeroed by tips_init.
#pragma once

#include <array>
#include <cstdint>

namespace adv {

inline constexpr int32_t kTipsEntryCount = 32;
inline constexpr size_t kTipsStringSize = 2047;

struct TipsEntry {
  // 0 the tip's number; 1-4 x, y, right, bottom of its first part; 5-8 of its second part when
  // it wrapped; 9 font size; 10 line pitch.
  std::array<int32_t, 11> words{};
  int32_t wrapped = 0;
  std::array<int32_t, 3> font{};  // type, size, effect (words 12-14)
  // 0 the whole tip text (its key), 1 the part before the wrap, 2 the part after it.
  std::array<std::array<char, kTipsStringSize>, 3> strings{};
};

struct TipsArea {
  uint32_t count = 0;  // the entry the next tip fills
  uint32_t begin_label = 0, end_label = 0;
  uint32_t state = 0;  // low byte: the begin hook may run; second byte: the end hook may run
  std::array<TipsEntry, kTipsEntryCount> entries{};
  uint8_t pause = 0;
  uint8_t colour_flag = 0;
  std::array<uint32_t, 2> colours{};
};

}  // namespace adv

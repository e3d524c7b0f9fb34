// The tips dictionary: a glossary the script reads from a CSV file of the game (a folder or an
// archive), each entry four text columns (key word, its kana reading, two texts), a kana group
// from the reading for alphabetical tabs, and two access digits the script marks and saves in an
// access file of its own. Process-wide, outside snapshots. Main thread only.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace adv {

// A column keeps what a string variable can take.
inline constexpr size_t kTipsColumnMax = 2046;

struct TipsRecord {
  int32_t number = 0;  // ordinal in the CSV
  std::array<std::string, 4> columns;
  int32_t kana_group = -1;  // 0 あ-row ... 9 わ-row, -1 none
  uint8_t access1 = 0;
  uint8_t access2 = 0;
};

struct TipsDictionary {
  std::string access_path;  // as the script gave it
  std::vector<TipsRecord> records;
};

TipsDictionary& Tips();

// The CSV's entries: a flat run of fields, four to an entry; a short last entry is dropped.
// Fields end at a comma, a CR (with its LF) or the end; "//" starts a comment to the next LF;
// quotes are dropped; spaces and backspaces are dropped until a double-byte character or a quote
// was seen. Each field keeps at most kTipsColumnMax bytes, in whole characters.
std::vector<TipsRecord> TipsParseCsv(std::string_view data);

// The kana group of a reading's first character: its place in the six kana rows, matched only
// at whole characters; -1 when it is in none.
int32_t TipsKanaGroup(std::string_view reading);

// Multibyte string order: a double-byte character compares as one 16-bit value.
int TipsCompare(std::string_view a, std::string_view b);

// Ascending by reading (column 1); records move whole.
void TipsSort(TipsDictionary& dictionary);

// The access digits: two bytes an entry ("0"-"9"), flag 1 then flag 2.
void TipsApplyAccess(TipsDictionary& dictionary, std::string_view bytes);
std::string TipsAccessBytes(const TipsDictionary& dictionary);

}  // namespace adv

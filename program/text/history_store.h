// The history: the newest 128 lines the player saw, with speaker name, text, voice, the script
// point of the line and the history snapshot that leads back to it. The text commands record a
// line in steps (open, name, text, voice, commit); the history page reads it, and every snapshot
// carries it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "program/text/history_page.h"

namespace adv {

struct AdvContext;

inline constexpr int32_t kHistoryEntryCount = 128;
inline constexpr size_t kHistoryNameSize = 64;
inline constexpr size_t kHistoryTextSize = 384;
inline constexpr size_t kHistoryVoiceSize = 32;

// One line of the history (492 bytes in a snapshot).
struct HistoryEntry {
  std::array<char, kHistoryNameSize> name{};  // the no-name marker is 0x00 0x81
  std::array<char, kHistoryTextSize> text{};
  std::array<char, kHistoryVoiceSize> voice{};
  uint32_t script_point = 0;
  int32_t file_number = -1;  // the "hist%08x.dat" current when the line was committed, or -1
  uint32_t face_flag = 0;    // the history page gives the line a face button
};
static_assert(sizeof(HistoryEntry) == 492);

using HistoryStore = std::array<HistoryEntry, kHistoryEntryCount>;

struct HistoryBlock {
  int32_t count = 0;           // valid entries, 0 to 128
  int32_t off = 0;             // non-zero: nothing is recorded
  uint32_t restart_label = 0;  // script offset rebuilt to at a history skip; 0 = none
  int32_t save_files = 0;      // history-save option: history snapshots are written
  uint32_t face_flag = 0;      // given to each line as it opens
  HistoryStore entries{};      // entry 0 the newest
  HistoryPage page;
};

// The steps of recording a line.
enum class HistoryPart : int32_t {
  kName = 1,  // the speaker name (null: the no-name marker)
  kText = 2,
  kVoice = 3,
  kOpen = 4,            // a new entry 0, the oldest dropped when the store is full
  kCommit = 5,          // at the program counter of the line
  kCommitAtResume = 6,  // at the save point's resume offset
};

// One step of recording the current line; nothing while recording is off. Name, text and voice
// keep at most 63, 383 and 31 bytes, cut back to a whole character.
void HistoryAddLine(AdvContext& context, const char* string, HistoryPart part);

// The length of the first `length` bytes of a field once a double-byte character that the field
// cuts in two, or whose second byte is not one, is taken off together with what follows it.
size_t HistoryCutLength(const char* field, size_t length);

// Terminates each text field of an entry read from outside (the last byte of each is zero).
void HistoryEntryTerminate(HistoryEntry& entry);

}  // namespace adv

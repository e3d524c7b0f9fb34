#include "program/text/history_store.h"

#include <algorithm>
#include <cstring>

#include "program/data/string_helpers.h"
#include "program/game/adv_context.h"
#include "program/savedata/save_files.h"

namespace adv {
namespace {

template <size_t N>
void CopyCut(std::array<char, N>& field, const char* string) {
  const size_t length = string ? strnlen(string, N - 1) : 0;
  field.fill(0);
  if (length > 0) std::memcpy(field.data(), string, length);
  field[HistoryCutLength(field.data(), length)] = 0;
}

int32_t CurrentHistoryFile(const AdvContext& context) {
  return context.values.system_memory[kHistoryPositionCell];
}

void Open(HistoryBlock& history) {
  std::move_backward(history.entries.begin(), history.entries.end() - 1, history.entries.end());
  history.entries[0] = HistoryEntry{};
  history.entries[0].face_flag = history.face_flag;
}

void Commit(HistoryBlock& history, uint32_t script_point, int32_t file_number) {
  history.entries[0].script_point = script_point;
  history.entries[0].file_number = file_number;
  history.count = std::min(history.count + 1, kHistoryEntryCount);
}

}  // namespace

size_t HistoryCutLength(const char* field, size_t length) {
  size_t at = 0;
  while (at < length) {
    if (!IsCp932LeadByte(static_cast<uint8_t>(field[at]))) {
      ++at;
      continue;
    }
    if (at + 1 >= length || !IsCp932TrailByte(static_cast<uint8_t>(field[at + 1]))) return at;
    at += 2;
  }
  return length;
}

void HistoryEntryTerminate(HistoryEntry& entry) {
  entry.name.back() = 0;
  entry.text.back() = 0;
  entry.voice.back() = 0;
}

void HistoryAddLine(AdvContext& context, const char* string, HistoryPart part) {
  HistoryBlock& history = context.history;
  if (history.off) return;
  HistoryEntry& newest = history.entries[0];
  switch (part) {
    case HistoryPart::kName:
      if (string) {
        CopyCut(newest.name, string);
      } else {
        newest.name.fill(0);
        newest.name[1] = static_cast<char>(0x81);
      }
      break;
    case HistoryPart::kText:
      CopyCut(newest.text, string);
      break;
    case HistoryPart::kVoice:
      CopyCut(newest.voice, string);
      break;
    case HistoryPart::kOpen:
      Open(history);
      break;
    case HistoryPart::kCommit:
      Commit(history, context.script_position,
             history.save_files ? CurrentHistoryFile(context) : -1);
      break;
    case HistoryPart::kCommitAtResume:
      Commit(history, context.save.resume_offset, CurrentHistoryFile(context));
      break;
  }
}

}  // namespace adv

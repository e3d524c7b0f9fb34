// Text and file-name arguments of commands.
#include "program/script/script_names.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "program/game/adv_context.h"
#include "program/game/game_task.h"
#include "program/savedata/access_file.h"
#include "program/script/engine_log.h"

namespace adv {
namespace {

constexpr char kEmptyText[1] = "";
constexpr uint8_t kAccessStateNew = 3;

// The string variable n, or null after the out-of-range message.
const char* StringVariable(AdvContext& context, uint32_t n) {
  if (n < static_cast<uint32_t>(kStringVariableCount)) {
    return context.values.string_variables[n].data();
  }
  AdvDebugPrint(kLogError, "AdvGetVarString(%d): Out of Range", static_cast<int32_t>(n));
  return nullptr;
}

size_t StringVariableLength(const char* text) {
  return strnlen(text, kStringVariableSize);
}

void StoreWord(uint8_t* destination, size_t size, uint32_t word) {
  const uint8_t bytes[4] = {static_cast<uint8_t>(word), static_cast<uint8_t>(word >> 8),
                            static_cast<uint8_t>(word >> 16), static_cast<uint8_t>(word >> 24)};
  std::memcpy(destination, bytes, std::min<size_t>(size, 4));
}

// Copies `length` bytes of text after a number word, cut so that the zero fits in `size`.
void StoreEntry(uint8_t* destination, size_t size, uint32_t number, const void* text,
                size_t length) {
  StoreWord(destination, size, number);
  if (size <= 4) return;
  const size_t copied = std::min(length, size - 5);
  std::memcpy(destination + 4, text, copied);
  destination[4 + copied] = 0;
}

bool IsHttpName(const uint8_t* name) {
  return std::memcmp(name, "http", 4) == 0;
}

void MarkStringVariableName(AdvContext& context, const uint8_t* name) {
  AdvTaskData* data = context.task_data;
  if (!data) return;
  const int32_t number = FileListFind(context.lists, name);
  if (number >= 0) {
    FileStateSet(*data, static_cast<uint32_t>(number));
    return;
  }
  const char* text = reinterpret_cast<const char*>(name);
  AccessListEnsure(data->access, std::string_view(text, strnlen(text, kFileNameSize)));
}

void FileNameFromStringVariable(AdvContext& context, uint8_t* destination, uint32_t n, bool mark) {
  std::memset(destination, 0, kFileNameSize);
  const char* text = StringVariable(context, n);
  if (!text) return;
  const size_t length = std::min(StringVariableLength(text), kFileNameSize - 1);
  std::memcpy(destination, text, length);
  if (IsHttpName(destination)) return;
  FileNameUpperCase(destination, length);
  if (mark) MarkStringVariableName(context, destination);
}

}  // namespace

const char* AdvGetVarString(AdvContext& context, uint32_t n) {
  const char* text = StringVariable(context, n);
  return text ? text : kEmptyText;
}

bool AdvSetVarString(AdvContext& context, uint32_t reference, std::string_view text) {
  const uint32_t n = reference & ~kStringVariableBit;
  if (!(reference & kStringVariableBit) || n >= static_cast<uint32_t>(kStringVariableCount)) {
    return false;
  }
  std::array<char, kStringVariableSize>& slot = context.values.string_variables[n];
  const size_t length = std::min(text.size(), slot.size() - 1);
  std::memcpy(slot.data(), text.data(), length);
  std::fill(slot.begin() + static_cast<ptrdiff_t>(length), slot.end(), '\0');
  return true;
}

std::string AdvGetStringText(AdvContext& context, uint32_t reference, size_t size) {
  std::vector<uint8_t> buffer(std::max<size_t>(size, 5), 0);
  AdvGetString(context, buffer.data(), buffer.size(), reference);
  const char* text = reinterpret_cast<const char*>(buffer.data()) + 4;
  return std::string(text, strnlen(text, buffer.size() - 4));
}

void AdvGetString(AdvContext& context, uint8_t* destination, size_t size, uint32_t reference) {
  if (size == 0) return;
  if (reference & kStringVariableBit) {
    const char* text = AdvGetVarString(context, reference & ~kStringVariableBit);
    StoreEntry(destination, size, 0, text, StringVariableLength(text));
    return;
  }
  if (reference == kNoReference) {
    std::memset(destination, 0, size);
    return;
  }
  const std::vector<uint8_t>& image = context.lists.TextImage();
  if (reference >= image.size()) {
    AdvDebugPrint(kLogError, "[%d]text offset out of range 0x%08X", context.script.pc, reference);
    StoreEntry(destination, size, 0, "", 0);
    return;
  }
  // The entry as stored: its number word, its text and the zero; a text that runs to the end
  // of the file, or past the destination, is cut and terminated.
  const size_t available = std::min(size, image.size() - reference);
  std::memcpy(destination, image.data() + reference, available);
  if (available < 4) {
    std::memset(destination + available, 0, std::min<size_t>(size, 4) - available);
    if (size > 4) destination[4] = 0;
  } else if (!std::memchr(destination + 4, 0, available - 4)) {
    destination[available < size ? available : size - 1] = 0;
  }
}

void AdvGetFileName(AdvContext& context, uint8_t* destination, uint32_t argument, bool mark) {
  if (argument & kStringVariableBit) {
    const uint32_t n = argument & ~kStringVariableBit;
    FileNameFromStringVariable(context, destination, n, mark && n != kNoReference);
    return;
  }
  std::memset(destination, 0, kFileNameSize);
  if (argument == kNoReference) return;
  const uint8_t* name = context.lists.FileName(argument);
  if (!name) {
    AdvDebugPrint(kLogError, "[%d]file number out of range %u", context.script.pc, argument);
    return;
  }
  if (mark && context.task_data) FileStateSet(*context.task_data, argument);
  std::memcpy(destination, name, kFileNameSize);
}

void FileNameUpperCase(uint8_t* name, size_t length) {
  for (size_t i = 0; i < length; ++i) {
    if (name[i] >= 0x80) {
      ++i;  // the trail byte of a double-byte character stays as it is
    } else if (name[i] >= 'a' && name[i] <= 'z') {
      name[i] = static_cast<uint8_t>(name[i] - 'a' + 'A');
    }
  }
}

void AccessListEnsure(AccessList& list, std::string_view name) {
  if (AccessListFind(list, name)) return;
  if (!AccessListAdd(list, name, kAccessStateNew)) {
    const std::string text(name);
    AdvDebugPrint(kLogTrace, "entry filename buffer over '%s'", text.c_str());
  }
}

void AccessListResetState(AccessList& list, std::string_view name) {
  if (AccessRecord* record = AccessListFind(list, name)) record->state = 0;
}

}  // namespace adv

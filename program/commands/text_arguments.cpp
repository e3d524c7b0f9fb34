#include "program/commands/text_arguments.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "program/game/adv_context.h"
#include "program/script/engine_log.h"
#include "program/script/script_names.h"

namespace adv {
namespace {

bool IsLeadByte(char c) {
  return static_cast<uint8_t>(c) >= 0x80;
}

}  // namespace

std::string FileNameArgument(AdvContext& context, uint32_t argument, size_t capacity) {
  if ((argument & kStringVariableBit) == 0 || argument == kNoReference) {
    uint8_t name[kFileNameSize + 1] = {};
    AdvGetFileName(context, name, argument, false);
    const std::string text(reinterpret_cast<const char*>(name));
    return text.substr(0, capacity > 0 ? capacity - 1 : 0);
  }
  const char* variable = AdvGetVarString(context, argument & ~kStringVariableBit);
  std::string text(variable, strnlen(variable, kStringVariableSize));
  text.resize(WholeCharacterPrefix(text, capacity > 0 ? capacity - 1 : 0));
  if (text.rfind("http", 0) != 0) {
    FileNameUpperCase(reinterpret_cast<uint8_t*>(text.data()), text.size());
  }
  return text;
}

std::span<char> StringVariableFor(AdvContext& context, uint32_t reference, const char* command) {
  if ((reference & kStringVariableBit) == 0) {
    AdvDebugPrint(kLogError, "%s : string型以外の型を指定しました。", command);
    return {};
  }
  const uint32_t n = reference & ~kStringVariableBit;
  if (n >= static_cast<uint32_t>(kStringVariableCount)) {
    AdvDebugPrint(kLogError, "AdvGetVarString(%d): Out of Range", static_cast<int32_t>(n));
    return {};
  }
  return context.values.string_variables[n];
}

std::string_view StringVariableText(std::span<const char> slot) {
  return std::string_view(slot.data(), strnlen(slot.data(), slot.size()));
}

void StoreStringVariable(std::span<char> slot, std::string_view text) {
  if (slot.empty()) return;
  const size_t length = WholeCharacterPrefix(text, slot.size() - 1);
  std::memcpy(slot.data(), text.data(), length);
  slot[length] = 0;
}

size_t WholeCharacterPrefix(std::string_view text, size_t limit) {
  if (text.size() <= limit) return text.size();
  size_t i = 0;
  while (i < limit) {
    const size_t step = IsLeadByte(text[i]) ? 2 : 1;
    if (i + step > limit) break;
    i += step;
  }
  return i;
}

}  // namespace adv

#include "program/sound/name_prefix.h"

#include "program/data/string_helpers.h"

namespace adv {
namespace {

char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

bool NamePrefixMatches(std::string_view prefix, std::string_view name) {
  if (prefix.empty() || prefix.size() > name.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    if (IsCp932LeadByte(static_cast<uint8_t>(prefix[i])) && i + 1 < prefix.size()) {
      if (prefix[i] != name[i] || prefix[i + 1] != name[i + 1]) return false;
      ++i;
      continue;
    }
    if (AsciiLower(prefix[i]) != AsciiLower(name[i])) return false;
  }
  return true;
}

}  // namespace adv

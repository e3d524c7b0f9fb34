// The units a script text is read in: a double-byte character, an icon unit ("%" and its
// digits), a tag ("<" to ">") or a single byte. Every reader stops at the terminator.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "program/data/string_helpers.h"

namespace adv {

// Bytes of the unit at `text` (0 at the terminator); tags are not units here.
inline size_t TextUnitLength(const char* text) {
  if (text[0] == '%' && text[1] >= '0' && text[1] <= '9') {
    size_t n = 2;
    while (text[n] >= '0' && text[n] <= '9') ++n;
    return n;
  }
  return Cp932CharLength(text);
}

// Bytes of the tag at `text`, its ">" included; an unclosed tag runs to the end of the text.
inline size_t TagLength(const char* text) {
  const char* close = std::strchr(text, '>');
  return close ? static_cast<size_t>(close - text) + 1 : std::strlen(text);
}

// True when the tag at `text` is closed by a ">".
inline bool TagClosed(const char* text) {
  return std::strchr(text, '>') != nullptr;
}

// The bytes of whole characters among the first `limit` bytes of `text` (or up to its
// terminator).
inline size_t WholeCharacterBytes(const char* text, size_t limit) {
  size_t n = 0;
  while (n < limit && text[n] != 0) {
    const size_t width = Cp932CharLength(text + n);
    if (n + width > limit) break;
    n += width;
  }
  return n;
}

}  // namespace adv

// Voice tables (speaker volumes, hooks, autopan, background-voice keys) pick their entry by the
// beginning of a voice's file name. Names and prefixes are CP932: letters compare without regard
// to ASCII case, and the second byte of a double-byte character compares exactly, since it may
// look like an ASCII letter. No locale is consulted.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace adv {

// The text of a fixed name field: up to its first zero, never beyond the field.
template <size_t N>
std::string_view FieldText(const std::array<char, N>& field) {
  size_t n = 0;
  while (n < N && field[n] != 0) ++n;
  return {field.data(), n};
}

// True when `prefix` is not empty and begins `name`.
bool NamePrefixMatches(std::string_view prefix, std::string_view name);

// Copies `text` into a fixed name field, cut so that it keeps its terminating zero.
template <size_t N>
void StoreFieldText(std::array<char, N>& field, std::string_view text) {
  field.fill(0);
  const size_t n = text.size() < N - 1 ? text.size() : N - 1;
  for (size_t i = 0; i < n; ++i) field[i] = text[i];
}

}  // namespace adv

// Text encodings. Engine strings stay in code page 932 (Shift-JIS) bytes; they are converted only
// where they leave the engine: file names on disk, the window title, message boxes and glyphs.
#pragma once

#include <string>
#include <string_view>

namespace os {

enum class Encoding { kUtf8, kCp932, kGbk };

// Converts between encodings; bytes that cannot be converted become '?'.
std::string Convert(std::string_view text, Encoding from, Encoding to);

inline std::string Cp932ToUtf8(std::string_view text) {
  return Convert(text, Encoding::kCp932, Encoding::kUtf8);
}
inline std::string GbkToUtf8(std::string_view text) {
  return Convert(text, Encoding::kGbk, Encoding::kUtf8);
}
inline std::string Utf8ToCp932(std::string_view text) {
  return Convert(text, Encoding::kUtf8, Encoding::kCp932);
}
inline std::string Utf8ToGbk(std::string_view text) {
  return Convert(text, Encoding::kUtf8, Encoding::kGbk);
}

// A CP932 copy of a UTF-8 literal that lives as long as the process, for engine texts written
// in the source as UTF-8 (log lines, formats). Thread-safe.
const char* Sjis(const char* utf8_literal);

}  // namespace os

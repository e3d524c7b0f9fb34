#include "program/data/string_helpers.h"

#include <algorithm>
#include <cstdio>

namespace adv {
namespace {

// The text up to its terminating zero.
std::string_view Text(std::string_view text) {
  const size_t zero = text.find('\0');
  return zero == std::string_view::npos ? text : text.substr(0, zero);
}

bool IsLead(char c) {
  return static_cast<uint8_t>(c) >= 0x80;
}

bool InSet(std::string_view set, char c) {
  return set.find(c) != std::string_view::npos;
}

// Bytes of the character at `i`: 2 for a double-byte character, 1 otherwise or for a first byte
// that ends the text.
size_t CharLength(std::string_view text, size_t i) {
  return IsLead(text[i]) && i + 1 < text.size() ? 2 : 1;
}

// Position after the closing `quote` that follows position `open`, within `end`; kNotFound when
// the run is not closed.
size_t AfterRun(std::string_view text, size_t open, size_t end, char close) {
  for (size_t i = open + 1; i < end; ++i) {
    if (text[i] == close) return i + 1;
  }
  return kNotFound;
}

// Where a quoted or bracketed run that begins at `i` ends, or `i` when none begins there.
// `closed` turns false when the run does not close before `end`.
size_t SkipRun(std::string_view text, size_t i, size_t end, char separator,
               std::string_view openers, std::string_view closers, bool& closed) {
  closed = true;
  char close = 0;
  if (text[i] == '"' && separator != '"') {
    close = '"';
  } else if (const size_t k = openers.find(text[i]); k != std::string_view::npos) {
    close = closers[k];
  } else {
    return i;
  }
  const size_t after = AfterRun(text, i, end, close);
  if (after == kNotFound) {
    closed = false;
    return end;
  }
  return after;
}

// A printf integer conversion with flags, width and precision only, and "%%"; returns the
// position of the conversion letter, or kNotFound when the format is anything else.
size_t IntegerConversion(std::string_view format) {
  size_t found = kNotFound;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') continue;
    if (i + 1 < format.size() && format[i + 1] == '%') {
      ++i;
      continue;
    }
    size_t j = i + 1;
    while (j < format.size() && InSet("-+ #0", format[j])) ++j;
    while (j < format.size() && format[j] >= '0' && format[j] <= '9') ++j;
    if (j < format.size() && format[j] == '.') {
      ++j;
      while (j < format.size() && format[j] >= '0' && format[j] <= '9') ++j;
    }
    if (found != kNotFound || j >= format.size() || !InSet("diouxX", format[j])) return kNotFound;
    found = j;
    i = j;
  }
  return found;
}

}  // namespace

int StrGetToken(std::string& destination, std::string_view source, std::string_view delimiters,
                int limit) {
  source = Text(source);
  destination.clear();
  int n = 0;
  for (size_t i = 0; i < source.size();) {
    if (!IsLead(source[i]) && InSet(delimiters, source[i])) break;
    const size_t length = CharLength(source, i);
    destination.append(source.substr(i, length));
    n += static_cast<int>(length);
    i += length;
    if (n > limit) break;
  }
  return n + 1;
}

int StrGetField(std::string& destination, std::string_view source, int index, char separator) {
  source = Text(source);
  size_t i = 0;
  for (int passed = 0; passed < index;) {
    if (i >= source.size()) return 0;
    if (!IsLead(source[i]) && source[i] == separator) ++passed;
    i += CharLength(source, i);
  }
  destination.clear();
  while (i < source.size() && (IsLead(source[i]) || source[i] != separator)) {
    const size_t length = CharLength(source, i);
    destination.append(source.substr(i, length));
    i += length;
  }
  return static_cast<int>(destination.size()) + 1;
}

int StrTrim(std::string& text, std::string_view set) {
  std::string kept;
  for (const char c : Text(text)) {
    if (!InSet(set, c)) kept += c;
  }
  text = std::move(kept);
  return static_cast<int>(text.size());
}

uint32_t ParseHex(std::string_view text, int* count) {
  text = Text(text);
  size_t run = 0;
  while (run < text.size()) {
    const char c = text[run];
    const bool hex = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') ||
                     c == 'x' || c == 'X';
    if (!hex) break;
    ++run;
  }
  if (count != nullptr) *count = static_cast<int>(run);
  uint32_t value = 0;
  unsigned place = 0;
  for (size_t i = run; i-- > 0; ++place) {
    const char c = text[i];
    if (c == 'x' || c == 'X') break;
    const uint32_t digit =
        c <= '9' ? static_cast<uint32_t>(c - '0') : static_cast<uint32_t>((c | 0x20) - 'a' + 10);
    if (place < 8) value += digit << (4 * place);
  }
  return value;
}

int32_t ParseDecimal(std::string_view text, int& count) {
  text = Text(text);
  count = 0;
  size_t i = 0;
  const bool negative = !text.empty() && text[0] == '-';
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) i = 1;
  uint32_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i, ++count) {
    value = value * 10u + static_cast<uint32_t>(text[i] - '0');
  }
  return static_cast<int32_t>(negative ? 0u - value : value);
}

int LineLength(std::string_view text) {
  text = Text(text);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      return static_cast<int>(i) + (i + 1 < text.size() && text[i + 1] == '\n' ? 2 : 1);
    }
    if (text[i] == '\n') return static_cast<int>(i) + 1;
  }
  return static_cast<int>(text.size());
}

void StrUpper(std::span<char> text) {
  for (size_t i = 0; i < text.size() && text[i] != '\0'; ++i) {
    if (IsLead(text[i])) {
      if (i + 1 >= text.size() || text[i + 1] == '\0') break;
      ++i;
    } else if (text[i] >= 'a' && text[i] <= 'z') {
      text[i] = static_cast<char>(text[i] - 'a' + 'A');
    }
  }
}

void StrLower(std::span<char> text) {
  for (size_t i = 0; i < text.size() && text[i] != '\0'; ++i) {
    if (text[i] >= 'A' && text[i] <= 'Z') text[i] = static_cast<char>(text[i] - 'A' + 'a');
  }
}

size_t StrFindChar(std::string_view text, char byte) {
  return Text(text).find(byte);
}

size_t StrFindCharReverse(std::string_view text, char byte, size_t n) {
  text = Text(text);
  if (text.empty()) return kNotFound;
  for (size_t i = std::min(n, text.size() - 1); i >= 1; --i) {
    if (text[i] == byte) return i;
  }
  return kNotFound;
}

size_t StrFindExtension(std::string_view text) {
  text = Text(text);
  if (text.size() < 3) return kNotFound;
  return StrFindCharReverse(text, '.', text.size() - 2);
}

void StrReplaceChar(std::span<char> text, char from, char to) {
  for (size_t i = 0; i < text.size() && text[i] != '\0'; ++i) {
    if (text[i] == from) text[i] = to;
  }
}

int StrCopyUntilPair(std::string& destination, std::string_view source, uint16_t pair, int limit) {
  source = Text(source);
  const char first = static_cast<char>(pair & 0xFF);
  const char second = static_cast<char>(pair >> 8);
  destination.clear();
  for (size_t i = 0; i < source.size(); ++i) {
    if (source[i] == first && i + 1 < source.size() && source[i + 1] == second) {
      return static_cast<int>(i) + 2;
    }
    destination += source[i];
    if (static_cast<int>(destination.size()) > limit) break;
  }
  return static_cast<int>(destination.size());
}

size_t StrReplaceAll(std::string& text, std::string_view find, std::string_view with) {
  if (find.empty()) return text.size();
  std::string rebuilt;
  for (size_t i = 0; i < text.size();) {
    if (text.compare(i, find.size(), find) == 0) {
      rebuilt.append(with);
      i += find.size();
    } else {
      rebuilt += text[i++];
    }
  }
  text = std::move(rebuilt);
  return text.size();
}

std::string IntToFullWidth(std::string_view format, int32_t value) {
  std::string pattern(Text(format));
  size_t conversion = IntegerConversion(pattern);
  if (conversion == kNotFound) {
    pattern = "%d";
    conversion = 1;
  }
  pattern.insert(conversion, "ll");  // the magnitude of INT32_MIN needs more than 32 bits
  std::string result;
  long long magnitude = value;
  if (value < 0) {
    result += "\x81\x7C";
    magnitude = -magnitude;
  }
  char formatted[128];
  std::snprintf(formatted, sizeof formatted, pattern.c_str(), magnitude);
  for (const char* p = formatted; *p != '\0'; ++p) {
    if (*p >= '0' && *p <= '9') {
      result += '\x82';
      result += static_cast<char>(0x4F + (*p - '0'));
    } else {
      result += "  ";
    }
  }
  return result;
}

std::string IntToBinaryText(uint32_t value) {
  std::string text(32, '0');
  for (int bit = 0; bit < 32; ++bit) {
    if (value & (1u << (31 - bit))) text[static_cast<size_t>(bit)] = '1';
  }
  return text;
}

int StrCountInSet(std::string_view text, std::string_view set, size_t n) {
  text = Text(text);
  int count = 0;
  for (size_t i = 0; i < n && i < text.size(); ++i) {
    if (InSet(set, text[i])) ++count;
  }
  return count;
}

int StrCopyWithoutSet(std::string& destination, std::string_view source, std::string_view set,
                      size_t n) {
  source = Text(source).substr(0, n);
  destination.clear();
  for (const char c : source) {
    if (!InSet(set, c)) destination += c;
  }
  return static_cast<int>(source.size());
}

int StrFindFirstOfSet(std::string_view text, std::string_view set, int limit) {
  text = Text(text);
  int passed = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (InSet(set, text[i])) return static_cast<int>(i) + 1;
    if (++passed > limit) break;
  }
  return passed;
}

int StrCountFields(std::string_view text, size_t n, char separator, std::string_view openers,
                   std::string_view closers) {
  if (openers.size() != closers.size()) return -1;
  text = Text(text);
  const size_t end = std::min(n, text.size());
  int count = 0;
  for (size_t i = 0; i < end;) {
    if (IsLead(text[i])) {
      i += CharLength(text, i);
      continue;
    }
    bool closed = true;
    const size_t after = SkipRun(text, i, end, separator, openers, closers, closed);
    if (!closed) return -1;
    if (after != i) {
      i = after;
      continue;
    }
    if (text[i] == separator) ++count;
    ++i;
  }
  return count;
}

int StrGetFieldEx(std::string& destination, std::string_view source, int index, size_t capacity,
                  char separator, std::string_view openers, std::string_view closers) {
  source = Text(source);
  size_t i = 0;
  bool closed = true;
  for (int passed = 0; passed < index;) {
    if (i >= source.size()) return 0;
    const size_t after = SkipRun(source, i, source.size(), separator, "", "", closed);
    if (after != i) {
      i = after;
    } else {
      if (!IsLead(source[i]) && source[i] == separator) ++passed;
      i += CharLength(source, i);
    }
  }
  if (openers.size() != closers.size()) openers = closers = std::string_view();
  size_t end = i;
  while (end < source.size() && (IsLead(source[end]) || source[end] != separator)) {
    const size_t after = SkipRun(source, end, source.size(), separator, openers, closers, closed);
    end = after != end ? after : end + CharLength(source, end);
  }
  std::string_view field = source.substr(i, std::min(end, source.size()) - i);
  if (capacity == 0) return 0;
  if (field.size() > capacity - 1) field = field.substr(0, capacity - 1);
  destination.assign(field);
  return static_cast<int>(field.size()) + 1;
}

int StrCopyWithoutChar(std::string& destination, std::string_view source, size_t capacity,
                       char byte) {
  destination.clear();
  for (const char c : Text(source)) {
    if (destination.size() + 1 >= capacity) break;
    if (c != byte) destination += c;
  }
  return static_cast<int>(destination.size());
}

int StrFindMatchingClose(std::string_view text, char opener, char closer) {
  text = Text(text);
  int depth = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == opener) {
      ++depth;
    } else if (text[i] == closer) {
      if (--depth < 0) return -1;
      if (depth == 0) return static_cast<int>(i) + 1;
    }
  }
  return -1;
}

size_t StrFindLastSubstring(std::string_view buffer, size_t n, std::string_view needle) {
  if (needle.empty()) return kNotFound;
  return buffer.substr(0, std::min(n, buffer.size())).rfind(needle);
}

int StrGetBetween(std::string& destination, size_t capacity, std::string_view source, size_t n,
                  char opener, char closer) {
  source = Text(source).substr(0, n);
  const size_t open = source.find(opener);
  const size_t close = source.rfind(closer);
  if (open == kNotFound || close == kNotFound || close <= open) return 0;
  const size_t length = close - open - 1;
  if (length + 1 > capacity) return 0;
  destination.assign(source.substr(open + 1, length));
  return static_cast<int>(length) + 2;
}

int StrGetQuoted(std::string& destination, std::string_view text) {
  text = Text(text).substr(0, 512);
  const size_t open = text.find('"');
  if (open == kNotFound) return 0;
  const size_t close = text.find('"', open + 1);
  if (close == kNotFound) return 0;
  destination.assign(text.substr(open + 1, close - open - 1));
  return static_cast<int>(destination.size());
}

}  // namespace adv

// Byte-string helpers for Shift-JIS text: tokens and fields by separator characters, removal of
// characters, number parsing, line measuring and a few conversions.
//
// Character rule: a byte of 0x80 or above is the first byte of a double-byte character and is
// handled together with the byte after it (copied or passed over as a pair, never compared with a
// separator). A first byte that is the last byte of its text stands alone. Separators and sets are
// single-byte characters. Sources end at the end of the view or at a zero byte, whichever comes
// first, so a caller may pass a whole fixed buffer. Destinations are std::string and grow as
// needed; helpers with a capacity argument keep the result below it (room for the zero).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace adv {

inline constexpr size_t kNotFound = std::string_view::npos;

// The first byte of a CP932 double-byte character. Bytes 0xA1-0xDF are half-width katakana and
// stand alone.
constexpr bool IsCp932LeadByte(uint8_t byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// The second byte of a CP932 double-byte character: 0x40-0x7E or 0x80-0xFC.
constexpr bool IsCp932TrailByte(uint8_t byte) {
  return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

// Bytes of the character that starts at `text`: 2 for a lead byte followed by a byte other than
// the terminator, 0 at the terminator, else 1. Never reads past the terminator.
constexpr size_t Cp932CharLength(const char* text) {
  const auto lead = static_cast<uint8_t>(text[0]);
  if (lead == 0) return 0;
  return IsCp932LeadByte(lead) && text[1] != 0 ? 2 : 1;
}

// Copies characters up to the first delimiter; result: bytes copied + 1, so advancing the source
// by the result also passes over the delimiter. The token also ends once more than `limit` bytes
// were copied.
int StrGetToken(std::string& destination, std::string_view source, std::string_view delimiters,
                int limit);

// Field `index` (0 = first) of a separated text: result its length + 1, or 0 when the source has
// fewer fields (the destination is then left as it was).
int StrGetField(std::string& destination, std::string_view source, int index, char separator);

// Removes every byte of `set` wherever it stands; result: the number of bytes kept.
int StrTrim(std::string& text, std::string_view set);

// A hexadecimal run ("1f", "0x1f", "x1f"): the longest prefix of 0-9, a-f, A-F and x, read from
// its last character back to the first x. Only the last eight digits count. `count` (optional)
// receives the run's length.
uint32_t ParseHex(std::string_view text, int* count = nullptr);

// An optionally signed decimal number; `count` receives the number of digits. Values beyond 32
// bits wrap as 32-bit arithmetic does.
int32_t ParseDecimal(std::string_view text, int& count);

// Bytes of the line that starts the text, its line end (CR LF, CR or LF) included.
int LineLength(std::string_view text);

// In place, up to the zero byte: ASCII letters to upper case (passing over double-byte
// characters whole), and to lower case (byte by byte).
void StrUpper(std::span<char> text);
void StrLower(std::span<char> text);

// Position of the first `byte`, or kNotFound.
size_t StrFindChar(std::string_view text, char byte);
// The last position of `byte` among positions n down to 1 (0 is never examined).
size_t StrFindCharReverse(std::string_view text, char byte, size_t n);
// The last "." searching back from the byte before the last, not examining the first byte.
size_t StrFindExtension(std::string_view text);
void StrReplaceChar(std::span<char> text, char from, char to);

// Copies bytes until the two bytes at the current position are `pair` (low byte first; result:
// bytes copied + 2), until more than `limit` bytes were copied or until the source ends (result:
// bytes copied).
int StrCopyUntilPair(std::string& destination, std::string_view source, uint16_t pair, int limit);

// Replaces every occurrence of `find` (not empty) by `with`; result: the new length.
size_t StrReplaceAll(std::string& text, std::string_view find, std::string_view with);

// The value in full-width characters: a full-width minus for a negative value, full-width digits
// for 0-9, two blanks for every other byte of the formatted number. `format` holds one integer
// conversion ("%d", "%5d", ...); any other format is taken as "%d".
std::string IntToFullWidth(std::string_view format, int32_t value);

// The 32 bits of the value, highest first, as "1" and "0".
std::string IntToBinaryText(uint32_t value);

// How many of the first n bytes belong to the set.
int StrCountInSet(std::string_view text, std::string_view set, size_t n);
// The first n bytes of the source without those of the set; result: n (bounded by the source).
int StrCopyWithoutSet(std::string& destination, std::string_view source, std::string_view set,
                      size_t n);
// 1 + the position of the first byte of the set; when none comes before the text ends or more
// than `limit` bytes were passed, the number of bytes passed.
int StrFindFirstOfSet(std::string_view text, std::string_view set, int limit);

// Separators among the first n bytes, passing over double-quoted runs (unless the separator is
// the double quote) and over runs from an opener to the closer at the same place of `closers`;
// -1 when the two sets differ in length or a run is not closed within the n bytes.
int StrCountFields(std::string_view text, size_t n, char separator, std::string_view openers,
                   std::string_view closers);
// StrGetField that passes over quoted runs while looking for the field and over quoted and
// bracketed runs while copying it; the copy stays below `capacity`. Result: length + 1, or 0.
int StrGetFieldEx(std::string& destination, std::string_view source, int index, size_t capacity,
                  char separator, std::string_view openers, std::string_view closers);

// The source without `byte`, at most capacity - 1 bytes; result: bytes copied.
int StrCopyWithoutChar(std::string& destination, std::string_view source, size_t capacity,
                       char byte);
// Depth counted from the start (opener +1, closer -1): the position after the closer that brings
// it back to 0; -1 when a closer comes first or the text ends.
int StrFindMatchingClose(std::string_view text, char opener, char closer);
// The last place within the first n bytes where `needle` lies whole, or kNotFound.
size_t StrFindLastSubstring(std::string_view buffer, size_t n, std::string_view needle);
// The bytes between the first opener and the last closer among the first n bytes, when both exist
// in that order and fit below `capacity`: result their length + 2, else 0.
int StrGetBetween(std::string& destination, size_t capacity, std::string_view source, size_t n,
                  char opener, char closer);
// The bytes between the first double quote and the next within the first 512 bytes; result: bytes
// copied (0 for an empty pair or an unclosed quote).
int StrGetQuoted(std::string& destination, std::string_view text);

}  // namespace adv

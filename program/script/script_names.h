// How commands take their text and file-name arguments: string references (a string variable, a
// "Text.dat" entry or the empty text) and file-name arguments (a "File.dat" number or a string
// variable holding the name), and the access list of names that "File.dat" does not hold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace adv {

struct AdvContext;
struct AccessList;

// Bit 28 of a reference names a string variable; 0x0FFFFFFF is the empty text (no file name).
inline constexpr uint32_t kStringVariableBit = 0x10000000;
inline constexpr uint32_t kNoReference = 0x0FFFFFFF;

// String variable n (zero-terminated), or a shared empty text for any other n, logged as
// "AdvGetVarString(%d): Out of Range".
const char* AdvGetVarString(AdvContext& context, uint32_t n);

// Stores a text in the string variable a reference names (bit 28 set, n 0-15): at most 2,046
// bytes of it, the rest of the variable zero-filled. False, storing nothing, for any other
// reference.
bool AdvSetVarString(AdvContext& context, uint32_t reference, std::string_view text);

// Writes the text entry a reference names into `destination`: the text number (0 for a string
// variable) in the first four bytes, then the text and its zero. Never more than `size` bytes
// are written, and when the text is cut the last byte written is its zero. A "Text.dat" offset
// outside the file gives an empty entry, logged. The empty reference zeroes `size` bytes.
void AdvGetString(AdvContext& context, uint8_t* destination, size_t size, uint32_t reference);

// The text of a string argument resolved as AdvGetString does into a buffer of `size` bytes (so
// at most size - 5 bytes of text).
std::string AdvGetStringText(AdvContext& context, uint32_t reference, size_t size);

// Writes the 32-byte, zero-padded file name an argument names. A name from a string variable is
// upper-cased (ASCII letters; the byte after a byte of 0x80 or above is passed over) unless it
// begins with "http", and is cut to 31 bytes. With `mark`, a "File.dat" name has its file state
// set, and a string-variable name not in "File.dat" is entered in the access list (an "http"
// name is left alone). A file number beyond "File.dat" gives an empty name, logged.
void AdvGetFileName(AdvContext& context, uint8_t* destination, uint32_t argument, bool mark);

// Adds the name with state 3 unless the list has it ("entry filename buffer over '%s'" at level
// 10 when it cannot be added).
void AccessListEnsure(AccessList& list, std::string_view name);
// State byte of the name's record := 0, when there is one.
void AccessListResetState(AccessList& list, std::string_view name);

// Upper-cases ASCII letters in place; a byte of 0x80 or above keeps the byte after it unchanged.
void FileNameUpperCase(uint8_t* name, size_t length);

}  // namespace adv

// How the commands of group 0x12 take their text arguments and write string variables. Every
// write into a string variable goes through here, so none can run past its 2,047 bytes or leave
// it without its terminating zero, and a reference to a slot above 15 is refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace adv {

struct AdvContext;

// Room for text in a string variable: its bytes but the terminating zero.
inline constexpr size_t kStringVariableTextMax = 2046;

// The text of a file-name argument: the 32-byte stored name of a "File.dat" number, or the whole
// text of a string variable (cut to `capacity` - 1 bytes), upper-cased unless it begins with
// "http". The file is not marked as reached.
std::string FileNameArgument(AdvContext& context, uint32_t argument, size_t capacity);

// The writable bytes of the string variable a reference names. Null after a line when the
// argument is not a string-variable reference ("<command> : string型以外の型を指定しました。")
// or names a slot above 15 ("AdvGetVarString(%d): Out of Range").
std::span<char> StringVariableFor(AdvContext& context, uint32_t reference, const char* command);

// The text a string variable holds, up to its zero.
std::string_view StringVariableText(std::span<const char> slot);

// Replaces the variable's text; a longer text is cut at the last whole character that fits.
void StoreStringVariable(std::span<char> slot, std::string_view text);

// The longest prefix of `text` of at most `limit` bytes that does not end inside a double-byte
// character.
size_t WholeCharacterPrefix(std::string_view text, size_t limit);

}  // namespace adv

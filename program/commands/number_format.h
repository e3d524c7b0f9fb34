// The numeric conversions that script formats may use ("%d", "%5x", "%-08X", "%c", ...), done
// by the engine itself: a script's format never reaches the C library's formatter, so "%n",
// "%*d", "%s" or a width of a billion in a script cannot read or write outside the output.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace adv {

// Appends `value` formatted by one conversion directive: "%", flags ("-" left-aligned, "0" zero
// padding, "#" a "0x"/"0X" prefix for hexadecimal), a width, "." and a precision (the least
// number of digits), a size ("l" is 32 bits as the value already is, "h" 16 bits), and the
// conversion: "d" or "D" signed decimal, "u" unsigned decimal, "x"/"X" hexadecimal, "c" the
// character of the low byte. The output never grows beyond `capacity` bytes: a width larger than
// the room left shrinks so that the value still fits. A directive that does not read that way is
// appended as it stands. Returns false when the output was cut.
bool AppendNumberDirective(std::string& out, std::string_view directive, int32_t value,
                           size_t capacity);

}  // namespace adv

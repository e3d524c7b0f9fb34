// Font sets made from an installed font: every chosen CP932 character rendered in the coverage
// format with its glyph metrics, behind an offset table, followed by the font's metrics.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "os/glyph_font.h"

namespace fontset {

// The codes to put in a set: single bytes below 256, double bytes as lead << 8 | trail.
std::vector<uint16_t> PrintableAscii();
// Every code of CP932 that has a Unicode character (single bytes 0x20-0x7E and 0xA1-0xDF, and
// the double-byte characters).
std::vector<uint16_t> AllCodes();
// The CP932 codes of a UTF-8 text, each once, in order; false when a character has no CP932 code.
bool CodesOfText(const std::string& utf8, std::vector<uint16_t>& codes);

// The set file for `codes` in the face kind at `size` (width size / 2, bold when asked); false
// when no face is installed or the size is not from 1 to 255. Codes no face has are left out.
bool BuildFontSet(os::FaceKind kind, int32_t size, bool bold, const std::vector<uint16_t>& codes,
                  std::vector<uint8_t>& file, std::string& error);

}  // namespace fontset

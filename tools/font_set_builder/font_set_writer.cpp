// The font set layout: 32-bit offsets, one per character index (c for a single byte, (lead -
// 128) x 255 + trail for a double byte), glyph records (black box width and height, origin x
// and y, cell increments x and y as 16-bit, bitmap length, coverage rows padded to 4 bytes), and
// 56 bytes of font metrics, of which the first word is the height and the second the ascent.
#include "tools/font_set_builder/font_set_writer.h"

#include "os/encoding.h"

namespace fontset {
namespace {

constexpr uint32_t kEntries = (0xFC - 128) * 255 + 0xFC + 1;
constexpr size_t kMetricsSize = 56;

uint32_t IndexOf(uint16_t code) {
  return code < 256 ? code : (uint32_t{code} >> 8) * 255 - 128 * 255 + (code & 0xFF);
}

void Put(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PutAt(std::vector<uint8_t>& out, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// The Unicode character of a CP932 code, or 0.
char32_t Unicode(uint16_t code) {
  std::string bytes;
  if (code > 0xFF) bytes.push_back(static_cast<char>(code >> 8));
  bytes.push_back(static_cast<char>(code));
  const std::string u = os::Convert(bytes, os::Encoding::kCp932, os::Encoding::kUtf8);
  const auto* b = reinterpret_cast<const unsigned char*>(u.data());
  if (u.empty() || (u == "?" && code != '?')) return 0;
  if (b[0] < 0x80) return b[0];
  if ((b[0] & 0xE0) == 0xC0 && u.size() == 2) return (b[0] & 0x1Fu) << 6 | (b[1] & 0x3Fu);
  if ((b[0] & 0xF0) == 0xE0 && u.size() == 3) {
    return (b[0] & 0x0Fu) << 12 | (b[1] & 0x3Fu) << 6 | (b[2] & 0x3Fu);
  }
  return 0;
}

bool IsLead(int byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

}  // namespace

std::vector<uint16_t> PrintableAscii() {
  std::vector<uint16_t> codes;
  for (uint16_t c = 0x20; c < 0x7F; ++c) codes.push_back(c);
  return codes;
}

std::vector<uint16_t> AllCodes() {
  std::vector<uint16_t> codes = PrintableAscii();
  for (uint16_t c = 0xA1; c <= 0xDF; ++c) codes.push_back(c);
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (!IsLead(lead)) continue;
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      const auto code = static_cast<uint16_t>(lead << 8 | trail);
      if (trail != 0x7F && Unicode(code) != 0) codes.push_back(code);
    }
  }
  return codes;
}

bool CodesOfText(const std::string& utf8, std::vector<uint16_t>& codes) {
  const std::string sjis = os::Convert(utf8, os::Encoding::kUtf8, os::Encoding::kCp932);
  std::vector<bool> seen(65536, false);
  for (size_t i = 0; i < sjis.size(); ++i) {
    uint16_t code = static_cast<uint8_t>(sjis[i]);
    if (IsLead(code) && i + 1 < sjis.size()) code = code << 8 | static_cast<uint8_t>(sjis[++i]);
    if (code == '?' && utf8.find('?') == std::string::npos) return false;
    if (!seen[code]) codes.push_back(code);
    seen[code] = true;
  }
  return true;
}

bool BuildFontSet(os::FaceKind kind, int32_t size, bool bold, const std::vector<uint16_t>& codes,
                  std::vector<uint8_t>& file, std::string& error) {
  if (size < 1 || size > 255) {
    error = "the size must be from 1 to 255";
    return false;
  }
  std::unique_ptr<os::GlyphFont> font = os::GlyphFont::Open(kind, size, size / 2, bold);
  if (!font) {
    error = "no installed font for that type";
    return false;
  }
  file.assign(size_t{kEntries} * 4, 0);
  for (uint16_t code : codes) {
    os::GlyphImage glyph;
    const char32_t unicode = Unicode(code);
    if (unicode == 0 || IndexOf(code) >= kEntries || !font->Render(unicode, glyph)) continue;
    PutAt(file, size_t{IndexOf(code)} * 4, static_cast<uint32_t>(file.size()));
    Put(file, glyph.black_width, 4);
    Put(file, glyph.black_height, 4);
    Put(file, static_cast<uint32_t>(glyph.origin_x), 4);
    Put(file, static_cast<uint32_t>(glyph.origin_y), 4);
    Put(file, static_cast<uint16_t>(glyph.advance_x), 2);
    Put(file, static_cast<uint16_t>(glyph.advance_y), 2);
    Put(file, static_cast<uint32_t>(glyph.coverage.size()), 4);
    file.insert(file.end(), glyph.coverage.begin(), glyph.coverage.end());
  }
  // Metrics: height, ascent, descent, then the average and widest character width; the rest 0.
  const size_t metrics = file.size();
  file.resize(metrics + kMetricsSize, 0);
  PutAt(file, metrics, static_cast<uint32_t>(size));
  PutAt(file, metrics + 4, static_cast<uint32_t>(font->Ascent()));
  PutAt(file, metrics + 8, static_cast<uint32_t>(font->Descent()));
  PutAt(file, metrics + 20, static_cast<uint32_t>(size / 2));
  PutAt(file, metrics + 24, static_cast<uint32_t>(size));
  return true;
}

}  // namespace fontset

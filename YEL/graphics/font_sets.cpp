// Font sets (pre-rendered glyphs in the coverage format, read whole and checked once) and the
// icon sheet, with the glyphs and icons fetched from them at the font size.
#include <algorithm>
#include <cstring>

#include "YEL/files/files.h"
#include "YEL/graphics/font_state.h"
#include "YEL/graphics/pixel_routines.h"
#include "os/byte_order.h"

namespace yel {
namespace {

constexpr uint32_t kTgaHeader = 18;
constexpr uint32_t kTgaTrailer = 26;

// A glyph record's fields; false when it does not lie inside the glyph area of the set.
struct GlyphRecord {
  uint32_t black_width, black_height;
  int32_t origin_x, origin_y;
  int16_t advance_x, advance_y;
  uint32_t length;
  const uint8_t* bits;
};

bool ReadRecord(const uint8_t* bytes, size_t body, uint32_t offset, GlyphRecord& out) {
  if (offset > body || body - offset < kGlyphRecordHeader) return false;
  const uint8_t* p = bytes + offset;
  out.black_width = os::LoadLe32(p);
  out.black_height = os::LoadLe32(p + 4);
  out.origin_x = static_cast<int32_t>(os::LoadLe32(p + 8));
  out.origin_y = static_cast<int32_t>(os::LoadLe32(p + 12));
  out.advance_x = static_cast<int16_t>(os::LoadLe16(p + 16));
  out.advance_y = static_cast<int16_t>(os::LoadLe16(p + 18));
  out.length = os::LoadLe32(p + 20);
  out.bits = p + kGlyphRecordHeader;
  return out.length <= body - offset - kGlyphRecordHeader && out.black_height > 0 &&
         out.black_height <= 4096 && out.black_width <= 4096 &&
         uint64_t{(out.black_width + 3) & ~3u} * out.black_height <= out.length;
}

uint32_t RowPitch(const GlyphRecord& record) {
  return record.length / record.black_height & ~3u;
}

}  // namespace

uint32_t ValidFontSet(const std::vector<uint8_t>& bytes) {
  if (bytes.size() < kTextMetricsSize + 4 || bytes.size() > UINT32_MAX) return 0;
  const size_t body = bytes.size() - kTextMetricsSize;
  const int32_t height = static_cast<int32_t>(os::LoadLe32(bytes.data() + body));
  if (height <= 0 || height > 0xFFFF) return 0;
  // The table ends where the first glyph record begins.
  size_t table_end = std::min<size_t>(body, size_t{kFontSetEntries} * 4) & ~size_t{3};
  for (size_t at = 0; at + 4 <= table_end; at += 4) {
    const uint32_t offset = os::LoadLe32(bytes.data() + at);
    if (offset != 0 && offset < table_end) table_end = std::max<size_t>(offset & ~3u, at + 4);
  }
  GlyphRecord record;
  for (size_t at = 0; at + 4 <= table_end; at += 4) {
    const uint32_t offset = os::LoadLe32(bytes.data() + at);
    if (offset != 0 && (offset < table_end || !ReadRecord(bytes.data(), body, offset, record))) {
      return 0;
    }
  }
  return static_cast<uint32_t>(table_end / 4);
}

int32_t ChooseFontSet(const std::vector<FontSet>& sets, int32_t size) {
  int32_t smallest = -1, largest = -1;
  for (size_t i = 0; i < sets.size(); ++i) {
    const int32_t h = sets[i].height;
    if (h == size) return static_cast<int32_t>(i);
    if (h < 256 && (smallest < 0 || h < sets[smallest].height)) smallest = static_cast<int32_t>(i);
    if (largest < 0 || h > sets[largest].height) largest = static_cast<int32_t>(i);
  }
  if (smallest >= 0 && size < sets[smallest].height) return smallest;
  return largest;
}

// A glyph of the current set, resampled when the set is used at another size.
bool FetchSetGlyph(FontState& state, uint16_t code, Glyph& glyph) {
  if (state.current_set < 0 || state.current_set >= static_cast<int32_t>(state.sets.size())) {
    return false;
  }
  const FontSet& set = state.sets[state.current_set];
  const uint32_t index = FontSetIndex(code);
  if (index >= set.entries) return false;
  const uint32_t offset = os::LoadLe32(set.bytes.data() + size_t{index} * 4);
  GlyphRecord record;
  if (offset == 0 ||
      !ReadRecord(set.bytes.data(), set.bytes.size() - kTextMetricsSize, offset, record)) {
    return false;
  }
  const uint32_t pitch = RowPitch(record);
  glyph = Glyph{record.black_width, record.black_height, record.origin_x, record.origin_y,
                record.advance_x,   record.advance_y,    record.bits,     pitch};
  const float scale = state.set_scale;
  if (scale == 1.0f) return true;
  // Truncated, and held well inside 16 bits, where the increments live.
  const auto scaled = [&](float v) {
    return static_cast<int32_t>(std::clamp(v * scale, -30000.0f, 30000.0f));
  };
  glyph.black_width = static_cast<uint32_t>(std::max(1, scaled(static_cast<float>(pitch))));
  glyph.black_height = static_cast<uint32_t>(std::max(1, scaled(record.black_height)));
  glyph.origin_x = scaled(static_cast<float>(record.origin_x));
  glyph.origin_y = scaled(static_cast<float>(record.origin_y));
  glyph.advance_x = static_cast<int16_t>(std::max(1, scaled(record.advance_x)));
  glyph.advance_y = static_cast<int16_t>(std::max(1, scaled(record.advance_y)));
  glyph.pitch = (glyph.black_width + 3) & ~3u;
  if (glyph.pitch > kMaxGlyphSide || glyph.black_height > kMaxGlyphSide) return false;
  state.scratch.assign(size_t{glyph.pitch} * glyph.black_height, 0);
  ScaleBilinear8(state.scratch.data(), static_cast<int32_t>(glyph.pitch),
                 static_cast<int32_t>(glyph.black_height), record.bits, static_cast<int32_t>(pitch),
                 static_cast<int32_t>(record.black_height), scale, scale);
  glyph.bits = state.scratch.data();
  if (glyph.advance_x < static_cast<int32_t>(glyph.black_width)) {
    glyph.advance_x = static_cast<int16_t>(glyph.black_width);
  }
  return true;
}

bool FetchIcon(FontState& state, int32_t n, Glyph& glyph) {
  const IconSheet& sheet = state.icons;
  const int32_t cell = sheet.height;
  if (cell <= 0 || n < 0 || n >= sheet.width / cell) return false;
  std::vector<uint8_t> square(static_cast<size_t>(cell) * cell);
  for (int32_t y = 0; y < cell; ++y) {
    const uint8_t* row = sheet.values.data() + static_cast<size_t>(y) * sheet.width + n * cell;
    for (int32_t x = 0; x < cell; ++x) square[static_cast<size_t>(y) * cell + x] = (row[x] + 1) / 4;
  }
  const float factor = static_cast<float>(state.size) / static_cast<float>(cell);
  const int32_t side = static_cast<int32_t>(static_cast<float>(cell) * factor);
  if (side <= 0 || side > kMaxGlyphSide) return false;
  state.scratch.assign(static_cast<size_t>(side) * side, 0);
  ScaleBilinear8(state.scratch.data(), side, side, square.data(), cell, cell, factor, factor);
  glyph = Glyph{
      static_cast<uint32_t>(side), static_cast<uint32_t>(side), 0, 0, static_cast<int16_t>(side), 0,
      state.scratch.data(),        static_cast<uint32_t>(side)};
  return true;
}

}  // namespace yel

extern "C" {

YEL_API int YelFontOrgSetLoad(const char* name) {
  if (!name) return 0;
  yel::FontState& state = yel::Fonts();
  std::lock_guard guard(state.lock);
  for (const yel::FontSet& set : state.sets) {
    if (set.name == name) return 1;
  }
  yel::FontSet set;
  if (!yel::ReadWholeFile(name, set.bytes)) return 0;
  set.entries = yel::ValidFontSet(set.bytes);
  if (set.entries == 0) {
    YelDebugPrintf(0, "", "font set %s is damaged", name);
    return 0;
  }
  set.height = static_cast<int32_t>(
      os::LoadLe32(set.bytes.data() + set.bytes.size() - yel::kTextMetricsSize));
  set.name = name;
  state.sets.push_back(std::move(set));
  state.current_set = static_cast<int32_t>(state.sets.size()) - 1;
  return 1;
}

YEL_API int YelFontLoad(const char* name) {
  return YelFontOrgSetLoad(name);
}

YEL_API void YelFontUnload(void) {
  yel::FontState& state = yel::Fonts();
  std::lock_guard guard(state.lock);
  state.sets.clear();
  state.current_set = -1;
}

YEL_API int YelExFontLoad(const char* name) {
  if (!name) return 0;
  std::vector<uint8_t> bytes;
  if (!yel::ReadWholeFile(name, bytes) || bytes.size() < yel::kTgaHeader + yel::kTgaTrailer) {
    return 0;
  }
  const int32_t width = os::LoadLe16(bytes.data() + 12), height = os::LoadLe16(bytes.data() + 14);
  const size_t count = static_cast<size_t>(width) * height;
  if (width <= 0 || height <= 0 || bytes.size() - yel::kTgaHeader - yel::kTgaTrailer < count) {
    return 0;
  }
  yel::IconSheet sheet;
  sheet.width = width;
  sheet.height = height;
  sheet.values.resize(count);
  // Stored bottom row first; kept top row first.
  for (int32_t y = 0; y < height; ++y) {
    std::memcpy(sheet.values.data() + static_cast<size_t>(y) * width,
                bytes.data() + yel::kTgaHeader + static_cast<size_t>(height - 1 - y) * width,
                static_cast<size_t>(width));
  }
  yel::FontState& state = yel::Fonts();
  std::lock_guard guard(state.lock);
  state.icons = std::move(sheet);
  return 1;
}

YEL_API void YelExFontUnload(void) {
  yel::FontState& state = yel::Fonts();
  std::lock_guard guard(state.lock);
  state.icons = yel::IconSheet{};
}

}  // extern "C"

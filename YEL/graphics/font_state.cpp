// The font state: beginning and ending the font of the current type and size, the glyph fetch
// for both kinds of font, and the exports that set and read colours, effect, size and type.
#include <string>

#include "YEL/graphics/font_state.h"
#include "os/byte_order.h"
#include "os/encoding.h"

namespace yel {
namespace {

// More outline fonts or glyphs than this empty the cache at the next begin.
constexpr size_t kMaxCachedFonts = 8;
constexpr size_t kMaxCachedGlyphs = 8192;

os::FaceKind KindOf(uint16_t type) {
  switch (type) {
    case 1:
      return os::FaceKind::kMincho;
    case 2:
      return os::FaceKind::kProportionalGothic;
    case 3:
      return os::FaceKind::kProportionalMincho;
    default:
      return os::FaceKind::kGothic;
  }
}

// The Unicode character of a CP932 code; 0 when it has none.
char32_t ToUnicode(uint16_t code) {
  std::string bytes;
  if (code > 0xFF) bytes.push_back(static_cast<char>(code >> 8));
  bytes.push_back(static_cast<char>(code & 0xFF));
  const std::string utf8 = os::Convert(bytes, os::Encoding::kCp932, os::Encoding::kUtf8);
  if (utf8.empty() || (utf8 == "?" && code != '?')) return 0;
  const auto* u = reinterpret_cast<const unsigned char*>(utf8.data());
  if (u[0] < 0x80) return u[0];
  if ((u[0] & 0xE0) == 0xC0 && utf8.size() >= 2) return (u[0] & 0x1Fu) << 6 | (u[1] & 0x3Fu);
  if ((u[0] & 0xF0) == 0xE0 && utf8.size() >= 3) {
    return (u[0] & 0x0Fu) << 12 | (u[1] & 0x3Fu) << 6 | (u[2] & 0x3Fu);
  }
  return 0;
}

// Types 0 to 3 (and any other but 4): the outline font of the face kind at the cell rule, width
// half the size, bold for the mincho type.
void BeginOutline(FontState& state) {
  const uint32_t key = uint32_t{state.type} << 16 | state.size;
  if (state.fonts.size() > kMaxCachedFonts) state.fonts.clear();
  FontState::CachedFont& entry = state.fonts[key];
  if (!entry.font && state.size <= kMaxGlyphSide) {
    entry.font =
        os::GlyphFont::Open(KindOf(state.type), state.size, state.size / 2, state.type == 1);
  }
  if (entry.glyphs.size() > kMaxCachedGlyphs) entry.glyphs.clear();
  state.cached = &entry;
  state.outline = entry.font.get();
  state.metrics = TextMetrics{state.size, state.outline ? state.outline->Ascent() : state.size};
}

void BeginFontSet(FontState& state) {
  state.current_set = ChooseFontSet(state.sets, state.size);
  state.set_scale = 1.0f;
  if (state.current_set < 0) {
    YelDebugPrintf(0, os::Sjis("フォント選択エラー"), "font size=%d / mOrgFontListCount == 0",
                   state.size);
    state.metrics = TextMetrics{state.size, state.size};
    return;
  }
  const FontSet& set = state.sets[state.current_set];
  const uint8_t* metrics = set.bytes.data() + set.bytes.size() - kTextMetricsSize;
  state.metrics.height = static_cast<int32_t>(os::LoadLe32(metrics));
  state.metrics.ascent = static_cast<int32_t>(os::LoadLe32(metrics + 4));
  if (state.size != set.height) {
    state.set_scale = static_cast<float>(state.size) / static_cast<float>(set.height);
    state.metrics.height = static_cast<int32_t>(state.metrics.height * state.set_scale);
    state.metrics.ascent = static_cast<int32_t>(state.metrics.ascent * state.set_scale);
  }
  state.set_ascent = state.metrics.ascent;
}

}  // namespace

FontState& Fonts() {
  static FontState* state = new FontState();  // process-wide; lives as long as the process
  return *state;
}

bool FontBeginIfNeeded(FontState& state) {
  if (state.begun) return false;
  if (state.type == 4) {
    BeginFontSet(state);
  } else {
    BeginOutline(state);
  }
  state.begun = 1;
  return true;
}

void FontEnd(FontState& state) {
  if (!state.begun) return;
  state.begun = 0;
  state.outline = nullptr;
  state.cached = nullptr;
  state.metrics = TextMetrics{};
}

bool FetchGlyph(FontState& state, uint16_t code, Glyph& glyph) {
  if (state.type == 4) return FetchSetGlyph(state, code, glyph);
  if (!state.outline || !state.cached) return false;
  auto found = state.cached->glyphs.find(code);
  if (found == state.cached->glyphs.end()) {
    os::GlyphImage image;
    const char32_t unicode = ToUnicode(code);
    if (unicode == 0 || !state.outline->Render(unicode, image)) return false;
    found = state.cached->glyphs.emplace(code, std::move(image)).first;
  }
  const os::GlyphImage& image = found->second;
  glyph = Glyph{image.black_width, image.black_height, image.origin_x,        image.origin_y,
                image.advance_x,   image.advance_y,    image.coverage.data(), image.Pitch()};
  return true;
}

}  // namespace yel

extern "C" {

YEL_API int YelFontBegin(void) {
  yel::FontState& state = yel::Fonts();
  std::lock_guard guard(state.lock);
  yel::FontBeginIfNeeded(state);
  return 1;
}

YEL_API void YelFontEnd(void) {
  yel::FontState& state = yel::Fonts();
  std::lock_guard guard(state.lock);
  yel::FontEnd(state);
}

YEL_API int32_t YelDrawTextStepX(int32_t effect) {
  const auto value = static_cast<int16_t>(effect);
  if (value >= 0 && value <= 2) return 1;
  return value == 3 ? 2 : 0;
}

YEL_API int32_t YelFontGetDrawTextRect(YelFontDrawnCell* out) {
  yel::FontState& state = yel::Fonts();
  std::lock_guard guard(state.lock);
  if (out) {
    out->rect = state.last_cell.rect;
    out->width = state.last_cell.width;
  }
  return state.last_cell.width;
}

YEL_API int YelFontHasDrawTextRect(void) {
  yel::FontState& state = yel::Fonts();
  std::lock_guard guard(state.lock);
  return state.last_cell.held;
}

YEL_API void YelFontSetColor(uint32_t text_colour, uint32_t effect_colour) {
  yel::FontState& state = yel::Fonts();
  std::lock_guard guard(state.lock);
  state.text_colour = text_colour;
  state.effect_colour = effect_colour;
}

YEL_API void YelFontGetColor(uint32_t* text_colour, uint32_t* effect_colour) {
  yel::FontState& state = yel::Fonts();
  std::lock_guard guard(state.lock);
  if (text_colour) *text_colour = state.text_colour;
  if (effect_colour) *effect_colour = state.effect_colour;
}

YEL_API void YelFontSetEffect(int32_t effect) {
  yel::FontState& state = yel::Fonts();
  std::lock_guard guard(state.lock);
  state.effect = static_cast<uint16_t>(effect);
}

YEL_API int32_t YelFontGetEffect(void) {
  yel::FontState& state = yel::Fonts();
  std::lock_guard guard(state.lock);
  return state.effect;
}

YEL_API void YelFontSetFontSize(int32_t size) {
  yel::FontState& state = yel::Fonts();
  std::lock_guard guard(state.lock);
  state.size = static_cast<uint16_t>(size);
}

YEL_API int32_t YelFontGetFontSize(void) {
  yel::FontState& state = yel::Fonts();
  std::lock_guard guard(state.lock);
  return state.size;
}

YEL_API int YelFontSetType(int32_t type) {
  yel::FontState& state = yel::Fonts();
  std::lock_guard guard(state.lock);
  if (static_cast<uint16_t>(type) == 4 && state.sets.empty()) return 0;
  state.type = static_cast<uint16_t>(type);
  return 1;
}

YEL_API int32_t YelFontGetType(void) {
  yel::FontState& state = yel::Fonts();
  std::lock_guard guard(state.lock);
  return state.type;
}

}  // extern "C"

// AdvDrawText and its measures. The text is walked unit by unit up to its terminator; a tag
// without its ">" ends the text, so no reader passes the terminator.
#include "program/text/text_layout.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "program/data/string_helpers.h"
#include "program/game/adv_context.h"
#include "program/script/engine_log.h"
#include "program/script/skip_state.h"
#include "program/startup/yel_import.h"
#include "program/text/text_reveal.h"
#include "program/text/text_tips.h"
#include "program/text/text_units.h"

namespace adv {

TextSettings& TextLayout() {
  static TextSettings settings;
  return settings;
}

int32_t RubyBand(int32_t ruby_size) {
  if (ruby_size == 0) return 0;
  return ruby_size + (TextLayout().ruby_space ? 1 : -2);
}

int32_t LinePitch(int32_t font_size, int32_t ruby_size) {
  const int32_t outline = yel::YelFontGetEffect() == 3 ? 2 : 0;
  return TextLayout().line_interval + outline + font_size + RubyBand(ruby_size);
}

bool BlockRevealMode() {
  const TextSettings& s = TextLayout();
  return s.animation_type == 0 && s.animation_fade != 0 && s.space_skip == 0;
}

bool AdvTextIsKinsoku(uint32_t code) {
  static constexpr uint16_t kCodes[] = {0x8140, 0x8141, 0x8142, 0x8148, 0x8149, 0x8158, 0x815B,
                                        0x815C, 0x8163, 0x816A, 0x8176, 0x8178, 0x817A, 0x829F,
                                        0x82A1, 0x82A3, 0x82A5, 0x82A7, 0x82C1, 0x82E1, 0x82E3,
                                        0x82E5, 0x82EC, 0x8340, 0x8342, 0x8344, 0x8346, 0x8348,
                                        0x8362, 0x8383, 0x8385, 0x8387, 0x838E, 0x8395, 0x8396};
  return std::find(std::begin(kCodes), std::end(kCodes), code) != std::end(kCodes);
}

namespace {

constexpr int32_t kLargestTagSize = 256;

uint32_t UnitCode(const char* unit, size_t n) {
  const auto b0 = static_cast<uint8_t>(unit[0]);
  return n == 2 ? (uint32_t{b0} << 8 | static_cast<uint8_t>(unit[1])) : b0;
}

bool StartsWith(const char* text, const char* prefix) {
  return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The size of a "<sN>" tag, kept to a size the font can make.
int32_t TagSize(const char* digits) {
  int64_t n = 0;
  for (; IsDigit(*digits); ++digits) n = std::min<int64_t>(n * 10 + (*digits - '0'), 1 << 20);
  return static_cast<int32_t>(std::clamp<int64_t>(n, 1, kLargestTagSize));
}

// A double-byte character as the width estimates count it: a lead byte and a trail byte
// 0x40-0xFC.
bool IsWideForEstimate(const char* at) {
  const auto trail = static_cast<uint8_t>(at[1]);
  return IsCp932LeadByte(static_cast<uint8_t>(at[0])) && trail >= 0x40 && trail <= 0xFC;
}

int32_t MeasuredWidth(const char* unit) {
  int32_t size[2] = {0, 0};
  yel::YelFontGetSize(unit, size);
  return size[0];
}

// Up to 6 hexadecimal characters of a colour, never past the terminator.
uint32_t ColourAt(const char* hex) {
  return ParseHex(std::string_view(hex, strnlen(hex, 6))) & 0xFFFFFF;
}

}  // namespace

int32_t AdvTextWidth(const char* text, int32_t size) {
  const int32_t margin = TextLayout().wrap_margin;
  if (yel::YelFontGetType() != 0) {
    return (margin + size) * static_cast<int32_t>(std::strlen(text) / 2);
  }
  int32_t width = 0;
  for (size_t i = 0; text[i] != 0;) {
    const bool wide = IsWideForEstimate(text + i);
    width += wide ? size + margin : size / 2 + margin;
    i += wide ? 2 : 1;
  }
  return width;
}

LineMeasure AdvTextMeasureLine(const char* text, int32_t font_size, int32_t width) {
  const int32_t margin = TextLayout().wrap_margin;
  LineMeasure out{0, font_size};
  int32_t size = font_size;
  for (size_t i = 0; text[i] != 0;) {
    const char* at = text + i;
    if (at[0] == '<') {
      if (!TagClosed(at)) break;
      if (at[1] == 's' && IsDigit(at[2])) {
        size = TagSize(at + 2);
        out.height = std::max(out.height, size);
      }
      i += TagLength(at);
      continue;
    }
    const size_t n = TextUnitLength(at);
    const bool wide = (n == 2 && IsWideForEstimate(at)) || (at[0] == '%' && n > 1);
    out.width += wide ? margin + size : size / 2 + margin;
    i += n;
    if (out.width > width && !(AdvTextIsKinsoku(UnitCode(at, n)) && out.width <= width + size)) {
      break;
    }
  }
  return out;
}

namespace {

// The ruby group after "<r" without its tips tags ("<d" to its ">", and "</d>"), whose text stays.
std::string WithoutTipsTags(const char* text) {
  std::string copy;
  for (size_t i = 0; text[i] != 0;) {
    const char* at = text + i;
    if (StartsWith(at, "<d") || StartsWith(at, "</d>")) {
      i += TagLength(at);
      continue;
    }
    copy += text[i++];
  }
  return copy;
}

// The bytes of the reading and its ">" as that copy counts them, never more than the text has.
int32_t RubyReadingBytes(const std::string& copy, const char* text) {
  const size_t length = std::strlen(text);
  const size_t close = copy.find('>');
  return static_cast<int32_t>(close == std::string::npos ? length : std::min(close + 1, length));
}

}  // namespace

int32_t AdvDrawRuby(uint32_t* pixels, const char* text, int32_t x, int32_t y, int32_t surface_width,
                    int32_t surface_height, int32_t ruby_size) {
  const std::string copy = WithoutTipsTags(text);
  const size_t close = copy.find('>');
  const int32_t consumed = RubyReadingBytes(copy, text);
  if (close == std::string::npos) return consumed;
  const std::string reading = copy.substr(0, close);
  if (!pixels) return AdvTextWidth(reading.c_str(), ruby_size);
  const std::string rest = copy.substr(close + 1);
  const size_t base_end = rest.find("</r");
  if (base_end == std::string::npos) {
    AdvDebugPrint(kLogError, "ruby error : not </r> : %s", rest.c_str());
    return consumed;
  }
  if (ruby_size <= 0) return consumed;
  const std::string base = rest.substr(0, base_end);
  const int32_t base_width = AdvTextWidth(base.c_str(), yel::YelFontGetFontSize());
  const int32_t reading_width = AdvTextWidth(reading.c_str(), ruby_size);
  const int32_t type = yel::YelFontGetType();
  const int32_t size = yel::YelFontGetFontSize();
  yel::YelFontSetType(0);
  yel::YelFontSetFontSize(ruby_size);
  yel::YelFontDrawText(pixels, reading.c_str(), std::max(x + (base_width - reading_width) / 2, 0),
                       y, surface_width, surface_height);
  yel::YelFontSetType(type);
  yel::YelFontSetFontSize(size);
  return consumed;
}

namespace {

// The state of one AdvDrawText call.
class Layout {
 public:
  Layout(YelSprite* sprite, uint32_t* pixels, int32_t surface_width, int32_t surface_height,
         int32_t width, int32_t height, int32_t font_size, int32_t ruby_size,
         const std::array<uint32_t, 2>& colours, RevealMap* map, TipsArea* tips)
      : sprite_(sprite),
        pixels_(pixels),
        surface_width_(surface_width),
        surface_height_(surface_height),
        width_(width),
        height_(height),
        font_size_(font_size),
        ruby_size_(ruby_size),
        colours_(colours),
        map_(map),
        band_(RubyBand(ruby_size)),
        start_pitch_(LinePitch(font_size, ruby_size)),
        pitch_(start_pitch_),
        size_(font_size),
        tips_(tips) {}

  void Run(const char* text, int32_t& x, int32_t& y);
  int32_t Result() const;
  int32_t pitch() const { return pitch_; }
  int32_t size() const { return size_; }

 private:
  // Each returns the bytes used, 0 to end the text.
  size_t Tag(const char* at, int32_t& x, int32_t& y);
  size_t Glyph(const char* at, int32_t& x, int32_t& y);
  void ChangeSize(int32_t size);
  void ChangeType(int32_t type);

  YelSprite* sprite_;
  uint32_t* pixels_;
  int32_t surface_width_, surface_height_;
  int32_t width_, height_, font_size_, ruby_size_;
  std::array<uint32_t, 2> colours_;
  RevealMap* map_;
  int32_t band_;
  int32_t start_pitch_;
  int32_t pitch_;
  int32_t size_;
  int32_t size_offset_ = 0;
  bool centred_ = false;
  bool first_ = true;
  int32_t last_right_ = 0;
  int64_t width_sum_ = 0;
  int32_t saved_type_ = 0;
  bool type_changed_ = false;
  bool ended_ = false;
  TipsLinks tips_;
};

void Layout::ChangeSize(int32_t size) {
  yel::YelFontEnd();
  yel::YelFontSetFontSize(size);
  yel::YelFontBegin();
}

void Layout::ChangeType(int32_t type) {
  yel::YelFontEnd();
  yel::YelFontSetType(type);
  yel::YelFontBegin();
}

void Layout::Run(const char* text, int32_t& x, int32_t& y) {
  for (size_t i = 0; text[i] != 0 && !ended_;) {
    const size_t used = text[i] == '<' ? Tag(text + i, x, y) : Glyph(text + i, x, y);
    if (used == 0) break;
    i += used;
  }
  // A "<g>" left open would change the font type of every later text.
  if (type_changed_) ChangeType(saved_type_);
}

size_t Layout::Tag(const char* at, int32_t& x, int32_t& y) {
  if (at[1] == 'c' && !StartsWith(at, "<center>")) {
    // "<c" without any "#" later is no tag: its characters are laid out.
    const char* hash = std::strchr(at + 2, '#');
    if (!hash) return 2;
    if (!TagClosed(at)) return 0;
    const uint32_t first = ColourAt(hash + 1);
    const char* second_hash = std::strchr(hash + 1, '#');
    const uint32_t second = second_hash ? ColourAt(second_hash + 1) : colours_[1];
    yel::YelFontSetColor(first, second);
    return TagLength(at);
  }
  if (!TagClosed(at)) return 0;
  const size_t length = TagLength(at);
  if (StartsWith(at, "<br>")) {
    x = 0;
    y += pitch_;
  } else if (StartsWith(at, "<center>")) {
    const LineMeasure m = AdvTextMeasureLine(at + length, size_, width_);
    x = (width_ - m.width) >> 1;
    y = ((height_ - m.height) >> 1) - ruby_size_ - band_;
    centred_ = true;
    if (map_) map_->band_height = height_;
  } else if (at[1] == 's' && IsDigit(at[2])) {
    const int32_t size = TagSize(at + 2);
    ChangeSize(size);
    size_offset_ = std::max(size_ - size, 0);
    if (size > size_) {
      pitch_ += size - size_;
      if (map_) map_->band_height += size - size_;
    }
    size_ = size;
  } else if (StartsWith(at, "</s>")) {
    ChangeSize(font_size_);
    size_ = font_size_;
    size_offset_ = 0;
  } else if (StartsWith(at, "<g>")) {
    const int32_t type = yel::YelFontGetType();
    if (!type_changed_) saved_type_ = type;
    type_changed_ = true;
    ChangeType(type == 0 || type == 1 ? type : 0);
  } else if (StartsWith(at, "</g>")) {
    ChangeType(type_changed_ ? saved_type_ : 0);
    type_changed_ = false;
  } else if (StartsWith(at, "<reset>")) {
    pitch_ = start_pitch_;
    yel::YelFontSetColor(colours_[0], colours_[1]);
  } else if (at[1] == 'r') {
    yel::YelFontEnd();
    const int32_t reading = AdvDrawRuby(nullptr, at + 2, x, y, 0, 0, ruby_size_);
    if (x + reading > width_) {
      y += pitch_;
      x = 0;
    }
    // Measuring draws nothing, and AdvDrawRuby without pixels gives a width, not the reading's
    // bytes: the bytes to step over are counted the same way in both cases.
    if (pixels_) AdvDrawRuby(pixels_, at + 2, x, y, surface_width_, surface_height_, ruby_size_);
    yel::YelFontBegin();
    return 2 + static_cast<size_t>(RubyReadingBytes(WithoutTipsTags(at + 2), at + 2));
  } else if (StartsWith(at, "</c>")) {
    yel::YelFontSetColor(colours_[0], colours_[1]);
  } else if (at[1] == 'd') {
    tips_.Open(at, at + length, x, y);
  } else if (StartsWith(at, "</d>")) {
    tips_.Close(at, x, y, size_, pitch_, colours_);
  }
  return length;
}

size_t Layout::Glyph(const char* at, int32_t& x, int32_t& y) {
  const TextSettings& settings = TextLayout();
  size_t n = TextUnitLength(at);
  if (at[0] == '\\' && at[1] != 0) n = 1 + Cp932CharLength(at + 1);
  char unit[16] = {};
  std::memcpy(unit, at, std::min(n, sizeof unit - 1));
  const bool wide = (n == 2 && at[0] != '\\') || (at[0] == '%' && n > 1);
  const int32_t w = wide ? size_ : MeasuredWidth(unit);
  const int32_t step = yel::YelDrawTextStepX(yel::YelFontGetEffect());
  bool wrap = settings.wrap_mode
                  ? int64_t{w} + (x > 0 ? last_right_ - step : 0) + settings.wrap_margin > width_
                  : int64_t{x} + settings.wrap_margin >= width_;
  if (wrap && AdvTextIsKinsoku(UnitCode(at, n)) &&
      int64_t{w} - settings.width_offset + x <= int64_t{width_} + size_) {
    wrap = false;
  }
  if (wrap) {
    tips_.Wrap(at, x, y, pitch_);
    y += pitch_;
    x = 0;
    tips_.WrapDone(y);
    if (y + pitch_ > height_) {
      ended_ = true;
      return n;
    }
  }
  if (!pixels_) {
    x += w;
    return n;
  }
  int32_t draw_x = x;
  if (centred_) {
    draw_x = x - step;
  } else if (!first_ && x > 0) {
    draw_x = last_right_ - step;
  }
  centred_ = false;
  if (!yel::YelFontDrawText(pixels_, unit, draw_x, y + size_offset_ + band_, surface_width_,
                            surface_height_)) {
    ended_ = true;
    return n;
  }
  if (yel::YelFontHasDrawTextRect()) {
    YelFontDrawnCell cell{};
    yel::YelFontGetDrawTextRect(&cell);
    GlyphRecord glyph{cell.rect.left, std::max(cell.rect.top - band_, 0),
                      cell.rect.right + settings.wrap_margin, cell.rect.bottom};
    if (map_) NewGlyphList().push_back(glyph);
    width_sum_ += glyph.right - glyph.left;
    last_right_ = glyph.right;
  }
  first_ = false;
  x = draw_x + w;
  return n;
}

int32_t Layout::Result() const {
  if (!sprite_ || !map_) return 0;
  if (!BlockRevealMode())
    return static_cast<int32_t>(std::min<int64_t>(width_sum_ + 64, INT32_MAX));
  int64_t lines = 0;
  const GlyphRecord* previous = nullptr;
  for (const GlyphList* list : {&ShownGlyphList(), &NewGlyphList()}) {
    for (const GlyphRecord& glyph : *list) {
      if (previous && glyph.top >= previous->bottom) ++lines;
      previous = &glyph;
    }
  }
  const int64_t last_right = previous ? previous->right : 0;
  return static_cast<int32_t>(std::min<int64_t>(lines * map_->stride + last_right + 64, INT32_MAX));
}

}  // namespace

int32_t AdvDrawText(AdvContext& context, YelSprite* sprite, const char* text, int32_t* cursor_x,
                    int32_t* cursor_y, int32_t width, int32_t height, int32_t font_size,
                    int32_t ruby_size, const std::array<uint32_t, 2>& colours, RevealMap* map) {
  if (AdvSkipState(context) & SKIP_MASK_FORCED) return 0;
  if (map) NewGlyphList().clear();
  int32_t x = cursor_x ? *cursor_x : 0;
  int32_t y = cursor_y ? *cursor_y : 0;
  uint32_t* pixels = nullptr;
  int32_t surface_width = width, surface_height = height;
  if (sprite) {
    pixels = yel::YelSpriteLock(sprite, &surface_width, &surface_height);
    if (!pixels) {
      AdvDebugPrint(kLogError, "text : the text sprite cannot be locked");
      return 0;
    }
  }
  yel::YelFontBegin();
  // The begin hook waits for a tip of this text; the history page's texts hold none.
  context.tips.state &= ~0xFFu;
  TipsArea* tips = context.history.page.open ? nullptr : &context.tips;
  Layout layout(sprite, pixels, surface_width, surface_height, width, height, font_size, ruby_size,
                colours, map, tips);
  layout.Run(text ? text : "", x, y);
  yel::YelFontEnd();
  if (sprite) yel::YelSpriteUnlock(sprite);
  yel::YelFontSetFontSize(font_size);
  yel::YelFontSetColor(colours[0], colours[1]);
  if (sprite) {
    const TextSettings& settings = TextLayout();
    const YelRect rect{0, 0, width + layout.size() + settings.width_offset,
                       y + layout.pitch() + settings.height_offset};
    yel::YelSpriteSetRect(sprite, &rect);
  }
  if (cursor_x) *cursor_x = x;
  if (cursor_y) *cursor_y = y;
  return layout.Result();
}

}  // namespace adv

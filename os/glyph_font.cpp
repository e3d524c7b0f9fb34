// Glyph fonts on FreeType, with faces chosen by fontconfig.
#include "os/glyph_font.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>

namespace os {
namespace {

// The names asked of fontconfig for each kind, best first: the engine's own face names (which
// the installed font packages alias), then families known to carry Japanese, then the generic.
const std::vector<const char*>& FamiliesOf(FaceKind kind) {
  static const std::vector<const char*> gothic = {
      "ＭＳ ゴシック", "MS Gothic", "IPAGothic", "Noto Sans Mono CJK JP",
      "TakaoGothic",   "VL Gothic", "monospace"};
  static const std::vector<const char*> mincho = {"ＭＳ 明朝",         "MS Mincho",   "IPAMincho",
                                                  "Noto Serif CJK JP", "TakaoMincho", "serif"};
  static const std::vector<const char*> p_gothic = {"ＭＳ Ｐゴシック", "MS PGothic",
                                                    "IPAPGothic",      "Noto Sans CJK JP",
                                                    "TakaoPGothic",    "sans-serif"};
  static const std::vector<const char*> p_mincho = {
      "ＭＳ Ｐ明朝", "MS PMincho", "IPAPMincho", "Noto Serif CJK JP", "TakaoPMincho", "serif"};
  switch (kind) {
    case FaceKind::kMincho:
      return mincho;
    case FaceKind::kProportionalGothic:
      return p_gothic;
    case FaceKind::kProportionalMincho:
      return p_mincho;
    default:
      return gothic;
  }
}

// One FreeType library for the process; FreeType objects of one library are used under its lock.
struct FreeTypeLibrary {
  // Guards every face made from `library`, from its making to its end; re-entrant because a
  // font that fails to open is ended while the lock is held.
  std::recursive_mutex lock;
  FT_Library library = nullptr;
  FreeTypeLibrary() {
    if (FT_Init_FreeType(&library) != 0) library = nullptr;
    FcInit();
  }
};

FreeTypeLibrary& Library() {
  static FreeTypeLibrary* instance = new FreeTypeLibrary();  // lives as long as the process
  return *instance;
}

// The fontconfig matches for a kind, best first (file and face index), those with Japanese first.
struct FaceFile {
  std::string path;
  int index = 0;
  FcCharSet* charset = nullptr;  // owned by the sorted set kept in FaceList
};

class FaceList {
 public:
  explicit FaceList(FaceKind kind) {
    FcPattern* pattern = FcPatternCreate();
    for (const char* family : FamiliesOf(kind)) {
      FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family));
    }
    FcLangSet* langs = FcLangSetCreate();
    FcLangSetAdd(langs, reinterpret_cast<const FcChar8*>("ja"));
    FcPatternAddLangSet(pattern, FC_LANG, langs);
    FcLangSetDestroy(langs);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    sorted_ = FcFontSort(nullptr, pattern, FcTrue, nullptr, &result);
    FcPatternDestroy(pattern);
    for (int i = 0; sorted_ && i < sorted_->nfont; ++i) {
      FcChar8* file = nullptr;
      FaceFile face;
      if (FcPatternGetString(sorted_->fonts[i], FC_FILE, 0, &file) != FcResultMatch) continue;
      face.path = reinterpret_cast<const char*>(file);
      FcPatternGetInteger(sorted_->fonts[i], FC_INDEX, 0, &face.index);
      FcPatternGetCharSet(sorted_->fonts[i], FC_CHARSET, 0, &face.charset);
      faces_.push_back(face);
    }
  }
  ~FaceList() {
    if (sorted_) FcFontSetDestroy(sorted_);
  }
  const std::vector<FaceFile>& Faces() const { return faces_; }

 private:
  FcFontSet* sorted_ = nullptr;
  std::vector<FaceFile> faces_;
};

const FaceList& FacesOf(FaceKind kind) {
  static std::mutex lock;
  static std::map<FaceKind, std::unique_ptr<FaceList>> lists;
  std::lock_guard guard(lock);
  auto& list = lists[kind];
  if (!list) list = std::make_unique<FaceList>(kind);
  return *list;
}

int32_t RoundFixed(FT_Pos value) {
  return static_cast<int32_t>((value + 32) >> 6);
}

// A face at the engine's cell size.
class SizedFace {
 public:
  static std::unique_ptr<SizedFace> Open(const FaceFile& file, int32_t cell_height, int32_t width,
                                         bool bold) {
    auto face = std::unique_ptr<SizedFace>(new SizedFace());
    FT_Library library = Library().library;
    if (!library || FT_New_Face(library, file.path.c_str(), file.index, &face->face_) != 0) {
      return nullptr;
    }
    face->bold_ = bold && !(face->face_->style_flags & FT_STYLE_FLAG_BOLD);
    if (!face->SetCellSize(cell_height, width)) return nullptr;
    face->family_ = face->face_->family_name ? face->face_->family_name : "";
    return face;
  }
  ~SizedFace() {
    if (face_) FT_Done_Face(face_);
  }
  bool Has(char32_t code) const { return FT_Get_Char_Index(face_, code) != 0; }
  int32_t Ascent() const { return ascent_; }
  int32_t Descent() const { return descent_; }
  const std::string& Family() const { return family_; }
  bool Render(char32_t code, GlyphImage& out) const;

 private:
  SizedFace() = default;
  // The cell rule: ascent + descent of the face (its Windows metrics where it has them) span the
  // cell height; the average character width becomes `width`.
  bool SetCellSize(int32_t cell_height, int32_t width) {
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2));
    const double units = face_->units_per_EM > 0 ? face_->units_per_EM : 1000;
    double ascent = face_->ascender, descent = -face_->descender;
    if (os2 && os2->usWinAscent + os2->usWinDescent > 0) {
      ascent = os2->usWinAscent;
      descent = os2->usWinDescent;
    }
    if (ascent + descent <= 0) ascent = units;
    const double em_y = cell_height * units / (ascent + descent);
    double em_x = em_y;
    if (width > 0 && os2 && os2->xAvgCharWidth > 0) em_x = width * units / os2->xAvgCharWidth;
    descent_ = static_cast<int32_t>(std::lround(descent * em_y / units));
    ascent_ = cell_height - descent_;
    const auto fixed = [](double v) { return static_cast<FT_F26Dot6>(std::lround(v * 64)); };
    return FT_Set_Char_Size(face_, fixed(em_x), fixed(em_y), 72, 72) == 0;
  }

  FT_Face face_ = nullptr;
  bool bold_ = false;
  int32_t ascent_ = 0, descent_ = 0;
  std::string family_;
};

bool SizedFace::Render(char32_t code, GlyphImage& out) const {
  const FT_UInt index = FT_Get_Char_Index(face_, code);
  if (index == 0 || FT_Load_Glyph(face_, index, FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_LIGHT) != 0) {
    return false;
  }
  FT_GlyphSlot slot = face_->glyph;
  if (bold_) FT_GlyphSlot_Embolden(slot);
  if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return false;
  const FT_Bitmap& bitmap = slot->bitmap;
  out.advance_x = static_cast<int16_t>(RoundFixed(slot->advance.x));
  out.advance_y = 0;
  out.origin_x = slot->bitmap_left;
  out.origin_y = slot->bitmap_top;
  // An empty glyph (a space) keeps a 1 x 1 box without coverage.
  out.black_width = std::max(1u, bitmap.width);
  out.black_height = std::max(1u, bitmap.rows);
  out.coverage.assign(size_t{out.Pitch()} * out.black_height, 0);
  for (unsigned y = 0; y < bitmap.rows; ++y) {
    const uint8_t* row = bitmap.buffer + static_cast<ptrdiff_t>(y) * bitmap.pitch;
    uint8_t* to = out.coverage.data() + size_t{y} * out.Pitch();
    for (unsigned x = 0; x < bitmap.width; ++x)
      to[x] = static_cast<uint8_t>((row[x] * 64 + 127) / 255);
  }
  return true;
}

class FreeTypeGlyphFont final : public GlyphFont {
 public:
  FreeTypeGlyphFont(FaceKind kind, int32_t cell_height, int32_t width, bool bold)
      : kind_(kind), cell_height_(cell_height), width_(width), bold_(bold) {}
  ~FreeTypeGlyphFont() override {
    std::lock_guard guard(Library().lock);
    main_.reset();
    fallbacks_.clear();
  }

  bool OpenMain() {
    const auto& faces = FacesOf(kind_).Faces();
    for (size_t i = 0; i < faces.size() && !main_; ++i) {
      main_ = SizedFace::Open(faces[i], cell_height_, width_, bold_);
      main_index_ = i;
    }
    return main_ != nullptr;
  }
  int32_t Ascent() const override { return main_->Ascent(); }
  int32_t Descent() const override { return main_->Descent(); }
  std::string Family() const override { return main_->Family(); }
  bool HasGlyph(char32_t code) const override {
    std::lock_guard guard(Library().lock);
    return main_->Has(code);
  }

  bool Render(char32_t code, GlyphImage& out) override {
    std::lock_guard guard(Library().lock);
    if (main_->Has(code)) return main_->Render(code, out);
    SizedFace* fallback = FallbackFor(code);
    return fallback && fallback->Render(code, out);
  }

 private:
  // The first face after the main one, in fontconfig's order, whose character set has the code.
  SizedFace* FallbackFor(char32_t code) {
    const auto& faces = FacesOf(kind_).Faces();
    for (size_t i = 0; i < faces.size(); ++i) {
      if (i == main_index_ || !faces[i].charset || !FcCharSetHasChar(faces[i].charset, code)) {
        continue;
      }
      auto& face = fallbacks_[i];
      if (!face) face = SizedFace::Open(faces[i], cell_height_, width_, bold_);
      if (face && face->Has(code)) return face.get();
    }
    return nullptr;
  }

  FaceKind kind_;
  int32_t cell_height_, width_;
  bool bold_;
  std::unique_ptr<SizedFace> main_;
  size_t main_index_ = 0;
  std::map<size_t, std::unique_ptr<SizedFace>> fallbacks_;
};

}  // namespace

std::unique_ptr<GlyphFont> GlyphFont::Open(FaceKind kind, int32_t cell_height, int32_t width,
                                           bool bold) {
  if (cell_height <= 0) return nullptr;
  std::lock_guard guard(Library().lock);
  auto font = std::make_unique<FreeTypeGlyphFont>(kind, cell_height, width, bold);
  if (!font->OpenMain()) return nullptr;
  return font;
}

}  // namespace os

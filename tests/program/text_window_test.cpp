// The message window: expansion and tag stripping in bounds, glyph positions of the layout, the
// timed reveal on a clock the test drives, and the click wait.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "program/buttons/button_manager.h"
#include "program/game/adv_context.h"
#include "program/layers/action_manager.h"
#include "program/layers/graphic_slots.h"
#include "program/layers/layer_services.h"
#include "program/layers/screen_effects.h"
#include "program/savedata/snapshot_services.h"
#include "program/script/script_run.h"
#include "program/script/skip_state.h"
#include "program/sound/voice_load_worker.h"
#include "program/startup/yel_import.h"
#include "program/text/text_layout.h"
#include "program/text/text_reveal.h"
#include "program/text/text_services.h"
#include "program/text/text_window.h"
#include "tests/program/sample_source.h"
#include "tests/program/script_machine.h"
#include "tests/program/started_library.h"

namespace {

using test::IgnoreArguments;
using test::SampleSource;

using test::ScriptMachine;

TEST(TextExpand, ReferencesNamesAndUnclosedMarkupStayInBounds) {
  auto context = std::make_unique<adv::AdvContext>();
  context->values.user_memory[5] = -12;
  context->values.temp_memory[3] = 0;
  std::memcpy(context->player_name.name.data(), "\x8E\x84", 2);  // 私
  context->player_name.name_length = 2;
  struct Case {
    const char* source;
    const char* expanded;
  } cases[] = {
      {"&m[5]", "\x81\x7C\x82\x50\x82\x51"},  // －１２
      {"&t[3]!", "\x82\x4F!"},
      {"a/nb",
       "a\x8E\x84"
       "b"},
      {"<c#FF0000>%12x", "<c#FF0000>%12x"},
      {"&m[99999]x", "x"},  // no such cell: nothing
      {"&m[5", "&m[5"},     // unclosed: plain characters
      {"<c#12", "<c#12"},
      {"\xB1\x81", "\xB1\x81"},  // half-width katakana stands alone; a lead byte at the end too
  };
  for (const Case& c : cases) {
    char out[64] = {};
    adv::AdvTextExpand(*context, out, sizeof out, c.source);
    EXPECT_STREQ(out, c.expanded) << c.source;
  }
  // A text that fills the buffer is cut at a whole character.
  std::string long_text(4094, 'a');
  long_text += "\x82\xA0";  // あ would need bytes 4094-4095: it does not fit below the zero
  char guarded[4096 + 8];
  std::memset(guarded, 0x55, sizeof guarded);
  adv::AdvTextExpand(*context, guarded, 4096, long_text.c_str());
  EXPECT_EQ(std::strlen(guarded), 4094u);
  for (size_t i = 4096; i < sizeof guarded; ++i) EXPECT_EQ(guarded[i], 0x55);
}

TEST(TextStripTags, DropsTagsAndEndsWithAnEllipsisOfWholeCharacters) {
  auto context = std::make_unique<adv::AdvContext>();
  char out[64];
  // Full-width characters count one font size each: two fit a line, the second line is over H.
  adv::AdvTextStripTags(*context, out, sizeof out, "<c#FF0000>\x82\xA0\x82\xA2</c>\x82\xA4", 25, 15,
                        10);
  EXPECT_STREQ(out, "\x82\xA0\x81\x63");
  adv::AdvTextStripTags(*context, out, sizeof out, "<c#FF0000>\x82\xA0", 100, 100, 10);
  EXPECT_STREQ(out, "\x82\xA0");
  adv::AdvTextStripTags(*context, out, sizeof out, "\x82\xA0<unclosed", 100, 100, 10);
  EXPECT_STREQ(out, "\x82\xA0");
}

// The window passes over a tag it does not know without a word, so a misspelt one shows only as
// text drawn at the wrong size or colour: every tag in the sample's texts is one the layout reads.
TEST(TextTags, TheSampleUsesOnlyTagsTheWindowKnows) {
  const char* known[] = {"<br>",     "</s>",    "<c#",  "</c>", "<g>",  "</g>",
                         "<center>", "<reset>", "</r>", "<r",   "</d>", "<d"};
  const std::string source = SampleSource();
  int tags = 0;
  // Texts are quoted within one line.
  for (size_t quote = source.find('"'); quote != std::string::npos;) {
    const size_t end = source.find_first_of("\"\n", quote + 1);
    if (end == std::string::npos) break;
    if (source[end] == '\n') {
      quote = source.find('"', end);
      continue;
    }
    const std::string text = source.substr(quote + 1, end - quote - 1);
    for (size_t at = text.find('<'); at != std::string::npos; at = text.find('<', at + 1)) {
      const std::string tag = text.substr(at, text.find('>', at) + 1 - at);
      bool ok = tag.size() > 2 && tag[1] == 's' && std::isdigit(static_cast<unsigned char>(tag[2]));
      for (const char* prefix : known) ok = ok || tag.starts_with(prefix);
      EXPECT_TRUE(ok) << tag << " in \"" << text << '"';
      ++tags;
    }
    quote = source.find('"', end + 1);
  }
  EXPECT_GT(tags, 0);
}

// The library started with its render lock held, a sprite to draw into.
class TextDrawing : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(yel::LoadLibraryFrom(YEL_LIBRARY));
    render_ = test::StartLibraryHidden();
    ASSERT_NE(render_, nullptr);
    yel::YelRenderLockEnter();
    adv::TextLayout() = adv::TextSettings{};
    yel::YelFontSetEffect(0);
    yel::YelFontSetType(0);
    yel::YelFontSetFontSize(24);
  }
  void TearDown() override {
    if (sprite_) yel::YelSpriteRelease(render_, sprite_);
    adv::AdvRevealMapRelease(map_);
    if (machine_) {
      adv::AdvTextWindowRelease(machine_->context());
      adv::AdvLayerTableReset(machine_->context());
      machine_.reset();
    }
    yel::YelRenderLockLeave();
    yel::YelRenderSetActive(nullptr);
    yel::YelRenderUninit(render_);
    yel::YelUninit();
  }

  // Lays the text out into a fresh transparent 512 x 128 sprite; the glyph records.
  adv::GlyphList Draw(const char* text, int32_t width, int32_t ruby = 0) {
    if (!sprite_) sprite_ = yel::YelSpriteCreate(render_, 512, 128, 100);
    yel::YelSpritePaint(sprite_, nullptr, 0);
    adv::AdvRevealMapInit(width, 128, 24, ruby, map_);
    adv::AdvDrawText(context_, sprite_, text, nullptr, nullptr, width, 128, 24, ruby, {0xFFFFFF, 0},
                     &map_);
    return adv::NewGlyphList();
  }
  uint32_t Pixel(int32_t x, int32_t y) {
    int32_t pitch = 0, rows = 0;
    const uint32_t* pixels = yel::YelSpriteLock(sprite_, &pitch, &rows);
    const uint32_t value = pixels[y * pitch + x];
    yel::YelSpriteUnlock(sprite_);
    return value;
  }
  // The most opaque pixel of a glyph's rectangle.
  uint32_t StrongestPixel(const adv::GlyphRecord& g) {
    uint32_t best = 0;
    for (int32_t y = g.top; y < g.bottom; ++y) {
      for (int32_t x = g.left; x < g.right; ++x) {
        const uint32_t p = Pixel(x, y);
        if ((p >> 24) > (best >> 24)) best = p;
      }
    }
    return best;
  }

  YelRender* render_ = nullptr;
  YelSprite* sprite_ = nullptr;
  adv::RevealMap map_;
  adv::AdvContext context_;
  std::unique_ptr<ScriptMachine> machine_;
};

TEST_F(TextDrawing, GlyphsFollowEachOtherAndWrapAtTheWidth) {
  const int32_t pitch = adv::LinePitch(24, 0);
  adv::GlyphList g = Draw("\x82\xA0\x82\xA2\x82\xA4\x82\xA6", 400);
  ASSERT_EQ(g.size(), 4u);
  EXPECT_EQ(g[0].left, 1);
  EXPECT_EQ(g[0].top, 0);
  for (size_t i = 1; i < g.size(); ++i) {
    EXPECT_EQ(g[i].left, g[i - 1].right) << i;
    EXPECT_EQ(g[i].top, 0) << i;
  }
  // A width that the cursor reaches after three glyphs: the fourth wraps...
  const int32_t width = g[2].left - 1 + 24;
  g = Draw("\x82\xA0\x82\xA2\x82\xA4\x82\xA6", width);
  ASSERT_EQ(g.size(), 4u);
  EXPECT_EQ(g[2].top, 0);
  EXPECT_EQ(g[3].left, 1);
  EXPECT_EQ(g[3].top, pitch);
  // ...unless it is a full stop, which hangs in the margin.
  g = Draw("\x82\xA0\x82\xA2\x82\xA4\x81\x42", width);
  ASSERT_EQ(g.size(), 4u);
  EXPECT_EQ(g[3].top, 0);
  EXPECT_EQ(g[3].left, g[2].right);
  // "<br>" starts the next line.
  g = Draw("\x82\xA0<br>\x82\xA2", 400);
  ASSERT_EQ(g.size(), 2u);
  EXPECT_EQ(g[1].left, 1);
  EXPECT_EQ(g[1].top, pitch);
}

TEST_F(TextDrawing, ColourTagsAndRubyDrawWhereTheySay) {
  adv::GlyphList g = Draw("<c#FF0000>\x82\xA0</c>\x82\xA0", 400);
  ASSERT_EQ(g.size(), 2u);
  const uint32_t red = StrongestPixel(g[0]);
  const uint32_t white = StrongestPixel(g[1]);
  EXPECT_EQ(red & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(white & 0xFFFFFF, 0xFFFFFFu);
  // A reading over its base: drawn in the ruby band, the base glyphs below it.
  const int32_t band = adv::RubyBand(12);
  g = Draw("<r\x82\xA9\x82\xF1>\x8A\xBF</r>", 400, 12);
  ASSERT_EQ(g.size(), 1u);
  bool reading_drawn = false;
  for (int32_t y = 0; y < band && !reading_drawn; ++y) {
    for (int32_t x = 0; x < 48; ++x) reading_drawn |= (Pixel(x, y) >> 24) != 0;
  }
  EXPECT_TRUE(reading_drawn);
  EXPECT_EQ(g[0].top, 0);  // the record's top is lowered by the band, not below 0
}

// Without a sprite the layout only measures (the history page, the page pass, the name without a
// slot): a ruby group moves the cursor exactly as drawing it does, and the walk steps over the
// reading's bytes, never past the text's end.
TEST_F(TextDrawing, MeasuringRubyTextStepsOverTheReading) {
  // The reading stands above its base and takes no width of the line: measured without a sprite,
  // each ruby text moves the cursor as its text without the readings does.
  struct Case {
    std::string ruby, plain;
  };
  const Case cases[] = {
      {"<r\x82\xA9\x82\xF1>\x8A\xBF</r>\x82\xA0", "\x8A\xBF\x82\xA0"},
      {"\x82\xA0<r\x82\xA9\x82\xF1\x82\xB6\x82\xE5\x82\xA4>\x8A\xBF\x8E\x9A</r>\x82\xA2"
       "<r\x82\xA9>\x8A\xBF</r>\x82\xA6",
       "\x82\xA0\x8A\xBF\x8E\x9A\x82\xA2\x8A\xBF\x82\xA6"},
  };
  for (const Case& c : cases) {
    int32_t ruby_x = 0, ruby_y = 0, plain_x = 0, plain_y = 0;
    adv::AdvDrawText(context_, nullptr, c.ruby.c_str(), &ruby_x, &ruby_y, 400, 128, 24, 12,
                     {0xFFFFFF, 0}, nullptr);
    adv::AdvDrawText(context_, nullptr, c.plain.c_str(), &plain_x, &plain_y, 400, 128, 24, 12,
                     {0xFFFFFF, 0}, nullptr);
    EXPECT_GT(plain_x, 0) << c.ruby;
    EXPECT_EQ(ruby_x, plain_x) << c.ruby;
    EXPECT_EQ(ruby_y, plain_y) << c.ruby;
  }
  // A ruby text that ends a readable page, with nothing mapped after it.
  const long page = sysconf(_SC_PAGESIZE);
  void* pages = mmap(nullptr, 2 * page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(pages, MAP_FAILED);
  ASSERT_EQ(mprotect(static_cast<char*>(pages) + page, page, PROT_NONE), 0);
  const char ruby[] = "<r\x82\xA9\x82\xF1\x82\xB6\x82\xE5\x82\xA4>\x8A\xBF</r>";
  char* at_end = static_cast<char*>(pages) + page - sizeof ruby;
  std::memcpy(at_end, ruby, sizeof ruby);
  int32_t x = 0;
  adv::AdvDrawText(context_, nullptr, at_end, &x, nullptr, 400, 128, 24, 12, {0xFFFFFF, 0},
                   nullptr);
  EXPECT_EQ(x, 24);  // the base character
  munmap(pages, 2 * page);
}

TEST_F(TextDrawing, UnclosedTagsEndTheTextAndRestoreTheFontType) {
  for (const char* text :
       {"\x82\xA0<s30", "\x82\xA0<c#FF", "\x82\xA0<g>\x82\xA2", "<r\x82\xA0", "\x82\xA0\x82"}) {
    Draw(text, 400);
    EXPECT_EQ(yel::YelFontGetType(), 0) << text;
  }
  // A 4,095-byte text runs to its end without reading past it.
  std::string long_text(4094, 'a');
  long_text += '<';
  Draw(long_text.c_str(), 400);
}

constexpr const char* kLineScript =
    "  cmd text_init(24, 0, 0, 1020, 96, 0, 0, 0)\n"
    "  cmd text(NONE, \"名前\", \"あいうえお\", 0)\n"
    "  mov v1, 1\n";

// Counts the glyphs of the window's line that show any pixel.
int ShownGlyphs(adv::TextWindow& window) {
  int32_t pitch = 0, rows = 0;
  YelSprite* sprite = window.text_slot->sprite;
  const uint32_t* pixels = yel::YelSpriteLock(sprite, &pitch, &rows);
  int shown = 0;
  for (const adv::GlyphRecord& g : adv::NewGlyphList()) {
    bool any = false;
    for (int32_t y = g.top; y < g.bottom && y < rows; ++y) {
      for (int32_t x = g.left; x < g.right && x < pitch; ++x)
        any |= (pixels[y * pitch + x] >> 24) != 0;
    }
    shown += any;
  }
  yel::YelSpriteUnlock(sprite);
  return shown;
}

TEST_F(TextDrawing, TheLineRevealsOverItsTimeAndTwoClicksEndIt) {
  machine_ = std::make_unique<ScriptMachine>(kLineScript);
  ASSERT_TRUE(machine_->loaded());
  adv::AdvContext& context = machine_->context();
  context.task_data->system.settings.text_speed = 40;
  adv::TextLayout().animation_fade = 0;  // a glyph shows once the position passes it
  machine_->Run();
  adv::TextWindow& window = context.text_window;
  ASSERT_EQ(window.line_kind, adv::kLineHolds | adv::kLineRevealing);
  ASSERT_EQ(context.script.point_count, 1);
  ASSERT_EQ(adv::NewGlyphList().size(), 5u);
  EXPECT_STREQ(window.line.name.data(), "\x96\xBC\x91\x4F");
  const uint32_t start = 100000;
  window.wait_start = start;
  EXPECT_EQ(window.wait_time, static_cast<uint32_t>(window.laid_out_length / 24 * 40));
  adv::AdvTextWaitStep(context, 0, start);
  EXPECT_EQ(ShownGlyphs(window), 0);
  adv::AdvTextWaitStep(context, 0, start + 2 * 40);
  EXPECT_GE(ShownGlyphs(window), 2);
  EXPECT_LE(ShownGlyphs(window), 3);
  // A click completes the reveal and begins the click wait; the script point stays.
  adv::AdvTextWaitStep(context, adv::SKIP_BIT_ADVANCE, start + 100);
  EXPECT_EQ(ShownGlyphs(window), 5);
  EXPECT_EQ(window.line_kind, adv::kLineHolds | adv::kLineClickWait);
  EXPECT_EQ(context.script.point_count, 1);
  // The auto time: characters x auto speed + 500 ms.
  EXPECT_EQ(window.wait_time,
            static_cast<uint32_t>(
                window.laid_out_length / 24 * context.task_data->system.settings.auto_speed + 500));
  EXPECT_EQ(adv::AdvTextWaitStep(context, 0, start + 5000), 0);
  EXPECT_EQ(adv::AdvTextWaitStep(context, adv::SKIP_BIT_ADVANCE, start + 5100), 1);
  EXPECT_EQ(window.line_kind, 0u);
  EXPECT_EQ(context.script.point_count, 0);
  machine_->Run();
  EXPECT_EQ(machine_->V(1), 1);
}

TEST_F(TextDrawing, AWideLineRevealsInsideItsTexture) {
  std::string text;
  for (int i = 0; i < 42; ++i) text += "あ";  // 1,008 pixels at size 24
  const std::string script =
      "  cmd text_init(24, 0, 0, 1020, 96, 0, 0, 0)\n  cmd text(NONE, NONE, \"" + text + "\", 0)\n";
  machine_ = std::make_unique<ScriptMachine>(script);
  ASSERT_TRUE(machine_->loaded());
  adv::AdvContext& context = machine_->context();
  context.task_data->system.settings.text_speed = 10;
  machine_->Run();
  adv::TextWindow& window = context.text_window;
  ASSERT_NE(window.text_slot, nullptr);
  int32_t pitch = 0, rows = 0;
  yel::YelSpriteLock(window.text_slot->sprite, &pitch, &rows);
  yel::YelSpriteUnlock(window.text_slot->sprite);
  EXPECT_LE(window.reveal_map.stride, pitch);
  EXPECT_LE(window.reveal_map.rows, rows);
  window.wait_start = 0;
  adv::AdvTextWaitStep(context, 0, 100000);
  EXPECT_EQ(ShownGlyphs(window), 42);
}

}  // namespace

// The sample game, clicked through with auto mode off: every line waits for its click, and at the
// choice the pointer is put on the second item ("海の道") and the primary mouse button pushed;
// the script takes that branch and reaches its end.
TEST_F(TextDrawing, TheSampleGameIsClickedThroughToItsEnd) {
  yel::YelSystemPathInit();
  yel::YelSystemPathSet(SAMPLE_PACK_DIR);  // the choice's image
  machine_ = std::make_unique<ScriptMachine>(SampleSource());
  ASSERT_TRUE(machine_->loaded());
  machine_->SetCommand(0x0A0000, IgnoreArguments<2>);  // save
  machine_->SetCommand(0x0A0001, IgnoreArguments<1>);  // load
  machine_->SetCommand(0x0A0009, IgnoreArguments<1>);  // is_save
  machine_->SetCommand(0x0A000B, IgnoreArguments<1>);  // save_point
  adv::AdvContext& context = machine_->context();
  adv::TextWindow& window = context.text_window;
  uint32_t now = 1000;
  int lines = 0;
  int choices = 0;
  std::vector<std::string> names, texts;
  for (int frame = 0; frame < 5000 && !yel::IsSystemEnd(); ++frame, now += 16) {
    // The screen effects step before the script, as in the game's frame; a flush that ends
    // ends the frame's script work.
    if (adv::ScreenEffectsStep(context, yel::YeltimeGetTime() + (now - 1000))) continue;
    yel::YelInputClear();
    // An effect the script waits for is cut short by a click.
    if (context.sound.se_wait_channel != 0) yel::YelInputSetKeyPush(0x800000);
    const adv::SelectState& select = context.select;
    if (select.shown && select.item_count == 2 && select.items[1].sprite) {
      YelSpriteInfo item{};
      yel::YelSpriteGetInfo(select.items[1].sprite, &item);
      yel::YelCursorSetPos(static_cast<int32_t>(item.x) + 10, static_cast<int32_t>(item.y) + 10);
      yel::YelInputSetKeyPush(0x800000);
      ++choices;
    }
    machine_->Run();
    if (frame == 0) {
      // The sample starts in auto mode; the player switches it off with the window's auto
      // button, and each line then waits for its click.
      ASSERT_EQ(context.skip.auto_mode, 1);
      adv::ButtonCallLabel(context, machine_->LabelPc("auto_clicked") - context.script.origin,
                           adv::kReturnClick);
      machine_->Run();
      ASSERT_EQ(context.skip.auto_mode, 0);
    }
    // A voiced line's voice loads on a work thread of the test's own; the line then shows.
    if (adv::AdvHasAsyncFunction()) {
      std::thread(adv::ThreadBaseWorkerProc, reinterpret_cast<uintptr_t>(&adv::VoiceLoadJob()))
          .join();
      adv::AdvCallAsyncFunction();
    }
    // The action sets the script waits on run ahead of the platform's clock, a frame at a time.
    adv::ActionsStep(context, yel::YeltimeGetTime() + (now - 1000));
    if (window.line_kind & adv::kLineRevealing) {
      ++lines;
      names.emplace_back(window.line.name.data());
      texts.emplace_back(window.line.text.data());
      // Revealed over its time: nothing shows at first.
      adv::AdvTextWaitStep(context, 0, window.wait_start);
      EXPECT_EQ(ShownGlyphs(window), 0) << lines;
      adv::AdvTextWaitStep(context, 0, window.wait_start + window.wait_time + 1);
      EXPECT_EQ(ShownGlyphs(window), static_cast<int>(adv::NewGlyphList().size())) << lines;
      EXPECT_TRUE(window.line_kind & adv::kLineClickWait);
      EXPECT_EQ(adv::AdvTextWaitStep(context, 0, now), 0) << "the line waits for its click";
      EXPECT_EQ(adv::AdvTextWaitStep(context, adv::SKIP_BIT_ADVANCE, now), 1);
    }
  }
  yel::YelInputClear();
  yel::YelSystemPathUninit();
  EXPECT_TRUE(yel::IsSystemEnd()) << "the script did not reach its end";
  EXPECT_EQ(choices, 1) << "the choice waited for the click and took it at once";
  EXPECT_EQ(lines, 5);
  ASSERT_EQ(texts.size(), 5u);
  EXPECT_EQ(names.front(), "\x88\xC4\x93\xE0\x90\x6C");  // 案内人
  EXPECT_EQ(texts[3],
            "\x94\x67\x82\xCC\x89\xB9\x82\xAA\x89\x93\x82\xAD\x82\xA9\x82\xE7"
            "\x95\xB7\x82\xB1\x82\xA6\x82\xE9\x81\x42")  // 波の音が遠くから聞こえる。
      << "the sea branch was taken";
}

namespace {

// Appended text (text_cat) keeps the glyphs on show and reveals its own from where they ended.
TEST_F(TextDrawing, AppendedTextRevealsFromWhereTheShownTextEnded) {
  machine_ = std::make_unique<ScriptMachine>(
      "  cmd text_init(24, 0, 0, 480, 96, 0, 0, 0)\n"
      "  cmd text(NONE, NONE, \"あいう\", 0)\n"
      "  cmd text(NONE, NONE, \"えおか\", 0)\n");
  ASSERT_TRUE(machine_->loaded());
  adv::AdvContext& context = machine_->context();
  adv::TextLayout().animation_fade = 0;
  machine_->Run();
  adv::TextWindow& window = context.text_window;
  const int32_t shown_length = window.laid_out_length;
  adv::ShownGlyphList() = adv::NewGlyphList();
  adv::AdvTextAppendLine(context, window, machine_->TextOffset(1));
  ASSERT_EQ(adv::NewGlyphList().size(), 3u);
  EXPECT_GT(window.laid_out_length, shown_length);
  EXPECT_STREQ(window.line.text.data(), "\x82\xA0\x82\xA2\x82\xA4\x82\xA6\x82\xA8\x82\xA9");
  YelSprite* sprite = window.text_slot->sprite;
  adv::AdvRevealApply(sprite, window.reveal_map, shown_length);
  EXPECT_EQ(ShownGlyphs(window), 0) << "no appended glyph shows before the shown text's end";
  adv::AdvRevealApply(sprite, window.reveal_map, window.laid_out_length + 64);
  EXPECT_EQ(ShownGlyphs(window), 3);
}

}  // namespace

// The sample game saved at a line and loaded again: the save point of the second line holds the
// window with the first line on it; the load brings the window back as it was, the first line
// drawn whole, and the resumed command shows the second line again.
TEST_F(TextDrawing, TheSampleGameSavedAtALineLoadsWithItsWindow) {
  yel::YelSystemPathInit();
  yel::YelSystemPathSet(SAMPLE_PACK_DIR);
  machine_ = std::make_unique<ScriptMachine>(SampleSource());
  ASSERT_TRUE(machine_->loaded());
  machine_->SetCommand(0x0A0000, IgnoreArguments<2>);  // save
  machine_->SetCommand(0x0A0001, IgnoreArguments<1>);  // load
  machine_->SetCommand(0x0A0009, IgnoreArguments<1>);  // is_save
  machine_->SetCommand(0x0A000B, IgnoreArguments<1>);  // save_point
  adv::AdvContext& context = machine_->context();
  adv::TextWindow& window = context.text_window;
  uint32_t now = 1000;
  std::vector<std::string> texts;
  std::string image;
  const auto show_voiced_line = [&] {
    if (adv::AdvHasAsyncFunction()) {
      std::thread(adv::ThreadBaseWorkerProc, reinterpret_cast<uintptr_t>(&adv::VoiceLoadJob()))
          .join();
      adv::AdvCallAsyncFunction();
    }
  };
  for (int frame = 0; frame < 5000 && texts.size() < 2; ++frame, now += 16) {
    if (adv::ScreenEffectsStep(context, yel::YeltimeGetTime() + (now - 1000))) continue;
    yel::YelInputClear();
    if (context.sound.se_wait_channel != 0) yel::YelInputSetKeyPush(0x800000);
    machine_->Run();
    show_voiced_line();
    adv::ActionsStep(context, yel::YeltimeGetTime() + (now - 1000));
    if (window.line_kind & adv::kLineRevealing) {
      texts.emplace_back(window.line.text.data());
      if (texts.size() == 2) {
        image.assign(reinterpret_cast<const char*>(context.save.buffer.data()),
                     context.save.cursor);
        break;
      }
      adv::AdvTextWaitStep(context, adv::SKIP_BIT_ADVANCE, now);
      adv::AdvTextWaitStep(context, adv::SKIP_BIT_ADVANCE, now);
    }
  }
  ASSERT_EQ(texts.size(), 2u);
  ASSERT_FALSE(image.empty());
  const int32_t text_x = window.text_x;
  const int32_t font_size = window.font_size;

  ASSERT_TRUE(adv::RestoreSnapshot(context, image));
  EXPECT_EQ(window.initialised, 1) << "no text_init is needed after a load";
  EXPECT_EQ(window.text_x, text_x);
  EXPECT_EQ(window.font_size, font_size);
  EXPECT_EQ(window.line.text.data(), texts[0]);
  EXPECT_EQ(std::string(window.line.name.data()), "\x88\xC4\x93\xE0\x90\x6C");  // 案内人
  ASSERT_NE(window.text_slot, nullptr);
  EXPECT_EQ(window.text_slot->position[0], text_x);
  EXPECT_EQ(ShownGlyphs(window), static_cast<int>(adv::NewGlyphList().size()))
      << "the first line is drawn whole";
  EXPECT_GT(adv::NewGlyphList().size(), 0u);
  EXPECT_EQ(window.line_kind, 0u);
  context.script.stop = 0;
  machine_->Run();
  show_voiced_line();
  EXPECT_TRUE(window.line_kind & adv::kLineRevealing);
  EXPECT_EQ(window.line.text.data(), texts[1]) << "the line saved at shows again";
  yel::YelInputClear();
  yel::YelSystemPathUninit();
}

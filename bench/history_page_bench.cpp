// history_begin over a full store: 128 lines of three-line Japanese text with a name measured
// and the newest page built, beside laying out the same 128 texts once with the renderer alone.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "program/game/adv_context.h"
#include "program/startup/yel_import.h"
#include "program/text/history_page.h"
#include "program/text/text_layout.h"

namespace {

constexpr int32_t kFontSize = 24;
constexpr int32_t kTextWidth = 960;
constexpr int32_t kTextHeight = 120;

// Three lines of full-width characters (Shift-JIS) at the window's width, within 383 bytes.
std::string LineText() {
  const char* line =
      "\x82\xB1\x82\xEA\x82\xCD\x83\x54\x83\x93\x83\x76\x83\x8B\x82\xC5\x82\xB7"
      "\x81\x42\x95\xB6\x8E\x9A\x82\xF0\x8F\x87\x94\xD4\x82\xC9\x95\x5C\x8E\xA6"
      "\x82\xB5\x82\xDC\x82\xB7\x81\x42";  // これはサンプルです。文字を順番に表示します。
  std::string text;
  while (text.size() < 3 * 40 * 2) text += line;
  return text.substr(0, 3 * 40 * 2 - 2);
}

struct Library {
  Library() {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    ok = yel::LoadLibraryFrom(YEL_LIBRARY);
    if (!ok) return;
    YelInitParam param{};
    yel::YelDefaultCreate(&param);
    param.option_bits |= YEL_OPTION_HIDDEN;
    param.window_width = param.game_width = 1280;
    param.window_height = param.game_height = 720;
    param.first_func = [] { return 1; };
    ok = yel::YelInit(&param) != 0;
    if (!ok) return;
    render = yel::YelRenderInit();
    yel::YelRenderSetActive(render);
    yel::YelRenderLockEnter();
    yel::YelFontSetFontSize(kFontSize);
  }
  bool ok = false;
  YelRender* render = nullptr;
};

Library& StartedLibrary() {
  static Library library;
  return library;
}

std::unique_ptr<adv::AdvContext> FullStore(YelRender* render) {
  auto context = std::make_unique<adv::AdvContext>();
  context->render = render;
  adv::TextWindow& window = context->text_window;
  window.font_size = kFontSize;
  window.text_width = kTextWidth;
  window.text_height = kTextHeight;
  const std::string text = LineText();
  for (adv::HistoryEntry& entry : context->history.entries) {
    std::memcpy(entry.text.data(), text.data(), text.size());
    std::memcpy(entry.name.data(), "\x88\xC4\x93\xE0\x90\x6C", 6);  // 案内人
  }
  context->history.count = adv::kHistoryEntryCount;
  context->history.page.rect = {160, 40, 1120, 680};
  context->history.page.spacing = 16;
  return context;
}

void BM_LayOutStoredTextsOnly(benchmark::State& state) {
  Library& library = StartedLibrary();
  if (!library.ok) {
    state.SkipWithError("the platform library does not start");
    return;
  }
  auto context = FullStore(library.render);
  for (auto _ : state) {
    int32_t total = 0;
    for (const adv::HistoryEntry& entry : context->history.entries) {
      int32_t x = 0, y = 0;
      adv::AdvDrawText(*context, nullptr, entry.text.data(), &x, &y, kTextWidth, kTextHeight,
                       kFontSize, 0, context->text_window.colours, nullptr);
      total += y;
    }
    benchmark::DoNotOptimize(total);
  }
}
BENCHMARK(BM_LayOutStoredTextsOnly)->Unit(benchmark::kMicrosecond);

void BM_HistoryBeginOver128Lines(benchmark::State& state) {
  Library& library = StartedLibrary();
  if (!library.ok) {
    state.SkipWithError("the platform library does not start");
    return;
  }
  auto context = FullStore(library.render);
  for (auto _ : state) {
    adv::AdvHistoryBegin(*context);
    state.PauseTiming();
    adv::AdvHistoryEnd(*context);
    state.ResumeTiming();
  }
  state.counters["max_pos"] = context->history.page.max_position;
}
BENCHMARK(BM_HistoryBeginOver128Lines)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

// A 3-line page of Japanese text laid out and drawn into the message window's 1024 x 128 text
// sprite, its reveal map built and applied once, beside a plain copy of the same texture bytes.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "program/game/adv_context.h"
#include "program/startup/yel_import.h"
#include "program/text/text_layout.h"
#include "program/text/text_reveal.h"

namespace {

constexpr int32_t kWidth = 1024;
constexpr int32_t kHeight = 128;
constexpr int32_t kFontSize = 24;
constexpr int32_t kTextWidth = 960;

// Three lines of 38 full-width characters (Shift-JIS), broken by width.
std::string PageText() {
  const char* line =
      "\x82\xB1\x82\xEA\x82\xCD\x83\x54\x83\x93\x83\x76\x83\x8B\x82\xC5\x82\xB7"
      "\x81\x42\x95\xB6\x8E\x9A\x82\xF0\x8F\x87\x94\xD4\x82\xC9\x95\x5C\x8E\xA6"
      "\x82\xB5\x82\xDC\x82\xB7\x81\x42";  // これはサンプルです。文字を順番に表示します。
  std::string text;
  while (text.size() < 3 * 38 * 2) text += line;
  return text.substr(0, 3 * 38 * 2);
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
    param.window_width = param.game_width = 320;
    param.window_height = param.game_height = 240;
    param.first_func = [] { return 1; };
    ok = yel::YelInit(&param) != 0;
    if (!ok) return;
    render = yel::YelRenderInit();
    yel::YelRenderSetActive(render);
    yel::YelRenderLockEnter();
  }
  bool ok = false;
  YelRender* render = nullptr;
};

Library& StartedLibrary() {
  static Library library;
  return library;
}

void BM_CopyTextureBytes(benchmark::State& state) {
  std::vector<uint32_t> source(size_t{kWidth} * kHeight, 0x80FFFFFF), target(source.size());
  for (auto _ : state) {
    std::memcpy(target.data(), source.data(), source.size() * sizeof(uint32_t));
    benchmark::DoNotOptimize(target.data());
  }
}
BENCHMARK(BM_CopyTextureBytes);

void BM_LayOutAndDrawPage(benchmark::State& state) {
  Library& library = StartedLibrary();
  if (!library.ok) {
    state.SkipWithError("the platform library does not start");
    return;
  }
  YelSprite* sprite = yel::YelSpriteCreate(library.render, kWidth, kHeight, 100);
  auto context = std::make_unique<adv::AdvContext>();
  adv::RevealMap map;
  adv::AdvRevealMapInit(kTextWidth + kFontSize, kHeight, kFontSize, 0, map);
  const std::string text = PageText();
  for (auto _ : state) {
    yel::YelSpritePaint(sprite, nullptr, 0);
    const int32_t length = adv::AdvDrawText(*context, sprite, text.c_str(), nullptr, nullptr,
                                            kTextWidth, kHeight, kFontSize, 0, {0xFFFFFF, 0}, &map);
    adv::AdvRevealMapBuild(0, sprite, map);
    adv::AdvRevealApply(sprite, map, length / 2);
    benchmark::DoNotOptimize(length);
  }
  adv::AdvRevealMapRelease(map);
  yel::YelSpriteRelease(library.render, sprite);
}
BENCHMARK(BM_LayOutAndDrawPage)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

// A 40-character Japanese line with a one-pixel outline drawn into a sprite-sized buffer: with
// every glyph rasterised anew (the glyph cache emptied before each draw) and with the glyphs
// cached, beside clearing the same buffer.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

#include "YEL/graphics/font_state.h"
#include "os/encoding.h"

namespace {

constexpr int32_t kWidth = 1024;
constexpr int32_t kHeight = 32;

const std::string& Line() {
  static const std::string line = os::Utf8ToCp932(
      "吾輩は猫である。名前はまだ無い。どこで生れたかとんと見当がつかぬ。何でも薄暗い。");
  return line;
}

void SetUpFont() {
  YelFontSetType(0);
  YelFontSetFontSize(24);
  YelFontSetEffect(1);
  YelFontSetColor(0x00FFFFFF, 0x00000000);
}

void EmptyGlyphCache() {
  yel::FontState& state = yel::Fonts();
  std::lock_guard guard(state.lock);
  for (auto& [key, font] : state.fonts) font.glyphs.clear();
}

void BM_ClearBuffer(benchmark::State& state) {
  std::vector<uint32_t> pixels(size_t{kWidth} * kHeight);
  for (auto _ : state) {
    std::fill(pixels.begin(), pixels.end(), 0u);
    benchmark::DoNotOptimize(pixels.data());
  }
}
BENCHMARK(BM_ClearBuffer)->Unit(benchmark::kMicrosecond);

void BM_DrawLineCold(benchmark::State& state) {
  SetUpFont();
  std::vector<uint32_t> pixels(size_t{kWidth} * kHeight);
  YelFontDrawText(pixels.data(), Line().c_str(), 0, 0, kWidth, kHeight);  // opens the face
  for (auto _ : state) {
    state.PauseTiming();
    EmptyGlyphCache();
    std::fill(pixels.begin(), pixels.end(), 0u);
    state.ResumeTiming();
    YelFontDrawText(pixels.data(), Line().c_str(), 0, 0, kWidth, kHeight);
    benchmark::DoNotOptimize(pixels.data());
  }
  state.SetItemsProcessed(state.iterations() * 40);
}
BENCHMARK(BM_DrawLineCold)->Unit(benchmark::kMicrosecond);

void BM_DrawLineWarm(benchmark::State& state) {
  SetUpFont();
  std::vector<uint32_t> pixels(size_t{kWidth} * kHeight);
  YelFontDrawText(pixels.data(), Line().c_str(), 0, 0, kWidth, kHeight);
  for (auto _ : state) {
    std::fill(pixels.begin(), pixels.end(), 0u);
    YelFontDrawText(pixels.data(), Line().c_str(), 0, 0, kWidth, kHeight);
    benchmark::DoNotOptimize(pixels.data());
  }
  state.SetItemsProcessed(state.iterations() * 40);
}
BENCHMARK(BM_DrawLineWarm)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

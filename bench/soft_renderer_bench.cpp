// The software renderer compositing 64 full-screen 1280 x 720 alpha sprites into one frame,
// against a plain loop that blends the same 64 buffers pixel by pixel in the simplest way.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "YEL/render/soft_renderer.h"

namespace {

constexpr int kWidth = 1280;
constexpr int kHeight = 720;
constexpr int kSprites = 64;
constexpr size_t kPixels = size_t{kWidth} * kHeight;

// Pixels of every alpha, the same for both benchmarks.
std::vector<uint32_t> Layer(int seed) {
  std::mt19937 random(static_cast<uint32_t>(seed));
  std::vector<uint32_t> pixels(kPixels);
  for (uint32_t& p : pixels) p = random();
  return pixels;
}

const std::vector<std::vector<uint32_t>>& Layers() {
  static const auto layers = [] {
    std::vector<std::vector<uint32_t>> all;
    for (int i = 0; i < kSprites; ++i) all.push_back(Layer(i));
    return all;
  }();
  return layers;
}

void BM_PlainBlendLoop(benchmark::State& state) {
  std::vector<uint32_t> frame(kPixels);
  for (auto _ : state) {
    std::fill(frame.begin(), frame.end(), 0xFF000000u);
    for (const auto& layer : Layers()) {
      for (size_t i = 0; i < kPixels; ++i) {
        const uint32_t s = layer[i], d = frame[i], a = s >> 24;
        const uint32_t b = ((s & 0xFF) * a + (d & 0xFF) * (255 - a)) / 255;
        const uint32_t g = (((s >> 8) & 0xFF) * a + ((d >> 8) & 0xFF) * (255 - a)) / 255;
        const uint32_t r = (((s >> 16) & 0xFF) * a + ((d >> 16) & 0xFF) * (255 - a)) / 255;
        frame[i] = 0xFF000000u | r << 16 | g << 8 | b;
      }
    }
    benchmark::DoNotOptimize(frame.data());
  }
  state.SetItemsProcessed(state.iterations() * kSprites * static_cast<int64_t>(kPixels));
}
BENCHMARK(BM_PlainBlendLoop)->Unit(benchmark::kMillisecond);

void BM_SoftRendererFrame(benchmark::State& state) {
  yel::RendererParams params;
  params.game_width = params.window_width = kWidth;
  params.game_height = params.window_height = kHeight;
  params.texture_slot_count = kSprites;
  std::unique_ptr<yel::SoftRenderer> renderer = yel::SoftRenderer::Create(params);
  std::vector<yel::SpriteQuad> quads;
  for (const auto& layer : Layers()) {
    YelTexture* texture = renderer->TextureCreate(kWidth, kHeight);
    uint32_t* pixels = yel::TextureLockPixels(texture, nullptr, nullptr);
    std::copy(layer.begin(), layer.end(), pixels);
    yel::TextureUnlockPixels(texture, true);
    yel::SpriteQuad quad;
    quad.texture = texture;
    quad.rect = YelRect{0, 0, kWidth, kHeight};
    quads.push_back(quad);
  }
  for (auto _ : state) {
    renderer->BeginFrame(0xFF000000u);
    for (const yel::SpriteQuad& quad : quads) renderer->DrawSprite(quad);
    benchmark::DoNotOptimize(renderer->Frame());
  }
  state.SetItemsProcessed(state.iterations() * kSprites * static_cast<int64_t>(kPixels));
  for (const yel::SpriteQuad& quad : quads) renderer->TextureRelease(quad.texture);
}
BENCHMARK(BM_SoftRendererFrame)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// One frame of a mask wipe on a 1280x720 picture (the pixel pass a wipe's tick makes over its
// three locked images), beside a memcpy of the same pixels and a plain loop that copies each
// source alpha into the target: the ratios to these are the figures to watch.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "program/layers/mask_wipe.h"

namespace {

constexpr int32_t kWidth = 1280;
constexpr int32_t kHeight = 720;
constexpr size_t kPixels = size_t(kWidth) * kHeight;

struct Images {
  std::vector<uint32_t> from = std::vector<uint32_t>(kPixels);
  std::vector<uint32_t> mask = std::vector<uint32_t>(kPixels);
  std::vector<uint32_t> to = std::vector<uint32_t>(kPixels);
};

// A shaded picture with varied alpha, and a mask that is a diagonal ramp with some grain, so
// every part of the soft edge is met.
Images& Pictures() {
  static Images images = [] {
    Images made;
    uint32_t grain = 1;
    for (int32_t y = 0; y < kHeight; ++y) {
      for (int32_t x = 0; x < kWidth; ++x) {
        grain = grain * 214013 + 2531011;
        const size_t i = size_t(y) * kWidth + x;
        const uint32_t alpha = 128 + ((x + y) & 127);
        made.from[i] = alpha << 24 | uint32_t(x & 0xFF) << 16 | uint32_t(y & 0xFF) << 8 | 0x40;
        const uint32_t blue = ((x + y) * 255 / (kWidth + kHeight) + ((grain >> 16) & 7)) & 0xFF;
        made.mask[i] = 0xFF000000u | blue << 16 | blue << 8 | blue;
        made.to[i] = made.from[i];
      }
    }
    return made;
  }();
  return images;
}

void BM_Memcpy(benchmark::State& state) {
  Images& images = Pictures();
  for (auto _ : state) {
    std::memcpy(images.to.data(), images.from.data(), kPixels * 4);
    benchmark::DoNotOptimize(images.to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kPixels) * 4);
}
BENCHMARK(BM_Memcpy);

void BM_PlainAlphaCopy(benchmark::State& state) {
  Images& images = Pictures();
  for (auto _ : state) {
    const uint32_t* from = images.from.data();
    uint32_t* to = images.to.data();
    for (size_t i = 0; i < kPixels; ++i) to[i] = (to[i] & 0x00FFFFFFu) | (from[i] & 0xFF000000u);
    benchmark::DoNotOptimize(images.to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kPixels) * 4);
}
BENCHMARK(BM_PlainAlphaCopy);

// One tick at a threshold half way through the wipe, both directions.
void BM_WipeTick(benchmark::State& state) {
  Images& images = Pictures();
  const adv::WipeImage from{images.from.data(), kWidth, kHeight};
  const adv::WipeImage mask{images.mask.data(), kWidth, kHeight};
  const adv::WipeImage to{images.to.data(), kWidth, kHeight};
  const auto direction =
      state.range(0) == 0 ? adv::WipeDirection::kAppear : adv::WipeDirection::kDisappear;
  for (auto _ : state) {
    adv::MaskWipeAlpha(direction, from, mask, to, 128);
    benchmark::DoNotOptimize(images.to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kPixels) * 4);
}
BENCHMARK(BM_WipeTick)->Arg(0)->Arg(1);

}  // namespace

BENCHMARK_MAIN();

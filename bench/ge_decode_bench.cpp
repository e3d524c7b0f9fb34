// "GE" decoding of a 1280x720 image in each mode, against memcpy of the decoded size in the same
// run: the ratio of the two is the figure to watch.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "YEL/graphics/image_codecs.h"
#include "tools/image_builder/image_writers.h"

namespace {

constexpr int32_t kWidth = 1280;
constexpr int32_t kHeight = 720;

// Smooth shading with a few hard edges and a little grain, like a painted background.
imgbuild::Picture Background() {
  imgbuild::Picture picture{kWidth, kHeight, std::vector<uint32_t>(size_t(kWidth) * kHeight)};
  uint32_t grain = 1;
  for (int32_t y = 0; y < kHeight; ++y) {
    for (int32_t x = 0; x < kWidth; ++x) {
      grain = grain * 214013 + 2531011;
      const uint32_t noise = (grain >> 16) & 3;
      const uint32_t band = ((x / 160 + y / 90) & 1) * 40;
      const uint32_t r = (x * 200 / kWidth + band + noise) & 0xFF;
      const uint32_t g = (y * 180 / kHeight + noise) & 0xFF;
      const uint32_t b = ((x + y) / 8 + band) & 0xFF;
      picture.pixels[size_t(y) * kWidth + x] = 0xFF000000u | r << 16 | g << 8 | b;
    }
  }
  return picture;
}

const imgbuild::Picture& Picture() {
  static const imgbuild::Picture picture = Background();
  return picture;
}

void BM_MemcpyDecodedSize(benchmark::State& state) {
  const std::vector<uint32_t>& source = Picture().pixels;
  std::vector<uint32_t> target(source.size());
  for (auto _ : state) {
    std::memcpy(target.data(), source.data(), source.size() * 4);
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(source.size()) * 4);
}
BENCHMARK(BM_MemcpyDecodedSize);

void BM_GeDecode(benchmark::State& state) {
  imgbuild::GeOptions options;
  options.mode = int(state.range(0));
  options.bits_per_pixel = 24;
  std::vector<uint8_t> file;
  std::string error;
  if (!imgbuild::WriteGeImage(Picture(), options, file, error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  std::vector<uint32_t> target(size_t(kWidth) * kHeight);
  for (auto _ : state) {
    if (!yel::ImageDecode(file.data(), file.size(), target.data(), kWidth)) {
      state.SkipWithError("decode failed");
      return;
    }
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(target.size()) * 4);
  state.counters["file_bytes"] = double(file.size());
}
BENCHMARK(BM_GeDecode)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

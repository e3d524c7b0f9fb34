// A 1280x720 MPEG-1 clip decoded and converted into a sprite texture's pixels, as the movie's
// decode thread does, frame after frame as fast as it goes. Reported beside the clip's own frame
// rate (fps against clip_fps: above it, the movie plays in time) and beside a plain copy of each
// frame's pixels into the same texture, the floor of any picture path.
#include <benchmark/benchmark.h>

#include <unistd.h>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "YEL/files/file_paths.h"
#include "YEL/media/movie_decoder.h"
#include "YEL/render/texture.h"
#include "YEL/yel.h"
#include "tests/yel/movie_test_support.h"

namespace {

namespace fs = std::filesystem;

constexpr int kWidth = 1280;
constexpr int kHeight = 720;
constexpr int kFps = 25;

// The clip, written once into a folder of its own that the file layer searches.
class Clip {
 public:
  Clip() {
    folder_ = fs::temp_directory_path() / ("yel_movie_bench_" + std::to_string(getpid()));
    fs::create_directories(folder_);
    movietest::ClipRecipe recipe;
    recipe.width = kWidth;
    recipe.height = kHeight;
    recipe.fps = kFps;
    recipe.colours.assign(50, 0);
    recipe.pattern = true;
    ok_ = movietest::EncodeMovie((folder_ / "bench.mpg").string(), recipe);
    yel::SetBaseFolder(folder_.string());
    YelSystemPathInit();
  }
  ~Clip() {
    YelSystemPathUninit();
    fs::remove_all(folder_);
  }
  bool ok() const { return ok_; }

 private:
  fs::path folder_;
  bool ok_ = false;
};

Clip& TheClip() {
  static Clip clip;
  return clip;
}

// A texture slot of the frame size, as a movie sprite's texture holds one.
struct Texture {
  yel::TextureSlotTable table{1};
  YelTexture texture{kWidth, kHeight, nullptr};
  Texture() {
    texture.slot = table.Acquire("movie");
    texture.slot->image = yel::SoftImageAlloc(kWidth, kHeight);
  }
};

void BM_DecodeIntoTexture(benchmark::State& state) {
  if (!TheClip().ok()) return state.SkipWithError("the clip could not be made");
  std::string error;
  auto decoder = yel::MovieDecoder::Open("BENCH.MPG", error);
  if (!decoder) return state.SkipWithError(error.c_str());
  Texture target;
  int64_t frames = 0;
  for (auto _ : state) {
    yel::MovieDecoder::Item item;
    while ((item = decoder->Next()) != yel::MovieDecoder::Item::kVideo) {
      if (item != yel::MovieDecoder::Item::kAudio) decoder->Seek(0);  // the end: again
    }
    int32_t width = 0, height = 0;
    uint32_t* pixels = yel::TextureLockPixels(&target.texture, &width, &height);
    benchmark::DoNotOptimize(decoder->ConvertFrame(pixels, width));
    yel::TextureUnlockPixels(&target.texture, true);
    ++frames;
  }
  state.counters["fps"] =
      benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
  state.counters["clip_fps"] = decoder->FrameRate();
}
BENCHMARK(BM_DecodeIntoTexture)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CopyFrameIntoTexture(benchmark::State& state) {
  Texture target;
  std::vector<uint32_t> frame(size_t{kWidth} * kHeight, 0xFF336699);
  int64_t frames = 0;
  for (auto _ : state) {
    int32_t width = 0, height = 0;
    uint32_t* pixels = yel::TextureLockPixels(&target.texture, &width, &height);
    std::memcpy(pixels, frame.data(), frame.size() * 4);
    benchmark::DoNotOptimize(pixels);
    yel::TextureUnlockPixels(&target.texture, true);
    ++frames;
  }
  state.counters["fps"] =
      benchmark::Counter(static_cast<double>(frames), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CopyFrameIntoTexture)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();

// Snow (255 particles) and blossoms (127) at full count: the start, which makes every particle
// sprite, and one frame's update, which moves every one of them. Beside them, in the same run,
// the platform work they cannot avoid: 255 loads of the flake image and 255 offset updates of
// plain sprites. The platform library runs headless in-process with its render lock held.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "os/picture_codecs.h"
#include "program/game/adv_context.h"
#include "program/layers/layer_services.h"
#include "program/layers/screen_effects.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"

namespace {

constexpr int32_t kGameWidth = 1280;
constexpr int32_t kGameHeight = 720;
constexpr int32_t kFlakes = 255;
constexpr int32_t kStringVariable = 0x10000000;  // the file argument naming string variable 0

struct World {
  bool ok = false;
  std::string folder;
  std::unique_ptr<adv::AdvContext> context;
};

void WritePng(const std::string& path, int32_t w, int32_t h) {
  std::vector<uint32_t> pixels(static_cast<size_t>(w) * h, 0xFFFFFFFF);
  std::vector<uint8_t> file;
  os::PngEncode(pixels.data(), w, h, w, file);
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
}

// The library started once for the whole run, a flake image and an 8-frame petal sheet in a
// folder of its own.
World& TheWorld() {
  static World world = [] {
    World w;
    if (!yel::LoadLibraryFrom(YEL_LIBRARY)) return w;
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    YelInitParam param{};
    yel::YelDefaultCreate(&param);
    param.option_bits |= YEL_OPTION_HIDDEN;
    param.window_width = param.game_width = kGameWidth;
    param.window_height = param.game_height = kGameHeight;
    param.first_func = [] { return 1; };
    param.texture_slot_count = 1535;  // as the game starts it
    if (!yel::YelInit(&param)) return w;
    yel::YelRenderSetActive(yel::YelRenderInit());
    yel::YelRenderLockEnter();
    adv::AdvWindowWidth = kGameWidth;
    adv::AdvWindowHeight = kGameHeight;
    w.folder = (std::filesystem::temp_directory_path() / "effects_bench").string();
    std::filesystem::create_directories(w.folder);
    WritePng(w.folder + "/FLAKE.png", 24, 8);
    WritePng(w.folder + "/PETAL.png", 32, 256);
    yel::YelSystemPathInit();
    yel::YelSystemPathSet(w.folder.c_str());
    w.context = std::make_unique<adv::AdvContext>();
    w.ok = true;
    return w;
  }();
  return world;
}

adv::AdvContext* Context(benchmark::State& state, const char* image) {
  World& world = TheWorld();
  if (!world.ok) {
    state.SkipWithError("the platform library did not start");
    return nullptr;
  }
  auto& name = world.context->values.string_variables[0];
  name.fill(0);
  std::copy(image, image + std::strlen(image), name.begin());
  return world.context.get();
}

using StartFn = int (*)(adv::AdvContext&, int32_t, int32_t, int32_t, int32_t);

void Start(benchmark::State& state, const char* image, StartFn start, int32_t count) {
  adv::AdvContext* context = Context(state, image);
  if (!context) return;
  for (auto _ : state) {
    if (!start(*context, kStringVariable, 0, 40, count)) state.SkipWithError("no particles");
    state.PauseTiming();
    adv::AdvEffectRelease(*context);
    state.ResumeTiming();
  }
}

void Frame(benchmark::State& state, const char* image, StartFn start, int32_t count) {
  adv::AdvContext* context = Context(state, image);
  if (!context) return;
  if (!start(*context, kStringVariable, 0, 40, count)) state.SkipWithError("no particles");
  uint32_t now = yel::YeltimeGetTime();
  for (auto _ : state) {
    now += 16;
    benchmark::DoNotOptimize(adv::ScreenEffectsStep(*context, now));
  }
  adv::AdvEffectRelease(*context);
}

void BM_SnowStart(benchmark::State& state) {
  Start(state, "FLAKE", adv::ScreenSnowStart, adv::kSnowParticleCount);
}
void BM_SnowFrame(benchmark::State& state) {
  Frame(state, "FLAKE", adv::ScreenSnowStart, adv::kSnowParticleCount);
}
void BM_SakuraStart(benchmark::State& state) {
  Start(state, "PETAL", adv::ScreenSakuraStart, adv::kSakuraParticleCount);
}
void BM_SakuraFrame(benchmark::State& state) {
  Frame(state, "PETAL", adv::ScreenSakuraStart, adv::kSakuraParticleCount);
}

// Baselines: the flake image loaded 255 times by the platform, and 255 plain sprites given a
// new offset each, with nothing of the effects around them.
void BM_Baseline255ImageLoads(benchmark::State& state) {
  if (!Context(state, "FLAKE")) return;
  YelRender* render = yel::YelRenderGetActive();
  std::vector<YelSprite*> sprites(kFlakes);
  for (auto _ : state) {
    for (YelSprite*& s : sprites) s = yel::YelSpriteLoad(render, "FLAKE.png", 4990);
    state.PauseTiming();
    for (YelSprite* s : sprites) yel::YelSpriteRelease(render, s);
    state.ResumeTiming();
  }
}

void BM_Baseline255OffsetUpdates(benchmark::State& state) {
  if (!Context(state, "FLAKE")) return;
  YelRender* render = yel::YelRenderGetActive();
  std::vector<YelSprite*> sprites(kFlakes);
  for (YelSprite*& s : sprites) s = yel::YelSpriteCreate(render, 8, 8, 4990);
  int32_t step = 0;
  for (auto _ : state) {
    ++step;
    for (YelSprite* s : sprites) yel::YelSpriteSetOffsetPos(s, step & 63, step & 127);
  }
  for (YelSprite* s : sprites) yel::YelSpriteRelease(render, s);
}

BENCHMARK(BM_Baseline255ImageLoads)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SnowStart)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SakuraStart)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Baseline255OffsetUpdates)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SnowFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SakuraFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

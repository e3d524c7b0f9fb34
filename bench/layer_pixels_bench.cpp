// The pixel commands on a 1280x720 layer, called through the command table as the interpreter
// calls them: sp_update_argb over the whole image, and sp_stretchblt of a 640x360 layer onto it
// in modes 0 (nearest) and 2 (bilinear), beside memcpy of the same image bytes.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <vector>

#include "program/game/adv_context.h"
#include "program/layers/layer_images.h"
#include "program/layers/layer_table.h"
#include "program/script/command_table.h"
#include "program/script/script_names.h"
#include "program/script/value_stores.h"
#include "program/startup/yel_import.h"

namespace {

constexpr int32_t kWidth = 1280;
constexpr int32_t kHeight = 720;
constexpr int32_t kDestination = 3;
constexpr int32_t kSource = 4;

// The library started headless with the render lock held, and two layers: a full-size image
// and a half-size one, both colour planes made by sp_create's road.
struct Scene {
  Scene() {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    if (!yel::LoadLibraryFrom(YEL_LIBRARY)) return;
    YelInitParam param{};
    yel::YelDefaultCreate(&param);
    param.option_bits |= YEL_OPTION_HIDDEN;
    param.window_width = param.game_width = 320;
    param.window_height = param.game_height = 240;
    param.first_func = [] { return 1; };
    if (!yel::YelInit(&param)) return;
    YelRender* render = yel::YelRenderInit();
    yel::YelRenderSetActive(render);
    yel::YelRenderLockEnter();
    context = std::make_unique<adv::AdvContext>();
    context->render = render;
    context->display_queue = yel::YelListCreate();
    ok = MakePlane(kDestination, kWidth, kHeight) && MakePlane(kSource, kWidth / 2, kHeight / 2);
  }
  // A colour plane named through a string variable, as a script's sp_create makes it.
  bool MakePlane(int32_t layer, int32_t width, int32_t height) {
    adv::AdvSetVarString(*context, adv::kStringVariableBit, "#FF336699");
    return adv::AdvLayerCreateImage(*context, layer, adv::kStringVariableBit, 0, 0, width, height,
                                    nullptr) == 1;
  }
  // Pushes the arguments (first argument last, as the script does) and runs the command.
  void Call(uint32_t code, std::initializer_list<int32_t> args) {
    for (auto it = std::rbegin(args); it != std::rend(args); ++it) {
      adv::ValueStackPush(*context, *it);
    }
    adv::CommandFor(code)(*context);
  }
  bool ok = false;
  std::unique_ptr<adv::AdvContext> context;
};

Scene& TheScene() {
  static Scene scene;
  return scene;
}

void BM_MemcpyLayerBytes(benchmark::State& state) {
  std::vector<uint32_t> source(size_t{kWidth} * kHeight, 0xFF336699), target(source.size());
  for (auto _ : state) {
    std::memcpy(target.data(), source.data(), source.size() * sizeof(uint32_t));
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * int64_t{kWidth} * kHeight * 4);
}
BENCHMARK(BM_MemcpyLayerBytes)->Unit(benchmark::kMicrosecond);

void BM_SpUpdateArgb(benchmark::State& state) {
  Scene& scene = TheScene();
  if (!scene.ok) {
    state.SkipWithError("the platform library did not start");
    return;
  }
  for (auto _ : state) {
    scene.Call(0x03005D, {kDestination, 0, 0, kWidth, kHeight, -1});
  }
  state.SetBytesProcessed(state.iterations() * int64_t{kWidth} * kHeight * 4);
}
BENCHMARK(BM_SpUpdateArgb)->Unit(benchmark::kMicrosecond);

// Mode 0 nearest, 2 bilinear: the half-size layer doubled onto the full-size one.
void BM_SpStretchblt(benchmark::State& state) {
  Scene& scene = TheScene();
  if (!scene.ok) {
    state.SkipWithError("the platform library did not start");
    return;
  }
  const int32_t mode = static_cast<int32_t>(state.range(0));
  for (auto _ : state) {
    scene.Call(0x03005F, {kDestination, 0, 0, kWidth, kHeight, kSource, 0, 0, kWidth / 2,
                          kHeight / 2, mode, -1});
  }
  state.SetBytesProcessed(state.iterations() * int64_t{kWidth} * kHeight * 4);
}
BENCHMARK(BM_SpStretchblt)->Arg(0)->Arg(2)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

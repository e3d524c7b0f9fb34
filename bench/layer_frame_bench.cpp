// Frame time of the layer road: a script that sets and moves 64 layers every frame and commits
// them with run, stepped by a task of the running platform library (unlimited frame rate),
// beside a baseline script that only runs an empty commit every frame. Each frame is split into
// the script (with the per-frame slot clear), the slot apply (layer step and
// AdvGraphicSlotApplyAll) and the rest of the frame, which is the present and the frame loop's
// own small work.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "program/game/adv_context.h"
#include "program/layers/graphic_slots.h"
#include "program/layers/layer_services.h"
#include "program/script/script_run.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"
#include "tools/assembler/assembler.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kFrames = 300;
constexpr int32_t kGameWidth = 640;
constexpr int32_t kGameHeight = 360;

// 64 layers, each set anew (a half-transparent colour plane) and moved every frame.
constexpr const char* kLayersScript = R"(
frame:
  mov v1, 0
layer:
  cmd sp_set(f"#80336699", v1, 10, 2)
  mov v5, v1
  mul v5, 4
  add v5, v3
  cmd sp_set_pos_ex(v1, v5, v1, 0)
  add v1, 1
  mov v4, v1
  lt v4, 64
  jz done, v4
  jmp layer
done:
  add v3, 1
  cmd run(0, 0, 0)
  jmp frame
)";

constexpr const char* kBaselineScript = R"(
frame:
  cmd run(0, 0, 0)
  jmp frame
)";

struct FrameTimes {
  std::vector<double> script, apply, rest, frame;  // seconds per frame
};

struct Session {
  adv::AdvContext* context = nullptr;
  FrameTimes* times = nullptr;
  int frame = 0;
  Clock::time_point last_end{};
};

Session g_session;

std::unique_ptr<adv::AdvContext> LoadContext(const char* source) {
  const advasm::AssembleResult result = advasm::Assemble(source, "bench.asm");
  if (!result.ok) return nullptr;
  auto context = std::make_unique<adv::AdvContext>();
  std::string error;
  if (!adv::ScriptLoad(context->script.code, result.files.script, &error) ||
      !adv::LoadFileList(context->lists, result.files.file_list, &error) ||
      !adv::LoadTextList(context->lists, result.files.text_list, &error) ||
      !adv::LoadTableList(context->lists, result.files.table_list, &error) ||
      !adv::LoadPointList(context->lists, result.files.point_list, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return nullptr;
  }
  context->script.entry = context->script.code.entry;
  context->script.pc = context->script.entry;
  return context;
}

double Seconds(Clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

// One frame of the game's layer road; the walk after the last frame ends the library.
int StepFrame(void*) {
  Session& s = g_session;
  const Clock::time_point start = Clock::now();
  if (s.frame > 0) s.times->rest.push_back(Seconds(start - s.last_end));
  if (s.frame == kFrames) {
    adv::AdvLayerTableReset(*s.context);
    adv::RunDisplayQueue(*s.context);
    yel::YelEnd();
    return 1;
  }
  adv::AdvGraphicSlotClearFrameParts(*s.context);
  adv::ScriptRunUntilWait(*s.context);
  s.context->script.stop = 0;
  const Clock::time_point scripted = Clock::now();
  adv::AdvLayerUpdate(*s.context);
  adv::AdvGraphicSlotApplyAll(*s.context);
  s.last_end = Clock::now();
  s.times->script.push_back(Seconds(scripted - start));
  s.times->apply.push_back(Seconds(s.last_end - scripted));
  ++s.frame;
  return 1;
}

int FirstFunc() {
  YelRender* render = yel::YelRenderInit();
  yel::YelRenderSetActive(render);
  g_session.context->render = render;
  g_session.context->display_queue = yel::YelListCreate();
  yel::YelFrameRateSet(-1);
  return yel::YelTaskCreate(StepFrame, nullptr, 16, nullptr, 1, nullptr, "BenchFrames") ? 1 : 0;
}

// Runs the script for kFrames frames in a started library; false when anything fails.
bool RunSession(const char* source, FrameTimes& times) {
  std::unique_ptr<adv::AdvContext> context = LoadContext(source);
  if (!context) return false;
  g_session = Session{context.get(), &times};
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  YelInitParam param{};
  yel::YelDefaultCreate(&param);
  param.option_bits |= YEL_OPTION_HIDDEN;
  param.window_width = param.game_width = kGameWidth;
  param.window_height = param.game_height = kGameHeight;
  param.frame_rate = -1;
  param.first_func = FirstFunc;
  adv::AdvWindowWidth = kGameWidth;
  adv::AdvWindowHeight = kGameHeight;
  if (!yel::YelInit(&param)) return false;
  yel::YelRun();
  yel::YelUninit();
  yel::YelListRelease(context->display_queue);
  return g_session.frame == kFrames && times.rest.size() == static_cast<size_t>(kFrames);
}

// Both scripts run once, in one process, the baseline first.
const FrameTimes* Measured(int which) {
  static FrameTimes times[2];
  static const bool ok = yel::LoadLibraryFrom(YEL_LIBRARY) &&
                         RunSession(kBaselineScript, times[0]) &&
                         RunSession(kLayersScript, times[1]);
  return ok ? &times[which] : nullptr;
}

double Mean(const std::vector<double>& values) {
  double sum = 0;
  for (double v : values) sum += v;
  return values.empty() ? 0 : sum / static_cast<double>(values.size());
}

void ReportFrames(benchmark::State& state, int which) {
  const FrameTimes* times = Measured(which);
  if (!times) {
    state.SkipWithError("the library or the script did not run");
    return;
  }
  size_t i = 0;
  for (auto _ : state) {
    const size_t n = i++ % kFrames;
    state.SetIterationTime(times->script[n] + times->apply[n] + times->rest[n]);
  }
  state.counters["script_ms"] = Mean(times->script) * 1000;
  state.counters["slot_apply_ms"] = Mean(times->apply) * 1000;
  state.counters["present_ms"] = Mean(times->rest) * 1000;
}

void BM_BaselineFrame(benchmark::State& state) {
  ReportFrames(state, 0);
}
void BM_Set64LayersFrame(benchmark::State& state) {
  ReportFrames(state, 1);
}

BENCHMARK(BM_BaselineFrame)->UseManualTime()->Iterations(kFrames)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Set64LayersFrame)->UseManualTime()->Iterations(kFrames)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

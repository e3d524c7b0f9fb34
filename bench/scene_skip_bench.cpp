// A scene skip over 1,000 text lines, which runs inside one frame: scene_skip runs the script on
// within its command through every line (each a save point and a line laid out and drawn into
// the message window) until the choice after them cancels it and rebuilds the scene from its
// snapshot. Beside it, the baseline: one interpreter pass over the same 1,000 lines with a plain
// command call in place of each text, ended by a run.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "program/game/adv_context.h"
#include "program/layers/layer_services.h"
#include "program/savedata/snapshot_services.h"
#include "program/script/script_run.h"
#include "program/startup/yel_import.h"
#include "program/text/text_services.h"
#include "tools/assembler/assembler.h"

namespace {

constexpr int kLines = 1000;

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
  }
  bool ok = false;
  YelRender* render = nullptr;
};

Library& StartedLibrary() {
  static Library library;
  return library;
}

// The window, then from label `again` the lines (each its own text, numbered by the assembler
// from 0) and what ends the pass: `line` is the statement of one line.
std::string Script(const std::string& head, const std::string& line, const std::string& tail) {
  std::string source =
      "  cmd text_init(28, 160, 560, 960, 120, 160, 516, 0)\n"
      "again:\n" +
      head;
  for (int i = 0; i < kLines; ++i) source += line;
  return source + tail;
}

// The skip stops at the choice, before anything of it is made.
constexpr const char* kChoice =
    "  cmd select_init(f\"#FF203050\", 0xFFFFFF, 0xFFFFFF, 0xFFFFFF)\n"
    "  cmd select(1)\n"
    "  cmd select_item(\"end\", again, 0, 0, 3, 0)\n"
    "  cmd end_select\n";

struct Game {
  std::unique_ptr<adv::AdvTaskData> data = std::make_unique<adv::AdvTaskData>();
  uint32_t again = 0;  // code offset of the label `again` from the origin
  bool ok = false;
};

std::unique_ptr<Game> LoadGame(const std::string& source) {
  auto game = std::make_unique<Game>();
  const advasm::AssembleResult result = advasm::Assemble(source, "bench.asm");
  if (!result.ok) {
    std::fprintf(stderr, "%s\n", result.ErrorText().c_str());
    return game;
  }
  adv::AdvContext& context = game->data->context;
  context.task_data = game->data.get();
  std::string error;
  if (!adv::ScriptLoad(context.script.code, result.files.script, &error) ||
      !adv::LoadFileList(context.lists, result.files.file_list, &error) ||
      !adv::LoadTextList(context.lists, result.files.text_list, &error) ||
      !adv::LoadTableList(context.lists, result.files.table_list, &error) ||
      !adv::LoadPointList(context.lists, result.files.point_list, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return game;
  }
  for (const advasm::LabelInfo& label : result.script.labels) {
    if (label.name == "again") game->again = label.offset;
  }
  context.script.entry = context.script.code.entry;
  context.script.pc = context.script.entry;
  context.render = StartedLibrary().render;
  context.display_queue = yel::YelListCreate();
  game->ok = adv::SaveStateInit(context);
  adv::SetScriptThreadId(adv::kRunMain);
  adv::ScriptRunUntilWait(context);  // the window
  return game;
}

void Release(Game& game) {
  adv::AdvContext& context = game.data->context;
  context.skip = adv::SkipWords{};
  adv::AdvTextWindowRelease(context);
  adv::AdvSelectRelease(context);
  adv::AdvLayerTableReset(context);
  adv::RunDisplayQueue(context);
  adv::DisplayQueueClear(context);
  yel::YelListRelease(context.display_queue);
  adv::SaveStateRelease(context);
}

// One frame's pass from `again`.
void RunFromAgain(Game& game) {
  adv::AdvContext& context = game.data->context;
  context.script.pc = context.script.origin + game.again;
  context.script.stop = 0;
  adv::ScriptRunUntilWait(context);
}

void BM_PassOverTheLinesWithoutText(benchmark::State& state) {
  if (!StartedLibrary().ok) {
    state.SkipWithError("the platform library does not start");
    return;
  }
  std::unique_ptr<Game> game =
      LoadGame(Script("", "  cmd skip_is() -> v1\n", "  cmd run(0, 0, 0)\n"));
  if (!game->ok) {
    state.SkipWithError("the script does not load");
    return;
  }
  for (auto _ : state) RunFromAgain(*game);
  state.counters["lines"] = kLines;
  Release(*game);
}
BENCHMARK(BM_PassOverTheLinesWithoutText)->Unit(benchmark::kMillisecond);

void BM_SceneSkipOverTheLines(benchmark::State& state) {
  if (!StartedLibrary().ok) {
    state.SkipWithError("the platform library does not start");
    return;
  }
  std::unique_ptr<Game> game = LoadGame(
      Script("  cmd scene_skip(1)\n",
             "  cmd text(NONE, \"案内人\", \"森の道を抜けると、海が見えてきた。\", 0)\n", kChoice));
  if (!game->ok) {
    state.SkipWithError("the script does not load");
    return;
  }
  adv::AdvContext& context = game->data->context;
  for (auto _ : state) {
    RunFromAgain(*game);
    if (context.skip.scene_skip != 0 || context.select.item_count != 0) {
      state.SkipWithError("the scene skip did not stop at the choice");
      break;
    }
  }
  state.counters["lines"] = kLines;
  Release(*game);
}
BENCHMARK(BM_SceneSkipOverTheLines)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

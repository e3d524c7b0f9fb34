// Instructions per second of the interpreter on a tight arithmetic loop: the script built by the
// assembler, loaded into a context in-process, one pass per benchmark iteration.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "program/game/adv_context.h"
#include "program/script/script_run.h"
#include "program/startup/yel_import.h"
#include "tools/assembler/assembler.h"

namespace {

constexpr int kLoops = 100000;
// Eight instructions per round of the loop, and the first mov.
constexpr int64_t kInstructionsPerPass = 8LL * kLoops + 1;

constexpr const char* kLoopScript = R"(
  mov v1, 0
loop:
  add v2, v1
  mul v3, 3
  xor v3, v2
  add v1, 1
  mov v4, v1
  lt v4, 100000
  jz done, v4
  jmp loop
done:
)";

std::unique_ptr<adv::AdvContext> LoadContext() {
  const advasm::AssembleResult result = advasm::Assemble(kLoopScript, "bench.asm");
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
  context->display_queue = yel::YelListCreate();
  return context;
}

void BM_ArithmeticLoop(benchmark::State& state) {
  if (!yel::LoadLibraryFrom(YEL_LIBRARY)) {
    state.SkipWithError("the platform library does not load");
    return;
  }
  std::unique_ptr<adv::AdvContext> context = LoadContext();
  if (!context) {
    state.SkipWithError("the script does not load");
    return;
  }
  for (auto _ : state) {
    context->script.pc = context->script.entry;
    adv::ScriptRunUntilWait(*context);
    benchmark::DoNotOptimize(context->values.variables[3]);
  }
  if (context->values.variables[1] != kLoops) state.SkipWithError("the loop did not run through");
  state.SetItemsProcessed(state.iterations() * kInstructionsPerPass);
  state.counters["instructions/s"] = benchmark::Counter(
      static_cast<double>(state.iterations() * kInstructionsPerPass), benchmark::Counter::kIsRate);
  yel::YelListRelease(context->display_queue);
}
BENCHMARK(BM_ArithmeticLoop)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// The interpreter's time per round of a loop, beside the same loop in Lua 5.4 run in the same
// process, so that the ratio between the two holds on a noisy machine. Three loops: plain
// arithmetic on the main thread, the same loop in the work-thread mode (the render lock taken and
// left around every instruction), and a loop that calls a command and a gosub/ret pair every
// round. The ratios are printed after the runs.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <vector>
#include <string>

extern "C" {
#include <lauxlib.h>
#include <lua.h>
#include <lualib.h>
}

#include "program/game/adv_context.h"
#include "program/script/script_run.h"
#include "program/startup/yel_import.h"
#include "tests/program/started_library.h"
#include "tools/assembler/assembler.h"

namespace {

constexpr int kRounds = 100000;
constexpr int kRepetitions = 5;

// Eight instructions per round: add, mul, xor, add, mov, lt, jz, jmp.
constexpr const char* kArithmeticScript = R"(
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

// The same loop as a Lua programmer writes it: the variables are locals of the function.
constexpr const char* kArithmeticLua = R"(
return function(rounds)
  local v1, v2, v3, v4 = 0, 0, 0, 0
  while true do
    v2 = v2 + v1
    v3 = v3 * 3
    v3 = v3 ~ v2
    v1 = v1 + 1
    v4 = v1 < rounds
    if not v4 then break end
  end
  return v3
end
)";

// A command (fixed-point multiply) and a gosub/ret pair every round.
constexpr const char* kCallScript = R"(
  mov v1, 0
loop:
  cmd mul(v1, 20000) -> v5
  gosub twice
  add v1, 1
  mov v4, v1
  lt v4, 100000
  jz done, v4
  jmp loop
twice:
  add v6, v5
  add v6, v5
  ret
done:
)";

constexpr const char* kCallLua = R"(
local function twice(v6, v5)
  v6 = v6 + v5
  return v6 + v5
end
return function(rounds)
  local v1, v5, v6 = 0, 0, 0
  local floor = math.floor
  while v1 < rounds do
    v5 = floor(v1 * 20000 / 10000)
    v6 = twice(v6, v5)
    v1 = v1 + 1
  end
  return v6
end
)";

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
  context->display_queue = yel::YelListCreate();
  return context;
}

void ReportRounds(benchmark::State& state) {
  state.counters["time/round"] =
      benchmark::Counter(static_cast<double>(state.iterations()) * kRounds,
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// The platform library in-process, started so that the render lock has an active object to
// lock (the work-thread loop takes it around every instruction) but not running.
bool LibraryStarted() {
  static const bool started = [] {
    return yel::LoadLibraryFrom(YEL_LIBRARY) && test::StartLibraryHidden() != nullptr;
  }();
  return started;
}

template <typename Run>
void RunScript(benchmark::State& state, const char* source, Run run) {
  if (!LibraryStarted()) {
    state.SkipWithError("the platform library does not start");
    return;
  }
  std::unique_ptr<adv::AdvContext> context = LoadContext(source);
  if (!context) {
    state.SkipWithError("the script does not load");
    return;
  }
  for (auto _ : state) {
    context->script.pc = context->script.entry;
    run(*context);
    benchmark::DoNotOptimize(context->values.variables[3]);
  }
  if (context->values.variables[1] != kRounds) state.SkipWithError("the loop did not run through");
  ReportRounds(state);
  yel::YelListRelease(context->display_queue);
}

void BM_Arithmetic(benchmark::State& state) {
  RunScript(state, kArithmeticScript,
            [](adv::AdvContext& context) { adv::ScriptRunUntilWait(context); });
}

// The loop runs until it leaves the end of the code, which ends the work-thread mode.
void BM_ArithmeticWorkThread(benchmark::State& state) {
  RunScript(state, kArithmeticScript, [](adv::AdvContext& context) {
    context.script.threaded = 1;
    adv::ScriptWorkThreadLoop(reinterpret_cast<uintptr_t>(&context));
  });
}

void BM_CommandAndGosub(benchmark::State& state) {
  RunScript(state, kCallScript,
            [](adv::AdvContext& context) { adv::ScriptRunUntilWait(context); });
}

void RunLua(benchmark::State& state, const char* source) {
  lua_State* lua = luaL_newstate();
  luaL_openlibs(lua);
  if (luaL_dostring(lua, source) != LUA_OK) {
    state.SkipWithError(lua_tostring(lua, -1));
    lua_close(lua);
    return;
  }
  for (auto _ : state) {
    lua_pushvalue(lua, -1);
    lua_pushinteger(lua, kRounds);
    lua_call(lua, 1, 1);
    benchmark::DoNotOptimize(lua_tointeger(lua, -1));
    lua_pop(lua, 1);
  }
  ReportRounds(state);
  lua_close(lua);
}

void BM_LuaArithmetic(benchmark::State& state) {
  RunLua(state, kArithmeticLua);
}
void BM_LuaCommandAndGosub(benchmark::State& state) {
  RunLua(state, kCallLua);
}

BENCHMARK(BM_Arithmetic)->Unit(benchmark::kMillisecond)->Repetitions(kRepetitions);
BENCHMARK(BM_LuaArithmetic)->Unit(benchmark::kMillisecond)->Repetitions(kRepetitions);
BENCHMARK(BM_ArithmeticWorkThread)->Unit(benchmark::kMillisecond)->Repetitions(kRepetitions);
BENCHMARK(BM_CommandAndGosub)->Unit(benchmark::kMillisecond)->Repetitions(kRepetitions);
BENCHMARK(BM_LuaCommandAndGosub)->Unit(benchmark::kMillisecond)->Repetitions(kRepetitions);

// Keeps the fastest repetition's real time per round of each benchmark (the one the machine's
// other load disturbed least), then prints the ratios to Lua.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.error_occurred || run.iterations == 0 || run.run_type != Run::RT_Iteration) {
        continue;
      }
      const double ns = run.GetAdjustedRealTime() *
                        (1e9 / benchmark::GetTimeUnitMultiplier(run.time_unit)) / kRounds;
      const auto [it, fresh] = times_.emplace(run.run_name.function_name, ns);
      if (!fresh && ns < it->second) it->second = ns;
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void PrintRatios() const {
    Ratio("BM_Arithmetic", "BM_LuaArithmetic");
    Ratio("BM_ArithmeticWorkThread", "BM_LuaArithmetic");
    Ratio("BM_CommandAndGosub", "BM_LuaCommandAndGosub");
  }

 private:
  void Ratio(const std::string& ours, const std::string& lua) const {
    const auto a = times_.find(ours);
    const auto b = times_.find(lua);
    if (a == times_.end() || b == times_.end()) return;
    std::printf("%-24s %8.2f ns/round   %-22s %8.2f ns/round   ratio %.2f\n", ours.c_str(),
                a->second, lua.c_str(), b->second, a->second / b->second);
  }

  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  if (LibraryStarted()) yel::YelUninit();
  return 0;
}

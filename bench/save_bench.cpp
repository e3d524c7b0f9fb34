// A save to a slot: a full snapshot with its thumbnail taken and written to "save001.dat" through
// the temporary file, flush and rename; beside it, in the same run, a plain write and flush of the
// same number of bytes to one file. The ratio of the two is printed after the runs.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "program/game/adv_context.h"
#include "program/savedata/save_files.h"
#include "program/savedata/snapshot_services.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"

namespace {

constexpr int kRepetitions = 5;

struct Folder {
  Folder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "advbench.XXXXXX").string();
    path = mkdtemp(pattern.data()) ? pattern : std::string();
  }
  ~Folder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  std::string path;
};

// A game state with a full history and a thumbnail of a tenth of the game size.
std::unique_ptr<adv::AdvTaskData> MakeGame() {
  auto data = std::make_unique<adv::AdvTaskData>();
  adv::AdvContext& c = data->context;
  c.task_data = data.get();
  if (!adv::SaveStateInit(c)) return nullptr;
  for (size_t i = 0; i < c.save.thumbnail.size(); ++i) c.save.thumbnail[i] = uint8_t(i * 31);
  c.history.count = adv::kHistoryEntryCount;
  for (adv::HistoryEntry& entry : c.history.entries) entry.text.fill('a');
  return data;
}

uint32_t g_image_bytes = 0;

void BM_SaveToSlot(benchmark::State& state) {
  Folder folder;
  adv::Startup().save_folder = folder.path;
  std::unique_ptr<adv::AdvTaskData> game = MakeGame();
  if (!game) {
    state.SkipWithError("no memory for the save state");
    return;
  }
  adv::AdvContext& c = game->context;
  const std::string path = adv::SlotFilePath(1);
  for (auto _ : state) {
    adv::TakeSavePoint(c, 0);
    if (!adv::WriteSaveFile(c, path)) state.SkipWithError("the save failed");
  }
  g_image_bytes = c.save.cursor;
  state.counters["bytes"] = c.save.cursor;
  adv::SaveStateRelease(c);
}

// open, write the bytes, fsync, close: the least any durable write of them costs.
void BM_PlainWriteAndFsync(benchmark::State& state) {
  Folder folder;
  const std::string path = folder.path + "/plain.dat";
  const std::vector<char> bytes(g_image_bytes ? g_image_bytes : 150000, 'x');
  for (auto _ : state) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) ||
        ::fsync(fd) != 0) {
      state.SkipWithError("the plain write failed");
    }
    if (fd >= 0) ::close(fd);
  }
  state.counters["bytes"] = static_cast<double>(bytes.size());
}

BENCHMARK(BM_SaveToSlot)->Unit(benchmark::kMicrosecond)->Repetitions(kRepetitions);
BENCHMARK(BM_PlainWriteAndFsync)->Unit(benchmark::kMicrosecond)->Repetitions(kRepetitions);

// Keeps the fastest repetition of each (the one the machine's other load disturbed least) and
// prints their ratio.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.error_occurred || run.iterations == 0 || run.run_type != Run::RT_Iteration) {
        continue;
      }
      const double us = run.GetAdjustedRealTime();
      const auto [it, fresh] = times_.emplace(run.run_name.function_name, us);
      if (!fresh && us < it->second) it->second = us;
    }
    ConsoleReporter::ReportRuns(runs);
  }
  void PrintRatio() const {
    const auto save = times_.find("BM_SaveToSlot");
    const auto plain = times_.find("BM_PlainWriteAndFsync");
    if (save == times_.end() || plain == times_.end()) return;
    std::printf("save to slot %.1f us, plain write+fsync of %u bytes %.1f us, ratio %.2f\n",
                save->second, g_image_bytes, plain->second, save->second / plain->second);
  }

 private:
  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  if (!yel::LoadLibraryFrom(YEL_LIBRARY)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatio();
  benchmark::Shutdown();
  return 0;
}

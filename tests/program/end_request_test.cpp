// An end request (SIGTERM or SIGINT) during a script that never yields: the run loop notices it,
// the program ends promptly, and the system files of the session are written.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/program/game_folder.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// How long a thread must run without a pause before it counts as the endless script: the first
// frame can keep the main thread busy for a good part of a second (the renderer's start, which
// under a software GL compiles its programs). The end limits only catch a game that never ends:
// on a loaded machine (a whole test suite at once) a prompt end can still take a few seconds, and
// the sanitizer builds' exit alone (the leak check) takes longer than a plain build's whole end.
#if defined(__SANITIZE_THREAD__)
// Under ThreadSanitizer a thread waiting for one of its locks spins with yields, which the kernel
// does not count as pauses, so the processor times cannot show where the script is: these runs
// check that every end request ends the game and writes its files (and look for races on the
// way), the plain and address-sanitizer runs also check what the script left.
constexpr bool kSeesTheScript = false;
#else
constexpr bool kSeesTheScript = true;
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr double kSpinSeconds = 3.0;
constexpr int kGamesInAll = 8;
constexpr int kGamesAtOnce = 4;
#else
constexpr double kSpinSeconds = 1.0;
constexpr int kGamesInAll = 24;
constexpr int kGamesAtOnce = 8;
#endif

// The script leaves a mark in the system memory, which only the end can bring to "system.dat",
// then jumps to itself for ever.
constexpr const char* kEndlessScript =
    "start:\n"
    "  mov v1, 0\n"
    "  mov sys[v1], 4242\n"
    "loop:\n"
    "  jmp loop\n";
// SystemMemory cells start at byte 3762 of "system.dat".
constexpr size_t kSystemMemoryOffset = 3762;

// What the kernel counts of one thread: processor time (user and system, in clock ticks) and how
// often it gave up the processor of its own accord (sleeping or waiting).
struct ThreadSample {
  long cpu = 0;
  long voluntary_switches = 0;
};

ThreadSample SampleThread(const fs::path& task) {
  ThreadSample sample;
  std::ifstream stat(task / "stat");
  std::string text((std::istreambuf_iterator<char>(stat)), {});
  const size_t close = text.rfind(')');
  if (close == std::string::npos) return sample;
  std::istringstream fields(text.substr(close + 2));
  std::string field;
  for (int i = 3; i <= 15 && fields >> field; ++i) {
    if (i == 14 || i == 15) sample.cpu += std::stol(field);
  }
  std::ifstream status(task / "status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("voluntary_ctxt_switches:", 0) == 0) {
      sample.voluntary_switches = std::stol(line.substr(line.find(':') + 1));
    }
  }
  return sample;
}

std::map<std::string, ThreadSample> SampleThreads(int pid) {
  std::map<std::string, ThreadSample> samples;
  std::error_code error;
  for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", error)) {
    samples[task.path().filename().string()] = SampleThread(task.path());
  }
  return samples;
}

// Polls a condition until it holds or the time is up.
template <typename Condition>
bool WaitUntil(Condition condition, int ms) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
  while (!condition()) {
    if (Clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

// The game is in its endless script once it has written "system.dat" in its first frame and one
// of its threads has then burnt processor time (kSpinSeconds) without once giving the processor up
// of its own accord. Every other thread sleeps now and then: the frame loop sleeps out every
// frame, and the others wait for work.
bool WaitForEndlessScript(test::GameFolder& game, test::Process& process) {
  if (!WaitUntil([&] { return fs::exists(game.SaveFolder() / "system.dat"); }, test::kHungMs)) {
    return false;
  }
  const long busy = static_cast<long>(static_cast<double>(sysconf(_SC_CLK_TCK)) * kSpinSeconds);
  std::map<std::string, ThreadSample> since = SampleThreads(process.pid());
  const auto spinning = [&] {
    for (const auto& [thread, now] : SampleThreads(process.pid())) {
      ThreadSample& base = since[thread];
      if (now.voluntary_switches != base.voluntary_switches) {
        base = now;  // it slept: count its time from here
      } else if (now.cpu - base.cpu >= busy) {
        return true;
      }
    }
    return false;
  };
  return WaitUntil([&] { return spinning() || !process.Running(); }, test::kHungMs);
}

int32_t SystemCell0(const std::vector<uint8_t>& file) {
  if (file.size() < kSystemMemoryOffset + 4) return -1;
  const uint8_t* at = file.data() + kSystemMemoryOffset;
  return static_cast<int32_t>(at[0] | at[1] << 8 | at[2] << 16 |
                              static_cast<uint32_t>(at[3]) << 24);
}

TEST(EndRequest, SigtermEndsANeverYieldingScriptAndWritesTheSystemFiles) {
  test::GameFolder game(kEndlessScript);
  test::Process process = game.Start();
  ASSERT_TRUE(WaitForEndlessScript(game, process)) << process.Stderr();
  ASSERT_TRUE(process.Running()) << process.Stderr();
  fs::remove(game.SaveFolder() / "access.dat");
  process.Signal(SIGTERM);
  EXPECT_EQ(process.Wait(test::kHungMs), 0) << process.Stderr();
  if (kSeesTheScript) {
    EXPECT_EQ(SystemCell0(game.ReadFile(game.SaveFolder() / "system.dat")), 4242);
  }
  EXPECT_TRUE(fs::exists(game.SaveFolder() / "access.dat")) << "written anew at the end";
}

// Many games at once, each ended by SIGINT at a different moment: right after its first frame,
// or once it is deep in its endless script. Every one ends normally.
TEST(EndRequest, SigintAlwaysEndsAnEndlessScriptUnderLoad) {
  constexpr int kAtOnce = kGamesAtOnce;
  for (int first = 0; first < kGamesInAll; first += kAtOnce) {
    std::vector<std::unique_ptr<test::GameFolder>> games;
    std::vector<test::Process> processes;
    for (int i = 0; i < kAtOnce; ++i) {
      games.push_back(std::make_unique<test::GameFolder>(kEndlessScript));
      processes.push_back(games.back()->Start());
    }
    const auto deep = [&](int i) { return (first + i) % 2 == 1; };
    for (int i = 0; i < kAtOnce; ++i) {
      const fs::path system = games[i]->SaveFolder() / "system.dat";
      const bool ready = deep(i) ? WaitForEndlessScript(*games[i], processes[i])
                                 : WaitUntil([&] { return fs::exists(system); }, test::kHungMs);
      ASSERT_TRUE(ready) << processes[i].Stderr();
      processes[i].Signal(SIGINT);
    }
    for (int i = 0; i < kAtOnce; ++i) {
      EXPECT_EQ(processes[i].Wait(test::kHungMs), 0) << "game " << first + i << "\n"
                                                     << processes[i].Stderr();
      if (!deep(i) || !kSeesTheScript) continue;  // the script may not have begun
      EXPECT_EQ(SystemCell0(games[i]->ReadFile(games[i]->SaveFolder() / "system.dat")), 4242)
          << "game " << first + i;
    }
  }
}

}  // namespace

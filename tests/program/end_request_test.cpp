// An end request (SIGTERM or SIGINT) during a script that never yields: the run loop notices it,
// the program ends promptly, and the system files of the session are written.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/program/game_folder.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

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

// CPU time (user and system) one thread has used, in clock ticks, from its "stat" file.
long ThreadCpuTicks(const fs::path& stat_path) {
  std::ifstream stat(stat_path);
  std::string text((std::istreambuf_iterator<char>(stat)), {});
  const size_t close = text.rfind(')');
  if (close == std::string::npos) return 0;
  std::istringstream fields(text.substr(close + 2));
  std::string field;
  long utime = 0, stime = 0;
  for (int i = 3; i <= 15 && fields >> field; ++i) {
    if (i == 14) utime = std::stol(field);
    if (i == 15) stime = std::stol(field);
  }
  return utime + stime;
}

// The CPU time of the process's busiest thread. A script that never yields keeps one thread
// (the game's main thread) busy all the time; the other threads sleep.
long BusiestThreadCpuTicks(int pid) {
  long busiest = 0;
  std::error_code error;
  for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", error)) {
    busiest = std::max(busiest, ThreadCpuTicks(task.path() / "stat"));
  }
  return busiest;
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
// thread has then burnt a whole second of processor time: the rest of the first frame and the
// frames an idle game draws take a small part of that, even in a sanitizer build.
bool WaitForEndlessScript(test::GameFolder& game, test::Process& process) {
  if (!WaitUntil([&] { return fs::exists(game.SaveFolder() / "system.dat"); }, 30000)) {
    return false;
  }
  const long start = BusiestThreadCpuTicks(process.pid());
  const long busy = sysconf(_SC_CLK_TCK);
  return WaitUntil(
      [&] { return BusiestThreadCpuTicks(process.pid()) - start >= busy || !process.Running(); },
      60000);
}

// How long the end may take. The sanitizer builds check what the end writes, not its speed: their
// exit alone (the leak check) can take longer than a plain build's whole end.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr int kEndLimitMs = 10000;
#else
constexpr int kEndLimitMs = 1000;
#endif

int32_t SystemCell0(const std::vector<uint8_t>& file) {
  if (file.size() < kSystemMemoryOffset + 4) return -1;
  const uint8_t* at = file.data() + kSystemMemoryOffset;
  return static_cast<int32_t>(at[0] | at[1] << 8 | at[2] << 16 | static_cast<uint32_t>(at[3]) << 24);
}

TEST(EndRequest, SigtermEndsANeverYieldingScriptWithinASecondAndWritesTheSystemFiles) {
  test::GameFolder game(kEndlessScript);
  test::Process process = game.Start();
  ASSERT_TRUE(WaitForEndlessScript(game, process)) << process.Stderr();
  ASSERT_TRUE(process.Running()) << process.Stderr();
  fs::remove(game.SaveFolder() / "access.dat");
  const auto signalled = Clock::now();
  process.Signal(SIGTERM);
  EXPECT_EQ(process.Wait(kEndLimitMs), 0) << process.Stderr();
  EXPECT_LT(Clock::now() - signalled, std::chrono::milliseconds(kEndLimitMs));
  EXPECT_EQ(SystemCell0(game.ReadFile(game.SaveFolder() / "system.dat")), 4242);
  EXPECT_TRUE(fs::exists(game.SaveFolder() / "access.dat")) << "written anew at the end";
}

// Many games at once, each ended by SIGINT at a different moment: right after its first frame,
// or once it is deep in its endless script. Every one ends normally.
TEST(EndRequest, SigintAlwaysEndsAnEndlessScriptUnderLoad) {
  constexpr int kGames = 24;
  constexpr int kAtOnce = 8;
  for (int first = 0; first < kGames; first += kAtOnce) {
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
                                 : WaitUntil([&] { return fs::exists(system); }, 30000);
      ASSERT_TRUE(ready) << processes[i].Stderr();
      processes[i].Signal(SIGINT);
    }
    for (int i = 0; i < kAtOnce; ++i) {
      EXPECT_EQ(processes[i].Wait(10000), 0) << "game " << first + i << "\n"
                                             << processes[i].Stderr();
      if (!deep(i)) continue;  // the script may not have begun
      EXPECT_EQ(SystemCell0(games[i]->ReadFile(games[i]->SaveFolder() / "system.dat")), 4242)
          << "game " << first + i;
    }
  }
}

}  // namespace

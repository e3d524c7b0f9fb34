// System commands inside Game: the work-thread mode hands the script to the work thread and
// back, app_exec hands a file of the game folder to the desktop's opener, and an end request
// cuts a sleep short.
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/program/game_folder.h"

namespace {

namespace fs = std::filesystem;

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
// The sanitizer builds check that the game ends; their exit alone can take seconds.
constexpr int kEndLimitMs = 30000;
#else
// Well below the longest sleep (10 seconds), so only a sleep that an end request cuts passes.
constexpr int kEndLimitMs = 5000;
#endif

// SystemMemory cells start at byte 3762 of "system.dat".
constexpr size_t kSystemMemoryOffset = 3762;

int32_t SystemCell(const std::vector<uint8_t>& file, size_t n) {
  const size_t at = kSystemMemoryOffset + 4 * n;
  return static_cast<int32_t>(file[at] | file[at + 1] << 8 | file[at + 2] << 16 |
                              static_cast<uint32_t>(file[at + 3]) << 24);
}

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The instructions between work_process_begin and work_process_end run on the work thread (id
// 4); the main thread takes the script back at the next instruction (id 0).
TEST(SystemCommandsProcess, WorkThreadModeRunsAndHandsBack) {
  test::GameFolder game(
      "start:\n"
      "  mov v1, 0\n"
      "  cmd work_process_begin\n"
      "  cmd get_script_thread_id -> v2\n"
      "  mov sys[v1], v2\n"
      "  add v1, 1\n"
      "  cmd work_process_end\n"
      "  cmd get_script_thread_id -> v2\n"
      "  mov sys[v1], v2\n"
      "  add v1, 1\n"
      "  mov sys[v1], 7\n"
      "  end\n");
  std::string err;
  ASSERT_EQ(game.Run({}, &err), 0) << err;
  const std::vector<uint8_t> system = game.ReadFile(game.SaveFolder() / "system.dat");
  ASSERT_GE(system.size(), kSystemMemoryOffset + 12);
  EXPECT_EQ(SystemCell(system, 0), 4);
  EXPECT_EQ(SystemCell(system, 1), 0);
  EXPECT_EQ(SystemCell(system, 2), 7);
}

// The opener is a stand-in on PATH that notes its arguments. The script then sleeps for as long
// as it may; the end request ends the sleep.
TEST(SystemCommandsProcess, AppExecOpensTheFileAndAnEndCutsTheSleep) {
  test::GameFolder game(
      "start:\n"
      "  cmd app_exec(f\"README.TXT\")\n"
      "  cmd sleep(-1)\n"
      "  end\n");
  const fs::path root = game.root();
  std::ofstream(root / "readme.txt") << "read me";
  const fs::path bin = root / "bin";
  fs::create_directories(bin);
  std::ofstream(bin / "xdg-open") << "#!/bin/sh\n"
                                     "printf '%s|%s' \"$#\" \"$1\" > \"$OPENED.part\"\n"
                                     "mv \"$OPENED.part\" \"$OPENED\"\n";
  fs::permissions(bin / "xdg-open", fs::perms::owner_all);
  const fs::path opened = root / "opened.txt";
  const char* path = std::getenv("PATH");
  test::Process process =
      game.Start({"PATH=" + bin.string() + ":" + (path ? path : ""), "OPENED=" + opened.string()});
  ASSERT_TRUE(process.WaitForPath(opened.string(), test::kHungMs)) << process.Stderr();
  EXPECT_EQ(ReadText(opened), "1|" + (fs::canonical(root) / "readme.txt").string());
  process.Signal(SIGTERM);
  EXPECT_TRUE(process.EndsWithin(kEndLimitMs)) << "the sleep held the end";
  EXPECT_EQ(process.Wait(test::kHungMs), 0);
}

}  // namespace

// The interpreter inside Game: a script computes with instructions and commands, keeps its
// results in the system memory and ends; "system.dat" written at the end holds them.
#include <gtest/gtest.h>

#include <cstdint>

#include "tests/program/game_folder.h"

namespace {

// SystemMemory cells start at byte 3762 of "system.dat".
constexpr size_t kSystemMemoryOffset = 3762;

int32_t SystemCell(const std::vector<uint8_t>& file, size_t n) {
  const size_t at = kSystemMemoryOffset + 4 * n;
  return static_cast<int32_t>(file[at] | file[at + 1] << 8 | file[at + 2] << 16 |
                              static_cast<uint32_t>(file[at + 3]) << 24);
}

TEST(InterpreterProcess, ScriptResultsReachSystemDat) {
  test::GameFolder game(
      "start:\n"
      "  mov v1, 0\n"
      "  cmd sin(15708) -> v2\n"
      "  mov sys[v1], v2\n"
      "  add v1, 1\n"
      "  push 7\n"
      "  push 5\n"
      "  gosub add_two\n"
      "  pop sys[v1]\n"
      "  add v1, 1\n"
      "  mov sys[v1], -7\n"
      "  mod sys[v1], 2\n"
      "  end\n"
      "add_two:\n"
      "  enter 2\n"
      "  mov v8, frame[1]\n"
      "  add v8, frame[2]\n"
      "  leave 2\n"
      "  push v8\n"
      "  ret\n");
  std::string err;
  ASSERT_EQ(game.Run({}, &err), 0) << err;
  const std::vector<uint8_t> system = game.ReadFile(game.SaveFolder() / "system.dat");
  ASSERT_GE(system.size(), kSystemMemoryOffset + 16);
  EXPECT_EQ(SystemCell(system, 0), 9999);
  EXPECT_EQ(SystemCell(system, 1), 12);
  EXPECT_EQ(SystemCell(system, 2), -1);
}

// A timed click wait in a game without a message window (a title screen's) ends on its time: the
// script goes on and ends the game.
TEST(InterpreterProcess, ATimedClickWaitWithoutAMessageWindowEndsOnItsTime) {
  test::GameFolder game(
      "start:\n"
      "  cmd wait_click(300)\n"
      "  mov v1, 0\n"
      "  mov sys[v1], 1\n"
      "  end\n");
  std::string err;
  ASSERT_EQ(game.Run({}, &err), 0) << err;
  const std::vector<uint8_t> system = game.ReadFile(game.SaveFolder() / "system.dat");
  ASSERT_GE(system.size(), kSystemMemoryOffset + 4);
  EXPECT_EQ(SystemCell(system, 0), 1);
}

}  // namespace

// The memory-block commands through the command call.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "program/commands/memory_blocks.h"
#include "program/startup/startup_names.h"
#include "tests/program/script_machine.h"
#include "tests/program/temp_folder.h"

namespace {

using test::ScriptMachine;

class MemoryBlocks : public ::testing::Test {
 protected:
  void SetUp() override { adv::ScriptMemoryBlocks().FreeAll(); }
  void TearDown() override { adv::ScriptMemoryBlocks().FreeAll(); }
};

TEST_F(MemoryBlocks, ValuesStayInsideTheirBlock) {
  ScriptMachine m(
      "cmd vmem_create(7, 16, 0) -> v1\n"
      "cmd vmem_set_u32(7, 12, 0x11223344)\n"
      "cmd vmem_get_u32(7, 12) -> v2\n"
      "cmd vmem_get_u32(7, 13) -> v3\n"
      "cmd vmem_set_u32(7, 14, -1)\n"  // would end 2 bytes past the block
      "cmd vmem_set_u8(7, -1, 5)\n"    // an offset that wraps to the block's start
      "cmd vmem_get_u16(7, 12) -> v4\n"
      "cmd vmem_get_u8(7, 15) -> v5\n"
      "cmd vmem_copy(7, 0, 7, 12, 4) -> v6\n"
      "cmd vmem_get_u32(7, 0) -> v7\n"
      "cmd vmem_copy(7, 1, 7, 0, 4) -> v8\n"  // overlapping
      "cmd vmem_get_u32(7, 1) -> v9\n"
      "cmd vmem_copy(7, 0, 7, 4294967295, 2) -> v10\n"
      "cmd vmem_get_count(7) -> v11\n");
  ASSERT_TRUE(m.loaded());
  m.Run();
  EXPECT_EQ(m.V(1), 1);
  EXPECT_EQ(m.V(2), 0x11223344);
  EXPECT_EQ(m.V(3), 0);
  EXPECT_EQ(m.V(4), 0x3344);
  EXPECT_EQ(m.V(5), 0x11);
  EXPECT_EQ(m.V(6), 1);
  EXPECT_EQ(m.V(7), 0x11223344);
  EXPECT_EQ(m.V(8), 1);
  EXPECT_EQ(m.V(9), 0x11223344);
  EXPECT_EQ(m.V(10), 0);
  EXPECT_EQ(m.V(11), 0);  // a byte block has no count: an internal error
  EXPECT_EQ(m.CountLogged("内部エラー"), 1);
}

TEST_F(MemoryBlocks, StringMapsAndKinds) {
  ScriptMachine m(
      "cmd vmem_create(1, 99, 1) -> v1\n"
      "cmd vmem_set_string(1, 5, \"one\") -> v2\n"
      "cmd vmem_set_string(1, 5, \"two\") -> v2\n"
      "cmd vmem_get_count(1) -> v3\n"
      "cmd vmem_get_string(1, 5, s2) -> v4\n"
      "cmd vmem_get_string(1, 6, s3) -> v5\n"
      "cmd vmem_get_string(1, 5, 3) -> v6\n"
      "cmd vmem_create(2, 8, 2)\n"
      "cmd vmem_get_kind(2) -> v7\n"
      "cmd vmem_is_valid(2) -> v8\n"
      "cmd vmem_get_kind(1) -> v9\n"
      "cmd vmem_set_string(2, 1, \"x\") -> v10\n"
      "cmd vmem_delete(2) -> v11\n"
      "cmd vmem_delete(2) -> v12\n"
      "cmd vmem_is_valid(2) -> v13\n");
  ASSERT_TRUE(m.loaded());
  m.Run();
  EXPECT_EQ(m.V(2), 1);
  EXPECT_EQ(m.V(3), 1);
  EXPECT_STREQ(m.context().values.string_variables[2].data(), "two");
  EXPECT_EQ(m.V(4), 1);
  EXPECT_EQ(m.V(5), 1);  // an absent key gives the empty text
  EXPECT_EQ(m.V(6), 0);
  EXPECT_EQ(m.V(7), -1);
  EXPECT_EQ(m.V(8), 0);
  EXPECT_EQ(m.V(9), 1);
  EXPECT_EQ(m.V(10), 0);
  EXPECT_EQ(m.V(11), 1);
  EXPECT_EQ(m.V(12), 0);
  EXPECT_EQ(m.V(13), 0);
}

TEST_F(MemoryBlocks, StringsTooLongForAVariableEmptyIt) {
  adv::ScriptMemoryBlocks().Create(1, 0, adv::kVmemStrings);
  adv::ScriptMemoryBlocks().SetString(1, 0, std::string(2047, 'x'));
  adv::ScriptMemoryBlocks().SetString(1, 1, std::string(2046, 'y'));
  ScriptMachine m(
      "cmd vmem_get_string(1, 1, s1) -> v1\n"
      "cmd strcpy(s0, \"old\", -1)\n"
      "cmd vmem_get_string(1, 0, s0) -> v2\n"
      "cmd vmem_get_string(1, 1, 0x10000010) -> v3\n");
  ASSERT_TRUE(m.loaded());
  m.Run();
  EXPECT_EQ(m.V(1), 1);
  EXPECT_EQ(std::string(m.context().values.string_variables[1].data()).size(), 2046u);
  EXPECT_EQ(m.V(2), 0);
  EXPECT_STREQ(m.context().values.string_variables[0].data(), "");
  EXPECT_EQ(m.V(3), 0);
  EXPECT_TRUE(m.Logged("AdvGetVarString(16): Out of Range", 0));
}

// Saves write exactly the range asked for into the save folder; loads fill the block from its
// start; paths that would leave the game's folders are refused.
TEST_F(MemoryBlocks, FilesSaveAndLoadInsideTheSaveFolder) {
  test::TempFolder save;
  const std::string old = adv::Startup().save_folder;
  adv::Startup().save_folder = save.path();
  save.Write("SHORT.BIN", "AB");
  save.Write("LONG.BIN", std::string(40, 'L'));
  ScriptMachine m(
      "cmd vmem_create(1, 32, 0)\n"
      "mov v9, 16\n"
      "again:\n"
      "cmd vmem_set_u8(1, v9, v9)\n"
      "add v9, 1\nmov v8, v9\nlt v8, 20\njz done, v8\njmp again\ndone:\n"
      "cmd vmem_file_save(1, s0, 16, 4) -> v1\n"
      "cmd vmem_file_save(1, s0, 30, 4) -> v2\n"
      "cmd vmem_file_save(1, s1, 0, 4) -> v3\n"
      "cmd vmem_set_u8(1, 2, 99)\n"
      "cmd vmem_file_load(1, s2) -> v4\n"
      "cmd vmem_get_u32(1, 0) -> v5\n"
      "cmd vmem_file_load(1, s3) -> v6\n"
      "cmd vmem_file_load(1, s4) -> v7\n");
  ASSERT_TRUE(m.loaded());
  auto set = [&](int slot, const std::string& text) {
    std::snprintf(m.context().values.string_variables[slot].data(), 2047, "%s", text.c_str());
  };
  set(0, save.path() + "\\out.bin");
  set(1, save.path() + "\\..\\escape.bin");
  set(2, save.path() + "/SHORT.BIN");
  set(3, save.path() + "/LONG.BIN");
  set(4, save.path() + "/MISSING.BIN");
  m.Run();
  adv::Startup().save_folder = old;
  EXPECT_EQ(m.V(1), 4);
  EXPECT_EQ(save.Read("OUT.BIN"), std::string("\x10\x11\x12\x13"));
  EXPECT_EQ(m.V(2), 0);
  EXPECT_EQ(m.V(3), 0);
  EXPECT_EQ(m.CountLogged("vmem_file_save error"), 1);  // the ".." path; a bad range logs nothing
  EXPECT_EQ(m.V(4), 2);
  EXPECT_EQ(m.V(5), 0x00634241);  // only the file's two bytes changed
  EXPECT_EQ(m.V(6), 0);           // larger than the block
  EXPECT_EQ(m.V(7), 0);
  EXPECT_EQ(m.CountLogged("vmem_file_load error"), 1);
}

}  // namespace

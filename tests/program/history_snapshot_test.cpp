// History snapshots: written at history points while the history-save option is on, loaded back
// by history_load, and deleted once nothing can reach them.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "program/game/game_task.h"
#include "program/savedata/save_files.h"
#include "program/savedata/snapshot_services.h"
#include "program/script/command_table.h"
#include "program/startup/startup_names.h"
#include "tests/program/script_machine.h"
#include "tests/program/temp_folder.h"

namespace {

using test::ScriptMachine;

class HistorySnapshots : public ::testing::Test {
 protected:
  void SetUp() override { adv::Startup().save_folder = folder_.path(); }
  void TearDown() override { adv::Startup().save_folder.clear(); }
  test::TempFolder folder_;
};

TEST_F(HistorySnapshots, SaveAndLoadThroughTheCommands) {
  ScriptMachine machine(
      "cmd save_point(0)\n"
      "cmd history_save()\n"
      "mov v5, 3\n"
      "mov user[v5], 0\n"
      "cmd history_load(0x17)\n");
  ASSERT_TRUE(machine.loaded());
  adv::AdvContext& c = machine.context();
  c.values.system_memory[511] = 0x16;
  c.values.user_memory[3] = 33;

  c.history.save_files = 0;  // off: nothing is written
  machine.Run();
  EXPECT_FALSE(folder_.Exists("hist00000017.dat"));

  adv::AdvResetState(c);
  c.values.system_memory[511] = 0x16;
  c.values.user_memory[3] = 33;
  c.history.save_files = 1;
  c.script.pc = c.script.entry;
  machine.Run();
  EXPECT_TRUE(folder_.Exists("hist00000017.dat"));
  EXPECT_EQ(c.values.system_memory[511], 0x17);
  // The image recorded counter 0x16, so the position after the load is one more.
  EXPECT_EQ(c.values.system_memory[509], 0x17);
  EXPECT_EQ(c.values.user_memory[3], 33);
  EXPECT_EQ(c.script.stop, 1);
  EXPECT_TRUE(machine.Logged("history_load ok", adv::kLogTrace));

  ScriptMachine queries(
      "cmd is_history_save(0x17) -> v1\n"
      "cmd is_history_save(0x18) -> v2\n"
      "cmd history_load(0x30) -> v4\n");
  queries.Run();
  EXPECT_EQ(queries.V(1), 1);
  EXPECT_EQ(queries.V(2), 0);
  EXPECT_EQ(queries.V(4), 0);
  EXPECT_TRUE(queries.Logged("path not enough length or not found", adv::kLogError));

  // A history skip in progress survives the load (called directly: while a skip runs, the pass
  // does not stop at the loaded point).
  c.skip.history_skip = 1;
  c.skip.history_skip_target = 0x1234;
  c.values.result_index = 1;
  adv::ValueStackPush(c, 0x17);
  adv::CommandFor(0x0A0026)(c);
  EXPECT_EQ(machine.V(1), -1);
  EXPECT_EQ(c.skip.history_skip, 1);
  EXPECT_EQ(c.skip.history_skip_target, 0x1234u);
}

// hist1 is reached through hist2, which a slot's history names; hist3 is reached by nothing.
// With a slot that cannot be read, nothing is deleted.
TEST_F(HistorySnapshots, UnreachableFilesAreDeleted) {
  ScriptMachine machine("");
  adv::AdvContext& c = machine.context();
  c.history.save_files = 1;
  const auto write_history = [&](int32_t counter, int32_t refers_to) {
    c.history.count = refers_to ? 1 : 0;
    c.history.entries[0].file_number = refers_to;
    c.values.system_memory[509] = 0;
    c.values.system_memory[511] = counter - 1;
    adv::TakeSavePoint(c, 0);
    adv::HistorySnapshotSave(c);
  };
  write_history(1, 0);
  write_history(2, 1);
  write_history(3, 0);
  c.history.count = 1;
  c.history.entries[0].file_number = 2;
  c.values.system_memory[509] = 0;
  adv::TakeSavePoint(c, 0);
  ASSERT_TRUE(adv::WriteSaveFile(c, adv::SlotFilePath(1)));
  c.history.count = 0;
  c.skip.history_point[0] = 0;

  folder_.Write("save002.dat", "damaged");
  adv::HistoryFilesPrune(c);
  EXPECT_TRUE(folder_.Exists("hist00000003.dat"));

  std::filesystem::remove(folder_ / "save002.dat");
  adv::HistoryFilesPrune(c);
  EXPECT_TRUE(folder_.Exists("hist00000001.dat"));
  EXPECT_TRUE(folder_.Exists("hist00000002.dat"));
  EXPECT_FALSE(folder_.Exists("hist00000003.dat"));
  EXPECT_TRUE(folder_.Exists("save001.dat"));
}

}  // namespace

// History snapshots: written at history points while the history-save option is on, loaded back
// by history_load, and deleted once nothing can reach them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>

#include "program/game/game_task.h"
#include "program/savedata/save_files.h"
#include "program/savedata/snapshot_services.h"
#include "program/script/command_table.h"
#include "program/startup/startup_names.h"
#include "program/text/history_store.h"
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

// hist2 is named by a slot's history, hist4 by the running game's; hist1 only by hist2's own
// history and hist3 by nothing. With a slot that cannot be read, nothing is deleted.
TEST_F(HistorySnapshots, FilesNoHistoryLineNamesAreDeleted) {
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
  write_history(4, 0);
  c.history.count = 1;
  c.history.entries[0].file_number = 2;
  c.values.system_memory[509] = 0;
  adv::TakeSavePoint(c, 0);
  ASSERT_TRUE(adv::WriteSaveFile(c, adv::SlotFilePath(1)));
  c.history.entries[0].file_number = 4;
  c.skip.history_point[0] = 0;

  folder_.Write("save002.dat", "damaged");
  adv::HistoryFilesPrune(c);
  EXPECT_TRUE(folder_.Exists("hist00000003.dat"));

  std::filesystem::remove(folder_ / "save002.dat");
  adv::HistoryFilesPrune(c);
  EXPECT_FALSE(folder_.Exists("hist00000001.dat"));
  EXPECT_TRUE(folder_.Exists("hist00000002.dat"));
  EXPECT_FALSE(folder_.Exists("hist00000003.dat"));
  EXPECT_TRUE(folder_.Exists("hist00000004.dat"));
  EXPECT_TRUE(folder_.Exists("save001.dat"));
}

// Linear play: every line writes a snapshot whose history names the snapshots of the lines
// before it, so through their own histories the newest snapshot reaches every older one. The
// prune keeps what the running game's 128 lines and a save's 128 lines name, no more, and a load
// and a jump back to any of those lines still work afterwards.
TEST_F(HistorySnapshots, LongLinearPlayKeepsWhatTheLinesNameAndTheyStillLoad) {
  ScriptMachine machine("");
  adv::AdvContext& c = machine.context();
  c.history.save_files = 1;
  std::set<int32_t> named;  // by the running game's lines or the save's
  const auto play_lines = [&](int lines) {
    for (int i = 0; i < lines; ++i) {
      auto& entries = c.history.entries;
      std::copy_backward(entries.begin(), entries.end() - 1, entries.end());
      c.history.count = std::min(c.history.count + 1, adv::kHistoryEntryCount);
      entries[0].file_number = c.values.system_memory[509];
      adv::TakeSavePoint(c, 0);
      adv::HistorySnapshotSave(c);
    }
  };
  const auto note_lines = [&] {
    for (int32_t i = 0; i < c.history.count; ++i) named.insert(c.history.entries[i].file_number);
    named.insert(c.values.system_memory[509]);
  };
  play_lines(150);
  adv::TakeSavePoint(c, 0);
  ASSERT_TRUE(adv::WriteSaveFile(c, adv::SlotFilePath(1)));
  note_lines();
  const int32_t save_oldest = c.history.entries[c.history.count - 1].file_number;
  play_lines(150);
  note_lines();
  const int32_t running_oldest = c.history.entries[c.history.count - 1].file_number;
  named.erase(0);  // the first line was committed before any snapshot existed

  adv::HistoryFilesPrune(c);
  std::set<int32_t> kept;
  for (const auto& entry : std::filesystem::directory_iterator(folder_.path())) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("hist", 0) == 0) kept.insert(std::stoi(name.substr(4, 8), nullptr, 16));
  }
  EXPECT_EQ(kept, named);
  EXPECT_LE(kept.size(), 2u * adv::kHistoryEntryCount + 2) << "of 300 written";

  const auto command = [&](uint32_t code, int32_t argument) {
    c.values.result_index = 1;
    adv::ValueStackPush(c, argument);
    adv::CommandFor(code)(c);
  };
  command(0x0A0026, running_oldest);  // history_load: a jump to the oldest line
  EXPECT_EQ(machine.V(1), -1) << running_oldest;
  EXPECT_TRUE(machine.Logged("history_load ok", adv::kLogTrace));
  machine.ClearLog();
  command(0x0A0001, 1);  // load the save, then jump to its oldest line
  EXPECT_EQ(c.history.entries[c.history.count - 1].file_number, save_oldest);
  command(0x0A0026, save_oldest);
  EXPECT_EQ(machine.V(1), -1) << save_oldest;
  EXPECT_FALSE(machine.Logged("not found", adv::kLogError));
}

}  // namespace

// The slot-file commands of a save screen through assembled scripts: move, copy, delete and lock
// of slot files, the queries, the date and time texts, and history snapshots.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "os/encoding.h"
#include "os/file_times.h"
#include "os/message_box.h"
#include "program/commands/save_commands.h"
#include "program/startup/startup_names.h"
#include "tests/program/script_machine.h"
#include "tests/program/temp_folder.h"

namespace {

using test::ScriptMachine;

struct CallResult {
  int32_t result;
  int32_t newest;
};

class SaveSlots : public ::testing::Test {
 protected:
  void SetUp() override {
    adv::Startup().save_folder = folder_.path();
    os::SetMessageBoxHook(
        [](const std::string&, const std::string&, os::BoxButtons) { return os::BoxAnswer::kOk; });
  }
  void TearDown() override {
    os::SetMessageBoxHook({});
    adv::Startup().save_folder.clear();
  }
  // Runs one command call with its result in v1 (-7 when nothing was written) and the newest
  // slot set to `newest` first.
  CallResult Call(const std::string& call, int32_t newest = -1) {
    ScriptMachine machine("cmd " + call + " -> v1\n");
    EXPECT_TRUE(machine.loaded()) << call;
    machine.context().values.variables[1] = -7;
    machine.data().system.settings.newest_save_slot = newest;
    machine.Run();
    return {machine.V(1), machine.data().system.settings.newest_save_slot};
  }
  std::string Files() const {
    std::string names;
    for (const char* name : {"save001.dat", "save002.dat", "save_tmp.dat", "continue.dat"}) {
      if (folder_.Exists(name)) names += std::string(name) + "=" + folder_.Read(name) + " ";
    }
    return names;
  }

  test::TempFolder folder_;
};

TEST_F(SaveSlots, MoveSwapsTwoSlotsAndNeverLosesAFile) {
  struct Case {
    const char* before;  // files of slots 1 and 2 and the swap name: "1=A 2=B T=C"
    int32_t result;
    const char* after;
    int32_t newest_after;  // with slot 2 the newest before
  };
  const Case kCases[] = {
      {"1=A 2=B", 1, "save001.dat=B save002.dat=A ", 1},
      {"2=B", 1, "save001.dat=B ", 1},  // only one file: it moves, and that is a success
      {"1=A", 1, "save002.dat=A ", 1},
      {"", 0, "", 2},
      // A swap file left by an interrupted run may be a slot's only copy: it stays, and so do the
      // slots.
      {"1=A 2=B T=C", 0, "save001.dat=A save002.dat=B save_tmp.dat=C ", 2},
  };
  for (const Case& row : kCases) {
    for (const char* name : {"save001.dat", "save002.dat", "save_tmp.dat"}) {
      std::filesystem::remove(folder_ / name);
    }
    const std::string before = row.before;
    for (size_t at = 0; at + 2 < before.size() + 1; at += 4) {
      const char* name = before[at] == '1'   ? "save001.dat"
                         : before[at] == '2' ? "save002.dat"
                                             : "save_tmp.dat";
      folder_.Write(name, std::string(1, before[at + 2]));
    }
    const CallResult moved = Call("move_file(1, 2)", 2);
    EXPECT_EQ(moved.result, row.result) << row.before;
    EXPECT_EQ(Files(), row.after) << row.before;
    EXPECT_EQ(moved.newest, row.newest_after) << row.before;
  }
}

TEST_F(SaveSlots, CopyDeleteAndTheNewestSlot) {
  folder_.Write("save001.dat", "one");
  folder_.Write("continue.dat", "c");
  EXPECT_EQ(Call("copy_file(2, 1)", 1).result, 1);
  EXPECT_EQ(Call("copy_file(2, 1)", 1).newest, 2);
  EXPECT_EQ(folder_.Read("save002.dat"), "one");
  EXPECT_EQ(Call("copy_file(3, 9)", 9).result, 0);
  EXPECT_EQ(Call("copy_file(3, 9)", 9).newest, 9);

  const CallResult deleted = Call("delete_file(2)", 2);
  EXPECT_EQ(deleted.result, 1);
  EXPECT_EQ(deleted.newest, -1);
  EXPECT_FALSE(folder_.Exists("save002.dat"));
  EXPECT_EQ(Call("delete_file(2)", 5).result, 0);
  EXPECT_EQ(Call("delete_file(-1)").result, 1);  // -1 names "continue.dat"
  EXPECT_FALSE(folder_.Exists("continue.dat"));
  EXPECT_TRUE(folder_.Exists("save001.dat"));
}

TEST_F(SaveSlots, LockKeepsTheDateAndQueriesReadTheFile) {
  folder_.Write("save001.dat", std::string(16, '\0'));
  folder_.Write("save005.dat", "");
  const std::string path = folder_ / "save001.dat";
  const os::FileTime old{1715000000, 0};
  ASSERT_TRUE(os::SetFileModifiedTime(path, old));
  Call("save_lock(1, 7)");
  EXPECT_EQ(Call("is_save_lock(1)").result, 7);
  EXPECT_EQ(Call("is_save_lock(2)").result, 0);
  os::FileTime now;
  ASSERT_TRUE(os::FileModifiedTime(path, now));
  EXPECT_EQ(now.seconds, old.seconds);
  EXPECT_EQ(folder_.Read("save001.dat").size(), 16u);
  // A save writes the slot whole again, unlocked.
  ScriptMachine saver("cmd save_point(0)\ncmd save(1, 0)\ncmd is_save_lock(1) -> v1\n");
  saver.Run();
  EXPECT_EQ(saver.V(1), 0);

  EXPECT_EQ(Call("is_save(1)").result, 1);
  EXPECT_EQ(Call("is_save(5)").result, 0);  // an empty file is no save
  EXPECT_EQ(Call("is_save(-1)").result, 1);
  std::filesystem::remove(path);
  EXPECT_EQ(Call("is_save(-1)").result, 0);
}

// The user memory of a slot follows the thumbnail whose size the file records, whatever the
// current thumbnail size is; an index outside the user memory reads nothing.
TEST_F(SaveSlots, UserMemoryOfASlotUsesTheFilesThumbnailSize) {
  ScriptMachine saver(
      "cmd save_set_thumbnail_size(3, 2)\n"
      "mov v5, 10\n"
      "mov user[v5], 4321\n"
      "cmd save_point(0)\n"
      "cmd save(1, 0)\n"
      "cmd save_set_thumbnail_size(40, 30)\n"
      "cmd save_get_usermemory(1, 10) -> v1\n"
      "mov v2, -7\n"
      "cmd save_get_usermemory(1, 1024) -> v2\n"
      "mov v3, -7\n"
      "cmd save_get_usermemory(8, 0) -> v3\n");
  ASSERT_TRUE(saver.loaded());
  saver.Run();
  EXPECT_EQ(saver.V(1), 4321);
  EXPECT_EQ(saver.V(2), -7);
  EXPECT_EQ(saver.V(3), -7);
  EXPECT_TRUE(saver.Logged("No SaveData. Therefore disregards", adv::kLogTrace));
}

// The date and time go into temporary memory; an index outside it is logged and dropped.
TEST_F(SaveSlots, DateAndTimeOfASlot) {
  folder_.Write("save001.dat", "x");
  const os::FileTime written{1715000000, 0};
  ASSERT_TRUE(os::SetFileModifiedTime(folder_ / "save001.dat", written));
  const os::LocalDateTime local = os::ToLocalDateTime(written);
  ScriptMachine machine(
      "cmd save_get_date(1, 10, 11, 12, 13)\n"
      "cmd save_get_time(1, 20, 4096, 22)\n");
  ASSERT_TRUE(machine.loaded());
  machine.Run();
  const auto& temp = machine.context().values.temp_memory;
  EXPECT_EQ(temp[10], local.year);
  EXPECT_EQ(temp[11], local.month);
  EXPECT_EQ(temp[12], local.day);
  EXPECT_EQ(temp[13], local.weekday);
  EXPECT_EQ(temp[20], local.hour);
  EXPECT_EQ(temp[22], local.second);
  EXPECT_TRUE(machine.Logged("save_get_time : memory index 4096 out of range", adv::kLogError));
}

// What a save screen draws is read only within the file: a thumbnail whose size disagrees with
// its byte count or with the file, and layers outside the table, are refused.
TEST_F(SaveSlots, DrawingRefusesDamagedSlotsAndBadLayers) {
  std::string head(4132 + 24, '\0');
  const auto set = [&head](size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) head[at + i] = static_cast<char>(value >> (8 * i));
  };
  set(4116, 3);
  set(4120, 2);
  set(4124, 28);  // not 3 x 2 x 4
  folder_.Write("save001.dat", head);
  set(4124, 24);
  set(4120, 200);
  folder_.Write("save002.dat", head);  // 3 x 200 pixels would pass the end of the file
  struct Case {
    const char* call;
    const char* logged;
  };
  const Case kCases[] = {
      {"thumbnail_set(0, 1, 0, 0)", "thumbnail_set : damaged thumbnail in SaveFileNo(1)"},
      {"thumbnail_set(0, 2, 0, 0)", "thumbnail_set : damaged thumbnail in SaveFileNo(2)"},
      {"thumbnail_set(128, 1, 0, 0)", "thumbnail_set : layer 128 out of range"},
      {"get_save_text(-1, 1, 0, 0)", "get_save_text : layer -1 out of range"},
      {"get_save_date(200, 1, 0, 0, 0)", "get_save_date : layer 200 out of range"},
  };
  for (const Case& row : kCases) {
    ScriptMachine machine(std::string("cmd ") + row.call + "\n");
    ASSERT_TRUE(machine.loaded()) << row.call;
    machine.Run();
    EXPECT_TRUE(machine.Logged(row.logged, adv::kLogError)) << row.call;
  }
}

// A label that "Point.dat" does not hold leaves the load-after label as it was; 0 is the code
// origin and -1 none.
TEST_F(SaveSlots, LoadAfterLabels) {
  for (const char* label : {"0", "999", "after", "-1"}) {
    ScriptMachine machine(std::string("cmd set_load_after_process(") + label + ")\nafter:\n");
    ASSERT_TRUE(machine.loaded());
    adv::AdvContext& c = machine.context();
    c.save.load_after = 77;
    machine.Run();
    const uint32_t expected = label == std::string("0")     ? 0u
                              : label == std::string("999") ? 77u
                              : label == std::string("after")
                                  ? machine.LabelPc("after") - adv::kCodeOrigin
                                  : adv::kNoLoadAfter;
    EXPECT_EQ(c.save.load_after, expected) << label;
  }
}

TEST(SaveTexts, DateAndTimeFormats) {
  os::LocalDateTime t;
  t.year = 2024;
  t.month = 5;
  t.day = 6;
  t.weekday = 1;
  t.hour = 9;
  t.minute = 5;
  t.second = 7;
  struct Case {
    bool date;
    int32_t format;
    const char* text;  // UTF-8; drawn as CP932
  };
  const Case kCases[] = {
      {false, 0, "09:05:07"},
      {false, 1, "09時05分07秒"},
      {false, 2, "09:05"},
      {false, 3, "09時05分"},
      {false, 4, ""},
      {true, 0, "2024/05/06"},
      {true, 1, "2024/05/06 (月)"},
      {true, 2, ""},
  };
  for (const Case& row : kCases) {
    const std::string text =
        row.date ? adv::SaveDateText(row.format, t) : adv::SaveTimeText(row.format, t);
    EXPECT_EQ(text, os::Utf8ToCp932(row.text)) << row.date << " " << row.format;
  }
}

}  // namespace

// Save and load through assembled scripts: the whole state round-trips byte-exact, damaged and
// short files are refused with the game left as it was, the 2 MiB limit holds exactly, and a
// save that fails at any byte keeps the old file.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>

#include "os/message_box.h"
#include "program/game/game_task.h"
#include "program/savedata/snapshot_services.h"
#include "program/script/script_run.h"
#include "program/startup/startup_names.h"
#include "tests/program/script_machine.h"
#include "tests/program/temp_folder.h"

namespace {

using test::ScriptMachine;

constexpr const char* kScript =
    "start:\n"
    "  cmd save_point(0)\n"
    "resume:\n"
    "  cmd save(3, 1)\n"
    "  jmp done\n"
    "loader:\n"
    "  cmd load(3)\n"
    "  mov v20, 1\n"  // reached only when the load was refused
    "done:\n";

// Where each block starts in an image with a thumbnail of `n` bytes and `returns` return
// records; the sizes are those of the save-file layout.
struct Layout {
  explicit Layout(uint32_t n, uint32_t returns) {
    user = 4132 + n;
    memory_depth = user + 4096;
    string_cursor = memory_depth + 4 + 32 * 1024;
    scene = string_cursor + 4 + 16 * 2047;
    value_count = scene + 24;
    frame_base = value_count + 4 + 256;
    player_name = frame_base + 8 + 2048;
    buttons = player_name + 40;
    select = buttons + 16;
    thread = select + 28;
    layers = thread + 20;
    effects = layers + 128 + 64 * 4;
    fx = effects + 4;
    bgm = fx + 4;
    se = bgm + 2 * 92;
    bgv = se + 4 + 176 + 192 + 16 * 64;
    history = bgv + 640 + 8 * 92;
    text_window = history + 4 + 128 * 492;
    actions = text_window + 4;  // an uninitialised window: its initialised word alone
    return_count = actions + 4 + 128 + 16 * 4;  // no set runs: 16 running words of 0
    end = return_count + 4 + 4 * returns;
  }
  uint32_t user, memory_depth, string_cursor, scene, value_count, frame_base, player_name, buttons,
      select, thread, layers, effects, fx, bgm, se, bgv, history, actions, return_count, end;
  uint32_t text_window;
};

void SetWord(std::string& bytes, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>(value >> (8 * i));
}

void Copy(std::array<char, 32>& to, const char* text) {
  std::strncpy(to.data(), text, to.size());
}

// A state in which every block holds something of its own.
void FillState(adv::AdvContext& c) {
  adv::ValueStores& v = c.values;
  v.user_memory[5] = 1234;
  v.memory_stack_depth = 2;
  v.memory_stack[1][3] = 9;
  v.string_cursor = 4;
  std::strcpy(v.string_variables[2].data(), "abc");
  c.skip.priority_base = 11;
  c.skip.key_cancel = 3;
  c.skip.history_point = {0, 5, 6};
  v.system_memory[509] = 21;
  v.system_memory[511] = 22;
  v.value_count = 2;
  v.value_stack[0] = 77;
  v.value_stack[1] = 78;
  v.frame_base = 10;
  v.frame_top = 3;
  v.frame_stack[2] = 5;
  Copy(c.player_name.name, "Taro");
  c.player_name.name_length = 4;
  c.player_name.changed = 1;
  c.select.init_image = 0x123;
  c.select.init_colours = {1, 2, 3};
  c.select.hooks = {0x40, 0, 0x80};
  c.thread = adv::ScriptThread{1, 1, 0, 0x40, 2};
  c.layers.faces[1] = adv::FaceEntry{1, {2, 3, 4}};
  adv::BgmChannel& bgm = c.sound.bgm[0];
  bgm.handle = 0x30000001;  // a handle of this run: never stored
  bgm.file_id = adv::kFileIdNameInRecord | 1;
  Copy(bgm.name, "BGM01");
  bgm.volume = 80;
  bgm.flags = adv::kBgmFadeRunning;  // stored as finished, at the volume it heads for
  bgm.fade_delta = 5;
  c.sound.se[2].handle = 0x50000002;
  c.sound.se[2].file_id = 9;
  c.sound.se[2].pan = 44;
  c.sound.bgv[1].file_id = 3;
  c.sound.autopan[3].name[0] = 6;
  c.history.count = 2;
  std::strcpy(c.history.entries[0].text.data(), "hello");
  c.history.entries[0].file_number = 7;
  const char kText[] = "\x83\x5A\x81\x5B\x83\x75";  // a save text in CP932
  adv::SaveTextSet(c, kText, sizeof kText - 1);
  c.save.title = 0x10000002;
  for (size_t i = 0; i < c.save.thumbnail.size(); ++i) c.save.thumbnail[i] = uint8_t(i * 7);
  adv::PushDataEntry(c, adv::kListReturnPoint, 0x100, adv::kReturnContinue);
  adv::PushDataEntry(c, adv::kListReturnPoint, 0x200, adv::kReturnContinue);
}

class SaveLoad : public ::testing::Test {
 protected:
  void SetUp() override {
    adv::Startup().save_folder = folder_.path();
    os::SetMessageBoxHook([this](const std::string&, const std::string&, os::BoxButtons) {
      ++boxes_;
      return os::BoxAnswer::kOk;
    });
  }
  void TearDown() override {
    os::SetMessageBoxHook({});
    adv::Startup().save_folder.clear();
  }
  std::string Slot(int n) const {
    char name[32];
    std::snprintf(name, sizeof name, "save%03d.dat", n);
    return folder_.Read(name);
  }
  // The machine saves its filled state to slot 3 and returns the file.
  std::string SaveFilled(ScriptMachine& machine) {
    FillState(machine.context());
    machine.Run();
    return Slot(3);
  }

  test::TempFolder folder_;
  int boxes_ = 0;
};

TEST_F(SaveLoad, TheWholeStateRoundTripsByteExact) {
  ScriptMachine machine(kScript);
  ASSERT_TRUE(machine.loaded());
  adv::AdvContext& c = machine.context();
  const std::string saved = SaveFilled(machine);
  const Layout layout(static_cast<uint32_t>(c.save.thumbnail.size()), 2);
  ASSERT_EQ(saved.size(), layout.end);
  EXPECT_EQ(saved.substr(layout.bgm, 8), std::string("\0\0\0\0\x01\0\0\x10", 8));
  EXPECT_EQ(machine.data().system.settings.newest_save_slot, 3);

  adv::AdvResetState(c);
  c.values.system_memory[509] = 0;
  c.script.pc = machine.LabelPc("loader");
  machine.Run();
  EXPECT_EQ(c.script.pc, machine.LabelPc("resume"));
  EXPECT_EQ(machine.V(20), 0);
  EXPECT_EQ(c.values.user_memory[5], 1234);
  EXPECT_EQ(c.values.memory_stack[1][3], 9);
  EXPECT_STREQ(c.values.string_variables[2].data(), "abc");
  EXPECT_EQ(c.values.value_count, 2);
  EXPECT_EQ(c.values.frame_stack[2], 5);
  EXPECT_EQ(c.values.system_memory[509], 21);
  EXPECT_STREQ(c.player_name.name.data(), "Taro");
  EXPECT_EQ(c.select.hooks[2], 0x80u);
  EXPECT_EQ(c.thread.entry, 0x40u);
  EXPECT_EQ(c.layers.faces[1].layer, 1);
  EXPECT_EQ(c.layers.faces[1].words[2], 4);
  EXPECT_EQ(c.sound.bgm[0].volume, 85);
  EXPECT_EQ(c.sound.bgm[0].handle, 0u);  // the sound did not load: no stale handle
  EXPECT_TRUE(machine.Logged("bgm load error [BGM01]", adv::kLogError));
  EXPECT_EQ(c.history.count, 2);
  EXPECT_STREQ(c.history.entries[0].text.data(), "hello");
  EXPECT_EQ(test::ReturnRecordCount(c, adv::kListReturnPoint), 2);
  EXPECT_EQ(c.save.snapshot_ready, 1);  // the fresh save point after the load

  machine.Run();  // saves the loaded state again
  EXPECT_EQ(Slot(3), saved);
}

// Each row damages one count or length of a good file; the load is refused with a message, and
// the game goes on exactly as it was.
TEST_F(SaveLoad, DamagedFilesAreRefusedAndTheGameGoesOn) {
  ScriptMachine machine(kScript);
  ASSERT_TRUE(machine.loaded());
  adv::AdvContext& c = machine.context();
  const std::string good = SaveFilled(machine);
  const uint32_t n = static_cast<uint32_t>(c.save.thumbnail.size());
  const Layout at(n, 2);
  struct Damage {
    const char* what;
    size_t offset;  // a word set to `value`; SIZE_MAX: the file is cut to `value` bytes
    uint32_t value;
  };
  const Damage kDamages[] = {
      {"empty file", SIZE_MAX, 0},
      {"cut in the head", SIZE_MAX, 4000},
      {"cut in the thumbnail", SIZE_MAX, 4132 + n - 1},
      {"cut in the history", SIZE_MAX, at.history + 100},
      {"last byte missing", SIZE_MAX, at.end - 1},
      {"thumbnail count not W x H x 4", 4124, n + 4},
      {"thumbnail larger than the file", 4116, 0x7FFFFFFF},
      {"memory stack depth 33", at.memory_depth, 33},
      {"string cursor 16", at.string_cursor, 16},
      {"value stack count 65", at.value_count, 65},
      {"negative value stack count", at.value_count, 0xFFFFFFFF},
      {"frame top 513", at.frame_base + 4, 513},
      {"frame base past temporary memory", at.frame_base, 4097},
      {"player name length 33", at.player_name + 32, 33},
      {"button group in use", at.buttons, 1},
      {"layer with an image", at.layers + 128, 5},
      {"no raster end mark", at.fx, 2},
      {"history count 129", at.history, 129},
      {"return count past the end", at.return_count, 1000},
      {"running action set cut short", at.actions + 4 + 128, 1},
      {"active action set 16", at.actions, 16},
  };
  for (const Damage& damage : kDamages) {
    std::string bytes = good;
    if (damage.offset == SIZE_MAX) {
      bytes.resize(damage.value);
    } else {
      SetWord(bytes, damage.offset, damage.value);
    }
    folder_.Write("save003.dat", bytes);
    c.values.user_memory[5] = 555;
    c.values.variables[20] = 0;
    const int32_t returns = test::ReturnRecordCount(c, adv::kListReturnPoint);
    machine.ClearLog();
    c.script.pc = machine.LabelPc("loader");
    machine.Run();
    EXPECT_EQ(machine.V(20), 1) << damage.what;  // the script went on after the refused load
    EXPECT_EQ(c.values.user_memory[5], 555) << damage.what;
    EXPECT_EQ(test::ReturnRecordCount(c, adv::kListReturnPoint), returns) << damage.what;
    EXPECT_TRUE(machine.Logged("load error", adv::kLogError)) << damage.what;
  }
  // A trailing byte is refused too, as is anything that is not a file of at most 2 MiB.
  folder_.Write("save003.dat", good + "x");
  std::filesystem::create_directory(folder_ / "save004.dat");
  folder_.Write("save005.dat", std::string(adv::kSnapshotBufferSize + 1, '\0'));
  for (const char* load : {"cmd load(3)\n", "cmd load(4)\n", "cmd load(5)\n", "cmd load(6)\n"}) {
    ScriptMachine other(std::string(load) + "mov v20, 1\n");
    other.context().values.user_memory[5] = 555;
    other.Run();
    EXPECT_EQ(other.V(20), 1) << load;
    EXPECT_EQ(other.context().values.user_memory[5], 555) << load;
    EXPECT_TRUE(other.Logged("load error", adv::kLogError)) << load;
  }
}

// Random damage of a good file: every load either restores a whole image or is refused with the
// game untouched; none reads outside its buffers (the sanitizer builds check that).
TEST_F(SaveLoad, RandomlyDamagedFilesNeverHurtTheGame) {
  ScriptMachine machine(kScript);
  ASSERT_TRUE(machine.loaded());
  adv::AdvContext& c = machine.context();
  const std::string good = SaveFilled(machine);
  const Layout at(static_cast<uint32_t>(c.save.thumbnail.size()), 2);
  std::mt19937 random(2024);
  for (int round = 0; round < 150; ++round) {
    std::string bytes = good;
    switch (round % 3) {
      case 0:
        bytes.resize(random() % bytes.size());
        break;
      case 1:  // a word anywhere
        SetWord(bytes, random() % (bytes.size() - 4) / 4 * 4, static_cast<uint32_t>(random()));
        break;
      default:  // a count or length word: the head's sizes, or the block starts
        for (uint32_t offset : {4116u, 4120u, 4124u, at.memory_depth, at.string_cursor,
                                at.value_count, at.frame_base, at.history, at.return_count}) {
          if (random() % 3 == 0) SetWord(bytes, offset, static_cast<uint32_t>(random() % 300));
        }
    }
    folder_.Write("save003.dat", bytes);
    c.values.variables[20] = 0;
    c.values.user_memory[6] = round;
    c.script.pc = machine.LabelPc("loader");
    machine.Run();
    if (machine.V(20) == 1) {
      EXPECT_EQ(c.values.user_memory[6], round);  // refused: untouched
    } else {
      EXPECT_EQ(c.script.pc, machine.LabelPc("resume"));
      EXPECT_LE(c.values.value_count, adv::kValueStackSize);
    }
  }
}

// An image of exactly 2,097,152 bytes is saved and loads again; one word more is refused with a
// visible message, and the file of the slot stays as it was.
TEST_F(SaveLoad, TheImageMayFillTheBufferExactly) {
  ScriptMachine machine(
      "cmd save_set_thumbnail_size(1, v1)\n"
      "cmd save_point(0)\n"
      "cmd save(4, 0)\n");
  ASSERT_TRUE(machine.loaded());
  adv::AdvContext& c = machine.context();
  adv::TakeSavePoint(c, 0);
  const uint32_t rest = c.save.cursor - static_cast<uint32_t>(c.save.thumbnail.size());
  c.values.variables[1] = static_cast<int32_t>((adv::kSnapshotBufferSize - rest) / 4);
  machine.Run();
  EXPECT_EQ(Slot(4).size(), adv::kSnapshotBufferSize);
  EXPECT_EQ(boxes_, 0);

  ++c.values.variables[1];
  c.script.pc = c.script.entry;
  machine.Run();
  EXPECT_TRUE(machine.Logged("save buffer over", adv::kLogError));
  EXPECT_EQ(boxes_, 1);
  EXPECT_EQ(Slot(4).size(), adv::kSnapshotBufferSize);

  ScriptMachine loader("cmd load(4)\nmov v20, 1\n");
  loader.Run();
  EXPECT_EQ(loader.V(20), 0);  // loaded: the pass stopped at the resume point
  EXPECT_EQ(loader.context().save.thumbnail_height, c.values.variables[1] - 1);
}

// The file-size limit makes every write past `limit` bytes fail, as a full disk would: the old
// file stays whole, nothing is left beside it, the newest slot does not move, and the player sees
// the failure.
TEST_F(SaveLoad, AnInterruptedSaveKeepsTheOldFile) {
  ScriptMachine machine("cmd save_point(0)\ncmd save(5, 1)\n");
  ASSERT_TRUE(machine.loaded());
  adv::AdvContext& c = machine.context();
  c.values.user_memory[5] = 1;
  machine.Run();
  const std::string old = Slot(5);
  ASSERT_FALSE(old.empty());
  machine.data().system.settings.newest_save_slot = 9;
  c.values.user_memory[5] = 2;
  const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit saved_limit{};
  getrlimit(RLIMIT_FSIZE, &saved_limit);
  int round = 0;
  for (rlim_t limit : {rlim_t{0}, rlim_t{1}, rlim_t{4132}, rlim_t{70000}, rlim_t{old.size() - 1}}) {
    rlimit capped = saved_limit;
    capped.rlim_cur = limit;
    setrlimit(RLIMIT_FSIZE, &capped);
    c.script.pc = c.script.entry;
    machine.Run();
    setrlimit(RLIMIT_FSIZE, &saved_limit);
    ++round;
    EXPECT_EQ(Slot(5), old) << limit;
    EXPECT_EQ(boxes_, round) << limit;
    EXPECT_EQ(machine.data().system.settings.newest_save_slot, 9) << limit;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_.path()), {}), 1);
  }
  std::signal(SIGXFSZ, old_handler);
  c.script.pc = c.script.entry;
  machine.Run();
  EXPECT_NE(Slot(5), old);
  EXPECT_EQ(machine.data().system.settings.newest_save_slot, 5);
}

// A thumbnail size changed after the save point does not go into that image: the file keeps the
// size and pixels its head records, and a load takes that size back. Sizes whose pixels could not
// fit an image are refused and change nothing.
TEST_F(SaveLoad, ThumbnailSizeChangesKeepImagesWhole) {
  ScriptMachine machine(
      "cmd save_set_thumbnail_size(3, 2)\n"
      "cmd save_point(0)\n"
      "cmd save_set_thumbnail_size(5, 5)\n"
      "cmd save(1, 0)\n"
      "cmd save_set_thumbnail_size(-1, 5)\n"
      "cmd save_set_thumbnail_size(100000, 100000)\n"
      "cmd load(1)\n");
  ASSERT_TRUE(machine.loaded());
  adv::AdvContext& c = machine.context();
  machine.Run();
  const std::string file = Slot(1);
  ASSERT_GT(file.size(), 4132u);
  EXPECT_EQ(file[4116], 3);
  EXPECT_EQ(file[4120], 2);
  EXPECT_EQ(file[4124], 24);
  EXPECT_TRUE(machine.Logged("save_set_thumbnail_size  -1, 5 : size refused", adv::kLogError));
  EXPECT_TRUE(
      machine.Logged("save_set_thumbnail_size  100000, 100000 : size refused", adv::kLogError));
  // The load restored the 3 x 2 thumbnail of the file over the 5 x 5 one.
  EXPECT_EQ(c.save.thumbnail_width, 3);
  EXPECT_EQ(c.save.thumbnail_height, 2);
  EXPECT_EQ(c.save.thumbnail.size(), 24u);
}

// Nothing is saved before the first save point, and slots outside 0-999 (1000 loads the
// previous image) are refused with the game going on.
TEST_F(SaveLoad, SlotsOutsideTheRangeAndEarlySavesDoNothing) {
  struct Case {
    const char* script;
    const char* logged;  // at level 0
  };
  const Case kCases[] = {
      // Before the first save point there is nothing to write; the line names the file.
      {"cmd save(1, 1)\n", "save001.dat] : no save point taken yet"},
      {"cmd load(7)\n", "save007.dat]"},  // an empty slot
      {"cmd save_point(0)\ncmd save(1000, 1)\n", "error : save file no [1000]"},
      {"cmd save_point(0)\ncmd save(-1, 1)\n", "error : save file no [-1]"},
      {"cmd load(1001)\n", "error : load file no [1001]"},
      {"cmd load(-1)\n", "error : load file no [-1]"},
  };
  for (const Case& row : kCases) {
    ScriptMachine machine(std::string(row.script) + "mov v20, 1\n");
    ASSERT_TRUE(machine.loaded());
    machine.Run();
    EXPECT_EQ(machine.V(20), 1) << row.script;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_.path()), {}), 0)
        << row.script;
    EXPECT_TRUE(machine.Logged(row.logged, adv::kLogError)) << row.script;
    EXPECT_FALSE(machine.Logged("save  ", adv::kLogTrace)) << row.script;
  }
}

// A rebuild (a cancelled skip) restores the image of the last save point and calls the
// load-after label that image recorded.
TEST_F(SaveLoad, ARebuildCallsTheLoadAfterLabelOfItsImage) {
  ScriptMachine machine(
      "cmd set_load_after_process(after)\n"
      "cmd save_point(0)\n"
      "resume:\n"
      "cmd set_load_after_process(-1)\n"
      "jmp done\n"
      "after:\n"
      "ret\n"
      "done:\n");
  ASSERT_TRUE(machine.loaded());
  adv::AdvContext& c = machine.context();
  c.values.user_memory[4] = 4;
  machine.Run();
  c.values.user_memory[4] = 5;
  ASSERT_TRUE(adv::ReloadSnapshot(c));
  EXPECT_EQ(c.values.user_memory[4], 4);
  EXPECT_EQ(c.script.pc, machine.LabelPc("after"));
  EXPECT_EQ(test::ReturnRecordCount(c, adv::kListReturnPoint), 1);
  machine.Run();  // the label returns to the resume point
  EXPECT_EQ(c.save.load_after, adv::kNoLoadAfter);
}

// Slot 1000 is the state before the last choice; without one the load changes nothing, and a
// rebuild with no save point taken does nothing either. (Variables are not part of an image, so
// the script marks its way in user memory.)
TEST_F(SaveLoad, ThePreviousImageAndRebuildsNeedAnImage) {
  ScriptMachine machine(
      "cmd load(1000)\n"
      "mov v5, 1\n"
      "mov user[v5], 1\n"
      "cmd save_point(0)\n"
      "cmd save_point(1000)\n"
      "mov v5, 0\n"
      "mov user[v5], 99\n"
      "cmd load(1000)\n"
      "mov v22, 1\n");
  ASSERT_TRUE(machine.loaded());
  adv::AdvContext& c = machine.context();
  EXPECT_FALSE(adv::ReloadSnapshot(c));
  c.values.user_memory[0] = 7;
  machine.Run();
  EXPECT_TRUE(machine.Logged("error : load prev : no previous data", adv::kLogError));
  EXPECT_EQ(c.values.user_memory[1], 1);      // the refused load let the script go on
  EXPECT_EQ(c.values.user_memory[0], 7);      // the state before the choice is back
  EXPECT_EQ(machine.V(22), 0);                // the load stopped the pass at the resume point
  EXPECT_EQ(c.save.previous_raw_length, 0u);  // none after a load
  EXPECT_TRUE(machine.Logged("load prev", adv::kLogTrace));
}

}  // namespace

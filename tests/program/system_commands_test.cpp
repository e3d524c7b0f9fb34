// The system commands of group 0x12, each called from an assembled script.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "os/clock.h"
#include "os/system_info.h"
#include "program/commands/system_commands.h"
#include "program/savedata/snapshot_services.h"
#include "program/script/instructions.h"
#include "program/script/script_names.h"
#include "program/script/script_run.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"
#include "program/text/text_services.h"
#include "tests/program/script_machine.h"
#include "tests/program/started_library.h"
#include "tests/program/temp_folder.h"

namespace {

using test::ScriptMachine;

void SetString(adv::AdvContext& context, int n, const char* text) {
  auto& variable = context.values.string_variables[static_cast<size_t>(n)];
  variable.fill(0);
  std::strncpy(variable.data(), text, variable.size() - 1);
}

// ---- Results of one call -------------------------------------------------------------------

struct ResultCase {
  const char* call;  // the command and its arguments, result into v1
  int32_t result;
};

void PrintTo(const ResultCase& row, std::ostream* os) {
  *os << row.call;
}

const ResultCase kResultCases[] = {
    {"strcmpi(\"ABC\", \"abc\")", 0},
    {"strcmpi(\"Abc\", \"abd\")", 1},
    {"strcmpi(\"abc\", \"abcd\")", 1},
    {"strcmpi(\"ア\", \"ヂ\")", 1},  // 83 41 and 83 61: the second bytes are not letters
    {"strcmpi(\"ＡＢ\", \"ＡＢ\")", 0},
    {"strcmpi(NONE, \"\")", 0},
    {"gesture_call_set(3, 0x40)", 1},
    {"gesture_call_set(7, 0x40)", 1},
    {"gesture_call_set(8, 0x40)", 0},
    {"gesture_call_set(2, 0x40)", 0},
    {"gesture_call_reset(5)", 1},
    {"gesture_call_reset(-1)", 0},
    {"gesture_get(2)", 0},  // no gesture delivered: an all-zero record
    {"gesture_get(9)", 0},
    {"get_os_version(3)", 2},
    {"get_os_version(4)", 0},
    {"get_os_version(5)", 0},
    {"get_os_version(6)", 0},
    {"get_os_version(7)", 1},
    {"get_os_version(8)", 0},
    {"get_os_version(-1)", 0},
    {"get_memory_status(8, -1)", 0},
    {"get_memory_status(7, -1)", 0},
    {"get_memory_status(-1, -1)", 0},
    {"get_disk_free(3, -1)", 0},
    // The software renderer: no 3D figures.
    {"is_3d", 0},
    {"get_display_info(0, 0)", 0},
    {"get_max_texture_width", 0},
    {"get_max_texture_height", 0},
    {"is_texture_pow2", 0},
    {"get_texture_memory", 0},
    {"get_start_option", 0},
    {"is_scene_skip", 0},
};

class SystemResult : public ::testing::TestWithParam<ResultCase> {};

TEST_P(SystemResult, WritesTheResultVariable) {
  ScriptMachine machine(std::string("mov v1, 12345\ncmd ") + GetParam().call + " -> v1\n");
  ASSERT_TRUE(machine.loaded());
  machine.Run();
  EXPECT_EQ(machine.V(1), GetParam().result);
  EXPECT_EQ(machine.context().values.value_count, 0) << "every argument popped";
  EXPECT_EQ(machine.CountLogged("内部エラー"), 0);
}

INSTANTIATE_TEST_SUITE_P(SystemCommands, SystemResult, ::testing::ValuesIn(kResultCases));

TEST(SystemCommands, BadGestureIdsAreLogged) {
  ScriptMachine machine("cmd gesture_call_set(8, 1) -> v1\ncmd gesture_call_reset(2) -> v2\n");
  ASSERT_TRUE(machine.loaded());
  machine.Run();
  EXPECT_TRUE(machine.Logged("gesture_call_set : 未定義コード[8]", adv::kLogError));
  EXPECT_TRUE(machine.Logged("gesture_call_reset : 未定義コード[2]", adv::kLogError));
}

// ---- Network services that are not offered --------------------------------------------------

struct TweetCase {
  const char* call;
  const char* notice;
  int32_t result;  // 12345: none written
};

TEST(SystemCommands, NetworkServicesFailWithTheirNotice) {
  const TweetCase cases[] = {
      {"is_tweet", "is_tweet : NOT SUPPORT", 0},
      {"twitter(1, 2)", "twitter : NOT SUPPORT", 12345},
      {"result_tweet", "result_tweet : NOT SUPPORT", -1},
      {"get_tweet_key(1, 2)", "get_tweet_key : NOT SUPPORT", 12345},
      {"set_tweet_key(1, 2)", "set_tweet_key : NOT SUPPORT", 12345},
      {"tweet_authorize", "tweet_authorize : NOT SUPPORT", 12345},
  };
  for (const TweetCase& row : cases) {
    ScriptMachine machine(std::string("mov v1, 12345\ncmd ") + row.call + " -> v1\n");
    ASSERT_TRUE(machine.loaded());
    machine.Run();
    EXPECT_EQ(machine.V(1), row.result) << row.call;
    EXPECT_TRUE(machine.Logged(row.notice, adv::kLogError)) << row.call;
    EXPECT_EQ(machine.CountLogged("内部エラー code = [0x00120"), 1) << row.call;
    EXPECT_EQ(machine.context().values.value_count, 0) << row.call;
  }
}

// ---- Run state and time ---------------------------------------------------------------------

TEST(SystemCommands, StartFlagNeedsTheStartWord) {
  adv::StartupNames& names = adv::Startup();
  const int32_t saved = names.start_word;
  for (const int32_t start_word : {0, 1}) {
    names.start_word = start_word;
    ScriptMachine machine("cmd get_start_flag -> v1\n");
    ASSERT_TRUE(machine.loaded());
    machine.data().start_flag = 1;
    machine.Run();
    EXPECT_EQ(machine.V(1), start_word);
  }
  names.start_word = saved;
}

TEST(SystemCommands, SystemTimeIsTheMillisecondClock) {
  ScriptMachine machine("cmd get_system_time -> v1\n");
  ASSERT_TRUE(machine.loaded());
  const uint32_t before = os::TimeMs();
  machine.Run();
  const uint32_t after = os::TimeMs();
  EXPECT_LE(static_cast<uint32_t>(machine.V(1)) - before, after - before);
}

// These end the frame's script run: the next instruction waits for the next pass.
TEST(SystemCommands, TitleAndSystemValueEndTheRun) {
  for (const char* call :
       {"set_window_title(NONE)", "set_window_title(\"タイトル\")", "get_system_value -> v2"}) {
    ScriptMachine machine(std::string("cmd ") + call + "\nmov v1, 1\n");
    ASSERT_TRUE(machine.loaded());
    machine.Run();
    EXPECT_EQ(machine.V(1), 0) << call;
    machine.Run();
    EXPECT_EQ(machine.V(1), 1) << call;
  }
}

TEST(SystemCommands, MosaicThumbnailIsEitherSwitch) {
  const int32_t cases[][3] = {{0, 0, 0}, {1, 0, 1}, {0, 1, 1}, {1, 1, 1}};
  for (const auto& [save_flag, settings_flag, result] : cases) {
    ScriptMachine machine("cmd is_mosaic_thumbnail -> v1\n");
    ASSERT_TRUE(machine.loaded());
    machine.context().save.mosaic = save_flag;
    machine.data().system.settings.thumbnail_mosaic = settings_flag;
    machine.Run();
    EXPECT_EQ(machine.V(1), result) << save_flag << settings_flag;
  }
}

TEST(SystemCommands, ContextWordKeepsTheValue) {
  ScriptMachine machine("cmd set_context_word(0x7654321)\n");
  ASSERT_TRUE(machine.loaded());
  machine.Run();
  EXPECT_EQ(machine.context().context_word, 0x7654321u);
}

// -1 asks for ever, which would stall the frames (and hold the render lock) for good.
TEST(SystemCommands, SleepIsBounded) {
  const std::pair<int32_t, uint32_t> cases[] = {{0, 0},         {16, 16},    {10000, 10000},
                                                {10001, 10000}, {-1, 10000}, {INT_MIN, 10000}};
  for (const auto& [requested, ms] : cases) EXPECT_EQ(adv::SleepDuration(requested), ms);

  ScriptMachine machine("cmd sleep(1)\nmov v1, 1\n");
  ASSERT_TRUE(machine.loaded());
  machine.Run();
  EXPECT_EQ(machine.V(1), 1);
}

TEST(SystemCommands, GettersPassOnTheLibrarysWords) {
  ScriptMachine machine(
      "cmd get_alloc_count -> v1\ncmd get_change_window_mode_time -> v2\n"
      "cmd get_time_10ms -> v3\ncmd is_touch_mode -> v4\n");
  ASSERT_TRUE(machine.loaded());
  machine.Run();
  EXPECT_EQ(machine.V(1), yel::YelGetAllocCount());
  EXPECT_GT(machine.V(1), 0) << "the machine's display queue is a block";
  EXPECT_EQ(machine.V(2), static_cast<int32_t>(yel::YelGetChangeWindowModeTime()));
  EXPECT_EQ(machine.V(3), static_cast<int32_t>(yel::YeltimeGetTime() / 10));
  EXPECT_EQ(machine.V(4), 0);
  EXPECT_TRUE(machine.Logged("get_change_window_mode_time", adv::kLogTrace));
}

// ---- The desktop's "open" ------------------------------------------------------------------

// Only files of the game folder are opened: the name is joined to the folder, never taken alone.
TEST(SystemCommands, AppExecRefusesNamesOutsideTheGameFolder) {
  for (const char* name : {"..\\secret.txt", "docs\\..\\..\\x.txt", "\\etc\\passwd", "/etc/passwd",
                           "c:\\x.txt", "..", ""}) {
    ScriptMachine machine("cmd app_exec(s0)\n");
    ASSERT_TRUE(machine.loaded());
    SetString(machine.context(), 0, name);
    machine.Run();
    EXPECT_TRUE(machine.Logged("is not a file of the game folder", adv::kLogError)) << name;
    EXPECT_FALSE(machine.Logged("xdg-open", adv::kLogError)) << name;
  }
}

TEST(SystemCommands, AppExecWithoutAnOpenerSaysSo) {
  test::TempFolder empty;
  const char* path = std::getenv("PATH");
  const std::string saved = path ? path : "";
  setenv("PATH", empty.path().c_str(), 1);
  ScriptMachine machine("cmd app_exec(f\"README.TXT\")\nmov v1, 1\n");
  ASSERT_TRUE(machine.loaded());
  machine.Run();
  setenv("PATH", saved.c_str(), 1);
  EXPECT_TRUE(machine.Logged("app_exec  README.TXT", adv::kLogTrace));
  EXPECT_TRUE(machine.Logged("xdg-open is not installed", adv::kLogError));
  EXPECT_EQ(machine.V(1), 1);
}

// ---- Skip latch ------------------------------------------------------------------------------

TEST(SystemCommands, SkipLatchKeepsItsBitsUntilEndSkip) {
  ScriptMachine machine(
      "cmd begin_skip\n"
      "cmd get_begin_skip_keystate -> v1\n"
      "cmd end_skip\n"
      "cmd get_begin_skip_keystate -> v2\n");
  ASSERT_TRUE(machine.loaded());
  adv::AdvContext& c = machine.context();
  c.skip.skip_latch_bits = 0x55;
  machine.Steps(1);
  EXPECT_EQ(c.skip.skip_latch_on, 1);
  EXPECT_EQ(c.skip.skip_latch_bits, 0u) << "begin_skip starts with no bits";
  c.skip.skip_latch_bits = 8;  // a decide-key advance arrived
  machine.Run();
  EXPECT_EQ(machine.V(1), 8);
  EXPECT_EQ(machine.V(2), 0);
  EXPECT_EQ(c.skip.skip_latch_on, 0);
  EXPECT_TRUE(machine.Logged("get_begin_skip_keystate 8", adv::kLogTrace));
  EXPECT_TRUE(machine.Logged("begin_skip", adv::kLogTrace));
  EXPECT_TRUE(machine.Logged("end_skip", adv::kLogTrace));
}

// ---- Work-thread mode ----------------------------------------------------------------------

// Whenever the mode cannot begin, the script goes on with the next instruction on this thread.
TEST(SystemCommands, WorkProcessBeginThatCannotBeginGoesOn) {
  struct Case {
    const char* what;
    bool effects_on;
    int32_t skip_mode;
    const char* log;  // null: nothing logged
  };
  const Case cases[] = {
      {"effects off", false, 0, nullptr},
      {"a skip runs", true, 1, nullptr},
      {"no work thread runs", true, 0, "work_process_begin: the work thread takes no job"},
  };
  for (const Case& row : cases) {
    ScriptMachine machine("cmd work_process_begin\nmov v1, 1\n");
    ASSERT_TRUE(machine.loaded());
    yel::YelEffectEnable(row.effects_on ? 1 : 0);
    machine.context().skip.skip_mode = row.skip_mode;
    EXPECT_EQ(machine.Run(), 1) << row.what;
    yel::YelEffectEnable(1);
    EXPECT_EQ(machine.V(1), 1) << row.what;
    EXPECT_EQ(machine.context().script.threaded.load(), 0) << row.what;
    EXPECT_EQ(machine.CountLogged("takes no job"), row.log ? 1 : 0) << row.what;
  }
}

TEST(SystemCommands, WorkProcessBeginWhileThreadedQueuesNothing) {
  ScriptMachine machine("cmd work_process_begin\n");
  ASSERT_TRUE(machine.loaded());
  adv::AdvContext& c = machine.context();
  c.script.threaded = 1;
  machine.Steps(1);
  EXPECT_EQ(c.script.threaded.load(), 1);
  EXPECT_EQ(c.script.stop, 0);
  EXPECT_EQ(machine.CountLogged("takes no job"), 0) << "no second job was queued";
}

TEST(SystemCommands, WorkProcessEndOnTheMainThreadClearsTheFlag) {
  ScriptMachine machine("cmd work_process_end\nmov v1, 1\n");
  ASSERT_TRUE(machine.loaded());
  adv::AdvContext& c = machine.context();
  c.script.threaded = 1;
  machine.Steps(2);
  EXPECT_EQ(c.script.threaded.load(), 0);
  EXPECT_EQ(machine.V(1), 1);
}

// work_process_end on the work thread: the loop stops after it and leaves the next instruction to
// the main thread. Whenever a frame (under the render lock) sees the mode ended, the loop has
// given the running flag back already.
TEST(SystemCommands, WorkProcessEndHandsTheScriptBackUnderTheRenderLock) {
  ScriptMachine machine(
      "loop:\nadd v1, 1\nmov v2, v1\nlt v2, 500\njz done, v2\njmp loop\n"
      "done:\ncmd work_process_end\nafter:\nmov v3, 1\n");
  ASSERT_TRUE(machine.loaded());
  YelRender* render = test::StartLibraryHidden();
  ASSERT_NE(render, nullptr);
  adv::AdvContext& c = machine.context();
  c.script.threaded = 1;
  std::thread worker(adv::ScriptWorkThreadLoop, reinterpret_cast<uintptr_t>(&c));
  for (bool threaded = true; threaded;) {
    yel::YelRenderLockEnter();
    threaded = c.script.threaded.load() != 0;
    const int32_t running = c.script.running.load();
    yel::YelRenderLockLeave();
    if (!threaded) {
      EXPECT_EQ(running, 0);
    }
    std::this_thread::yield();
  }
  worker.join();
  adv::SetScriptThreadId(adv::kRunMain);
  EXPECT_EQ(machine.V(1), 500);
  EXPECT_EQ(machine.V(3), 0) << "the main thread runs on from the next instruction";
  EXPECT_EQ(c.script.pc, machine.LabelPc("after"));
  yel::YelRenderSetActive(nullptr);
  yel::YelRenderUninit(render);
  EXPECT_EQ(yel::YelUninit(), 1);
}

// ---- Access state of files -----------------------------------------------------------------

uint8_t FileState(ScriptMachine& machine, const char* name) {
  const int32_t n = adv::FileListFind(machine.context().lists, std::string_view(name));
  EXPECT_GE(n, 0) << name;
  if (n < 0) return 0xFF;
  return (machine.data().system.file_state_map[static_cast<size_t>(n) / 4] >> (2 * (n % 4))) & 3;
}

TEST(SystemCommands, AccessStateOfListedFiles) {
  ScriptMachine machine(
      "cmd entry_filename(f\"A.TXT\")\n"
      "cmd entry_filename(f\"B.TXT\")\ncmd update_access(f\"B.TXT\")\n"
      "cmd entry_filename(f\"C.TXT\")\ncmd update_access(f\"C.TXT\")\n"
      "cmd entry_filename(f\"C.TXT\")\n"
      "cmd entry_filename(f\"D.TXT\")\ncmd clear_access(f\"D.TXT\")\n"
      "cmd entry_filename(s1)\ncmd update_access(s1)\n"  // E.TXT through its name
      ".file \"E.TXT\"\n"
      "cmd entry_filename(5000)\ncmd update_access(5000)\ncmd clear_access(5000)\n");
  ASSERT_TRUE(machine.loaded());
  machine.data().system.file_state_map.assign(2, 0);
  SetString(machine.context(), 1, "e.txt");
  machine.Run();
  EXPECT_EQ(FileState(machine, "A.TXT"), 3);
  EXPECT_EQ(FileState(machine, "B.TXT"), 1);
  EXPECT_EQ(FileState(machine, "C.TXT"), 1) << "a second entry keeps the acknowledgement";
  EXPECT_EQ(FileState(machine, "D.TXT"), 0);
  EXPECT_EQ(FileState(machine, "E.TXT"), 1);
  EXPECT_TRUE(machine.Logged("update_access 1", adv::kLogTrace));
  EXPECT_TRUE(machine.data().access.records.empty()) << "listed names make no records";
}

TEST(SystemCommands, AccessStateOfOtherNames) {
  ScriptMachine machine(
      "cmd entry_filename(s1)\ncmd update_access(s1)\n"
      "cmd entry_filename(s2)\n"
      "cmd clear_access(s3)\n"
      "cmd update_access(s4)\n"
      "cmd entry_filename(s5)\n"
      "cmd entry_filename(s6)\ncmd entry_filename(0x10000010)\n");  // empty, out of range
  ASSERT_TRUE(machine.loaded());
  adv::AdvContext& c = machine.context();
  adv::AccessList& access = machine.data().access;
  adv::AccessListAdd(access, "OLD.TXT", 1);
  adv::AccessListAdd(access, "GONE.TXT", 3);
  SetString(c, 1, "new.txt");
  SetString(c, 2, "old.txt");
  SetString(c, 3, "gone.txt");
  SetString(c, 4, "none.txt");
  SetString(c, 5, "a_name_longer_than_32_bytes_.txt");  // cut to 31 bytes, which fit
  machine.Run();
  ASSERT_NE(adv::AccessListFind(access, "NEW.TXT"), nullptr);
  EXPECT_EQ(adv::AccessListFind(access, "NEW.TXT")->state, 1);
  EXPECT_EQ(adv::AccessListFind(access, "OLD.TXT")->state, 1) << "an existing record stays";
  EXPECT_EQ(adv::AccessListFind(access, "GONE.TXT")->state, 0);
  EXPECT_EQ(adv::AccessListFind(access, "NONE.TXT"), nullptr);
  EXPECT_TRUE(machine.Logged("update_access 'NEW.TXT'", adv::kLogTrace));
  EXPECT_TRUE(machine.Logged("update_access entry not file 'NONE.TXT'", adv::kLogTrace));
  EXPECT_EQ(access.records.size(), 4u);
}

// ---- Points --------------------------------------------------------------------------------

TEST(SystemCommands, HistoryPointTakesASavePointUnlessLocked) {
  for (const int32_t lock : {0, 1}) {
    ScriptMachine machine("cmd history_point\nafter:\ncmd history_point_clear -> v1\n");
    ASSERT_TRUE(machine.loaded());
    adv::AdvContext& c = machine.context();
    c.skip.history_point = {7, 8, 9};
    c.save.save_point_lock = lock;
    c.save.resume_offset = 4;
    machine.Steps(1);
    const uint32_t after = machine.LabelPc("after");
    EXPECT_EQ(c.skip.history_point[0], static_cast<int32_t>(after));
    EXPECT_EQ(c.skip.history_point[1], 0);
    EXPECT_EQ(c.skip.history_point[2], 0);
    EXPECT_EQ(c.save.resume_offset, lock ? 4u : after);
    machine.Run();
    EXPECT_EQ(c.skip.history_point, (std::array<int32_t, 3>{0, 0, 0}));
  }
}

TEST(SystemCommands, HistoryPointWritesAHistorySnapshotWhenHistoryFilesAreOn) {
  test::TempFolder save;
  const std::string old = adv::Startup().save_folder;
  adv::Startup().save_folder = save.path();
  ScriptMachine machine("cmd history_point\n");
  ASSERT_TRUE(machine.loaded());
  adv::AdvContext& c = machine.context();
  ASSERT_TRUE(adv::SaveStateInit(c));
  c.history.save_files = 1;
  machine.Run();
  adv::Startup().save_folder = old;
  const int32_t counter = c.skip.history_point[0];
  EXPECT_GT(counter, 0);
  char name[32];
  std::snprintf(name, sizeof name, "hist%08x.dat", static_cast<unsigned>(counter));
  EXPECT_TRUE(save.Exists(name)) << name;
}

TEST(SystemCommands, ThreadReturnPointPushesARecordAndSetsTheEntry) {
  ScriptMachine machine("cmd thread_return_point(0x40)\nafter:\n");
  ASSERT_TRUE(machine.loaded());
  adv::AdvContext& c = machine.context();
  machine.Run();
  ASSERT_EQ(test::ReturnRecordCount(c, adv::kListThreadPoint), 1);
  const auto* entry = reinterpret_cast<const adv::DataEntry*>(
      yel::YelListGetData(c.display_queue, adv::kListThreadPoint, 0));
  EXPECT_EQ(entry->offset, machine.LabelPc("after"));
  EXPECT_EQ(entry->tag, 0u);
  EXPECT_EQ(c.thread.entry, 0x40u) << "an offset, not a label";
}

TEST(SystemCommands, LastProcessIsTheLabelsOffset) {
  ScriptMachine machine("cmd set_last_process(target)\nend\ntarget:\nnop\n");
  ASSERT_TRUE(machine.loaded());
  machine.Run();
  const uint32_t offset = machine.LabelPc("target") - adv::kCodeOrigin;
  EXPECT_EQ(machine.context().script.last_process, offset);
  char line[64];
  std::snprintf(line, sizeof line, "set_last_process 0x%08X", offset);
  EXPECT_TRUE(machine.Logged(line, adv::kLogTrace));

  ScriptMachine unknown("cmd set_last_process(999)\n");
  ASSERT_TRUE(unknown.loaded());
  unknown.context().script.last_process = 0x20;
  unknown.Run();
  EXPECT_EQ(unknown.context().script.last_process, 0u);
  EXPECT_TRUE(unknown.Logged("set_last_process 0x00000000", adv::kLogTrace));
}

TEST(SystemCommands, SceneResetPopsTheScriptPointAndResetsTheLatch) {
  ScriptMachine machine("cmd scene_reset\ncmd scene_reset\n");
  ASSERT_TRUE(machine.loaded());
  adv::AdvContext& c = machine.context();
  c.script.points[0] = 0x1234;
  c.script.point_count = 1;
  adv::Advance() = adv::AdvanceLatch{1, 8, 0};
  machine.Steps(1);
  EXPECT_EQ(c.script.point_count, 0);
  EXPECT_EQ(adv::Advance().on, 0);
  EXPECT_EQ(adv::Advance().bits, 0u);
  EXPECT_EQ(adv::Advance().applies, 1);
  EXPECT_FALSE(machine.Logged("script point pop stack none", adv::kLogError));
  machine.Steps(1);
  EXPECT_TRUE(machine.Logged("script point pop stack none", adv::kLogError));
}

TEST(SystemCommands, SceneResetKeepsTheScriptPointDuringASceneSkip) {
  ScriptMachine machine("cmd scene_reset\n");
  ASSERT_TRUE(machine.loaded());
  adv::AdvContext& c = machine.context();
  c.script.points[0] = 0x1234;
  c.script.point_count = 1;
  c.skip.scene_skip = 1;
  machine.Steps(1);
  EXPECT_EQ(c.script.point_count, 1);
}

// ---- Gestures ------------------------------------------------------------------------------

// A delivered gesture becomes the record gesture_get reads, and its handler runs as a
// subroutine.
TEST(SystemCommands, GestureCallbackRunsTheHandler) {
  ScriptMachine machine(
      "cmd gesture_call_set(4, 0)\n"  // the handler offset is set by the test below
      "cmd gesture_get(1) -> v1\ncmd gesture_get(2) -> v2\n"
      "cmd gesture_get(3) -> v3\ncmd gesture_get(4) -> v4\n"
      "jmp done\n"
      "handler:\nmov v9, 1\nret\n"
      "done:\n");
  ASSERT_TRUE(machine.loaded());
  adv::AdvContext& c = machine.context();
  machine.Steps(3);  // two pushes and the call
  c.gestures.handlers[4 - adv::kGestureFirstId] = machine.LabelPc("handler") - adv::kCodeOrigin;
  std::array<uint8_t, adv::kGestureRecordSize> record{};
  record[8] = 4;                         // pan
  record[16] = 0x34, record[17] = 0x12;  // x = 0x1234
  record[18] = 0xFE, record[19] = 0xFF;  // y = -2
  record[20] = 5;                        // instance id
  record[24] = 6;                        // sequence id
  const uint32_t resume = c.script.pc;
  adv::AdvGestureCallback(c, record.data());
  EXPECT_EQ(c.script.pc, machine.LabelPc("handler"));
  machine.Run();
  EXPECT_EQ(machine.V(9), 1);
  EXPECT_EQ(c.script.pc, c.script.code.size()) << "returned to " << resume << " and ran on";
  EXPECT_EQ(machine.V(1), 0x1234);
  EXPECT_EQ(machine.V(2), -2);
  EXPECT_EQ(machine.V(3), 6);
  EXPECT_EQ(machine.V(4), 5);
}

// ---- Queries -------------------------------------------------------------------------------

// The software renderer keeps the texture slots' limit, but the texture queries answer only for
// a 3D renderer.
TEST(SystemCommands, TextureQueriesAnswerOnlyForA3DRenderer) {
  ScriptMachine machine(
      "cmd is_3d -> v1\ncmd get_max_texture_width -> v2\ncmd get_display_info(0, 0) -> v3\n");
  ASSERT_TRUE(machine.loaded());
  YelTextureCaps caps{1, 2, 3, 4};
  EXPECT_EQ(yel::YelGetTextureCaps(&caps), 0) << "no renderer before the library starts";
  EXPECT_EQ(caps.max_width, 0);
  YelRender* render = test::StartLibraryHidden();
  ASSERT_NE(render, nullptr);
  EXPECT_EQ(yel::YelGetTextureCaps(&caps), 1);
  EXPECT_EQ(caps.max_width, 16384);
  EXPECT_EQ(caps.max_height, 16384);
  EXPECT_EQ(caps.pow2_only, 0);
  machine.Run();
  // With the hardware renderer the queries answer; with the software one (no GL here) they
  // give 0.
  const bool hardware = yel::Yel3DIs() != 0;
  EXPECT_EQ(machine.V(1), hardware ? 8 : 0);
  EXPECT_EQ(machine.V(2), hardware ? caps.max_width : 0);
  if (!hardware) {
    EXPECT_EQ(machine.V(3), 0);
  }
  yel::YelRenderSetActive(nullptr);
  yel::YelRenderUninit(render);
  EXPECT_EQ(yel::YelUninit(), 1);
}

TEST(SystemCommands, NetworkResultPrefersTheLocalNetwork) {
  EXPECT_EQ(adv::NetworkResult(0), 0);
  EXPECT_EQ(adv::NetworkResult(os::kNetworkLan), 1);
  EXPECT_EQ(adv::NetworkResult(os::kNetworkWan), 2);
  EXPECT_EQ(adv::NetworkResult(os::kNetworkLan | os::kNetworkWan), 1) << "both up is not 0";

  ScriptMachine machine("cmd is_network -> v1\n");
  ASSERT_TRUE(machine.loaded());
  machine.Run();
  uint32_t bits = 0;
  ASSERT_TRUE(os::QueryNetworkBits(&bits));
  EXPECT_EQ(machine.V(1), adv::NetworkResult(bits));
  const char* line = machine.V(1) == 1   ? "is_network NETWORK_ALIVE_LAN"
                     : machine.V(1) == 2 ? "is_network NETWORK_ALIVE_WAN"
                                         : "is_network Network is not alive.";
  EXPECT_TRUE(machine.Logged(line, adv::kLogTrace));
}

TEST(SystemCommands, TouchWithoutADigitizerIsNotAlive) {
  ScriptMachine machine("mov v1, 5\ncmd is_touch -> v1\n");
  ASSERT_TRUE(machine.loaded());
  machine.Run();
  EXPECT_EQ(machine.V(1), 0);
  EXPECT_TRUE(machine.Logged("is_touch Touch is not alive.", adv::kLogTrace));
}

TEST(SystemCommands, OsVersionIsTheKernelRelease) {
  ScriptMachine machine(
      "cmd get_os_version(0) -> v1\ncmd get_os_version(1) -> v2\ncmd get_os_version(2) -> v3\n");
  ASSERT_TRUE(machine.loaded());
  machine.Run();
  const os::SystemVersion version = os::QuerySystemVersion();
  EXPECT_GT(version.major, 0u);
  EXPECT_EQ(machine.V(1), static_cast<int32_t>(version.major));
  EXPECT_EQ(machine.V(2), static_cast<int32_t>(version.minor));
  EXPECT_EQ(machine.V(3), static_cast<int32_t>(version.build));
}

TEST(SystemCommands, MemoryFiguresInMiB) {
  ScriptMachine machine(
      "cmd get_memory_status(0, -1) -> v1\ncmd get_memory_status(1, -1) -> v2\n"
      "cmd get_memory_status(3, -1) -> v3\ncmd get_memory_status(5, -1) -> v4\n"
      "cmd get_memory_status(6, -1) -> v5\n");
  ASSERT_TRUE(machine.loaded());
  machine.Run();
  os::MemoryStatus memory;
  ASSERT_TRUE(os::QueryMemoryStatus(&memory));
  EXPECT_GE(machine.V(1), 0);
  EXPECT_LE(machine.V(1), 100) << "a percentage, not shifted";
  EXPECT_EQ(machine.V(2), static_cast<int32_t>(memory.total_physical >> 20));
  EXPECT_GT(machine.V(2), 0);
  EXPECT_GE(machine.V(3), machine.V(2)) << "swap adds to what can be committed";
  EXPECT_EQ(machine.V(4), static_cast<int32_t>(memory.total_virtual >> 20));
  EXPECT_GE(machine.V(5), 0);
  EXPECT_LT(machine.V(5), machine.V(4)) << "this process uses part of its address space";
}

// The high word of the figure goes to a TempMemory cell; a cell outside it is refused.
TEST(SystemCommands, FigureCellsAreChecked) {
  struct Case {
    int32_t cell;
    bool written;
  };
  const Case cases[] = {{-1, false}, {0, true},        {4095, true},    {4096, false},
                        {-2, false}, {INT_MIN, false}, {INT_MAX, false}};
  for (const char* command : {"get_memory_status", "get_disk_free"}) {
    for (const Case& row : cases) {
      ScriptMachine machine(std::string("cmd ") + command + "(1, " + std::to_string(row.cell) +
                            ") -> v1\n");
      ASSERT_TRUE(machine.loaded());
      auto& temp = machine.context().values.temp_memory;
      temp.fill(77);
      machine.Run();
      const bool in_range = row.cell >= 0 && row.cell < adv::kTempMemoryCells;
      if (in_range) {
        EXPECT_EQ(temp[static_cast<size_t>(row.cell)], row.written ? 0 : 77);
      }
      EXPECT_EQ(std::count(temp.begin(), temp.end(), 77), 4096 - (row.written ? 1 : 0))
          << command << " " << row.cell;
      const bool refused = row.cell != -1 && !in_range;
      EXPECT_EQ(machine.Logged("no TempMemory cell", adv::kLogError), refused)
          << command << " " << row.cell;
    }
  }
}

TEST(SystemCommands, DiskFiguresOfTheSaveFolder) {
  test::TempFolder folder;
  adv::StartupNames& names = adv::Startup();
  const std::string saved = names.save_folder;
  names.save_folder = folder.path();
  ScriptMachine machine(
      "cmd get_disk_free(0, -1) -> v1\ncmd get_disk_free(1, -1) -> v2\n"
      "cmd get_disk_free(2, -1) -> v3\n");
  ASSERT_TRUE(machine.loaded());
  machine.Run();
  os::DiskSpace disk;
  ASSERT_TRUE(os::QueryDiskSpace(folder.path(), &disk));
  EXPECT_EQ(machine.V(2), static_cast<int32_t>(disk.total >> 20));
  EXPECT_GT(machine.V(2), 0);
  EXPECT_LE(machine.V(1), machine.V(3)) << "the caller's share of the free space";
  EXPECT_LE(machine.V(3), machine.V(2));

  names.save_folder = folder / "missing";
  ScriptMachine missing("mov v1, 5\ncmd get_disk_free(1, -1) -> v1\n");
  ASSERT_TRUE(missing.loaded());
  missing.Run();
  EXPECT_EQ(missing.V(1), 0);
  names.save_folder = saved;
}

// ---- Debug output --------------------------------------------------------------------------

// Outside debug mode nothing is printed, but all eight values are taken.
TEST(SystemCommands, DebugOutputPopsEightValues) {
  for (const char* command : {"debug_output", "debug_output_error"}) {
    ScriptMachine machine(std::string("push 99\ncmd ") + command +
                          "(\"x%d\", 1, 2, 3, 4, 5, 6, 7)\npop v1\n");
    ASSERT_TRUE(machine.loaded());
    machine.Run();
    EXPECT_EQ(machine.V(1), 99) << command;
    EXPECT_EQ(machine.CountLogged("x1"), 0) << command;
  }
}

struct OutputCase {
  const char* format;
  std::array<int32_t, 7> values;  // 1001, 1002: texts 0 and 1 of the machine; 2000 + n: file n
  std::string output;
};

// A format's directives as the debug output reads them; nothing of the format reaches a C
// formatter, so "%n", "%s" and "%*d" are plain text it drops.
TEST(SystemCommands, DebugOutputDirectives) {
  const OutputCase cases[] = {
      {"a%db%Dc", {5, -6}, "a5b-6c"},
      {"%x|%X", {42, -1}, "0000002A|FFFFFFFF"},
      {"%5d|%05d|%3d", {42, -42, 1234}, "   42|-0042|1234"},
      {"%t and %T", {1001, 1002}, "first and second"},
      {"%f|%F", {2000, 2001}, "ONE.TXT|TWO.TXT"},
      {"%q%d", {7}, "7"},  // an unknown directive drops two characters and takes no value
      {"%n%s%ld%*d%%", {1, 2}, "dd"},
      {"end%", {}, "end"},
      {"%d%d%d%d%d%d%d%d", {1, 2, 3, 4, 5, 6, 7}, "12345670"},
      {"%1234567890123d", {3}, std::string(1022, ' ') + "3"},  // 15 characters: a width
      {"%12345678901234d", {3}, "2345678901234d"},             // 16: not a directive
      {"%5x", {3}, "x"},
      {"100%", {}, "100"},
  };
  ScriptMachine machine("push \"first\"\npush \"second\"\npush f\"ONE.TXT\"\npush f\"TWO.TXT\"\n");
  ASSERT_TRUE(machine.loaded());
  adv::AdvContext& c = machine.context();
  for (const OutputCase& row : cases) {
    std::array<int32_t, 7> values = row.values;
    for (int32_t& value : values) {
      if (value == 1001 || value == 1002) {
        value = static_cast<int32_t>(machine.TextOffset(static_cast<size_t>(value - 1001)));
      } else if (value >= 2000 && value < 2002) {
        value -= 2000;
      }
    }
    SetString(c, 0, row.format);
    EXPECT_EQ(adv::AdvDebugOutputText(c, adv::kStringVariableBit, values), row.output)
        << row.format;
  }
}

// Pieces stop before the text reaches 2,048 bytes; what was assembled is kept.
TEST(SystemCommands, DebugOutputStopsShortOf2048Bytes) {
  ScriptMachine machine("nop\n");
  ASSERT_TRUE(machine.loaded());
  adv::AdvContext& c = machine.context();
  SetString(c, 0, "%t%t%t%t");
  SetString(c, 1, std::string(2000, 'a').c_str());  // read as 514 bytes
  const int32_t s1 = static_cast<int32_t>(adv::kStringVariableBit | 1);
  const std::string text = adv::AdvDebugOutputText(c, adv::kStringVariableBit, {s1, s1, s1, s1});
  EXPECT_EQ(text, std::string(3 * 514, 'a'));
  EXPECT_TRUE(machine.Logged("Error AdvDebugOutputCore szOut over size", adv::kLogError));

  SetString(c, 0, "%1100d%1100d%1100d");
  EXPECT_EQ(adv::AdvDebugOutputText(c, adv::kStringVariableBit, {1, 2, 3}).size(), 2046u);
}

TEST(SystemCommands, WidthDirectivesAreBounded) {
  ScriptMachine machine("nop\n");
  adv::AdvContext& c = machine.context();
  const std::pair<const char*, std::string> cases[] = {
      {"%3d", "  7"},
      {"%03d", "007"},
      {"%0d", "7"},
      {"%1d", "7"},
      {"%99999d", std::string(1022, ' ') + "7"},
      {"[%-3d]", "[3d]"},  // not a directive of the debug output: "%-" is dropped  // not a
                           // directive of the debug output: dropped
  };
  for (const auto& [directive, text] : cases) {
    SetString(c, 0, directive);
    EXPECT_EQ(adv::AdvDebugOutputText(c, adv::kStringVariableBit, {7}), text) << directive;
  }
  SetString(c, 0, "%12d|%012d");
  EXPECT_EQ(adv::AdvDebugOutputText(c, adv::kStringVariableBit, {INT_MIN, INT_MIN}),
            " -2147483648|-02147483648");
}

}  // namespace

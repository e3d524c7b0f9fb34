// The window, input, font, memory, return-list and clock commands of group 0x09, each called
// from an assembled script.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "os/local_clock.h"
#include "os/window.h"
#include "program/commands/clock_commands.h"
#include "program/script/script_run.h"
#include "program/startup/yel_import.h"
#include "tests/program/script_machine.h"
#include "tests/program/started_library.h"

namespace {

using test::ScriptMachine;

constexpr int32_t kUntouched = 0x5A5A5A5A;

void SetString(adv::AdvContext& context, int n, const char* text) {
  auto& variable = context.values.string_variables[static_cast<size_t>(n)];
  variable.fill(0);
  std::strncpy(variable.data(), text, variable.size() - 1);
}

// The platform library started hidden for one test, ended with it.
class StartedLibrary {
 public:
  StartedLibrary() : render_(test::StartLibraryHidden()) {}
  ~StartedLibrary() {
    if (!render_) return;
    yel::YelRenderSetActive(nullptr);
    yel::YelRenderUninit(render_);
    yel::YelUninit();
  }
  bool started() const { return render_ != nullptr; }

 private:
  YelRender* render_;
};

// ---- TempMemory cells ------------------------------------------------------------------------

struct CellCase {
  const char* call;
  std::vector<int> written;  // the cells the call writes; all others keep their value
  bool refused;              // a cell out of range: nothing written, logged
};

void PrintTo(const CellCase& row, std::ostream* os) {
  *os << row.call;
}

const CellCase kCellCases[] = {
    {"get_mouse_pos(3, 4)", {3, 4}, false},  // -1 outside the window (no window here)
    {"get_mouse_pos(-1, 4)", {4}, false},     {"get_mouse_pos(3, -1)", {3}, false},
    {"get_mouse_pos(-1, -1)", {}, false},     {"get_monitor_size(0, 255)", {0, 255}, false},
    {"get_monitor_size(-1, 7)", {7}, false},  {"get_date(10, 11, 12)", {10, 11, 12}, false},
    {"get_date(-1, 11, -1)", {11}, false},    {"get_window_pos(256, 4)", {}, true},
    {"get_mouse_pos(3, -2)", {}, true},       {"get_monitor_size(-3, 1)", {}, true},
    {"get_date(1, 2, 0x7FFFFFFF)", {}, true}, {"get_date(0x80000000, 2, 3)", {}, true},
};

class CellWrites : public ::testing::TestWithParam<CellCase> {};

TEST_P(CellWrites, WriteOnlyTheNamedCells) {
  const CellCase& row = GetParam();
  ScriptMachine machine(std::string("cmd ") + row.call + "\n");
  ASSERT_TRUE(machine.loaded());
  auto& temp = machine.context().values.temp_memory;
  temp.fill(kUntouched);
  machine.Run();
  for (int cell = 0; cell < static_cast<int>(temp.size()); ++cell) {
    const bool named = std::find(row.written.begin(), row.written.end(), cell) != row.written.end();
    if (named) {
      EXPECT_NE(temp[cell], kUntouched) << "cell " << cell;
    } else {
      ASSERT_EQ(temp[cell], kUntouched) << "cell " << cell;
    }
  }
  EXPECT_EQ(machine.CountLogged("is out of range"), row.refused ? 1 : 0);
  EXPECT_EQ(machine.context().values.value_count, 0) << "every argument popped";
  EXPECT_EQ(machine.CountLogged("内部エラー"), 0);
}

INSTANTIATE_TEST_SUITE_P(SystemGroup, CellWrites, ::testing::ValuesIn(kCellCases));

// ---- Window, display and settings ------------------------------------------------------------

// Each switch goes into the settings kept in "system.dat" and reads back through its getter.
TEST(SystemGroup, SwitchesAreKeptInTheSettings) {
  struct Case {
    const char* set;
    const char* get;  // empty: none
    int32_t adv::SystemSettings::*field;
  };
  const Case cases[] = {
      {"set_window_mode", "get_window_mode", &adv::SystemSettings::full_screen},
      {"set_effect_enable", "", &adv::SystemSettings::effects_on},
      {"set_allmosaicthumbnail", "", &adv::SystemSettings::thumbnail_mosaic},
      {"aspect_position_enable", "get_aspect_position", &adv::SystemSettings::aspect_position},
      {"set_hide_cursor_time", "get_hide_cursor_time", &adv::SystemSettings::cursor_hide_time},
  };
  for (const Case& row : cases) {
    for (const int32_t value : {0, 1}) {
      std::string source = std::string("cmd ") + row.set + "(" + std::to_string(value) + ")\n";
      if (*row.get) source += std::string("cmd ") + row.get + " -> v1\n";
      ScriptMachine machine(source);
      ASSERT_TRUE(machine.loaded());
      machine.data().system.settings.*row.field = 1 - value;
      machine.context().values.variables[1] = 12345;
      machine.Run();
      EXPECT_EQ(machine.data().system.settings.*row.field, value) << row.set;
      if (*row.get) {
        EXPECT_EQ(machine.V(1), value) << row.get;
      }
      EXPECT_EQ(machine.CountLogged("内部エラー"), 0) << row.set;
    }
  }
}

TEST(SystemGroup, AspectModesOutsideTheTableAreRefused) {
  const std::pair<const char*, bool> cases[] = {
      {"0", false}, {"3", false}, {"4", true}, {"-1", true}, {"0x80000000", true}};
  for (const auto& [mode, refused] : cases) {
    ScriptMachine machine(std::string("cmd change_aspect_mode(") + mode + ")\n");
    ASSERT_TRUE(machine.loaded());
    machine.Run();
    EXPECT_EQ(machine.CountLogged("is out of range"), refused ? 1 : 0) << mode;
    EXPECT_EQ(machine.CountLogged("change_aspect_mode " + std::string(mode)), refused ? 0 : 1)
        << mode;
    EXPECT_EQ(machine.CountLogged("内部エラー"), 0) << mode;
  }
}

TEST(SystemGroup, SystemMetricsAnswerWhatTheDisplaysTell) {
  const os::Rect primary = os::DesktopRect();
  const os::Rect all = os::VirtualScreenRect();
  const std::pair<int32_t, int32_t> cases[] = {
      {0, primary.Width()},
      {1, primary.Height()},
      {76, all.left},
      {77, all.top},
      {78, all.Width()},
      {79, all.Height()},
      {2, 0},
      {-1, 0},
      {4096, 0},
  };
  for (const auto& [index, value] : cases) {
    ScriptMachine machine("cmd get_system_metrics(" + std::to_string(index) + ") -> v1\n");
    ASSERT_TRUE(machine.loaded());
    machine.Run();
    EXPECT_EQ(machine.V(1), value) << index;
  }
}

// The offscreen video driver has one display; the window's centre lies on it.
TEST(SystemGroup, MonitorSizeIsTheDisplayOfTheWindow) {
  ScriptMachine machine("cmd get_monitor_size(5, 6)\ncmd get_window_pos(7, 8)\n");
  ASSERT_TRUE(machine.loaded());
  StartedLibrary library;
  ASSERT_TRUE(library.started());
  machine.Run();
  const auto& temp = machine.context().values.temp_memory;
  int32_t width = 0;
  int32_t height = 0;
  yel::YelGetWindowSize(&width, &height);
  const os::Rect display = os::DisplayRectAt(temp[7] + width / 2, temp[8] + height / 2, nullptr);
  EXPECT_GT(display.Width(), 0);
  EXPECT_EQ(temp[5], display.Width());
  EXPECT_EQ(temp[6], display.Height());
  EXPECT_TRUE(machine.Logged("get_monitor_size " + std::to_string(display.Width()) + ", " +
                                 std::to_string(display.Height()),
                             adv::kLogTrace));
}

// A mount that fails still leaves no search folder; the interpreter reports the command.
TEST(SystemGroup, SystemPathThatDoesNotMountFails) {
  ScriptMachine machine("cmd set_system_path(9999)\n");
  ASSERT_TRUE(machine.loaded());
  machine.Run();
  EXPECT_TRUE(machine.Logged("set_system_path 9999", adv::kLogTrace));
  EXPECT_EQ(machine.CountLogged("内部エラー code = [0x0009002C]"), 1);
}

// The empty reference and an empty string variable both ask for the system arrow; a name gets
// ".tga".
TEST(SystemGroup, CursorWithoutANameIsTheSystemArrow) {
  const std::pair<const char*, const char*> cases[] = {
      {"NONE", "set_cursor NULL"},
      {"s3", "set_cursor NULL"},
      {"f\"hand\"", "set_cursor HAND.tga, 1, 2"},
  };
  for (const auto& [image, line] : cases) {
    ScriptMachine machine(std::string("cmd set_cursor(") + image + ", 1, 2)\n");
    ASSERT_TRUE(machine.loaded());
    SetString(machine.context(), 3, "");
    machine.Run();
    EXPECT_TRUE(machine.Logged(line, adv::kLogTrace)) << image;
    EXPECT_EQ(machine.CountLogged("set_cursor"), 1) << image;
    EXPECT_EQ(machine.context().values.value_count, 0) << image;
  }
}

// ---- Input -----------------------------------------------------------------------------------

// The hidden window of the test never has the focus: every key reads as up, without a trace.
TEST(SystemGroup, AsyncKeyIsUpWhileTheWindowIsInactive) {
  ScriptMachine machine(
      "mov v1, 7\nmov v2, 7\ncmd get_async_key(0x41) -> v1\ncmd get_async_key(1) -> v2\n"
      "cmd is_active -> v3\n");
  ASSERT_TRUE(machine.loaded());
  StartedLibrary library;
  ASSERT_TRUE(library.started());
  ASSERT_EQ(yel::IsActive(), 0);
  machine.Run();
  EXPECT_EQ(machine.V(1), 0);
  EXPECT_EQ(machine.V(2), 0);
  EXPECT_EQ(machine.V(3), 0);
  EXPECT_EQ(machine.CountLogged("get_async_key"), 0);
  EXPECT_TRUE(machine.Logged("is_active 0H", adv::kLogTrace));
}

TEST(SystemGroup, InputClearEndsTheAutoAdvance) {
  ScriptMachine machine("cmd input_clear\n");
  ASSERT_TRUE(machine.loaded());
  machine.context().text_window.auto_word = 1;
  machine.Run();
  EXPECT_EQ(machine.context().text_window.auto_word, 0);
  EXPECT_TRUE(machine.Logged("input_clear", adv::kLogTrace));
}

// ---- Font ------------------------------------------------------------------------------------

TEST(SystemGroup, SetFontSizeAnswersTheSizeBefore) {
  ScriptMachine machine(
      "cmd set_font_size(20) -> v1\ncmd set_font_size(30) -> v2\ncmd get_font_size -> v3\n"
      "cmd set_font_size(v1)\n");
  ASSERT_TRUE(machine.loaded());
  machine.Run();
  EXPECT_EQ(machine.V(2), 20);
  EXPECT_EQ(machine.V(3), 30);
}

// ---- Memory stack ----------------------------------------------------------------------------

TEST(SystemGroup, MemoryStackHoldsThirtyTwoLevels) {
  ScriptMachine machine(
      "mov v1, 0\nloop:\ncmd memory_push\nadd v1, 1\nmov v2, v1\nlt v2, 33\n"
      "jz done, v2\njmp loop\ndone:\nmov v9, 0\nmov temp[v9], 9\ncmd memory_pop\n"
      "mov v3, temp[v9]\n");
  ASSERT_TRUE(machine.loaded());
  machine.context().values.temp_memory[0] = 7;
  machine.Run();
  const adv::ValueStores& v = machine.context().values;
  EXPECT_EQ(machine.CountLogged("push memory stack over"), 1) << "the 33rd push only";
  EXPECT_EQ(machine.V(3), 7);
  EXPECT_EQ(v.memory_stack_depth, 31);
  EXPECT_EQ(v.memory_stack[31][0], 0) << "the level popped is cleared";
  EXPECT_EQ(v.memory_stack[30][0], 7);
}

TEST(SystemGroup, ClearUserMemoryZeroesEveryCell) {
  ScriptMachine machine("cmd clear_user_memory\n");
  ASSERT_TRUE(machine.loaded());
  machine.context().values.user_memory.fill(3);
  machine.Run();
  for (const int32_t cell : machine.context().values.user_memory) ASSERT_EQ(cell, 0);
}

// ---- Return list -----------------------------------------------------------------------------

struct LpopCase {
  int pushes;     // lpush calls before the lpop
  int32_t count;  // lpop's argument
  int32_t left;   // return records after it
  int errors;     // "error : lpop non stack"
  int32_t frame_pairs;
};

TEST(SystemGroup, LpopRemovesUpToItsCount) {
  const LpopCase cases[] = {
      {3, 0, 2, 0, 0}, {3, 1, 2, 0, 0}, {3, 3, 0, 0, 2},
      {0, 0, 0, 1, 0}, {2, 5, 0, 1, 4}, {2, -1, 2, 0, -2},
  };
  for (const LpopCase& row : cases) {
    std::string source;
    for (int i = 0; i < row.pushes; ++i) source += "cmd lpush(there)\n";
    source += "cmd lpop(" + std::to_string(row.count) + ")\ncmd lsize -> v1\nend\nthere:\nend\n";
    ScriptMachine machine(source);
    ASSERT_TRUE(machine.loaded());
    machine.Run();
    EXPECT_EQ(machine.V(1), row.left) << row.pushes << " " << row.count;
    EXPECT_EQ(test::ReturnRecordCount(machine.context(), adv::kListReturnPoint), row.left);
    EXPECT_EQ(machine.CountLogged("error : lpop non stack"), row.errors) << row.count;
    EXPECT_EQ(machine.context().skip.frame_restore_count, row.frame_pairs) << row.count;
    EXPECT_EQ(machine.CountLogged("lpop ["), row.pushes - row.left) << row.count;
  }
}

// The pushed record holds the label's offset in the code; ret continues there.
TEST(SystemGroup, LpushMakesRetContinueAtTheLabel) {
  ScriptMachine machine("cmd lpush(there)\ncmd lsize -> v3\nret\nmov v1, 1\nthere:\nmov v2, 2\n");
  ASSERT_TRUE(machine.loaded());
  machine.Run();
  EXPECT_EQ(machine.V(3), 1);
  EXPECT_EQ(machine.V(1), 0);
  EXPECT_EQ(machine.V(2), 2);
  EXPECT_TRUE(machine.Logged("lpush " + std::to_string(machine.LabelPc("there")), adv::kLogTrace));
}

TEST(SystemGroup, LsizeCountsGosubRecords) {
  ScriptMachine machine("gosub sub\nend\nsub:\ncmd lsize -> v1\nret\n");
  ASSERT_TRUE(machine.loaded());
  machine.Run();
  EXPECT_EQ(machine.V(1), 1);
}

// ---- Clock -----------------------------------------------------------------------------------

TEST(SystemGroup, DateAndTimeNumbers) {
  struct Case {
    os::LocalClockTime time;
    int32_t date;
    int32_t clock;
  };
  const Case cases[] = {
      {{2024, 12, 31, 23, 59, 59, 999}, 20241231, 235959999},
      {{2000, 2, 29, 0, 0, 0, 0}, 20000229, 0},
      {{1999, 1, 2, 12, 3, 4, 5}, 19990102, 120304005},
  };
  for (const Case& row : cases) {
    EXPECT_EQ(adv::DateNumber(row.time), row.date);
    EXPECT_EQ(adv::TimeNumber(row.time), row.clock);
  }
}

// The moment 2024-12-31 23:59:59.999999999 UTC read in the UTC zone: the milliseconds are
// truncated, not rounded into the next day.
TEST(SystemGroup, LocalClockOfAGivenMoment) {
  setenv("TZ", "UTC0", 1);
  tzset();
  const os::LocalClockTime time = os::ToLocalClockTime(1735689599, 999999999);
  EXPECT_EQ(adv::DateNumber(time), 20241231);
  EXPECT_EQ(adv::TimeNumber(time), 235959999);
  setenv("TZ", "JST-9", 1);
  tzset();
  EXPECT_EQ(adv::DateNumber(os::ToLocalClockTime(1735689599, 0)), 20250101);
  unsetenv("TZ");
  tzset();
}

TEST(SystemGroup, DateCellsHoldACalendarDate) {
  ScriptMachine machine("cmd get_date(0, 1, 2)\ncmd get_date_number -> v1\n");
  ASSERT_TRUE(machine.loaded());
  machine.Run();
  const auto& temp = machine.context().values.temp_memory;
  EXPECT_GE(temp[0], 2024);
  EXPECT_GE(temp[1], 1);
  EXPECT_LE(temp[1], 12);
  EXPECT_GE(temp[2], 1);
  EXPECT_LE(temp[2], 31);
  EXPECT_GE(machine.V(1), 20240101);
}

}  // namespace

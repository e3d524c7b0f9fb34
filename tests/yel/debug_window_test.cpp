// Debug pages: value tables and their edits, log pages and their files, the debug window in a
// debug-mode run, and the control tools' moves.
#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <climits>
#include <deque>
#include <filesystem>
#include <fstream>
#include <list>
#include <sstream>
#include <string>
#include <vector>

#include "YEL/debug/control_tools.h"
#include "YEL/debug/debug_pages.h"
#include "YEL/debug/debug_status.h"
#include "YEL/files/file_paths.h"
#include "YEL/render/camera.h"
#include "os/encoding.h"
#include "os/ini_file.h"
#include "os/paths.h"
#include "tests/yel/sprite_test_support.h"
#include "tests/yel/watchdog.h"

namespace {

namespace fs = std::filesystem;

fs::path TestFolder(const char* kind) {
  return fs::temp_directory_path() /
         (std::string(kind) + std::to_string(::getpid()) + "_" +
          ::testing::UnitTest::GetInstance()->current_test_info()->name());
}

std::string FileText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Pages in a base folder of their own; every page is removed at the end.
class DebugPagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ = TestFolder("yel_pages_");
    fs::remove_all(base_);
    fs::create_directories(base_);
    yel::SetBaseFolder(base_.string());
  }
  void TearDown() override {
    yel::DebugPagesRelease();
    yel::SetBaseFolder(os::ExecutableFolder());
    fs::remove_all(base_);
  }
  fs::path base_;
};

TEST_F(DebugPagesTest, ValueEditStoresIntoItsRowAndNothingElse) {
  std::array<int32_t, 8> memory = {10, 11, 12, 13, 14, 15, 16, 17};
  ASSERT_TRUE(yel::DebugPageCreate(11, "user", yel::kValuePage));
  ASSERT_TRUE(yel::DebugPageSetData(11, memory.data(), 8));
  EXPECT_EQ(yel::DebugPageTexts(11).size(), 8u);

  EXPECT_TRUE(yel::DebugPageEditValue(11, 2, "-5"));
  EXPECT_EQ(memory[2], 12) << "an edit is stored by the main thread's refresh, not at once";
  yel::DebugPagesRefresh();
  EXPECT_EQ(memory, (std::array<int32_t, 8>{10, 11, -5, 13, 14, 15, 16, 17}));
  EXPECT_EQ(yel::DebugPageTexts(11)[2], "-5");

  // The rows follow the program's values at each refresh.
  memory[7] = 99;
  yel::DebugPagesRefresh();
  EXPECT_EQ(yel::DebugPageTexts(11)[7], "99");

  // Rows beyond the data and pages without values take no edit.
  EXPECT_FALSE(yel::DebugPageEditValue(11, 8, "1"));
  EXPECT_FALSE(yel::DebugPageEditValue(11, -1, "1"));
  ASSERT_TRUE(yel::DebugPageCreate(16, "output", yel::kLogPageWithFile));
  EXPECT_FALSE(yel::DebugPageEditValue(16, 0, "1"));
}

// The SE and background-voice pages show channel records, several rows to a record: an edit of
// a row there would land in the middle of a record, so they take none.
TEST_F(DebugPagesTest, SoundPagesRefuseEditsAndKeepTheirRecords) {
  struct Table {
    int32_t key;
    int32_t records;
    int32_t record_words;
    const char* first_row;
  };
  std::list<std::vector<int32_t>> kept;
  for (const Table& table : {Table{yel::kSePageKey, 16, 16, "se(0) ch=&H40000003"},
                             Table{yel::kBgvPageKey, 8, 23, "bgv(0) ch=&H70000003"},
                             Table{yel::kBgmPageKey, 2, 23, "bgm(0) ch=&H40000003"}}) {
    SCOPED_TRACE(table.key);
    // Every page keeps its records for the refreshes of the later rounds.
    std::vector<int32_t>& records =
        kept.emplace_back(static_cast<size_t>(table.records * table.record_words));
    for (size_t i = 0; i < records.size(); ++i) records[i] = static_cast<int32_t>(i * 7);
    records[0] = table.key == yel::kBgvPageKey ? 0x70000003 : 0x40000003;
    const std::vector<int32_t> before = records;
    ASSERT_TRUE(yel::DebugPageCreate(table.key, "sound", yel::kValuePage));
    ASSERT_TRUE(yel::DebugPageSetData(table.key, records.data(), 100));
    for (int32_t row : {0, 1, 3, 17, 40}) {
      EXPECT_FALSE(yel::DebugPageEditValue(table.key, row, "12345"));
    }
    yel::DebugPagesRefresh();
    EXPECT_EQ(records, before);
    const std::deque<std::string> rows = yel::DebugPageTexts(table.key);
    EXPECT_EQ(rows[0], table.first_row);
    EXPECT_EQ(rows[static_cast<size_t>(table.records)].rfind("[0] init=0 / play=0", 0), 0u);
  }
}

TEST_F(DebugPagesTest, LogPagesKeepTheirRowsAndFiles) {
  const std::string title = os::Utf8ToCp932("履歴");
  ASSERT_TRUE(yel::DebugPageCreate(yel::kTracePageKey, title, yel::kLogPageWithFile));
  EXPECT_FALSE(yel::DebugPageCreate(yel::kTracePageKey, "again", yel::kLogPageWithLabel));
  for (int i = 0; i < 2001; ++i) {
    ASSERT_EQ(yel::DebugPageAppend(yel::kTracePageKey, "", "line " + std::to_string(i)), 1);
  }
  const std::deque<std::string> rows = yel::DebugPageTexts(yel::kTracePageKey);
  ASSERT_EQ(rows.size(), 2000u);
  EXPECT_EQ(rows.front(), "line 1") << "the 2001st line removes the first";

  // A hidden page takes nothing, and nothing is kept for later.
  ASSERT_TRUE(yel::DebugPageToggle(yel::kTracePageKey));
  EXPECT_EQ(yel::DebugPageAppend(yel::kTracePageKey, "", "hidden"), 1);
  ASSERT_TRUE(yel::DebugPageToggle(yel::kTracePageKey));
  EXPECT_EQ(yel::DebugPageTexts(yel::kTracePageKey).back(), "line 2000");
  EXPECT_EQ(yel::DebugPageAppend(77, "", "no page"), 0);

  // The page's file holds every line written while it was shown.
  const std::string file = FileText(base_ / "_YEL_DEBUG_REPORT_" / "履歴.txt");
  EXPECT_EQ(file.rfind("line 0\r\nline 1\r\n", 0), 0u);
  EXPECT_NE(file.find("line 2000\r\n"), std::string::npos);
  EXPECT_EQ(file.find("hidden"), std::string::npos);

  // Placements go to "setting.ini" under the page's title.
  yel::DebugPagesPlacementSave();
  const std::string ini = (base_ / "setting.ini").string();
  EXPECT_EQ(os::ReadIniInt(ini, title, "view", -1), 1);
  EXPECT_EQ(os::ReadIniInt(ini, title, "w", -1), 300);
  EXPECT_EQ(os::ReadIniInt(ini, title, "h", -1), 230);
}

TEST(DebugParseValue, ReadsSignedDecimalsHeldTo32Bits) {
  const std::pair<const char*, int32_t> cases[] = {
      {"-5", -5},
      {"42", 42},
      {" 7", 7},
      {"12abc", 12},
      {"", 0},
      {"x", 0},
      {"99999999999", INT32_MAX},
      {"-99999999999", INT32_MIN},
      {"-2147483648", INT32_MIN},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(yel::DebugParseValue(text), value) << text;
}

// A debug-mode run: the "system" page, the game's pages with their files, the state word and
// the debug window's placement in "setting.ini". Headless, the window opens offscreen (or not
// at all); the pages work either way.
class DebugRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ = TestFolder("yel_debug_run_");
    fs::remove_all(base_);
    fs::create_directories(base_);
    yel::SetBaseFolder(base_.string());
  }
  void TearDown() override {
    yel::SetBaseFolder(os::ExecutableFolder());
    fs::remove_all(base_);
  }
  fs::path base_;
};

std::array<int32_t, 4> g_run_values = {42, 0, 0, 0};
int32_t* g_run_cell = g_run_values.data();

// Ends the run once the main thread has refreshed the status rows and the value page, which
// it does between frames (the debug window is drawn after each refresh).
int WaitForRefresh(void*) {
  const std::deque<std::string> values = yel::DebugPageTexts(11);
  if (!values.empty() && values.front() == "42" && !yel::DebugStatusTexts()[0].empty()) YelEnd();
  return 1;
}

int DebugPagesFirst() {
  const std::string trace = os::Utf8ToCp932("履歴");
  EXPECT_EQ(YelDebugWindowCreate(10, trace.c_str(), 1), 1);
  EXPECT_EQ(YelDebugWindowCreate(10, "again", 1), 0);
  EXPECT_EQ(YelDebugWindowCreate(16, "output", 1), 1);
  EXPECT_EQ(YelDebugWindowCreate(11, "values", 3), 1);
  EXPECT_EQ(YelDebugSetData(11, &g_run_cell, 4), 0);
  EXPECT_EQ(YelDebugWindowGetState(), 0);
  EXPECT_EQ(YelDebugPrintf(10, "", "trace %d", 1), 1);
  EXPECT_EQ(YelDebugPrintf(16, "", "%s", "100%"), 1);
  // State bit 0: the trace stops, errors still print.
  EXPECT_EQ(YelDebugWindowSetState(1), 1);
  EXPECT_EQ(YelDebugWindowGetState(), 1);
  EXPECT_EQ(YelDebugPrintf(10, "", "trace %d", 2), 1);
  EXPECT_EQ(YelDebugPrintf(0, "", "error %d", 3), 1);
  EXPECT_EQ(YelDebugWindowSetState(0), 1);
  EXPECT_EQ(YelBeginUpdate(10), 1);
  EXPECT_EQ(YelBeginUpdate(77), 0);
  EXPECT_EQ(YelEndUpdate(), 1);
  EXPECT_EQ(YelDebugWindowDeleteLog(16), 1);
  EXPECT_EQ(YelDebugWindowDelete(77), 0);
  EXPECT_NE(YelTaskCreate(WaitForRefresh, nullptr, 0, nullptr, 0, nullptr, "wait"), nullptr);
  return 1;
}

TEST_F(DebugRunTest, PagesWriteTheirFilesAndPlacements) {
  YelInitParam param{};
  YelDefaultCreate(&param);
  param.option_bits |= YEL_OPTION_HIDDEN;
  param.window_width = param.game_width = 320;
  param.window_height = param.game_height = 240;
  param.title = "test";
  param.debug = 1;
  param.first_func = DebugPagesFirst;
  ASSERT_EQ(YelInit(&param), 1);
  {
    Watchdog watchdog(10000);
    YelRun();
    EXPECT_FALSE(watchdog.Fired());
  }
  EXPECT_EQ(YelUninit(), 1);

  const fs::path report = base_ / "_YEL_DEBUG_REPORT_";
  EXPECT_EQ(FileText(report / "履歴.txt"), "trace 1\r\n");
  EXPECT_EQ(FileText(report / "output.txt"), "100%\r\n");
  EXPECT_NE(FileText(report / "system.txt").find("error 3\r\n"), std::string::npos);
  const std::string ini = (base_ / "setting.ini").string();
  EXPECT_EQ(os::ReadIniInt(ini, "output", "view", -1), 1);
  EXPECT_EQ(os::ReadIniInt(ini, "system", "x", -1), 0);
  EXPECT_NE(os::ReadIniInt(ini, "DebugWindow", "w", -1), -1);
}

TEST(DebugExports, OutsideDebugModeDoNothing) {
  EXPECT_EQ(YelDebugWindowGetState(), 0);
  EXPECT_EQ(YelDebugWindowSetState(1), 0);
  EXPECT_EQ(YelDebugWindowCreate(5, "x", 1), 1);
  EXPECT_EQ(YelBeginUpdate(5), 1);
  EXPECT_EQ(YelSaveScreenShot(), 0);
  EXPECT_FALSE(yel::DebugPageExists(5));
}

class SpriteToolTest : public spritetest::DrawingFixture {};

TEST_F(SpriteToolTest, PicksMovesTurnsAndGivesTheColourBack) {
  YelSprite* sprite = YelSpriteCreate(render_, 16, 16, 0);
  ASSERT_NE(sprite, nullptr);
  YelSpriteSetPos(sprite, 10.0f, 10.0f, 0.0f);
  YelSpriteSetColor(sprite, 0x80112233);
  YelSpriteViewCtrl(sprite, 1);

  yel::SpriteToolData data{};
  yel::SpriteToolPick(data, 40, 40);
  EXPECT_EQ(data.sprite, nullptr) << "nothing under the mouse: the tool keeps waiting";
  yel::SpriteToolPick(data, 12, 12);
  ASSERT_EQ(data.sprite, sprite);

  yel::SpriteToolInput drag;
  drag.held = yel::kKeyMouseLeft | yel::kKeyRight;
  drag.mouse_move_x = 3;
  drag.mouse_move_y = -2;
  drag.wheel = -1;
  yel::SpriteToolApply(data, drag);
  YelSpriteInfo info{};
  ASSERT_EQ(YelSpriteGetInfo(sprite, &info), 1);
  EXPECT_EQ(info.x, 14.0f);  // 10 + 3 dragged + 1 right
  EXPECT_EQ(info.y, 8.0f);
  EXPECT_FLOAT_EQ(info.scale_x, 1.01f);
  EXPECT_EQ(info.colour & 0x00FFFFFF, 0x112233u) << "the blink changes the alpha alone";

  // 512 turns with Shift and A bring the z rotation back to where it started.
  yel::SpriteToolInput turn;
  turn.held = yel::kKeyShift;
  turn.turn_up[2] = true;
  for (int i = 0; i < 511; ++i) yel::SpriteToolApply(data, turn);
  EXPECT_EQ(data.rotation_offset[2], 511);
  yel::SpriteToolApply(data, turn);
  EXPECT_EQ(data.rotation_offset[2], 0);

  yel::SpriteToolForget(data);
  ASSERT_EQ(YelSpriteGetInfo(sprite, &info), 1);
  EXPECT_EQ(info.colour, 0x80112233u);
  EXPECT_EQ(data.sprite, nullptr);
  YelSpriteRelease(render_, sprite);
}

TEST(CameraTool, MovesTheCameraAndResetsToZero) {
  const yel::CameraVectors standard = yel::CameraGet();
  yel::CameraToolData data{};
  yel::CameraToolStart(data);
  yel::CameraToolApply(data, yel::kKeyShift | yel::kKeyUp);
  EXPECT_FLOAT_EQ(yel::CameraGet().from[1], standard.from[1] + yel::kCameraStep);
  yel::CameraToolApply(data, yel::kKeyDown);  // forward along the move vector
  EXPECT_FLOAT_EQ(yel::CameraGet().from[2], standard.from[2] + yel::kCameraStep);
  yel::CameraToolApply(data, yel::kKeyRight);
  EXPECT_EQ(data.angle, 1);
  yel::CameraToolReset(data, 7);
  EXPECT_EQ(yel::CameraGet().from, (std::array<float, 3>{}));
  EXPECT_EQ(yel::CameraGet().up, (std::array<float, 3>{}));
  // The tool's end puts the starting camera back.
  yel::CameraSet(data.start);
  EXPECT_EQ(yel::CameraGet().from, standard.from);
}

}  // namespace

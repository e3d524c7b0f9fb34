#include <gtest/gtest.h>

#include <atomic>

#include "YEL/core/system.h"
#include "YEL/window/window_modes.h"
#include "tests/yel/watchdog.h"

namespace {

using yel::SizingEdge;

TEST(WindowSizing, DragsKeepTheGameAspect) {
  const os::Rect frame{100, 100, 100 + 1000, 100 + 720};  // wider than 16:9 after the drag
  const struct {
    SizingEdge edge;
    os::Rect expected;
  } cases[] = {
      {SizingEdge::kRight, {100, 100, 1100, 100 + 562}},   // height follows the width
      {SizingEdge::kBottom, {100, 100, 100 + 1280, 820}},  // width follows the height
      // Corners: the frame is narrower than the game, so the width follows the height.
      {SizingEdge::kBottomRight, {100, 100, 100 + 1280, 820}},
      {SizingEdge::kTopLeft, {1100 - 1280, 100, 1100, 820}},
  };
  for (const auto& c : cases) {
    const os::Rect r = yel::WindowSizing(1280, 720, c.edge, frame);
    EXPECT_EQ(r.left, c.expected.left) << static_cast<int>(c.edge);
    EXPECT_EQ(r.top, c.expected.top) << static_cast<int>(c.edge);
    EXPECT_EQ(r.right, c.expected.right) << static_cast<int>(c.edge);
    EXPECT_EQ(r.bottom, c.expected.bottom) << static_cast<int>(c.edge);
  }
  const os::Rect exact{0, 0, 1280, 720};
  const os::Rect same = yel::WindowSizing(1280, 720, SizingEdge::kBottomRight, exact);
  EXPECT_EQ(same.right, 1280);
  EXPECT_EQ(same.bottom, 720);
}

TEST(DesktopRect, FixedDesktopReplacesTheRealOne) {
  YelSetDesktopRect(1, 1280, 720);
  YelRect r;
  YelGetDesktopRect(&r);
  EXPECT_EQ(r.right, 1280);
  EXPECT_EQ(r.bottom, 720);
  EXPECT_EQ(YelIsDesktopRectFix(), 1);
  YelPoint centre;
  EXPECT_EQ(YelWindowGetPosCenter(&centre, 640, 360), 1);
  EXPECT_EQ(centre.x, 320);
  EXPECT_EQ(centre.y, 180);
  EXPECT_EQ(YelWindowGetPosCenter(nullptr, 1, 1), 0);
  YelSetDesktopRect(0, 1280, 720);
}

// Requests made from a task; the step counts frames and checks the results a few frames later.
std::atomic<int> g_frame{0};
int32_t g_width = 0, g_height = 0, g_full = -1, g_full_again = -1, g_size_in_full = -1;

int RequestStep(void*) {
  switch (++g_frame) {
    case 1: YelChangeWindowSize(640, 5); break;
    case 5:
      YelGetWindowSize(&g_width, &g_height);
      YelWindowChangeMode(1);
      break;
    case 9:
      g_full = YelCheckWindowMode();
      g_size_in_full = YelChangeWindowSize(100, 100);
      YelWindowChangeMode(1);  // already full screen: nothing
      break;
    case 12:
      g_full_again = YelCheckWindowMode();
      YelEnd();
      break;
    default: break;
  }
  return 1;
}

TEST(WindowRequests, ResizeKeepsTheAspectAndModeSwitches) {
  YelInitParam param;
  YelDefaultCreate(&param);
  param.option_bits |= YEL_OPTION_HIDDEN;
  param.window_width = param.game_width = 320;
  param.window_height = param.game_height = 180;
  param.first_func = [] {
    YelTaskCreate(RequestStep, nullptr, 4, nullptr, 1, nullptr, "requests");
    return 1;
  };
  ASSERT_EQ(YelInit(&param), 1);
  {
    Watchdog watchdog(10000);
    EXPECT_EQ(YelRun(), 0);
    EXPECT_FALSE(watchdog.Fired());
  }
  EXPECT_EQ(YelUninit(), 1);
  EXPECT_EQ(g_width, 640);
  EXPECT_EQ(g_height, 360) << "the height follows the width at the game's aspect";
  EXPECT_EQ(g_full, 1);
  EXPECT_EQ(g_size_in_full, 1);
  EXPECT_EQ(g_full_again, 1);
}

TEST(WindowRequests, RefusedWithoutARunningSystem) {
  EXPECT_EQ(YelWindowChangeMode(1), 0);
  EXPECT_EQ(YelChangeWindowSize(1, 1), 0);
  EXPECT_EQ(YelChangeAspectMode(1), 0);
  EXPECT_EQ(YelGetWindowSize(nullptr, nullptr), 0);
}

}  // namespace

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "YEL/render/render.h"
#include "tests/yel/system_fixture.h"

namespace {

std::string g_drawn;

// Objects are single characters; the draw callback records them, and '!' objects are one-shot.
int Draw(YelCore*, void* object) {
  const char c = static_cast<char>(reinterpret_cast<uintptr_t>(object));
  g_drawn += c;
  return c == '!' ? 0 : 1;
}

void* Obj(char c) { return reinterpret_cast<void*>(static_cast<uintptr_t>(c)); }

class RenderListTest : public SystemFixture {
 protected:
  void SetUp() override {
    SystemFixture::SetUp();
    render_ = YelRenderInit();
    ASSERT_NE(render_, nullptr);
    YelRenderSetActive(render_);
    g_drawn.clear();
  }
  void TearDown() override {
    YelRenderUninit(render_);
    SystemFixture::TearDown();
  }
  std::string Present() {
    g_drawn.clear();
    yel::YelRenderPresent();
    return g_drawn;
  }
  YelRender* render_ = nullptr;
};

TEST_F(RenderListTest, DrawsInDescendingPriorityKeepingInsertionOrderForEqualOnes) {
  YelRenderInsert(render_, Obj('a'), Draw, 5);
  YelRenderInsert(render_, Obj('b'), Draw, 7);
  YelRenderInsert(render_, Obj('c'), Draw, 5);
  EXPECT_EQ(Present(), "bac");
}

TEST_F(RenderListTest, OneShotNodeIsDrawnOnceAndItsSuccessorStillDrawn) {
  YelRenderInsert(render_, Obj('!'), Draw, 9);
  YelRenderInsert(render_, Obj('z'), Draw, 1);
  EXPECT_EQ(Present(), "!z");
  EXPECT_EQ(Present(), "z");
}

TEST_F(RenderListTest, PriorityChangesPlaceTheNodeAgainstEqualNodes) {
  YelRenderNode* a = YelRenderInsert(render_, Obj('a'), Draw, 9);
  YelRenderInsert(render_, Obj('b'), Draw, 5);
  YelRenderInsert(render_, Obj('c'), Draw, 5);
  YelRenderNode* d = YelRenderInsert(render_, Obj('d'), Draw, 1);
  YelRenderNodeSetPriority(d, 5);  // rises: in front of the other fives
  EXPECT_EQ(Present(), "adbc");
  YelRenderNodeSetPriority(a, 5);  // falls: behind them
  EXPECT_EQ(Present(), "dbca");
  YelRenderNodeSetPriority(a, 0);  // the last node falling stays last
  EXPECT_EQ(Present(), "dbca");
  YelRenderNodeSetPriority(a, 20);
  EXPECT_EQ(Present(), "adbc");
}

TEST_F(RenderListTest, InsertNextAndRemove) {
  YelRenderInsert(render_, Obj('a'), Draw, 5);
  YelRenderInsert(render_, Obj('c'), Draw, 5);
  YelRenderInsertNext(render_, Obj('b'), Draw, 0, Obj('c'));
  YelRenderInsertNext(render_, Obj('z'), Draw, 99, Obj('?'));
  EXPECT_EQ(Present(), "abcz");
  EXPECT_EQ(YelRenderRemoveLocked(render_, Obj('b')), 1);
  EXPECT_EQ(YelRenderRemove(render_, Obj('b')), 0);
  EXPECT_EQ(Present(), "acz");
}

TEST_F(RenderListTest, PresentSkipsTheFrameWhileAnotherThreadHoldsTheLock) {
  YelRenderInsert(render_, Obj('a'), Draw, 1);
  std::atomic<bool> held{false}, release{false};
  std::thread holder([&] {
    EXPECT_EQ(YelRenderLockEnter(), 1);
    held = true;
    while (!release) std::this_thread::yield();
    EXPECT_EQ(YelRenderLockLeave(), 1);
  });
  while (!held) std::this_thread::yield();
  EXPECT_EQ(YelRenderLockIsBusy(), 1);
  EXPECT_EQ(YelRenderGetState(), 1);
  EXPECT_EQ(Present(), "");
  release = true;
  holder.join();
  EXPECT_EQ(YelRenderGetState(), 0);
  EXPECT_EQ(Present(), "a");
}

TEST_F(RenderListTest, WithoutAnActiveObjectTheLockExportsFail) {
  YelRenderSetActive(nullptr);
  yel::SetLastError(0);
  EXPECT_EQ(YelRenderGetState(), -1);
  EXPECT_EQ(YelRenderLockEnter(), 0);
  EXPECT_EQ(yel::GetLastError(), yel::ERROR_INVALID_HANDLE);
  EXPECT_EQ(YelRenderLockIsBusy(), 1);
  EXPECT_EQ(yel::YelRenderPresent(), 0);
}

TEST_F(RenderListTest, FreeingTheActiveObjectLeavesNoneActive) {
  YelRender* other = YelRenderInit();
  YelRenderSetActive(other);
  YelRenderInsert(other, Obj('a'), Draw, 1);
  const int32_t blocks = YelGetAllocCount();
  YelRenderUninit(other);
  EXPECT_EQ(YelGetAllocCount(), blocks - 2);
  EXPECT_EQ(YelRenderGetActive(), nullptr);
}

}  // namespace

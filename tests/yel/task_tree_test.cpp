#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "YEL/core/system.h"
#include "tests/yel/system_fixture.h"

namespace {

// Every task step and end step appends "<name>" or "~<name>" to the log.
std::vector<std::string> g_log;

struct Named {
  const char* name;
};

int Step(void* data) {
  g_log.push_back(static_cast<Named*>(data)->name);
  return 1;
}

int End(void* data) {
  g_log.push_back(std::string("~") + static_cast<Named*>(data)->name);
  return 1;
}

class TaskTreeTest : public SystemFixture {
 protected:
  void SetUp() override {
    SystemFixture::SetUp();
    g_log.clear();
  }
  YelTask* Create(const char* name, uint32_t link = 1, YelTask* parent = nullptr) {
    void* data = nullptr;
    YelTask* task = YelTaskCreate(Step, End, sizeof(Named), &data, link, parent, name);
    if (task) static_cast<Named*>(data)->name = name;
    return task;
  }
  std::vector<std::string> WalkLog() {
    g_log.clear();
    Walk();
    return g_log;
  }
  using Log = std::vector<std::string>;
};

TEST_F(TaskTreeTest, ChildrenRunBeforeTheirParent) {
  YelTask* a = Create("a");
  Create("b", 1, a);  // after a
  Create("a1", 2, a);
  Create("a2", 2, a);  // first child: a2 a1
  EXPECT_EQ(WalkLog(), (Log{"a2", "a1", "a", "b"}));
}

// A task created during a step after the current task runs in the same walk; a first child of
// the current task runs only in the next walk.
int g_spawn_mode = 0;
int Spawner(void*) {
  g_log.push_back("spawner");
  if (g_spawn_mode != 0) {
    void* data = nullptr;
    YelTaskCreate(Step, nullptr, sizeof(Named), &data, static_cast<uint32_t>(g_spawn_mode),
                  nullptr, "spawned");
    static_cast<Named*>(data)->name = g_spawn_mode == 1 ? "after" : "child";
    g_spawn_mode = 0;
  }
  return 1;
}

TEST_F(TaskTreeTest, TasksCreatedInsideAStep) {
  g_spawn_mode = 1;
  YelTaskCreate(Spawner, nullptr, 0, nullptr, 1, nullptr, "s");
  EXPECT_EQ(WalkLog(), (Log{"spawner", "after"}));
  TearDown();
  SetUp();
  g_spawn_mode = 2;
  YelTaskCreate(Spawner, nullptr, 0, nullptr, 1, nullptr, "s");
  EXPECT_EQ(WalkLog(), (Log{"spawner"}));
  EXPECT_EQ(WalkLog(), (Log{"child", "spawner"}));
}

TEST_F(TaskTreeTest, FreeingAParentEndsItsChildrenFirstInTheNextWalk) {
  YelTask* parent = Create("p");
  Create("c", 2, parent);
  const int32_t blocks = YelGetAllocCount();
  EXPECT_EQ(YelTaskFree(parent), 1);
  EXPECT_EQ(YelTaskGetState(parent), 2);
  EXPECT_EQ(WalkLog(), (Log{"~c", "~p"}));
  EXPECT_EQ(WalkLog(), Log{});
  EXPECT_EQ(system_.tasks.count, 0);
  EXPECT_EQ(YelGetAllocCount(), blocks - 2) << "both data blocks are freed";
  EXPECT_EQ(YelTaskFree(parent), 0) << "the record is free again";
  EXPECT_EQ(YelTaskGetState(parent), 0);
}

TEST_F(TaskTreeTest, WaitOfThreeFramesBlocksLaterSiblingsForFourWalks) {
  YelTask* wait = YelWait(3);
  Create("blocked", 1, wait);
  Create("child", 2, wait);  // below the wait: not blocked
  for (int walk = 1; walk <= 4; ++walk) EXPECT_EQ(WalkLog(), (Log{"child"})) << "walk " << walk;
  EXPECT_EQ(WalkLog(), (Log{"~child", "blocked"})) << "the wait ends with what is below it";
}

TEST_F(TaskTreeTest, WaitOfZeroFramesEnds) {
  YelTask* wait = YelWait(0);
  Create("after", 1, wait);
  EXPECT_EQ(WalkLog(), Log{});
  EXPECT_EQ(WalkLog(), Log{});
  EXPECT_EQ(WalkLog(), (Log{"after"}));
}

TEST_F(TaskTreeTest, WaitTimeEndsAfterItsDuration) {
  system_.frame_time = 1000;
  YelTask* wait = YelWaitTime(50);
  Create("after", 1, wait);
  EXPECT_EQ(WalkLog(), Log{});  // stores the start
  system_.frame_time = 1049;
  EXPECT_EQ(WalkLog(), Log{});
  system_.frame_time = 1050;
  EXPECT_EQ(WalkLog(), Log{});  // marks itself ending
  EXPECT_EQ(WalkLog(), (Log{"after"}));
}

// A blocked sibling that is freed gets its end step while blocked, and the tasks below it end
// with it instead of being left behind.
TEST_F(TaskTreeTest, BlockedSiblingEndsWithItsChildren) {
  YelTask* wait = YelWait(-1);
  YelTask* sibling = Create("s", 1, wait);
  Create("s1", 2, sibling);
  YelTaskFree(sibling);
  EXPECT_EQ(WalkLog(), (Log{"~s1", "~s"}));
  EXPECT_EQ(system_.tasks.count, 1) << "only the wait is left";
}

TEST_F(TaskTreeTest, PoolHoldsAtMost256Tasks) {
  for (int i = 0; i < 256; ++i) ASSERT_NE(Create("t"), nullptr) << i;
  void* data = reinterpret_cast<void*>(1);
  EXPECT_EQ(YelTaskCreate(Step, End, 4, &data, 1, nullptr, "x"), nullptr);
  EXPECT_EQ(data, nullptr);
  EXPECT_EQ(YelTaskCreate(nullptr, End, 4, nullptr, 1, nullptr, "x"), nullptr);
}

TEST_F(TaskTreeTest, StateMessageAndTaskData) {
  YelTask* task = Create("t");
  EXPECT_EQ(YelTaskGetState(task), 1);
  task->fn = End;  // a step equal to the end function reads as ending
  EXPECT_EQ(YelTaskGetState(task), 2);
  task->fn = Step;
  EXPECT_EQ(YelTaskSetMessage(task, 7), 7);
  EXPECT_EQ(YelTaskGetMessage(task), 7);
  EXPECT_EQ(YelTaskGetMessage(task), 0);
  EXPECT_EQ(YelTaskGetTaskData(nullptr), nullptr);
  YelTaskSetTaskData(task);
  EXPECT_EQ(YelTaskGetTaskData(nullptr), task->data);
  EXPECT_EQ(YelTaskGetTaskData(task), task->data);
}

TEST_F(TaskTreeTest, ResetKeepsOnlyTheFirstTopLevelTask) {
  Create("c");
  Create("b");
  YelTask* a = Create("a");  // order: a b c
  Create("a1", 2, a);
  YelTaskReset();
  EXPECT_EQ(g_log, (Log{"~b", "~c"}));
  EXPECT_EQ(WalkLog(), (Log{"a1", "a"}));
}

TEST_F(TaskTreeTest, ShutdownRunsEveryEndStep) {
  YelTask* a = Create("a");
  Create("a1", 2, a);
  Create("b");
  g_log.clear();
  yel::TaskTreeRelease(system_.tasks);
  EXPECT_EQ(g_log, (Log{"~b", "~a1", "~a"}));
  ASSERT_TRUE(yel::TaskTreeInitialize(system_.tasks));
}

}  // namespace

// A system record with a task tree and no window or threads, for tests of the parts that only
// need the record.
#pragma once

#include <gtest/gtest.h>

#include "YEL/core/system.h"
#include "YEL/core/task_tree.h"

class SystemFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(yel::System(), nullptr);
    ASSERT_TRUE(yel::TaskTreeInitialize(system_.tasks));
    yel::SetSystem(&system_);
  }
  void TearDown() override {
    yel::TaskTreeRelease(system_.tasks);
    yel::SetSystem(nullptr);
  }
  // One frame's walk of the whole tree.
  void Walk() { yel::YelTaskWalk(system_.tasks, system_.tasks.root); }

  yel::YelSystem system_;
};

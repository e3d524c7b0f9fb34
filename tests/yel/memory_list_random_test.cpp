#include <gtest/gtest.h>

#include <vector>

#include "YEL/core/random_table.h"
#include "YEL/core/system.h"
#include "tests/yel/system_fixture.h"

namespace {

TEST(MsvcRand, FollowsTheOriginalSequence) {
  yel::MsvcSrand(1);
  const int32_t expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358};
  for (int32_t value : expected) EXPECT_EQ(yel::MsvcRand(), value);
  yel::MsvcSrand(12345);
  EXPECT_EQ(yel::MsvcRand(), 7584);
}

TEST(Memory, CountsLiveBlocksAndZeroFillsOnRequest) {
  const int32_t before = YelGetAllocCount();
  auto* zeroed = static_cast<unsigned char*>(YelMemoryAlloc(64, 1));
  void* plain = YelMemoryAlloc(16, 0);
  ASSERT_TRUE(zeroed && plain);
  EXPECT_EQ(YelGetAllocCount(), before + 2);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(zeroed[i], 0);
  YelMemoryFree(zeroed);
  YelMemoryFree(plain);
  YelMemoryFree(nullptr);
  EXPECT_EQ(YelGetAllocCount(), before);
}

struct ListOps {
  YelList* list = YelListCreate();
  ~ListOps() { YelListRelease(list); }
};

TEST(List, PushPopFindAndCount) {
  ListOps l;
  ASSERT_TRUE(YelListPushLast(l.list, 100, 1));
  ASSERT_TRUE(YelListPushLast(l.list, 200, 2));
  ASSERT_TRUE(YelListPushLast(l.list, 300, 1));
  ASSERT_TRUE(YelListPush(l.list, 50, 1));  // front: 50(1) 100(1) 200(2) 300(1)

  EXPECT_EQ(YelListFind(l.list, 1), l.list) << "a match in the first node gives the header";
  EXPECT_EQ(YelListFind(l.list, 2)->next->data, 200u);
  EXPECT_EQ(YelListFind(l.list, 9), nullptr);
  EXPECT_EQ(YelListFindNext(l.list)->next->data, 100u);
  EXPECT_EQ(YelListGetData(l.list, 1, 0), 50u);
  EXPECT_EQ(YelListGetData(l.list, 1, 2), 300u);
  EXPECT_EQ(YelListGetData(l.list, 1, 3), 0u);
  EXPECT_EQ(YelListGetDataCount(l.list, 1), 3);

  EXPECT_EQ(YelListPop(l.list, 2), 200u);
  EXPECT_EQ(YelListPop(l.list, 2), 0u);
  EXPECT_EQ(YelListDelete(l.list, 100), 1);
  EXPECT_EQ(YelListDelete(l.list, 100), 0);
  EXPECT_EQ(YelListPopFirst(l.list), 50u);
  EXPECT_EQ(YelListPopFirst(l.list), 300u);
  EXPECT_EQ(YelListPopFirst(l.list), 0u);
  EXPECT_EQ(YelListFindNext(l.list), nullptr);
}

TEST(List, NullListsAreRefused) {
  EXPECT_EQ(YelListPush(nullptr, 1, 1), 0);
  EXPECT_EQ(YelListPopFirst(nullptr), 0u);
  EXPECT_EQ(YelListGetDataCount(nullptr, 1), 0);
  YelListRelease(nullptr);
}

TEST(List, ReleaseFreesEveryNode) {
  const int32_t before = YelGetAllocCount();
  YelList* list = YelListCreate();
  for (int i = 0; i < 5; ++i) YelListPush(list, static_cast<uintptr_t>(i), i);
  YelListRelease(list);
  EXPECT_EQ(YelGetAllocCount(), before);
}

TEST_F(SystemFixture, RandomTableCyclesAndSeedsAreBounded) {
  system_.param.debug = 1;
  ASSERT_TRUE(yel::RandomTableInitialize(system_.random, 4));
  std::vector<int32_t> table(4);
  EXPECT_EQ(YelRandomGetSeed(table.data(), 100), 4);
  for (int round = 0; round < 2; ++round) {
    for (int i = 0; i < 4; ++i) EXPECT_EQ(YelRandomEx(), table[i]);
  }
  const int32_t seed[6] = {1, 2, 3, 4, 5, 6};
  EXPECT_EQ(YelRandomSetSeed(seed, 6), 3) << "copies the table size, returns it less one";
  EXPECT_EQ(YelRandom(), 1) << "debug mode draws from the table";
  EXPECT_EQ(YelRandom(), 2);
  system_.param.debug = 0;
  const int32_t value = YelRandom();
  EXPECT_GE(value, 0);
  EXPECT_LE(value, 32767);
  yel::RandomTableRelease(system_.random);
}

}  // namespace

#include "os/message_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "os/sync.h"

namespace {

TEST(MessageQueue, PostedMessagesArriveInOrderAndQuitComesLast) {
  os::MessageQueue queue;
  queue.Post({1, 10, 0});
  queue.PostQuit(7);
  queue.Post({2, 20, 0});
  os::Message m;
  ASSERT_TRUE(queue.Peek(m));
  EXPECT_EQ(m.id, 1u);
  ASSERT_TRUE(queue.Peek(m));
  EXPECT_EQ(m.id, 2u);
  // A wait that must not take the quit leaves it for the message loop.
  EXPECT_FALSE(queue.Peek(m, false));
  ASSERT_TRUE(queue.Peek(m));
  EXPECT_EQ(m.id, os::kMsgQuit);
  EXPECT_EQ(m.wparam, 7u);
  EXPECT_FALSE(queue.Peek(m));
}

TEST(MessageQueue, SendRunsTheHandlerOnTheOwnerThreadAndReturnsItsResult) {
  auto queue = std::make_shared<os::MessageQueue>();
  std::thread::id handled_on;
  queue->SetSendHandler([&](const os::Message& m) {
    handled_on = std::this_thread::get_id();
    return static_cast<intptr_t>(m.wparam * 2);
  });
  std::atomic<bool> stop{false};
  std::thread owner([&] {
    os::MessageQueue::AdoptForCurrentThread(queue);
    while (!stop) queue->Wait(5);
  });
  EXPECT_EQ(queue->Send({5, 21, 0}), 42);
  EXPECT_EQ(handled_on, owner.get_id());
  stop = true;
  owner.join();
}

// Two threads that send to each other from inside their handlers must not deadlock: each serves
// the other's send while it waits for its own reply.
TEST(MessageQueue, CrossedSendsAreServedWhileWaiting) {
  auto a = std::make_shared<os::MessageQueue>();
  auto b = std::make_shared<os::MessageQueue>();
  a->SetSendHandler([&](const os::Message& m) -> intptr_t {
    if (m.id == 1) return b->Send({2, 0, 0}) + 1;
    return 100;
  });
  b->SetSendHandler([&](const os::Message& m) -> intptr_t {
    if (m.id == 2) return a->Send({3, 0, 0}) + 10;
    return 0;
  });
  std::atomic<bool> stop{false};
  std::thread thread_a([&] {
    os::MessageQueue::AdoptForCurrentThread(a);
    while (!stop) a->Wait(5);
  });
  std::thread thread_b([&] {
    os::MessageQueue::AdoptForCurrentThread(b);
    while (!stop) b->Wait(5);
  });
  EXPECT_EQ(a->Send({1, 0, 0}), 111);
  stop = true;
  thread_a.join();
  thread_b.join();
}

TEST(MessageQueue, ClosedQueueRefusesPostsAndReleasesSenders) {
  auto queue = std::make_shared<os::MessageQueue>();
  queue->SetSendHandler([](const os::Message&) { return intptr_t{5}; });
  // The owner's wake-up comes once the send is queued, so the close finds the sender waiting.
  os::Event send_queued;
  queue->SetWakeHook([&] { send_queued.Set(); });
  // Nobody serves the queue: the sender waits until the queue closes.
  std::thread sender([&] { EXPECT_EQ(queue->Send({1, 0, 0}), 0); });
  ASSERT_TRUE(send_queued.Wait(10000));
  queue->Close();
  sender.join();
  EXPECT_FALSE(queue->Post({1, 0, 0}));
}

TEST(MessageQueue, PostsSendsAndQuitWakeAnOwnerThatSleepsElsewhere) {
  auto queue = std::make_shared<os::MessageQueue>();
  queue->SetSendHandler([](const os::Message& m) { return static_cast<intptr_t>(m.wparam); });
  std::atomic<int> wakes{0};
  queue->SetWakeHook([&] { ++wakes; });
  queue->Post({1, 0, 0});
  queue->PostQuit(0);
  EXPECT_EQ(wakes, 2);
  // A send from another thread wakes the owner, who serves it.
  std::thread sender([&] { EXPECT_EQ(queue->Send({2, 9, 0}), 9); });
  while (wakes < 3) std::this_thread::yield();
  EXPECT_TRUE(queue->ServeSends());
  sender.join();
  queue->SetWakeHook(nullptr);
  queue->Post({3, 0, 0});
  EXPECT_EQ(wakes, 3);
}

TEST(MessageQueue, AThreadsQueueClosesWhenTheThreadEnds) {
  std::shared_ptr<os::MessageQueue> queue;
  std::thread([&] { queue = os::MessageQueue::Current(); }).join();
  EXPECT_TRUE(queue->Closed());
}

TEST(Event, WaitTimesOutUnlessSet) {
  os::Event event;
  EXPECT_FALSE(event.Wait(1));
  event.Set();
  EXPECT_TRUE(event.Wait(0));
  event.Reset();
  EXPECT_FALSE(event.IsSet());
}

TEST(Thread, JoinWithTimeLimit) {
  os::Event release;
  os::Thread thread;
  ASSERT_TRUE(thread.Start([&] { release.Wait(5000); }));
  EXPECT_FALSE(thread.Join(10));
  release.Set();
  EXPECT_TRUE(thread.Join(5000));
}

}  // namespace

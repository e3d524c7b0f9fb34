// Message queues between threads.
//
// Every thread that takes part in the engine has one queue. Other threads *post* to it (the
// message waits in order until the owner takes it) or *send* to it (the sender blocks until the
// owner has run its send handler and returns the handler's result). A thread that waits for
// anything (a send it made, an event, another thread) keeps serving the sends addressed to it,
// so two threads that send to each other never deadlock, and nothing posted is ever dropped.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace os {

class Event;

struct Message {
  uint32_t id = 0;
  uintptr_t wparam = 0;
  intptr_t lparam = 0;
};

// Reported by Peek and Get once PostQuit was called and every posted message was taken.
inline constexpr uint32_t kMsgQuit = 0x0012;

using SendHandler = std::function<intptr_t(const Message&)>;

class MessageQueue {
 public:
  MessageQueue() = default;
  MessageQueue(const MessageQueue&) = delete;
  MessageQueue& operator=(const MessageQueue&) = delete;

  // The calling thread's queue, made on first use. A thread can instead adopt a queue made for it
  // in advance, so that messages posted before it starts are already waiting.
  static std::shared_ptr<MessageQueue> Current();
  static void AdoptForCurrentThread(std::shared_ptr<MessageQueue> queue);

  // Appends a message; false only once the queue is closed (its thread has ended).
  bool Post(const Message& message);
  // Runs the owner's send handler on the owner's thread and returns its result. Called on the
  // owner's own thread the handler runs at once. 0 when the queue is closed or has no handler.
  intptr_t Send(const Message& message);
  // Requests the end of the owner's message loop with an exit code.
  void PostQuit(int exit_code);

  // Owner side.
  void SetSendHandler(SendHandler handler);
  // Called (on the posting or sending thread) after every post, send and quit request, for an
  // owner that sleeps somewhere else than in this queue's waits, such as in the window's events.
  void SetWakeHook(std::function<void()> wake);
  // Handles every pending sent message; true when there was one.
  bool ServeSends();
  // Serves sends, then takes the oldest posted message. A pending quit is reported (as kMsgQuit
  // with the exit code in wparam) only after every posted message and only when `take_quit` is
  // set; otherwise it stays pending for a later call.
  bool Peek(Message& out, bool take_quit = true);
  // Blocks until a message arrives; false for the quit message or a closed queue.
  bool Get(Message& out);
  // Sleeps until something arrives or `ms` pass, serving sends meanwhile.
  void Wait(uint32_t ms);
  // Waits for `event` up to `ms`, serving sends meanwhile; true when it is set.
  bool WaitFor(const Event& event, uint32_t ms);
  bool HasPosted() const;
  // Ends the queue: pending and later sends return 0, later posts fail.
  void Close();
  bool Closed() const;

 private:
  struct PendingSend;

  bool HasWorkLocked() const;
  void CompleteSend(PendingSend& pending, intptr_t result);
  void WakeOwner();

  mutable std::mutex mutex_;  // guards every member below
  std::condition_variable arrived_;
  std::deque<Message> posted_;
  std::deque<std::shared_ptr<PendingSend>> sends_;
  SendHandler handler_;
  std::function<void()> wake_;
  bool quit_pending_ = false;
  int quit_code_ = 0;
  bool closed_ = false;
};

}  // namespace os

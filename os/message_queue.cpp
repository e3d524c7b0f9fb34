#include "os/message_queue.h"

#include <chrono>

#include "os/clock.h"
#include "os/sync.h"

namespace os {

// A send in flight. The sender waits on its own queue's condition variable, so the owner wakes
// it by completing the record under the sender queue's mutex.
struct MessageQueue::PendingSend {
  Message message;
  std::shared_ptr<MessageQueue> sender;
  intptr_t result = 0;
  bool done = false;  // guarded by sender->mutex_
};

namespace {

// Closes the thread's queue when the thread ends, so that nobody waits on a dead owner.
struct QueueHolder {
  std::shared_ptr<MessageQueue> queue;
  ~QueueHolder() {
    if (queue) queue->Close();
  }
};

thread_local QueueHolder t_queue;

}  // namespace

std::shared_ptr<MessageQueue> MessageQueue::Current() {
  if (!t_queue.queue) t_queue.queue = std::make_shared<MessageQueue>();
  return t_queue.queue;
}

void MessageQueue::AdoptForCurrentThread(std::shared_ptr<MessageQueue> queue) {
  t_queue.queue = std::move(queue);
}

bool MessageQueue::Post(const Message& message) {
  {
    std::lock_guard lock(mutex_);
    if (closed_) return false;
    posted_.push_back(message);
    arrived_.notify_all();
  }
  WakeOwner();
  return true;
}

void MessageQueue::PostQuit(int exit_code) {
  {
    std::lock_guard lock(mutex_);
    quit_pending_ = true;
    quit_code_ = exit_code;
    arrived_.notify_all();
  }
  WakeOwner();
}

void MessageQueue::SetSendHandler(SendHandler handler) {
  std::lock_guard lock(mutex_);
  handler_ = std::move(handler);
}

void MessageQueue::SetWakeHook(std::function<void()> wake) {
  std::lock_guard lock(mutex_);
  wake_ = std::move(wake);
}

void MessageQueue::WakeOwner() {
  std::function<void()> wake;
  {
    std::lock_guard lock(mutex_);
    wake = wake_;
  }
  if (wake) wake();
}

intptr_t MessageQueue::Send(const Message& message) {
  auto self = Current();
  if (self.get() == this) {
    SendHandler handler;
    {
      std::lock_guard lock(mutex_);
      handler = handler_;
    }
    return handler ? handler(message) : 0;
  }
  auto pending = std::make_shared<PendingSend>();
  pending->message = message;
  pending->sender = self;
  {
    std::lock_guard lock(mutex_);
    if (closed_ || !handler_) return 0;
    sends_.push_back(pending);
    arrived_.notify_all();
  }
  WakeOwner();
  // Wait for the reply, serving whatever is sent to this thread meanwhile.
  for (;;) {
    self->ServeSends();
    std::unique_lock lock(self->mutex_);
    if (pending->done) return pending->result;
    self->arrived_.wait(lock, [&] { return pending->done || !self->sends_.empty(); });
    if (pending->done) return pending->result;
  }
}

void MessageQueue::CompleteSend(PendingSend& pending, intptr_t result) {
  std::lock_guard lock(pending.sender->mutex_);
  pending.result = result;
  pending.done = true;
  pending.sender->arrived_.notify_all();
}

bool MessageQueue::ServeSends() {
  bool served = false;
  for (;;) {
    std::shared_ptr<PendingSend> pending;
    SendHandler handler;
    {
      std::lock_guard lock(mutex_);
      if (sends_.empty()) return served;
      pending = std::move(sends_.front());
      sends_.pop_front();
      handler = handler_;
    }
    CompleteSend(*pending, handler ? handler(pending->message) : 0);
    served = true;
  }
}

bool MessageQueue::Peek(Message& out, bool take_quit) {
  ServeSends();
  std::lock_guard lock(mutex_);
  if (!posted_.empty()) {
    out = posted_.front();
    posted_.pop_front();
    return true;
  }
  if (quit_pending_ && take_quit) {
    quit_pending_ = false;
    out = Message{kMsgQuit, static_cast<uintptr_t>(quit_code_), 0};
    return true;
  }
  return false;
}

bool MessageQueue::Get(Message& out) {
  for (;;) {
    if (Peek(out)) return out.id != kMsgQuit;
    std::unique_lock lock(mutex_);
    if (closed_) return false;
    arrived_.wait(lock, [this] { return HasWorkLocked() || closed_; });
  }
}

bool MessageQueue::HasWorkLocked() const {
  return !posted_.empty() || !sends_.empty() || quit_pending_;
}

void MessageQueue::Wait(uint32_t ms) {
  ServeSends();
  std::unique_lock lock(mutex_);
  arrived_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return HasWorkLocked(); });
}

bool MessageQueue::WaitFor(const Event& event, uint32_t ms) {
  // Events have no link to queues, so the wait polls the event in short slices between sends.
  const uint32_t start = TimeMs();
  for (;;) {
    ServeSends();
    if (event.Wait(1)) return true;
    if (TimeMs() - start >= ms) return event.IsSet();
  }
}

bool MessageQueue::HasPosted() const {
  std::lock_guard lock(mutex_);
  return !posted_.empty() || quit_pending_;
}

void MessageQueue::Close() {
  std::deque<std::shared_ptr<PendingSend>> abandoned;
  {
    std::lock_guard lock(mutex_);
    closed_ = true;
    abandoned.swap(sends_);
    posted_.clear();
    arrived_.notify_all();
  }
  for (auto& pending : abandoned) CompleteSend(*pending, 0);
}

bool MessageQueue::Closed() const {
  std::lock_guard lock(mutex_);
  return closed_;
}

}  // namespace os

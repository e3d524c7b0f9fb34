// The three threads of the running system: the UI thread (the caller of YelRun, owner of the
// window), the main thread (frames) and the work thread (queued jobs).
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "os/message_queue.h"
#include "os/sync.h"

namespace yel {

struct YelSystem;

// Pausing the work thread: it stops before its next job and waits until resumed. A job in
// progress runs on; the library keeps no device state that a job could touch mid-change.
class WorkerGate {
 public:
  void Pause();
  void Resume();
  // Called by the work thread before each job.
  void WaitWhilePaused();

 private:
  std::mutex mutex_;  // guards paused_
  std::condition_variable resumed_;
  bool paused_ = false;
};

WorkerGate& WorkGate();

// Takes the next message of the UI thread (window events first turned into messages). With
// `take_quit` clear a pending quit stays queued for the message loop.
bool UiPeekMessage(os::Message& out, bool take_quit);
// Sleeps until a window event or a message for the UI thread arrives (posts and sends wake it),
// or a short while passes.
void UiSleep(YelSystem& system);
// Waits up to `ms` for `event` while the UI thread handles its messages and sends.
bool UiWaitFor(const os::Event& event, uint32_t ms);
// Stops the work thread, then the main thread (UI thread).
void YelStopThreads();

void WorkThreadProc(YelSystem* system);
void MainThreadProc(YelSystem* system);

}  // namespace yel

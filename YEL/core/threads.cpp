// Starting and stopping the threads, and handing work between them.
#include "YEL/core/threads.h"

#include "YEL/core/system.h"
#include "YEL/debug/debug_log.h"
#include "YEL/window/private_messages.h"
#include "YEL/window/window_proc.h"
#include "os/clock.h"
#include "os/message_box.h"
#include "os/signals.h"

namespace yel {
namespace {

constexpr uint32_t kWaitSliceMs = 10;
constexpr int kSlicesPerRound = 100;
// A thread gets this many rounds of 100 slices to end before it is given up.
constexpr int kStopRounds = 10;
constexpr uint32_t kForever = 0xFFFFFFFF;
// The longest the idle UI thread sleeps: a termination signal cannot wake it, so it looks for
// one this often.
constexpr uint32_t kIdleWaitMs = 250;

bool StartThread(YelSystem* system, ThreadSlot& slot, void (*proc)(YelSystem*),
                 const char* failure_text) {
  if (slot.thread.Start([system, proc] { proc(system); })) return true;
  os::ShowMessageBox(failure_text, "执行错误", os::BoxButtons::kOk);
  return false;
}

// Posts the quit message and waits for the thread to end, serving the UI meanwhile.
bool StopThread(ThreadSlot& slot, const char* name) {
  if (!slot.thread.Started()) return true;
  if (!slot.thread.Finished()) slot.queue->Post(MakeMessage(ThreadMessage::WM_YEL_THREAD_QUIT));
  for (int round = 0; round < kStopRounds; ++round) {
    os::Event never;
    for (int slice = 0; slice < kSlicesPerRound; ++slice) {
      if (slot.thread.Join(0)) return true;
      UiWaitFor(never, kWaitSliceMs);
    }
    YelErrorLogPrintf("%s thread has not ended yet", name);
  }
  if (slot.thread.Join(0)) return true;
  // A thread is never killed: it is left running and the system record is kept for it.
  YelErrorLogPrintf("%s thread abandoned", name);
  slot.thread.Abandon();
  return false;
}

}  // namespace

void WorkerGate::Pause() {
  std::lock_guard lock(mutex_);
  paused_ = true;
}

void WorkerGate::Resume() {
  std::lock_guard lock(mutex_);
  paused_ = false;
  resumed_.notify_all();
}

void WorkerGate::WaitWhilePaused() {
  std::unique_lock lock(mutex_);
  resumed_.wait(lock, [this] { return !paused_; });
}

WorkerGate& WorkGate() {
  static WorkerGate gate;
  return gate;
}

bool UiPeekMessage(os::Message& out, bool take_quit) {
  YelSystem* system = System();
  if (!system) return false;
  if (os::TakeTerminationRequest()) YelEnd();
  if (system->window) {
    system->window->PumpEvents([system](const os::Message& m) { system->ui_queue->Post(m); });
  }
  return system->ui_queue->Peek(out, take_quit);
}

void UiSleep(YelSystem& system) {
  if (system.window) {
    system.window->WaitEvents(kIdleWaitMs,
                              [&system](const os::Message& m) { system.ui_queue->Post(m); });
  } else {
    system.ui_queue->Wait(kIdleWaitMs);
  }
}

bool UiWaitFor(const os::Event& event, uint32_t ms) {
  YelSystem* system = System();
  const uint32_t start = os::TimeMs();
  for (;;) {
    if (event.IsSet()) return true;
    os::Message message;
    while (UiPeekMessage(message, false)) YelWindowProc(message);
    if (system->ui_queue->WaitFor(event, kWaitSliceMs)) return true;
    if (ms != kForever && os::TimeMs() - start >= ms) return event.IsSet();
  }
}

void YelStopThreads() {
  Process().system_end = true;
  YelSystem* system = System();
  if (!system) return;
  WorkGate().Resume();
  const bool work_stopped = StopThread(system->work, "work");
  const bool main_stopped = StopThread(system->main, "main");
  system->threads_abandoned = !work_stopped || !main_stopped;
}

void WorkThreadProc(YelSystem* system) {
  os::MessageQueue::AdoptForCurrentThread(system->work.queue);
  Process().work_thread_id = std::this_thread::get_id();
  system->work.started.Set();
  os::Message message;
  while (system->work.queue->Get(message)) {
    const ThreadMessage id = AsThreadMessage(message);
    if (id == ThreadMessage::WM_YEL_THREAD_QUIT) break;
    if (id != ThreadMessage::WM_YEL_CALL || message.wparam == 0) continue;
    WorkGate().WaitWhilePaused();
    reinterpret_cast<YelProcessFunc>(message.wparam)(static_cast<uintptr_t>(message.lparam));
  }
}

}  // namespace yel

using yel::System;
using yel::YelSystem;

extern "C" {

YEL_API int YelRun(void) {
  YelSystem* system = System();
  if (!system) return -1;
  os::InstallTerminationHandler();
  // Set before the threads start, so that requests made in the very first frame are taken.
  system->running = 1;
  if (!yel::StartThread(system, system->work, yel::WorkThreadProc, "创建线程失败。[0x0A]")) {
    system->running = 0;
    return -1;
  }
  yel::UiWaitFor(system->work.started, yel::kForever);
  // An end request served while the work thread started has stopped the threads already: a
  // main thread started after that would never be told to stop.
  if (!yel::Process().system_end.load()) {
    if (!yel::StartThread(system, system->main, yel::MainThreadProc, "创建线程失败。[0x0B]")) {
      yel::YelStopThreads();
      system->running = 0;
      return -1;
    }
    yel::UiWaitFor(system->main.started, yel::kForever);
  }
  // A full screen asked for at start becomes a real switch now that the main thread runs.
  if (system->window_state.Get().full_screen) {
    system->window_state.Update([](yel::WindowState& w) { w.full_screen = 0; });
    YelWindowChangeMode(1);
  }
  int exit_code = 0;
  while (system->running.load()) {
    os::Message message;
    if (!yel::UiPeekMessage(message, true)) {
      yel::UiSleep(*system);
      continue;
    }
    if (message.id == os::kMsgQuit) {
      exit_code = static_cast<int>(message.wparam);
      break;
    }
    yel::YelWindowProc(message);
  }
  return exit_code;
}

YEL_API void YelEnd(void) {
  YelSystem* system = System();
  if (!system || yel::Process().system_end.load()) return;
  if (yel::Process().end_requested.exchange(true)) return;
  // On the UI thread the end runs at once. Other threads only post the request: the end stops
  // them, so they must not wait for it.
  const os::Message end = yel::MakeMessage(yel::WindowMessage::WM_YEL_END);
  if (yel::OnUiThread()) {
    yel::YelWindowProc(end);
  } else {
    system->ui_queue->Post(end);
  }
}

YEL_API int YelAttachProcess(YelProcessFunc fn, uintptr_t arg) {
  YelSystem* system = System();
  if (!system) return 0;
  const os::Message message = yel::MakeMessage(
      yel::WindowMessage::WM_YEL_CALL, reinterpret_cast<uintptr_t>(fn), static_cast<intptr_t>(arg));
  if (yel::OnUiThread()) return static_cast<int>(yel::YelWindowProc(message));
  return static_cast<int>(system->ui_queue->Send(message));
}

YEL_API int YelAttachWorkProcess(YelProcessFunc fn, uintptr_t arg) {
  YelSystem* system = System();
  if (!system || !system->work.queue) return 0;
  return system->work.queue->Post(yel::MakeMessage(yel::ThreadMessage::WM_YEL_CALL,
                                                   reinterpret_cast<uintptr_t>(fn),
                                                   static_cast<intptr_t>(arg)))
             ? 1
             : 0;
}

YEL_API int YelIsWorkThreadId(void) {
  return std::this_thread::get_id() == yel::Process().work_thread_id.load() ? 1 : 0;
}

}  // extern "C"

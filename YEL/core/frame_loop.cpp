// The main thread: the first function, then one frame after another until the quit message.
#include "YEL/core/frame_loop.h"

#include "YEL/core/system.h"
#include "YEL/core/threads.h"
#include "YEL/debug/debug_window.h"
#include "YEL/graphics/screen_effects.h"
#include "YEL/input/input.h"
#include "YEL/media/video.h"
#include "YEL/render/render.h"
#include "YEL/render/renderer.h"
#include "YEL/window/private_messages.h"
#include "os/clock.h"
#include "os/message_box.h"

namespace yel {
namespace {

void PostToWindow(YelSystem& system, WindowMessage id, uintptr_t wparam) {
  system.ui_queue->Post(MakeMessage(id, wparam));
}

void DebugHotKeys(YelSystem& system) {
  const InputState& input = system.input;
  if (!(input.keys.push & kKeyF11)) return;
  if (input.keys.on & kKeyCtrl) {
    PostToWindow(system, WindowMessage::WM_YEL_DEBUG_TASK, 2);
  } else if (input.keys.on & kKeyShift) {
    PostToWindow(system, WindowMessage::WM_YEL_DEBUG_TASK, 1);
  }
}

bool TaskWalkAllowed(const YelSystem& system) {
  return (system.active.load() && !system.inactive.load()) ||
         (system.param.flags & YEL_FLAG_RUN_INACTIVE);
}

// Has the UI thread change the window or the device while this thread holds the render lock and
// the work thread stands still between jobs.
void Forward(YelSystem& system, WindowMessage id, uintptr_t wparam, intptr_t lparam) {
  RenderLockScope lock;
  WorkGate().Pause();
  system.ui_queue->Send(MakeMessage(id, wparam, lparam));
  WorkGate().Resume();
}

// Handles every message in the thread's queue; true once the quit message was among them.
bool DrainMessages(YelSystem& system) {
  bool quit = false;
  os::Message m;
  while (system.main.queue->Peek(m)) {
    if (m.id == os::kMsgQuit) {
      quit = true;
      continue;
    }
    switch (AsThreadMessage(m)) {
      case ThreadMessage::WM_YEL_THREAD_QUIT: quit = true; break;
      case ThreadMessage::WM_YEL_REQ_MODE:
        if (!system.geometry.change_enabled.load()) break;
        Process().change_mode_time = os::TimeMs();
        Forward(system, WindowMessage::WM_YEL_CHANGE_MODE, m.wparam, 0);
        break;
      case ThreadMessage::WM_YEL_REQ_RESTORE:
        Forward(system, WindowMessage::WM_YEL_DEVICE_RESTORE, 0, 0);
        break;
      case ThreadMessage::WM_YEL_REQ_RESIZE:
        Forward(system, WindowMessage::WM_YEL_RESIZE, m.wparam, m.lparam);
        break;
      case ThreadMessage::WM_YEL_REQ_ASPECT:
        Forward(system, WindowMessage::WM_YEL_ASPECT, m.wparam, m.lparam);
        break;
      case ThreadMessage::WM_YEL_REQ_POS:
        Forward(system, WindowMessage::WM_YEL_SET_POS, m.wparam, m.lparam);
        break;
      case ThreadMessage::WM_YEL_END:
        if (m.wparam == kInputWindowModeSwitch) InputApplyCode(system, kInputWindowModeSwitch, 0);
        break;
      case ThreadMessage::WM_YEL_CALL: InputApplyCode(system, m.wparam, m.lparam); break;
    }
  }
  return quit;
}

void* FirstTopTaskData(YelSystem& system) {
  YelTask* first = system.tasks.root ? system.tasks.root->next : nullptr;
  return first ? first->data : nullptr;
}

}  // namespace

void FramePacer::Pace(int32_t frame_rate, int32_t pacing_mode) {
  if (!started_) {
    last_ = os::TimeMs();
    started_ = true;
  }
  if (frame_rate == 0) {
    // A zero rate cannot be divided by; it is reported once and then runs unlimited.
    if (!zero_reported_) os::ShowMessageBox("YelFrameSkip zero div", "", os::BoxButtons::kOk);
    zero_reported_ = true;
    frame_rate = -1;
  }
  const uint32_t frame_ms = frame_rate == -1 ? 0 : 1000u / static_cast<uint32_t>(frame_rate);
  const uint32_t elapsed = os::TimeMs() - last_;
  if (elapsed > frame_ms || pacing_mode != 2 || frame_rate == -1) {
    os::SleepMs(1);
  } else {
    os::SleepMs(frame_ms - elapsed);
  }
  last_ = os::TimeMs();
}

void FrameCounter::Count(YelSystem& system) {
  ++frames_;
  const uint32_t now = os::TimeMs();
  if (now - since_ >= 1000) {
    measured_ = frames_;
    frames_ = 0;
    since_ = now;
  }
  system.measured_fps = measured_;
}

void FrameLoop::RunFrame(YelSystem& system, uint32_t now) {
  system.frame_time = now;
  InputPoll(system);
  if (system.param.debug && !ScreenEffectRunning()) DebugHotKeys(system);
  if (system.movie.load()) VideoStep(system);
  if (TaskWalkAllowed(system)) YelTaskRunFrame();
  if (system.param.debug) DebugFrameStep(system, now);
  pacer_.Pace(system.frame_rate.load(), system.param.pacing_mode);
  if (system.param.debug) counter_.Count(system);
  YelRenderPresent();
}

bool FrameLoop::BetweenFrames(YelSystem& system) {
  // What the window reports during one frame is seen in the next frame only.
  system.input.window_event = 0;
  system.input.wheel = 0;
  return DrainMessages(system);
}

void MainThreadProc(YelSystem* system) {
  os::MessageQueue::AdoptForCurrentThread(system->main.queue);
  system->main_thread_id = std::this_thread::get_id();
  system->main.started.Set();
  if (system->param.first_func() == 0) {
    YelEnd();
    return;
  }
  FrameLoop loop;
  bool quit = false;
  while (!quit) {
    loop.RunFrame(*system, os::TimeMs());
    quit = loop.BetweenFrames(*system);
  }
  if (system->param.end_func) system->param.end_func(FirstTopTaskData(*system));
  // The thread's last frame is drawn: the GL context goes back to whoever releases the renderer.
  RendererThreadDone(*system);
}

}  // namespace yel

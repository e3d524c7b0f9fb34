// YelSystem: the platform library's one global record, created by YelInit and freed last by
// YelUninit. Every export reaches it through System().
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "YEL/core/random_table.h"
#include "YEL/core/task_tree.h"
#include "YEL/graphics/screen_effect_state.h"
#include "YEL/input/input_state.h"
#include "YEL/yel.h"
#include "os/message_queue.h"
#include "os/sync.h"
#include "os/window.h"

namespace yel {

// A thread that YelRun starts, with its start event and its message queue.
struct ThreadSlot {
  os::Thread thread;
  os::Event started;
  std::shared_ptr<os::MessageQueue> queue;
};

// The window as every thread may see it. Only the UI thread changes it, and it publishes each
// change whole under the mutex, so a reader never sees a half-written rectangle or a size that
// does not belong to its mode.
struct WindowState {
  int full_screen = 0;        // 1 full screen (before YelRun: full screen is to be asked for)
  int x = 0, y = 0;           // frame position in window mode
  int width = 0, height = 0;  // client size in window mode
  int aspect_mode = 0;
  os::Rect view;  // where the game picture is shown: the client area, or in full screen the screen
};

class PublishedWindowState {
 public:
  WindowState Get() const {
    std::lock_guard lock(mutex_);
    return state_;
  }
  // UI thread only (or before the other threads start).
  template <typename Change>
  void Update(Change change) {
    std::lock_guard lock(mutex_);
    change(state_);
  }

 private:
  mutable std::mutex mutex_;  // guards state_
  WindowState state_;
};

// Window bookkeeping of the window procedure and the window-mode code. The plain members are
// the UI thread's alone; the atomics are read by other threads.
struct WindowGeometry {
  int client_x = 0, client_y = 0;
  int saved_x = 0, saved_y = 0, saved_width = 0, saved_height = 0;
  bool maximize_saved = false;
  std::atomic<bool> change_enabled{false};  // set by YelWindowChangeEnable from any thread
  std::atomic<bool> sizing{false};
  std::atomic<bool> mode_changed{false};
  os::Rect desktop, adjusted_game, window;
};

struct YelSystem {
  std::unique_ptr<os::Window> window;

  // Flags read by every thread.
  std::atomic<int> running{0};
  std::atomic<int> active{0};
  std::atomic<int> movie{0};
  std::atomic<int> inactive{0};
  std::atomic<int> measured_fps{0};
  std::atomic<int> quit_question{0};
  std::string module_folder;

  // Threads: the UI thread is the caller of YelInit and YelRun.
  std::thread::id ui_thread_id;
  std::shared_ptr<os::MessageQueue> ui_queue;
  ThreadSlot main;
  ThreadSlot work;
  std::atomic<std::thread::id> main_thread_id{};
  // Set when a thread would not stop: the record then outlives YelUninit for its sake.
  std::atomic<bool> threads_abandoned{false};

  uint32_t pool_size = 0;
  RandomTable random;
  InputState input;  // owners in input_state.h
  TouchState touch;

  // The start-up record, read-only once YelInit returns; its strings point into the copies
  // below. What changes at run time lives apart: the frame rate here, the window's full-screen
  // state, position, sizes and aspect mode in `window_state`.
  YelInitParam param{};
  std::string title, class_name, cmd_line;
  std::atomic<int32_t> frame_rate{60};  // set by YelFrameRateSet from any thread

  TaskTree tasks;
  WindowGeometry geometry;
  PublishedWindowState window_state;

  std::atomic<uint32_t> frame_time{0};
  std::atomic<uint8_t> button_mode{0};  // 0 decide on push, else on release (YelButtonMode)
  std::atomic<YelRender*> active_render{nullptr};
  // The renderer back-end, made and freed by YEL/render/renderer.cpp; read by any thread.
  std::atomic<YelCore*> core{nullptr};
  uint32_t clear_colour = 0xFF000000;
  // Objects drawn by YelTargetRenderListDraw, in order; guarded by RenderListLock().
  std::vector<void*> target_list;
  // The full-screen transition (YEL/graphics/screen_effects.cpp).
  ScreenEffectState screen_effect;

  // Debug mode: the error log and the trace switch.
  std::mutex log_mutex;  // guards error_log
  std::FILE* error_log = nullptr;
  std::atomic<uint32_t> debug_state{0};
};

// Words that live outside YelSystem because they outlast it or are needed before it exists.
struct ProcessWords {
  std::atomic<bool> system_end{false};
  std::atomic<bool> end_requested{false};
  std::atomic<uint32_t> change_mode_time{0};
  std::atomic<int32_t> change_mode_disabled{0};
  std::atomic<void*> pool{nullptr};
  std::atomic<std::thread::id> work_thread_id{};
};

namespace detail {
// Atomic because a thread left running after a failed stop may still read it while the UI
// thread clears it.
extern std::atomic<YelSystem*> g_system;
}  // namespace detail
// Inline: the render lock's exports read it around every instruction of the work-thread mode.
inline YelSystem* System() {
  return detail::g_system.load();
}
void SetSystem(YelSystem* system);
ProcessWords& Process();
// The start-up record with the values that change at run time filled in (window and frame rate).
YelInitParam RunTimeParameters(const YelSystem& system);

inline bool DebugMode() {
  YelSystem* s = System();
  return s && s->param.debug != 0;
}
inline bool OnUiThread() {
  YelSystem* s = System();
  return s && std::this_thread::get_id() == s->ui_thread_id;
}

}  // namespace yel

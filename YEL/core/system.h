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

// Window position and sizes kept by the window procedure and the window-mode code.
struct WindowGeometry {
  int client_x = 0, client_y = 0;
  int saved_x = 0, saved_y = 0, saved_width = 0, saved_height = 0;
  bool maximize_saved = false;
  bool change_enabled = false;
  std::atomic<bool> sizing{false};
  std::atomic<bool> mode_changed{false};
  os::Rect desktop, view, adjusted_game, window;
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

  // The start-up record as changed at run time; its strings point into the copies below.
  YelInitParam param{};
  std::string title, class_name, cmd_line;

  TaskTree tasks;
  WindowGeometry geometry;

  std::atomic<uint32_t> frame_time{0};
  std::atomic<YelRender*> active_render{nullptr};
  // The renderer back-end, made and freed by YEL/render/renderer.cpp; read by any thread.
  std::atomic<YelCore*> core{nullptr};
  uint32_t clear_colour = 0xFF000000;
  std::vector<void*> target_list;  // objects drawn by YelTargetRenderListDraw, in order

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
  std::atomic<int32_t> live_blocks{0};
};

YelSystem* System();
void SetSystem(YelSystem* system);
ProcessWords& Process();

inline bool DebugMode() {
  YelSystem* s = System();
  return s && s->param.debug != 0;
}
inline bool OnUiThread() {
  YelSystem* s = System();
  return s && std::this_thread::get_id() == s->ui_thread_id;
}

}  // namespace yel

// Private window messages: the changes the main thread has the UI thread make to the window and
// the device, jobs run on the UI thread, and the end of the program.
#include <cstdio>
#include <string>

#include "YEL/core/system.h"
#include "YEL/core/threads.h"
#include "YEL/debug/debug_window.h"
#include "YEL/files/file_paths.h"
#include "YEL/input/input.h"
#include "YEL/media/video.h"
#include "YEL/render/renderer.h"
#include "YEL/window/private_messages.h"
#include "YEL/window/window_modes.h"
#include "YEL/window/window_proc.h"
#include "os/clock.h"
#include "os/encoding.h"
#include "os/ini_file.h"
#include "os/message_box.h"

namespace yel {
namespace {

// Runs a window or device change with a playing video released around it.
template <typename Change>
void AroundDeviceChange(YelSystem& system, bool reacquire_joystick, Change change) {
  const bool movie = system.movie.load() != 0;
  if (movie) VideoSuspend(system);
  change();
  if (reacquire_joystick) JoystickReacquire(system);
  if (movie) VideoResume(system);
}

void ShowTitledBox(YelSystem& system, const char* text_utf8, uint32_t code) {
  char line[256];
  std::snprintf(line, sizeof line, text_utf8, code);
  os::ShowMessageBox(line, os::Cp932ToUtf8(system.param.title ? system.param.title : ""),
                     os::BoxButtons::kOk);
}

// The new height keeps the game's aspect: game height / game width x width.
void Resize(YelSystem& system, int width) {
  if (system.inactive.load()) return;
  const WindowState state = system.window_state.Get();
  int height = state.height;
  if (width != state.width || height != state.height) {
    height = static_cast<int>(static_cast<float>(system.param.game_height) /
                              static_cast<float>(system.param.game_width) *
                              static_cast<float>(width));
  }
  if (!RendererResize(system, width, height)) {
    ShowTitledBox(system, "ウインドウサイズの変更に失敗しました。\n[%08X]", 0);
    return;
  }
  WindowChangeSize(system, width, height);
}

void WriteWindowPosition(YelSystem& system) {
  const std::string path = BaseFolder() + "/setting.ini";
  const WindowState state = system.window_state.Get();
  os::WriteIniString(path, "MainWindow", "x", std::to_string(state.x));
  os::WriteIniString(path, "MainWindow", "y", std::to_string(state.y));
}

// The end of the program: debug window, cursor, threads (work first), then the window, whose
// destruction posts the quit message that ends YelRun.
void EndCase(YelSystem& system) {
  if (system.param.debug) DebugWindowDestroy(system);
  CursorRelease(system);
  if (system.param.debug) WriteWindowPosition(system);
  YelStopThreads();
  RendererDetachWindow(system);
  system.window.reset();
  system.ui_queue->PostQuit(0);
}

}  // namespace

intptr_t HandlePrivateWindowMessage(YelSystem& system, const os::Message& m) {
  switch (AsWindowMessage(m)) {
    case WindowMessage::WM_YEL_GRAPHNOTIFY:
      VideoHandleEvents(system);
      os::SleepMs(1);
      break;
    case WindowMessage::WM_YEL_DEVICE_RESTORE:
      if (RendererRestoreDevice(system) == 0) AroundDeviceChange(system, true, [] {});
      break;
    case WindowMessage::WM_YEL_CHANGE_MODE:
      AroundDeviceChange(system, false, [&] {
        if (WindowChangeMode(system, static_cast<int>(m.wparam))) {
          system.geometry.mode_changed = true;
        }
      });
      break;
    case WindowMessage::WM_YEL_DEBUG_TASK: DebugControlTaskToggle(system, m.wparam); break;
    case WindowMessage::WM_YEL_END: EndCase(system); break;
    case WindowMessage::WM_YEL_CALL:
      if (m.wparam) reinterpret_cast<YelProcessFunc>(m.wparam)(static_cast<uintptr_t>(m.lparam));
      break;
    case WindowMessage::WM_YEL_RESIZE:
      AroundDeviceChange(system, true, [&] { Resize(system, static_cast<int>(m.wparam)); });
      break;
    case WindowMessage::WM_YEL_ASPECT:
      AroundDeviceChange(system, true,
                         [&] { WindowChangeAspect(system, static_cast<int>(m.wparam)); });
      break;
    case WindowMessage::WM_YEL_SET_CURSOR: CursorApplyCustom(system); break;
    case WindowMessage::WM_YEL_SHOW_CURSOR:
      if (m.wparam) {
        ShowCursorNow();
      } else {
        HideCursorNow(system);
      }
      break;
    case WindowMessage::WM_YEL_SET_POS:
      WindowSetPosition(system, static_cast<int>(static_cast<intptr_t>(m.wparam)),
                        static_cast<int>(m.lparam));
      break;
  }
  return 0;
}

}  // namespace yel

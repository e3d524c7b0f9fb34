// The window procedure for system messages: window bookkeeping, pointer and key events turned
// into input codes for the main thread, the quit question, and the cursor.
#include "YEL/window/window_proc.h"

#include "YEL/core/system.h"
#include "YEL/input/input.h"
#include "YEL/window/private_messages.h"
#include "YEL/window/window_modes.h"
#include "os/clock.h"
#include "os/encoding.h"
#include "os/message_box.h"
#include "os/virtual_keys.h"
#include "os/window.h"

namespace yel {
namespace {

void PostToMain(YelSystem& system, uintptr_t code, intptr_t value = 0) {
  system.main.queue->Post(MakeMessage(ThreadMessage::WM_YEL_CALL, code, value));
}

bool MainThreadExists(const YelSystem& system) {
  return system.main_thread_id.load() != std::thread::id();
}

void RequestWindowModeSwitch(YelSystem& system) { PostToMain(system, kInputWindowModeSwitch); }

void OnMove(YelSystem& system, intptr_t lparam) {
  WindowGeometry& g = system.geometry;
  g.client_x = os::UnpackX(lparam);
  g.client_y = os::UnpackY(lparam);
  if (!system.window || system.window->IsMinimized()) return;
  if (system.window->IsMaximized() && !g.maximize_saved) {
    const WindowState state = system.window_state.Get();
    g.maximize_saved = true;
    g.saved_x = state.x;
    g.saved_y = state.y;
    g.saved_width = state.width;
    g.saved_height = state.height;
  }
  const os::Rect frame = system.window->ClientRect();
  system.window_state.Update([&](WindowState& w) {
    w.x = frame.left;
    w.y = frame.top;
  });
}

void OnSize(YelSystem& system, uintptr_t kind, intptr_t lparam) {
  if (kind == os::kSizeRestored) system.inactive = 0;
  if (kind == os::kSizeMinimized) system.inactive = 1;
  if (kind == os::kSizeMaximized) {
    if (MainThreadExists(system)) {
      RequestWindowModeSwitch(system);
    } else {
      system.window_state.Update([](WindowState& w) { w.full_screen = 1; });
    }
  }
  if (system.geometry.sizing.load() || kind == os::kSizeMinimized) return;
  if (YelIsDesktopRectFix()) {
    YelRect desktop;
    YelGetDesktopRect(&desktop);
    YelChangeWindowSize(desktop.right - desktop.left, desktop.bottom - desktop.top);
    return;
  }
  const int width = os::UnpackWidth(lparam);
  const int height = os::UnpackHeight(lparam);
  const WindowState state = system.window_state.Get();
  if (width != state.width || height != state.height) {
    YelChangeWindowSize(width, height);
  }
}

void OnActivate(YelSystem& system, uintptr_t active) {
  system.active = active ? 1 : 0;
  if (active) {
    system.inactive = system.window && system.window->IsMinimized() ? 1 : 0;
  } else {
    InputClear(system);
    system.inactive = 1;
  }
}

void OnClose(YelSystem& system) {
  ShowCursorNow();
  CursorRestartAutoHide(system);
  system.quit_question = 1;
  if (Process().change_mode_disabled.load()) {
    YelEnd();
  } else {
    const std::string caption = os::Cp932ToUtf8(system.param.title ? system.param.title : "");
    if (os::ShowMessageBox("真的要结束了吗？", caption, os::BoxButtons::kYesNo,
                           os::BoxIcon::kQuestion) == os::BoxAnswer::kYes) {
      YelEnd();
    }
  }
  system.quit_question = 0;
  if (system.movie.load() && CursorOverGameView(system)) HideCursorNow(system);
}

// Keys pressed with Alt (and F10, which the system treats alike). F10 alone is swallowed.
void OnSysKeyDown(YelSystem& system, uintptr_t scancode, intptr_t flags) {
  if (!(flags & os::kKeyAltHeld)) return;
  if (os::ScancodeIsVirtualKey(scancode, os::kVkReturn)) {
    if (!Process().change_mode_disabled.load()) RequestWindowModeSwitch(system);
  } else if (os::ScancodeIsVirtualKey(scancode, os::kVkF4)) {
    OnClose(system);
  }
}

void OnMouseMove(YelSystem& system) {
  if (system.movie.load()) {
    HideCursorNow(system);
  } else {
    ShowCursorNow();
    CursorRestartAutoHide(system);
  }
}

// Touch: points 0 and 1 are tracked; a lift clears every touch bit.
void OnTouch(YelSystem& system, uintptr_t wparam, intptr_t lparam) {
  TouchState& touch = system.touch;
  if (!touch.enabled.load()) return;
  const uintptr_t finger = wparam >> 8;
  touch.x = os::UnpackX(lparam);
  touch.y = os::UnpackY(lparam);
  touch.bits |= kTouchPosition;
  if (finger > 1) return;
  if (wparam & os::kTouchUp) touch.bits = 0;
  if (wparam & os::kTouchDown) touch.bits |= finger == 0 ? kTouchPoint0Down : kTouchPoint1Down;
}

intptr_t HandleSystemMessage(YelSystem& system, const os::Message& m) {
  InputWindowMessage(system, m);
  switch (m.id) {
    case os::kWmCreate: Process().change_mode_time = os::TimeMs(); break;
    case os::kWmDestroy: system.ui_queue->PostQuit(0); break;
    case os::kWmMove: OnMove(system, m.lparam); break;
    case os::kWmSize: OnSize(system, m.wparam, m.lparam); break;
    case os::kWmActivate: OnActivate(system, m.wparam); break;
    case os::kWmActivateApp:
      if (m.wparam == 0) system.active = 0;
      break;
    case os::kWmClose: OnClose(system); break;
    case os::kWmMouseLeave: ShowCursorNow(); break;
    case os::kWmSysKeyDown: OnSysKeyDown(system, m.wparam, m.lparam); break;
    case os::kWmTimer:
      if (CursorOverGameView(system)) HideCursorNow(system);
      break;
    case os::kWmMouseMove: OnMouseMove(system); break;
    case os::kWmLButtonDown: PostToMain(system, kInputLeftClick); break;
    case os::kWmLButtonDblClk: PostToMain(system, kInputLeftDoubleClick); break;
    case os::kWmRButtonDown:
      // While touches are read, a right press counts only as the pen's (touch bit 3).
      if (!system.touch.enabled.load()) PostToMain(system, kInputRightClick);
      break;
    case os::kWmRButtonDblClk: PostToMain(system, kInputRightDoubleClick); break;
    case os::kWmMButtonDown: PostToMain(system, kInputMiddleClick); break;
    case os::kWmMButtonDblClk: PostToMain(system, kInputMiddleDoubleClick); break;
    case os::kWmMouseWheel:
      // Toward the user (a negative delta) is +1.
      PostToMain(system, kInputWheel, static_cast<intptr_t>(m.wparam) < 0 ? 1 : -1);
      break;
    case os::kWmTouch: OnTouch(system, m.wparam, m.lparam); break;
    default: break;
  }
  return 0;
}

}  // namespace

void ShowCursorNow() {
  int count = os::ShowCursorCount(true);
  while (count < 0) count = os::ShowCursorCount(true);
  while (count > 1) count = os::ShowCursorCount(false);
}

void HideCursorNow(const YelSystem& system) {
  if (system.quit_question.load()) return;
  int count = os::ShowCursorCount(false);
  while (count >= 0) count = os::ShowCursorCount(false);
}

intptr_t YelWindowProc(const os::Message& message) {
  YelSystem* system = System();
  if (!system) return 0;
  if (message.id >= kFirstPrivateMessage) return HandlePrivateWindowMessage(*system, message);
  return HandleSystemMessage(*system, message);
}

}  // namespace yel

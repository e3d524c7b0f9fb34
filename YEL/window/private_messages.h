// The library's private messages between its window and its threads. One number can mean one
// thing in the window's queue and another in a thread's queue (0x8064 is the graph notification
// to the window but the quit to a thread), so the two sets are separate types: a message is
// made for one kind of queue and read back as that kind, and the compiler refuses a mix-up.
#pragma once

#include <cstdint>

#include "os/message_queue.h"

namespace yel {

// To the window (handled by the window procedure on the UI thread).
enum class WindowMessage : uint32_t {
  WM_YEL_GRAPHNOTIFY = 0x8064,
  WM_YEL_DEVICE_RESTORE = 0x8065,
  WM_YEL_CHANGE_MODE = 0x8066,
  WM_YEL_DEBUG_TASK = 0x8067,
  WM_YEL_END = 0x8069,
  WM_YEL_CALL = 0x806A,
  WM_YEL_RESIZE = 0x806B,
  WM_YEL_ASPECT = 0x806C,
  WM_YEL_SET_CURSOR = 0x806D,
  WM_YEL_SHOW_CURSOR = 0x806E,
  WM_YEL_SET_POS = 0x806F,  // wparam x, lparam y: moves the window without resizing it
};

// To the main thread (handled between frames) and, for the quit and WM_YEL_CALL, the work
// thread.
enum class ThreadMessage : uint32_t {
  WM_YEL_THREAD_QUIT = 0x8064,
  WM_YEL_REQ_MODE = 0x8065,
  WM_YEL_REQ_RESTORE = 0x8066,
  WM_YEL_REQ_RESIZE = 0x8067,
  WM_YEL_REQ_ASPECT = 0x8068,
  WM_YEL_END = 0x8069,
  WM_YEL_CALL = 0x806A,
  WM_YEL_REQ_POS = 0x806B,  // wparam x, lparam y
};

// The first private number; the window procedure hands everything from here on to the private
// handler.
inline constexpr uint32_t kFirstPrivateMessage = 0x8000;

inline os::Message MakeMessage(WindowMessage id, uintptr_t wparam = 0, intptr_t lparam = 0) {
  return os::Message{static_cast<uint32_t>(id), wparam, lparam};
}
inline os::Message MakeMessage(ThreadMessage id, uintptr_t wparam = 0, intptr_t lparam = 0) {
  return os::Message{static_cast<uint32_t>(id), wparam, lparam};
}
// Reads a message taken from the window's queue, or from a thread's queue.
inline WindowMessage AsWindowMessage(const os::Message& m) {
  return static_cast<WindowMessage>(m.id);
}
inline ThreadMessage AsThreadMessage(const os::Message& m) {
  return static_cast<ThreadMessage>(m.id);
}

// Input codes that the window procedure posts to the main thread with WM_YEL_CALL.
enum InputCode : uint32_t {
  kInputLeftDoubleClick = 1,
  kInputRightDoubleClick = 2,
  kInputMiddleDoubleClick = 4,
  kInputWindowModeSwitch = 8,
  kInputWheel = 16,
  kInputKeyOnExtra = 32,
  kInputRightClickTouch = 64,
  kInputLeftClick = 0x800000,
  kInputRightClick = 0x1000000,
  kInputMiddleClick = 0x2000000,
};

}  // namespace yel

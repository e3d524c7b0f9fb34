// The library's private messages between its window and its threads. One number can mean one
// thing in the window's queue and another in a thread's queue.
#pragma once

#include <cstdint>

namespace yel {

// To the window (handled by the window procedure on the UI thread).
inline constexpr uint32_t WM_YEL_GRAPHNOTIFY = 0x8064;
inline constexpr uint32_t WM_YEL_DEVICE_RESTORE = 0x8065;
inline constexpr uint32_t WM_YEL_CHANGE_MODE = 0x8066;
inline constexpr uint32_t WM_YEL_DEBUG_TASK = 0x8067;
inline constexpr uint32_t WM_YEL_RESIZE = 0x806B;
inline constexpr uint32_t WM_YEL_ASPECT = 0x806C;
inline constexpr uint32_t WM_YEL_SET_CURSOR = 0x806D;
inline constexpr uint32_t WM_YEL_SHOW_CURSOR = 0x806E;

// To the main thread (handled between frames) and, for the first and WM_YEL_CALL, the work thread.
inline constexpr uint32_t WM_YEL_THREAD_QUIT = 0x8064;
inline constexpr uint32_t WM_YEL_REQ_MODE = 0x8065;
inline constexpr uint32_t WM_YEL_REQ_RESTORE = 0x8066;
inline constexpr uint32_t WM_YEL_REQ_RESIZE = 0x8067;
inline constexpr uint32_t WM_YEL_REQ_ASPECT = 0x8068;

// Both queues.
inline constexpr uint32_t WM_YEL_END = 0x8069;
inline constexpr uint32_t WM_YEL_CALL = 0x806A;

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

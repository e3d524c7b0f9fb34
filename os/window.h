// The game window and its events. The window belongs to the thread that created it (the UI
// thread): only that thread creates, changes and pumps it. Events become window messages that the
// platform library's window procedure handles.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "os/message_queue.h"

namespace os {

// System window messages. The private messages of the platform library start at 0x8000.
enum WindowMessage : uint32_t {
  kWmCreate = 0x0001,
  kWmDestroy = 0x0002,
  kWmMove = 0x0003,          // lparam: packed client x, y (signed)
  kWmSize = 0x0005,          // wparam: SizeKind; lparam: packed client width, height
  kWmActivate = 0x0006,      // wparam: 1 active, 0 inactive
  kWmClose = 0x0010,
  kWmActivateApp = 0x001C,   // wparam: 1 the application gained the focus, 0 lost it
  kWmKeyDown = 0x0100,       // wparam: SDL scancode; lparam: KeyFlags
  kWmKeyUp = 0x0101,
  kWmSysKeyDown = 0x0104,    // a key pressed with Alt held, or F10
  kWmSysKeyUp = 0x0105,
  kWmTimer = 0x0113,
  kWmMouseMove = 0x0200,     // lparam: packed client x, y
  kWmLButtonDown = 0x0201,
  kWmLButtonUp = 0x0202,
  kWmLButtonDblClk = 0x0203,
  kWmRButtonDown = 0x0204,
  kWmRButtonUp = 0x0205,
  kWmRButtonDblClk = 0x0206,
  kWmMButtonDown = 0x0207,
  kWmMButtonUp = 0x0208,
  kWmMButtonDblClk = 0x0209,
  kWmMouseWheel = 0x020A,    // wparam: signed delta, 120 per notch, positive away from the user
  kWmExitSizeMove = 0x0232,
  kWmTouch = 0x0240,         // wparam: TouchFlags | finger << 8; lparam: packed client x, y
  kWmMouseLeave = 0x02A3,    // the pointer left the client area
};

enum SizeKind : uintptr_t { kSizeRestored = 0, kSizeMinimized = 1, kSizeMaximized = 2 };
enum KeyFlags : intptr_t { kKeyAltHeld = 1 << 29, kKeyRepeat = 1 << 30 };
enum TouchFlags : uintptr_t { kTouchDown = 1, kTouchUp = 2, kTouchMove = 4 };

inline intptr_t PackXY(int x, int y) {
  return static_cast<intptr_t>((static_cast<uint32_t>(x) & 0xFFFF) |
                               ((static_cast<uint32_t>(y) & 0xFFFF) << 16));
}
inline int UnpackX(intptr_t packed) { return static_cast<int16_t>(packed & 0xFFFF); }
inline int UnpackY(intptr_t packed) { return static_cast<int16_t>((packed >> 16) & 0xFFFF); }
inline int UnpackWidth(intptr_t packed) { return static_cast<int>(packed & 0xFFFF); }
inline int UnpackHeight(intptr_t packed) { return static_cast<int>((packed >> 16) & 0xFFFF); }

struct Rect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
};

class Window {
 public:
  struct Options {
    std::string title_utf8;
    int x = 0, y = 0, width = 0, height = 0;  // client area
    bool resizable = true;
    bool visible = true;
    bool opengl = false;  // the window will carry an OpenGL context
  };

  // Creates the window on the calling thread; null when the video system or window fails.
  static std::unique_ptr<Window> Create(const Options& options);
  ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  void Show();
  void SetTitle(const std::string& utf8);
  void SetClientSize(int width, int height);
  void SetPosition(int x, int y);
  Rect ClientRect() const;  // position and size of the client area on the desktop
  bool IsMinimized() const;
  bool IsMaximized() const;
  void SetSizeLimits(int min_width, int min_height, int max_width, int max_height);
  // Full screen over the whole display, or, with `area`, a borderless window covering `area`.
  bool SetFullScreen(bool full_screen, const Rect* area = nullptr);
  bool IsFullScreen() const;
  void Restore();
  // Starts (or restarts) a repeating timer that posts kWmTimer every `ms`; 0 stops it.
  void SetTimer(uint32_t ms);
  // Touches arrive as kWmTouch (the default), or as mouse messages instead. Any thread.
  void SetTouchAsMouse(bool as_mouse) { touch_as_mouse_ = as_mouse; }

  // Takes every pending event and hands the messages for this window to `sink`.
  void PumpEvents(const std::function<void(const Message&)>& sink);
  // Sleeps until an event arrives, WakeEventWait is called, the window's timer is due or `ms`
  // pass, then hands every pending event to `sink` as PumpEvents does.
  void WaitEvents(uint32_t ms, const std::function<void(const Message&)>& sink);
  // The underlying native window, for the renderer back-ends.
  void* NativeHandle() const { return window_; }
  // Every window's events arrive through one system queue, so the window that pumps also takes
  // those of the others: they go to the other window's sink here (on the pumping thread, which
  // owns both), or are dropped while it has none. Owner thread only.
  void SetForeignSink(std::function<void(const Message&)> sink);

 private:
  Window() = default;
  void Translate(const void* event, const std::function<void(const Message&)>& sink);
  // Hands an event of another window to that window's sink; false when the event is this one's.
  bool ForwardForeign(const void* event);
  uint32_t MsUntilTimer() const;

  void* window_ = nullptr;  // SDL_Window
  uint32_t window_id_ = 0;
  uint32_t timer_period_ = 0;
  uint32_t timer_due_ = 0;
  std::atomic<bool> touch_as_mouse_{false};
  std::function<void(const Message&)> foreign_sink_;
};

// Ends a WaitEvents in progress, or the next one, on whichever thread waits. Any thread.
void WakeEventWait();

// The desktop of the primary display, and the union of all displays.
Rect DesktopRect();
Rect VirtualScreenRect();
// The display nearest a point: its rectangle, and its index in `index` when given.
Rect DisplayRectAt(int x, int y, int* index);

// True when a touch screen or pad is attached.
bool TouchDevicePresent();

// The cursor's display counter: visible while the count is 0 or more. Returns the new count.
int ShowCursorCount(bool show);

}  // namespace os

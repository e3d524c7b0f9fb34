#include "os/window.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <map>
#include <mutex>
#include <thread>

#include "os/clock.h"
#include "os/debug_output.h"
#include "os/text_input.h"

namespace os {
namespace {

std::mutex g_video_mutex;  // guards g_video_users and g_wake_type
int g_video_users = 0;
uint32_t g_wake_type = 0;  // the event type that ends a wait

// Video drivers of a real display block in their own event wait, and an event pushed from
// another thread wakes them. The headless drivers only poll, so for them the waiter sleeps on
// this condition instead, and a watch on every event that enters the queue ends the sleep.
std::mutex g_wait_mutex;  // guards g_events_entered
std::condition_variable g_event_entered;
uint64_t g_events_entered = 0;

int CountEnteredEvent(void*, SDL_Event*) {
  {
    std::lock_guard lock(g_wait_mutex);
    ++g_events_entered;
  }
  g_event_entered.notify_all();
  return 1;
}

uint64_t EventsEntered() {
  std::lock_guard lock(g_wait_mutex);
  return g_events_entered;
}

bool DriverWaitsNatively() {
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver && (std::strcmp(driver, "x11") == 0 || std::strcmp(driver, "wayland") == 0);
}

constexpr int kVideoAttempts = 5;

bool AcquireVideo() {
  std::lock_guard lock(g_video_mutex);
  if (g_video_users == 0) {
    // The engine handles termination signals and window closing itself.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    // An X server busy with other clients (a virtual one on a loaded machine, say) now and then
    // turns a connection away: the video is tried a few times before the start gives up.
    for (int attempt = 1; SDL_InitSubSystem(SDL_INIT_VIDEO) != 0; ++attempt) {
      DebugOutputf("os : no video (%s)\n", SDL_GetError());
      if (attempt == kVideoAttempts) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (g_wake_type == 0) g_wake_type = SDL_RegisterEvents(1);
    SDL_AddEventWatch(CountEnteredEvent, nullptr);
  }
  ++g_video_users;
  return true;
}

void ReleaseVideo() {
  std::lock_guard lock(g_video_mutex);
  if (--g_video_users == 0) {
    SDL_DelEventWatch(CountEnteredEvent, nullptr);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }
}

SDL_Window* Sdl(void* window) { return static_cast<SDL_Window*>(window); }

uint32_t ButtonMessage(uint8_t button, bool down, int clicks) {
  const bool double_click = down && clicks >= 2 && clicks % 2 == 0;
  switch (button) {
    case SDL_BUTTON_LEFT:
      return double_click ? kWmLButtonDblClk : (down ? kWmLButtonDown : kWmLButtonUp);
    case SDL_BUTTON_RIGHT:
      return double_click ? kWmRButtonDblClk : (down ? kWmRButtonDown : kWmRButtonUp);
    case SDL_BUTTON_MIDDLE:
      return double_click ? kWmMButtonDblClk : (down ? kWmMButtonDown : kWmMButtonUp);
    default: return 0;
  }
}

std::atomic<int> g_cursor_count{0};

std::mutex g_windows_mutex;  // guards g_windows
std::map<uint32_t, Window*> g_windows;

// The window an input or window event belongs to; 0 for events of no window.
uint32_t EventWindowId(const SDL_Event& e) {
  switch (e.type) {
    case SDL_WINDOWEVENT: return e.window.windowID;
    case SDL_MOUSEMOTION: return e.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: return e.button.windowID;
    case SDL_MOUSEWHEEL: return e.wheel.windowID;
    case SDL_KEYDOWN:
    case SDL_KEYUP: return e.key.windowID;
    default: return 0;
  }
}

}  // namespace

std::unique_ptr<Window> Window::Create(const Options& options) {
  if (!AcquireVideo()) return nullptr;
  Uint32 flags = options.visible ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN;
  if (options.resizable) flags |= SDL_WINDOW_RESIZABLE;
  if (options.opengl) flags |= SDL_WINDOW_OPENGL;
  SDL_Window* sdl = SDL_CreateWindow(options.title_utf8.c_str(), options.x, options.y,
                                     options.width, options.height, flags);
  if (!sdl) {
    DebugOutputf("os : no window (%s)\n", SDL_GetError());
    ReleaseVideo();
    return nullptr;
  }
  std::unique_ptr<Window> window(new Window());
  window->window_ = sdl;
  window->window_id_ = SDL_GetWindowID(sdl);
  {
    std::lock_guard lock(g_windows_mutex);
    g_windows[window->window_id_] = window.get();
  }
  SDL_StopTextInput();  // the input method stays off while the game runs
  return window;
}

Window::~Window() {
  if (window_) {
    {
      std::lock_guard lock(g_windows_mutex);
      g_windows.erase(window_id_);
    }
    SDL_DestroyWindow(Sdl(window_));
    ReleaseVideo();
  }
}

void Window::Show() { SDL_ShowWindow(Sdl(window_)); }

void Window::SetTitle(const std::string& utf8) { SDL_SetWindowTitle(Sdl(window_), utf8.c_str()); }

void Window::SetClientSize(int width, int height) {
  SDL_SetWindowSize(Sdl(window_), width, height);
}

void Window::SetPosition(int x, int y) { SDL_SetWindowPosition(Sdl(window_), x, y); }

Rect Window::ClientRect() const {
  int x = 0, y = 0, w = 0, h = 0;
  SDL_GetWindowPosition(Sdl(window_), &x, &y);
  SDL_GetWindowSize(Sdl(window_), &w, &h);
  return Rect{x, y, x + w, y + h};
}

bool Window::IsMinimized() const {
  return (SDL_GetWindowFlags(Sdl(window_)) & SDL_WINDOW_MINIMIZED) != 0;
}

bool Window::IsMaximized() const {
  return (SDL_GetWindowFlags(Sdl(window_)) & SDL_WINDOW_MAXIMIZED) != 0;
}

void Window::SetSizeLimits(int min_width, int min_height, int max_width, int max_height) {
  SDL_SetWindowMinimumSize(Sdl(window_), min_width, min_height);
  SDL_SetWindowMaximumSize(Sdl(window_), max_width, max_height);
}

bool Window::SetFullScreen(bool full_screen, const Rect* area) {
  SDL_Window* window = Sdl(window_);
  if (full_screen && area) {
    SDL_SetWindowFullscreen(window, 0);
    SDL_SetWindowBordered(window, SDL_FALSE);
    SDL_SetWindowPosition(window, area->left, area->top);
    SDL_SetWindowSize(window, area->Width(), area->Height());
    return true;
  }
  SDL_SetWindowBordered(window, SDL_TRUE);
  return SDL_SetWindowFullscreen(window, full_screen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) == 0;
}

void Window::Restore() { SDL_RestoreWindow(Sdl(window_)); }

bool Window::IsFullScreen() const {
  return (SDL_GetWindowFlags(Sdl(window_)) & SDL_WINDOW_FULLSCREEN) != 0;
}

void Window::SetTimer(uint32_t ms) {
  // The due time is compared modulo 2^32, so a longer period would be due at once and fire on
  // every pump; like the system's own timers it is cut to the longest one that compares.
  timer_period_ = std::min<uint32_t>(ms, 0x7FFFFFFF);
  timer_due_ = TimeMs() + timer_period_;
}

void Window::PumpEvents(const std::function<void(const Message&)>& sink) {
  SDL_Event event;
  while (SDL_PollEvent(&event)) Translate(&event, sink);
  if (timer_period_ != 0 && static_cast<int32_t>(TimeMs() - timer_due_) >= 0) {
    timer_due_ = TimeMs() + timer_period_;
    sink(Message{kWmTimer, 1, 0});
  }
}

uint32_t Window::MsUntilTimer() const {
  if (timer_period_ == 0) return UINT32_MAX;
  const int32_t left = static_cast<int32_t>(timer_due_ - TimeMs());
  return left > 0 ? static_cast<uint32_t>(left) : 0;
}

void Window::WaitEvents(uint32_t ms, const std::function<void(const Message&)>& sink) {
  ms = std::min(ms, MsUntilTimer());
  if (DriverWaitsNatively()) {
    SDL_Event event;
    if (SDL_WaitEventTimeout(&event, static_cast<int>(std::min<uint32_t>(ms, INT32_MAX)))) {
      Translate(&event, sink);
    }
  } else {
    // Counted before the look into the queue, so an event that enters after the look ends the
    // sleep at once.
    const uint64_t seen = EventsEntered();
    SDL_PumpEvents();
    if (SDL_PeepEvents(nullptr, 1, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 0) {
      std::unique_lock lock(g_wait_mutex);
      g_event_entered.wait_for(lock, std::chrono::milliseconds(ms),
                               [seen] { return g_events_entered != seen; });
    }
  }
  PumpEvents(sink);
}

void WakeEventWait() {
  std::lock_guard lock(g_video_mutex);
  if (g_video_users == 0 || g_wake_type == 0) return;
  SDL_Event event{};
  event.type = g_wake_type;
  SDL_PushEvent(&event);
}

void Window::SetForeignSink(std::function<void(const Message&)> sink) {
  foreign_sink_ = std::move(sink);
}

bool Window::ForwardForeign(const void* raw) {
  const uint32_t id = EventWindowId(*static_cast<const SDL_Event*>(raw));
  if (id == 0 || id == window_id_) return false;
  Window* other = nullptr;
  {
    std::lock_guard lock(g_windows_mutex);
    auto it = g_windows.find(id);
    if (it != g_windows.end()) other = it->second;
  }
  if (other && other->foreign_sink_) {
    const std::function<void(const Message&)> sink = other->foreign_sink_;
    other->Translate(raw, sink);
  }
  return true;
}

void Window::Translate(const void* raw, const std::function<void(const Message&)>& sink) {
  const SDL_Event& e = *static_cast<const SDL_Event*>(raw);
  if (ForwardForeign(raw)) return;
  switch (e.type) {
    case SDL_WINDOWEVENT:
      switch (e.window.event) {
        case SDL_WINDOWEVENT_MOVED:
          sink({kWmMove, 0, PackXY(e.window.data1, e.window.data2)});
          break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
          // The maximise itself arrives as its own event, so a size change is a plain resize.
          sink({kWmSize, kSizeRestored, PackXY(e.window.data1, e.window.data2)});
          break;
        case SDL_WINDOWEVENT_MINIMIZED: {
          Rect r = ClientRect();
          sink({kWmSize, kSizeMinimized, PackXY(r.Width(), r.Height())});
          break;
        }
        case SDL_WINDOWEVENT_MAXIMIZED:
        case SDL_WINDOWEVENT_RESTORED: {
          Rect r = ClientRect();
          sink({kWmSize, e.window.event == SDL_WINDOWEVENT_MAXIMIZED ? kSizeMaximized
                                                                     : kSizeRestored,
                PackXY(r.Width(), r.Height())});
          break;
        }
        case SDL_WINDOWEVENT_FOCUS_GAINED:
          sink({kWmActivateApp, 1, 0});
          sink({kWmActivate, 1, 0});
          break;
        case SDL_WINDOWEVENT_FOCUS_LOST:
          sink({kWmActivate, 0, 0});
          sink({kWmActivateApp, 0, 0});
          break;
        case SDL_WINDOWEVENT_CLOSE: sink({kWmClose, 0, 0}); break;
        case SDL_WINDOWEVENT_LEAVE: sink({kWmMouseLeave, 0, 0}); break;
        default: break;
      }
      break;
    case SDL_QUIT: sink({kWmClose, 0, 0}); break;
    case SDL_MOUSEMOTION:
      if (e.motion.which == SDL_TOUCH_MOUSEID && !touch_as_mouse_) return;
      sink({kWmMouseMove, 0, PackXY(e.motion.x, e.motion.y)});
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      if (e.button.which == SDL_TOUCH_MOUSEID && !touch_as_mouse_) return;
      uint32_t id = ButtonMessage(e.button.button, e.type == SDL_MOUSEBUTTONDOWN, e.button.clicks);
      if (id) sink({id, 0, PackXY(e.button.x, e.button.y)});
      break;
    }
    case SDL_MOUSEWHEEL: {
      int delta = e.wheel.y * 120;
      if (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) delta = -delta;
      if (delta != 0) sink({kWmMouseWheel, static_cast<uintptr_t>(static_cast<intptr_t>(delta)), 0});
      break;
    }
    // Typed text is kept only while a field waits for it.
    case SDL_TEXTINPUT:
      if (TextInputCaptured()) PostTextInput(TextInputEvent::Text(e.text.text));
      break;
    case SDL_TEXTEDITING:
      if (TextInputCaptured()) {
        PostTextInput(TextInputEvent::Composition(e.edit.text, e.edit.start));
      }
      break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      const bool alt = (e.key.keysym.mod & KMOD_ALT) != 0;
      // While an edit field has the keyboard, what is typed is the field's and never reaches the
      // game's key words; a key let go still does, so no key stays down for the game. Alt keys
      // (the window-mode switch) stay the window's.
      if (e.type == SDL_KEYDOWN && !alt && TextInputCaptured()) {
        TextKey key;
        if (TextKeyForScancode(e.key.keysym.scancode, (e.key.keysym.mod & KMOD_CTRL) != 0,
                               (e.key.keysym.mod & KMOD_SHIFT) != 0, key)) {
          PostTextInput(TextInputEvent::Key(key, (e.key.keysym.mod & KMOD_SHIFT) != 0));
        }
        break;
      }
      const bool system = alt || e.key.keysym.scancode == SDL_SCANCODE_F10;
      const bool down = e.type == SDL_KEYDOWN;
      uint32_t id = system ? (down ? kWmSysKeyDown : kWmSysKeyUp) : (down ? kWmKeyDown : kWmKeyUp);
      const intptr_t flags = (alt ? intptr_t{kKeyAltHeld} : 0) | (e.key.repeat ? intptr_t{kKeyRepeat} : 0);
      sink({id, static_cast<uintptr_t>(e.key.keysym.scancode), flags});
      break;
    }
    case SDL_FINGERDOWN:
    case SDL_FINGERUP:
    case SDL_FINGERMOTION: {
      if (touch_as_mouse_) return;  // the system's mouse events for the touch come instead
      Rect r = ClientRect();
      uintptr_t kind = e.type == SDL_FINGERDOWN ? kTouchDown
                       : e.type == SDL_FINGERUP ? kTouchUp
                                                : kTouchMove;
      uintptr_t finger = static_cast<uintptr_t>(e.tfinger.fingerId & 0xFF);
      sink({kWmTouch, kind | (finger << 8),
            PackXY(static_cast<int>(e.tfinger.x * r.Width()),
                   static_cast<int>(e.tfinger.y * r.Height()))});
      break;
    }
    default: break;
  }
}

Rect DesktopRect() {
  // Before the window exists the video system is started just long enough to ask; without one
  // a 1280 x 720 desktop is assumed.
  const bool borrowed = !SDL_WasInit(SDL_INIT_VIDEO) && AcquireVideo();
  SDL_Rect r{0, 0, 1280, 720};
  if (SDL_WasInit(SDL_INIT_VIDEO) && SDL_GetDisplayBounds(0, &r) != 0) r = SDL_Rect{0, 0, 1280, 720};
  if (borrowed) ReleaseVideo();
  return Rect{r.x, r.y, r.x + r.w, r.y + r.h};
}

Rect VirtualScreenRect() {
  Rect all = DesktopRect();
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return all;
  const int count = SDL_GetNumVideoDisplays();
  for (int i = 0; i < count; ++i) {
    SDL_Rect r;
    if (SDL_GetDisplayBounds(i, &r) != 0) continue;
    all.left = std::min(all.left, r.x);
    all.top = std::min(all.top, r.y);
    all.right = std::max(all.right, r.x + r.w);
    all.bottom = std::max(all.bottom, r.y + r.h);
  }
  return all;
}

Rect DisplayRectAt(int x, int y, int* index) {
  if (index) *index = 0;
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return DesktopRect();
  const SDL_Point point{x, y};
  int best = 0;
  long best_distance = -1;
  for (int i = 0; i < SDL_GetNumVideoDisplays(); ++i) {
    SDL_Rect r;
    if (SDL_GetDisplayBounds(i, &r) != 0) continue;
    const long dx = point.x < r.x ? r.x - point.x : std::max(0, point.x - (r.x + r.w - 1));
    const long dy = point.y < r.y ? r.y - point.y : std::max(0, point.y - (r.y + r.h - 1));
    const long distance = dx * dx + dy * dy;
    if (best_distance < 0 || distance < best_distance) {
      best = i;
      best_distance = distance;
    }
  }
  SDL_Rect r{0, 0, 1280, 720};
  SDL_GetDisplayBounds(best, &r);
  if (index) *index = best;
  return Rect{r.x, r.y, r.x + r.w, r.y + r.h};
}

bool TouchDevicePresent() { return SDL_WasInit(SDL_INIT_VIDEO) && SDL_GetNumTouchDevices() > 0; }

int ShowCursorCount(bool show) {
  const int count = show ? ++g_cursor_count : --g_cursor_count;
  if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(count >= 0 ? SDL_ENABLE : SDL_DISABLE);
  return count;
}

}  // namespace os

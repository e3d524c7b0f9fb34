#include "os/text_input.h"

#include <SDL.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

namespace os {
namespace {

std::mutex g_mutex;  // guards g_captures, g_events and g_own_clipboard
std::condition_variable g_event_posted;
int g_captures = 0;
std::deque<TextInputEvent> g_events;
std::string g_own_clipboard;

bool VideoReady() {
  return SDL_WasInit(SDL_INIT_VIDEO) != 0;
}

void PlaceCandidates(const Rect& area) {
  if (!VideoReady()) return;
  SDL_Rect rect{area.left, area.top, area.Width(), area.Height()};
  SDL_SetTextInputRect(&rect);
}

}  // namespace

void BeginTextInput(const Rect& area) {
  bool first = false;
  {
    std::lock_guard lock(g_mutex);
    first = g_captures++ == 0;
  }
  PlaceCandidates(area);
  if (first && VideoReady()) SDL_StartTextInput();
}

void SetTextInputArea(const Rect& area) {
  PlaceCandidates(area);
}

void EndTextInput() {
  bool last = false;
  {
    std::lock_guard lock(g_mutex);
    if (g_captures == 0) return;
    last = --g_captures == 0;
    if (last) g_events.clear();
  }
  if (last && VideoReady()) SDL_StopTextInput();
}

bool TextInputCaptured() {
  std::lock_guard lock(g_mutex);
  return g_captures > 0;
}

void PostTextInput(TextInputEvent event) {
  {
    std::lock_guard lock(g_mutex);
    g_events.push_back(std::move(event));
  }
  g_event_posted.notify_all();
}

std::optional<TextInputEvent> TakeTextInput() {
  std::lock_guard lock(g_mutex);
  if (g_events.empty()) return std::nullopt;
  TextInputEvent event = std::move(g_events.front());
  g_events.pop_front();
  return event;
}

bool WaitTextInput(uint32_t ms) {
  std::unique_lock lock(g_mutex);
  return g_event_posted.wait_for(lock, std::chrono::milliseconds(ms),
                                 [] { return !g_events.empty(); });
}

std::string ClipboardText() {
  if (VideoReady() && SDL_HasClipboardText()) {
    char* text = SDL_GetClipboardText();
    std::string copy = text ? text : "";
    SDL_free(text);
    return copy;
  }
  std::lock_guard lock(g_mutex);
  return g_own_clipboard;
}

void SetClipboardText(const std::string& utf8) {
  if (VideoReady() && SDL_SetClipboardText(utf8.c_str()) == 0) return;
  std::lock_guard lock(g_mutex);
  g_own_clipboard = utf8;
}

bool TextKeyForScancode(uint32_t scancode, bool ctrl, bool shift, TextKey& key) {
  switch (scancode) {
    case SDL_SCANCODE_BACKSPACE:
      key = TextKey::kBackspace;
      return true;
    case SDL_SCANCODE_DELETE:
      key = TextKey::kDelete;
      return true;
    case SDL_SCANCODE_LEFT:
      key = TextKey::kLeft;
      return true;
    case SDL_SCANCODE_RIGHT:
      key = TextKey::kRight;
      return true;
    case SDL_SCANCODE_UP:
      key = TextKey::kUp;
      return true;
    case SDL_SCANCODE_DOWN:
      key = TextKey::kDown;
      return true;
    case SDL_SCANCODE_HOME:
      key = TextKey::kHome;
      return true;
    case SDL_SCANCODE_END:
      key = TextKey::kEnd;
      return true;
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_KP_ENTER:
      key = TextKey::kReturn;
      return true;
    case SDL_SCANCODE_ESCAPE:
      key = TextKey::kEscape;
      return true;
    case SDL_SCANCODE_TAB:
      key = TextKey::kTab;
      return true;
    case SDL_SCANCODE_V:
      key = TextKey::kPaste;
      return ctrl;
    case SDL_SCANCODE_INSERT:
      key = TextKey::kPaste;
      return shift;
    default:
      return false;
  }
}

}  // namespace os

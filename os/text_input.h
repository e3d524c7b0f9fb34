// Typed text for the engine's own edit fields. While a field has the keyboard, the window sends
// what is typed here instead of to the game: committed text and the input method's composition
// as UTF-8, and the editing keys. The fields take the events from this one process-wide channel;
// tests post into it exactly as the window does.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "os/window.h"

namespace os {

enum class TextKey : uint8_t {
  kBackspace,
  kDelete,
  kLeft,
  kRight,
  kUp,
  kDown,
  kHome,
  kEnd,
  kReturn,
  kEscape,
  kTab,
  kPaste,
};

struct TextInputEvent {
  enum class Kind : uint8_t { kText, kComposition, kKey };
  Kind kind = Kind::kText;
  // kText: the committed characters; kComposition: the text being composed (empty when the
  // composition ends without a commit).
  std::string utf8;
  int32_t cursor = 0;  // kComposition: the caret inside the composition, in characters
  TextKey key = TextKey::kReturn;
  bool shift = false;  // kKey: Shift was held (Shift+Tab goes back)

  static TextInputEvent Text(std::string utf8) { return {Kind::kText, std::move(utf8)}; }
  static TextInputEvent Composition(std::string utf8, int32_t cursor) {
    return {Kind::kComposition, std::move(utf8), cursor};
  }
  static TextInputEvent Key(TextKey key, bool shift = false) {
    return {Kind::kKey, {}, 0, key, shift};
  }
};

// Fields take the keyboard in nested pairs; typed keys reach the game again when the last one
// lets go, and whatever it left untaken is dropped then. UI thread: the input method is switched
// on and off with the keyboard, and its candidate window placed beside `area` (client pixels).
void BeginTextInput(const Rect& area);
void SetTextInputArea(const Rect& area);
void EndTextInput();
// True while some field has the keyboard. Any thread.
bool TextInputCaptured();

// Any thread: the window's translation of typed input, and tests.
void PostTextInput(TextInputEvent event);
// Any thread: the oldest event not yet taken.
std::optional<TextInputEvent> TakeTextInput();
// Waits until an event is pending or `ms` pass; true when one is pending.
bool WaitTextInput(uint32_t ms);

// The clipboard's text (UTF-8); empty when it holds none. Without a display the clipboard is the
// process's own.
std::string ClipboardText();
void SetClipboardText(const std::string& utf8);

// The editing key a scancode stands for while a field has the keyboard (Ctrl+V and Shift+Insert
// paste); false for keys that only type text, or type nothing.
bool TextKeyForScancode(uint32_t scancode, bool ctrl, bool shift, TextKey& key);

}  // namespace os

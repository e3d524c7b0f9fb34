// Keyboard, mouse and joystick into the key words. The window procedure notes what the devices
// do (UI thread); the main thread's poll turns that into the words of each frame and applies the
// click and wheel codes the window procedure posted. Ownership is documented in input_state.h.
#include "YEL/input/input.h"

#include "YEL/core/system.h"
#include "YEL/window/private_messages.h"
#include "os/window.h"

namespace yel {
namespace {

constexpr uint32_t kRepeatDelayMs = 500;
constexpr uint64_t kPointerKnown = uint64_t{1} << 32;

// The virtual key read for each key bit, in bit order. Bit 23 is the logical left button: the
// system reports buttons after any left-handed swap, so one table serves both setups.
constexpr uint32_t kKeyTable[kKeyBitCount] = {
    os::kVkEscape,  os::kVkSpace,   os::kVkReturn, os::kVkControl, os::kVkShift,
    os::kVkMenu,    os::kVkTab,     os::kVkUp,     os::kVkDown,    os::kVkLeft,
    os::kVkRight,   os::kVkF1,      os::kVkF1 + 1, os::kVkF1 + 2,  os::kVkF1 + 3,
    os::kVkF1 + 4,  os::kVkF1 + 5,  os::kVkF1 + 6, os::kVkF1 + 7,  os::kVkF1 + 8,
    os::kVkF1 + 9,  os::kVkF1 + 10, os::kVkF12,    os::kVkLButton, os::kVkRButton,
    os::kVkMButton, 'Y',            'N',           'Z',            'X',
    'C',
};

// The mouse-button messages and what each says about its button.
struct ButtonMessage {
  uint32_t id;
  uint32_t button;
  bool down;
};

constexpr ButtonMessage kButtonMessages[] = {
    {os::kWmLButtonDown, os::kMouseLeft, true},    {os::kWmLButtonDblClk, os::kMouseLeft, true},
    {os::kWmLButtonUp, os::kMouseLeft, false},     {os::kWmRButtonDown, os::kMouseRight, true},
    {os::kWmRButtonDblClk, os::kMouseRight, true}, {os::kWmRButtonUp, os::kMouseRight, false},
    {os::kWmMButtonDown, os::kMouseMiddle, true},  {os::kWmMButtonDblClk, os::kMouseMiddle, true},
    {os::kWmMButtonUp, os::kMouseMiddle, false},
};

void NoteScancode(RawInput& raw, uintptr_t scancode, bool down) {
  if (scancode >= os::kScancodeCount) return;
  const uint32_t bit = 1u << (scancode % 32);
  std::atomic<uint32_t>& word = raw.scancodes[scancode / 32];
  if (down) {
    word |= bit;
    raw.pressed[scancode / 32] |= bit;
  } else {
    word &= ~bit;
  }
}

bool ScancodeDown(const RawInput& raw, uint32_t scancode) {
  return scancode < os::kScancodeCount && (raw.scancodes[scancode / 32] & (1u << (scancode % 32)));
}

// A button message: the button's state and the pointer position it carries.
void NoteButton(YelSystem& system, const os::Message& m) {
  for (const ButtonMessage& row : kButtonMessages) {
    if (row.id != m.id) continue;
    if (row.down) {
      system.input.raw.buttons |= row.button;
    } else {
      system.input.raw.buttons &= ~row.button;
    }
    SetPointerPosition(system, os::UnpackX(m.lparam), os::UnpackY(m.lparam));
    return;
  }
}

using ScancodeWords = std::array<uint32_t, os::kScancodeCount / 32>;

// Takes the keys pressed since the last poll.
ScancodeWords TakePressed(RawInput& raw) {
  ScancodeWords pressed{};
  for (size_t i = 0; i < pressed.size(); ++i) pressed[i] = raw.pressed[i].exchange(0);
  return pressed;
}

// The keys down now or pressed since the last poll (`pressed`, taken from the raw state).
uint32_t RawKeyWord(const YelSystem& system, const ScancodeWords& pressed) {
  uint32_t word = 0;
  for (int bit = 0; bit < kKeyBitCount; ++bit) {
    bool down = InputKeyDown(system, kKeyTable[bit]);
    uint32_t scancodes[os::kMaxScancodesPerKey];
    const int count = os::VirtualKeyScancodes(kKeyTable[bit], scancodes);
    for (int i = 0; i < count && !down; ++i) {
      const uint32_t code = scancodes[i];
      down = code < os::kScancodeCount && (pressed[code / 32] & (1u << (code % 32)));
    }
    if (down) word |= 1u << bit;
  }
  return word;
}

// The new state becomes current; pushed, held and released follow from it and the old one.
void UpdateWords(PolledWords& words, uint32_t current) {
  const uint32_t previous = words.current.exchange(current);
  words.previous = previous;
  words.push = current & ~previous;
  words.on = current & previous;
  words.pull = previous & ~current;
}

void ClearDerived(PolledWords& words) {
  words.push = 0;
  words.on = 0;
  words.pull = 0;
  words.repeat = 0;
}

void PollInactive(InputState& input) {
  TakePressed(input.raw);  // a press made while the game reads nothing is not kept for later
  input.joy.current = 0;
  input.joy.previous = 0;
  ClearDerived(input.joy);
  input.mouse_x = -1;
  input.mouse_y = -1;
  input.mouse_move_x = 0;
  input.mouse_move_y = 0;
  input.wheel = 0;
  ClearDerived(input.keys);
}

void SetMouseAxis(std::atomic<int32_t>& position, std::atomic<int32_t>& move, int32_t mapped) {
  move = mapped == -1 ? 0 : mapped - position.load();
  position = mapped;
}

// The pointer in game coordinates: relative to the client size in window mode, to the view
// rectangle in full screen.
void PollMouse(YelSystem& system) {
  const YelInitParam& p = system.param;
  int x = 0, y = 0;
  int32_t game_x = -1, game_y = -1;
  if (PointerPosition(system, x, y)) {
    const WindowState state = system.window_state.Get();
    if (state.full_screen) {
      const os::Rect& view = state.view;
      game_x = MapPointerAxis(x, view.left, view.Width(), p.game_width);
      game_y = MapPointerAxis(y, view.top, view.Height(), p.game_height);
    } else {
      game_x = MapPointerAxis(x, 0, state.width, p.game_width);
      game_y = MapPointerAxis(y, 0, state.height, p.game_height);
    }
  }
  SetMouseAxis(system.input.mouse_x, system.input.mouse_move_x, game_x);
  SetMouseAxis(system.input.mouse_y, system.input.mouse_move_y, game_y);
}

// The keys down now or tapped since the last poll, a first touch point as a click with C, a pen's
// right press as Esc, and the clicks the window reported since the last poll together with last
// frame's presses.
void PollKeys(YelSystem& system) {
  uint32_t current = RawKeyWord(system, TakePressed(system.input.raw));
  if (system.touch.bits & kTouchPoint0Down) current |= kKeyMouseLeft | kKeyC;
  if (system.touch.bits.fetch_and(~kTouchRightPress) & kTouchRightPress) current |= kKeyEsc;
  current |= system.input.keys.push & kKeyMouseButtons;
  UpdateWords(system.input.keys, current);
}

// Keys held since their press give the repeat word once the delay has passed; a new press
// restarts the timing for the keys of that press.
void PollRepeat(InputState& input, uint32_t now) {
  input.keys.repeat = 0;
  const uint32_t push = input.keys.push;
  if (push) {
    input.repeat_keys = push;
    input.repeat_start = now;
  } else if (input.keys.on & input.repeat_keys) {
    if (now - input.repeat_start > kRepeatDelayMs) input.keys.repeat = input.repeat_keys.load();
  } else {
    input.repeat_keys = 0;
  }
}

void PollJoystick(InputState& input) {
  if (!input.joystick) return;
  os::JoystickState state;
  // A failed read keeps the words as they were.
  if (!input.joystick->Read(state)) return;
  uint32_t word = state.buttons << 4;
  if (state.y < -kJoyThreshold) word |= kJoyUp;
  if (state.y > kJoyThreshold) word |= kJoyDown;
  if (state.x < -kJoyThreshold) word |= kJoyLeft;
  if (state.x > kJoyThreshold) word |= kJoyRight;
  UpdateWords(input.joy, word);
}

void ApplyCancel(InputState& input, uint32_t low, uint32_t high) {
  input.keys.on &= ~low;
  input.keys.push &= ~low;
  input.keys.pull &= ~low;
  input.keys.repeat &= ~low;
  if (high == 0) return;
  input.window_event &= ~high;
  if (high & kInputWheel) input.wheel = 0;
}

}  // namespace

void InputInitialize(YelSystem& system) {
  InputState& input = system.input;
  input.joystick = os::Joystick::OpenFirst();
  input.joystick_present = input.joystick != nullptr;
  TouchState& touch = system.touch;
  touch.available = os::TouchDevicePresent();
  touch.mode = 0;
  touch.registered = touch.available.load();
  if (system.window) system.window->SetTouchAsMouse(false);
  YelSetCursor(reinterpret_cast<const char*>(uintptr_t{YEL_CURSOR_ARROW}), 1, 0, 0);
}

void InputRelease(YelSystem& system) {
  CursorRelease(system);
  system.input.joystick_present = false;
  system.input.joystick.reset();
}

void InputPoll(YelSystem& system) {
  InputState& input = system.input;
  if (!system.active.load() || system.inactive.load() || system.geometry.sizing.load()) {
    PollInactive(input);
    return;
  }
  PollMouse(system);
  PollKeys(system);
  PollRepeat(input, system.frame_time.load());
  if (!CursorOverGameView(system)) {
    input.keys.push &= ~(kKeyMouseButtons | kKeyC);
    input.wheel = 0;
  }
  PollJoystick(input);
  ApplyCancel(input, input.cancel_low, input.cancel_high);
}

void InputApplyCode(YelSystem& system, uintptr_t code, intptr_t value) {
  InputState& input = system.input;
  switch (code) {
    case kInputLeftDoubleClick:
    case kInputRightDoubleClick:
    case kInputMiddleDoubleClick:
    case kInputWindowModeSwitch: input.window_event |= static_cast<uint32_t>(code); break;
    case kInputWheel: input.wheel = static_cast<int16_t>(value & 0xFFFF); break;
    case kInputKeyOnExtra: input.keys.push |= kKeyMouseLeft | kKeyC; break;
    case kInputRightClickTouch:
    case kInputRightClick: input.keys.push |= kKeyMouseRight; break;
    case kInputLeftClick: input.keys.push |= kKeyMouseLeft; break;
    case kInputMiddleClick: input.keys.push |= kKeyMouseMiddle; break;
    default: break;
  }
}

void InputClear(YelSystem& system) {
  YelInputClear();
  // A button let go while another window has the focus is never reported here.
  system.input.raw.buttons = 0;
}

void InputWindowMessage(YelSystem& system, const os::Message& m) {
  RawInput& raw = system.input.raw;
  switch (m.id) {
    case os::kWmKeyDown:
    case os::kWmSysKeyDown: NoteScancode(raw, m.wparam, true); break;
    case os::kWmKeyUp:
    case os::kWmSysKeyUp: NoteScancode(raw, m.wparam, false); break;
    case os::kWmMouseMove:
      SetPointerPosition(system, os::UnpackX(m.lparam), os::UnpackY(m.lparam));
      break;
    case os::kWmMouseLeave: raw.pointer &= ~kPointerKnown; break;
    default: NoteButton(system, m); break;
  }
}

bool InputKeyDown(const YelSystem& system, uint32_t virtual_key) {
  const RawInput& raw = system.input.raw;
  if (const uint32_t button = os::VirtualKeyMouseButton(virtual_key)) return raw.buttons & button;
  uint32_t scancodes[os::kMaxScancodesPerKey];
  const int count = os::VirtualKeyScancodes(virtual_key, scancodes);
  for (int i = 0; i < count; ++i) {
    if (ScancodeDown(raw, scancodes[i])) return true;
  }
  return false;
}

void JoystickReacquire(YelSystem& system) {
  // A device that went away is replaced by the first one attached now, if any.
  InputState& input = system.input;
  if (!input.joystick || input.joystick->Attached()) return;
  input.joystick = os::Joystick::OpenFirst();
  input.joystick_present = input.joystick != nullptr;
}

int32_t MapPointerAxis(int pos, int origin, int extent, int game_extent) {
  if (extent <= 0 || game_extent <= 0) return -1;
  const float mapped = static_cast<float>(pos - origin) / static_cast<float>(extent) *
                       static_cast<float>(game_extent);
  // Truncation toward zero keeps exactly the values above -(game extent + 1) and below the
  // game extent; testing before converting keeps any value convertible.
  const bool kept = mapped > static_cast<float>(-game_extent - 1) &&
                    mapped < static_cast<float>(game_extent);
  if (!kept) return -1;
  return static_cast<int32_t>(mapped);
}

bool PointerPosition(const YelSystem& system, int& x, int& y) {
  const uint64_t pointer = system.input.raw.pointer;
  if (!(pointer & kPointerKnown)) return false;
  x = os::UnpackX(static_cast<intptr_t>(pointer & 0xFFFFFFFF));
  y = os::UnpackY(static_cast<intptr_t>(pointer & 0xFFFFFFFF));
  return true;
}

void SetPointerPosition(YelSystem& system, int x, int y) {
  system.input.raw.pointer = kPointerKnown | static_cast<uint32_t>(os::PackXY(x, y));
}

bool PowerOfTwoCaptures(const YelSystem& system) { return system.input.power_of_two.load() != 0; }

}  // namespace yel

using yel::System;
using yel::YelSystem;

namespace {

yel::InputState* Input() {
  YelSystem* system = System();
  return system ? &system->input : nullptr;
}

uint32_t KeyWord(std::atomic<uint32_t> yel::PolledWords::*word) {
  yel::InputState* input = Input();
  return input ? (input->keys.*word).load() : 0;
}

uint32_t JoyWord(std::atomic<uint32_t> yel::PolledWords::*word) {
  yel::InputState* input = Input();
  return input && input->joystick_present ? (input->joy.*word).load() : 0;
}

void OrInto(std::atomic<uint32_t> yel::PolledWords::*word, uint32_t bits) {
  if (yel::InputState* input = Input()) input->keys.*word |= bits;
}

}  // namespace

extern "C" {

YEL_API uint32_t YelInputGetKeyPush(void) {
  return KeyWord(&yel::PolledWords::push);
}
YEL_API uint32_t YelInputGetKeyOn(void) {
  return KeyWord(&yel::PolledWords::on);
}
YEL_API uint32_t YelInputGetKeyPull(void) {
  return KeyWord(&yel::PolledWords::pull);
}
YEL_API uint32_t YelInputGetKeyOnEx(void) {
  return KeyWord(&yel::PolledWords::repeat);
}
YEL_API uint32_t YelInputGetKeyEx(void) {
  yel::InputState* input = Input();
  return input ? input->window_event.load() : 0;
}
YEL_API int16_t YelInputGetWheel(void) {
  yel::InputState* input = Input();
  return input ? static_cast<int16_t>(input->wheel.load()) : 0;
}
YEL_API int32_t YelInputGetMouseX(void) {
  yel::InputState* input = Input();
  return input ? input->mouse_x.load() : -1;
}
YEL_API int32_t YelInputGetMouseY(void) {
  yel::InputState* input = Input();
  return input ? input->mouse_y.load() : -1;
}
YEL_API int32_t YelInputGetMouseMoveX(void) {
  yel::InputState* input = Input();
  return input ? input->mouse_move_x.load() : 0;
}
YEL_API int32_t YelInputGetMouseMoveY(void) {
  yel::InputState* input = Input();
  return input ? input->mouse_move_y.load() : 0;
}

YEL_API uint32_t YelInputGetJoyPush(void) { return JoyWord(&yel::PolledWords::push); }
YEL_API uint32_t YelInputGetJoyOn(void) { return JoyWord(&yel::PolledWords::on); }
YEL_API uint32_t YelInputGetJoyPull(void) { return JoyWord(&yel::PolledWords::pull); }
YEL_API uint32_t YelInputGetJoyOnEx(void) { return JoyWord(&yel::PolledWords::repeat); }

YEL_API void YelInputSetKeyOn(uint32_t bits) { OrInto(&yel::PolledWords::on, bits); }
YEL_API void YelInputSetKeyPull(uint32_t bits) { OrInto(&yel::PolledWords::pull, bits); }
YEL_API void YelInputSetKeyPush(uint32_t bits) { OrInto(&yel::PolledWords::push, bits); }

YEL_API void YelInputKeyCancel(uint32_t low_mask, uint32_t high_mask) {
  yel::InputState* input = Input();
  if (!input) return;
  input->cancel_low = low_mask;
  input->cancel_high = high_mask;
  yel::ApplyCancel(*input, low_mask, high_mask);
}

YEL_API void YelInputKeyRepeatClear(void) {
  yel::InputState* input = Input();
  if (!input) return;
  input->keys.repeat = 0;
  input->repeat_keys = 0;
}

// The current and previous states, the window-event word and the mouse stay.
YEL_API void YelInputClear(void) {
  yel::InputState* input = Input();
  if (!input) return;
  yel::ClearDerived(input->joy);
  yel::ClearDerived(input->keys);
}

YEL_API int YelInputGetAsyncKey(uint32_t virtual_key) {
  const YelSystem* system = System();
  return system && yel::InputKeyDown(*system, virtual_key) ? 1 : 0;
}

}  // extern "C"

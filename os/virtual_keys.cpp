// The one table from virtual keys to the scancodes and mouse buttons that stand for them.
#include "os/virtual_keys.h"

#include <SDL_scancode.h>

namespace os {
namespace {

static_assert(SDL_NUM_SCANCODES == kScancodeCount);

// A row covers the virtual keys first..last. Keyboard rows give the scancode of `first` (the
// following keys take the following scancodes) and, for a single key, a second scancode that
// stands for it too. Mouse rows give the button bit instead. Mouse buttons are read as the
// system reports them logically, so a left-handed setup needs no second table.
struct KeyRow {
  uint32_t first;
  uint32_t last;
  uint32_t scancode;
  uint32_t second_scancode;
  uint32_t mouse_button;
};

constexpr KeyRow kKeyTable[] = {
    {kVkLButton, kVkLButton, 0, 0, kMouseLeft},
    {kVkRButton, kVkRButton, 0, 0, kMouseRight},
    {kVkMButton, kVkMButton, 0, 0, kMouseMiddle},
    {kVkBack, kVkBack, SDL_SCANCODE_BACKSPACE, 0, 0},
    {kVkTab, kVkTab, SDL_SCANCODE_TAB, 0, 0},
    {kVkReturn, kVkReturn, SDL_SCANCODE_RETURN, SDL_SCANCODE_KP_ENTER, 0},
    {kVkShift, kVkShift, SDL_SCANCODE_LSHIFT, SDL_SCANCODE_RSHIFT, 0},
    {kVkControl, kVkControl, SDL_SCANCODE_LCTRL, SDL_SCANCODE_RCTRL, 0},
    {kVkMenu, kVkMenu, SDL_SCANCODE_LALT, SDL_SCANCODE_RALT, 0},
    {kVkPause, kVkPause, SDL_SCANCODE_PAUSE, 0, 0},
    {kVkEscape, kVkEscape, SDL_SCANCODE_ESCAPE, 0, 0},
    {kVkSpace, kVkSpace, SDL_SCANCODE_SPACE, 0, 0},
    {kVkPrior, kVkPrior, SDL_SCANCODE_PAGEUP, 0, 0},
    {kVkNext, kVkNext, SDL_SCANCODE_PAGEDOWN, 0, 0},
    {kVkEnd, kVkEnd, SDL_SCANCODE_END, 0, 0},
    {kVkHome, kVkHome, SDL_SCANCODE_HOME, 0, 0},
    {kVkLeft, kVkLeft, SDL_SCANCODE_LEFT, 0, 0},
    {kVkUp, kVkUp, SDL_SCANCODE_UP, 0, 0},
    {kVkRight, kVkRight, SDL_SCANCODE_RIGHT, 0, 0},
    {kVkDown, kVkDown, SDL_SCANCODE_DOWN, 0, 0},
    {kVkInsert, kVkInsert, SDL_SCANCODE_INSERT, 0, 0},
    {kVkDelete, kVkDelete, SDL_SCANCODE_DELETE, 0, 0},
    // The digit row starts at 1; 0 comes after 9.
    {kVk0, kVk0, SDL_SCANCODE_0, 0, 0},
    {kVk0 + 1, kVk0 + 9, SDL_SCANCODE_1, 0, 0},
    {kVkA, kVkA + 25, SDL_SCANCODE_A, 0, 0},
    {kVkF1, kVkF12, SDL_SCANCODE_F1, 0, 0},
    {kVkLShift, kVkLShift, SDL_SCANCODE_LSHIFT, 0, 0},
    {kVkRShift, kVkRShift, SDL_SCANCODE_RSHIFT, 0, 0},
    {kVkLControl, kVkLControl, SDL_SCANCODE_LCTRL, 0, 0},
    {kVkRControl, kVkRControl, SDL_SCANCODE_RCTRL, 0, 0},
    {kVkLMenu, kVkLMenu, SDL_SCANCODE_LALT, 0, 0},
    {kVkRMenu, kVkRMenu, SDL_SCANCODE_RALT, 0, 0},
    {kVkCapital, kVkCapital, SDL_SCANCODE_CAPSLOCK, 0, 0},
    {kVkSnapshot, kVkSnapshot, SDL_SCANCODE_PRINTSCREEN, 0, 0},
    {kVkLWin, kVkLWin, SDL_SCANCODE_LGUI, 0, 0},
    {kVkRWin, kVkRWin, SDL_SCANCODE_RGUI, 0, 0},
    {kVkApps, kVkApps, SDL_SCANCODE_APPLICATION, 0, 0},
    // The keypad's digit rows also start at 1, with 0 after 9.
    {kVkNumpad0, kVkNumpad0, SDL_SCANCODE_KP_0, 0, 0},
    {kVkNumpad0 + 1, kVkNumpad0 + 9, SDL_SCANCODE_KP_1, 0, 0},
    {kVkMultiply, kVkMultiply, SDL_SCANCODE_KP_MULTIPLY, 0, 0},
    {kVkAdd, kVkAdd, SDL_SCANCODE_KP_PLUS, 0, 0},
    {kVkSubtract, kVkSubtract, SDL_SCANCODE_KP_MINUS, 0, 0},
    {kVkDecimal, kVkDecimal, SDL_SCANCODE_KP_PERIOD, 0, 0},
    {kVkDivide, kVkDivide, SDL_SCANCODE_KP_DIVIDE, 0, 0},
    {kVkF13, kVkF24, SDL_SCANCODE_F13, 0, 0},
    {kVkNumLock, kVkNumLock, SDL_SCANCODE_NUMLOCKCLEAR, 0, 0},
    {kVkScroll, kVkScroll, SDL_SCANCODE_SCROLLLOCK, 0, 0},
    {kVkOem1, kVkOem1, SDL_SCANCODE_SEMICOLON, 0, 0},
    {kVkOemPlus, kVkOemPlus, SDL_SCANCODE_EQUALS, 0, 0},
    {kVkOemComma, kVkOemComma, SDL_SCANCODE_COMMA, 0, 0},
    {kVkOemMinus, kVkOemMinus, SDL_SCANCODE_MINUS, 0, 0},
    {kVkOemPeriod, kVkOemPeriod, SDL_SCANCODE_PERIOD, 0, 0},
    {kVkOem2, kVkOem2, SDL_SCANCODE_SLASH, 0, 0},
    {kVkOem3, kVkOem3, SDL_SCANCODE_GRAVE, 0, 0},
    {kVkOem4, kVkOem4, SDL_SCANCODE_LEFTBRACKET, 0, 0},
    {kVkOem5, kVkOem5, SDL_SCANCODE_BACKSLASH, 0, 0},
    {kVkOem6, kVkOem6, SDL_SCANCODE_RIGHTBRACKET, 0, 0},
    {kVkOem7, kVkOem7, SDL_SCANCODE_APOSTROPHE, 0, 0},
    {kVkOem102, kVkOem102, SDL_SCANCODE_NONUSBACKSLASH, 0, 0},
};

const KeyRow* FindRow(uint32_t virtual_key) {
  for (const KeyRow& row : kKeyTable) {
    if (virtual_key >= row.first && virtual_key <= row.last) return &row;
  }
  return nullptr;
}

}  // namespace

int VirtualKeyScancodes(uint32_t virtual_key, uint32_t (&out)[kMaxScancodesPerKey]) {
  const KeyRow* row = FindRow(virtual_key);
  if (!row || row->mouse_button) return 0;
  out[0] = row->scancode + (virtual_key - row->first);
  if (row->second_scancode == 0) return 1;
  out[1] = row->second_scancode;
  return 2;
}

bool ScancodeIsVirtualKey(uint32_t scancode, uint32_t virtual_key) {
  uint32_t codes[kMaxScancodesPerKey];
  const int count = VirtualKeyScancodes(virtual_key, codes);
  for (int i = 0; i < count; ++i) {
    if (codes[i] == scancode) return true;
  }
  return false;
}

uint32_t VirtualKeyMouseButton(uint32_t virtual_key) {
  const KeyRow* row = FindRow(virtual_key);
  return row ? row->mouse_button : 0;
}

}  // namespace os

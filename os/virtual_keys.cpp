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

// Virtual-key numbers: how the engine and its scripts name keys and mouse buttons. The keyboard
// itself reports scancodes; one table here says which scancodes each virtual key stands for.
#pragma once

#include <cstdint>

namespace os {

// The virtual keys the engine names. Letters and digits are their upper-case ASCII codes.
enum VirtualKey : uint32_t {
  kVkLButton = 0x01,
  kVkRButton = 0x02,
  kVkMButton = 0x04,
  kVkBack = 0x08,
  kVkTab = 0x09,
  kVkReturn = 0x0D,
  kVkShift = 0x10,
  kVkControl = 0x11,
  kVkMenu = 0x12,  // Alt
  kVkPause = 0x13,
  kVkEscape = 0x1B,
  kVkSpace = 0x20,
  kVkPrior = 0x21,
  kVkNext = 0x22,
  kVkEnd = 0x23,
  kVkHome = 0x24,
  kVkLeft = 0x25,
  kVkUp = 0x26,
  kVkRight = 0x27,
  kVkDown = 0x28,
  kVkInsert = 0x2D,
  kVkDelete = 0x2E,
  kVk0 = 0x30,
  kVkA = 0x41,
  kVkF1 = 0x70,
  kVkF4 = 0x73,
  kVkF12 = 0x7B,
  kVkLShift = 0xA0,
  kVkRShift = 0xA1,
  kVkLControl = 0xA2,
  kVkRControl = 0xA3,
  kVkLMenu = 0xA4,
  kVkRMenu = 0xA5,
  kVkCapital = 0x14,
  kVkSnapshot = 0x2C,
  kVkLWin = 0x5B,
  kVkRWin = 0x5C,
  kVkApps = 0x5D,
  kVkNumpad0 = 0x60,  // 0x60-0x69: the keypad's digits
  kVkMultiply = 0x6A,
  kVkAdd = 0x6B,
  kVkSubtract = 0x6D,
  kVkDecimal = 0x6E,
  kVkDivide = 0x6F,
  kVkF13 = 0x7C,
  kVkF24 = 0x87,
  kVkNumLock = 0x90,
  kVkScroll = 0x91,
  kVkOem1 = 0xBA,  // ";" on a US layout
  kVkOemPlus = 0xBB,
  kVkOemComma = 0xBC,
  kVkOemMinus = 0xBD,
  kVkOemPeriod = 0xBE,
  kVkOem2 = 0xBF,    // "/"
  kVkOem3 = 0xC0,    // "`"
  kVkOem4 = 0xDB,    // "["
  kVkOem5 = 0xDC,    // "\\"
  kVkOem6 = 0xDD,    // "]"
  kVkOem7 = 0xDE,    // "'"
  kVkOem102 = 0xE2,  // the extra key beside left Shift
};

// The number of scancodes a keyboard can report; every scancode is below it.
inline constexpr uint32_t kScancodeCount = 512;
// The most scancodes one virtual key stands for (a modifier has a left and a right key).
inline constexpr int kMaxScancodesPerKey = 2;

// Writes the scancodes of a keyboard virtual key to `out` and returns how many there are; 0 for
// mouse buttons and for keys the table does not know.
int VirtualKeyScancodes(uint32_t virtual_key, uint32_t (&out)[kMaxScancodesPerKey]);
// True when `scancode` is one of the keys of `virtual_key`.
bool ScancodeIsVirtualKey(uint32_t scancode, uint32_t virtual_key);

// The mouse buttons of the button virtual keys, as bits of a button mask.
enum MouseButtonBit : uint32_t {
  kMouseLeft = 1u << 0,
  kMouseRight = 1u << 1,
  kMouseMiddle = 1u << 2,
};
// The button bit of a mouse-button virtual key, 0 for any other key.
uint32_t VirtualKeyMouseButton(uint32_t virtual_key);

}  // namespace os

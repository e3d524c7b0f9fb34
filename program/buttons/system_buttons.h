// System buttons: 32 entries of the button manager that bind fixed inputs (the mouse buttons, the
// wheel, F1-F12, Escape, the arrows) to script labels. Once a frame, when no button group
// reacted, the first bound and enabled entry whose input fires calls its label as a subroutine.
// They belong to no snapshot: scene resets and loads leave them as they are.
#pragma once

#include <cstdint>

namespace adv {

struct AdvContext;
struct ButtonManager;

// Entries 0-31 name one system button; the commands that free or enable entries take this for
// all of them.
inline constexpr int32_t kAllSystemButtons = 65535;
inline constexpr uint32_t kSystemButtonPauseMs = 50;

// The library's input words of one frame, as the system buttons read them.
struct SystemButtonInput {
  uint32_t push = 0;    // pressed in this frame
  uint32_t pull = 0;    // released in this frame
  uint32_t on = 0;      // held in this and the previous frame
  uint32_t repeat = 0;  // held past the library's repeat delay
  int16_t wheel = 0;    // negative away from the reader, positive toward
};

// The words the library polled for this frame.
SystemButtonInput SystemButtonInputNow();

// The entry whose input fires first this frame, or -1: none fires, or a key other than the
// arrows is held. The input pause is not looked at here.
int32_t SystemButtonFiring(const ButtonManager& manager, const SystemButtonInput& input);

// One frame of the system buttons with these words: true when an entry's label now runs (the
// program counter is at it and its return record is pushed). False during the input pause and
// when the firing entry has no label.
bool AdvSystemButtonStep(AdvContext& context, const SystemButtonInput& input);

// Sets the enable word of one entry (0-31); other entries are ignored.
void AdvSystemButtonSetEnable(AdvContext& context, int32_t entry, int32_t value);

}  // namespace adv

// The button manager: each in-use group's platform button object finds the hovered and the
// decided sprite every frame; the manager maps them back to the button records and runs their
// labels as subroutines. Button i of group g shows its image in graphic slot 144 + 128 x g + i.
#pragma once

#include <cstdint>

#include "program/buttons/button_records.h"

namespace adv {

struct AdvContext;
struct GraphicSlot;

inline constexpr uint32_t kClickPauseMs = 100;
inline constexpr uint32_t kHoverPauseMs = 50;

bool ButtonGroupValid(int32_t group);
// A valid group and an index that has a slot in it (group 15 ends at 118).
bool ButtonIndexValid(int32_t group, int32_t index);
// The record of an existing button, else null (also for arguments out of range).
ButtonRecord* ButtonFind(AdvContext& context, int32_t group, int32_t index);
// The button's slot entry in bank 2, and its image number.
int32_t ButtonSlotEntry(int32_t group, int32_t index);

// Calls the label at `offset` (from the code origin) as a subroutine returning to the program
// counter with `tag`; the jump happens even when the return record cannot be kept.
void ButtonCallLabel(AdvContext& context, uint32_t offset, uint32_t tag);
// The code offset of a script label number; 0 for label 0 or a label "Point.dat" lacks.
uint32_t ButtonLabelOffset(AdvContext& context, int32_t label);

// The input pause: from now for `ms` milliseconds no button reacts.
void AdvButtonPauseStart(AdvContext& context, uint32_t ms);

// The hovered button of the group is left: off-mouse, its off label called, hovered cleared.
void AdvButtonLeave(AdvContext& context, int32_t group);

// One frame of every in-use group: true when a button was decided (its click label now runs)
// or a decide sound still plays.
bool AdvButtonUpdateFrame(AdvContext& context);

// A free group comes into use with its hover and decide sounds (file arguments; 0 or the empty
// reference: none). A sound whose name is empty is not kept, and one that does not load leaves
// the group without that sound.
void AdvButtonGroupInit(AdvContext& context, int32_t group, uint32_t hover_sound,
                        uint32_t decide_sound);

// Button release: the platform item, the slot and the record go; a hovered button is left first.
void AdvButtonRelease(AdvContext& context, int32_t group, int32_t index);
// A group's buttons and object go and the group becomes free.
void AdvButtonGroupUnload(AdvContext& context, int32_t group);

int AdvButtonSetVisible(AdvContext& context, int32_t group, int32_t index, int32_t visible);
int AdvButtonSetState(AdvContext& context, int32_t group, int32_t index, int32_t enabled,
                      int32_t row);
int AdvButtonReset(AdvContext& context, int32_t group, int32_t index);
int AdvButtonSetPos(AdvContext& context, int32_t group, int32_t index, int32_t row);
// The special-button index of a btn_expansion style, -1 for none.
int32_t AdvButtonGetSpecial(const AdvContext& context, int32_t group, int32_t style);

// The table of child links {child slot, parent image number} the child commands fill.
struct ButtonChildLink {
  GraphicSlot* child = nullptr;
  uint32_t parent = 0;
};
ButtonChildLink& ButtonChildLinkAt(int32_t group, int32_t index);
void AdvButtonChildLinkClear();

}  // namespace adv

// Child buttons and slider thumbs: a child button's slot follows a parent button's image from
// the next frame on, placed by its offset relative to the parent; a slider thumb moves through
// its offset position so that its base position stays the track's origin.
#pragma once

#include <cstdint>

namespace adv {

// Links the child button (group, child) to the parent button (group, parent) at (x, y) from the
// parent, or unlinks it when parent is -1 (the child keeps where it stands). Groups and indexes
// outside the table, and group 15's buttons 119-127, are refused with a level-0 log: false.
bool AdvButtonSetChild(int32_t group, int32_t parent, int32_t child, int32_t x, int32_t y);

// A slider value 0..maximum snapped up onto the slider's steps: one step is a hundredth of the
// maximum (of at least 100), and a value between two steps goes to the higher one, never past
// the maximum.
int32_t ButtonSliderSnap(int32_t maximum, int32_t value);

}  // namespace adv

// Texts on layers: sp_text draws a text as a sprite of its own or into a layer's sprite, and a
// layer keeps what was drawn on it as text items (with the font each was drawn in), so that a
// layer rebuilt from its file can draw them again. Main thread, render lock held.
#pragma once

#include <cstdint>
#include <string>

#include "program/layers/layer_records.h"

namespace adv {

struct AdvContext;

// A text argument is read into 260 bytes: a text number, then at most 255 bytes of text.
inline constexpr size_t kLayerTextBuffer = 260;

// An item for `text` at (x, y) in the platform's current font type, effect, size and colours.
LayerTextItem AdvLayerTextItem(const std::string& text, int32_t x, int32_t y);
// Every text item of the layer goes.
void AdvLayerClearTags(LayerRecord& record);
// Draws every text item of the layer into its sprite, each in its own font; the font settings
// are put back after each. A layer without a sprite logs each item it cannot draw.
void AdvLayerTextRender(LayerRecord& record);

// sp_text: `target` 0-127 names a layer, any other number (as unsigned) an image. Into an
// image's sprite the text is only drawn; a layer with a sprite is drawn into and keeps the item;
// an empty layer gets a new text sprite at (x, y, z) that the next commit shows. 1, or 0 after
// "sp_text create error[%s]".
int AdvLayerSpText(AdvContext& context, int32_t target, const std::string& text, int32_t x,
                   int32_t y, int32_t z);

}  // namespace adv

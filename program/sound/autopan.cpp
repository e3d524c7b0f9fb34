#include "program/sound/autopan.h"

#include <string_view>

#include "program/layers/graphic_slots.h"
#include "program/sound/name_prefix.h"
#include "program/sound/sound_calls.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

constexpr int32_t kPositionSteps = 20;

// The pan of the layer image an entry follows; false when the slot holds no image, so that the
// voice keeps the pan it has.
bool PanOfSlot(const SoundState& state, int32_t index, int32_t* pan) {
  const GraphicSlot* slot = AdvGraphicSlotFromIndex(index);
  if (!slot || slot->index == 0 || !slot->sprite) return false;
  YelSpriteInfo info{};
  if (!yel::YelSpriteGetInfo(slot->sprite, &info)) return false;
  const int32_t x = static_cast<int32_t>(info.x) + info.image_width / 2;
  *pan = AdvPanFromScreenX(state, x);
  return true;
}

}  // namespace

int32_t AdvPanFromScreenX(const SoundState& state, int32_t x, int32_t width) {
  const int32_t range = state.pan_range;
  if (x < 0) return -range;
  if (x > width || width <= 0) return range;
  return static_cast<int32_t>(static_cast<float>(x) / static_cast<float>(width) *
                                  static_cast<float>(2 * range) -
                              static_cast<float>(range));
}

int32_t AdvPanFromScreenX(const SoundState& state, int32_t x) {
  return AdvPanFromScreenX(state, x, AdvWindowWidth);
}

int32_t AdvPanFromPosition(const SoundState& state, int32_t position, int32_t width) {
  const int32_t step = width / kPositionSteps;
  int32_t x = step + width;
  if (position < 0) {
    x = -step;
  } else if (position <= kPositionSteps) {
    x = step * position;
  }
  return AdvPanFromScreenX(state, x, width);
}

int32_t AdvPanFromPosition(const SoundState& state, int32_t position) {
  return AdvPanFromPosition(state, position, AdvWindowWidth);
}

bool AdvAutopanMatch(SoundState& state, const char* name, VoicePanBlock& pan) {
  pan = VoicePanBlock{};
  const std::string_view voice = name ? name : "";
  for (const AutopanEntry& entry : state.autopan) {
    if (!NamePrefixMatches(FieldText(entry.name), voice)) continue;
    pan.source = entry.source;
    pan.mode = entry.mode;
    pan.state = kPanFollowing;
    return true;
  }
  return false;
}

void AdvVoiceAutopanUpdate(SoundState& state, uint32_t handle, VoicePanBlock& pan) {
  int32_t value = 0;
  if (pan.mode != 0) {
    value = AdvPanFromPosition(state, pan.source);
  } else if (!PanOfSlot(state, pan.source, &value)) {
    return;
  }
  if (value == pan.last_pan) return;
  pan.last_pan = value;
  yel::YelSoundSetPanChannel(handle, value);
}

}  // namespace adv

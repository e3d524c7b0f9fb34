// The mask wipes: kind 20 makes a picture appear through a grey-scale mask, kind 21 makes it
// disappear. They write no component group of a slot: each frame they rewrite the alpha of the
// displayed (to) image's pixels from the source (from) image's alpha and the mask. Create copies
// the from picture into the to image; finish completes the wipe, or with the stop flag leaves it
// where it stands; a wipe that never started leaves the to image untouched.
//
// Pixels are reached through the sprites' locks. A sprite made while a scene is rebuilt by a
// forced skip holds no pixels and its lock fails: the pixel work is then left out and what was
// locked is unlocked, while the section keeps its timing.
#include <algorithm>

#include "program/game/adv_context.h"
#include "program/layers/action_kinds.h"
#include "program/layers/mask_wipe.h"
#include "program/script/engine_log.h"
#include "program/startup/yel_import.h"
#include "program/text/text_window.h"

namespace adv {
namespace {

struct WipeState {
  WipeDirection direction;
  int32_t from;  // slot indexes
  int32_t mask;
  int32_t to;
  uint32_t start;
  uint32_t duration;
};

// The three images of a wipe as locked for one pass. Locking stops at the first image without
// pixels; every lock taken (the failed one too, whose flag is set all the same) is undone.
class WipeLocks {
 public:
  WipeLocks(const GraphicSlot& from, const GraphicSlot& mask, const GraphicSlot& to)
      : sprites_{from.sprite, mask.sprite, to.sprite} {
    for (size_t i = 0; i < 3; ++i) {
      WipeImage& image = images_[i];
      image.pixels = yel::YelSpriteLock(sprites_[i], &image.width, &image.height);
      locked_ = i + 1;
      if (!image.pixels) return;
    }
    ok_ = true;
  }
  ~WipeLocks() {
    for (size_t i = locked_; i > 0; --i) yel::YelSpriteUnlock(sprites_[i - 1]);
  }
  WipeLocks(const WipeLocks&) = delete;
  WipeLocks& operator=(const WipeLocks&) = delete;

  bool ok() const { return ok_; }
  const WipeImage& from() const { return images_[0]; }
  const WipeImage& mask() const { return images_[1]; }
  const WipeImage& to() const { return images_[2]; }

 private:
  std::array<YelSprite*, 3> sprites_;
  std::array<WipeImage, 3> images_{};
  size_t locked_ = 0;
  bool ok_ = false;
};

// The slot an image number names when it shows a sprite, else null.
GraphicSlot* ShownSlot(int32_t index) {
  GraphicSlot* slot = AdvGraphicSlotFromIndex(index);
  return slot && AdvGraphicSlotListed(*slot) && slot->sprite ? slot : nullptr;
}

uint32_t Threshold(const WipeState& s, uint32_t now) {
  const float p = s.duration == 0
                      ? 1.0f
                      : std::min(1.0f, static_cast<float>(std::min(now - s.start, s.duration)) /
                                           static_cast<float>(s.duration));
  return static_cast<uint32_t>(static_cast<int32_t>(p * 255.0f)) & 0xFF;
}

// The pass of one frame at the current time; nothing once an image has lost its sprite.
void WipeFrame(const WipeState& s, uint32_t now) {
  GraphicSlot* from = ShownSlot(s.from);
  GraphicSlot* mask = ShownSlot(s.mask);
  GraphicSlot* to = ShownSlot(s.to);
  if (!from || !mask || !to) return;
  const WipeLocks locks(*from, *mask, *to);
  if (locks.ok())
    MaskWipeAlpha(s.direction, locks.from(), locks.mask(), locks.to(), Threshold(s, now));
}

// The from picture copied into the to image, shown (keep_alpha) or transparent.
void CopyFrom(const WipeState& s, bool keep_alpha) {
  GraphicSlot* from = ShownSlot(s.from);
  GraphicSlot* mask = ShownSlot(s.mask);
  GraphicSlot* to = ShownSlot(s.to);
  if (!from || !mask || !to) return;
  const WipeLocks locks(*from, *mask, *to);
  if (locks.ok()) MaskWipeCopy(locks.from(), locks.to(), keep_alpha);
}

void ReportMissingImage(AdvContext& context, const char* message) {
  AdvDebugPrint(kLogError, "%s", message);
  AdvPrintCurrentText(context);
}

void ReportSizes(AdvContext& context, const GraphicSlot& mask, const GraphicSlot& to) {
  YelSpriteInfo m{};
  YelSpriteInfo t{};
  yel::YelSpriteGetInfo(mask.sprite, &m);
  yel::YelSpriteGetInfo(to.sprite, &t);
  if (m.image_width == t.image_width && m.image_height == t.image_height) return;
  AdvDebugPrint(kLogError, "action_set_mask size error w=[%d]!=[%d] h=[%d]!=[%d]", m.image_width,
                t.image_width, m.image_height, t.image_height);
  AdvPrintCurrentText(context);
}

// Parameters: from, mask and to image numbers. The images are checked before anything is
// allocated: a missing one is retried every frame, so a state made first would be lost each time.
void* CreateWipe(AdvContext& context, const ActionSection& section, uint32_t now,
                 WipeDirection direction) {
  const int32_t from = AdvImageNoToSlot(section.parameters[0]);
  const int32_t mask = AdvImageNoToSlot(section.parameters[1]);
  const int32_t to = AdvImageNoToSlot(section.parameters[2]);
  if (!ShownSlot(from)) {
    ReportMissingImage(context, "action_set_mask not [from] Image");
    return nullptr;
  }
  if (!ShownSlot(mask)) {
    ReportMissingImage(context, direction == WipeDirection::kAppear
                                    ? "action_set_mask not [mask] Image"
                                    : "action_set_mask not [msak] Image");
    return nullptr;
  }
  if (!ShownSlot(to)) {
    ReportMissingImage(context, "action_set_mask not [to] Image");
    return nullptr;
  }
  auto* s = static_cast<WipeState*>(ActionStateAlloc(sizeof(WipeState)));
  if (!s) return nullptr;
  *s = WipeState{direction, from, mask, to, now, section.duration};
  ReportSizes(context, *ShownSlot(mask), *ShownSlot(to));
  // Appearing starts from the picture fully transparent, disappearing from it fully shown.
  CopyFrom(*s, direction == WipeDirection::kDisappear);
  return s;
}

void TickWipe(AdvContext&, void* state, uint32_t now) {
  WipeFrame(*static_cast<const WipeState*>(state), now);
}

void FinishWipe(AdvContext&, void* state, uint32_t stop, uint32_t now, SettledChanges&) {
  if (!state) return;
  const WipeState& s = *static_cast<const WipeState*>(state);
  if (stop) {
    WipeFrame(s, now);
  } else {
    CopyFrom(s, s.direction == WipeDirection::kAppear);
  }
  ActionStateFree(state);
}

}  // namespace

const ActionKind kActionSetMask{
    [](AdvContext& context, const ActionSection& section, uint32_t now, SettledChanges&) {
      return CreateWipe(context, section, now, WipeDirection::kAppear);
    },
    FinishWipe, TickWipe, nullptr};
const ActionKind kActionSetMask2{
    [](AdvContext& context, const ActionSection& section, uint32_t now, SettledChanges&) {
      return CreateWipe(context, section, now, WipeDirection::kDisappear);
    },
    FinishWipe, TickWipe, nullptr};

}  // namespace adv

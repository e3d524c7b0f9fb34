// Buttons: sprites grouped into one clickable set. Once a frame the owner asks for the reaction:
// the mouse is hit-tested against the items, each item's sprite shows its normal, hover or
// pressed row of cells, hover and decide sounds play, and the decided sprite is reported once its
// decide sound has finished. Everything here runs on the main thread in the task walk.
#include "YEL/core/system.h"
#include "YEL/graphics/sprite.h"

struct YelButtonItem {
  YelSprite* sprite;
  uint32_t enabled;
  uint32_t spare;
  int32_t base_row;
  uint32_t flags;
  YelButtonItem* next;
};

struct YelButton {
  YelButtonItem* items;
  YelButtonReaction current;
  YelButtonReaction previous;
  YelSprite* pressed;  // press-and-release mode: the sprite the button went down on
  YelSoundHandle hover[5];
  YelSoundHandle decide;
  uint32_t pending;  // the decide sound of a set reaction is still to be played
};

namespace yel {
namespace {

enum ItemFlag : uint32_t {
  kDecideOnPush = 1,
  kDecideOnPushOrRepeat = 2,
  kKeepCell = 4,
  kSilent = 8,
  kAlphaHit = 0x10000,
};
constexpr uint32_t kPrimaryButton = 1u << 23;
constexpr int32_t kSoundTypeButton = 5;
constexpr int kHoverCopies = 4;

enum Row : int32_t { kNormal = 0, kHover = 1, kPressed = 2 };

void ShowRow(const YelButtonItem& item, Row row) {
  if (!(item.flags & kKeepCell)) YelSpriteRectSetPos(item.sprite, 0, item.base_row + row);
}

YelButtonItem* FindItem(YelButton* button, YelSprite* sprite) {
  for (YelButtonItem* item = button->items; item; item = item->next) {
    if (item->sprite == sprite) return item;
  }
  return nullptr;
}

// The topmost (smallest priority, the first among equals) item under the point; its sprite when
// it is enabled, so a disabled item on top hides the ones below it.
YelSprite* HitSprite(YelButton* button, int32_t x, int32_t y) {
  if (x < 0 || y < 0) return nullptr;
  const YelButtonItem* top = nullptr;
  for (const YelButtonItem* item = button->items; item; item = item->next) {
    if (!YelSpriteHit(item->sprite, x, y, (item->flags & kAlphaHit) ? 1 : 0)) continue;
    if (!top || item->sprite->priority < top->sprite->priority) top = item;
  }
  return top && top->enabled ? top->sprite : nullptr;
}

// The first hover channel that is free (or not loaded), else the first.
void PlayHover(YelButton* button) {
  YelSoundHandle channel = button->hover[0];
  for (YelSoundHandle candidate : button->hover) {
    if (!YelSoundPlayIs(candidate)) {
      channel = candidate;
      break;
    }
  }
  YelSoundPlay(channel, 0);
}

bool IsSilent(YelButton* button, YelSprite* sprite) {
  const YelButtonItem* item = FindItem(button, sprite);
  return item && (item->flags & kSilent);
}

// While a decision's sound plays: play it when it is still pending, and report the sprite as
// decided once the sound has ended. False when nothing is processing.
bool FollowProcessing(YelButton* button, bool honour_silent) {
  YelButtonReaction& now = button->current;
  if (!now.processing) return false;
  if (button->pending) {
    button->pending = 0;
    if (!honour_silent || !IsSilent(button, now.processing)) YelSoundPlay(button->decide, 0);
  } else if (!YelSoundPlayIs(button->decide)) {
    now.decided = now.processing;
    now.processing = nullptr;
  }
  return true;
}

void BeginReaction(YelButton* button, int32_t x, int32_t y) {
  button->previous = button->current;
  button->current = YelButtonReaction{};
  button->current.hovered = HitSprite(button, x, y);
}

void Hover(YelButton* button, YelButtonItem& item, bool honour_silent) {
  const bool fresh = button->current.hovered != button->previous.hovered;
  if (fresh && !(honour_silent && (item.flags & kSilent))) PlayHover(button);
  ShowRow(item, kHover);
}

struct Keys {
  bool push, held, repeat;
};

// One hovered item; true when it decided (it is then the processing sprite).
bool ReactHovered(YelButton* button, YelButtonItem& item, const Keys& keys, bool press_release) {
  bool decides = false;
  if (!press_release) {
    decides = (item.flags & kDecideOnPush)
                  ? keys.push
                  : (item.flags & kDecideOnPushOrRepeat) && (keys.push || keys.repeat);
  } else {
    item.flags |= kDecideOnPushOrRepeat;
    if (keys.held) {
      ShowRow(item, kPressed);
      button->pressed = item.sprite;
      return false;
    }
    decides = button->pressed != nullptr;
    button->pressed = nullptr;
  }
  if (!decides) {
    Hover(button, item, true);
    return false;
  }
  ShowRow(item, kPressed);
  button->current.processing = item.sprite;
  return true;
}

void ReactNotHovered(YelButton* button, YelButtonItem& item, bool press_release) {
  if (press_release && button->pressed != button->current.hovered) {
    button->pressed = nullptr;  // the press left its item: releasing now decides nothing
    return;
  }
  ShowRow(item, kNormal);
}

YelSprite* Report(const YelButton* button, YelButtonReaction* out) {
  if (out) *out = button->current;
  return button->current.decided;
}

Keys ReadKeys() {
  const uint32_t push = YelInputGetKeyPush();
  return Keys{(push & kPrimaryButton) != 0, ((push | YelInputGetKeyOn()) & kPrimaryButton) != 0,
              (YelInputGetKeyOnEx() & kPrimaryButton) != 0};
}

bool PressReleaseMode() {
  const YelSystem* system = System();
  return system && system->button_mode.load() != 0;
}

YelButton* NewButton(YelSoundHandle hover, YelSoundHandle decide) {
  auto* button = static_cast<YelButton*>(YelMemoryAlloc(sizeof(YelButton), 1));
  if (!button) return nullptr;
  button->hover[0] = hover;
  for (int i = 1; i <= kHoverCopies; ++i) {
    button->hover[i] = hover ? YelSoundCopy(hover, kSoundTypeButton) : 0;
  }
  button->decide = decide;
  return button;
}

YelSoundHandle LoadButtonSound(const char* name) {
  return name && *name ? YelSoundLoad(name, kSoundTypeButton, nullptr) : 0;
}

}  // namespace
}  // namespace yel

extern "C" {

YEL_API YelButton* YelButtonCreate(const char* hover_sound, const char* decide_sound) {
  return yel::NewButton(yel::LoadButtonSound(hover_sound), yel::LoadButtonSound(decide_sound));
}

YEL_API YelButton* YelButtonCreateEx(YelSoundHandle hover_sound, YelSoundHandle decide_sound) {
  return yel::NewButton(hover_sound, decide_sound);
}

YEL_API int YelButtonRelease(YelButton* button) {
  if (!button) return 0;
  for (YelButtonItem* item = button->items; item;) {
    YelButtonItem* next = item->next;
    YelMemoryFree(item);
    item = next;
  }
  for (YelSoundHandle channel : button->hover) {
    if (channel) YelSoundRelease(channel);
  }
  if (button->decide) YelSoundRelease(button->decide);
  YelMemoryFree(button);
  return 1;
}

YEL_API int YelButtonEntryEx(YelButton* button, YelSprite* sprite, uint32_t flags) {
  if (!button) return 0;
  auto* item = static_cast<YelButtonItem*>(YelMemoryAlloc(sizeof(YelButtonItem), 1));
  if (!item) return 0;
  *item = YelButtonItem{sprite, 1, 0, 0, flags, button->items};
  button->items = item;
  return 1;
}

YEL_API int YelButtonEntry(YelButton* button, YelSprite* sprite) {
  return YelButtonEntryEx(button, sprite, yel::kDecideOnPush);
}

YEL_API int YelButtonDelete(YelButton* button, YelSprite* sprite) {
  if (!button) return 0;
  for (YelButtonItem** link = &button->items; *link; link = &(*link)->next) {
    if ((*link)->sprite != sprite) continue;
    YelButtonItem* item = *link;
    *link = item->next;
    YelMemoryFree(item);
    return 1;
  }
  return 0;
}

YEL_API int YelButtonCtrl(YelButton* button, YelSprite* sprite, int32_t enabled) {
  YelButtonItem* item = button ? yel::FindItem(button, sprite) : nullptr;
  if (!item) return 0;
  item->enabled = static_cast<uint32_t>(enabled);
  return 1;
}

YEL_API int32_t YelButtonGetPos(YelButton* button, YelSprite* sprite) {
  const YelButtonItem* item = button ? yel::FindItem(button, sprite) : nullptr;
  return item ? item->base_row : -1;
}

YEL_API int YelButtonSetPos(YelButton* button, YelSprite* sprite, int32_t row) {
  YelButtonItem* item = button ? yel::FindItem(button, sprite) : nullptr;
  if (!item) return 0;
  item->base_row = row;
  YelSpriteRectSetPos(sprite, 0, row);
  return 1;
}

YEL_API YelSprite* YelButtonGetHitSprite(YelButton* button, int32_t x, int32_t y) {
  return button ? yel::HitSprite(button, x, y) : nullptr;
}

YEL_API int YelButtonHitTest(YelButton* button, int32_t x, int32_t y) {
  return YelButtonGetHitSprite(button, x, y) ? 1 : 0;
}

YEL_API YelSprite* YelButtonGetReaction(YelButton* button, YelButtonReaction* out) {
  if (!button) return nullptr;
  if (yel::FollowProcessing(button, true)) return yel::Report(button, out);
  yel::BeginReaction(button, YelInputGetMouseX(), YelInputGetMouseY());
  const yel::Keys keys = yel::ReadKeys();
  const bool press_release = yel::PressReleaseMode();
  for (YelButtonItem* item = button->items; item; item = item->next) {
    if (!item->enabled) continue;
    if (item->sprite != button->current.hovered) {
      yel::ReactNotHovered(button, *item, press_release);
    } else if (yel::ReactHovered(button, *item, keys, press_release)) {
      if (!(item->flags & yel::kSilent)) YelSoundPlay(button->decide, 0);
      break;
    }
  }
  return yel::Report(button, out);
}

YEL_API YelSprite* YelButtonGetReactionEx(YelButton* button, int32_t x, int32_t y, int32_t click,
                                          YelButtonReaction* out) {
  if (!button) return nullptr;
  if (yel::FollowProcessing(button, false)) return yel::Report(button, out);
  yel::BeginReaction(button, x, y);
  for (YelButtonItem* item = button->items; item; item = item->next) {
    if (!item->enabled) continue;
    if (item->sprite != button->current.hovered) {
      yel::ShowRow(*item, yel::kNormal);
    } else if (click) {
      yel::ShowRow(*item, yel::kPressed);
      button->current.processing = item->sprite;
      YelSoundPlay(button->decide, 0);
    } else {
      yel::Hover(button, *item, false);
    }
  }
  return yel::Report(button, out);
}

YEL_API int YelButtonSetReaction(YelButton* button, YelSprite* sprite) {
  if (button && !button->current.processing) {
    button->current.processing = sprite;
    button->pending = 1;
  }
  return 0;
}

YEL_API int YelButtonIsProcessing(YelButton* button) {
  return button && button->current.processing ? 1 : 0;
}

YEL_API int YelButtonReset(YelButton* button, YelSprite* sprite) {
  if (!button) return 0;
  button->pending = 0;
  button->pressed = nullptr;
  button->current = YelButtonReaction{};
  button->previous = YelButtonReaction{};
  YelButtonItem* item = sprite ? yel::FindItem(button, sprite) : nullptr;
  if (!item) return 0;
  item->enabled = 0;
  return 1;
}

YEL_API void YelButtonMode(int32_t mode) {
  if (yel::YelSystem* system = yel::System()) {
    system->button_mode.store(static_cast<uint8_t>(mode & 0xFF));
  }
}

}  // extern "C"

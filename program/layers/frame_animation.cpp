#include "program/layers/frame_animation.h"

#include <algorithm>
#include <string>

#include "program/game/adv_context.h"
#include "program/game/game_file_access.h"
#include "program/game/game_task.h"
#include "program/layers/animation_steps.h"
#include "program/layers/graphic_slots.h"
#include "program/layers/layer_table.h"
#include "program/script/engine_log.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

// A run that jumps this often in one frame without waiting stops until the next frame, so a
// loop without a waiting opcode cannot hold the frame.
constexpr int kJumpsPerFrame = 1024;

bool SceneSkip(const AdvContext* context) {
  return context && context->skip.scene_skip;
}

bool AnySkip(const AdvContext* context) {
  return context && (context->skip.scene_skip || context->skip.history_skip);
}

// The operands of the instruction at the cursor, advancing past them; false when they would
// run past the end of the file.
bool ReadOperands(AnimSlot& animation, size_t count, std::array<int32_t, 9>& operands) {
  if (animation.cursor > animation.code.size() ||
      count * 4 > animation.code.size() - animation.cursor) {
    return false;
  }
  for (size_t i = 0; i < count; ++i) {
    operands[i] = static_cast<int32_t>(AniReadWord(animation.code, animation.cursor));
    animation.cursor += 4;
  }
  return true;
}

void FinishSteps(AnimSlot& animation) {
  for (auto step = animation.steps.rbegin(); step != animation.steps.rend(); ++step) {
    AnimStepDone(animation, **step);
  }
  animation.steps.clear();
}

void TickSteps(AnimSlot& animation, uint32_t now) {
  for (size_t i = animation.steps.size(); i-- > 0;) {
    if (!AnimStepTick(animation, *animation.steps[i], now)) {
      animation.steps.erase(animation.steps.begin() + static_cast<ptrdiff_t>(i));
    }
  }
}

void AddStep(AnimSlot& animation, std::unique_ptr<AnimStep> step) {
  animation.steps.push_back(std::move(step));
}

void Wait(AnimSlot& animation, uint32_t duration, bool may_be_forever, uint32_t now) {
  AddStep(animation, MakeWaitStep(duration, may_be_forever && duration == kAniWaitForever, now));
  animation.state = kAnimWaiting;
}

std::array<int32_t, 3> Triple(const std::array<int32_t, 9>& w, size_t from) {
  return {w[from], w[from + 1], w[from + 2]};
}

std::array<float, 3> Floats(const std::array<int32_t, 3>& values) {
  return {static_cast<float>(values[0]), static_cast<float>(values[1]),
          static_cast<float>(values[2])};
}

// Opcode 17: the change that takes the slot's base and offset to the target.
void MoveTo(AnimSlot& animation, const std::array<int32_t, 9>& w, uint32_t now) {
  const std::array<int32_t, 3> target = Triple(w, 1);
  std::array<int32_t, 3> change = target;
  std::array<float, 3> float_change = Floats(target);
  if (const GraphicSlot* slot = animation.slot) {
    for (size_t i = 0; i < 3; ++i) {
      change[i] -= slot->position[i] + slot->offset_position[i];
      float_change[i] -= slot->float_position[i] + slot->offset_float_position[i];
    }
  }
  AddStep(animation, MakeMoveStep(change, float_change, static_cast<uint32_t>(w[0]),
                                  static_cast<uint32_t>(w[4]), now));
}

void Shift(AnimSlot& animation, const std::array<int32_t, 9>& w) {
  if (!animation.slot) return;
  SlotSettledGroup& group = animation.slot->animation_group;
  for (size_t i = 0; i < 3; ++i) {
    group.position[i] += w[i];
    group.float_position[i] += static_cast<float>(w[i]);
  }
}

// Opcode 11: a copy of the whole file runs from the label on the same slot. A child's own
// children would never be stepped nor freed, so inside a child the opcode does nothing.
void StartChild(AnimSlot& animation, uint32_t child, uint32_t label) {
  if (animation.is_child || child >= kAniChildCount) return;
  const std::optional<uint32_t> at = AniLabelOffset(animation.code, label);
  if (!at) return;
  auto record = std::make_unique<AnimSlot>();
  record->in_use = 1;
  record->discard = 0;
  record->state = kAnimChild;
  record->is_child = true;
  record->slot = animation.slot;
  record->code = animation.code;
  record->cursor = *at;
  animation.children[child] = std::move(record);  // a child already there stops
}

void RandomWait(AnimSlot& animation, const std::array<int32_t, 9>& w, uint32_t now) {
  const uint32_t low = static_cast<uint32_t>(w[0]);
  const uint32_t span = static_cast<uint32_t>(w[1]) - low;
  const uint32_t draw = static_cast<uint32_t>(yel::YelRandom());
  Wait(animation, span == 0 ? low : low + draw % span, true, now);
}

void Walk(AnimSlot& animation, const std::array<int32_t, 9>& w, uint32_t now) {
  // A walk to where the slot already is arrives at once.
  if (w[0] == 0 && w[1] == 0) return;
  AddStep(animation, MakeWalkStep(w[0], w[1], static_cast<uint32_t>(w[2]), now));
  animation.state = kAnimWaiting;
}

enum class Outcome { kGoOn, kStopFrame, kEnd };

// Carries out one opcode whose operands have been read.
Outcome Execute(AnimSlot& animation, uint8_t opcode, const std::array<int32_t, 9>& w,
                uint32_t now) {
  const auto ms = [&](size_t i) { return static_cast<uint32_t>(w[i]); };
  switch (opcode) {
    case kAniMove:
    case kAniMoveAccel:
    case kAniMoveDecel:
    case kAniMoveSine: {
      const uint32_t mode = opcode == kAniMove        ? kMoveLinear
                            : opcode == kAniMoveAccel ? kMoveLogIn
                            : opcode == kAniMoveDecel ? kMoveLogOut
                                                      : kMoveSine;
      AddStep(animation, MakeMoveStep(Triple(w, 0), Floats(Triple(w, 0)), mode, ms(3), now));
      break;
    }
    case kAniWait:
      Wait(animation, ms(0), true, now);
      break;
    case kAniScale:
      AddStep(animation, MakeScaleStep(w[0], ms(1), now));
      break;
    case kAniAlpha:
      AddStep(animation, MakeAlphaStep(w[0], ms(1), now));
      break;
    case kAniRotate:
      AddStep(animation, MakeRotateStep(Triple(w, 0), ms(3), now));
      break;
    case kAniShift:
      Shift(animation, w);
      break;
    case kAniWaitRandom:
      RandomWait(animation, w, now);
      break;
    case kAniChild:
      StartChild(animation, ms(0), ms(1));
      break;
    case kAniRectPos:
      if (animation.slot) yel::YelSpriteRectSetPos(animation.slot->sprite, w[0], w[1]);
      break;
    case kAniRect:
      if (animation.slot) {
        const YelRect rect{w[0], w[1], w[0] + w[2], w[1] + w[3]};
        yel::YelSpriteSetRect(animation.slot->sprite, &rect);
      }
      break;
    case kAniMoveTo:
      MoveTo(animation, w, now);
      break;
    case kAniKeep:
      animation.discard = 0;
      break;
    case kAniWalk:
      Walk(animation, w, now);
      break;
    case kAniCircleKept:
    case kAniCircle: {
      const std::array<int32_t, 8> words = {w[0], w[1], w[2], w[3], w[4], w[5], w[6], w[7]};
      AddStep(animation, MakeCircleStep(words, opcode == kAniCircleKept, ms(8), now));
      break;
    }
    case kAniNop:
    case kAniPrologue:
      break;
    case kAniPrologueEnd:
      if (animation.state == kAnimPrologue) {
        animation.state = kAnimRunning;
        return Outcome::kStopFrame;
      }
      break;
    case kAniPause:
      Wait(animation, ms(0), false, now);
      break;
    default:
      return Outcome::kEnd;
  }
  return Outcome::kGoOn;
}

// The interpreter: 1 when it stopped for this frame, 0 when the script ended. Every read stays
// inside the file; one that would leave it ends the script.
int Run(AnimSlot& animation, const AdvContext* context, uint32_t now) {
  int jumps = 0;
  for (;;) {
    if (animation.cursor >= animation.code.size()) return 0;
    const uint8_t opcode = animation.code[animation.cursor++];
    const AniOpcodeInfo* info = AniOpcodeFind(opcode);
    if (!info || opcode == kAniEnd) return 0;
    std::array<int32_t, 9> operands{};
    if (!ReadOperands(animation, info->operands, operands)) return 0;
    if (opcode == kAniJump) {
      const std::optional<uint32_t> at =
          AniLabelOffset(animation.code, static_cast<uint32_t>(operands[0]));
      if (!at) return 0;
      animation.cursor = *at;
      if (++jumps >= kJumpsPerFrame) return 1;
    } else {
      const Outcome outcome = Execute(animation, opcode, operands, now);
      if (outcome == Outcome::kEnd) return 0;
      if (outcome == Outcome::kStopFrame) return 1;
    }
    if (SceneSkip(context)) {
      // Under a scene skip the waits are passed at once, and a loop runs one pass a frame.
      if (animation.state == kAnimWaiting) {
        FinishSteps(animation);
        animation.state = kAnimRunning;
      } else if (opcode == kAniJump) {
        return 1;
      }
    }
    if (animation.state == kAnimWaiting) return 1;
  }
}

// One frame of one animation: 0 once its script has ended.
int Update(AnimSlot& animation, const AdvContext* context, uint32_t now) {
  if (!animation.in_use || animation.ended) return 0;
  if (animation.state == kAnimLoaded) return 1;
  if (animation.state != kAnimWaiting && Run(animation, context, now) == 0) {
    animation.ended = true;
    return 0;
  }
  TickSteps(animation, now);
  return 1;
}

// The animation group's colour folded into the slot's colour word, channel by channel.
void FoldColourWord(GraphicSlot& slot, const std::array<int16_t, 4>& colour) {
  static constexpr int kShift[4] = {24, 16, 8, 0};  // alpha, red, green, blue
  uint32_t word = 0;
  for (size_t i = 0; i < 4; ++i) {
    const int32_t channel = static_cast<int32_t>((slot.colour >> kShift[i]) & 0xFF);
    const int32_t sum = std::clamp<int32_t>(static_cast<int16_t>(channel + colour[i]), 0, 255);
    word |= static_cast<uint32_t>(sum) << kShift[i];
  }
  slot.colour = word;
  slot.offset_colour = {};
}

// Opcode 19's effect: the animation group becomes part of the slot's offsets.
void Fold(const AdvContext* context, GraphicSlot& slot) {
  const SlotSettledGroup& group = slot.animation_group;
  for (size_t i = 0; i < 3; ++i) {
    slot.offset_position[i] += group.position[i];
    slot.offset_float_position[i] += group.float_position[i];
    slot.offset_rotation[i] += group.rotation[i];
    slot.offset_float_rotation[i] += group.float_rotation[i];
  }
  slot.offset_scale[0] += group.scale;
  slot.offset_scale[1] += group.scale;
  if (context && AdvLayerIsChildSlot(*context, &slot)) {
    for (size_t i = 0; i < 4; ++i) {
      slot.offset_colour[i] = static_cast<int16_t>(slot.offset_colour[i] + group.colour[i]);
    }
  } else {
    FoldColourWord(slot, group.colour);
  }
}

void ReleaseRecord(AnimSlot& animation, const AdvContext* context) {
  if (!animation.in_use) return;
  for (auto& child : animation.children) {
    if (child) FinishSteps(*child);
    child.reset();
  }
  FinishSteps(animation);
  if (GraphicSlot* slot = animation.slot) {
    slot->animation_id = 0;
    slot->frame.animation = SlotFramePart{};
    if (animation.discard == 0) Fold(context, *slot);
    slot->animation_group = SlotSettledGroup{};
  }
  animation = AnimSlot{};
}

// A load that fails leaves the slot without an animation, so nothing acts on a record that a
// later load gives to another slot.
int FailedLoad(const std::string& file, GraphicSlot& slot) {
  AdvDebugPrint(kLogError, "[%s] の読み込みに失敗", file.c_str());
  slot.animation_id = 0;
  return 0;
}

}  // namespace

AnimSlot::AnimSlot() = default;
AnimSlot::~AnimSlot() = default;
AnimSlot::AnimSlot(AnimSlot&&) noexcept = default;
AnimSlot& AnimSlot::operator=(AnimSlot&&) noexcept = default;

int FrameAnimations::Load(AdvContext* context, const char* name, GraphicSlot& slot, uint32_t now) {
  const std::string file = std::string(name ? name : "") + ".ani";
  uint32_t id = 1;
  while (id <= kAnimationCount && table_[id].in_use) ++id;
  if (id > kAnimationCount) return FailedLoad(file, slot);
  std::optional<std::string> bytes = ReadGameFile(file, 0, kWholeFile);
  // A file without its trailer has no start offset: nothing in it can run.
  if (!bytes || bytes->size() < kAniTrailerSize) return FailedLoad(file, slot);
  AnimSlot& animation = table_[id];
  animation = AnimSlot{};
  animation.in_use = 1;
  animation.slot = &slot;
  animation.code.assign(bytes->begin(), bytes->end());
  animation.cursor = *AniStartOffset(animation.code);
  slot.animation_id = id;
  order_.insert(order_.begin(), id);
  if (animation.cursor < animation.code.size() &&
      animation.code[animation.cursor] == kAniPrologue) {
    animation.state = kAnimPrologue;
    if (Run(animation, context, now) == 0) animation.ended = true;
  }
  if (AnySkip(context) && !animation.ended) {
    if (Run(animation, context, now) == 0) Release(context, id);
  } else if (!animation.ended) {
    animation.state = kAnimLoaded;
  }
  return 1;
}

AnimSlot* FrameAnimations::Valid(uint32_t id, const char* operation) {
  if (id == 0) return nullptr;
  if (id > kAnimationCount) {
    AdvDebugPrint(kLogError, "*** ERROR %s %d (1-128)", operation, static_cast<int32_t>(id));
    return nullptr;
  }
  return &table_[id];
}

int FrameAnimations::Start(AdvContext* context, uint32_t id, uint32_t now) {
  if (id > kAnimationCount) {
    Valid(id, "AdvAnimStart");
    return 0;
  }
  AnimSlot* animation = Valid(id, "AdvAnimStart");
  if (!animation || !animation->in_use || animation->state != kAnimLoaded) return 1;
  animation->state = kAnimRunning;
  // A script that ends here stays ended; the next update releases it.
  if (Run(*animation, context, now) == 0) animation->ended = true;
  return 1;
}

void FrameAnimations::Release(AdvContext* context, uint32_t id) {
  ReleaseRecord(table_[id], context);
  order_.erase(std::remove(order_.begin(), order_.end(), id), order_.end());
}

void FrameAnimations::Unload(AdvContext* context, uint32_t id) {
  AnimSlot* animation = Valid(id, "AdvAnimUnload");
  if (animation && animation->in_use) Release(context, id);
}

void FrameAnimations::Finish(AdvContext* context, uint32_t id) {
  AnimSlot* animation = Valid(id, "AdvAnimFinish");
  if (!animation || !animation->in_use) return;
  animation->discard = 1;
  Release(context, id);
}

uint32_t FrameAnimations::Status(uint32_t id) {
  const AnimSlot* animation = Valid(id, "AdvAnimGetStatus");
  return animation && animation->in_use ? animation->state : 0;
}

uint32_t FrameAnimations::InUse(uint32_t id) {
  const AnimSlot* animation = Valid(id, "IsAnim");
  return animation ? animation->in_use : 0;
}

void FrameAnimations::UpdateAll(AdvContext* context, uint32_t now) {
  const std::vector<uint32_t> order = order_;
  for (uint32_t id : order) {
    AnimSlot& animation = table_[id];
    if (!animation.in_use) continue;
    for (auto& child : animation.children) {
      // An ended child goes without finishing its steps.
      if (child && Update(*child, context, now) == 0) child.reset();
    }
    if (Update(animation, context, now) == 0) Release(context, id);
  }
}

void FrameAnimations::ReleaseAll(AdvContext* context) {
  for (uint32_t id = 1; id <= kAnimationCount; ++id) ReleaseRecord(table_[id], context);
  order_.clear();
}

FrameAnimations& Animations() {
  static FrameAnimations animations;
  return animations;
}

int AdvAnimLoad(const char* name, GraphicSlot& slot) {
  return Animations().Load(AdvGetContext(), name, slot, yel::YeltimeGetTime());
}

int AdvAnimStart(uint32_t id) {
  return Animations().Start(AdvGetContext(), id, yel::YeltimeGetTime());
}

void AdvAnimUnload(uint32_t id) {
  Animations().Unload(AdvGetContext(), id);
}

void AdvAnimFinish(uint32_t id) {
  Animations().Finish(AdvGetContext(), id);
}

uint32_t AdvAnimGetStatus(uint32_t id) {
  return Animations().Status(id);
}

uint32_t IsAnim(uint32_t id) {
  return Animations().InUse(id);
}

void AdvAnimUpdateAll(AdvContext& context) {
  Animations().UpdateAll(&context, yel::YeltimeGetTime());
}

void AdvAnimReleaseAll(AdvContext& context) {
  Animations().ReleaseAll(&context);
}

}  // namespace adv

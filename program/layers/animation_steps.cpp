#include "program/layers/animation_steps.h"

#include <algorithm>
#include <cmath>

#include "program/layers/easing.h"
#include "program/layers/frame_animation.h"
#include "program/layers/graphic_slots.h"

namespace adv {
namespace {

// Elapsed time limited to the duration, and whether the step has reached its end.
struct Progress {
  uint32_t elapsed;
  bool finished;
  float linear;
};

Progress ProgressAt(const AnimStep& step, uint32_t now) {
  const uint32_t elapsed = std::min(now - step.start, step.duration);
  return {elapsed, elapsed == step.duration,
          static_cast<float>(elapsed) / static_cast<float>(step.duration)};
}

int32_t Trunc(float value) {
  return static_cast<int32_t>(value);
}

int16_t Add16(int16_t a, int32_t b) {
  return static_cast<int16_t>(static_cast<uint16_t>(a) + static_cast<uint16_t>(b));
}

float MoveProgress(const AnimStep& step, uint32_t elapsed) {
  if (step.mode & kMoveLogOut) return EaseCurveLogOut(elapsed, step.duration);
  if (step.mode & kMoveLogIn) return EaseCurveLogIn(elapsed, step.duration);
  if (step.mode & kMoveSine) return EaseCurveSine(elapsed, step.duration);
  return EaseCurveLinear(elapsed, step.duration);
}

template <size_t N>
void AddInts(std::array<int32_t, N>& into, const std::array<int32_t, N>& values) {
  for (size_t i = 0; i < N; ++i) into[i] += values[i];
}
template <size_t N>
void AddFloats(std::array<float, N>& into, const std::array<float, N>& values) {
  for (size_t i = 0; i < N; ++i) into[i] += values[i];
}

// The integer and float parts of a change at progress p.
struct Parts {
  std::array<int32_t, 3> whole{};
  std::array<float, 3> fraction{};
};

Parts PartsAt(const AnimStep& step, float p) {
  Parts parts;
  for (size_t i = 0; i < 3; ++i) {
    parts.whole[i] = Trunc(static_cast<float>(step.change[i]) * p);
    parts.fraction[i] = step.float_change[i] * p;
  }
  return parts;
}

bool TickMove(GraphicSlot& slot, const AnimStep& step, uint32_t now) {
  const Progress at = ProgressAt(step, now);
  const Parts parts = PartsAt(step, MoveProgress(step, at.elapsed));
  SlotSettledGroup& group = slot.animation_group;
  SlotFramePart& part = slot.frame.animation;
  AddInts(at.finished ? group.position : part.position, parts.whole);
  AddFloats(at.finished ? group.float_position : part.float_position, parts.fraction);
  return !at.finished;
}

bool TickRotate(GraphicSlot& slot, const AnimStep& step, uint32_t now) {
  const Progress at = ProgressAt(step, now);
  const Parts parts = PartsAt(step, at.linear);
  SlotSettledGroup& group = slot.animation_group;
  SlotFramePart& part = slot.frame.animation;
  AddInts(at.finished ? group.rotation : part.rotation, parts.whole);
  AddFloats(at.finished ? group.float_rotation : part.float_rotation, parts.fraction);
  return !at.finished;
}

bool TickScale(GraphicSlot& slot, const AnimStep& step, uint32_t now) {
  const Progress at = ProgressAt(step, now);
  const float v = at.linear * static_cast<float>(step.amount) / 100.0f;
  if (at.finished) {
    slot.animation_group.scale += v;
  } else {
    slot.frame.animation.scale[0] += v;
    slot.frame.animation.scale[1] += v;
  }
  return !at.finished;
}

bool TickAlpha(GraphicSlot& slot, const AnimStep& step, uint32_t now) {
  const Progress at = ProgressAt(step, now);
  const int32_t v = Trunc(at.linear * static_cast<float>(step.amount));
  int16_t& alpha = at.finished ? slot.animation_group.colour[0] : slot.frame.animation.colour[0];
  alpha = Add16(alpha, v);
  return !at.finished;
}

// The circle's offset at progress p (1 at the end: the whole changes).
std::array<int32_t, 2> CircleOffset(const AnimStep& step, float p) {
  return CircleOffsetAt(step.circle, p);
}

void AddOffset(std::array<int32_t, 3>& position, std::array<float, 3>& float_position,
               const std::array<int32_t, 2>& offset) {
  for (size_t i = 0; i < 2; ++i) {
    position[i] += offset[i];
    float_position[i] += static_cast<float>(offset[i]);
  }
}

bool TickCircle(GraphicSlot& slot, const AnimStep& step, uint32_t now) {
  const Progress at = ProgressAt(step, now);
  const std::array<int32_t, 2> offset = CircleOffset(step, std::min(1.0f, at.linear));
  if (at.finished && step.keep) {
    AddOffset(slot.animation_group.position, slot.animation_group.float_position, offset);
  } else {
    AddOffset(slot.frame.animation.position, slot.frame.animation.float_position, offset);
  }
  return !at.finished;
}

void AddTarget(GraphicSlot& slot, const AnimStep& step) {
  AddOffset(slot.animation_group.position, slot.animation_group.float_position, step.target);
}

// One pixel along the line to the target every interval; the walk arrives when its offset,
// rounded, is the target, and the animation's wait then ends.
bool TickWalk(AnimSlot& animation, AnimStep& step, uint32_t now) {
  if (now - step.start < step.interval) return true;
  step.start = now;
  step.offset[0] += step.direction[0];
  step.offset[1] += step.direction[1];
  if (std::lround(step.offset[0]) == step.target[0] &&
      std::lround(step.offset[1]) == step.target[1]) {
    if (animation.slot) AddTarget(*animation.slot, step);
    animation.state = kAnimRunning;
    return false;
  }
  if (animation.slot) {
    SlotFramePart& part = animation.slot->frame.animation;
    for (size_t i = 0; i < 2; ++i) {
      part.position[i] += Trunc(step.offset[i]);
      part.float_position[i] += step.offset[i];
    }
  }
  return true;
}

bool TickWait(AnimSlot& animation, const AnimStep& step, uint32_t now) {
  if (step.forever || now - step.start < step.duration) return true;
  animation.state = kAnimRunning;
  return false;
}

std::unique_ptr<AnimStep> Timed(StepKind kind, uint32_t duration, uint32_t now) {
  auto step = std::make_unique<AnimStep>();
  step->kind = kind;
  step->start = now;
  step->duration = duration == 0 ? 1 : duration;
  return step;
}

}  // namespace

std::unique_ptr<AnimStep> MakeMoveStep(const std::array<int32_t, 3>& change,
                                       const std::array<float, 3>& float_change, uint32_t mode,
                                       uint32_t duration, uint32_t now) {
  auto step = Timed(StepKind::kMove, duration, now);
  step->change = change;
  step->float_change = float_change;
  step->mode = mode;
  return step;
}

std::unique_ptr<AnimStep> MakeScaleStep(int32_t percent, uint32_t duration, uint32_t now) {
  auto step = Timed(StepKind::kScale, duration, now);
  step->amount = percent;
  return step;
}

std::unique_ptr<AnimStep> MakeAlphaStep(int32_t delta, uint32_t duration, uint32_t now) {
  auto step = Timed(StepKind::kAlpha, duration, now);
  step->amount = delta;
  return step;
}

std::unique_ptr<AnimStep> MakeRotateStep(const std::array<int32_t, 3>& change, uint32_t duration,
                                         uint32_t now) {
  auto step = Timed(StepKind::kRotate, duration, now);
  step->change = change;
  for (size_t i = 0; i < 3; ++i) step->float_change[i] = static_cast<float>(change[i]);
  return step;
}

std::unique_ptr<AnimStep> MakeCircleStep(const std::array<int32_t, 8>& words, bool keep,
                                         uint32_t duration, uint32_t now) {
  auto step = Timed(StepKind::kCircle, duration, now);
  step->circle = words;
  step->keep = keep;
  return step;
}

std::unique_ptr<AnimStep> MakeWalkStep(int32_t x, int32_t y, uint32_t interval, uint32_t now) {
  auto step = std::make_unique<AnimStep>();
  step->kind = StepKind::kWalk;
  step->target = {x, y};
  const float angle =
      static_cast<float>(std::atan2(static_cast<double>(y), static_cast<double>(x)));
  step->direction = {std::cos(angle), std::sin(angle)};
  step->start = now;
  step->interval = interval;
  return step;
}

std::unique_ptr<AnimStep> MakeWaitStep(uint32_t duration, bool forever, uint32_t now) {
  auto step = std::make_unique<AnimStep>();
  step->kind = StepKind::kWait;
  step->start = now;
  step->duration = duration;
  step->forever = forever;
  return step;
}

bool AnimStepTick(AnimSlot& animation, AnimStep& step, uint32_t now) {
  switch (step.kind) {
    case StepKind::kWalk:
      return TickWalk(animation, step, now);
    case StepKind::kWait:
      return TickWait(animation, step, now);
    default:
      break;
  }
  // The timed steps end on time whether or not there is a slot to write into.
  if (!animation.slot) return ProgressAt(step, now).finished == false;
  GraphicSlot& slot = *animation.slot;
  switch (step.kind) {
    case StepKind::kMove:
      return TickMove(slot, step, now);
    case StepKind::kScale:
      return TickScale(slot, step, now);
    case StepKind::kAlpha:
      return TickAlpha(slot, step, now);
    case StepKind::kRotate:
      return TickRotate(slot, step, now);
    default:
      return TickCircle(slot, step, now);
  }
}

void AnimStepDone(AnimSlot& animation, AnimStep& step) {
  if (!animation.slot) return;
  GraphicSlot& slot = *animation.slot;
  SlotSettledGroup& group = slot.animation_group;
  switch (step.kind) {
    case StepKind::kMove:
      AddInts(group.position, step.change);
      AddFloats(group.float_position, step.float_change);
      break;
    case StepKind::kRotate:
      AddInts(group.rotation, step.change);
      AddFloats(group.float_rotation, step.float_change);
      break;
    case StepKind::kScale:
      group.scale += static_cast<float>(step.amount) / 100.0f;
      break;
    case StepKind::kAlpha:
      group.colour[0] = Add16(group.colour[0], step.amount);
      slot.frame.animation.colour[0] = 0;
      break;
    case StepKind::kCircle:
      if (step.keep) AddOffset(group.position, group.float_position, CircleOffset(step, 1.0f));
      break;
    case StepKind::kWalk:
      AddTarget(slot, step);
      break;
    case StepKind::kWait:
      break;
  }
}

}  // namespace adv

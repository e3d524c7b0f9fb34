// The timed work of frame animations: moves, scalings, alpha fades, rotations, circular moves, a
// walk towards a point, and waits. A running step adds this frame's value into the animation
// part of the slot's per-frame group; a step that ends adds its final value into the slot's
// animation group and leaves the list. Finishing a step at once (a skip or a release) adds its
// whole change.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

namespace adv {

struct AnimSlot;

enum class StepKind : uint8_t { kMove, kScale, kAlpha, kRotate, kCircle, kWalk, kWait };

// Move curves, chosen by the mode's bits in this order: 2, 1, 4, else linear.
enum MoveCurve : uint32_t { kMoveLinear = 0, kMoveLogIn = 1, kMoveLogOut = 2, kMoveSine = 4 };

struct AnimStep {
  StepKind kind = StepKind::kWait;
  uint32_t start = 0;
  uint32_t duration = 1;
  // Moves and rotations: the whole change, as integers and floats; moves also their curve.
  std::array<int32_t, 3> change{};
  std::array<float, 3> float_change{};
  uint32_t mode = kMoveLinear;
  int32_t amount = 0;  // scale: percent; alpha: delta
  // Circles: start angles, start radii, angle and radius changes (x then y each).
  std::array<int32_t, 8> circle{};
  bool keep = false;
  // Walks: the target, the offset so far, the direction, the pace.
  std::array<int32_t, 2> target{};
  std::array<float, 2> offset{}, direction{};
  uint32_t interval = 0;
  bool forever = false;  // a wait of 0xFFFFFFFF ms (opcodes 1 and 8)
};

std::unique_ptr<AnimStep> MakeMoveStep(const std::array<int32_t, 3>& change,
                                       const std::array<float, 3>& float_change, uint32_t mode,
                                       uint32_t duration, uint32_t now);
std::unique_ptr<AnimStep> MakeScaleStep(int32_t percent, uint32_t duration, uint32_t now);
std::unique_ptr<AnimStep> MakeAlphaStep(int32_t delta, uint32_t duration, uint32_t now);
std::unique_ptr<AnimStep> MakeRotateStep(const std::array<int32_t, 3>& change, uint32_t duration,
                                         uint32_t now);
// Words: start angles x, y, start radii x, y, angle changes x, y, radius changes x, y.
std::unique_ptr<AnimStep> MakeCircleStep(const std::array<int32_t, 8>& words, bool keep,
                                         uint32_t duration, uint32_t now);
std::unique_ptr<AnimStep> MakeWalkStep(int32_t x, int32_t y, uint32_t interval, uint32_t now);
std::unique_ptr<AnimStep> MakeWaitStep(uint32_t duration, bool forever, uint32_t now);

// One frame of a step; false once it has ended (its end value is then in the animation group).
bool AnimStepTick(AnimSlot& animation, AnimStep& step, uint32_t now);
// Ends a step at once with its whole change (waits only leave).
void AnimStepDone(AnimSlot& animation, AnimStep& step);

}  // namespace adv

// Frame animations: small ".ani" byte-code programs that animate one graphic slot on their own,
// independent of the script. Up to 128 animations exist at once, each bound to one slot; an
// animation is loaded (running a prologue when it has one), waits until its layer is shown or a
// command starts it, and then runs frame by frame. Its timed steps write the animation part of
// the slot's per-frame group while they run and the slot's animation group when they end; when
// the animation ends, that group is dropped or, after opcode 19, folded into the slot for good.
//
// Animations are loaded, started, stepped and released with the render lock held (on the main
// thread in the task walk, or on the work thread while the interpreter runs there); the table
// is process-wide and relies on that lock.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "program/data/ani_file.h"

namespace adv {

struct AdvContext;
struct GraphicSlot;
struct AnimStep;

inline constexpr uint32_t kAnimationCount = 128;

enum AnimState : uint32_t {
  kAnimChild = 0,     // a child animation: runs like kAnimRunning
  kAnimPrologue = 1,  // running the prologue at load
  kAnimRunning = 2,
  kAnimWaiting = 3,  // held by a step until it ends
  kAnimLoaded = 4,   // waiting to be started
};

struct AnimSlot {
  uint32_t in_use = 0;
  // 1: the animation group is dropped at release; 0 (opcode 19): it is folded into the slot.
  uint32_t discard = 1;
  uint32_t state = kAnimRunning;
  // The script has ended; the next update releases the animation.
  bool ended = false;
  GraphicSlot* slot = nullptr;
  std::vector<uint8_t> code;  // the whole file image
  uint32_t cursor = 0;
  std::vector<std::unique_ptr<AnimStep>> steps;  // oldest first; ticked newest first
  std::array<std::unique_ptr<AnimSlot>, kAniChildCount> children;
  bool is_child = false;

  AnimSlot();
  ~AnimSlot();
  AnimSlot(AnimSlot&&) noexcept;
  AnimSlot& operator=(AnimSlot&&) noexcept;
};

// The process's animations. `now` is the frame clock; `context` (may be null) tells whether a
// scene or history skip is in force and which slots belong to child layers.
class FrameAnimations {
 public:
  // Binds a new animation of "<name>.ani" to the slot: 1, or 0 (logged) when the file is
  // missing, shorter than its trailer, or no animation is free; the slot's id is then 0.
  int Load(AdvContext* context, const char* name, GraphicSlot& slot, uint32_t now);
  // A loaded animation starts and runs at once. 0 (logged) for an id above 128.
  int Start(AdvContext* context, uint32_t id, uint32_t now);
  // Ends the animation; its effect stays on the slot only after opcode 19.
  void Unload(AdvContext* context, uint32_t id);
  // Ends the animation and always drops its effect.
  void Finish(AdvContext* context, uint32_t id);
  uint32_t Status(uint32_t id);
  uint32_t InUse(uint32_t id);
  // One frame of every animation, newest first, children before their parent.
  void UpdateAll(AdvContext* context, uint32_t now);
  // Releases every animation in id order (kept effects are folded).
  void ReleaseAll(AdvContext* context);

 private:
  AnimSlot* Valid(uint32_t id, const char* operation);
  void Release(AdvContext* context, uint32_t id);

  std::array<AnimSlot, kAnimationCount + 1> table_;  // ids 1-128; entry 0 unused
  std::vector<uint32_t> order_;                      // ids in use, newest first
};

FrameAnimations& Animations();

// The entry points the layers, buttons and snapshots use, on the game's context and frame clock.
int AdvAnimLoad(const char* name, GraphicSlot& slot);
int AdvAnimStart(uint32_t id);
void AdvAnimUnload(uint32_t id);
void AdvAnimFinish(uint32_t id);
uint32_t AdvAnimGetStatus(uint32_t id);
uint32_t IsAnim(uint32_t id);
void AdvAnimUpdateAll(AdvContext& context);
void AdvAnimReleaseAll(AdvContext& context);

}  // namespace adv

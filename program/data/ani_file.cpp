#include "program/data/ani_file.h"

#include <iterator>

namespace adv {
namespace {

constexpr uint8_t kLabel0 = 1 << 0;
constexpr uint8_t kLabel1 = 1 << 1;

constexpr AniOpcodeInfo kOpcodes[] = {
    {kAniMove, "move", 4, 0},
    {kAniWait, "wait", 1, 0},
    {kAniScale, "scale", 2, 0},
    {kAniAlpha, "alpha", 2, 0},
    {kAniRotate, "rotate", 4, 0},
    {kAniShift, "shift", 3, 0},
    {kAniWaitRandom, "wait_random", 2, 0},
    {kAniJump, "jump", 1, kLabel0},
    {kAniChild, "child", 2, kLabel1},
    {kAniRectPos, "rect_pos", 2, 0},
    {kAniRect, "rect", 4, 0},
    {kAniMoveAccel, "move_accel", 4, 0},
    {kAniMoveDecel, "move_decel", 4, 0},
    {kAniMoveTo, "move_to", 5, 0},
    {kAniMoveSine, "move_sine", 4, 0},
    {kAniKeep, "keep", 0, 0},
    {kAniWalk, "walk", 3, 0},
    {kAniCircleKept, "circle_kept", 9, 0},
    {kAniCircle, "circle", 9, 0},
    {kAniNop, "nop", 0, 0},
    {kAniPrologue, "prologue", 0, 0},
    {kAniPrologueEnd, "prologue_end", 0, 0},
    {kAniPause, "pause", 1, 0},
    {kAniEnd, "end", 0, 0},
};

// Below the start offset and the unused word.
constexpr size_t kLabelTableTop = 8;

}  // namespace

const AniOpcodeInfo* AniOpcodeFind(uint8_t opcode) {
  for (const AniOpcodeInfo& info : kOpcodes) {
    if (info.opcode == opcode) return &info;
  }
  return nullptr;
}

const AniOpcodeInfo* AniOpcodeFind(std::string_view mnemonic) {
  for (const AniOpcodeInfo& info : kOpcodes) {
    if (mnemonic == info.mnemonic) return &info;
  }
  return nullptr;
}

std::span<const AniOpcodeInfo> AniOpcodes() {
  return kOpcodes;
}

uint32_t AniReadWord(std::span<const uint8_t> file, size_t offset) {
  return static_cast<uint32_t>(file[offset]) | static_cast<uint32_t>(file[offset + 1]) << 8 |
         static_cast<uint32_t>(file[offset + 2]) << 16 |
         static_cast<uint32_t>(file[offset + 3]) << 24;
}

std::optional<uint32_t> AniStartOffset(std::span<const uint8_t> file) {
  if (file.size() < kAniTrailerSize) return std::nullopt;
  return AniReadWord(file, file.size() - 4);
}

uint32_t AniLabelCapacity(std::span<const uint8_t> file) {
  return file.size() < kLabelTableTop ? 0
                                      : static_cast<uint32_t>((file.size() - kLabelTableTop) / 4);
}

std::optional<uint32_t> AniLabelOffset(std::span<const uint8_t> file, uint32_t label) {
  if (label >= AniLabelCapacity(file)) return std::nullopt;
  return AniReadWord(file, file.size() - kAniTrailerSize - 4 * static_cast<size_t>(label));
}

}  // namespace adv

// The ".ani" frame-animation file: byte code from offset 0, each instruction an opcode byte and
// its operands (32-bit little-endian words, unaligned), and a trailer at the end of the file: the
// start offset in the last 4 bytes, 4 unused bytes below it, and below those the label table,
// growing downwards (label n is the code offset at size - 12 - 4n). Shared by the engine, which
// runs the files, and the tool that assembles them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace adv {

// The smallest file: the start offset, the unused word and label 0.
inline constexpr size_t kAniTrailerSize = 12;
inline constexpr uint32_t kAniChildCount = 8;
// A wait of this many milliseconds lasts until the animation is released.
inline constexpr uint32_t kAniWaitForever = 0xFFFFFFFF;

enum AniOpcode : uint8_t {
  kAniMove = 0,
  kAniWait = 1,
  kAniScale = 2,
  kAniAlpha = 3,
  kAniRotate = 4,
  kAniShift = 7,
  kAniWaitRandom = 8,
  kAniJump = 10,
  kAniChild = 11,
  kAniRectPos = 12,
  kAniRect = 13,
  kAniMoveAccel = 14,
  kAniMoveDecel = 15,
  kAniMoveTo = 17,
  kAniMoveSine = 18,
  kAniKeep = 19,
  kAniWalk = 20,
  kAniCircleKept = 21,
  kAniCircle = 22,
  kAniNop = 251,
  kAniPrologue = 252,
  kAniPrologueEnd = 253,
  kAniPause = 254,
  kAniEnd = 255,
};

struct AniOpcodeInfo {
  uint8_t opcode;
  const char* mnemonic;
  uint8_t operands;
  // Bit n set: operand n is a label number.
  uint8_t label_operands;
};

// The opcode's entry, or null for a byte that is no opcode (which ends a script, as "end" does).
const AniOpcodeInfo* AniOpcodeFind(uint8_t opcode);
const AniOpcodeInfo* AniOpcodeFind(std::string_view mnemonic);
std::span<const AniOpcodeInfo> AniOpcodes();

// The start offset, or nothing for a file shorter than its trailer.
std::optional<uint32_t> AniStartOffset(std::span<const uint8_t> file);
// Label n's code offset, or nothing when the label table (which can reach down to offset 0)
// has no such entry.
std::optional<uint32_t> AniLabelOffset(std::span<const uint8_t> file, uint32_t label);
// The number of label slots the file has room for: what lies below the trailer's two words.
uint32_t AniLabelCapacity(std::span<const uint8_t> file);

uint32_t AniReadWord(std::span<const uint8_t> file, size_t offset);

}  // namespace adv

// The instructions of command group 1.
#include "program/engine/instructions.h"

#include <array>

#include "program/engine/adv_context.h"
#include "program/engine/yel_import.h"

namespace adv {
namespace {

int OpEnd(AdvContext& context) {
  yel::YelEnd();
  context.script.stop = 1;
  return 1;
}

int OpNop(AdvContext&) { return 1; }

// Indexed by the low 16 bits of the instruction word; slot 0 names none.
constexpr std::array<InstructionFunc, 0x22> kInstructions = [] {
  std::array<InstructionFunc, 0x22> table{};
  table[0x15] = OpEnd;
  table[0x16] = OpNop;
  return table;
}();

}  // namespace

InstructionFunc InstructionFor(uint32_t word) {
  const uint32_t index = word & 0xFFFF;
  return index < kInstructions.size() ? kInstructions[index] : nullptr;
}

}  // namespace adv

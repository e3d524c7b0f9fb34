// The instruction set of command group 1.
#pragma once

#include <cstdint>

namespace adv {

struct AdvContext;

using InstructionFunc = int (*)(AdvContext& context);

inline constexpr uint32_t kGroupVm = 0x0001;
inline constexpr uint32_t kOpCallCommand = 0x00010017;
inline constexpr uint32_t kCommandCallSize = 12;

// The instruction a group-1 word names, or null when its low 16 bits name none.
InstructionFunc InstructionFor(uint32_t word);

}  // namespace adv

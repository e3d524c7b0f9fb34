// What every command handler shares: its arguments come off the value stack first argument
// first (the script pushed them last to first), its result goes to the result variable, and it
// traces itself at level 10.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "program/script/engine_log.h"
#include "program/script/value_stores.h"

namespace adv {

struct AdvContext;

// Pops N arguments: element 0 is the first argument.
template <size_t N>
std::array<int32_t, N> PopArgs(AdvContext& context) {
  std::array<int32_t, N> args{};
  for (int32_t& arg : args) arg = ValueStackPop(context);
  return args;
}

inline int32_t PopArg(AdvContext& context) {
  return ValueStackPop(context);
}

}  // namespace adv

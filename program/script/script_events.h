// The event messages and the script thread: two small records of the context that the game task
// reads every frame.
#pragma once

#include <array>
#include <cstdint>

namespace adv {

inline constexpr int32_t kEventSlotCount = 8;

struct EventMessage {
  int32_t pending = 0;
  uint32_t handler = 0;  // label offset from the code origin; 0 = no handler
  struct Slot {
    int32_t flag = 0;
    int32_t param = 0;
  };
  std::array<Slot, kEventSlotCount> slots{};
};

struct ScriptThread {
  int32_t active = 0;
  int32_t enabled = 0;
  int32_t turn_count = 0;
  uint32_t entry = 0;  // label offset from the code origin
  int32_t label = 0;
};

}  // namespace adv

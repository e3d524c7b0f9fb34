// The records of the action sets: the manager in the context, its 16 sets, their lines of
// sections. Sets, lines and sections are plain fixed-size records (a set is copied whole by
// action_push and zeroed in place whenever it is emptied); what each set has settled into slots
// and not yet folded into their bases is kept beside the sets, per set.
#pragma once

#include <array>
#include <cstdint>
#include <type_traits>
#include <utility>
#include <vector>

#include "program/layers/graphic_slots.h"

namespace adv {

inline constexpr int32_t kActionSetCount = 16;
inline constexpr int32_t kActionLineCount = 60;
inline constexpr uint32_t kActionSectionCount = 120;
inline constexpr uint32_t kActionParameterCount = 16;
inline constexpr uint32_t kActionKindCount = 28;
inline constexpr uint32_t kActiveActionSet = 0xFFFFFFFF;  // a set argument naming the active set
inline constexpr uint32_t kActionNoSlot = 0xFFFFFFFF;     // parameter 0 naming no slot

enum ActionMode : uint32_t {
  kActionModeIdle = 0,
  kActionModeRun = 1,
  kActionModeSync = 2,
  kActionModeLoop = 3,
};

// One step of one kind: its parameters (parameter 0 most often a slot index), the kind (row of
// the kind table) and the duration in ms.
struct ActionSection {
  std::array<uint32_t, kActionParameterCount> parameters{};
  uint32_t kind = 0;
  uint32_t duration = 0;
};
static_assert(sizeof(ActionSection) == 72, "a section is 72 bytes in the snapshot");

struct ActionLineState {
  uint32_t started = 0;   // the current section was created and not finished
  uint32_t end_time = 0;  // ms after the set's start at which the current section ends
  int32_t section = 0;    // the current section; the count once the line is done
};

struct ActionLine {
  uint32_t count = 0;          // sections appended, 0-120
  void* kind_state = nullptr;  // what the running section's create returned
  std::array<ActionSection, kActionSectionCount> sections{};
};

struct ActionSet {
  uint32_t running = 0;
  uint32_t cycle = 0;      // 1 in the frame in which an endless loop completed a cycle
  uint32_t line_mark = 0;  // kept in the snapshot; nothing reads it
  uint32_t reserved = 0;
  uint32_t start_time = 0;  // frame clock at the start of the set or of its loop cycle
  uint32_t length = 0;      // run modes: ms; loop: cycles to go, 0xFFFFFFFF endless
  uint32_t mode = kActionModeIdle;
  std::array<ActionLineState, kActionLineCount> states{};
  std::array<ActionLine, kActionLineCount> lines{};
};
static_assert(std::is_trivially_copyable_v<ActionSet>, "sets are copied and zeroed whole");

// The change one set has added to one slot's action delta group since the set last ended, for
// the image the slot held then (its allocation number).
struct SettledChange {
  int32_t slot = 0;
  uint32_t allocation = 0;
  SlotSettledGroup change;
};
using SettledChanges = std::vector<SettledChange>;

struct ActionManager {
  uint32_t active = 0;
  std::array<uint32_t, kActionSetCount> clear_requests{};
  std::array<uint32_t, kActionSetCount> stop_flags{};
  std::array<ActionSet, kActionSetCount> sets{};
  uint32_t pushed_index = 0;
  ActionSet* pushed = nullptr;  // action_push's copy (platform memory), null when none
  // Per set, and for the pushed copy: its settled changes. When any set ends every slot's delta
  // group goes into its base except these changes of sets that go on: a snapshot keeps the
  // bases but not the delta groups, and a restored set settles its changes again.
  std::array<SettledChanges, kActionSetCount> settled{};
  SettledChanges pushed_settled;
};

// A running set as a snapshot holds it: its words and its non-empty lines. It starts again
// from the first section of every line when it is restored.
struct SavedActionSet {
  uint32_t index = 0;
  uint32_t running = 0;
  uint32_t cycle = 0;
  uint32_t line_mark = 0;
  uint32_t reserved = 0;
  uint32_t start_time = 0;
  uint32_t length = 0;
  uint32_t mode = 0;
  std::vector<std::pair<uint32_t, ActionLine>> lines;
};

struct SavedActions {
  uint32_t active = 0;
  std::array<uint32_t, kActionSetCount> clear_requests{};
  std::array<uint32_t, kActionSetCount> stop_flags{};
  std::vector<SavedActionSet> sets;
};

}  // namespace adv

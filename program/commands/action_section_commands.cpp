// The action section commands: each appends one section of one kind to a line of the active
// set. The line index comes first; a line above 59 or a line that holds 120 sections is logged
// and the command's other arguments stay on the value stack. Parameters are stored in pop order
// from parameter 0; an image argument in parameter 0 is stored as the slot index it names
// (0xFFFFFFFF for none). The group's handler table is put together here from both lists.
#include <array>
#include <iterator>
#include <utility>

#include "program/commands/action_commands.h"
#include "program/game/adv_context.h"
#include "program/layers/graphic_slots.h"
#include "program/script/command_args.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

// Where a section's duration comes from.
enum class Duration : uint8_t {
  kPopped,           // popped after the leading parameters
  kParameters4And8,  // parameter 4 + parameter 8, not popped
  kParameter5,       // parameter 5, not popped
  kRandomBetween,    // a random time between two popped bounds
};

// One section command: parameters 0 to `leading` - 1 are popped, then the duration (when it is
// popped), then `trailing` more parameters; parameter 10 may be fixed.
struct SectionCommand {
  uint16_t index;
  uint8_t kind;
  uint8_t leading;
  bool image;  // parameter 0 is an image number, stored as its slot index
  Duration duration = Duration::kPopped;
  uint8_t trailing = 0;
  int8_t parameter10 = -1;  // -1: popped or left 0
};

constexpr SectionCommand kSectionCommands[] = {
    {0x05, 0, 4, true},                               // action_straight
    {0x06, 6, 3, true},                               // action_movepos
    {0x07, 1, 3, true},                               // action_shake
    {0x08, 2, 2, true},                               // action_alpha
    {0x09, 3, 0, false},                              // action_wait
    {0x0A, 4, 4, true},                               // action_rotate
    {0x0B, 5, 2, true},                               // action_scale
    {0x0E, 7, 4, true},                               // action_decele
    {0x0F, 8, 4, true},                               // action_accele
    {0x10, 9, 3, false},                              // action_sound
    {0x11, 10, 4, true},                              // action_shake2
    {0x12, 11, 3, true},                              // action_animation
    {0x13, 12, 5, true},                              // action_animation_ex
    {0x14, 13, 3, true},                              // action_scale_ex
    {0x15, 14, 5, true},                              // action_rotate_ex
    {0x1D, 15, 4, true},                              // action_straight2
    {0x1F, 16, 6, true},                              // action_move_rect
    {0x20, 17, 4, true},                              // action_color
    {0x21, 18, 9, true, Duration::kPopped, 1, 1},     // action_circle
    {0x22, 19, 9, true, Duration::kPopped, 1, 0},     // action_circle2
    {0x23, 20, 3, false},                             // action_set_mask
    {0x25, 21, 3, false},                             // action_set_mask2
    {0x26, 22, 1, false},                             // action_show
    {0x27, 23, 1, false},                             // action_hide
    {0x28, 24, 2, false},                             // action_set_alpha
    {0x29, 25, 9, true, Duration::kParameters4And8},  // action_straight_decele
    {0x2B, 26, 6, true, Duration::kParameter5},       // action_ease_move
    {0x2C, 27, 3, true},                              // action_ease_alpha
    {0x2D, 3, 0, false, Duration::kRandomBetween},    // action_wait_random
};

// lo + a random part below hi - lo; 0 when the bounds are equal or the lower one is negative.
uint32_t RandomDuration(int32_t a, int32_t b) {
  const int32_t lo = a < b ? a : b;
  const int32_t hi = a < b ? b : a;
  if (hi - lo <= 0 || lo < 0) return 0;
  return static_cast<uint32_t>(yel::YelRandom() % (hi - lo) + lo);
}

int AppendSection(AdvContext& context, const SectionCommand& command) {
  const auto line_index = static_cast<uint32_t>(PopArg(context));
  if (line_index >= static_cast<uint32_t>(kActionLineCount)) {
    AdvDebugPrint(kLogError, "action line over [%d]", static_cast<int32_t>(line_index));
    return 1;
  }
  ActionManager& actions = context.actions;
  ActionLine& line = actions.sets[actions.active % kActionSetCount].lines[line_index];
  if (line.count >= kActionSectionCount) {
    AdvDebugPrint(kLogError, "action section over [%d]", static_cast<int32_t>(line.count));
    return 1;
  }
  ActionSection& section = line.sections[line.count];
  section = ActionSection{};
  auto& p = section.parameters;
  for (uint32_t i = 0; i < command.leading; ++i) p[i] = static_cast<uint32_t>(PopArg(context));
  switch (command.duration) {
    case Duration::kPopped:
      section.duration = static_cast<uint32_t>(PopArg(context));
      break;
    case Duration::kParameters4And8:
      section.duration = p[4] + p[8];
      break;
    case Duration::kParameter5:
      section.duration = p[5];
      break;
    case Duration::kRandomBetween: {
      const auto [a, b] = PopArgs<2>(context);
      section.duration = RandomDuration(a, b);
      break;
    }
  }
  for (uint32_t i = 0; i < command.trailing; ++i) {
    p[command.leading + i] = static_cast<uint32_t>(PopArg(context));
  }
  if (command.parameter10 >= 0) p[10] = static_cast<uint32_t>(command.parameter10);
  section.kind = command.kind;
  if (command.image) p[0] = static_cast<uint32_t>(AdvImageNoToSlot(p[0]));
  ++line.count;
  return 1;
}

template <size_t N>
int CmdSection(AdvContext& context) {
  return AppendSection(context, kSectionCommands[N]);
}

template <size_t... N>
constexpr std::array<CommandSlot, sizeof...(N)> SectionSlots(std::index_sequence<N...>) {
  return {{{kSectionCommands[N].index, CmdSection<N>}...}};
}

constexpr auto kSectionSlots =
    SectionSlots(std::make_index_sequence<std::size(kSectionCommands)>());

constexpr uint32_t kActionGroupSize = 0x2F;  // 0x110000 to 0x11002E; 0x110016 stays empty

std::array<CommandHandler, kActionGroupSize> BuildActionSlots() {
  std::array<CommandHandler, kActionGroupSize> table{};
  for (const CommandSlotList* list : {&kActionSetCommandSlots, &kActionSectionCommandSlots}) {
    for (size_t i = 0; i < list->count; ++i) {
      const CommandSlot& slot = list->slots[i];
      if (slot.index < kActionGroupSize && !table[slot.index]) table[slot.index] = slot.handler;
    }
  }
  return table;
}

}  // namespace

const CommandSlotList kActionSectionCommandSlots = {kSectionSlots.data(), kSectionSlots.size()};

namespace {
// Built at start-up from both lists (each a constant of its own file).
const std::array<CommandHandler, kActionGroupSize> kActionSlots = BuildActionSlots();
}  // namespace

const CommandHandlers kCmdGroupActionHandlers = {kActionSlots.data(), kActionGroupSize};

}  // namespace adv

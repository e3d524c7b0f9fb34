// The command table: every command code names a group (high 16 bits) and a slot of that group
// (low 16 bits). The table has an entry for each group 0x00 to 0x17 with the range of indexes its
// commands take; a group's handlers are declared in the file of that group. A code with a group
// beyond the table, an index outside its group's handlers or an empty slot names no handler, and
// the command call reports it like any failed command.
#pragma once

#include <array>
#include <cstdint>

namespace adv {

struct AdvContext;

// Runs one command with the context; 1 = go on, 0 = failure (reported by the run loop).
using CommandHandler = int (*)(AdvContext& context);

// The handlers of one group, indexed by the low 16 bits of the code; a slot may be null.
struct CommandHandlers {
  const CommandHandler* slots;
  uint32_t count;
};

struct CommandGroup {
  const char* name;
  uint16_t first;  // lowest and highest index the group's commands take (first > last: none)
  uint16_t last;
  const CommandHandlers* handlers;  // null while the group's commands are not built
};

inline constexpr uint32_t kCommandGroupCount = 0x18;
using CommandGroupTable = std::array<CommandGroup, kCommandGroupCount>;

// The game's commands.
const CommandGroupTable& CommandTable();
// The handler of a code in a table, or null.
CommandHandler CommandFor(const CommandGroupTable& table, uint32_t code);
// The handler of a code among the game's commands, or null.
CommandHandler CommandFor(uint32_t code);

// The handlers of the groups built so far, each defined beside its commands.
extern const CommandHandlers kCmdGroupSpriteHandlers;   // 0x03
extern const CommandHandlers kCmdGroupSaveHandlers;     // 0x0A
extern const CommandHandlers kCmdGroupVoiceHandlers;    // 0x0D
extern const CommandHandlers kCmdGroupDebugHandlers;    // 0x0F
extern const CommandHandlers kCmdGroupActionHandlers;   // 0x11
extern const CommandHandlers kCmdGroupExtraHandlers;    // 0x12
extern const CommandHandlers kCmdGroupMathHandlers;     // 0x14
extern const CommandHandlers kCmdGroupThreadHandlers;   // 0x15
extern const CommandHandlers kCmdGroupRunHandlers;      // 0x16
extern const CommandHandlers kCmdGroupMessageHandlers;  // 0x17
extern const CommandHandlers kCmdGroupTextHandlers;     // 0x02
extern const CommandHandlers kCmdGroupSelectHandlers;   // 0x06
extern const CommandHandlers kCmdGroupButtonHandlers;   // 0x08
extern const CommandHandlers kCmdGroupBgmHandlers;      // 0x04
extern const CommandHandlers kCmdGroupSeHandlers;       // 0x05
extern const CommandHandlers kCmdGroupMovieHandlers;    // 0x0B
extern const CommandHandlers kCmdGroupEffectHandlers;   // 0x10
extern const CommandHandlers kCmdGroupFxHandlers;       // 0x13
extern const CommandHandlers kCmdGroupSystemHandlers;   // 0x09

// The command-call instruction {0x00010017, code, result index}: the result index and the
// current word (the code, so a failure report names the command) are set, then the code's
// handler in the script state's command table runs; its result is the instruction's, 0 when the
// code names no handler.
int OpCallCommand(AdvContext& context);

}  // namespace adv

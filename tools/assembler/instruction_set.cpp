#include "tools/assembler/instruction_set.h"

namespace advasm {
namespace {

constexpr InstructionInfo kInstructions[] = {
    {"mov", "OpMove", 0x010001, "ds"},
    {"add", "OpAdd", 0x010002, "ds"},
    {"sub", "OpSub", 0x010003, "ds"},
    {"mul", "OpMul", 0x010004, "ds"},
    {"div", "OpDiv", 0x010005, "ds"},
    {"and", "OpAnd", 0x010006, "ds"},
    {"or", "OpOr", 0x010007, "ds"},
    {"xor", "OpXor", 0x010008, "ds"},
    {"jmp", "OpJump", 0x010009, "s"},
    {"jz", "OpJumpIfZero", 0x01000A, "ls"},
    {"gosub", "gosub", 0x01000B, "s"},
    {"eq", "OpEqual", 0x01000C, "ds"},
    {"ne", "OpNotEqual", 0x01000D, "ds"},
    {"le", "OpLessEqual", 0x01000E, "ds"},
    {"ge", "OpGreaterEqual", 0x01000F, "ds"},
    {"lt", "OpLess", 0x010010, "ds"},
    {"gt", "OpGreater", 0x010011, "ds"},
    {"lor", "OpLogicalOr", 0x010012, "ds"},
    {"land", "OpLogicalAnd", 0x010013, "ds"},
    {"not", "OpNot", 0x010014, "v"},
    {"end", "OpEnd", 0x010015, ""},
    {"nop", "OpNop", 0x010016, ""},
    {"ret", "ret", 0x010018, ""},
    {"reset", "OpReset", 0x010019, ""},
    {"mod", "OpMod", 0x01001A, "ds"},
    {"shl", "OpShiftLeft", 0x01001B, "ds"},
    {"shr", "OpShiftRight", 0x01001C, "ds"},
    {"neg", "OpNegate", 0x01001D, "v"},
    {"pop", "OpPop", 0x01001E, "d"},
    {"push", "OpPush", 0x01001F, "s"},
    {"enter", "OpEnterFrame", 0x010020, "s"},
    {"leave", "OpLeaveFrame", 0x010021, "s"},
};

}  // namespace

// The command call (0x010017) has no entry: sources write it with "cmd".
const InstructionInfo* FindInstruction(std::string_view name) {
  for (const InstructionInfo& info : kInstructions) {
    if (info.mnemonic == name || info.name == name) return &info;
  }
  return nullptr;
}

}  // namespace advasm

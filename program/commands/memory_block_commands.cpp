// The memory-block commands of group 0x12 (`vmem_...`). Reads outside a block give 0, writes and
// copies outside it do nothing; only the two file commands log their failures.
#include <string>

#include "os/ini_file.h"
#include "program/commands/extra_commands.h"
#include "program/commands/memory_blocks.h"
#include "program/commands/text_arguments.h"
#include "program/game/adv_context.h"
#include "program/game/game_file_access.h"
#include "program/script/command_args.h"
#include "program/script/script_names.h"
#include "program/script/script_paths.h"

namespace adv {
namespace {

constexpr size_t kTextBuffer = 4096;

uint32_t U(int32_t value) {
  return static_cast<uint32_t>(value);
}

int CmdVmemCreate(AdvContext& context) {
  const auto [id, size, kind] = PopArgs<3>(context);
  if (U(kind) == kVmemBytes && U(size) > kVmemMaxBytes) {
    AdvDebugPrint(kLogError, "vmem_create %d : %u bytes is more than a block holds (%u)", id,
                  U(size), kVmemMaxBytes);
    SetCommandResult(context, 0);
    return 1;
  }
  SetCommandResult(context, ScriptMemoryBlocks().Create(U(id), U(size), U(kind)) ? 1 : 0);
  return 1;
}

int CmdVmemDelete(AdvContext& context) {
  SetCommandResult(context, ScriptMemoryBlocks().Delete(U(PopArg(context))) ? 1 : 0);
  return 1;
}

int CmdVmemClear(AdvContext&) {
  ScriptMemoryBlocks().FreeAll();
  return 1;
}

bool Usable(const VmemBlock& block) {
  return (block.kind == kVmemBytes && block.bytes) || block.kind == kVmemStrings;
}

// The three queries report a missing block to the interpreter as an internal error.
int CmdVmemIsValid(AdvContext& context) {
  const VmemBlock* block = ScriptMemoryBlocks().Find(U(PopArg(context)));
  SetCommandResult(context, block && Usable(*block) ? 1 : 0);
  return block ? 1 : 0;
}

int CmdVmemGetKind(AdvContext& context) {
  const VmemBlock* block = ScriptMemoryBlocks().Find(U(PopArg(context)));
  SetCommandResult(context, block && Usable(*block) ? static_cast<int32_t>(block->kind) : -1);
  return block ? 1 : 0;
}

int CmdVmemGetCount(AdvContext& context) {
  const VmemBlock* block = ScriptMemoryBlocks().Find(U(PopArg(context)));
  const bool counted = block && !block->bytes;
  SetCommandResult(context, counted ? static_cast<int32_t>(block->size) : 0);
  return counted ? 1 : 0;
}

template <size_t kWidth>
int CmdVmemGet(AdvContext& context) {
  const auto [id, offset] = PopArgs<2>(context);
  SetCommandResult(context,
                   static_cast<int32_t>(ScriptMemoryBlocks().Read(U(id), U(offset), kWidth)));
  return 1;
}

template <size_t kWidth>
int CmdVmemSet(AdvContext& context) {
  const auto [id, offset, value] = PopArgs<3>(context);
  ScriptMemoryBlocks().Write(U(id), U(offset), kWidth, U(value));
  return 1;
}

int CmdVmemCopy(AdvContext& context) {
  const auto [target, target_offset, source, source_offset, length] = PopArgs<5>(context);
  const bool copied = ScriptMemoryBlocks().Copy(U(target), U(target_offset), U(source),
                                                U(source_offset), U(length));
  SetCommandResult(context, copied ? 1 : 0);
  return 1;
}

int CmdVmemSetString(AdvContext& context) {
  const auto [id, key, text] = PopArgs<3>(context);
  const std::string value = AdvGetStringText(context, U(text), kTextBuffer);
  SetCommandResult(context, ScriptMemoryBlocks().SetString(U(id), U(key), value) ? 1 : 0);
  return 1;
}

int CmdVmemGetString(AdvContext& context) {
  const auto [id, key, target] = PopArgs<3>(context);
  SetCommandResult(context, 0);
  if ((U(target) & kStringVariableBit) == 0) return 1;
  const std::span<char> slot = StringVariableFor(context, U(target), "vmem_get_string");
  if (slot.empty()) return 1;
  const std::string text = ScriptMemoryBlocks().GetString(U(id), U(key));
  // A text the variable cannot hold empties it, and the interpreter reports the failure.
  if (text.size() > kStringVariableTextMax) {
    slot[0] = 0;
    return 0;
  }
  StoreStringVariable(slot, text);
  SetCommandResult(context, 1);
  return 1;
}

int CmdVmemFileLoad(AdvContext& context) {
  const auto [id, file] = PopArgs<2>(context);
  const std::string name = FileNameArgument(context, U(file), kTextBuffer);
  VmemBlock* block = ScriptMemoryBlocks().Find(U(id));
  SetCommandResult(context, 0);
  if (!block || !block->bytes) return 1;
  // One byte more than the block holds tells a file that is too large.
  const std::optional<std::string> data = ReadGameFile(name, 0, size_t{block->size} + 1);
  if (!data) {
    AdvDebugPrint(kLogError, "vmem_file_load error [%s]", name.c_str());
    return 1;
  }
  if (data->size() > block->size) return 1;
  std::copy(data->begin(), data->end(), block->bytes.get());
  SetCommandResult(context, static_cast<int32_t>(data->size()));
  return 1;
}

int CmdVmemFileSave(AdvContext& context) {
  const auto [id, file, offset, length] = PopArgs<4>(context);
  const std::string name = FileNameArgument(context, U(file), kTextBuffer);
  const uint8_t* bytes = ScriptMemoryBlocks().Range(U(id), U(offset), U(length));
  SetCommandResult(context, 0);
  if (!bytes) return 1;
  const std::optional<std::string> path = ScriptDiskPath("vmem_file_save", name);
  // Written whole through a temporary file, so an old file is never left half-replaced.
  if (!path || !os::WriteFileAtomically(
                   *path, std::string(reinterpret_cast<const char*>(bytes), U(length)))) {
    AdvDebugPrint(kLogError, "vmem_file_save error [%s]", name.c_str());
    return 1;
  }
  SetCommandResult(context, length);
  return 1;
}

constexpr CommandSlot kSlots[] = {
    {0x91, CmdVmemCreate},   {0x92, CmdVmemDelete},    {0x93, CmdVmemClear},
    {0x94, CmdVmemIsValid},  {0x95, CmdVmemGetKind},   {0x96, CmdVmemGetCount},
    {0x97, CmdVmemGet<1>},   {0x98, CmdVmemGet<2>},    {0x99, CmdVmemGet<4>},
    {0x9A, CmdVmemSet<1>},   {0x9B, CmdVmemSet<2>},    {0x9C, CmdVmemSet<4>},
    {0x9D, CmdVmemCopy},     {0x9E, CmdVmemSetString}, {0x9F, CmdVmemGetString},
    {0xA1, CmdVmemFileLoad}, {0xA2, CmdVmemFileSave},
};

}  // namespace

const CommandSlotList kMemoryBlockCommandSlots = {kSlots, std::size(kSlots)};

}  // namespace adv

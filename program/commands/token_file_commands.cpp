// Script token files opened by the script. The script holds a handle number, never the record:
// every command looks the number up among the open files, so a closed or made-up handle reaches
// nothing. Reads and moves are checked in 64 bits, so no sum wraps into the data block.
#include "program/commands/token_file_commands.h"

#include <cstring>
#include <optional>
#include <string>

#include "program/data/script_token_file.h"
#include "program/game/adv_context.h"
#include "program/game/game_file_access.h"
#include "program/script/command_args.h"
#include "program/script/script_names.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

constexpr int32_t kScriptFileNodeId = 256;
// read_file fills TempMemory cells 0 to 255 at most.
constexpr int64_t kReadFileCells = 256;
constexpr int32_t kLastHandle = 0x7FFFFFFF;

// One open file. The record and its data block (value area, then text table) are one
// allocation, which the game's release frees for each file still open at the end.
struct ScriptFileHandle {
  uint8_t* data;
  uint32_t position;    // bytes from the start of the data block
  uint32_t data_size;   // value area plus text table
  uint32_t value_size;  // 4 × number of tokens
  uint32_t handle;      // the number the script holds
};

ScriptFileHandle* FindScriptFile(AdvContext& context, int32_t handle) {
  if (handle == 0 || !context.script_files) return nullptr;
  for (YelListNode* node = context.script_files->next; node; node = node->next) {
    auto* file = reinterpret_cast<ScriptFileHandle*>(node->data);
    if (node->id == kScriptFileNodeId && file->handle == static_cast<uint32_t>(handle)) {
      return file;
    }
  }
  return nullptr;
}

// The open file of a handle, or null after "<command> not handle".
ScriptFileHandle* OpenFileOf(AdvContext& context, int32_t handle, const char* command) {
  ScriptFileHandle* file = FindScriptFile(context, handle);
  if (!file) AdvDebugPrint(kLogError, "%s not handle", command);
  return file;
}

// Handles count up from 1 and skip the ones still open, so a closed handle does not come back
// as the name of another file until the count wraps.
uint32_t NextHandle(AdvContext& context) {
  do {
    context.script_file_serial =
        context.script_file_serial >= kLastHandle ? 1 : context.script_file_serial + 1;
  } while (FindScriptFile(context, static_cast<int32_t>(context.script_file_serial)));
  return context.script_file_serial;
}

ScriptFileHandle* NewScriptFile(const TokenFileData& data) {
  const size_t size = sizeof(ScriptFileHandle) + data.bytes.size();
  auto* file = static_cast<ScriptFileHandle*>(yel::YelMemoryAlloc(static_cast<uint32_t>(size), 0));
  if (!file) return nullptr;
  file->data = reinterpret_cast<uint8_t*>(file + 1);
  if (!data.bytes.empty()) std::memcpy(file->data, data.bytes.data(), data.bytes.size());
  file->position = 0;
  file->data_size = static_cast<uint32_t>(data.bytes.size());
  file->value_size = data.value_size;
  return file;
}

uint32_t WordAt(const uint8_t* bytes) {
  return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

}  // namespace

int CmdOpenFile(AdvContext& context) {
  const uint32_t argument = static_cast<uint32_t>(PopArg(context));
  uint8_t name[kFileNameSize];
  AdvGetFileName(context, name, argument, false);
  const char* text = reinterpret_cast<const char*>(name);
  std::optional<std::string> bytes = ReadGameFile(text, 0, kWholeFile);
  if (!bytes) {
    SetCommandResult(context, 0);
    AdvDebugPrint(kLogError, "open_file error : %s", text);
    return 1;
  }
  std::optional<TokenFileData> data = TokenFileBuild(*bytes);
  ScriptFileHandle* file = data && context.script_files ? NewScriptFile(*data) : nullptr;
  if (!file) {
    SetCommandResult(context, 0);
    AdvDebugPrint(kLogError, "open_file handle create error");
    return 1;
  }
  file->handle = NextHandle(context);
  if (!yel::YelListPush(context.script_files, reinterpret_cast<uintptr_t>(file),
                        kScriptFileNodeId)) {
    yel::YelMemoryFree(file);
    SetCommandResult(context, 0);
    AdvDebugPrint(kLogError, "open_file handle create error");
    return 1;
  }
  SetCommandResult(context, static_cast<int32_t>(file->handle));
  return 1;
}

// Copies `count` words at the position into TempMemory cells index, index + 1, ...; nothing
// when any of them lies past the value area or past cell 255.
int CmdReadFile(AdvContext& context) {
  const auto [handle, index, count] = PopArgs<3>(context);
  ScriptFileHandle* file = OpenFileOf(context, handle, "read_file");
  if (!file) {
    SetCommandResult(context, 0);
    return 1;
  }
  const int64_t end = int64_t{file->position} + 4 * int64_t{count};
  if (index < 0 || count < 0 || int64_t{index} + count > kReadFileCells ||
      end > int64_t{file->value_size}) {
    AdvDebugPrint(kLogTrace, "read_file eof");
    SetCommandResult(context, 0);
    return 1;
  }
  for (int32_t i = 0; i < count; ++i) {
    context.values.temp_memory[static_cast<size_t>(index + i)] =
        static_cast<int32_t>(WordAt(file->data + file->position));
    file->position += 4;
  }
  SetCommandResult(context, 1);
  return 1;
}

int CmdCloseFile(AdvContext& context) {
  const int32_t handle = PopArg(context);
  if (handle == 0) {
    AdvDebugPrint(kLogError, "close_file not handle");
    return 1;
  }
  if (ScriptFileHandle* file = FindScriptFile(context, handle)) {
    yel::YelListDelete(context.script_files, reinterpret_cast<uintptr_t>(file));
    yel::YelMemoryFree(file);
  }
  return 1;
}

// Origin 0 the start, 1 the position, 2 the end of the whole block (text table included); a
// move that would leave the block is refused and the position stays.
int CmdSetFilePointer(AdvContext& context) {
  const auto [handle, offset, origin] = PopArgs<3>(context);
  ScriptFileHandle* file = OpenFileOf(context, handle, "set_file_pointer");
  if (!file || origin < 0 || origin > 2) return 1;
  const int64_t base = origin == 0 ? 0 : origin == 1 ? file->position : file->data_size;
  const int64_t position = base + 4 * int64_t{offset};
  if (position < 0 || position > int64_t{file->data_size}) {
    AdvDebugPrint(kLogError, "set_file_pointer out of range %d, %d", offset, origin);
    return 1;
  }
  file->position = static_cast<uint32_t>(position);
  return 1;
}

// The text record at (value & 0x7FFFFFFF) in the text table goes into string variable dest:
// its bytes up to an early zero, at most what the variable holds. A record that does not lie
// whole inside the text table is no text of this file, and nothing is written.
int CmdFileString(AdvContext& context) {
  const auto [handle, value, dest] = PopArgs<3>(context);
  ScriptFileHandle* file = OpenFileOf(context, handle, "file_string");
  if (!file) return 1;
  const uint64_t table_size = file->data_size - file->value_size;
  const uint64_t offset = static_cast<uint32_t>(value) & ~kTokenTextBit;
  const uint8_t* table = file->data + file->value_size;
  if (offset + 2 > table_size ||
      offset + 2 + (table[offset] | table[offset + 1] << 8) > table_size) {
    AdvDebugPrint(kLogError, "file_string: no text at 0x%08X", static_cast<uint32_t>(value));
    return 1;
  }
  const size_t length = table[offset] | table[offset + 1] << 8;
  const char* text = reinterpret_cast<const char*>(table + offset + 2);
  const std::string_view bytes(text, strnlen(text, length));
  if (!AdvSetVarString(context, static_cast<uint32_t>(dest) | kStringVariableBit, bytes)) {
    AdvDebugPrint(kLogError, "file_string: no string variable %d",
                  static_cast<int32_t>(static_cast<uint32_t>(dest) & ~kStringVariableBit));
  }
  return 1;
}

}  // namespace adv

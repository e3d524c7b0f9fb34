// The access state of files: two bits per "File.dat" entry in the file-state map (reached, and
// reached but not yet acknowledged), and the access list's state byte for names outside it.
#include <array>
#include <cstring>
#include <string>
#include <string_view>

#include "program/commands/system_commands.h"
#include "program/game/adv_context.h"
#include "program/game/game_task.h"
#include "program/script/command_args.h"
#include "program/script/script_names.h"

namespace adv {
namespace {

constexpr uint8_t kStateNotAcknowledged = 2;

// A file reference: a "File.dat" index, or a string variable whose name is looked up there.
struct FileReference {
  bool listed = true;  // a "File.dat" index (which may lie outside the list: then ignored)
  uint32_t index = 0;
  std::string name;  // the name, for one that "File.dat" does not hold; empty: no file
};

FileReference ResolveReference(AdvContext& context, uint32_t reference) {
  FileReference file;
  if (!(reference & kStringVariableBit)) {
    file.index = reference;
    return file;
  }
  std::array<uint8_t, kFileNameSize> name{};
  AdvGetFileName(context, name.data(), reference, false);
  const int32_t found = FileListFind(context.lists, name.data());
  if (found >= 0) {
    file.index = static_cast<uint32_t>(found);
    return file;
  }
  file.listed = false;
  const char* text = reinterpret_cast<const char*>(name.data());
  file.name.assign(text, strnlen(text, name.size()));
  return file;
}

// Bit 1 of entry n cleared; an index outside the map is ignored.
void FileStateAcknowledge(std::vector<uint8_t>& map, uint32_t n) {
  if (n / 4 < map.size()) map[n / 4] &= static_cast<uint8_t>(~(2u << (2 * (n % 4))));
}

}  // namespace

// A string variable that is out of range or empty names no file: no record is made for it.
int CmdEntryFilename(AdvContext& context) {
  const FileReference file = ResolveReference(context, static_cast<uint32_t>(PopArg(context)));
  AdvTaskData* data = context.task_data;
  if (!data) return 1;
  if (file.listed) {
    FileStateSet(data->system.file_state_map, file.index);
  } else if (!file.name.empty()) {
    AccessListEnsure(data->access, file.name);
  }
  return 1;
}

int CmdUpdateAccess(AdvContext& context) {
  const FileReference file = ResolveReference(context, static_cast<uint32_t>(PopArg(context)));
  AdvTaskData* data = context.task_data;
  if (!data) return 1;
  if (file.listed) {
    FileStateAcknowledge(data->system.file_state_map, file.index);
    AdvDebugPrint(kLogTrace, "update_access %d", static_cast<int32_t>(file.index));
  } else if (AccessRecord* record = AccessListFind(data->access, file.name)) {
    record->state &= static_cast<uint8_t>(~kStateNotAcknowledged);
    AdvDebugPrint(kLogTrace, "update_access '%s'", file.name.c_str());
  } else {
    AdvDebugPrint(kLogTrace, "update_access entry not file '%s'", file.name.c_str());
  }
  return 1;
}

int CmdClearAccess(AdvContext& context) {
  const FileReference file = ResolveReference(context, static_cast<uint32_t>(PopArg(context)));
  AdvTaskData* data = context.task_data;
  if (!data) return 1;
  if (file.listed) {
    FileStateClear(data->system.file_state_map, file.index);
  } else if (!file.name.empty()) {
    AccessListResetState(data->access, file.name);
  }
  return 1;
}

}  // namespace adv

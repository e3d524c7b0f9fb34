// The file commands of group 0x12: questions about game files (found through the file layer,
// read only), the program's folders, and the commands that write, delete, rename or look for
// files on disk. Those take their paths through ScriptDiskPath: a relative path lies in the game
// folder, and writes reach only the folders that rule allows.
#include <array>
#include <cstring>
#include <iterator>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "os/encoding.h"
#include "os/plain_file.h"
#include "os/user_folders.h"
#include "program/commands/extra_commands.h"
#include "program/commands/token_file_commands.h"
#include "program/game/adv_context.h"
#include "program/game/game_task.h"
#include "program/savedata/access_file.h"
#include "program/script/command_args.h"
#include "program/script/script_names.h"
#include "program/script/script_paths.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

constexpr size_t kTextArgumentSize = 4096;
constexpr size_t kPathArgumentSize = 260;

// The file append_file writes to: set by truncate_file and append_set_file, kept for the whole
// process. The script runs on the main or the work thread, one at a time.
std::mutex g_append_mutex;  // guards g_append_file_name
std::string g_append_file_name;

void SetAppendFileName(const std::string& name) {
  std::lock_guard lock(g_append_mutex);
  g_append_file_name = name;
}

std::string AppendFileName() {
  std::lock_guard lock(g_append_mutex);
  return g_append_file_name;
}

bool IsStringVariable(uint32_t reference) {
  return (reference & kStringVariableBit) &&
         (reference & ~kStringVariableBit) < static_cast<uint32_t>(kStringVariableCount);
}

std::string PopText(AdvContext& context, size_t size) {
  return AdvGetStringText(context, static_cast<uint32_t>(PopArg(context)), size);
}

bool GameFileFound(const char* name, YelFileEntry* entry) {
  YelFile* file = yel::YelFileCreate(name, entry);
  if (!file) return false;
  yel::YelFileClose(file);
  return true;
}

int CmdFileExist(AdvContext& context) {
  const std::string name = PopText(context, kTextArgumentSize);
  const int32_t result = GameFileFound(name.c_str(), nullptr) ? 1 : 0;
  SetCommandResult(context, result);
  AdvDebugPrint(kLogTrace, "[%d] file_exist %s", result, name.c_str());
  return 1;
}

int CmdGetFileSize(AdvContext& context) {
  uint8_t name[kFileNameSize];
  AdvGetFileName(context, name, static_cast<uint32_t>(PopArg(context)), false);
  YelFileEntry entry{};
  const bool found = GameFileFound(reinterpret_cast<const char*>(name), &entry);
  SetCommandResult(context, found ? static_cast<int32_t>(entry.size) : -1);
  return 1;
}

// The access state of one reference: a "File.dat" entry's from the file-state map, a name that
// "File.dat" lacks from the access list. Nothing is marked.
uint8_t AccessStateOf(AdvContext& context, uint32_t reference) {
  AdvTaskData* data = context.task_data;
  if (!data || reference == kNoReference) return 0;
  int32_t number = static_cast<int32_t>(reference);
  if (reference & kStringVariableBit) {
    uint8_t name[kFileNameSize];
    AdvGetFileName(context, name, reference, false);
    number = FileListFind(context.lists, name);
    if (number < 0) {
      const char* text = reinterpret_cast<const char*>(name);
      const AccessRecord* record =
          AccessListFind(data->access, std::string_view(text, strnlen(text, kFileNameSize)));
      return record ? record->state : 0;
    }
  }
  return FileStateGet(data->system.file_state_map, static_cast<uint32_t>(number));
}

int CmdGetFileState(AdvContext& context) {
  const std::array<int32_t, 8> references = PopArgs<8>(context);
  int32_t state = 0;
  for (int32_t reference : references) {
    state |= AccessStateOf(context, static_cast<uint32_t>(reference));
  }
  SetCommandResult(context, state);
  return 1;
}

int CmdFileDelete(AdvContext& context) {
  const std::string path = PopText(context, kPathArgumentSize);
  const std::optional<std::string> disk = ScriptDiskPath("file_delete", path);
  const bool deleted = disk && os::RemoveFile(*disk);
  if (deleted) {
    AdvDebugPrint(kLogTrace, "Delete %s", path.c_str());
  } else {
    AdvDebugPrint(kLogError, "Can't Delete %s", path.c_str());
  }
  SetCommandResult(context, deleted ? 1 : 0);
  return 1;
}

// Like the system's move: the new name must not exist yet.
int CmdFileRename(AdvContext& context) {
  const std::string from = PopText(context, kPathArgumentSize);
  const std::string to = PopText(context, kPathArgumentSize);
  const std::optional<std::string> disk_from = ScriptDiskPath("file_rename", from);
  const std::optional<std::string> disk_to = ScriptDiskPath("file_rename", to);
  const bool renamed = disk_from && disk_to && os::RenameFileNoReplace(*disk_from, *disk_to);
  if (renamed) {
    AdvDebugPrint(kLogTrace, "Rename %s %s", from.c_str(), to.c_str());
  } else {
    AdvDebugPrint(kLogError, "Can't Rename %s %s", from.c_str(), to.c_str());
  }
  SetCommandResult(context, renamed ? 1 : 0);
  return 1;
}

std::string TempFolder() {
  return os::Utf8ToCp932(os::TempFolder());
}

struct FolderQuery {
  std::string (*folder)();
  const char* trace;
  const char* wrong_argument;  // UTF-8, logged in CP932
};

constexpr FolderQuery kFolderQueries[] = {
    {TempFolder, "Get Temp Folder %s", "Get Temp Folder : string型以外の型を指定しました。"},
    {[] { return Startup().save_folder; }, "Get Save Folder %s",
     "Get Save Folder : string型以外の型を指定しました。"},
    {[] { return Startup().program_folder; }, "Get Exe Folder %s",
     "Get Exe Folder : string型以外の型を指定しました。"},
};
enum FolderIndex { kTempFolder, kSaveFolder, kExeFolder };

template <FolderIndex kIndex>
int CmdGetFolder(AdvContext& context) {
  const FolderQuery& query = kFolderQueries[kIndex];
  const uint32_t dest = static_cast<uint32_t>(PopArg(context));
  if (!IsStringVariable(dest)) {
    AdvDebugPrint(kLogError, "%s", os::Sjis(query.wrong_argument));
    SetCommandResult(context, 0);
    return 1;
  }
  const std::string folder = query.folder();
  AdvSetVarString(context, dest, folder);
  SetCommandResult(context, 1);
  AdvDebugPrint(kLogTrace, query.trace, folder.c_str());
  return 1;
}

// "\n" becomes CR LF and "\'" a double quote; any other backslash stays as it is.
std::string TranslateSavedText(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    const char next = i + 1 < text.size() ? text[i + 1] : '\0';
    if (text[i] == '\\' && next == 'n') {
      out += "\r\n";
      ++i;
    } else if (text[i] == '\\' && next == '\'') {
      out += '"';
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

// Adds the text at the end of the file, creating it when missing.
int CmdTextFileSave(AdvContext& context) {
  const std::string path = PopText(context, kTextArgumentSize);
  const std::string text = PopText(context, kTextArgumentSize);
  const std::optional<std::string> disk = ScriptDiskPath("text_file_save", path);
  const std::string bytes = TranslateSavedText(text);
  if (!disk || !os::AppendToFile(*disk, bytes)) {
    AdvDebugPrint(kLogError, "Text File Save error [%s]", path.c_str());
    SetCommandResult(context, 0);
    return 1;
  }
  SetCommandResult(context, static_cast<int32_t>(bytes.size()));
  AdvDebugPrint(kLogTrace, "Text File Save [%s][%s]", path.c_str(), text.c_str());
  return 1;
}

// The name in a string variable (at most 259 bytes) becomes the append file; 0 with the
// command's line when the argument names no string variable.
bool TakeAppendFileName(AdvContext& context, uint32_t reference, const char* wrong_argument) {
  if (!IsStringVariable(reference)) {
    AdvDebugPrint(kLogError, "%s", os::Sjis(wrong_argument));
    SetCommandResult(context, 0);
    return false;
  }
  const char* text = AdvGetVarString(context, reference & ~kStringVariableBit);
  SetAppendFileName(std::string(text, strnlen(text, kPathArgumentSize - 1)));
  return true;
}

// Empties the file (or creates it empty); a file that cannot be opened is passed over.
int CmdTruncateFile(AdvContext& context) {
  const uint32_t reference = static_cast<uint32_t>(PopArg(context));
  if (!TakeAppendFileName(context, reference, "truncate_file 引数がstring型ではありません")) {
    return 0;
  }
  if (std::optional<std::string> disk = ScriptDiskPath("truncate_file", AppendFileName())) {
    os::EmptyFile(*disk);
  }
  return 1;
}

int CmdAppendSetFile(AdvContext& context) {
  const uint32_t reference = static_cast<uint32_t>(PopArg(context));
  return TakeAppendFileName(context, reference, "append_set_file 引数がstring型ではありません") ? 1
                                                                                                : 0;
}

// The text and a line end, written as a text-mode file writes them (every LF as CR LF).
int CmdAppendFile(AdvContext& context) {
  const std::string text = PopText(context, kTextArgumentSize);
  const std::string name = AppendFileName();
  std::string line;
  for (char c : text + "\n") line += c == '\n' ? std::string("\r\n") : std::string(1, c);
  const std::optional<std::string> disk =
      name.empty() ? std::nullopt : ScriptDiskPath("append_file", name);
  if (!disk || !os::AppendToFile(*disk, line)) {
    AdvDebugPrint(kLogError, "append_file open error %s", name.c_str());
    SetCommandResult(context, 0);
    return 0;
  }
  SetCommandResult(context, 1);
  AdvDebugPrint(kLogTrace, "[%d]append_file %s", static_cast<int32_t>(text.size()), text.c_str());
  return 1;
}

char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// A find pattern as the system matches names: "*" any run, "?" any one byte, letters without
// regard to case.
bool PatternMatches(std::string_view pattern, std::string_view name) {
  size_t p = 0, n = 0, star = std::string_view::npos, resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = n;
    } else if (p < pattern.size() &&
               (pattern[p] == '?' || AsciiLower(pattern[p]) == AsciiLower(name[n]))) {
      ++p;
      ++n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

// Whether a folder among the entries of the path's folder matches its last component.
bool FolderMatches(const std::string& disk_path) {
  const size_t slash = disk_path.rfind('/');
  const std::string folder = slash == 0 ? "/" : disk_path.substr(0, slash);
  const std::string pattern = disk_path.substr(slash + 1);
  std::vector<os::FolderEntry> entries;
  if (pattern.empty() || !os::ListFolder(folder, entries)) return false;
  for (const os::FolderEntry& entry : entries) {
    if (entry.is_folder && PatternMatches(pattern, entry.name)) return true;
  }
  return false;
}

int CmdDirExist(AdvContext& context) {
  const std::string path = PopText(context, kTextArgumentSize);
  if (path.size() >= kPathArgumentSize) {
    AdvDebugPrint(kLogError, "dir_exist: param size over");
    SetCommandResult(context, 0);
    return 0;
  }
  const std::optional<std::string> disk = ScriptDiskPath("dir_exist", path);
  const int32_t result = disk && FolderMatches(*disk) ? 1 : 0;
  SetCommandResult(context, result);
  AdvDebugPrint(kLogTrace, "[%d] dir_exist %s", result, path.c_str());
  return 1;
}

constexpr CommandSlot kFileCommands[] = {
    {0x08, CmdFileExist},               // file_exist
    {0x0C, CmdGetFileState},            // get_file_state
    {0x1E, CmdOpenFile},                // open_file
    {0x1F, CmdReadFile},                // read_file
    {0x20, CmdCloseFile},               // close_file
    {0x21, CmdSetFilePointer},          // set_file_pointer
    {0x22, CmdFileString},              // file_string
    {0x2F, CmdFileDelete},              // file_delete
    {0x31, CmdGetFolder<kTempFolder>},  // get_temp_folder
    {0x32, CmdGetFolder<kSaveFolder>},  // get_save_folder
    {0x33, CmdGetFolder<kExeFolder>},   // get_exe_folder
    {0x34, CmdFileRename},              // file_rename
    {0x37, CmdTextFileSave},            // text_file_save
    {0x71, CmdTruncateFile},            // truncate_file
    {0x72, CmdAppendSetFile},           // append_set_file
    {0x73, CmdAppendFile},              // append_file
    {0x74, CmdDirExist},                // dir_exist
    {0xA3, CmdGetFileSize},             // get_file_size
};

}  // namespace

// Constant-initialised: the group's table reads it before main.
constinit const CommandSlotList kFileCommandSlots = {kFileCommands, std::size(kFileCommands)};

}  // namespace adv

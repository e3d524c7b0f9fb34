#include "program/data/archive_list.h"

#include <filesystem>
#include <optional>
#include <system_error>

#include "os/debug_output.h"
#include "os/file_system.h"
#include "os/message_box.h"
#include "program/data/string_helpers.h"

namespace adv {
namespace {

void ShowArchiveError(const char* text) {
  os::ShowMessageBox(text, "error", os::BoxButtons::kOk, os::BoxIcon::kWarning);
}

void Mount(const MountAction& mount, const std::string& name) {
  if (!mount(name)) os::DebugOutputf("MountArchives: %s was not added\n", name.c_str());
}

// Whether the name (relative to the base folder, or absolute) is a folder, matched without
// regard to case as the file layer matches names.
bool FolderExists(const std::string& base_folder, const std::string& name) {
  const std::string path = os::DiskPath(name.front() == '/' ? name : base_folder + "/" + name);
  const std::string found = os::FindPathNoCase(path);
  std::error_code error;
  return !found.empty() && std::filesystem::is_directory(found, error);
}

}  // namespace

bool MountArchives(int row, const std::string& base_folder, const GameFileRead& read,
                   const MountAction& mount, MountErrors errors) {
  const auto fail = [errors](const char* text) {
    if (errors == MountErrors::kShowBox) ShowArchiveError(text);
    return false;
  };
  Mount(mount, "data");
  std::optional<std::string> text = read(base_folder + "/data/archive.dat", 0, kWholeFile);
  if (!text) text = read(base_folder + "/csv/archive.dat", 0, kWholeFile);
  if (!text) return fail("ArchiveData Fail");
  std::string field;
  if (row < 0 || StrGetField(field, *text, row, ',') == 0) return fail("ArchiveData Read Fail");
  StrTrim(field, "\r\n \t");
  std::string name;
  for (int index = 0; StrGetField(name, field, index, '|') != 0; ++index) {
    if (name.empty()) continue;
    Mount(mount, name);
    // Opens the archive now; what it holds is read later. A quiet look ahead leaves the report
    // to the mount that follows it.
    if (!read(name + ".pac", 0, 4) && errors == MountErrors::kShowBox &&
        !FolderExists(base_folder, name)) {
      os::DebugOutputf("MountArchives: neither a folder %s nor an archive %s.pac is there\n",
                       name.c_str(), name.c_str());
    }
  }
  return true;
}

}  // namespace adv

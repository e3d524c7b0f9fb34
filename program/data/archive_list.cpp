#include "program/data/archive_list.h"

#include <optional>

#include "os/debug_output.h"
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
    read(name + ".pac", 0, 4);  // opens the archive now; what it holds is read later
  }
  return true;
}

}  // namespace adv

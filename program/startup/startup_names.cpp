#include "program/startup/startup_names.h"

#include <cstdio>

#include "os/encoding.h"
#include "os/message_box.h"
#include "os/paths.h"
#include "program/data/archive_list.h"
#include "program/data/profile_reader.h"
#include "program/data/string_helpers.h"
#include "program/game/game_file_access.h"
#include "program/savedata/save_folder.h"
#include "program/startup/startup_options.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

constexpr const char* kStartupCaption = "起動エラー";

bool StartupError(const char* text) {
  os::ShowMessageBox(text, kStartupCaption, os::BoxButtons::kOk, os::BoxIcon::kQuestion);
  return false;
}

// Field `index` of a "/"-separated value without tabs.
std::string MakerField(const std::string& value, int index) {
  std::string field;
  StrGetField(field, value, index, '/');
  StrTrim(field, "\t");
  return field;
}

// Without the leading and trailing blanks, line ends, tabs, form feeds and vertical tabs.
std::string StrTrimCopy(const std::string& text) {
  const char* blanks = " \n\r\t\f\v";
  const size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return std::string();
  return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

bool ApplyVersionInfo(StartupNames& names) {
  const VersionInfo info = ReadVersionInfo(os::ExecutableFolder());
  if (info.company_name.empty()) {
    return StartupError("ファイル情報に会社名が見つかりませんでした。[0x0004]");
  }
  names.maker_folder = MakerField(info.company_name, 0);
  names.maker_sub_folder = MakerField(info.company_name, 1);
  if (info.product_name.empty()) {
    return StartupError("ファイル情報に製品名が見つかりませんでした。[0x0006]");
  }
  names.product_name = info.product_name;
  if (info.original_filename.empty()) {
    return StartupError("ファイル情報に実行ファイル名が見つかりませんでした。[0x0007]");
  }
  names.program_file_name = info.original_filename;
  const VersionKeywords keywords = ParseVersionKeywords(info.comments);
  ResolutionIndex = keywords.resolution_index;
  RubyEnabled = keywords.ruby_enabled;
  GrposEnabled = keywords.grpos_enabled;
  SkipInstanceCheck = keywords.skip_instance_check;
  if (keywords.no_window_choice) {
    NoWindowChoice = 1;
    yel::YelDisableChangeWindowMode(1);
    yel::YelSetDesktopRect(1, 1280, 720);
  }
  return true;
}

// The search folders of archive row 0, just long enough to read "System.ini". The run mounts the
// same row again once the platform has started and tells the player there when "archive.dat"
// is missing or broken, so this look ahead keeps quiet: one fault, one box.
void ReadSystemIniFromArchives(const std::string& program_folder) {
  yel::YelSystemPathInit();
  MountArchives(
      0, program_folder, GameFileReader(),
      [](const std::string& name) { return yel::YelSystemPathSet(name.c_str()) != 0; },
      MountErrors::kQuiet);
  SystemIniRead();
  yel::YelSystemPathUninit();
}

bool CreateSaveFolder(const std::string& folder) {
  if (os::CreateFolders(os::Cp932ToUtf8(folder))) return true;
  char text[1024];
  std::snprintf(text, sizeof text,
                "セーブフォルダの作成に失敗しました。\nフォルダの指定先を確認してください。\n%s",
                os::Cp932ToUtf8(folder).c_str());
  os::ShowMessageBox(text, kStartupCaption, os::BoxButtons::kOk, os::BoxIcon::kWarning);
  return false;
}

}  // namespace

StartupNames& Startup() {
  static StartupNames names;
  return names;
}

void SystemIniRead() {
  StartupNames& names = Startup();
  const GameFileRead read = GameFileReader();
  std::string value;
  ProfileGetString("initialize", "PRODUCT_NAME", "", value, "System.ini", read);
  if (std::string product = StrTrimCopy(value); !product.empty()) names.product_name = product;
  ProfileGetString("initialize", "COMPANY_NAME", "", value, "System.ini", read);
  if (!StrTrimCopy(value).empty()) {
    names.maker_folder = StrTrimCopy(MakerField(value, 0));
    names.maker_sub_folder = StrTrimCopy(MakerField(value, 1));
  }
  const std::string path = os::ExecutablePath();
  const std::string file = os::Utf8ToCp932(path.substr(path.rfind('/') + 1));
  if (!file.empty() && file.size() < 260) names.program_file_name = file;
}

bool StartupInfoRead() {
  StartupNames& names = Startup();
  names = StartupNames{};
  names.program_folder = os::Utf8ToCp932(os::ExecutableFolder());
  names.save_folder = names.program_folder + "/save";
  if (!ApplyVersionInfo(names)) return false;
  ReadSystemIniFromArchives(names.program_folder);
  names.save_folder = SaveFolderSetup(
      SaveFolderParams(names.program_folder, names.maker_folder, names.maker_sub_folder,
                       names.program_file_name, names.product_name));
  return os::IsFolder(os::Cp932ToUtf8(names.save_folder)) || CreateSaveFolder(names.save_folder);
}

}  // namespace adv

#include "program/startup/program_folder_check.h"

#include <cstdio>

#include "os/encoding.h"
#include "os/message_box.h"
#include "os/paths.h"

namespace adv {
namespace {

constexpr const char* kFolderCaption = "エラー フォルダー名";

bool StartsDoubleByte(unsigned char byte) {
  return (byte >= 0x80 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xEF);
}

}  // namespace

std::string ProgramPathCp932() { return os::Utf8ToCp932(os::ExecutablePath()); }

size_t FindForeignCharacter(const std::string& folder) {
  for (size_t i = 0; i < folder.size(); ++i) {
    const auto byte = static_cast<unsigned char>(folder[i]);
    if (StartsDoubleByte(byte)) {
      ++i;  // the trail byte may be anything, "?" included
    } else if (folder[i] == '?') {
      return i;
    }
  }
  return std::string::npos;
}

bool ProgramFolderCheck(const std::string& program_path) {
  if (program_path.size() >= kMaxProgramPath) {
    os::ShowMessageBox(
        "フォルダー名が長すぎます。フォルダー名を短くするか、フォルダー階層の浅い場所へ移動し、"
        "起動してください。",
        kFolderCaption, os::BoxButtons::kOk, os::BoxIcon::kError);
    return false;
  }
  const size_t slash = program_path.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : program_path.substr(0, slash);
  if (FindForeignCharacter(folder) == std::string::npos) return true;
  char text[1024];
  std::snprintf(text, sizeof text,
                "フォルダー名に SHIFT-JIS 以外の文字コードが入っています。\nSHIFT-JISの文字コード"
                "以外を削除(下記の ? の辺り)、\nまたは、インストール先を変更して起動してください。"
                "\n\n%s",
                os::Cp932ToUtf8(folder).c_str());
  os::ShowMessageBox(text, kFolderCaption, os::BoxButtons::kOk, os::BoxIcon::kError);
  return false;
}

}  // namespace adv

#include "program/startup/debug_pages_open.h"

#include <string>

#include "os/encoding.h"
#include "os/ini_file.h"
#include "os/paths.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

struct PageRow {
  const char* ini_key;
  int32_t key;
  const char* title_utf8;
  int32_t kind;
};

constexpr PageRow kPages[] = {
    {"History", 10, "履歴", 1},
    {"UserMemory", 11, "ユーザーメモリ", 3},
    {"SystemMemory", 12, "システムメモリ", 3},
    {"TempMemory", 13, "テンポラリメモリ", 3},
    {"SE", 14, "ＳＥチャンネル", 3},
    {"BGM", 15, "ＢＧＭチャンネル", 3},
    {"Output", 16, "output", 1},
    {"BGV", 19, "ＢＧＶチャンネル", 3},
};

}  // namespace

void DebugPagesOpen() {
  const std::string path = os::Cp932ToUtf8(yel::YelGetFilePath()) + "/setting.ini";
  for (const PageRow& page : kPages) {
    if (os::ReadIniInt(path, "DebugWindow", page.ini_key, 1) == 0) continue;
    yel::YelDebugWindowCreate(page.key, os::Utf8ToCp932(page.title_utf8).c_str(), page.kind);
  }
  if (os::IsFile(path)) return;
  for (const PageRow& page : kPages) yel::YelDebugWindowToggleControl(page.key);
}

}  // namespace adv

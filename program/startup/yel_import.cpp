#include "program/startup/yel_import.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "os/message_box.h"
#include "os/paths.h"
#include "os/shared_library.h"

namespace yel {
namespace {

os::SharedLibrary& Library() {
  static os::SharedLibrary library;
  return library;
}

}  // namespace

bool LoadLibraryFrom(const std::string& path) { return Library().Open(path); }

bool LoadLibrary() {
  const std::string path = os::ExecutableFolder() + "/dll/libyel.so";
  if (Library().Open(path)) return true;
  std::fprintf(stderr, "%s: %s\n", path.c_str(), Library().Error().c_str());
  // The box names the file that was looked for.
  os::ShowMessageBox("dll/libyel.so が見つかりません", "DLL NOT FOUND", os::BoxButtons::kOk,
                     os::BoxIcon::kError);
  return false;
}

void* BindExport(const char* name) {
  void* address = Library().Symbol(name);
  if (address) return address;
  // A library without an export the program needs is not the library it was built for.
  os::ShowMessageBox(std::string(name) + " NOT FOUND", "dll/libyel.so", os::BoxButtons::kOk,
                     os::BoxIcon::kError);
  std::_Exit(1);
}

}  // namespace yel

#include "os/shared_library.h"

#include <dlfcn.h>

namespace os {

SharedLibrary::~SharedLibrary() {
  if (handle_) dlclose(handle_);
}

bool SharedLibrary::Open(const std::string& path) {
  // Kept mapped after the close: the libraries it pulls in keep data of their own in globals,
  // and unmapping them at exit would make that data look leaked to the leak checker.
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (!handle_) {
    const char* text = dlerror();
    error_ = text ? text : "unknown error";
  }
  return handle_ != nullptr;
}

void* SharedLibrary::Symbol(const char* name) const {
  return handle_ ? dlsym(handle_, name) : nullptr;
}

}  // namespace os

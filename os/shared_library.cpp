#include "os/shared_library.h"

#include <dlfcn.h>

namespace os {

SharedLibrary::~SharedLibrary() {
  if (handle_) dlclose(handle_);
}

bool SharedLibrary::Open(const std::string& path) {
  handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
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

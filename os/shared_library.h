// Loading a shared library and looking up its exports by name.
#pragma once

#include <string>

namespace os {

class SharedLibrary {
 public:
  SharedLibrary() = default;
  ~SharedLibrary();
  SharedLibrary(const SharedLibrary&) = delete;
  SharedLibrary& operator=(const SharedLibrary&) = delete;

  bool Open(const std::string& path);
  bool IsOpen() const { return handle_ != nullptr; }
  // The address of an exported symbol, or null.
  void* Symbol(const char* name) const;
  // The loader's text for the last failure.
  const std::string& Error() const { return error_; }

 private:
  void* handle_ = nullptr;
  std::string error_;
};

}  // namespace os

#include "YEL/files/file_names.h"

#include <cstring>

namespace yel {
namespace {

// The index just past the last separator of `path` (0 when there is none). A double-byte
// character is stepped over whole, even when its lead byte is the last byte.
size_t AfterLastSeparator(std::string_view path) {
  size_t after = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    const auto byte = static_cast<uint8_t>(path[i]);
    if (IsSjisLead(byte)) {
      ++i;
    } else if (byte == '\\' || byte == '/') {
      after = i + 1;
    }
  }
  return after;
}

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::string YelFileNamePart(std::string_view path) {
  const std::string_view name = path.substr(AfterLastSeparator(path));
  return name.size() >= kMaxFileNameBytes ? std::string() : std::string(name);
}

std::string YelFolderPart(std::string_view path) {
  const size_t after = AfterLastSeparator(path);
  if (after == 0) return std::string();
  if (after == 1) return std::string(path.substr(0, 1));  // the root keeps its separator
  const std::string_view folder = path.substr(0, after - 1);
  return folder.size() >= kMaxFolderBytes ? std::string() : std::string(folder);
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (!path.empty() && path.back() != '/' && path.back() != '\\') path += '/';
  path += name;
  return path;
}

int YelPathHasExtension(const char* path, const char* extension) {
  if (!path || !extension || path[0] == '\0') return 0;
  const char* dot = std::strrchr(path + 1, '.');
  if (!dot) return 0;
  const char* a = dot + 1;
  const char* b = extension;
  for (; *a && *b; ++a, ++b) {
    if (LowerAscii(*a) != LowerAscii(*b)) return 0;
  }
  return *a == '\0' && *b == '\0' ? 1 : 0;
}

int YelCopyTagText(char* destination, size_t destination_size, const char* text) {
  size_t read = 0;
  size_t written = 0;
  const bool copy = destination && destination_size > 0;
  bool full = false;  // once a piece did not fit, nothing after it is copied either
  while (text && text[read] != '\0' && text[read] != '>') {
    // A lead byte takes the byte after it, unless that is the terminator.
    const bool pair = static_cast<uint8_t>(text[read]) >= 0x80 && text[read + 1] != '\0';
    const size_t width = pair ? 2 : 1;
    full = full || !copy || written + width >= destination_size;
    if (!full) {
      std::memcpy(destination + written, text + read, width);
      written += width;
    }
    read += width;
  }
  if (copy) destination[written] = '\0';
  return static_cast<int>(read + 1);
}

}  // namespace yel

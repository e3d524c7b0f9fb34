#include "os/ini_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "os/plain_file.h"

namespace os {
namespace {

std::string Trim(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return std::string();
  const size_t last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 32);
    if (x != y) return false;
  }
  return true;
}

// The lines of the file, through the reader the save folder uses: only a regular file of at
// most kIniFileLimit bytes is read, so a FIFO or a device in its place is refused at once
// instead of blocking or being read without end.
FileReadStatus ReadLines(const std::string& path, std::vector<std::string>& lines) {
  lines.clear();
  std::string data;
  const FileReadStatus status = ReadWholeFile(path, data, kIniFileLimit);
  if (status != FileReadStatus::kOk) return status;
  std::istringstream in(data);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return status;
}

// "[name]" gives name; any other line gives nothing.
bool SectionName(const std::string& line, std::string& name) {
  const std::string t = Trim(line);
  if (t.size() < 2 || t.front() != '[' || t.back() != ']') return false;
  name = Trim(t.substr(1, t.size() - 2));
  return true;
}

bool KeyValue(const std::string& line, std::string& key, std::string& value) {
  const size_t eq = line.find('=');
  if (eq == std::string::npos) return false;
  key = Trim(line.substr(0, eq));
  value = Trim(line.substr(eq + 1));
  return true;
}

}  // namespace

std::string ReadIniString(const std::string& path, const std::string& section,
                          const std::string& key, const std::string& fallback) {
  bool inside = false;
  std::vector<std::string> lines;
  ReadLines(path, lines);
  for (const std::string& line : lines) {
    std::string name, k, v;
    if (SectionName(line, name)) {
      inside = SameName(name, section);
    } else if (inside && KeyValue(line, k, v) && SameName(k, key)) {
      return v;
    }
  }
  return fallback;
}

int ReadIniInt(const std::string& path, const std::string& section, const std::string& key,
               int fallback) {
  const std::string text = ReadIniString(path, section, key, std::string());
  if (text.empty()) return fallback;
  return static_cast<int>(std::strtol(text.c_str(), nullptr, 10));
}

bool WriteIniString(const std::string& path, const std::string& section, const std::string& key,
                    const std::string& value) {
  std::vector<std::string> lines;
  // A file that is there but cannot be read whole is not replaced by one that lacks its lines.
  const FileReadStatus status = ReadLines(path, lines);
  if (status != FileReadStatus::kOk && status != FileReadStatus::kMissing) return false;
  const std::string entry = key + "=" + value;
  bool inside = false;
  bool replaced = false;
  size_t insert_at = std::string::npos;  // after the last non-blank line of the section
  for (size_t i = 0; i < lines.size() && !replaced; ++i) {
    std::string name, k, v;
    if (SectionName(lines[i], name)) {
      if (inside) break;
      inside = SameName(name, section);
      if (inside) insert_at = i + 1;
    } else if (inside && KeyValue(lines[i], k, v) && SameName(k, key)) {
      lines[i] = entry;
      replaced = true;
    } else if (inside && !Trim(lines[i]).empty()) {
      insert_at = i + 1;
    }
  }
  if (!replaced && insert_at != std::string::npos) {
    lines.insert(lines.begin() + static_cast<long>(insert_at), entry);
  } else if (!replaced) {
    lines.push_back("[" + section + "]");
    lines.push_back(entry);
  }
  std::string data;
  for (const std::string& line : lines) data += line + "\r\n";
  return WriteFileAtomically(path, data);
}

namespace {

// The rename lives in the folder's entries: until they reach the disk, a power cut can bring back
// the old file (or none). A folder that cannot be synced (some file systems refuse) still has the
// file itself written whole, so that is no failure.
void SyncFolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "."
                             : slash == 0               ? "/"
                                                        : path.substr(0, slash);
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

bool WriteFileAtomically(const std::string& path, const std::string& data) {
  const std::string temp = path + ".tmp";
  // A fresh temporary file every time: whatever a crash or anyone else left under that name (a
  // FIFO would block the open, a link would send the bytes elsewhere) goes first.
  ::unlink(temp.c_str());
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  const bool ok = WriteAll(fd, data) && ::fsync(fd) == 0;
  ::close(fd);
  if (!ok || std::rename(temp.c_str(), path.c_str()) != 0) {
    std::remove(temp.c_str());
    return false;
  }
  SyncFolderOf(path);
  return true;
}

}  // namespace os

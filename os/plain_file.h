// Plain files of the local file system, for what the engine keeps in its own folders (the save
// folder): whole-file reads that tell a missing file from one that could not be read, folder
// listings and removal. Paths are UTF-8 as the file system takes them.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace os {

enum class FileReadStatus {
  kOk,
  kMissing,  // nothing of that name (or a folder on the way is missing)
  kFailed,   // it exists but could not be opened or read whole
  kRefused,  // not a regular file (a folder, FIFO, device or socket), or longer than allowed
};

// Reads a regular file of at most `max_size` bytes. Anything else is refused at once without
// being read: a FIFO would block the caller until a writer comes, and a device such as
// /dev/zero never ends. A link counts as what it points at.
FileReadStatus ReadWholeFile(const std::string& path, std::string& data, size_t max_size);

struct FolderEntry {
  std::string name;
  bool is_folder;  // a folder itself; a link counts as what it is, not what it points at
};

// The entries of a folder without "." and ".."; false when the folder cannot be listed.
bool ListFolder(const std::string& path, std::vector<FolderEntry>& entries);
bool RemoveFile(const std::string& path);
// Renames over `to` when it exists.
bool RenameFile(const std::string& from, const std::string& to);
// Renames only when nothing is called `to` yet; false when something is, in one step, so no
// file that appears in between is replaced.
bool RenameFileNoReplace(const std::string& from, const std::string& to);

// Writes all of `data` to an open descriptor, going on after interrupted writes; false when a
// write fails.
bool WriteAll(int fd, std::string_view data);
// Appends `data` to a regular file, creating it when missing. Only bytes at the end are added: a
// crash can cut the new bytes short but never touches what the file held. False when the path is
// no regular file or a write fails.
bool AppendToFile(const std::string& path, std::string_view data);
// Empties a regular file, creating it when missing; false when that cannot be done.
bool EmptyFile(const std::string& path);

}  // namespace os

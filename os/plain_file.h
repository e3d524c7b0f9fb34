// Plain files of the local file system, for what the engine keeps in its own folders (the save
// folder): whole-file reads that tell a missing file from one that could not be read, folder
// listings and removal. Paths are UTF-8 as the file system takes them.
#pragma once

#include <string>
#include <vector>

namespace os {

enum class FileReadStatus {
  kOk,
  kMissing,  // nothing of that name (or a folder on the way is missing)
  kFailed,   // it exists but could not be opened or read whole
};

FileReadStatus ReadWholeFile(const std::string& path, std::string& data);

struct FolderEntry {
  std::string name;
  bool is_folder;  // a folder itself; a link counts as what it is, not what it points at
};

// The entries of a folder without "." and ".."; false when the folder cannot be listed.
bool ListFolder(const std::string& path, std::vector<FolderEntry>& entries);
bool RemoveFile(const std::string& path);
// Renames over `to` when it exists.
bool RenameFile(const std::string& from, const std::string& to);

}  // namespace os

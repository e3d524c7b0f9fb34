// Folders and paths of the running program.
#pragma once

#include <string>

namespace os {

// The folder that holds the running executable (no trailing slash).
std::string ExecutableFolder();
// Creates a folder and its missing parents; true when the folder exists afterwards.
bool CreateFolders(const std::string& path);
bool IsFolder(const std::string& path);
bool IsFile(const std::string& path);

}  // namespace os

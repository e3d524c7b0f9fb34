// Folders and paths of the running program.
#pragma once

#include <string>

namespace os {

// The full path of the running executable, and the folder that holds it (no trailing slash).
std::string ExecutablePath();
std::string ExecutableFolder();
// Creates a folder and its missing parents; true when the folder exists afterwards.
bool CreateFolders(const std::string& path);
bool IsFolder(const std::string& path);
bool IsFile(const std::string& path);

}  // namespace os

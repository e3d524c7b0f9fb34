// The base folder (the folder of the main program) and the search folders for game files.
//
// Both are process-wide: the main program fills the search folders before YelInit as well as
// after it. Folder strings kept here are engine strings (CP932 bytes); the base folder is also
// kept as the path on disk for the library's own files (settings, debug report).
#pragma once

#include <string>
#include <vector>

namespace yel {

// The base folder as a path on disk, taken from the program's location the first time it is
// needed.
std::string BaseFolder();
// The base folder as an engine string, the form YelGetFilePath hands out.
std::string BaseFolderForNames();
// Replaces the base folder (a path on disk); tests point it at a folder of their own.
void SetBaseFolder(const std::string& folder);

// A copy of the search folders in search order, the folder added last first. Searches work on
// the copy, so another thread may change the folders meanwhile.
std::vector<std::string> SearchFolders();

// Starts and ends the search-folder list with the system record.
bool SystemPathInit();
void SystemPathRelease();

}  // namespace yel

// The base folder (the folder of the main program) and the search folders for game files.
#pragma once

#include <string>

namespace yel {

// The base folder, taken from the program's location the first time it is needed.
const std::string& BaseFolder();
// Replaces the base folder; tests point it at a folder of their own.
void SetBaseFolder(const std::string& folder);

// Starts and ends the search-folder list.
bool SystemPathInit();
void SystemPathRelease();

}  // namespace yel

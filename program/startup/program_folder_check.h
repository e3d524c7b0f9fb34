// The checks of the program's own location made before anything else starts.
#pragma once

#include <string>

namespace adv {

inline constexpr size_t kMaxProgramPath = 260;

// The program's path as engine text (CP932); characters CP932 cannot write become "?".
std::string ProgramPathCp932();

// True when the path is short enough and its folder holds only characters CP932 can write;
// otherwise shows the matching box and returns false.
bool ProgramFolderCheck(const std::string& program_path_cp932);

// The position of the first "?" standing for a character outside CP932, or npos. A "?" that is
// the second byte of a double-byte character does not count.
size_t FindForeignCharacter(const std::string& folder_cp932);

}  // namespace adv

// Where the script may write: file names that scripts hand to the writing commands are kept
// inside the game's folders, whatever they say, and the process's working folder is never
// involved.
#pragma once

#include <string>
#include <string_view>

namespace adv {

// True for a name that stays below the folder it is taken in: not empty, not absolute (no
// leading "\" or "/", no drive letter) and without a ".." component. "\" and "/" both separate
// components.
bool StaysInsideFolder(std::string_view name);

// The disk path for a file a script writes, or empty when the name would leave the game's
// folders. A relative name is taken in the base folder (where the game's files are); an absolute
// one must lie inside the save folder or the base folder, compared without regard to ASCII case
// because scripts often pass upper-cased names. An existing file whose name differs only in case
// is the one written.
std::string ScriptWritePath(std::string_view engine_name);

}  // namespace adv

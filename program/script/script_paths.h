// Paths that scripts hand to the commands that write, delete, rename or look for files on disk.
// A relative path lies in the game folder (the program's folder), where the file layer finds
// game files. A script reaches the game and save folders, the temporary folder and the user's
// documents, desktop, pictures, music and videos folders: whatever a script says, it cannot touch
// the player's other files. The process's working folder is never read or changed.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace adv {

// The disk path (UTF-8, "/" between components) of a script's path (CP932, "\" or "/" between
// components). A relative path is taken in the game folder; an absolute one must lie in one of
// the folders above. Components that exist are matched without regard to case, as the file layer
// matches names. Refused, with "<command>: path refused [<path>]" at level 0: an empty path, a
// ".." component, a drive letter, an absolute path anywhere else, a path that a link inside the
// folders leads elsewhere, and a device, FIFO or socket.
std::optional<std::string> ScriptDiskPath(const char* command, std::string_view path);

}  // namespace adv

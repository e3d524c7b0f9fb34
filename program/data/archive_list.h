// "archive.dat": which ".pac" archives each row of the game mounts. The text is a list of fields
// separated by ","; field n is the "|"-separated list of archives of row n, and row 0 is mounted
// at start. Fields are counted over the whole text, so line breaks are ordinary characters; CR,
// LF, blanks and tabs inside the chosen field are removed before it is split.
#pragma once

#include <functional>
#include <string>

#include "program/data/game_files.h"

namespace adv {

// Adds a name to the search folders: the folder of that name, or the archive of that name with
// ".pac", under the base folder; each added name is searched before those added earlier.
using MountAction = std::function<bool(const std::string& name)>;

enum class MountErrors {
  kShowBox,
  kQuiet,  // for a look ahead whose failure the player is told about by a later mount
};

// Mounts "data", then the archives of row `row` of "archive.dat" (read from the folder "data" of
// the base folder, else from "csv") in their order, so the last is searched first. Each archive is
// touched once through `read` so that it is opened while start-up runs. False, after a box unless
// quiet, when the file cannot be read or has no such row.
bool MountArchives(int row, const std::string& base_folder, const GameFileRead& read,
                   const MountAction& mount, MountErrors errors = MountErrors::kShowBox);

}  // namespace adv

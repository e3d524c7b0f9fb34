// The game's files as the main program reads them: through the platform library's file layer
// (search folders, archives, the base folder), and the platform's error log.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "program/data/game_files.h"

namespace adv {

// Up to `length` bytes from `offset` of a game file's data, or nullopt when it is found nowhere.
std::optional<std::string> ReadGameFile(const std::string& name, uint64_t offset, size_t length);
// The whole data of a game file as bytes.
std::optional<std::vector<uint8_t>> ReadGameFileBytes(const std::string& name);

GameFileRead GameFileReader();
ErrorLog PlatformErrorLog();

}  // namespace adv

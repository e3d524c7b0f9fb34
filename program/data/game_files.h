// How engine code reaches the game's data and the platform's error log without depending on the
// platform library: the caller hands in functions. The program binds them to the file layer
// (search folders, archives, the base folder) and to the error log; tests bind them to plain
// files and a vector of lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace adv {

// Up to `length` bytes from `offset` of a game file's entry (a plain file or an archive entry;
// fewer when the entry ends first), or nullopt when the file cannot be opened. Names are CP932.
using GameFileRead = std::function<std::optional<std::string>(const std::string& name,
                                                              uint64_t offset, size_t length)>;
inline constexpr size_t kWholeFile = SIZE_MAX;

// One line of the error log, in CP932.
using ErrorLog = std::function<void(const std::string& line)>;

}  // namespace adv

// Names of the script commands, so sources can write "cmd text(...)" instead of a code.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace advasm {

struct CommandName {
  std::string_view name;
  uint32_t code;
};

// The code of a named command, or none.
std::optional<uint32_t> FindCommand(std::string_view name);
// The name of a command code, or an empty view when it has none.
std::string_view CommandNameOf(uint32_t code);

}  // namespace advasm

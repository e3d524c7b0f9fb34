// The engine's own reader of INI profiles ("[section]" headers, "key=value" lines), used for
// "System.ini" at start-up and by the profile commands of the script. It reads the whole file
// through the game's file layer and scans the bytes; writing is not its business.
//
// How it reads a profile: the section header is "[name]", wherever it stands in its line,
// outside ";" comments; the section's body begins on the next line and ends at a line that
// begins with "[". A key line is one with an "="; it matches when the text before the "=",
// without the blanks around it, is the key. Section and key names compare without regard to
// ASCII case, as the profile writer compares them. The first match wins, and its raw value runs
// from the first byte after "=" that is not blank to the end of the line, line end included.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "program/data/game_files.h"

namespace adv {

// Offset of the first body line of `section` in the text, or a value of at least text.size()
// when the section is not there.
size_t ProfileFindSection(std::string_view section, std::string_view text);

// The lookup over a profile's bytes: 0 when the section is missing (or its header is the last
// line) or another section begins before the key; 1 otherwise, with `out` set to the raw value
// when the key has one and left untouched when its line has no value or no line matches.
int ProfileReadText(std::string_view section, std::string_view key, std::string& out,
                    std::string_view text);

// ProfileReadText over the file read whole through `read`; 0 when the file cannot be opened.
int ProfileReadString(std::string_view section, std::string_view key, std::string& out,
                      const std::string& file_name, const GameFileRead& read);

// The value, or `default_value` when the file, section, key or value is missing; either way
// without trailing blanks and, when it is enclosed in double quotes, without them. Returns the
// length of `out`.
size_t ProfileGetString(std::string_view section, std::string_view key,
                        std::string_view default_value, std::string& out,
                        const std::string& file_name, const GameFileRead& read);

// Where the profile commands look for a profile: the file of that name in the save folder when
// it exists, else in the base folder when it exists, else the name as given (which the file layer
// then looks for in the search folders and archives). Paths are CP932.
std::string ResolveProfilePath(const std::string& save_folder, const std::string& base_folder,
                               const std::string& name);

}  // namespace adv

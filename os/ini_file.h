// INI files as the engine's settings use them: "[section]" headers and "key=value" lines;
// sections and keys match without regard to ASCII case.
#pragma once

#include <cstddef>
#include <string>

namespace os {

// The longest INI file read. A longer file, or anything but a regular file (a FIFO, a device, a
// folder), is read as if it were missing and never written over.
inline constexpr size_t kIniFileLimit = 1 << 20;

// The value of a key, or `fallback` when the file, section or key is missing.
std::string ReadIniString(const std::string& path, const std::string& section,
                          const std::string& key, const std::string& fallback);
int ReadIniInt(const std::string& path, const std::string& section, const std::string& key,
               int fallback);
// Sets a key, keeping every other line; the file is replaced whole through a temporary file.
// False, with nothing written, when the file exists but cannot be read whole.
bool WriteIniString(const std::string& path, const std::string& section, const std::string& key,
                    const std::string& value);

// Writes `data` to `path` through a temporary file in the same folder that is flushed and then
// renamed over the old file, so a crash never leaves a half-written file behind.
bool WriteFileAtomically(const std::string& path, const std::string& data);

}  // namespace os

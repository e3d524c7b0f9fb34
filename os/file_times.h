// Last-write times of files: read as local calendar time (what a save screen shows) and kept
// across an in-place change of a file (a changed lock word must not make a save look newer).
#pragma once

#include <cstdint>
#include <string>

namespace os {

struct FileTime {
  int64_t seconds = 0;      // since 1970-01-01 UTC
  int64_t nanoseconds = 0;  // 0 to 999,999,999
};

struct LocalDateTime {
  int32_t year = 0;     // all digits, e.g. 2024
  int32_t month = 0;    // 1 to 12
  int32_t day = 0;      // 1 to 31
  int32_t weekday = 0;  // 0 Sunday to 6 Saturday
  int32_t hour = 0;
  int32_t minute = 0;
  int32_t second = 0;
};

// The last-write time of a file (a link counts as what it points at); false when it has none.
bool FileModifiedTime(const std::string& path, FileTime& time);
// Sets the last-write time (and the access time to the same value).
bool SetFileModifiedTime(const std::string& path, const FileTime& time);
// A time in the local time zone.
LocalDateTime ToLocalDateTime(const FileTime& time);

}  // namespace os

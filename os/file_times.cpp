#include "os/file_times.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <ctime>

namespace os {

bool FileModifiedTime(const std::string& path, FileTime& time) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  time.seconds = static_cast<int64_t>(st.st_mtim.tv_sec);
  time.nanoseconds = static_cast<int64_t>(st.st_mtim.tv_nsec);
  return true;
}

bool SetFileModifiedTime(const std::string& path, const FileTime& time) {
  struct timespec times[2];
  times[0].tv_sec = static_cast<time_t>(time.seconds);
  times[0].tv_nsec = static_cast<long>(time.nanoseconds);
  times[1] = times[0];
  return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

LocalDateTime ToLocalDateTime(const FileTime& time) {
  const time_t seconds = static_cast<time_t>(time.seconds);
  struct tm local {};
  localtime_r(&seconds, &local);
  LocalDateTime out;
  out.year = local.tm_year + 1900;
  out.month = local.tm_mon + 1;
  out.day = local.tm_mday;
  out.weekday = local.tm_wday;
  out.hour = local.tm_hour;
  out.minute = local.tm_min;
  out.second = local.tm_sec;
  return out;
}

}  // namespace os

// What the system reports about itself, and the desktop's opener when it is missing.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "os/display_modes.h"
#include "os/shell_open.h"
#include "os/system_info.h"

namespace {

namespace fs = std::filesystem;

TEST(SystemInfo, MemoryFiguresHangTogether) {
  os::MemoryStatus memory;
  ASSERT_TRUE(os::QueryMemoryStatus(&memory));
  EXPECT_GT(memory.total_physical, 0u);
  EXPECT_LE(memory.available_physical, memory.total_physical);
  EXPECT_LE(memory.load_percent, 100u);
  EXPECT_GE(memory.total_page_file, memory.total_physical);
  EXPECT_GE(memory.available_page_file, memory.available_physical);
  // This process uses part of its address space (under a sanitizer, its shadow may take all).
  EXPECT_LT(memory.available_virtual, memory.total_virtual);
}

TEST(SystemInfo, DiskSpaceOfAFolderAndOfNone) {
  os::DiskSpace disk;
  ASSERT_TRUE(os::QueryDiskSpace(fs::temp_directory_path().string(), &disk));
  EXPECT_GT(disk.total, 0u);
  EXPECT_LE(disk.free_to_caller, disk.total_free);
  EXPECT_LE(disk.total_free, disk.total);

  for (const std::string& path :
       {std::string(), (fs::temp_directory_path() / "no/such").string()}) {
    os::DiskSpace none{1, 2, 3};
    EXPECT_FALSE(os::QueryDiskSpace(path, &none)) << path;
    EXPECT_EQ(none.total, 0u) << path;
  }
}

TEST(SystemInfo, VersionIsTheKernelRelease) {
  utsname name{};
  ASSERT_EQ(uname(&name), 0);
  const os::SystemVersion version = os::QuerySystemVersion();
  char release[64];
  std::snprintf(release, sizeof release, "%u.%u", version.major, version.minor);
  EXPECT_EQ(std::string(name.release).rfind(release, 0), 0u) << name.release;
}

TEST(SystemInfo, NetworkBitsAreLanOrWan) {
  uint32_t bits = 0xFF;
  ASSERT_TRUE(os::QueryNetworkBits(&bits));
  EXPECT_EQ(bits & ~uint32_t{os::kNetworkLan | os::kNetworkWan}, 0u);
}

// Displays exist only while the video system runs; one beyond the count is none.
TEST(SystemInfo, DisplayModesOfTheDisplaysThere) {
  const int count = os::DisplayCount();
  os::DisplayMode mode{1, 2, 3};
  EXPECT_FALSE(os::CurrentDisplayMode(count, &mode));
  EXPECT_EQ(mode.width, 0);
  EXPECT_FALSE(os::CurrentDisplayMode(-1, &mode));
  if (count > 0) {
    ASSERT_TRUE(os::CurrentDisplayMode(0, &mode));
    EXPECT_GT(mode.width, 0);
    EXPECT_GT(mode.height, 0);
  }
}

TEST(ShellOpen, AMissingOpenerIsReported) {
  const fs::path empty = fs::temp_directory_path() / ("no_opener_" + std::to_string(getpid()));
  fs::create_directories(empty);
  const char* path = std::getenv("PATH");
  const std::string saved = path ? path : "";
  setenv("PATH", empty.c_str(), 1);
  const os::ShellOpenResult result = os::ShellOpen("/tmp/x.txt");
  setenv("PATH", saved.c_str(), 1);
  fs::remove_all(empty);
  EXPECT_EQ(result, os::ShellOpenResult::kNoOpener);
}

}  // namespace

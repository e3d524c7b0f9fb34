#include "os/system_info.h"

#include <ifaddrs.h>
#include <net/if.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/statvfs.h>
#include <sys/sysinfo.h>
#include <sys/utsname.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace os {
namespace {

// The user half of the address space of a 64-bit process (47 bits), where no limit is set.
constexpr uint64_t kUserAddressSpace = uint64_t{1} << 47;

// A "Key:   1234 kB" line of a /proc status file, in bytes; false when the key is missing.
bool ReadKibField(const char* path, const char* key, uint64_t* bytes) {
  FILE* file = std::fopen(path, "r");
  if (!file) return false;
  const size_t key_length = std::strlen(key);
  char line[256];
  bool found = false;
  while (!found && std::fgets(line, sizeof line, file)) {
    if (std::strncmp(line, key, key_length) != 0 || line[key_length] != ':') continue;
    *bytes = std::strtoull(line + key_length + 1, nullptr, 10) * 1024;
    found = true;
  }
  std::fclose(file);
  return found;
}

uint64_t AddressSpaceLimit() {
  rlimit limit{};
  if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
      limit.rlim_cur < kUserAddressSpace) {
    return limit.rlim_cur;
  }
  return kUserAddressSpace;
}

}  // namespace

bool QueryMemoryStatus(MemoryStatus* out) {
  *out = MemoryStatus{};
  struct sysinfo info {};
  if (sysinfo(&info) != 0) return false;
  const uint64_t unit = info.mem_unit ? info.mem_unit : 1;
  out->total_physical = info.totalram * unit;
  // The kernel's estimate of what can be had without swapping; free memory on old kernels.
  if (!ReadKibField("/proc/meminfo", "MemAvailable", &out->available_physical)) {
    out->available_physical = (info.freeram + info.bufferram) * unit;
  }
  if (out->available_physical > out->total_physical) {
    out->available_physical = out->total_physical;
  }
  if (out->total_physical > 0) {
    const uint64_t used = out->total_physical - out->available_physical;
    out->load_percent = static_cast<uint32_t>(used * 100 / out->total_physical);
  }
  out->total_page_file = out->total_physical + info.totalswap * unit;
  out->available_page_file = out->available_physical + info.freeswap * unit;
  out->total_virtual = AddressSpaceLimit();
  uint64_t in_use = 0;
  ReadKibField("/proc/self/status", "VmSize", &in_use);
  out->available_virtual = in_use < out->total_virtual ? out->total_virtual - in_use : 0;
  return true;
}

bool QueryDiskSpace(const std::string& utf8_path, DiskSpace* out) {
  *out = DiskSpace{};
  struct statvfs volume {};
  if (utf8_path.empty() || statvfs(utf8_path.c_str(), &volume) != 0) return false;
  const uint64_t unit = volume.f_frsize ? volume.f_frsize : volume.f_bsize;
  out->free_to_caller = uint64_t{volume.f_bavail} * unit;
  out->total = uint64_t{volume.f_blocks} * unit;
  out->total_free = uint64_t{volume.f_bfree} * unit;
  return true;
}

SystemVersion QuerySystemVersion() {
  SystemVersion version;
  utsname name{};
  if (uname(&name) != 0) return version;
  uint32_t* parts[] = {&version.major, &version.minor, &version.build};
  const char* p = name.release;
  for (uint32_t* part : parts) {
    char* end = nullptr;
    const unsigned long value = std::strtoul(p, &end, 10);
    if (end == p) break;
    *part = static_cast<uint32_t>(value);
    if (*end != '.') break;
    p = end + 1;
  }
  return version;
}

bool QueryNetworkBits(uint32_t* bits) {
  *bits = 0;
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return false;
  for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
    const unsigned flags = entry->ifa_flags;
    if (!entry->ifa_addr || (flags & IFF_LOOPBACK)) continue;
    if (!(flags & IFF_UP) || !(flags & IFF_RUNNING)) continue;
    const int family = entry->ifa_addr->sa_family;
    if (family != AF_INET && family != AF_INET6) continue;
    *bits |= (flags & IFF_POINTOPOINT) ? kNetworkWan : kNetworkLan;
  }
  freeifaddrs(list);
  return true;
}

}  // namespace os

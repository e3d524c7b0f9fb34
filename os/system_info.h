// What the running system reports about itself: memory, free disk space, the kernel version and
// whether a network is up. Every query reads the system afresh; none keeps state.
#pragma once

#include <cstdint>
#include <string>

namespace os {

// Memory of the machine and of this process, in bytes (the load in percent).
struct MemoryStatus {
  uint32_t load_percent = 0;  // share of physical memory in use
  uint64_t total_physical = 0;
  uint64_t available_physical = 0;
  uint64_t total_page_file = 0;  // physical memory and swap together: what can be committed
  uint64_t available_page_file = 0;
  uint64_t total_virtual = 0;  // the address space this process may use
  uint64_t available_virtual = 0;
};
// False when the system's figures cannot be read (the record is then all zero).
bool QueryMemoryStatus(MemoryStatus* out);

// The space of the volume that holds `utf8_path`, in bytes.
struct DiskSpace {
  uint64_t free_to_caller = 0;  // what this user may still write
  uint64_t total = 0;
  uint64_t total_free = 0;
};
// False when the volume cannot be asked (the record is then all zero).
bool QueryDiskSpace(const std::string& utf8_path, DiskSpace* out);

// The kernel's release numbers ("6.1.0-18" gives 6, 1, 0); numbers it lacks are 0.
struct SystemVersion {
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;
};
SystemVersion QuerySystemVersion();

// Bits of the networks that are up: an interface that is up and running with an address, other
// than the loopback. Point-to-point links (dial-up, mobile, tunnels) count as wide-area.
enum NetworkBits : uint32_t {
  kNetworkLan = 1,
  kNetworkWan = 2,
};
// False when the interfaces cannot be listed.
bool QueryNetworkBits(uint32_t* bits);

}  // namespace os

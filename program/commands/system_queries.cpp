// What the script may ask of the machine: the network, touch input, memory, disk space, the
// system's version, the displays and the renderer. A figure whose source is missing is 0.
#include <cstdint>

#include "os/display_modes.h"
#include "os/encoding.h"
#include "os/system_info.h"
#include "os/window.h"
#include "program/commands/system_commands.h"
#include "program/game/adv_context.h"
#include "program/script/command_args.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

// The numbers a workstation of the version family the scripts were written for reports beside
// its version: platform id 2, product type 1; it has no service pack, suite or product info.
constexpr uint32_t kPlatformId = 2;
constexpr uint32_t kProductTypeWorkstation = 1;

// The figure in MiB (a percentage stays as it is): the low 32 bits are the result, the high 32
// bits go to the TempMemory cell unless the cell is -1. A cell outside TempMemory is refused.
void StoreFigure(AdvContext& context, const char* command, uint64_t figure, int32_t cell) {
  SetCommandResult(context, static_cast<int32_t>(static_cast<uint32_t>(figure)));
  if (cell == -1) return;
  if (cell < 0 || cell >= kTempMemoryCells) {
    AdvDebugPrint(kLogError, "[%d]%s: no TempMemory cell %d", context.script.pc, command, cell);
    return;
  }
  context.values.temp_memory[cell] = static_cast<int32_t>(figure >> 32);
}

uint64_t MemoryFigure(int32_t selector) {
  os::MemoryStatus memory;
  if (!os::QueryMemoryStatus(&memory)) return 0;
  switch (selector) {
    case 0:
      return memory.load_percent;
    case 1:
      return memory.total_physical >> 20;
    case 2:
      return memory.available_physical >> 20;
    case 3:
      return memory.total_page_file >> 20;
    case 4:
      return memory.available_page_file >> 20;
    case 5:
      return memory.total_virtual >> 20;
    case 6:
      return memory.available_virtual >> 20;
    default:
      return 0;  // 7, the extended address space, does not exist here
  }
}

uint64_t DiskFigure(int32_t selector) {
  os::DiskSpace disk;
  if (!os::QueryDiskSpace(os::Cp932ToUtf8(Startup().save_folder), &disk)) return 0;
  switch (selector) {
    case 0:
      return disk.free_to_caller >> 20;
    case 1:
      return disk.total >> 20;
    case 2:
      return disk.total_free >> 20;
    default:
      return 0;
  }
}

int32_t OsVersionFigure(int32_t selector) {
  const os::SystemVersion version = os::QuerySystemVersion();
  switch (selector) {
    case 0:
      return static_cast<int32_t>(version.major);
    case 1:
      return static_cast<int32_t>(version.minor);
    case 2:
      return static_cast<int32_t>(version.build);
    case 3:
      return kPlatformId;
    case 7:
      return kProductTypeWorkstation;
    default:
      return 0;  // service pack, suite mask, product info and anything else
  }
}

int32_t DisplayFigure(int32_t selector, int32_t adapter) {
  if (selector == 0) return os::DisplayCount();
  os::DisplayMode mode;
  if (!os::CurrentDisplayMode(adapter, &mode)) return 0;
  switch (selector) {
    case 1:
      return mode.width;
    case 2:
      return mode.height;
    case 3:
      return mode.refresh_rate;
    default:
      return 0;
  }
}

// The renderer's texture limits; all zero with the software renderer.
YelTextureCaps TextureCaps() {
  YelTextureCaps caps{};
  if (yel::Yel3DIs()) yel::YelGetTextureCaps(&caps);
  return caps;
}

}  // namespace

int32_t NetworkResult(uint32_t bits) {
  if (bits & os::kNetworkLan) return 1;
  if (bits & os::kNetworkWan) return 2;
  return 0;
}

int CmdIsNetwork(AdvContext& context) {
  uint32_t bits = 0;
  const int32_t result = os::QueryNetworkBits(&bits) ? NetworkResult(bits) : 0;
  SetCommandResult(context, result);
  switch (result) {
    case 1:
      AdvDebugPrint(kLogTrace, "is_network NETWORK_ALIVE_LAN");
      break;
    case 2:
      AdvDebugPrint(kLogTrace, "is_network NETWORK_ALIVE_WAN");
      break;
    default:
      AdvDebugPrint(kLogTrace, "is_network Network is not alive.");
      break;
  }
  return 1;
}

int CmdIsTouch(AdvContext& context) {
  int32_t result = 0;
  if (os::TouchDevicePresent()) {
    result = yel::YelIsTouch();
  } else {
    AdvDebugPrint(kLogTrace, "is_touch Touch is not alive.");
  }
  SetCommandResult(context, result);
  return 1;
}

int CmdGetMemoryStatus(AdvContext& context) {
  const auto [selector, cell] = PopArgs<2>(context);
  StoreFigure(context, "get_memory_status", MemoryFigure(selector), cell);
  return 1;
}

int CmdGetDiskFree(AdvContext& context) {
  const auto [selector, cell] = PopArgs<2>(context);
  StoreFigure(context, "get_disk_free", DiskFigure(selector), cell);
  return 1;
}

int CmdGetOsVersion(AdvContext& context) {
  SetCommandResult(context, OsVersionFigure(PopArg(context)));
  return 1;
}

int CmdGetDisplayInfo(AdvContext& context) {
  const auto [selector, adapter] = PopArgs<2>(context);
  SetCommandResult(context, yel::Yel3DIs() ? DisplayFigure(selector, adapter) : 0);
  return 1;
}

int CmdGetMaxTextureWidth(AdvContext& context) {
  SetCommandResult(context, TextureCaps().max_width);
  return 1;
}

int CmdGetMaxTextureHeight(AdvContext& context) {
  SetCommandResult(context, TextureCaps().max_height);
  return 1;
}

int CmdIsTexturePow2(AdvContext& context) {
  SetCommandResult(context, TextureCaps().pow2_only ? 1 : 0);
  return 1;
}

int CmdGetTextureMemory(AdvContext& context) {
  SetCommandResult(context, static_cast<int32_t>(TextureCaps().available_mib));
  return 1;
}

int CmdIs3d(AdvContext& context) {
  SetCommandResult(context, yel::Yel3DIs());
  return 1;
}

}  // namespace adv

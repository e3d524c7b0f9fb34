// The system commands of group 0x12: run state, time, the skip latch, the work-thread mode, the
// window title, access records, the desktop's "open", history and thread return points, the
// debug output, touch and gestures, the queries of the machine and the scene reset. Their
// handlers live in files by concern; system_commands.cpp lists them all in the group's slots.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace adv {

struct AdvContext;

// system_commands.cpp: how long `sleep` sleeps for a requested count: the count as unsigned
// milliseconds, at most 10 seconds (-1 would be for ever).
uint32_t SleepDuration(int32_t requested);

// system_access.cpp: the access state of files.
int CmdEntryFilename(AdvContext& context);
int CmdUpdateAccess(AdvContext& context);
int CmdClearAccess(AdvContext& context);

// system_points.cpp: history and thread return points, the last process, the scene reset.
int CmdHistoryPointClear(AdvContext& context);
int CmdHistoryPoint(AdvContext& context);
int CmdThreadReturnPoint(AdvContext& context);
int CmdSetLastProcess(AdvContext& context);
int CmdSceneReset(AdvContext& context);

// system_queries.cpp: the network, touch, memory, disk, system, display and renderer queries.
int CmdIsNetwork(AdvContext& context);
int CmdIsTouch(AdvContext& context);
int CmdGetMemoryStatus(AdvContext& context);
int CmdGetDiskFree(AdvContext& context);
int CmdGetOsVersion(AdvContext& context);
int CmdGetDisplayInfo(AdvContext& context);
int CmdGetMaxTextureWidth(AdvContext& context);
int CmdGetMaxTextureHeight(AdvContext& context);
int CmdIsTexturePow2(AdvContext& context);
int CmdGetTextureMemory(AdvContext& context);
int CmdIs3d(AdvContext& context);

// What is_network answers for the bits of the networks that are up (os::NetworkBits): 1 while
// a local network is up, else 2 while a wide-area link is up, else 0.
int32_t NetworkResult(uint32_t bits);

// gesture_commands.cpp: touch switches and gestures.
int CmdTouchEnable(AdvContext& context);
int CmdTouchMode(AdvContext& context);
int CmdIsTouchMode(AdvContext& context);
int CmdSetPow(AdvContext& context);
int CmdGestureCallSet(AdvContext& context);
int CmdGestureCallReset(AdvContext& context);
int CmdGestureGet(AdvContext& context);
// Takes a delivered gesture (a 48-byte record): it becomes the last gesture, and the handler
// set for its id runs as a subroutine from the next instruction on.
void AdvGestureCallback(AdvContext& context, const uint8_t* record);

// system_commands.cpp: sets the game window's title (CP932) on the UI thread; nothing once the
// program ends.
void SetWindowTitle(const char* cp932);

// debug_output_commands.cpp: the script's debug texts.
int CmdDebugOutputError(AdvContext& context);
int CmdDebugOutput(AdvContext& context);
// The text the debug output prints for a format (a text reference) and its seven values. It
// stops short of 2,048 bytes ("Error AdvDebugOutputCore szOut over size" at level 0).
std::string AdvDebugOutputText(AdvContext& context, uint32_t format_reference,
                               const std::array<int32_t, 7>& values);

}  // namespace adv

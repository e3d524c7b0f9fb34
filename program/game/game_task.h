// The game task "StartFunc": its data, its first step, its per-frame step and its end.
#pragma once

#include <cstdint>
#include <vector>

#include "program/game/adv_context.h"

namespace adv {

inline constexpr int32_t kGeneralFailure = static_cast<int32_t>(0x80004005);

// The first function of the platform: creates "StartFunc" and registers its data. 0 on failure.
int AdvCreateStartTask();
int LoadSystemData(void* task_data);
int StartFuncStep(void* task_data);
int StartFuncRelease(void* task_data);
// The platform's end function: runs on the main thread as it leaves its frame loop.
void AdvMainThreadEnd(void* first_task_data);

// Writes "system.dat" (with the script's system memory) and "access.dat" now; nothing before the
// game has started or for a file that could not be read at start.
void SaveSystemFiles(AdvTaskData& data);

AdvTaskData* AdvGetTaskData();
AdvContext* AdvGetContext();

// 0 on success, kGeneralFailure after the end was requested.
int32_t AdvInitialize(AdvContext& context);
// Hands the memories, the frame registers and the sound tables to the debug pages.
void AdvRegisterDebugData(AdvContext& context);
// A start that cannot go on: the message is logged and shown, and the end requested.
int32_t AdvStartFailure(const char* message);
// True once AdvStartFailure has ended a start: the program then exits with a failure code.
bool AdvStartFailed();
void AdvRelease(AdvContext& context);
void AdvResetState(AdvContext& context);
void AdvUpdate(AdvContext& context);
void AdvScriptFrame(AdvContext& context);

// The flag maps: one read bit per text, two state bits per file. Numbers outside a map are
// ignored (and test as unset). The forms without a map act on the task data's maps.
bool TextReadFlagTest(const std::vector<uint8_t>& bitmap, uint32_t n);
void TextReadFlagSet(std::vector<uint8_t>& bitmap, uint32_t n);
void FileStateSet(std::vector<uint8_t>& map, uint32_t n);
void FileStateClear(std::vector<uint8_t>& map, uint32_t n);
uint8_t FileStateGet(const std::vector<uint8_t>& map, uint32_t n);
bool TextReadFlagTest(uint32_t n);
void TextReadFlagSet(uint32_t n);
void FileStateSet(uint32_t n);
void FileStateSet(AdvTaskData& data, uint32_t n);
void FileStateClear(uint32_t n);

}  // namespace adv

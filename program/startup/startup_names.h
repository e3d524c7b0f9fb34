// The process-wide names and switches fixed during start-up and only read afterwards: where the
// program and its save folder are, what the game is called, and the version keywords.
#pragma once

#include <cstdint>
#include <string>

namespace adv {

// CP932 strings.
struct StartupNames {
  int32_t start_word = 0;    // 1 from just before YelInit on
  int32_t reserved_word = 0;
  std::string maker_folder;
  std::string maker_sub_folder;
  std::string product_name;
  std::string program_file_name;
  std::string save_folder;
  std::string program_folder;  // not part of the record's files: the folder of the program
};

StartupNames& Startup();

// Set during start-up, read-only afterwards.
inline int32_t ResolutionIndex = 0;
inline int32_t AdvWindowWidth = 1280;
inline int32_t AdvWindowHeight = 720;
inline uint8_t MovieSkipFlag = 0;
inline int32_t RubyEnabled = 1;
inline int32_t GrposEnabled = 1;
inline uint8_t NoWindowChoice = 0;
inline uint8_t SkipInstanceCheck = 0;
// 1 from the start of the program; copied into the task data by the game task.
inline int32_t StartFlag = 1;

// Reads the version description, "System.ini" and resolves and creates the save folder. False
// after the box that tells why.
bool StartupInfoRead();
// The "initialize" section of "System.ini": product name and maker folders replace the version
// description's; the program file name becomes the running program's.
void SystemIniRead();

}  // namespace adv

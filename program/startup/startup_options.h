// What configures a start: the program's version keywords, the resolution table and the command
// line options.
#pragma once

#include <cstdint>
#include <string>

#include "YEL/yel.h"

namespace adv {

// The program's own description. The values are compiled in and can be overridden by the file
// "version.ini" beside the program (section "Version", UTF-8 text), so that a game maker sets
// them without rebuilding. Strings are CP932. The comments begin with a blank, so that a
// keyword written first ("Comments=SVGA -BOOT2SKIP") is found like one after a blank.
struct VersionInfo {
  std::string company_name;
  std::string product_name;
  std::string original_filename;
  std::string comments;
};

VersionInfo ReadVersionInfo(const std::string& program_folder);

// The platform's debug flag the program starts with: 1 in a game maker's debug build (CMake
// option GAME_DEBUG), which opens the debug window and its pages and writes the error log; 0 in
// the build a game ships with.
int DebugBuildFlag();

// Switches taken from the keywords of the version comments.
struct VersionKeywords {
  int32_t resolution_index = 0;
  int32_t ruby_enabled = 1;
  int32_t grpos_enabled = 1;
  bool no_window_choice = false;     // "-DISWND"
  bool skip_instance_check = false;  // "-BOOT2SKIP"
};

VersionKeywords ParseVersionKeywords(const std::string& comments);

struct Resolution {
  int32_t window_width, window_height, game_width, game_height;
};

// The row of the resolution table; an index out of range gives 1280 x 720.
Resolution ResolutionRow(int32_t index);

struct CommandLineOptions {
  bool movie_skip = false;
};

// Applies the "/" options of the command line to the start-up record (after "config.dat", so
// they win for this run).
CommandLineOptions ApplyCommandLine(const std::string& command_line, YelInitParam& param);

}  // namespace adv

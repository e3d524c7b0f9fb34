#include "program/startup/startup_options.h"

#include <cstring>

#include "os/encoding.h"
#include "os/ini_file.h"

#ifndef GAME_COMPANY_NAME
#define GAME_COMPANY_NAME "AdvEngine"
#endif
#ifndef GAME_PRODUCT_NAME
#define GAME_PRODUCT_NAME "Game"
#endif
#ifndef GAME_ORIGINAL_FILENAME
#define GAME_ORIGINAL_FILENAME "Game"
#endif
#ifndef GAME_COMMENTS
#define GAME_COMMENTS ""
#endif
#ifndef GAME_DEBUG
#define GAME_DEBUG 0
#endif

namespace adv {
namespace {

constexpr Resolution kResolutionTable[] = {
    {1280, 720, 1280, 720},     {640, 480, 640, 480},       {800, 600, 800, 600},
    {960, 600, 960, 600},       {1280, 720, 1280, 720},     {1920, 1080, 1920, 1080},
    {2560, 1440, 2560, 1440},   {3840, 2160, 3840, 2160},   {7680, 4320, 7680, 4320},
};

std::string VersionValue(const std::string& ini, const char* key, const char* compiled) {
  return os::Utf8ToCp932(os::ReadIniString(ini, "Version", key, compiled));
}

bool Contains(const std::string& text, const char* keyword) {
  return text.find(keyword) != std::string::npos;
}

}  // namespace

int DebugBuildFlag() {
  return GAME_DEBUG ? 1 : 0;
}

VersionInfo ReadVersionInfo(const std::string& program_folder) {
  const std::string ini = program_folder + "/version.ini";
  VersionInfo info{VersionValue(ini, "CompanyName", GAME_COMPANY_NAME),
                   VersionValue(ini, "ProductName", GAME_PRODUCT_NAME),
                   VersionValue(ini, "OriginalFilename", GAME_ORIGINAL_FILENAME),
                   VersionValue(ini, "Comments", GAME_COMMENTS)};
  // INI values lose their leading blanks, but keywords such as " SVGA" begin with one: the
  // comments are read as if a blank stood before them.
  info.comments = " " + info.comments;
  return info;
}

VersionKeywords ParseVersionKeywords(const std::string& comments) {
  VersionKeywords k;
  // The first resolution keyword found wins, in this order.
  const struct {
    const char* keyword;
    int32_t index;
  } resolutions[] = {{" SVGA", 2}, {" VGA", 1}, {" W600P", 3}, {" FHD", 5}};
  for (const auto& r : resolutions) {
    if (Contains(comments, r.keyword)) {
      k.resolution_index = r.index;
      break;
    }
  }
  if (Contains(comments, " -RUBY")) k.ruby_enabled = 0;
  if (Contains(comments, " -GRPOS")) k.grpos_enabled = 0;
  k.skip_instance_check = Contains(comments, "-BOOT2SKIP");
  k.no_window_choice = Contains(comments, "-DISWND");
  return k;
}

Resolution ResolutionRow(int32_t index) {
  if (index < 0 || index >= static_cast<int32_t>(std::size(kResolutionTable))) {
    return kResolutionTable[0];
  }
  return kResolutionTable[index];
}

CommandLineOptions ApplyCommandLine(const std::string& command_line, YelInitParam& param) {
  CommandLineOptions options;
  // Names are matched case-sensitively as prefixes of the text after each "/".
  const struct {
    const char* name;
    void (*apply)(YelInitParam&, CommandLineOptions&);
  } table[] = {
      {"MOVIESKIP", [](YelInitParam&, CommandLineOptions& o) { o.movie_skip = true; }},
      {"DIB", [](YelInitParam& p, CommandLineOptions&) { p.flags &= ~YEL_FLAG_3D; }},
      {"VS", [](YelInitParam& p, CommandLineOptions&) { p.pacing_mode = 0; }},
      {"NA", [](YelInitParam& p, CommandLineOptions&) { p.flags &= ~YEL_FLAG_RUN_INACTIVE; }},
      {"DX", [](YelInitParam& p, CommandLineOptions&) { p.flags |= YEL_FLAG_3D; }},
  };
  size_t pos = command_line.find('/');
  while (pos != std::string::npos) {
    ++pos;
    for (const auto& option : table) {
      if (command_line.compare(pos, std::strlen(option.name), option.name) == 0) {
        option.apply(param, options);
        pos += std::strlen(option.name);
        break;
      }
    }
    pos = command_line.find('/', pos);
  }
  return options;
}

}  // namespace adv

#include "program/startup/program_folder_check.h"
#include "program/startup/startup_options.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

TEST(VersionKeywords, ResolutionAndSwitches) {
  const struct {
    const char* comments;
    int32_t resolution;
    int32_t ruby, grpos;
    bool no_window, skip_instance;
  } cases[] = {
      {"", 0, 1, 1, false, false},
      {"game SVGA", 2, 1, 1, false, false},
      {"x FHD y SVGA", 2, 1, 1, false, false},  // " SVGA" is tried first
      {"x VGA", 1, 1, 1, false, false},
      {"x W600P -RUBY -GRPOS", 3, 0, 0, false, false},
      {"-BOOT2SKIP-DISWND FHD", 5, 1, 1, true, true},
      {"SVGA", 0, 1, 1, false, false},  // the keyword includes its leading space
  };
  for (const auto& c : cases) {
    const adv::VersionKeywords k = adv::ParseVersionKeywords(c.comments);
    EXPECT_EQ(k.resolution_index, c.resolution) << c.comments;
    EXPECT_EQ(k.ruby_enabled, c.ruby) << c.comments;
    EXPECT_EQ(k.grpos_enabled, c.grpos) << c.comments;
    EXPECT_EQ(k.no_window_choice, c.no_window) << c.comments;
    EXPECT_EQ(k.skip_instance_check, c.skip_instance) << c.comments;
  }
}

TEST(ResolutionTable, RowsAndOutOfRange) {
  EXPECT_EQ(adv::ResolutionRow(2).game_width, 800);
  EXPECT_EQ(adv::ResolutionRow(2).window_height, 600);
  EXPECT_EQ(adv::ResolutionRow(8).game_width, 7680);
  EXPECT_EQ(adv::ResolutionRow(9).game_width, 1280);
  EXPECT_EQ(adv::ResolutionRow(-1).game_height, 720);
}

TEST(CommandLine, OptionsMatchByPrefixAfterEachSlash) {
  const struct {
    const char* line;
    bool three_d, vsync_off, run_inactive, movie_skip;
  } cases[] = {
      {"", true, false, true, false},
      {"/DIBVS", false, false, true, false},  // "DIB" only: the search goes on behind it
      {"/VS /DIB", false, true, true, false},
      {"/XYZ /NA", true, false, false, false},
      {"/MOVIESKIP/DIB/DX", true, false, true, true},
      {"/dib", true, false, true, false},  // names are case-sensitive
  };
  for (const auto& c : cases) {
    YelInitParam param{};
    param.flags = YEL_FLAG_DEFAULT;
    param.pacing_mode = 2;
    const adv::CommandLineOptions options = adv::ApplyCommandLine(c.line, param);
    EXPECT_EQ((param.flags & YEL_FLAG_3D) != 0, c.three_d) << c.line;
    EXPECT_EQ(param.pacing_mode == 0, c.vsync_off) << c.line;
    EXPECT_EQ((param.flags & YEL_FLAG_RUN_INACTIVE) != 0, c.run_inactive) << c.line;
    EXPECT_EQ(options.movie_skip, c.movie_skip) << c.line;
  }
}

TEST(VersionInfo, IniBesideTheProgramOverridesTheCompiledValues) {
  const auto dir = std::filesystem::temp_directory_path() / "version_info_test";
  std::filesystem::create_directories(dir);
  EXPECT_FALSE(adv::ReadVersionInfo(dir.string()).product_name.empty());
  std::ofstream(dir / "version.ini") << "[Version]\nProductName=テスト\nComments=SVGA\n";
  const adv::VersionInfo info = adv::ReadVersionInfo(dir.string());
  EXPECT_EQ(info.product_name, "\x83\x65\x83\x58\x83\x67");  // CP932
  EXPECT_EQ(adv::ParseVersionKeywords(info.comments).resolution_index, 2)
      << "a keyword at the start of the value is found";
  std::filesystem::remove_all(dir);
}

}  // namespace

namespace {

TEST(ProgramFolder, ForeignCharactersAreFoundOutsideDoubleByteCharacters) {
  EXPECT_EQ(adv::FindForeignCharacter("/home/game"), std::string::npos);
  EXPECT_EQ(adv::FindForeignCharacter("/home/g?me"), 7u);
  // 0x83 starts a double-byte character whose second byte may be "?" (0x3F).
  EXPECT_EQ(adv::FindForeignCharacter("/\x83?x"), std::string::npos);
  EXPECT_EQ(adv::FindForeignCharacter("/\xE0?\x3F"), 3u);
  EXPECT_EQ(adv::FindForeignCharacter("/\xF0?"), 2u) << "0xF0 does not start a pair here";
}

TEST(ProgramFolder, LongPathsAreRefused) {
  EXPECT_TRUE(adv::ProgramFolderCheck("/usr/games/x/Game"));
  EXPECT_FALSE(adv::ProgramFolderCheck("/" + std::string(300, 'a') + "/Game"));
  EXPECT_FALSE(adv::ProgramFolderCheck("/a?b/Game"));
}

}  // namespace

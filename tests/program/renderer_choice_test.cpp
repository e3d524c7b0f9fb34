// Which renderer Game draws with: the hardware (GL) one by default, the software one with
// "/DIB", and the software one with the warning box when GL cannot start (an OpenGL that offers
// less than 3.3, as Mesa does when told to).
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>

#include "tests/program/game_folder.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kGlStarted = "OpenGL renderer : ";
constexpr const char* kGlRefused = "OpenGL renderer cannot start";
constexpr const char* kNoHardwareBox = "[message box] 警告: 您使用的显卡不支持 DirectX9";

class RendererChoice : public ::testing::Test {
 protected:
  void SetUp() override {
#ifdef YEL_SOFTWARE_RENDERER_ONLY
    GTEST_SKIP() << "this build draws in software only";
#endif
    copy_ = fs::temp_directory_path() / ("renderer_choice_" + std::to_string(getpid()));
    fs::remove_all(copy_);
    fs::copy(SAMPLE_GAME_DIR, copy_, fs::copy_options::recursive);
    fs::remove_all(copy_ / "save");
  }
  void TearDown() override {
    if (!copy_.empty()) fs::remove_all(copy_);
  }

  // Runs the sample game until it saves before its first line (it then plays on by itself),
  // then ends it; its standard error, with the debugger output on.
  std::string Run(const std::vector<std::string>& args, const std::vector<std::string>& env) {
    fs::remove_all(copy_ / "save");
    std::vector<std::string> all = test::IsolatedEnvironment(copy_);
    all.push_back("OS_DEBUG_OUTPUT=1");
    all.insert(all.end(), env.begin(), env.end());
    std::vector<std::string> argv = {(copy_ / "Game").string()};
    argv.insert(argv.end(), args.begin(), args.end());
    test::Process game = test::Process::Start(argv, all, copy_.string());
    EXPECT_TRUE(game.WaitForPath((copy_ / "save" / "save000.dat").string(), test::kHungMs))
        << game.Stderr();
    game.Signal(SIGTERM);
    EXPECT_EQ(game.Wait(test::kHungMs), 0) << game.Stderr();
    return game.Stderr();
  }

  fs::path copy_;
};

TEST_F(RendererChoice, HardwareByDefaultSoftwareWithDib) {
  const std::string hardware = Run({}, {});
  if (hardware.find(kGlRefused) != std::string::npos) {
    GTEST_SKIP() << "no OpenGL 3.3 on this machine: " << hardware;
  }
  EXPECT_NE(hardware.find(kGlStarted), std::string::npos) << hardware;
  EXPECT_EQ(hardware.find(kNoHardwareBox), std::string::npos) << hardware;
  // The main thread handed the context back, so the end could delete the GL objects.
  EXPECT_EQ(hardware.find("release error"), std::string::npos) << hardware;
  const std::string software = Run({"/DIB"}, {});
  EXPECT_EQ(software.find(kGlStarted), std::string::npos) << software;
  EXPECT_EQ(software.find(kNoHardwareBox), std::string::npos) << software;
}

TEST_F(RendererChoice, GlThatCannotStartFallsBackToSoftwareWithTheWarning) {
  const std::string err = Run({}, {"MESA_GL_VERSION_OVERRIDE=3.0", "OS_MESSAGEBOX_ANSWERS=ok"});
  EXPECT_NE(err.find(kGlRefused), std::string::npos) << err;
  EXPECT_EQ(err.find(kGlStarted), std::string::npos) << err;
  EXPECT_NE(err.find(kNoHardwareBox), std::string::npos) << err;
}

}  // namespace

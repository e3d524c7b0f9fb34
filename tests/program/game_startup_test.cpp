// Game as a process on small games built by the assembler: start-up, the script's end, the files
// written at the end, the script-change question and the single instance.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "tests/program/game_folder.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kEndingScript = "start:\n  end\n";
// A script without instructions: every pass ends at once, so the game stays up until closed.
constexpr const char* kIdleScript = "; nothing to run\n";

void Touch(const fs::path& path) {
  std::ofstream(path) << "x";
}

// Waits until the game has written its "system.dat", which it does in its first frame: once
// that file is there the game is running (and takes SIGTERM as an end request).
bool WaitUntilRunning(test::Process& process, const test::GameFolder& game) {
  return process.WaitForPath(game.SaveFolder() / "system.dat", test::kHungMs);
}

TEST(GameStartup, ScriptRunsToItsEndAndTheSystemFilesAreWritten) {
  test::GameFolder game(kEndingScript);
  std::string err;
  ASSERT_EQ(game.Run({}, &err), 0) << err;
  EXPECT_EQ(fs::file_size(game.SaveFolder() / "config.dat"), 36u);
  // Version, settings, sound settings, system memory, then the two sized flag maps.
  const uintmax_t system_size = fs::file_size(game.SaveFolder() / "system.dat");
  EXPECT_GE(system_size, 7858u + 8u);
  EXPECT_TRUE(fs::exists(game.SaveFolder() / "access.dat"));
}

// With the debugger output on, a mount row naming neither a folder nor an archive and an image
// the renderer cannot decode are reported by name; the game plays on and ends normally.
TEST(GameStartup, MisspeltArchivesAndUnreadableImagesAreNamed) {
  test::GameFolder game("start:\n  cmd sp_set(f\"GIFPIC\", 0, 0, 0)\n  cmd run(0, 0, 0)\n  end\n");
  std::ofstream(game.root() / "data" / "archive.dat") << "data|sampel";
  std::ofstream(game.root() / "data" / "GIFPIC.png") << "GIF89a\x04\x00\x04\x00";
  std::string err;
  ASSERT_EQ(game.Run({"OS_DEBUG_OUTPUT=1"}, &err), 0) << err;
  EXPECT_NE(err.find("neither a folder sampel nor an archive sampel.pac"), std::string::npos)
      << err;
  EXPECT_NE(err.find("LoadMemory [GIFPIC.png]"), std::string::npos) << err;
}

TEST(GameStartup, StaysUpUntilEndedBySignal) {
  test::GameFolder game(kIdleScript);
  test::Process process = game.Start();
  ASSERT_TRUE(WaitUntilRunning(process, game)) << process.Stderr();
  EXPECT_FALSE(process.EndsWithin(500)) << process.Stderr();
  process.Signal(SIGTERM);
  EXPECT_EQ(process.Wait(test::kHungMs), 0) << process.Stderr();
}

class ScriptChange : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(game_.Run(), 0);  // the first run writes system.dat with stamp 1
    game_.SetScript(kEndingScript, 2);
    Touch(game_.SaveFolder() / "save000.dat");
    Touch(game_.SaveFolder() / "hist00000001.dat");
    Touch(game_.SaveFolder() / "thumb.jpg");
    Touch(game_.SaveFolder() / "other.dat");
    Touch(game_.SaveFolder() / "keep.txt");
    system_before_ = game_.ReadFile(game_.SaveFolder() / "system.dat");
  }
  test::GameFolder game_{kEndingScript};
  std::vector<uint8_t> system_before_;
};

TEST_F(ScriptChange, YesDeletesTheSaveDataAndGoesOn) {
  std::string err;
  ASSERT_EQ(game_.Run({"OS_MESSAGEBOX_ANSWERS=yes"}, &err), 0) << err;
  EXPECT_NE(err.find("スクリプトファイルが更新されています"), std::string::npos) << err;
  EXPECT_FALSE(fs::exists(game_.SaveFolder() / "save000.dat"));
  EXPECT_FALSE(fs::exists(game_.SaveFolder() / "hist00000001.dat"));
  // Files the engine does not write stay, whatever their type.
  EXPECT_TRUE(fs::exists(game_.SaveFolder() / "thumb.jpg"));
  EXPECT_TRUE(fs::exists(game_.SaveFolder() / "other.dat"));
  EXPECT_TRUE(fs::exists(game_.SaveFolder() / "keep.txt"));
  EXPECT_NE(game_.ReadFile(game_.SaveFolder() / "system.dat"), system_before_)
      << "the game went on and wrote a fresh system.dat";
}

// Answered No, or unanswered where no box can be shown: the game does not start, and says so.
TEST_F(ScriptChange, NoOrNoAnswerEndsWithOneAndDeletesNothing) {
  for (const char* answers : {"OS_MESSAGEBOX_ANSWERS=no", "OS_MESSAGEBOX_ANSWERS="}) {
    SCOPED_TRACE(answers);
    std::string err;
    ASSERT_EQ(game_.Run({answers, "SDL_VIDEODRIVER=offscreen"}, &err), 1) << err;
    EXPECT_NE(err.find("スクリプトファイルが更新されています"), std::string::npos) << err;
    EXPECT_TRUE(fs::exists(game_.SaveFolder() / "save000.dat"));
    EXPECT_TRUE(fs::exists(game_.SaveFolder() / "thumb.jpg"));
    EXPECT_EQ(game_.ReadFile(game_.SaveFolder() / "system.dat"), system_before_);
  }
}

TEST_F(ScriptChange, MissingScriptEndsWithItsMessageAndDeletesNothing) {
  fs::remove(game_.root() / "Script.src");
  std::string err;
  EXPECT_EQ(game_.Run({"OS_MESSAGEBOX_ANSWERS=yes"}, &err), 1) << err;
  EXPECT_NE(err.find("script load error"), std::string::npos) << err;
  EXPECT_EQ(err.find("スクリプトファイルが更新されています"), std::string::npos) << err;
  EXPECT_TRUE(fs::exists(game_.SaveFolder() / "save000.dat"));
  EXPECT_EQ(game_.ReadFile(game_.SaveFolder() / "system.dat"), system_before_);
}

// A list file with `count` in its header and `body` after it.
std::string ListFile(uint32_t count, const std::string& body) {
  std::string bytes = "LIST" + std::string(8, '\0');
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>(count >> (8 * i)));
  return bytes + body;
}

// A game whose files cannot be used ends after its message with exit code 1, so a launcher can
// tell it from a normal end; nothing of the player's is written.
TEST(GameStartup, DamagedGameFilesEndWithOneAfterTheirMessage) {
  const struct {
    const char* file;
    std::string bytes;
    const char* message;
  } cases[] = {
      {"Script.src", "XXXX" + std::string("\1\0\0\0", 4) + std::string(4, '\0'),
       "script load error"},
      {"Mem.dat", "LIS", "tablelist load error"},
      {"Point.dat", "LIS", "pointlist load error"},
      {"Text.dat", ListFile(1000, "ab"), "システムファイルの作成に失敗。"},
      {"File.dat", ListFile(1000, "ab"), "システムファイルの作成に失敗。"},
      {"File.dat", ListFile(1, std::string(32, 'A')), "filelist load error"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.file) + ": " + c.message);
    test::GameFolder game(kEndingScript);
    std::ofstream(game.root() / c.file, std::ios::binary) << c.bytes;
    std::string err;
    EXPECT_EQ(game.Run({}, &err), 1) << err;
    EXPECT_NE(err.find(c.message), std::string::npos) << err;
  }
}

TEST(GameStartup, SecondInstanceEndsWithOneUnlessTheCheckIsSkipped) {
  test::GameFolder game(kIdleScript, "");
  test::Process first = game.Start();
  ASSERT_TRUE(WaitUntilRunning(first, game)) << first.Stderr();
  ASSERT_TRUE(first.Running()) << first.Stderr();
  std::string err;
  EXPECT_EQ(game.Run({}, &err), 1);
  EXPECT_NE(err.find("is already running"), std::string::npos) << "the second start says why";
  game.WriteVersion("-BOOT2SKIP");
  // The second game makes a fresh "system.dat" in its first frame: the sign that it runs.
  fs::remove(game.SaveFolder() / "system.dat");
  test::Process second = game.Start();
  ASSERT_TRUE(WaitUntilRunning(second, game)) << second.Stderr();
  EXPECT_TRUE(second.Running()) << second.Stderr();
  second.Signal(SIGTERM);
  first.Signal(SIGTERM);
  EXPECT_EQ(second.Wait(test::kHungMs), 0);
  EXPECT_EQ(first.Wait(test::kHungMs), 0);
}

// The scripted answers are one list for the whole process: the program's first-start question
// takes the first, and the library's box when its window cannot be made takes the second. A
// program and a library each with an os layer of its own would both take the first.
TEST(GameStartup, MessageBoxAnswersGoInOrderAcrossProgramAndLibrary) {
  // An 800 x 600 game on the 1280 x 720 desktop assumed without video asks its window mode
  // first; then the library finds no video driver for its window.
  test::GameFolder game(kEndingScript, "-BOOT2SKIP SVGA");
  std::string err;
  ASSERT_EQ(game.Run({"SDL_VIDEODRIVER=no-such-driver", "OS_MESSAGEBOX_ANSWERS=no,ok"}, &err), 0);
  const size_t program_box = err.find("初起動時のウインドウモードを設定します");
  const size_t library_box = err.find("在系统初始化时出现了问题。");
  ASSERT_NE(program_box, std::string::npos) << err;
  ASSERT_NE(library_box, std::string::npos) << err;
  EXPECT_LT(program_box, library_box) << err;
  EXPECT_EQ(err.substr(err.find("->", program_box), 5), "-> no") << err;
  EXPECT_EQ(err.substr(err.find("->", library_box), 5), "-> ok") << err;
}

TEST(GameStartup, SvgaKeywordGivesAnEightHundredBySixHundredGame) {
  test::GameFolder game(kEndingScript, "-BOOT2SKIP SVGA");
  ASSERT_EQ(game.Run(), 0);
  const std::vector<uint8_t> config = game.ReadFile(game.SaveFolder() / "config.dat");
  ASSERT_EQ(config.size(), 36u);
  auto word = [&](int i) {
    return config[4 * i] | config[4 * i + 1] << 8 | config[4 * i + 2] << 16 |
           config[4 * i + 3] << 24;
  };
  EXPECT_EQ(word(2), 800);
  EXPECT_EQ(word(3), 600);
}

}  // namespace

namespace {

// The sample game as the README's run command starts it, in a copy of its folder: it saves
// before its first line, plays on by itself in auto mode, and ends on the request of the system.
// (A test in text_window_test.cpp clicks through its script; skip_auto_test.cpp lets it play to
// its end.)
TEST(SampleGame, RunsToItsFirstLineAndEndsOnRequest) {
  const fs::path copy = fs::temp_directory_path() / ("sample_game_" + std::to_string(getpid()));
  fs::remove_all(copy);
  fs::copy(SAMPLE_GAME_DIR, copy, fs::copy_options::recursive);
  fs::remove_all(copy / "save");
  test::Process game = test::Process::Start({(copy / "Game").string()},
                                            test::IsolatedEnvironment(copy), copy.string());
  ASSERT_TRUE(game.WaitForPath((copy / "save" / "save000.dat").string(), test::kHungMs))
      << game.Stderr();
  EXPECT_TRUE(game.Running()) << "the game goes on for many seconds after its first save";
  game.Signal(SIGTERM);
  EXPECT_EQ(game.Wait(test::kHungMs), 0) << game.Stderr();
  EXPECT_TRUE(fs::exists(copy / "save" / "system.dat"));
  EXPECT_TRUE(fs::exists(copy / "save" / "config.dat"));
  EXPECT_TRUE(fs::exists(copy / "run" / "サンプルゲーム.lock"))
      << "the product name comes from System.ini inside sample.pac";
  fs::remove_all(copy);
}

// The sample game saves before its first line; a second run finds the save, loads it, and its
// load-after label counts the load in system memory cell 100, which "system.dat" keeps, and
// keeps the loaded game in slot 1.
TEST(SampleGame, LoadsItsSaveInASecondRun) {
  const fs::path copy = fs::temp_directory_path() / ("sample_saves_" + std::to_string(getpid()));
  fs::remove_all(copy);
  fs::copy(SAMPLE_GAME_DIR, copy, fs::copy_options::recursive);
  fs::remove_all(copy / "save");
  const auto run_until = [&](const char* file) {
    test::Process game = test::Process::Start({(copy / "Game").string()},
                                              test::IsolatedEnvironment(copy), copy.string());
    EXPECT_TRUE(game.WaitForPath((copy / "save" / file).string(), test::kHungMs)) << game.Stderr();
    game.Signal(SIGTERM);
    EXPECT_EQ(game.Wait(test::kHungMs), 0) << game.Stderr();
  };
  const auto loads = [&] {
    std::ifstream in(copy / "save" / "system.dat", std::ios::binary);
    const std::string bytes(std::istreambuf_iterator<char>(in), {});
    const size_t at = 3762 + 4 * 100;
    return bytes.size() < at + 4 ? -1 : static_cast<int>(static_cast<uint8_t>(bytes[at]));
  };
  run_until("save000.dat");
  EXPECT_EQ(loads(), 0);
  run_until("save001.dat");
  EXPECT_EQ(loads(), 1);
  fs::remove_all(copy);
}

}  // namespace

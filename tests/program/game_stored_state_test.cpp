// Game as a process against what earlier runs, the player or the machine left behind: stored
// settings, things in the place of save-folder files, a missing archive list, a missing runtime
// folder and a file-size limit. None of it may stop a start or hang it.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/program/game_folder.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kEndingScript = "start:\n  end\n";

int32_t Word(const std::vector<uint8_t>& bytes, size_t offset) {
  int32_t value = 0;
  if (offset + 4 <= bytes.size()) std::memcpy(&value, bytes.data() + offset, 4);
  return value;
}

void WriteBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

void SetWord(std::vector<uint8_t>& bytes, size_t offset, int32_t value) {
  std::memcpy(bytes.data() + offset, &value, 4);
}

class GameStoredState : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string err;
    ASSERT_EQ(game_.Run({}, &err), 0) << err;  // leaves the three system files
  }
  // Runs Game once more and expects it to end normally and soon.
  void ExpectAQuickNormalEnd(const std::vector<std::string>& args = {}) const {
    test::Process process = game_.Start({}, args);
    EXPECT_EQ(process.Wait(test::kHungMs), 0) << process.Stderr();
  }
  fs::path Save(const char* name) const { return game_.SaveFolder() / name; }

  test::GameFolder game_{kEndingScript};
};

TEST_F(GameStoredState, AStoredWindowSizeNoWindowCanHaveStartsWithTheGameSize) {
  std::vector<uint8_t> config = game_.ReadFile(Save("config.dat"));
  ASSERT_EQ(config.size(), 36u);
  SetWord(config, 8, 100000);
  SetWord(config, 12, 100000);
  WriteBytes(Save("config.dat"), config);
  fs::remove(Save("system.dat"));
  ExpectAQuickNormalEnd();
  EXPECT_TRUE(fs::exists(Save("system.dat"))) << "the game ran";
  config = game_.ReadFile(Save("config.dat"));
  EXPECT_LE(Word(config, 8), 2 * 1280);
  EXPECT_LE(Word(config, 12), 2 * 720);
  ExpectAQuickNormalEnd();
}

// "/NA" stores the window record with the task walk limited to an active window; a headless
// window never gets the focus, and neither that run nor any later one may wait for it.
TEST_F(GameStoredState, ARunWithNaAndEveryLaterPlainRunEnd) {
  ExpectAQuickNormalEnd({"/NA"});
  EXPECT_EQ(Word(game_.ReadFile(Save("config.dat")), 16) & 1, 0) << "the option was stored";
  ExpectAQuickNormalEnd();
  ExpectAQuickNormalEnd();
}

// "system.dat" settings that reach the platform at start: the window mode (word 2), the screen
// effects (word 4) and the cursor's auto-hide time (word 9, a timer period).
TEST_F(GameStoredState, StoredSettingsOutOfEveryRangeStillLetTheGameRunAndEnd) {
  const std::vector<uint8_t> stored = game_.ReadFile(Save("system.dat"));
  for (const size_t word : {2, 4, 9}) {
    for (const int32_t value : {-1, INT32_MAX, INT32_MIN}) {
      SCOPED_TRACE("word " + std::to_string(word) + " = " + std::to_string(value));
      std::vector<uint8_t> bytes = stored;
      SetWord(bytes, 2 + 4 * word, value);
      WriteBytes(Save("system.dat"), bytes);
      ExpectAQuickNormalEnd();
    }
  }
}

// A FIFO would block the read until a writer came, /dev/zero never ends: both are refused at
// once, set aside where the file holds the player's data, and a fresh file takes their place.
TEST_F(GameStoredState, SaveFolderFilesThatAreNotRegularFilesAreRefusedAtOnce) {
  for (const char* name : {"config.dat", "system.dat", "access.dat"}) {
    for (const bool fifo : {true, false}) {
      SCOPED_TRACE(std::string(name) + (fifo ? " as a FIFO" : " as a link to /dev/zero"));
      fs::remove(Save(name));
      if (fifo) {
        ASSERT_EQ(::mkfifo(Save(name).c_str(), 0600), 0);
      } else {
        fs::create_symlink("/dev/zero", Save(name));
      }
      ExpectAQuickNormalEnd();
      EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(Save(name)))) << "a fresh file";
      fs::remove(fs::path(Save(name)) += ".damaged");
    }
  }
}

TEST(GameStartFaults, AMissingArchiveListIsReportedOnce) {
  test::GameFolder game(kEndingScript);
  fs::remove(game.root() / "data" / "archive.dat");
  test::Process process = game.Start();
  EXPECT_EQ(process.Wait(test::kHungMs), 0) << process.Stderr();
  const std::string& err = process.Stderr();
  const size_t first = err.find("ArchiveData Fail");
  ASSERT_NE(first, std::string::npos) << err;
  EXPECT_EQ(err.find("ArchiveData Fail", first + 1), std::string::npos) << err;
}

// Without a display, the window and sound libraries look for their servers in the runtime
// folder; where $XDG_RUNTIME_DIR is missing they would complain on every attempt.
TEST(GameStartFaults, WithoutARuntimeFolderOrDisplayTheStartIsQuiet) {
  test::GameFolder game(kEndingScript);
  test::Process process = game.Start(
      {"XDG_RUNTIME_DIR=", "SDL_VIDEODRIVER=", "SDL_AUDIODRIVER=", "DISPLAY=", "WAYLAND_DISPLAY="});
  EXPECT_EQ(process.Wait(test::kHungMs), 0) << process.Stderr();
  EXPECT_EQ(process.Stderr().find("XDG_RUNTIME_DIR"), std::string::npos) << process.Stderr();
}

// With a file-size limit below "system.dat", the end's write fails as on a full disk: the game
// ends normally instead of being killed halfway, and the file of the earlier run stays whole.
TEST_F(GameStoredState, AFileSizeLimitFailsTheWriteAndKeepsTheOldFile) {
  const std::vector<uint8_t> before = game_.ReadFile(Save("system.dat"));
  ASSERT_GT(before.size(), 4096u);
  std::vector<std::string> env = test::IsolatedEnvironment(game_.root());
  test::Process process = test::Process::Start(
      {"/bin/sh", "-c", "ulimit -f 4 && exec \"$0\"", (game_.root() / "Game").string()}, env,
      game_.root().string());
  EXPECT_EQ(process.Wait(test::kHungMs), 0) << process.Stderr();
  EXPECT_EQ(game_.ReadFile(Save("system.dat")), before);
}

}  // namespace

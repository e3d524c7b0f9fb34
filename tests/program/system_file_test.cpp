#include "program/savedata/system_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "os/encoding.h"
#include "os/message_box.h"
#include "program/data/byte_io.h"
#include "tests/program/temp_folder.h"

namespace {

std::string Word(uint32_t value) {
  adv::ByteWriter out;
  out.U32(value);
  return out.Take();
}

// A list file with `count` entries and a body of as many bytes.
std::string ListFile(uint32_t count) {
  return "LIST" + std::string(8, '\0') + Word(count) + std::string(count, 'x');
}

// A save folder and a game folder with "Script.src" and the two list files the system data needs.
class SystemFileTest : public ::testing::Test {
 protected:
  SystemFileTest() {
    std::filesystem::create_directory(save_.path() + "/save");
    SetGame(0x12345678u, 100, 40);
    os::SetMessageBoxHook([this](const std::string& text, const std::string&, os::BoxButtons) {
      boxes_.push_back(text);
      return os::BoxAnswer::kOk;
    });
  }
  ~SystemFileTest() override { os::SetMessageBoxHook(nullptr); }

  void SetGame(uint32_t stamp, uint32_t texts, uint32_t files) {
    game_.Write("Script.src", "Sv20" + Word(stamp) + Word(12));
    game_.Write("Text.dat", ListFile(texts));
    game_.Write("File.dat", ListFile(files));
  }
  adv::SystemDataIo Io() {
    return adv::MakeSystemDataIo(save_.path(), test::FolderReader(game_.path()),
                                 [this](const std::string& line) { log_.push_back(line); });
  }
  adv::SoundSettingsBlock Sound() const {
    adv::SoundSettingsBlock sound;
    for (size_t i = 0; i < sound.size(); ++i) sound[i] = static_cast<uint8_t>(i * 7);
    return sound;
  }
  std::string Stored() const { return save_.Read("system.dat"); }

  test::TempFolder save_, game_;
  std::vector<std::string> log_;
  std::vector<std::string> boxes_;
};

TEST_F(SystemFileTest, TheFileIsLaidOutFieldByFieldAndReadsBackByteExact) {
  adv::SystemData data;
  data.settings.build_stamp = 0xA1B2C3D4u;
  data.settings.newest_save_slot = 17;
  data.settings.reserved[191] = -2;
  data.sound = Sound();
  data.system_memory[0] = 5;
  data.system_memory[1023] = -7;
  data.text_read_bitmap = {1, 2, 3};
  data.file_state_map = {0xC0};
  const std::string bytes = adv::SerializeSystemData(data);
  ASSERT_EQ(bytes.size(), adv::kSystemDataFixedSize + 4 + 3 + 4 + 1);
  EXPECT_EQ(bytes.substr(0, 2), std::string("\x1B\0", 2));
  EXPECT_EQ(bytes.substr(2, 4), "\xD4\xC3\xB2\xA1");
  EXPECT_EQ(bytes.substr(2 + 6 * 4, 4), Word(17));
  EXPECT_EQ(bytes.substr(2 + 7 * 4, 4), Word(50));  // auto-mode speed default
  EXPECT_EQ(bytes.substr(814, 4), Word(static_cast<uint32_t>(-2)));
  EXPECT_EQ(static_cast<uint8_t>(bytes[818 + 1]), 7);
  EXPECT_EQ(bytes.substr(3762, 4), Word(5));
  EXPECT_EQ(bytes.substr(7854, 4), Word(static_cast<uint32_t>(-7)));
  EXPECT_EQ(bytes.substr(7858), Word(3) + "\x01\x02\x03" + Word(1) + "\xC0");

  adv::SystemData back;
  ASSERT_TRUE(adv::ParseSystemData(bytes, back));
  EXPECT_EQ(adv::SerializeSystemData(back), bytes);
  // Another version word is read all the same.
  std::string old_version = bytes;
  old_version[0] = 26;
  ASSERT_TRUE(adv::ParseSystemData(old_version, back));
  EXPECT_EQ(back.settings.newest_save_slot, 17);
}

TEST_F(SystemFileTest, CreateStampsTheDefaultsAndSizesTheMapsForTheListFiles) {
  adv::SystemDataIo io = Io();
  adv::SystemData data;
  ASSERT_TRUE(adv::SystemDataLoadOrCreate(io, Sound(), data));
  EXPECT_EQ(data.settings.build_stamp, 0x12345678u);
  EXPECT_EQ(data.settings.effects_on, 1);
  EXPECT_EQ(data.settings.newest_save_slot, -1);
  EXPECT_EQ(data.settings.text_base, -1);
  EXPECT_EQ(data.text_read_bitmap.size(), 100u / 8 + 1);
  EXPECT_EQ(data.file_state_map.size(), 40u / 4 + 1);
  EXPECT_EQ(data.sound, Sound());
  EXPECT_EQ(Stored(), adv::SerializeSystemData(data));
  EXPECT_TRUE(boxes_.empty());

  // The next run reads what this one wrote.
  data.system_memory[3] = 42;
  data.text_read_bitmap[12] = 0x80;
  ASSERT_TRUE(adv::SystemDataSave(io, data));
  adv::SystemData next;
  adv::SystemDataIo next_io = Io();
  EXPECT_EQ(adv::SystemDataLoad(next_io, next), adv::SystemDataStatus::kLoaded);
  EXPECT_EQ(adv::SerializeSystemData(next), Stored());
}

TEST_F(SystemFileTest, ListCountsAtTheLimitsWarnOnlyBeyondThem) {
  struct Case {
    uint32_t texts, files;
    size_t bitmap, map;
    size_t boxes;
  };
  const Case cases[] = {
      {200000, 65535, 25001, 16384, 0},
      {200001, 65535, 25001, 16384, 1},
      {200000, 65536, 25001, 16385, 1},
  };
  for (const Case& c : cases) {
    boxes_.clear();
    SetGame(1, c.texts, c.files);
    adv::SystemDataIo io = Io();
    adv::SystemData data;
    ASSERT_TRUE(adv::SystemDataCreate(io, Sound(), data));
    EXPECT_EQ(data.text_read_bitmap.size(), c.bitmap) << c.texts;
    EXPECT_EQ(data.file_state_map.size(), c.map) << c.files;
    EXPECT_EQ(boxes_.size(), c.boxes) << c.texts << " " << c.files;
  }
}

TEST_F(SystemFileTest, StoredMapsAreFittedToTheCurrentListFiles) {
  adv::SystemData data;
  data.text_read_bitmap = {0xFF, 0x01};   // written for fewer texts than there are now
  data.file_state_map.assign(500, 0x33);  // and for more files
  save_.Write("system.dat", adv::SerializeSystemData(data));
  adv::SystemDataIo io = Io();
  adv::SystemData loaded;
  ASSERT_EQ(adv::SystemDataLoad(io, loaded), adv::SystemDataStatus::kLoaded);
  ASSERT_EQ(loaded.text_read_bitmap.size(), 13u);
  EXPECT_EQ(loaded.text_read_bitmap[0], 0xFF);
  EXPECT_EQ(loaded.text_read_bitmap[1], 0x01);
  EXPECT_EQ(loaded.text_read_bitmap[12], 0);
  EXPECT_EQ(loaded.file_state_map, std::vector<uint8_t>(11, 0x33));
}

TEST_F(SystemFileTest, AShortOrDamagedFileIsKeptAsideAndReplacedByTheDefaults) {
  adv::SystemData data;
  data.system_memory[0] = 9;
  data.text_read_bitmap = {1};
  const std::string whole = adv::SerializeSystemData(data);
  std::string huge_map = whole;
  huge_map.replace(adv::kSystemDataFixedSize, 4, Word(0xFFFFFFF0u));
  for (const std::string& damaged :
       {whole.substr(0, 5000), whole.substr(0, adv::kSystemDataFixedSize + 2), huge_map,
        std::string()}) {
    save_.Write("system.dat", damaged);
    log_.clear();
    adv::SystemDataIo io = Io();
    adv::SystemData loaded;
    ASSERT_TRUE(adv::SystemDataLoadOrCreate(io, Sound(), loaded)) << damaged.size();
    EXPECT_EQ(save_.Read("system.dat.damaged"), damaged);
    EXPECT_EQ(loaded.system_memory[0], 0);
    EXPECT_EQ(Stored(), adv::SerializeSystemData(loaded));
    ASSERT_FALSE(log_.empty());
    EXPECT_EQ(log_[0], os::Sjis("システムファイルの読み込みに失敗。[file size error]"));
  }
}

TEST_F(SystemFileTest, AFileThatCannotBeReadIsNeverWrittenOver) {
  std::filesystem::create_symlink("system.dat", save_ / "system.dat");  // opens with ELOOP
  adv::SystemDataIo io = Io();
  adv::SystemData data;
  ASSERT_TRUE(adv::SystemDataLoadOrCreate(io, Sound(), data));  // the run goes on with defaults
  EXPECT_EQ(data.settings.build_stamp, 0x12345678u);
  EXPECT_FALSE(adv::SystemDataSave(io, data));
  EXPECT_TRUE(std::filesystem::is_symlink(save_ / "system.dat"));
}

TEST_F(SystemFileTest, CreateFailsWithoutTheScriptOrAListFile) {
  struct Case {
    const char* missing;
    const char* line;
  };
  const Case cases[] = {
      {"Script.src", "システムファイルの作成に失敗。[Script.rc]"},
      {"Text.dat", "システムファイルの作成に失敗。[Text.dat]"},
      {"File.dat", "システムファイルの作成に失敗。[File.dat]"},
  };
  for (const Case& c : cases) {
    SetGame(1, 8, 8);
    std::filesystem::remove(game_ / c.missing);
    log_.clear();
    adv::SystemDataIo io = Io();
    adv::SystemData data;
    EXPECT_FALSE(adv::SystemDataLoadOrCreate(io, Sound(), data)) << c.missing;
    EXPECT_EQ(log_.back(), os::Sjis(c.line));
    EXPECT_FALSE(save_.Exists("system.dat"));
  }
  // A count beyond what the file holds is damage, not a reason to allocate.
  SetGame(1, 8, 8);
  game_.Write("Text.dat", "LIST" + std::string(8, '\0') + Word(0xFFFFFFFFu));
  adv::SystemDataIo io = Io();
  adv::SystemData data;
  EXPECT_FALSE(adv::SystemDataCreate(io, Sound(), data));
}

TEST_F(SystemFileTest, TheScriptStampDecidesWhetherTheSaveDataStillFits) {
  const adv::GameFileRead read = test::FolderReader(game_.path());
  EXPECT_TRUE(adv::ScriptStampMatches(save_.path(), read));  // first start: nothing to compare
  adv::SystemDataIo io = Io();
  adv::SystemData data;
  ASSERT_TRUE(adv::SystemDataCreate(io, Sound(), data));
  EXPECT_TRUE(adv::ScriptStampMatches(save_.path(), read));
  SetGame(0x12345679u, 100, 40);
  EXPECT_FALSE(adv::ScriptStampMatches(save_.path(), read));
  std::filesystem::remove(game_ / "Script.src");
  EXPECT_FALSE(adv::ScriptStampMatches(save_.path(), read));
}

// Runs `body` as a user who may list the folder but not delete from it: 1 when it returned
// false, 0 when true, anything else when the folder could not even be listed.
int RunWithoutDeleteRights(const std::string& parent, const std::string& folder,
                           const std::function<bool()>& body) {
  if (geteuid() != 0) {
    chmod(folder.c_str(), 0555);
    const bool result = body();
    chmod(folder.c_str(), 0755);
    return result ? 0 : 1;
  }
  chmod(parent.c_str(), 0755);
  chmod(folder.c_str(), 0755);
  const pid_t child = fork();
  if (child == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
    if (access(folder.c_str(), R_OK | X_OK) != 0) _exit(3);
    _exit(body() ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::vector<std::string> FolderNames(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Only what the engine writes goes, by its exact name: a ".dat" or ".jpg" of the script's, of
// another program's or of the player's that happens to lie in the folder stays.
TEST_F(SystemFileTest, DeleteSaveDataRemovesTheEngineFilesOnlyAndReportsWhatItCouldNot) {
  const std::string folder = save_ / "save";
  const std::vector<std::string> engine_files = {"access.dat",       "config.dat",  "continue.dat",
                                                 "hist0000001f.dat", "save000.dat", "save999.dat",
                                                 "save_tmp.dat",     "system.dat"};
  const std::vector<std::string> other_files = {
      "a.jpgx",     "folder.dat",   "hist0000001F.dat", "hist1f.dat",        "keep.DAT",
      "keep.dat",   "keep.dat.tmp", "keep.png",         "keepdat",           "photo.jpg",
      "save00.dat", "save0x1.dat",  "saveabc.dat",      "system.dat.damaged"};
  for (const auto* names : {&engine_files, &other_files}) {
    for (const std::string& name : *names) {
      if (name != "folder.dat") save_.Write("save/" + name, "x");
    }
  }
  std::filesystem::create_directory(folder + "/folder.dat");
  EXPECT_EQ(
      RunWithoutDeleteRights(save_.path(), folder, [&] { return adv::DeleteSaveData(folder); }), 1);
  EXPECT_TRUE(save_.Exists("save/system.dat"));

  EXPECT_TRUE(adv::DeleteSaveData(folder));
  EXPECT_EQ(FolderNames(folder), other_files);
  EXPECT_FALSE(adv::DeleteSaveData(save_ / "missing"));
}

// A write cut short leaves "<name>.tmp" of an engine file; at start such files go, and nothing
// else does.
TEST_F(SystemFileTest, StaleTemporariesOfEngineFilesAreRemoved) {
  const std::string folder = save_ / "save";
  const std::vector<std::string> kept = {"hist00000002.dat", "keep.dat.tmp", "notes.ini.tmp",
                                         "save001.dat",      "system.dat",   "x.tmp"};
  for (const std::string& name : kept) save_.Write("save/" + name, "x");
  for (const char* name : {"hist00000001.dat.tmp", "save001.dat.tmp", "system.dat.tmp",
                           "continue.dat.tmp", "access.dat.tmp"}) {
    save_.Write(std::string("save/") + name, "x");
  }
  adv::RemoveStaleTemporaries(folder);
  EXPECT_EQ(FolderNames(folder), kept);
}

}  // namespace

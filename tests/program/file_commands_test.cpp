// The file commands of group 0x12 through assembled scripts: token files and their bounds, the
// game-file questions, the folders, and the commands that write, delete, rename or look for files
// on disk, which reach the game and save folders and nothing else.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "os/encoding.h"
#include "program/data/script_token_file.h"
#include "program/game/game_task.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"
#include "tests/program/process_runner.h"
#include "tests/program/script_machine.h"
#include "tests/program/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using test::ScriptMachine;

// ---- The token-file format --------------------------------------------------------------------

struct TokenCase {
  const char* name;
  std::string file;
  std::vector<uint32_t> values;
  std::vector<std::string> texts;
};

std::vector<uint32_t> ValuesOf(const adv::TokenFileData& data) {
  std::vector<uint32_t> values(data.value_size / 4);
  if (data.value_size != 0) std::memcpy(values.data(), data.bytes.data(), data.value_size);
  return values;
}

std::vector<std::string> TextsOf(const adv::TokenFileData& data) {
  std::vector<std::string> texts;
  for (size_t at = data.value_size; at + 2 <= data.bytes.size();) {
    const size_t length = data.bytes[at] | data.bytes[at + 1] << 8;
    texts.emplace_back(reinterpret_cast<const char*>(data.bytes.data()) + at + 2, length);
    at += 2 + length;
  }
  return texts;
}

const TokenCase kTokenCases[] = {
    {"TwoLinesWithAComment", "12,\"abc\"\n-3 // note\n", {12, 0x80000000u, 0xFFFFFFFDu}, {"abc"}},
    {"CommentJoinsTheNextLine", "1,2 // note\r\n3,4", {1, 23, 4}, {}},
    {"CommaInsideQuotesCutsTheText", "\"a,b\",5", {0x80000000u, 0, 5}, {"a"}},
    {"TwoCommasGiveZero", "1,,2", {1, 0, 2}, {}},
    {"EmptyFile", "", {}, {}},
    {"BlankAndEmptyLinesCarryNothing", "  \n\n 7\r\n\n\t8\n", {7, 8}, {}},
    {"TextOffsetsFollowTheRecords",
     "\"x\",\"\",\"yz\"",
     {0x80000000u, 0x80000003u, 0x80000005u},
     {"x", "", "yz"}},
    // A token longer than 512 bytes is one value: its text is cut, the next token stays whole.
    {"LongTokenStaysOneToken",
     "\"" + std::string(600, 'a') + "\",9",
     {0x80000000u, 9},
     {std::string(511, 'a')}},
};

class TokenFileFormat : public ::testing::TestWithParam<TokenCase> {};

TEST_P(TokenFileFormat, GivesValuesAndTexts) {
  const std::optional<adv::TokenFileData> data = adv::TokenFileBuild(GetParam().file);
  ASSERT_TRUE(data);
  EXPECT_EQ(ValuesOf(*data), GetParam().values);
  EXPECT_EQ(TextsOf(*data), GetParam().texts);
}

INSTANTIATE_TEST_SUITE_P(FileCommands, TokenFileFormat, ::testing::ValuesIn(kTokenCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Scripts ------------------------------------------------------------------------------------

// A game folder and a save folder side by side, with a folder outside both and the temporary and
// home folders beside them; the program's names point at them and the file layer searches the
// game folder.
class FileCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(yel::LoadLibraryFrom(YEL_LIBRARY));
    saved_names_ = adv::Startup();
    for (const std::string& folder : {game_, save_, outside_, temp_, home_}) {
      fs::create_directories(folder);
    }
    adv::Startup().program_folder = game_;
    adv::Startup().save_folder = save_;
    yel::YelSystemPathInit();
    yel::YelSystemPathSet(game_.c_str());
  }
  void TearDown() override {
    yel::YelSystemPathUninit();
    adv::Startup() = saved_names_;
  }

  // A machine on `source` with an open-file list, released at the end as the game releases it.
  struct Script {
    explicit Script(const std::string& source) : machine(source) {
      machine.context().script_files = yel::YelListCreate();
    }
    ~Script() {
      YelList* list = machine.context().script_files;
      while (list->next) yel::YelMemoryFree(reinterpret_cast<void*>(yel::YelListPopFirst(list)));
      yel::YelListRelease(list);
    }
    void Set(int n, const std::string& text) {
      auto& slot = machine.context().values.string_variables[static_cast<size_t>(n)];
      slot.fill(0);
      std::memcpy(slot.data(), text.data(), text.size());
    }
    std::string S(int n) { return machine.context().values.string_variables[n].data(); }
    int32_t Temp(int n) { return machine.context().values.temp_memory[n]; }
    ScriptMachine machine;
  };

  std::unique_ptr<Script> Run(const std::string& source, const std::vector<std::string>& strings) {
    auto script = std::make_unique<Script>(source);
    EXPECT_TRUE(script->machine.loaded());
    for (size_t i = 0; i < strings.size(); ++i) script->Set(static_cast<int>(i), strings[i]);
    script->machine.Run();
    return script;
  }

  test::TempFolder root_;
  std::string game_ = root_ / "game";
  std::string save_ = root_ / "save";
  std::string outside_ = root_ / "outside";
  std::string temp_ = root_ / "tmp";
  std::string home_ = root_ / "home";
  test::ScopedEnv temp_env_{"TMPDIR", temp_};
  test::ScopedEnv home_env_{"HOME", home_};
  test::ScopedEnv config_env_{"XDG_CONFIG_HOME", std::nullopt};
  adv::StartupNames saved_names_;
};

TEST_F(FileCommands, OpenReadAndTextOfATokenFile) {
  std::ofstream(game_ + "/data.txt") << "12,\"abc\"\n-3 // note\n";
  // The platform's count of live memory blocks (the program itself has no use for it).
  const auto alloc_count = reinterpret_cast<int32_t (*)()>(yel::BindExport("YelGetAllocCount"));
  const int32_t blocks = alloc_count();
  {
    auto script =
        Run("cmd open_file(f\"data.txt\") -> v1\n"
            "cmd read_file(v1, 0, 3) -> v2\n"
            "mov v9, 1\n"
            "cmd file_string(v1, temp[v9], s2)\n"
            "cmd read_file(v1, 3, 1) -> v3\n"  // past the last value
            "cmd close_file(v1)\n",
            {});
    EXPECT_GT(script->machine.V(1), 0);
    EXPECT_EQ(script->machine.V(2), 1);
    EXPECT_EQ(script->Temp(0), 12);
    EXPECT_EQ(static_cast<uint32_t>(script->Temp(1)), 0x80000000u);
    EXPECT_EQ(script->Temp(2), -3);
    EXPECT_EQ(script->S(2), "abc");
    EXPECT_EQ(script->machine.V(3), 0);
    EXPECT_TRUE(script->machine.Logged("read_file eof", adv::kLogTrace));
    // What is left: the open-file list and the display queue.
    EXPECT_EQ(alloc_count(), blocks + 2) << "close_file frees the file";
  }
  EXPECT_EQ(alloc_count(), blocks);
}

TEST_F(FileCommands, MissingTokenFileGivesZero) {
  auto script = Run("cmd open_file(s0) -> v1\n", {"nothing.txt"});
  EXPECT_EQ(script->machine.V(1), 0);
  EXPECT_TRUE(script->machine.Logged("open_file error : NOTHING.TXT", adv::kLogError));
}

struct ReadCase {
  const char* calls;  // after the file is open in v1; the last call's result into v2
  int32_t result;
  int cell;  // a TempMemory cell to look at afterwards
  int32_t value;
};

// The file holds the eight values 1 to 8.
const ReadCase kReadCases[] = {
    {"cmd read_file(v1, 250, 6) -> v2", 1, 255, 6},
    {"cmd read_file(v1, 250, 7) -> v2", 0, 250, 0},  // cell 256 does not exist
    {"cmd read_file(v1, 0, 9) -> v2", 0, 0, 0},      // past the value area
    {"cmd read_file(v1, 0, 0) -> v2", 1, 0, 0},
    {"cmd read_file(v1, -1, 1) -> v2", 0, 0, 0},
    {"cmd read_file(v1, 0, -1) -> v2", 0, 0, 0},
    // index + count and 4 × count both wrap in 32 bits
    {"cmd read_file(v1, -2147483600, 1073741824) -> v2", 0, 0, 0},
    {"cmd set_file_pointer(v1, 0, 2)\ncmd read_file(v1, 0, 1) -> v2", 0, 0, 0},
    {"cmd set_file_pointer(v1, -1, 2)\ncmd read_file(v1, 0, 1) -> v2", 1, 0, 8},
    {"cmd set_file_pointer(v1, 2, 0)\ncmd set_file_pointer(v1, 1, 1)\n"
     "cmd read_file(v1, 0, 1) -> v2",
     1, 0, 4},
    // 4 × 0x40000001 is 4 in 32 bits: the move is refused and the position stays at the start
    {"cmd set_file_pointer(v1, 1073741825, 0)\ncmd read_file(v1, 0, 1) -> v2", 1, 0, 1},
    // position 4 plus 4 × 0x3FFFFFFF is 0 in 32 bits
    {"cmd set_file_pointer(v1, 1, 0)\ncmd set_file_pointer(v1, 1073741823, 1)\n"
     "cmd read_file(v1, 0, 1) -> v2",
     1, 0, 2},
    {"cmd set_file_pointer(v1, -1, 0)\ncmd read_file(v1, 0, 1) -> v2", 1, 0, 1},
    {"cmd set_file_pointer(v1, 5, 7)\ncmd read_file(v1, 0, 1) -> v2", 1, 0, 1},  // no such origin
};

class TokenFileReads : public FileCommands, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(TokenFileReads, StayInsideTheValuesAndTheCells) {
  std::ofstream(game_ + "/eight.txt") << "1,2,3,4,5,6,7,8\n";
  auto script = Run(std::string("cmd open_file(f\"eight.txt\") -> v1\n") + GetParam().calls, {});
  ASSERT_GT(script->machine.V(1), 0);
  EXPECT_EQ(script->machine.V(2), GetParam().result);
  EXPECT_EQ(script->Temp(GetParam().cell), GetParam().value);
  EXPECT_EQ(script->machine.Logged("read_file eof", adv::kLogTrace), GetParam().result == 0);
}

INSTANTIATE_TEST_SUITE_P(FileCommands, TokenFileReads, ::testing::ValuesIn(kReadCases),
                         [](const auto& info) { return "Row" + std::to_string(info.index); });

TEST_F(FileCommands, ClosedAndUnknownHandlesReachNothing) {
  std::ofstream(game_ + "/data.txt") << "\"abc\",1";
  auto script =
      Run("cmd open_file(f\"data.txt\") -> v1\n"
          "cmd close_file(v1)\n"
          "cmd read_file(v1, 0, 1) -> v2\n"
          "cmd set_file_pointer(v1, 0, 0)\n"
          "cmd file_string(v1, 0x80000000, s0)\n"
          "cmd close_file(v1)\n"  // not open any more: nothing happens
          "cmd read_file(12345, 0, 1) -> v3\n"
          "cmd close_file(0)\n"
          "cmd open_file(f\"data.txt\") -> v4\n",
          {"keep"});
  EXPECT_EQ(script->machine.V(2), 0);
  EXPECT_EQ(script->machine.V(3), 0);
  EXPECT_EQ(script->machine.CountLogged("read_file not handle"), 2);
  EXPECT_TRUE(script->machine.Logged("set_file_pointer not handle", adv::kLogError));
  EXPECT_TRUE(script->machine.Logged("file_string not handle", adv::kLogError));
  EXPECT_EQ(script->machine.CountLogged("close_file not handle"), 1);
  EXPECT_EQ(script->S(0), "keep");
  EXPECT_GT(script->machine.V(4), 0);
  EXPECT_NE(script->machine.V(4), script->machine.V(1)) << "a closed handle is not reused";
}

// The text table holds one record: length 3, "abc" (5 bytes).
TEST_F(FileCommands, FileStringStaysInTheTextTableAndTheSlots) {
  std::ofstream(game_ + "/data.txt") << "\"abc\",1";
  auto script =
      Run("cmd open_file(f\"data.txt\") -> v1\n"
          "cmd file_string(v1, 0x80000005, s0)\n"           // past the table
          "cmd file_string(v1, 0x80000001, s1)\n"           // mid-record: a length of 0x6100 bytes
          "cmd file_string(v1, 0x80000000, 3)\n"            // slot 3 without bit 28
          "cmd file_string(v1, 0x80000000, 0x10000014)\n",  // slot 20
          {"keep0", "keep1"});
  EXPECT_EQ(script->S(0), "keep0");
  EXPECT_EQ(script->S(1), "keep1");
  EXPECT_EQ(script->S(3), "abc");
  EXPECT_EQ(script->machine.CountLogged("file_string: no text at"), 2);
  EXPECT_TRUE(script->machine.Logged("file_string: no string variable 20", adv::kLogError));
}

TEST_F(FileCommands, GameFilesAreFoundInFoldersAndArchives) {
  std::ofstream(game_ + "/data.txt") << "12345";
  fs::create_directories(root_ / "src");
  std::ofstream(root_ / "src/inpac.txt") << "archived!";
  test::Process builder =
      test::Process::Start({PACBUILD_TOOL, "-q", root_ / "src", game_ + "/arc.pac"});
  ASSERT_EQ(builder.Wait(test::kHungMs), 0) << builder.Stderr();
  yel::YelSystemPathSet((game_ + "/arc").c_str());
  auto script =
      Run("cmd get_file_size(f\"data.txt\") -> v1\n"
          "cmd get_file_size(s0) -> v2\n"
          "cmd get_file_size(f\"missing.txt\") -> v3\n"
          "cmd file_exist(\"data.txt\") -> v4\n"
          "cmd file_exist(\"missing.txt\") -> v5\n",
          {"inpac.txt"});
  EXPECT_EQ(script->machine.V(1), 5);
  EXPECT_EQ(script->machine.V(2), 9);
  EXPECT_EQ(script->machine.V(3), -1);
  EXPECT_EQ(script->machine.V(4), 1);
  EXPECT_EQ(script->machine.V(5), 0);
  EXPECT_TRUE(script->machine.Logged("[1] file_exist data.txt", adv::kLogTrace));
}

TEST_F(FileCommands, FileStateIsTheOrOfTheReferencesStates) {
  auto script = std::make_unique<Script>(
      ".file \"a.png\", \"b.png\"\n"
      "cmd get_file_state(f\"a.png\", s0, s1, f\"b.png\", NONE, NONE, NONE, NONE) -> v1\n");
  adv::AdvTaskData& data = script->machine.data();
  data.system.file_state_map.assign(4, 0);
  data.system.file_state_map[0] = 0x1;  // A.PNG: 1, B.PNG: 0
  ASSERT_TRUE(adv::AccessListAdd(data.access, "NEW.PNG", 2));
  script->Set(0, "new.png");
  script->Set(1, "unknown.png");
  script->machine.Run();
  EXPECT_EQ(script->machine.V(1), 3);
  EXPECT_EQ(data.system.file_state_map[0], 0x1) << "nothing is marked";
}

TEST_F(FileCommands, FoldersGoIntoStringVariables) {
  auto script =
      Run("cmd get_temp_folder(s0) -> v1\n"
          "cmd get_exe_folder(s1) -> v2\n"
          "cmd get_save_folder(s2) -> v3\n"
          "cmd get_temp_folder(5) -> v4\n",
          {});
  EXPECT_EQ(script->machine.V(1), 1);
  EXPECT_FALSE(script->S(0).empty());
  EXPECT_NE(script->S(0).back(), '/');
  EXPECT_EQ(script->S(1), game_);
  EXPECT_EQ(script->S(2), save_);
  EXPECT_EQ(script->machine.V(4), 0);
  EXPECT_TRUE(script->machine.Logged(os::Sjis("Get Temp Folder : string型以外の型を指定しました。"),
                                     adv::kLogError));
}

TEST_F(FileCommands, TextFileSaveAppendsTranslatedText) {
  auto script =
      Run("cmd text_file_save(s0, s1) -> v1\n"
          "cmd text_file_save(s0, s1) -> v2\n"
          "cmd text_file_save(s2, s1) -> v3\n",
          {"out.txt", "a\\nb\\'c\\d", save_ + "\\notes.txt"});
  EXPECT_EQ(script->machine.V(1), 8);
  EXPECT_EQ(script->machine.V(2), 8);
  EXPECT_EQ(script->machine.V(3), 8);
  EXPECT_EQ(root_.Read("game/out.txt"), "a\r\nb\"c\\da\r\nb\"c\\d");
  EXPECT_EQ(root_.Read("save/notes.txt"), "a\r\nb\"c\\d");
}

TEST_F(FileCommands, TruncateThenAppendLines) {
  std::ofstream(game_ + "/log.txt") << "old";
  auto script =
      Run("cmd truncate_file(s0)\n"
          "cmd append_file(\"one\") -> v1\n"
          "cmd append_file(\"two\") -> v2\n"
          "cmd append_set_file(5) -> v3\n"
          "cmd truncate_file(7) -> v4\n",
          {"log.txt"});
  EXPECT_EQ(script->machine.V(1), 1);
  EXPECT_EQ(script->machine.V(2), 1);
  EXPECT_EQ(root_.Read("game/log.txt"), "one\r\ntwo\r\n");
  EXPECT_TRUE(script->machine.Logged("[3]append_file two", adv::kLogTrace));
  EXPECT_EQ(script->machine.V(3), 0);
  EXPECT_TRUE(script->machine.Logged(os::Sjis("append_set_file 引数がstring型ではありません"),
                                     adv::kLogError));
  EXPECT_TRUE(script->machine.Logged(os::Sjis("truncate_file 引数がstring型ではありません"),
                                     adv::kLogError));
}

TEST_F(FileCommands, RenameAndDelete) {
  std::ofstream(game_ + "/a.txt") << "a";
  std::ofstream(game_ + "/c.txt") << "c";
  auto script =
      Run("cmd file_rename(s0, s1) -> v1\n"
          "cmd file_rename(s1, s2) -> v2\n"  // the new name exists
          "cmd file_delete(s1) -> v3\n"
          "cmd file_delete(s1) -> v4\n",
          {"a.txt", "b.txt", "c.txt"});
  EXPECT_EQ(script->machine.V(1), 1);
  EXPECT_EQ(script->machine.V(2), 0);
  EXPECT_TRUE(script->machine.Logged("Can't Rename b.txt c.txt", adv::kLogError));
  EXPECT_EQ(root_.Read("game/c.txt"), "c");
  EXPECT_EQ(script->machine.V(3), 1);
  EXPECT_TRUE(script->machine.Logged("Delete b.txt", adv::kLogTrace));
  EXPECT_EQ(script->machine.V(4), 0);
  EXPECT_TRUE(script->machine.Logged("Can't Delete b.txt", adv::kLogError));
  EXPECT_FALSE(root_.Exists("game/a.txt"));
  EXPECT_FALSE(root_.Exists("game/b.txt"));
}

TEST_F(FileCommands, DirExistMatchesFoldersByPattern) {
  fs::create_directories(game_ + "/Data");
  std::ofstream(game_ + "/file.txt") << "x";
  const std::pair<std::string, int32_t> rows[] = {
      {"Data", 1},    {"data", 1},   {"D*", 1},       {"Da?a", 1},  {save_, 1},
      {"missing", 0}, {"Data\\", 0}, {"file.txt", 0}, {"*.txt", 0}, {"..\\outside", 0},
  };
  for (const auto& [path, result] : rows) {
    auto script = Run("cmd dir_exist(s0) -> v1\n", {path});
    EXPECT_EQ(script->machine.V(1), result) << path;
  }
  auto script = Run("cmd dir_exist(s0) -> v1\n", {std::string(260, 'a')});
  EXPECT_EQ(script->machine.V(1), 0);
  EXPECT_TRUE(script->machine.Logged("dir_exist: param size over", adv::kLogError));
}

// Every command that changes files refuses paths that leave the game and save folders: the file
// outside keeps what it holds, and the refusal is logged.
TEST_F(FileCommands, PathsOutsideTheGameAndSaveFoldersAreRefused) {
  const fs::path working_folder = fs::current_path();
  const std::string victim = outside_ + "/victim.txt";
  const char* commands[] = {
      "cmd file_delete(s0) -> v1\n",     "cmd text_file_save(s0, s1) -> v1\n",
      "cmd truncate_file(s0)\n",         "cmd append_set_file(s0)\ncmd append_file(\"x\") -> v1\n",
      "cmd file_rename(s0, s1) -> v1\n", "cmd file_rename(s2, s0) -> v1\n",
  };
  const std::string paths[] = {
      "..\\outside\\victim.txt",
      "../outside/victim.txt",
      "save\\..\\..\\outside\\victim.txt",
      victim,
      save_ + "/../outside/victim.txt",
      "C:\\victim.txt",
      "link\\victim.txt",  // through a link in the game folder to the folder outside
  };
  fs::create_directory_symlink(outside_, game_ + "/link");
  for (const char* command : commands) {
    for (const std::string& path : paths) {
      SCOPED_TRACE(std::string(command) + path);
      std::ofstream(victim) << "keep";
      std::ofstream(game_ + "/mine.txt") << "mine";
      auto script = Run(command, {path, "x.txt", "mine.txt"});
      EXPECT_EQ(script->machine.V(1), 0);
      EXPECT_TRUE(script->machine.Logged("path refused", adv::kLogError));
      EXPECT_EQ(root_.Read("outside/victim.txt"), "keep");
      EXPECT_EQ(root_.Read("game/mine.txt"), "mine");
    }
  }
  EXPECT_EQ(fs::current_path(), working_folder);
}

// A relative path lies in the game folder, where the file layer finds game files: what a script
// writes by name it finds again by name.
TEST_F(FileCommands, WrittenFilesAreFoundByName) {
  auto script =
      Run("cmd text_file_save(\"notes.txt\", s0) -> v1\n"
          "cmd file_exist(\"notes.txt\") -> v2\n"
          "cmd open_file(f\"notes.txt\") -> v3\n"
          "cmd read_file(v3, 0, 2) -> v4\n"
          "cmd close_file(v3)\n",
          {"12,34"});
  EXPECT_EQ(script->machine.V(1), 5);
  EXPECT_EQ(script->machine.V(2), 1);
  EXPECT_GT(script->machine.V(3), 0);
  EXPECT_EQ(script->machine.V(4), 1);
  EXPECT_EQ(script->Temp(0), 12);
  EXPECT_EQ(script->Temp(1), 34);
}

// The folders the engine hands a script take its files; the home folder itself, the settings
// folders, a link planted in one of the folders and a FIFO do not.
TEST_F(FileCommands, WritesReachTheTemporaryAndUserFoldersOnly) {
  fs::create_directories(home_ + "/Documents");
  fs::create_directories(home_ + "/Pictures");
  fs::create_directories(home_ + "/.config");
  fs::create_directory_symlink(outside_, save_ + "/planted");
  fs::create_symlink(outside_ + "/victim.txt", temp_ + "/planted.txt");
  ASSERT_EQ(mkfifo((save_ + "/fifo").c_str(), 0600), 0);
  const std::pair<std::string, int32_t> rows[] = {
      {temp_ + "/out.txt", 1},          {home_ + "/Documents/out.txt", 1},
      {home_ + "/Pictures/out.txt", 1}, {home_ + "/.profile", 0},
      {home_ + "/.config/out.txt", 0},  {save_ + "/planted/victim.txt", 0},
      {temp_ + "/planted.txt", 0},      {save_ + "/fifo", 0},
  };
  for (const auto& [path, written] : rows) {
    SCOPED_TRACE(path);
    std::ofstream(outside_ + "/victim.txt") << "keep";
    auto script =
        Run("cmd get_temp_folder(s2)\n"
            "cmd text_file_save(s0, s1) -> v1\n"
            "cmd file_delete(s0) -> v2\n",
            {path, "abc"});
    EXPECT_EQ(script->machine.V(1), written ? 3 : 0);
    EXPECT_EQ(script->machine.V(2), written);
    EXPECT_EQ(script->machine.Logged("path refused", adv::kLogError), written == 0);
    EXPECT_EQ(root_.Read("outside/victim.txt"), "keep");
    EXPECT_EQ(script->S(2), temp_);
  }
  EXPECT_TRUE(fs::is_fifo(save_ + "/fifo"));
  EXPECT_FALSE(root_.Exists("home/.profile"));
}

}  // namespace

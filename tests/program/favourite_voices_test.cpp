// Favourite voices: the table's rules, the favourites file written and read back, a write that
// fails at any step keeping the old file, malformed and random files read without running past
// their data, and the commands from a script.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "os/message_box.h"
#include "program/game/adv_context.h"
#include "program/sound/favourite_voices.h"
#include "program/sound/name_prefix.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"
#include "tests/program/script_machine.h"
#include "tests/program/started_library.h"
#include "tests/program/temp_folder.h"

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Name(int32_t i) {
  return std::string(adv::FieldText(adv::Favourites().records[i].name));
}
std::string Voice(int32_t i) {
  return std::string(adv::FieldText(adv::Favourites().records[i].voice));
}
std::string Text(int32_t i) {
  return std::string(adv::FieldText(adv::Favourites().records[i].text));
}

// The table is process-wide: each test starts from a cleared one in a game folder of its own.
class Favourites : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(yel::LoadLibraryFrom(YEL_LIBRARY));  // the engine's log goes through it
    saved_names_ = adv::Startup();
    adv::Startup().program_folder = folder_.path();
    adv::Startup().save_folder = folder_ / "save";
    fs::create_directories(folder_ / "save");
    adv::FavClearAll();
    adv::FavouriteMaximum() = adv::kFavouriteCapacity;
  }
  void TearDown() override {
    adv::FavClearAll();
    adv::FavouriteMaximum() = 0;
    adv::Startup() = saved_names_;
  }
  fs::path File() const { return fs::path(folder_.path()) / "FAV.TXT"; }

  test::TempFolder folder_;
  adv::StartupNames saved_names_;
};

TEST_F(Favourites, AMaximumOfZeroRefusesEveryAdd) {
  adv::FavouriteMaximum() = 0;
  EXPECT_EQ(adv::FavAdd(1, "a", "v", "t"), -1);
  adv::FavouriteMaximum() = 2;
  EXPECT_EQ(adv::FavAdd(1, "a", "v", "t"), 1);
  EXPECT_EQ(adv::FavAdd(2, "a", "v", "t"), 2);
  EXPECT_EQ(adv::FavAdd(3, "a", "v", "t"), -1);
  EXPECT_EQ(adv::FavCount(), 2);
}

TEST_F(Favourites, ANegativeNumberFollowsTheLargestAndMarkupIsDropped) {
  EXPECT_EQ(adv::FavAdd(3, "A", "VO1", "x"), 3);
  EXPECT_EQ(adv::FavAdd(7, "B", "VO2", "y"), 7);
  EXPECT_EQ(adv::FavAdd(9, "C", "VO3", "z"), 9);
  ASSERT_TRUE(adv::FavDelete(2));  // a deleted record counts as -1
  EXPECT_EQ(adv::FavAdd(-1, "D", "VO4", "<r 漢字>かんじ</r>です<b"), 8);
  EXPECT_EQ(Text(3), "かんじです");
  EXPECT_EQ(adv::FavFindNumber(8), 3);
  EXPECT_EQ(adv::FavFindNumber(9), -1);
  // Indexes are checked at both ends.
  EXPECT_FALSE(adv::FavSwap(-1, 0));
  EXPECT_FALSE(adv::FavSwap(0, 4));
  EXPECT_FALSE(adv::FavDelete(-1));
  EXPECT_EQ(adv::FavGetFlag(4), -1);
  EXPECT_FALSE(adv::FavMemoSet(4096, 1));
  EXPECT_FALSE(adv::FavMemoSet(-1, 1));
  EXPECT_EQ(adv::FavMemoGet(-1), -1);
  EXPECT_TRUE(adv::FavSwap(0, 3));
  EXPECT_EQ(Name(0), "D");
}

TEST_F(Favourites, TheFileRoundTripsWithoutDeletedRecords) {
  adv::FavInit("FAV.TXT");
  adv::FavAdd(1, "名前", "VO01|VOA|VOB", "本文, \xE3\x80\x82");
  adv::FavAdd(2, "gone", "VO02", "t");
  adv::FavAdd(3, "", "", "");
  adv::FavSetFlag(0, -3);
  adv::FavDelete(1);
  ASSERT_TRUE(adv::FavWriteFile());
  EXPECT_EQ(ReadAll(File()),
            "000001,-3,\"名前\",\"VO01|VOA|VOB\",\"本文, \xE3\x80\x82\"\r\n"
            "000003,0,\"\",\"\",\"\"\r\n");
  adv::FavClearRecords();
  ASSERT_EQ(adv::FavReadFile(), 2);
  EXPECT_EQ(adv::Favourites().records[0].number, 1);
  EXPECT_EQ(adv::FavGetFlag(0), -3);
  EXPECT_EQ(Name(0), "名前");
  EXPECT_EQ(Voice(0), "VO01|VOA|VOB");
  EXPECT_EQ(adv::Favourites().records[1].number, 3);
  const std::string first = ReadAll(File());
  ASSERT_TRUE(adv::FavWriteFile());
  EXPECT_EQ(ReadAll(File()), first);
  // Paths follow the script path rules: nothing outside the game and save folders.
  adv::FavSetPath("../FAV.TXT");
  EXPECT_FALSE(adv::FavWriteFile());
  EXPECT_EQ(adv::FavReadFile(), -1);
}

TEST_F(Favourites, AWriteThatFailsAtAnyStepKeepsTheOldFile) {
  adv::FavInit("FAV.TXT");
  adv::FavAdd(1, "old", "VO01", "old line");
  ASSERT_TRUE(adv::FavWriteFile());
  const std::string old = ReadAll(File());
  for (int i = 0; i < 200; ++i) adv::FavAdd(-1, std::string(200, 'n'), "VO", std::string(200, 't'));

  // The temporary file cannot be made.
  fs::create_directory(folder_ / "FAV.TXT.tmp");
  fs::create_directory(fs::path(folder_ / "FAV.TXT.tmp") / "x");
  EXPECT_FALSE(adv::FavWriteFile());
  EXPECT_EQ(ReadAll(File()), old);
  fs::remove_all(folder_ / "FAV.TXT.tmp");

  // The disk fills while the lines are written.
  struct rlimit saved {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  struct rlimit small = saved;
  small.rlim_cur = 4096;
  auto* previous = signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool written = adv::FavWriteFile();
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, previous);
  EXPECT_FALSE(written);
  EXPECT_EQ(ReadAll(File()), old);
  EXPECT_FALSE(fs::exists(folder_ / "FAV.TXT.tmp"));

  // The rename cannot replace what stands at the path.
  fs::remove(File());
  fs::create_directory(File());
  fs::create_directory(File() / "keep");
  EXPECT_FALSE(adv::FavWriteFile());
  EXPECT_TRUE(fs::exists(File() / "keep"));
}

TEST_F(Favourites, MalformedFilesStopAtTheirFirstBadLine) {
  const std::string good = "000004,1,\"N\",\"V\",\"T\"\r\n";
  struct Case {
    const char* what;
    std::string data;
    int32_t count;
  };
  const Case cases[] = {
      {"empty", "", 0},
      {"last line without its line end", good + "000005,0,\"a\",\"b\",\"c\"", 2},
      {"line end LF only", "000005,0,\"a\",\"b\",\"c\"\n" + good, 2},
      {"cut inside the text", good + "000005,0,\"a\",\"b\",\"cc", 1},
      {"missing quote", good + "000005,0,a\",\"b\",\"c\"\r\n" + good, 1},
      {"no comma at all", "garbage", 0},
      {"a number and nothing else", "000001,", 0},
      {"junk after the text", good + "000005,0,\"a\",\"b\",\"c\"xx" + good, 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(adv::FavParse(c.data), c.count) << c.what;
  }
  // Over-long fields are cut to their record sizes, numbers to their seven characters.
  const std::string long_line = "0000001234,99999999,\"" + std::string(400, 'n') + "\",\"" +
                                std::string(300, 'v') + "\",\"" + std::string(400, 't') + "\"\r\n";
  ASSERT_EQ(adv::FavParse(long_line + good), 2);
  EXPECT_EQ(adv::Favourites().records[0].number, 1);  // "0000000"
  EXPECT_EQ(Name(0).size(), 254u);
  EXPECT_EQ(Voice(0).size(), 127u);
  EXPECT_EQ(Text(0).size(), 254u);
  EXPECT_EQ(Name(1), "N");
  // More lines than the table holds: the first 1,024.
  std::string many;
  for (int i = 0; i < 1100; ++i) many += good;
  EXPECT_EQ(adv::FavParse(many), adv::kFavouriteCapacity);
}

// Random bytes and random damage to a good file: the reader stays inside the data (run it under
// the sanitizer build to see that).
TEST_F(Favourites, RandomFilesAreReadWithinTheirData) {
  std::mt19937 random(34);
  std::string good;
  for (int i = 0; i < 20; ++i)
    good += "00000" + std::to_string(i % 10) + ",1,\"N\",\"V|W\",\"T\"\r\n";
  for (int round = 0; round < 2000; ++round) {
    std::string data;
    if (round % 2 == 0) {
      data.resize(random() % 300);
      for (char& c : data) c = static_cast<char>(",\"\r\n0a\x81"[random() % 7]);
    } else {
      data = good.substr(0, random() % (good.size() + 1));
      for (int k = 0; k < 4; ++k) {
        if (!data.empty()) data[random() % data.size()] = static_cast<char>(random());
      }
    }
    // A copy of exactly the data's size, so that reading one byte past it is seen.
    const std::unique_ptr<char[]> bytes(new char[data.size() + 1]);
    std::memcpy(bytes.get(), data.data(), data.size());
    const int32_t count = adv::FavParse(std::string_view(bytes.get(), data.size()));
    ASSERT_GE(count, 0);
    ASSERT_LE(count, static_cast<int32_t>(data.size() / 10 + 1));
  }
}

TEST_F(Favourites, AHistoryLineIsAddedAndAFullTableSaysSoInABox) {
  std::vector<std::string> boxes;
  os::SetMessageBoxHook([&](const std::string& text, const std::string& caption, os::BoxButtons) {
    boxes.push_back(caption + ": " + text);
    return os::BoxAnswer::kOk;
  });
  auto context = std::make_unique<adv::AdvContext>();
  context->history.count = 1;
  adv::StoreFieldText(context->history.entries[0].name, "A");
  adv::StoreFieldText(context->history.entries[0].text, "line");
  adv::StoreFieldText(context->history.entries[0].voice, "VOA01");
  adv::FavInit("FAV.TXT");
  adv::FavouriteMaximum() = 0;
  EXPECT_EQ(adv::AdvHisFavAdd(*context, 0, 0), 0);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], "エラー: お気に入り音声の登録がいっぱいです。");
  adv::FavouriteMaximum() = 5;
  EXPECT_EQ(adv::AdvHisFavAdd(*context, 0, 0), 1);
  EXPECT_EQ(adv::AdvHisFavAdd(*context, 1, 0), 0);  // no such line: no box
  EXPECT_EQ(boxes.size(), 1u);
  // The table is read from the file first, so a second add follows the first.
  EXPECT_EQ(adv::AdvHisFavAdd(*context, 0, 0), 1);
  EXPECT_EQ(ReadAll(File()),
            "000000,0,\"A\",\"VOA01\",\"line\"\r\n"
            "000001,0,\"A\",\"VOA01\",\"line\"\r\n");
  os::SetMessageBoxHook({});
}

TEST_F(Favourites, AVoiceWithASetIsStoredWithItsMembers) {
  YelRender* render = test::StartLibraryHidden();
  ASSERT_NE(render, nullptr);
  yel::YelSystemPathInit();
  yel::YelSystemPathSet(folder_.path().c_str());
  std::string mix;
  for (const char* member : {"voa01", "vob02"}) {
    std::string record = member;
    record.resize(32, '\0');
    mix += record;
  }
  mix += std::string(32, 'C');  // a member that fills its record has no terminator
  std::ofstream(fs::path(folder_.path()) / "DUO.mix", std::ios::binary) << mix;
  EXPECT_EQ(adv::FavAddEx(1, "n", "DUO", "t"), 1);
  EXPECT_EQ(adv::FavAddEx(2, "n", "SOLO", "t"), 2);
  EXPECT_EQ(adv::FavAddEx(3, "n", "DUO|X", "t"), 3);
  EXPECT_EQ(Voice(0), "DUO|VOA01|VOB02|" + std::string(32, 'C'));
  EXPECT_EQ(Voice(1), "SOLO");
  EXPECT_EQ(Voice(2), "DUO|X");  // already a list
  yel::YelSystemPathUninit();
  yel::YelRenderSetActive(nullptr);
  yel::YelRenderUninit(render);
  yel::YelUninit();
}

TEST_F(Favourites, CommandsKeepTheTableAndTheFile) {
  test::ScriptMachine m(
      "cmd favsetmax(3)\n"
      "cmd favinit(\"FAV.TXT\")\n"
      "cmd favadd(-1, \"Name\", \"VO01\", \"<b>Body</b>\") -> v1\n"
      "cmd favadd(5, \"B\", \"VO02\", \"t\") -> v2\n"
      "cmd favadd(-1, \"C\", \"VO03\", \"t\") -> v3\n"
      "cmd favadd(-1, \"D\", \"VO04\", \"t\") -> v4\n"
      "cmd favsetflag(1, 2) -> v5\n"
      "cmd favswap(0, 3) -> v6\n"
      "cmd favdel(1) -> v7\n"
      "cmd favsave -> v8\n"
      "cmd favload -> v9\n"
      "cmd favget(0, 2, 0x10000001) -> v10\n"
      "cmd favget(0, 0, v20) -> v11\n"
      "cmd favget(0, 3, v20) -> v12\n"
      "cmd favget(9, 0, 0x10000002) -> v13\n"
      "cmd favsearchno(6) -> v14\n"
      "cmd favsetmem(4095, 77) -> v15\n"
      "cmd favgetmem(4095) -> v16\n"
      "cmd favgetmem(4096) -> v17\n"
      "cmd is_string_variable(0x10000003) -> v18\n"
      "cmd favgetflag(-1) -> v19\n");
  ASSERT_TRUE(m.loaded());
  m.context().values.variables[12] = 42;
  m.Run();
  EXPECT_EQ(m.V(1), 0);
  EXPECT_EQ(m.V(2), 5);
  EXPECT_EQ(m.V(3), 6);
  EXPECT_EQ(m.V(4), -1);  // the maximum
  EXPECT_EQ(m.V(5), 1);
  EXPECT_EQ(m.V(6), 0);  // index 3 is not in the table
  EXPECT_EQ(m.V(7), 1);
  EXPECT_EQ(m.V(8), 1);
  EXPECT_EQ(m.V(9), 2);  // the deleted record was not written
  EXPECT_EQ(m.V(10), 1);
  EXPECT_STREQ(m.context().values.string_variables[1].data(), "Name");
  EXPECT_EQ(m.V(11), 0);
  EXPECT_EQ(m.V(12), 42);  // a text field into a number: logged, left as it was
  EXPECT_EQ(m.V(13), -1);
  EXPECT_EQ(m.V(14), 1);
  EXPECT_EQ(m.V(16), 77);
  EXPECT_EQ(m.V(17), 0);
  EXPECT_EQ(m.V(18), 1);
  EXPECT_EQ(m.V(19), 0);
  EXPECT_EQ(ReadAll(File()),
            "000000,0,\"Name\",\"VO01\",\"Body\"\r\n000006,0,\"C\",\"VO03\",\"t\"\r\n");
  EXPECT_TRUE(m.Logged("favadd : 追加出来ませんでした。", adv::kLogError));
  EXPECT_TRUE(m.Logged("favget[0] : string型以外の型を指定しました。", adv::kLogError));
  EXPECT_TRUE(m.Logged("favgetmem : 範囲オーバーです[4096]", adv::kLogError));
}

}  // namespace

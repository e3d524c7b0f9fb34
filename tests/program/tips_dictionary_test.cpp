// The tips dictionary: the CSV field rules, the kana groups at whole characters, the multibyte
// sort, and the commands that read it through the file layer, mark entries and save the marks.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "os/encoding.h"
#include "program/startup/startup_names.h"
#include "program/startup/yel_import.h"
#include "program/text/tips_dictionary.h"
#include "tests/program/script_machine.h"
#include "tests/program/started_library.h"
#include "tests/program/temp_folder.h"

namespace {

namespace fs = std::filesystem;

std::string Sjis(const char* utf8) {
  return os::Utf8ToCp932(utf8);
}

TEST(TipsCsv, FieldsFollowTheirRules) {
  struct Case {
    const char* name;
    std::string csv;
    size_t entries;
    std::string first_column0;
    std::string first_column1;
  };
  const Case cases[] = {
      {"two lines", Sjis("A,あ,x,y\r\nB,か,z,w\r\n"), 2, "A", Sjis("あ")},
      {"a three-field last line is dropped", Sjis("A,あ,x,y\r\nB,か,z\r\n"), 1, "A", Sjis("あ")},
      {"no line end at the end", Sjis("A,あ,x,y"), 1, "A", Sjis("あ")},
      {"spaces before text go", "  Hello World,b,c,d\r\n", 1, "HelloWorld", "b"},
      {"quotes keep spaces and vanish", "\"Hello World\",b,c,d\r\n", 1, "Hello World", "b"},
      {"quotes do not protect commas", "\"a,b\",c,d,e\r\n", 1, "a", "b"},
      {"after a double-byte character spaces stay", Sjis("あ b,c,d,e\r\n"), 1, Sjis("あ b"), "c"},
      {"a comment line is passed over", Sjis("// note\r\nA,あ,x,y\r\n"), 1, "A", Sjis("あ")},
      {"an empty field", "A,,x,y\r\n", 1, "A", ""},
      {"a line feed after a comma goes with it", "A,\nB,x,y\r\n", 1, "A", "B"},
      {"a lone line feed is part of a field", "A\nB,c,d,e\r\n", 1, "A\nB", "c"},
      {"a first byte at the very end", "A,b,c,d\x82", 1, "A", "b"},
      {"nothing", "", 0, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<adv::TipsRecord> records = adv::TipsParseCsv(c.csv);
    ASSERT_EQ(records.size(), c.entries);
    if (records.empty()) continue;
    EXPECT_EQ(records[0].columns[0], c.first_column0);
    EXPECT_EQ(records[0].columns[1], c.first_column1);
    for (size_t i = 0; i < records.size(); ++i) EXPECT_EQ(records[i].number, static_cast<int>(i));
  }
}

TEST(TipsCsv, ALongFieldIsCutToAStringVariableInWholeCharacters) {
  std::string csv = "a" + std::string(3000, '\x82') + ",b,c,d\r\n";
  for (size_t i = 2; i < csv.size(); i += 2) {
    if (csv[i] == '\x82') csv[i] = '\xA0';
  }
  const auto records = adv::TipsParseCsv(csv);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_LE(records[0].columns[0].size(), adv::kTipsColumnMax);
  EXPECT_EQ(records[0].columns[0].size() % 2, 1u) << "a, then whole pairs";
  EXPECT_EQ(records[0].columns[1], "b");
}

// Random bytes and every cut of a valid file: the reader ends, and every column stays in bounds.
TEST(TipsCsv, RandomAndCutFilesStayInBounds) {
  std::mt19937 random(7);
  const std::string alphabet = std::string(",\r\n\"/ \x08", 7) + "ab\x82\xA0\x83\x94";
  for (int round = 0; round < 300; ++round) {
    std::string data(random() % 300, '\0');
    for (char& c : data) {
      c = round % 2 ? static_cast<char>(random()) : alphabet[random() % alphabet.size()];
    }
    for (const adv::TipsRecord& record : adv::TipsParseCsv(data)) {
      for (const std::string& column : record.columns) {
        EXPECT_LE(column.size(), adv::kTipsColumnMax);
      }
      adv::TipsKanaGroup(record.columns[1]);
    }
  }
  const std::string valid = Sjis("// c\r\nA,あ,\"x y\",y\r\nB,ヴ,z,w\r\n");
  for (size_t cut = 0; cut <= valid.size(); ++cut) {
    EXPECT_LE(adv::TipsParseCsv(valid.substr(0, cut)).size(), 2u);
  }
}

TEST(TipsKana, GroupsComeFromWholeCharacters) {
  struct Case {
    const char* reading;
    int32_t group;
  };
  const Case cases[] = {
      {"あ", 0}, {"か", 1}, {"さくら", 2}, {"ん", 9},  {"ヴ", 0},  {"ガ", 1},
      {"ぱ", 5}, {"モ", 6}, {"ゃ", 7},     {"ab", -1}, {"ｃ", -1}, {"", -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(adv::TipsKanaGroup(Sjis(c.reading)), c.group) << c.reading;
  }
  // "ｃ" is 82 83, which a byte search finds inside "モヤ" (83 82 83 84).
  EXPECT_EQ(Sjis("ｃ"), "\x82\x83");
}

TEST(TipsSort, OrdersByReadingAndMovesWholeRecords) {
  adv::TipsDictionary dictionary;
  dictionary.records = adv::TipsParseCsv(Sjis("K,か,1,1\r\nA,あ,2,2\r\nS,さ,3,3\r\n"));
  dictionary.records[0].access1 = 5;
  adv::TipsSort(dictionary);
  ASSERT_EQ(dictionary.records.size(), 3u);
  EXPECT_EQ(dictionary.records[0].number, 1);
  EXPECT_EQ(dictionary.records[1].number, 0);
  EXPECT_EQ(dictionary.records[2].number, 2);
  EXPECT_EQ(dictionary.records[1].columns[0], "K");
  EXPECT_EQ(dictionary.records[1].access1, 5);
  // Double-byte characters compare as one value: "ア" (83 41) after "あ" (82 A0) and after "z".
  EXPECT_LT(adv::TipsCompare(Sjis("あ"), Sjis("ア")), 0);
  EXPECT_LT(adv::TipsCompare("z", Sjis("あ")), 0);
  EXPECT_LT(adv::TipsCompare("ab", "abc"), 0);
  EXPECT_EQ(adv::TipsCompare(Sjis("かな"), Sjis("かな")), 0);
}

// The order the game has always given the tips, written out as it always ran: every ordered
// pair visited, a pair out of order exchanged.
void PairwiseExchange(std::vector<adv::TipsRecord>& records) {
  for (size_t i = 0; i < records.size(); ++i) {
    for (size_t j = 0; j < records.size(); ++j) {
      if (i != j && adv::TipsCompare(records[i].columns[1], records[j].columns[1]) < 0) {
        std::swap(records[i], records[j]);
      }
    }
  }
}

// Equal readings end in the exchange's own order, which is neither the CSV's nor a stable
// sort's: the sort must give exactly that order for any file, many ties or none.
TEST(TipsSort, GivesThePairwiseExchangesOrderIncludingTies) {
  std::mt19937 random(11);
  // Few distinct readings, so most entries tie: ASCII, double-byte kana, a lead byte at the end.
  const std::vector<std::string> pieces = {"", "a", "b", Sjis("あ"), Sjis("ア"), "\x82", "z"};
  for (int round = 0; round < 400; ++round) {
    const size_t n = round < 10 ? static_cast<size_t>(round) : 1 + random() % 120;
    const size_t variety = 1 + random() % (round % 3 == 0 ? 3 : pieces.size());
    std::vector<adv::TipsRecord> records(n);
    for (size_t i = 0; i < n; ++i) {
      records[i].number = static_cast<int32_t>(i);
      for (size_t length = random() % 3; length > 0; --length) {
        records[i].columns[1] += pieces[random() % variety];
      }
    }
    if (round % 50 == 49) records[random() % n].columns[1] += std::string(1, '\0') + "a";
    std::vector<adv::TipsRecord> expected = records;
    PairwiseExchange(expected);
    adv::TipsDictionary dictionary;
    dictionary.records = records;
    adv::TipsSort(dictionary);
    std::vector<int32_t> want, got;
    for (const auto& record : expected) want.push_back(record.number);
    for (const auto& record : dictionary.records) got.push_back(record.number);
    ASSERT_EQ(got, want) << "round " << round;
  }
}

// A glossary of tens of thousands of entries is sorted when the script asks, in one frame.
TEST(TipsSort, ALargeFileIsSortedWhole) {
  adv::TipsDictionary dictionary;
  std::mt19937 random(5);
  const size_t n = 30000;
  for (size_t i = 0; i < n; ++i) {
    adv::TipsRecord record;
    record.number = static_cast<int32_t>(i);
    record.columns[1] = std::to_string(random() % 20000);
    dictionary.records.push_back(std::move(record));
  }
  adv::TipsSort(dictionary);
  ASSERT_EQ(dictionary.records.size(), n);
  std::vector<bool> seen(n);
  for (size_t i = 0; i < n; ++i) {
    seen[dictionary.records[i].number] = true;
    if (i > 0) {
      EXPECT_LE(
          adv::TipsCompare(dictionary.records[i - 1].columns[1], dictionary.records[i].columns[1]),
          0);
    }
  }
  EXPECT_EQ(std::count(seen.begin(), seen.end(), true), static_cast<long>(n));
}

class TipsCommands : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(yel::LoadLibraryFrom(YEL_LIBRARY));
    render_ = test::StartLibraryHidden();
    ASSERT_NE(render_, nullptr);
    saved_names_ = adv::Startup();
    adv::Startup().program_folder = folder_.path();
    adv::Startup().save_folder = folder_ / "save";
    fs::create_directories(folder_ / "save");
    yel::YelSystemPathInit();
    yel::YelSystemPathSet(folder_.path().c_str());
    adv::Tips() = adv::TipsDictionary{};
  }
  void TearDown() override {
    adv::Tips() = adv::TipsDictionary{};
    adv::Startup() = saved_names_;
    yel::YelSystemPathUninit();
    yel::YelRenderSetActive(nullptr);
    yel::YelRenderUninit(render_);
    yel::YelUninit();
  }
  void Write(const char* name, const std::string& bytes) {
    std::ofstream(folder_ / name, std::ios::binary) << bytes;
  }
  std::string Read(const char* name) {
    std::ifstream in(folder_ / name, std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    return all.str();
  }

  test::TempFolder folder_;
  YelRender* render_ = nullptr;
  adv::StartupNames saved_names_;
};

TEST_F(TipsCommands, MarksAreSetSavedAndReadBack) {
  Write("TIPS.CSV", Sjis("A,あ,x,y\r\nB,か,z,w\r\nC,さ,u,v\r\n"));
  Write("ACC.DAT", "1");  // shorter than one entry: every mark stays 0
  test::ScriptMachine m(
      "cmd tips_csv_read(f\"TIPS.CSV\", \"ACC.DAT\") -> v1\n"
      "cmd tips_acc_set(2, 0, 7) -> v2\n"
      "cmd tips_acc_set(3, 0, 7) -> v3\n"
      "cmd tips_acc_save()\n"
      "cmd tips_csv_read(f\"TIPS.CSV\", \"ACC.DAT\") -> v4\n"
      "cmd tips_csv_get(2, 5, v0) -> v5\n"
      "cmd tips_csv_get(1, 4, v0) -> v6\n"
      "cmd tips_csv_get(1, 2, 0x10000001) -> v7\n"
      "cmd tips_csv_get(1, 2, 0x10000011) -> v8\n"
      "cmd tips_csv_get(3, 0, v0) -> v9\n"
      "cmd tips_csv_search(\"B\") -> v10\n"
      "cmd tips_csv_search(\"D\") -> v11\n"
      "cmd tips_csv_read(f\"NONE.CSV\", \"ACC.DAT\") -> v12\n");
  ASSERT_TRUE(m.loaded());
  m.Run();
  EXPECT_EQ(m.V(1), 3);
  EXPECT_EQ(m.V(2), 0);
  EXPECT_EQ(m.V(3), -1);
  EXPECT_EQ(Read("ACC.DAT"), "000070");
  EXPECT_EQ(m.V(4), 3);
  EXPECT_EQ(m.V(5), 7);
  EXPECT_EQ(m.V(6), 1);
  EXPECT_EQ(m.V(7), 1) << "the entry's number";
  EXPECT_STREQ(m.context().values.string_variables[1].data(), "z");
  EXPECT_TRUE(m.Logged("AdvGetVarString(17): Out of Range", adv::kLogError));
  EXPECT_EQ(m.V(9), 0);
  EXPECT_TRUE(m.Logged("tips_csv_get error : 3 0 0", adv::kLogError));
  EXPECT_EQ(m.V(10), 1);
  EXPECT_EQ(m.V(11), -1);
  EXPECT_EQ(m.V(12), 0);
  EXPECT_TRUE(m.Logged("tips_csv_read error : NONE.CSV", adv::kLogError));
}

// More entries than the old fixed buffer held: every mark reaches the file.
TEST_F(TipsCommands, FiveThousandEntriesSaveWhole) {
  std::string csv;
  for (int i = 0; i < 5000; ++i) csv += "k" + std::to_string(i) + "," + Sjis("な") + ",a,b\r\n";
  Write("BIG.CSV", csv);
  test::ScriptMachine m(
      "cmd tips_csv_read(f\"BIG.CSV\", \"save\\x5CBIG.ACC\") -> v1\n"
      "cmd tips_acc_set(4999, 1, 9)\n"
      "cmd tips_acc_save()\n");
  ASSERT_TRUE(m.loaded());
  m.Run();
  EXPECT_EQ(m.V(1), 5000);
  const std::string marks = Read("save/BIG.ACC");
  ASSERT_EQ(marks.size(), 10000u);
  EXPECT_EQ(marks.back(), '9');
  EXPECT_EQ(marks.find_first_not_of('0'), 9999u);
}

TEST_F(TipsCommands, AnEntryWithoutAReadingEndsTheRead) {
  Write("BAD.CSV", Sjis("A,あ,x,y\r\nB,,z,w\r\n"));
  test::ScriptMachine m("cmd tips_csv_read(f\"BAD.CSV\", \"\") -> v1\n");
  ASSERT_TRUE(m.loaded());
  m.Run();
  EXPECT_EQ(m.V(1), 0);
  EXPECT_TRUE(m.Logged("tips_csv error line 1 : BAD.CSV", adv::kLogError));
  EXPECT_EQ(adv::Tips().records.size(), 2u) << "what was read stays";
}

}  // namespace

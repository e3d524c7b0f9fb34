// The history store: name, text and voice are cut back to whole characters within 63, 383 and
// 31 bytes, the store keeps the newest 128 lines, a nameless line carries the no-name marker,
// and a snapshot brings the store back with every field terminated.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "program/game/adv_context.h"
#include "program/savedata/snapshot_services.h"
#include "program/text/history_store.h"
#include "tests/program/script_machine.h"

namespace {

using adv::HistoryPart;

std::string Field(const char* bytes, size_t size) {
  return std::string(bytes, strnlen(bytes, size));
}

class History : public ::testing::Test {
 protected:
  adv::AdvContext& c() { return data_->context; }
  void Line(const char* name, const std::string& text) {
    adv::HistoryAddLine(c(), nullptr, HistoryPart::kOpen);
    adv::HistoryAddLine(c(), name, HistoryPart::kName);
    adv::HistoryAddLine(c(), text.c_str(), HistoryPart::kText);
    adv::HistoryAddLine(c(), nullptr, HistoryPart::kCommit);
  }
  std::unique_ptr<adv::AdvTaskData> data_ = std::make_unique<adv::AdvTaskData>();
};

TEST_F(History, FieldsAreCutAtCharacterBoundaries) {
  struct FieldCase {
    HistoryPart part;
    size_t limit;
  };
  struct Cut {
    const char* what;
    std::string (*input)(size_t limit);
    std::string (*stored)(size_t limit);
  };
  const Cut kCuts[] = {
      {"plain bytes", [](size_t l) { return std::string(l + 10, 'a'); },
       [](size_t l) { return std::string(l, 'a'); }},
      {"a character split by the limit",
       [](size_t l) { return std::string(l - 1, 'a') + "\x82\xA0z"; },
       [](size_t l) { return std::string(l - 1, 'a'); }},
      {"a character ending at the limit",
       [](size_t l) { return std::string(l - 2, 'a') + "\x82\xA0z"; },
       [](size_t l) { return std::string(l - 2, 'a') + "\x82\xA0"; }},
      {"lead byte 0xF0 split", [](size_t l) { return std::string(l - 1, 'a') + "\xF0\x40"; },
       [](size_t l) { return std::string(l - 1, 'a'); }},
      {"0x80 is a character of its own", [](size_t l) { return std::string(l - 1, 'a') + "\x80z"; },
       [](size_t l) { return std::string(l - 1, 'a') + "\x80"; }},
      {"a lead byte without a second byte", [](size_t) { return std::string("ab\x82 cd"); },
       [](size_t) { return std::string("ab"); }},
      {"half-width katakana", [](size_t) { return std::string("\xB1\xB2\xDF"); },
       [](size_t) { return std::string("\xB1\xB2\xDF"); }},
  };
  const FieldCase kFields[] = {
      {HistoryPart::kName, 63}, {HistoryPart::kText, 383}, {HistoryPart::kVoice, 31}};
  for (const FieldCase& field : kFields) {
    for (const Cut& cut : kCuts) {
      adv::HistoryAddLine(c(), nullptr, HistoryPart::kOpen);
      adv::HistoryAddLine(c(), cut.input(field.limit).c_str(), field.part);
      const adv::HistoryEntry& entry = c().history.entries[0];
      const std::string stored = field.part == HistoryPart::kName   ? Field(entry.name.data(), 64)
                                 : field.part == HistoryPart::kText ? Field(entry.text.data(), 384)
                                                                    : Field(entry.voice.data(), 32);
      EXPECT_EQ(stored, cut.stored(field.limit)) << cut.what << ", limit " << field.limit;
    }
  }
}

TEST_F(History, KeepsTheNewest128LinesAndMarksNamelessOnes) {
  for (int i = 1; i <= 129; ++i) Line(i % 2 ? "Kei" : nullptr, "line " + std::to_string(i));
  EXPECT_EQ(c().history.count, 128);
  EXPECT_STREQ(c().history.entries[0].text.data(), "line 129");
  EXPECT_STREQ(c().history.entries[127].text.data(), "line 2");  // line 1 is gone
  EXPECT_STREQ(c().history.entries[0].name.data(), "Kei");
  const adv::HistoryEntry& nameless = c().history.entries[1];
  EXPECT_EQ(nameless.name[0], 0);
  EXPECT_EQ(static_cast<uint8_t>(nameless.name[1]), 0x81);
  EXPECT_EQ(nameless.name[2], 0);
}

TEST_F(History, CommitsRecordTheScriptPointAndTheHistoryFile) {
  c().values.system_memory[509] = 7;  // the current history snapshot
  c().script_position = 0x120;
  c().save.resume_offset = 0x300;
  c().history.face_flag = 1;
  struct Commit {
    int32_t save_files;
    HistoryPart part;
    uint32_t script_point;
    int32_t file_number;
  };
  const Commit kCommits[] = {
      {0, HistoryPart::kCommit, 0x120, -1},
      {1, HistoryPart::kCommit, 0x120, 7},
      {0, HistoryPart::kCommitAtResume, 0x300, 7},
  };
  for (const Commit& commit : kCommits) {
    c().history.save_files = commit.save_files;
    adv::HistoryAddLine(c(), nullptr, HistoryPart::kOpen);
    adv::HistoryAddLine(c(), nullptr, commit.part);
    EXPECT_EQ(c().history.entries[0].script_point, commit.script_point);
    EXPECT_EQ(c().history.entries[0].file_number, commit.file_number);
    EXPECT_EQ(c().history.entries[0].face_flag, 1u);
  }
  EXPECT_EQ(c().history.count, 3);
  c().history.off = 1;  // recording off: nothing changes
  Line("Kei", "unseen");
  EXPECT_EQ(c().history.count, 3);
  EXPECT_EQ(c().history.entries[0].text[0], 0);
}

TEST(HistorySnapshot, ComesBackWithEveryFieldTerminated) {
  test::ScriptMachine machine("cmd save_point(0)\n");
  ASSERT_TRUE(machine.loaded());
  adv::AdvContext& c = machine.context();
  c.history.count = 1;
  c.history.entries[0].name.fill('n');  // no terminator anywhere
  c.history.entries[0].text.fill('t');
  c.history.entries[0].voice.fill('v');
  c.history.entries[0].file_number = 4;
  machine.Run();
  const std::string image(reinterpret_cast<const char*>(c.save.buffer.data()), c.save.cursor);
  ASSERT_TRUE(adv::RestoreSnapshot(c, image));
  const adv::HistoryEntry& entry = c.history.entries[0];
  EXPECT_EQ(c.history.count, 1);
  EXPECT_EQ(Field(entry.name.data(), 64), std::string(63, 'n'));
  EXPECT_EQ(Field(entry.text.data(), 384), std::string(383, 't'));
  EXPECT_EQ(Field(entry.voice.data(), 32), std::string(31, 'v'));
  EXPECT_EQ(entry.file_number, 4);
}

}  // namespace

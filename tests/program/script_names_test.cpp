// Text and file-name arguments, the memory stack, the skip state word, the display queue and the
// command table's reach.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "program/script/command_table.h"
#include "program/script/script_names.h"
#include "program/script/script_run.h"
#include "program/script/skip_state.h"
#include "program/script/value_stores.h"
#include "program/startup/yel_import.h"
#include "tests/program/script_machine.h"

namespace {

using test::ScriptMachine;

void SetStringVariable(adv::AdvContext& c, int n, const std::string& text) {
  auto& slot = c.values.string_variables[n];
  slot.fill(0);
  std::memcpy(slot.data(), text.data(), std::min(text.size(), slot.size()));
}

std::string EntryText(const std::vector<uint8_t>& entry) {
  return std::string(reinterpret_cast<const char*>(entry.data() + 4));
}

uint32_t EntryNumber(const std::vector<uint8_t>& entry) {
  return entry[0] | entry[1] << 8 | entry[2] << 16 | static_cast<uint32_t>(entry[3]) << 24;
}

// Two texts: "first" (number 0) and "second line" (number 1).
constexpr const char* kTextScript = "push \"first\"\npush \"second line\"\n";

TEST(AdvGetString, StringVariablesTextsAndTheEmptyReference) {
  ScriptMachine machine(kTextScript);
  ASSERT_TRUE(machine.loaded());
  adv::AdvContext& c = machine.context();
  SetStringVariable(c, 15, "fifteen");
  std::vector<uint8_t> entry(64, 0xCC);
  adv::AdvGetString(c, entry.data(), entry.size(), 0x1000000F);
  EXPECT_EQ(EntryNumber(entry), 0u);
  EXPECT_EQ(EntryText(entry), "fifteen");
  adv::AdvGetString(c, entry.data(), entry.size(), 0x10000010);
  EXPECT_EQ(EntryText(entry), "");
  EXPECT_TRUE(machine.Logged("AdvGetVarString(16): Out of Range", adv::kLogError));
  adv::AdvGetString(c, entry.data(), entry.size(), machine.TextOffset(1));
  EXPECT_EQ(EntryNumber(entry), 1u);
  EXPECT_EQ(EntryText(entry), "second line");
  adv::AdvGetString(c, entry.data(), entry.size(), adv::kNoReference);
  EXPECT_EQ(entry, std::vector<uint8_t>(64, 0));
}

// Never more than the destination's size is written, and the text stays terminated; an offset
// near or beyond the end of "Text.dat" reads only what the file holds.
TEST(AdvGetString, StaysWithinTheDestinationAndTheFile) {
  ScriptMachine machine(kTextScript);
  ASSERT_TRUE(machine.loaded());
  adv::AdvContext& c = machine.context();
  SetStringVariable(c, 0, std::string(2047, 'x'));
  std::vector<uint8_t> buffer(16 + 8, 0xCC);
  adv::AdvGetString(c, buffer.data(), 16, 0x10000000);
  EXPECT_EQ(EntryText(buffer), std::string(11, 'x'));
  EXPECT_EQ(buffer[16], 0xCC) << "written past the destination";
  buffer.assign(buffer.size(), 0xCC);
  adv::AdvGetString(c, buffer.data(), 9, machine.TextOffset(1));
  EXPECT_EQ(EntryText(buffer), "seco");
  EXPECT_EQ(buffer[9], 0xCC);
  const uint32_t size = static_cast<uint32_t>(c.lists.TextListSize());
  for (uint32_t offset : {size - 1, size - 3, size, size + 100, 0xFFFFFFF0u}) {
    std::vector<uint8_t> entry(32, 0xCC);
    adv::AdvGetString(c, entry.data(), entry.size(), offset);
    EXPECT_EQ(entry[4], 0) << offset;
  }
}

class FileNames : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(machine_.loaded());
    machine_.data().system.file_state_map.assign(4, 0);
  }
  std::string Name(uint32_t argument, bool mark) {
    uint8_t name[32];
    std::memset(name, 0xCC, sizeof name);
    adv::AdvGetFileName(machine_.context(), name, argument, mark);
    return std::string(reinterpret_cast<const char*>(name),
                       strnlen(reinterpret_cast<const char*>(name), 32));
  }
  uint8_t FileState(uint32_t n) {
    return (machine_.data().system.file_state_map[n / 4] >> (2 * (n % 4))) & 3;
  }
  size_t AccessCount() { return machine_.data().access.records.size(); }

  // File.dat holds BG01.PNG (0) and SE02.OGG (1).
  ScriptMachine machine_{".file \"bg01.png\", \"se02.ogg\"\nnop\n"};
};

TEST_F(FileNames, FileNumbersGiveTheStoredNameAndMarkTheirState) {
  EXPECT_EQ(Name(1, false), "SE02.OGG");
  EXPECT_EQ(FileState(1), 0);
  EXPECT_EQ(Name(1, true), "SE02.OGG");
  EXPECT_EQ(FileState(1), 3);
  EXPECT_EQ(Name(adv::kNoReference, true), "");
  EXPECT_EQ(Name(7, true), "");
  EXPECT_TRUE(machine_.Logged("file number out of range 7", adv::kLogError));
}

TEST_F(FileNames, StringVariableNamesAreUpperCasedAndMarked) {
  adv::AdvContext& c = machine_.context();
  SetStringVariable(c, 2, "bg01.png");
  EXPECT_EQ(Name(0x10000002, true), "BG01.PNG");
  EXPECT_EQ(FileState(0), 3);
  EXPECT_EQ(AccessCount(), 0u);
  SetStringVariable(c, 3, "extra/new.png");
  EXPECT_EQ(Name(0x10000003, true), "EXTRA/NEW.PNG");
  ASSERT_EQ(AccessCount(), 1u);
  EXPECT_EQ(machine_.data().access.records[0].Name(), "EXTRA/NEW.PNG");
  EXPECT_EQ(machine_.data().access.records[0].state, 3);
  EXPECT_EQ(Name(0x10000003, true), "EXTRA/NEW.PNG");
  EXPECT_EQ(AccessCount(), 1u) << "entered once";
  EXPECT_EQ(Name(0x10000003, false), "EXTRA/NEW.PNG");
}

TEST_F(FileNames, HttpNamesStayAsTheyAre) {
  SetStringVariable(machine_.context(), 4, "http://example.test/a.png");
  EXPECT_EQ(Name(0x10000004, true), "http://example.test/a.png");
  EXPECT_EQ(AccessCount(), 0u);
}

TEST_F(FileNames, TrailBytesOfDoubleByteCharactersStay) {
  SetStringVariable(machine_.context(), 5,
                    "\x83\x61"
                    "a\x82\x7a"
                    "z");
  EXPECT_EQ(Name(0x10000005, false),
            "\x83\x61"
            "A\x82\x7a"
            "Z");
}

TEST_F(FileNames, LongNamesAreCutAndOutOfRangeVariablesGiveNothing) {
  SetStringVariable(machine_.context(), 6, std::string(40, 'q'));
  EXPECT_EQ(Name(0x10000006, false), std::string(31, 'Q'));
  EXPECT_EQ(Name(0x10000010, true), "");
  EXPECT_EQ(Name(0x1FFFFFFF, true), "");
  EXPECT_EQ(AccessCount(), 0u);
}

TEST(AccessList, ResetStateClearsTheStateByte) {
  adv::AccessList list;
  adv::AccessListEnsure(list, "A.PNG");
  adv::AccessListEnsure(list, "A.PNG");
  ASSERT_EQ(list.records.size(), 1u);
  adv::AccessListResetState(list, "A.PNG");
  EXPECT_EQ(list.records[0].state, 0);
  adv::AccessListResetState(list, "B.PNG");
}

TEST(MemoryStack, SavesTheFirstCellsOfTempMemory) {
  ScriptMachine machine("nop\n");
  ASSERT_TRUE(machine.loaded());
  adv::AdvContext& c = machine.context();
  auto& temp = c.values.temp_memory;
  temp[0] = 1;
  temp[255] = 2;
  temp[256] = 3;
  adv::MemoryStackPush(c);
  temp[0] = temp[255] = temp[256] = 9;
  adv::MemoryStackPop(c);
  EXPECT_EQ(temp[0], 1);
  EXPECT_EQ(temp[255], 2);
  EXPECT_EQ(temp[256], 9);
  EXPECT_EQ(c.values.memory_stack[0][0], 0) << "the popped level is cleared";
  adv::MemoryStackPop(c);
  EXPECT_TRUE(machine.Logged("pop memory stack none", adv::kLogError));
  for (int i = 0; i < adv::kMemoryStackLevels; ++i) adv::MemoryStackPush(c);
  EXPECT_FALSE(machine.Logged("push memory stack over", adv::kLogError));
  adv::MemoryStackPush(c);
  EXPECT_TRUE(machine.Logged("push memory stack over", adv::kLogError));
  EXPECT_EQ(c.values.memory_stack_depth, adv::kMemoryStackLevels);
}

TEST(SkipState, ForcedSkipsAndSkipMode) {
  ScriptMachine machine("nop\n");
  ASSERT_TRUE(machine.loaded());
  adv::AdvContext& c = machine.context();
  EXPECT_EQ(adv::AdvSkipState(c), 0);
  c.skip.skip_mode = 1;
  EXPECT_EQ(adv::AdvSkipState(c), adv::SKIP_BIT_SKIP);
  adv::SkipLatchSet(c, 1);
  c.skip.skip_latch_bits = adv::SKIP_BIT_ADVANCE;
  EXPECT_EQ(adv::AdvSkipState(c), adv::SKIP_BIT_SKIP | adv::SKIP_BIT_ADVANCE);
  EXPECT_EQ(adv::AdvSkipState(c) & adv::SKIP_MASK_FORCED, 0);
  c.skip.history_skip = 1;
  EXPECT_EQ(adv::AdvSkipState(c), adv::SKIP_STATE_HISTORY);
  c.skip.scene_skip = 1;
  EXPECT_EQ(adv::AdvSkipState(c), adv::SKIP_STATE_SCENE);
  EXPECT_NE(adv::AdvSkipState(c) & adv::SKIP_MASK_FORCED, 0);
}

TEST(DisplayQueue, OperationsRunInTheOrderQueuedBehindReturnRecords) {
  ScriptMachine machine("nop\n");
  ASSERT_TRUE(machine.loaded());
  adv::AdvContext& c = machine.context();
  adv::DisplayOp op;
  op.code = adv::kDisplayShowLayer;
  for (int32_t layer : {3, 4}) {
    op.words[0] = layer;
    EXPECT_EQ(adv::DisplayQueueAppend(c, op), 1);
  }
  adv::PushDataEntry(c, adv::kListReturnPoint, 100, 0);
  EXPECT_EQ(test::ReturnRecordCount(c, adv::kListDisplayOp), 2);
  const auto* first = reinterpret_cast<const adv::DisplayOp*>(
      yel::YelListGetData(c.display_queue, adv::kListDisplayOp, 0));
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->words[0], 3);
  EXPECT_EQ(c.display_queue->next->id, adv::kListReturnPoint);
}

// Every code of every group reaches a slot or none; only the groups built so far have handlers.
TEST(CommandTable, GroupsAndTheirRanges) {
  const auto& table = adv::CommandTable();
  EXPECT_EQ(table.size(), 0x18u);
  EXPECT_STREQ(table[0x12].name, "CmdGroupExtra");
  EXPECT_EQ(table[0x12].first, 0x01);
  EXPECT_EQ(table[0x12].last, 0xA4);
  EXPECT_EQ(table[0x03].first, 0x02);
  EXPECT_EQ(table[0x03].last, 0x5F);
  for (uint32_t code = 0x140000; code <= 0x14000B; ++code)
    EXPECT_NE(adv::CommandFor(code), nullptr);
  for (uint32_t code = 0x150000; code <= 0x150004; ++code)
    EXPECT_NE(adv::CommandFor(code), nullptr);
  for (uint32_t code = 0x170000; code <= 0x170002; ++code)
    EXPECT_NE(adv::CommandFor(code), nullptr);
  for (uint32_t code : {0x020000u, 0x020002u, 0x020043u}) EXPECT_NE(adv::CommandFor(code), nullptr);
  for (uint32_t code = 0x010001; code <= 0x010021; ++code)
    EXPECT_EQ(adv::CommandFor(code), nullptr) << "instructions are not commands";
  for (uint32_t code : {0x000000u, 0x010000u, 0x010022u, 0x14000Cu, 0x150005u, 0x170003u, 0x180000u,
                        0xFFFFFFFFu, 0x020044u, 0x120000u, 0x1200A5u, 0x0001FFFFu}) {
    EXPECT_EQ(adv::CommandFor(code), nullptr) << std::hex << code;
  }
}

}  // namespace

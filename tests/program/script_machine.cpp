#include "tests/program/script_machine.h"

#include <algorithm>

#include <gtest/gtest.h>

#include <mutex>

#include "program/dialogs/player_name_field.h"
#include "program/layers/layer_services.h"
#include "program/savedata/snapshot_services.h"
#include "program/script/engine_log.h"
#include "program/script/script_run.h"
#include "program/startup/yel_import.h"
#include "program/text/text_services.h"
#include "tools/assembler/assembler.h"

namespace test {
namespace {

std::mutex g_log_mutex;
std::vector<LogLine> g_log;

void Collect(int32_t key, const char* line) {
  std::lock_guard lock(g_log_mutex);
  g_log.push_back({key, line});
}

}  // namespace

ScriptMachine::ScriptMachine(std::string_view source) : data_(new adv::AdvTaskData()) {
  if (!yel::LoadLibraryFrom(YEL_LIBRARY)) {
    ADD_FAILURE() << "the platform library does not load";
    return;
  }
  ClearLog();
  adv::SetLogObserver(Collect);
  const advasm::AssembleResult result = advasm::Assemble(source, "test.asm");
  if (!result.ok) {
    ADD_FAILURE() << result.ErrorText();
    return;
  }
  adv::AdvContext& c = context();
  c.task_data = data_.get();
  std::string error;
  loaded_ = adv::ScriptLoad(c.script.code, result.files.script, &error) &&
            adv::LoadFileList(c.lists, result.files.file_list, &error) &&
            adv::LoadTextList(c.lists, result.files.text_list, &error) &&
            adv::LoadTableList(c.lists, result.files.table_list, &error) &&
            adv::LoadPointList(c.lists, result.files.point_list, &error);
  EXPECT_TRUE(loaded_) << error;
  c.script.entry = c.script.code.entry;
  c.script.pc = c.script.entry;
  c.display_queue = yel::YelListCreate();
  EXPECT_TRUE(adv::SaveStateInit(c));
  for (const advasm::LabelInfo& label : result.script.labels) {
    label_offsets_.emplace_back(label.name, label.offset);
    label_numbers_.emplace_back(label.name, label.number);
  }
  text_offsets_ = result.script.text_offsets;
  adv::SetScriptThreadId(adv::kRunMain);
}

void ScriptMachine::SetCommand(uint32_t code, adv::CommandHandler handler) {
  const uint32_t group = code >> 16;
  const uint16_t index = static_cast<uint16_t>(code & 0xFFFF);
  ASSERT_LT(group, adv::kCommandGroupCount);
  adv::CommandGroup& entry = commands_[group];
  if (entry.handlers != &test_handlers_) {
    // The group's own handlers stay reachable beside the test's.
    test_slots_.clear();
    if (entry.handlers) {
      test_slots_.assign(entry.handlers->slots, entry.handlers->slots + entry.handlers->count);
    }
    if (entry.first > entry.last) entry.first = entry.last = index;
  }
  if (test_slots_.size() <= index) test_slots_.resize(size_t{index} + 1);
  test_slots_[index] = handler;
  test_handlers_ = {test_slots_.data(), static_cast<uint32_t>(test_slots_.size())};
  entry.handlers = &test_handlers_;
  entry.first = std::min(entry.first, index);
  entry.last = std::max(entry.last, index);
  context().script.commands = &commands_;
}

ScriptMachine::~ScriptMachine() {
  adv::AdvContext& c = context();
  // What a script may have opened that the game's end would release.
  adv::PlayerNameWindowClose(c);
  adv::AdvTextWindowRelease(c);
  adv::AdvButtonUnloadAll(c);
  adv::AdvSelectRelease(c);
  adv::AdvLayerTableReset(c);
  adv::RunDisplayQueue(c);
  adv::DisplayQueueClear(c);
  if (c.display_queue) yel::YelListRelease(c.display_queue);
  adv::SetLogObserver(nullptr);
  adv::AdvSetAsyncFunction(nullptr);
}

int ScriptMachine::Run() {
  return adv::ScriptRunUntilWait(context());
}

int ScriptMachine::Steps(int limit) {
  for (int i = 0; i < limit; ++i) {
    if (adv::ScriptStep(context()) != adv::ScriptStepResult::kGoOn) return i + 1;
  }
  return limit;
}

uint32_t ScriptMachine::LabelPc(const std::string& name) const {
  for (const auto& [label, offset] : label_offsets_) {
    if (label == name) return adv::kCodeOrigin + offset;
  }
  ADD_FAILURE() << "no label " << name;
  return 0;
}

uint32_t ScriptMachine::LabelNumber(const std::string& name) const {
  for (const auto& [label, number] : label_numbers_) {
    if (label == name) return number;
  }
  ADD_FAILURE() << "no label " << name;
  return 0;
}

std::vector<LogLine> ScriptMachine::Log() const {
  std::lock_guard lock(g_log_mutex);
  return g_log;
}

bool ScriptMachine::Logged(std::string_view text, int32_t key) const {
  for (const LogLine& line : Log()) {
    if (line.key == key && line.text.find(text) != std::string::npos) return true;
  }
  return false;
}

int ScriptMachine::CountLogged(std::string_view text) const {
  int count = 0;
  for (const LogLine& line : Log()) count += line.text.find(text) != std::string::npos;
  return count;
}

void ScriptMachine::ClearLog() {
  std::lock_guard lock(g_log_mutex);
  g_log.clear();
}

int32_t ReturnRecordCount(adv::AdvContext& context, int32_t list_id) {
  return yel::YelListGetDataCount(context.display_queue, list_id);
}

}  // namespace test

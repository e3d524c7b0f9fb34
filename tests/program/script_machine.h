// The interpreter in-process on a script built by the assembler: a task data block of its own
// (so that file marks and the access list have somewhere to go), the script and list files
// loaded into its context, and the engine's report lines collected for the test to read.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "program/game/adv_context.h"
#include "program/script/command_table.h"
#include "program/script/engine_log.h"

namespace test {

struct LogLine {
  int32_t key;
  std::string text;
};

class ScriptMachine {
 public:
  // Assembles `source` (failing the test when it does not assemble) and loads it.
  explicit ScriptMachine(std::string_view source);
  ~ScriptMachine();
  ScriptMachine(const ScriptMachine&) = delete;
  ScriptMachine& operator=(const ScriptMachine&) = delete;

  adv::AdvContext& context() { return data_->context; }
  adv::AdvTaskData& data() { return *data_; }
  bool loaded() const { return loaded_; }

  // Command calls of this machine's script find `handler` under `code`: the machine runs on a
  // copy of the game's command table in which the code's group holds the test's handlers.
  void SetCommand(uint32_t code, adv::CommandHandler handler);

  // One pass of the interpreter (ScriptRunUntilWait).
  int Run();
  // At most `limit` instructions; the number of steps run before the pass ended.
  int Steps(int limit);

  int32_t V(int n) { return context().values.variables[n]; }
  // The byte offset in "Script.src" of a label of the source.
  uint32_t LabelPc(const std::string& name) const;
  uint32_t LabelNumber(const std::string& name) const;
  // Byte offset of text n in "Text.dat".
  uint32_t TextOffset(size_t n) const { return text_offsets_.at(n); }

  // Report lines since the machine was made (or since ClearLog).
  std::vector<LogLine> Log() const;
  bool Logged(std::string_view text, int32_t key) const;
  int CountLogged(std::string_view text) const;
  void ClearLog();

 private:
  std::unique_ptr<adv::AdvTaskData> data_;
  bool loaded_ = false;
  std::vector<std::pair<std::string, uint32_t>> label_offsets_;
  std::vector<std::pair<std::string, uint32_t>> label_numbers_;
  std::vector<uint32_t> text_offsets_;
  adv::CommandGroupTable commands_ = adv::CommandTable();
  std::vector<adv::CommandHandler> test_slots_;
  adv::CommandHandlers test_handlers_{};
};

// The number of return records of a list id on the context's display queue.
int32_t ReturnRecordCount(adv::AdvContext& context, int32_t list_id);

}  // namespace test

#include "tools/ani_assembler/ani_assembler.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <map>
#include <optional>
#include <set>
#include <span>

#include "program/data/ani_file.h"

namespace aniasm {
namespace {

struct Operand {
  std::string text;
  bool is_label = false;
};

struct Instruction {
  int line = 0;
  const adv::AniOpcodeInfo* info = nullptr;  // null for ".byte"
  std::vector<Operand> operands;
  uint32_t offset = 0;
};

struct Label {
  int line = 0;
  std::optional<uint32_t> number;
  uint32_t offset = 0;
};

std::string_view Trim(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

bool IsName(std::string_view text) {
  if (text.empty() || !(std::isalpha(static_cast<unsigned char>(text[0])) || text[0] == '_')) {
    return false;
  }
  return std::all_of(text.begin(), text.end(), [](char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
  });
}

// A 32-bit value: decimal or 0x hexadecimal, signed or unsigned.
std::optional<uint32_t> ParseValue(std::string_view text) {
  const std::string s(text);
  if (s.empty()) return std::nullopt;
  char* end = nullptr;
  errno = 0;
  const long long value = std::strtoll(s.c_str(), &end, 0);
  if (*end != 0 || errno == ERANGE || value < INT32_MIN || value > UINT32_MAX) return std::nullopt;
  return static_cast<uint32_t>(value);
}

class Assembler {
 public:
  explicit Assembler(std::string_view file_name) : file_name_(file_name) {}

  AssembleResult Run(std::string_view source) {
    int line_number = 0;
    size_t start = 0;
    while (start <= source.size()) {
      size_t end = source.find('\n', start);
      if (end == std::string_view::npos) end = source.size();
      ParseLine(++line_number, source.substr(start, end - start));
      start = end + 1;
    }
    NumberLabels();
    AssembleResult result;
    if (errors_.empty()) result.file = Emit();
    result.errors = errors_;
    result.ok = errors_.empty();
    return result;
  }

 private:
  void Error(int line, const std::string& message) {
    errors_.push_back(std::string(file_name_) + ":" + std::to_string(line) + ": " + message);
  }

  void ParseLine(int line, std::string_view text) {
    text = Trim(text.substr(0, text.find(';')));
    const size_t colon = text.find(':');
    if (colon != std::string_view::npos) {
      DefineLabel(line, Trim(text.substr(0, colon)));
      text = Trim(text.substr(colon + 1));
    }
    if (text.empty()) return;
    const size_t space = text.find_first_of(" \t");
    const std::string_view word = text.substr(0, space);
    const std::string_view rest = space == std::string_view::npos ? "" : Trim(text.substr(space));
    if (word == ".start") {
      if (!IsName(rest)) return Error(line, "'.start' takes a label name");
      start_label_ = std::string(rest);
      start_line_ = line;
      return;
    }
    Instruction instruction;
    instruction.line = line;
    if (word != ".byte") {
      instruction.info = adv::AniOpcodeFind(word);
      if (!instruction.info) return Error(line, "unknown instruction '" + std::string(word) + "'");
    }
    ParseOperands(instruction, rest);
    CheckOperands(instruction, word);
    instruction.offset = size_;
    size_ += instruction.info ? 1 + 4 * instruction.info->operands : 1;
    instructions_.push_back(std::move(instruction));
  }

  void DefineLabel(int line, std::string_view text) {
    const size_t at = text.find('@');
    const std::string name(Trim(text.substr(0, at)));
    if (!IsName(name)) return Error(line, "'" + std::string(text) + "' is no label name");
    Label label{line, std::nullopt, size_};
    if (at != std::string_view::npos) {
      const std::optional<uint32_t> number = ParseValue(Trim(text.substr(at + 1)));
      if (!number || *number > kMaxLabel) {
        return Error(line, "label number of '" + name + "' must be 0-" + std::to_string(kMaxLabel));
      }
      label.number = number;
    }
    if (!labels_.emplace(name, label).second) Error(line, "label '" + name + "' defined twice");
    order_.push_back(name);
  }

  void ParseOperands(Instruction& instruction, std::string_view rest) {
    if (rest.empty()) return;
    size_t start = 0;
    while (start <= rest.size()) {
      size_t comma = rest.find(',', start);
      if (comma == std::string_view::npos) comma = rest.size();
      instruction.operands.push_back({std::string(Trim(rest.substr(start, comma - start)))});
      start = comma + 1;
    }
  }

  void CheckOperands(Instruction& instruction, std::string_view word) {
    const size_t wanted = instruction.info ? instruction.info->operands : 1;
    if (instruction.operands.size() != wanted) {
      return Error(instruction.line, "'" + std::string(word) + "' takes " + std::to_string(wanted) +
                                         " operand(s), not " +
                                         std::to_string(instruction.operands.size()));
    }
    for (size_t i = 0; i < wanted; ++i) {
      Operand& operand = instruction.operands[i];
      const bool label = instruction.info && (instruction.info->label_operands >> i & 1);
      if (label && IsName(operand.text)) {
        operand.is_label = true;
        continue;
      }
      const std::optional<uint32_t> value = ParseValue(operand.text);
      if (!value) {
        Error(instruction.line, "'" + operand.text + "' is no 32-bit value");
      } else if (!instruction.info && *value > 0xFF) {
        Error(instruction.line, "'.byte' takes a value of 0-255");
      }
    }
    if (instruction.info && instruction.info->opcode == adv::kAniChild) {
      const std::optional<uint32_t> child = ParseValue(instruction.operands[0].text);
      if (child && *child >= adv::kAniChildCount) {
        Error(instruction.line, "child number " + instruction.operands[0].text + " is not 0-7");
      }
    }
  }

  // Labels without a number take the lowest free ones, in order of definition.
  void NumberLabels() {
    std::set<uint32_t> taken;
    for (const auto& [name, label] : labels_) {
      if (label.number && !taken.insert(*label.number).second) {
        Error(label.line, "label number " + std::to_string(*label.number) + " given twice");
      }
    }
    uint32_t next = 0;
    for (const std::string& name : order_) {
      Label& label = labels_.at(name);
      if (label.number) continue;
      while (taken.count(next)) ++next;
      label.number = next;
      taken.insert(next);
    }
    for (const Instruction& instruction : instructions_) {
      for (const Operand& operand : instruction.operands) {
        if (operand.is_label && !labels_.count(operand.text)) {
          Error(instruction.line, "label '" + operand.text + "' is not defined");
        }
      }
    }
    if (!start_label_.empty() && !labels_.count(start_label_)) {
      Error(start_line_, "start label '" + start_label_ + "' is not defined");
    }
  }

  static void PutWord(std::vector<uint8_t>& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
  }

  uint32_t OperandValue(const Operand& operand) const {
    return operand.is_label ? *labels_.at(operand.text).number : *ParseValue(operand.text);
  }

  std::vector<uint8_t> Emit() const {
    std::vector<uint8_t> out;
    for (const Instruction& instruction : instructions_) {
      if (!instruction.info) {
        out.push_back(static_cast<uint8_t>(OperandValue(instruction.operands[0])));
        continue;
      }
      out.push_back(instruction.info->opcode);
      for (const Operand& operand : instruction.operands) PutWord(out, OperandValue(operand));
    }
    // The label table runs downwards from below the trailer: the highest number comes first.
    uint32_t count = 1;
    for (const auto& [name, label] : labels_) count = std::max(count, *label.number + 1);
    std::vector<uint32_t> table(count, 0);
    for (const auto& [name, label] : labels_) table[*label.number] = label.offset;
    for (uint32_t n = count; n-- > 0;) PutWord(out, table[n]);
    PutWord(out, 0);
    PutWord(out, start_label_.empty() ? 0 : labels_.at(start_label_).offset);
    return out;
  }

  static constexpr uint32_t kMaxLabel = 0xFFFF;

  std::string_view file_name_;
  std::map<std::string, Label> labels_;
  std::vector<std::string> order_;
  std::vector<Instruction> instructions_;
  std::vector<std::string> errors_;
  std::string start_label_;
  int start_line_ = 0;
  uint32_t size_ = 0;
};

// Instruction starts from offset 0 up to `end`, or nothing when they do not end exactly there.
std::optional<std::set<uint32_t>> Boundaries(std::span<const uint8_t> file, size_t end) {
  std::set<uint32_t> starts;
  size_t at = 0;
  while (at < end) {
    starts.insert(static_cast<uint32_t>(at));
    const adv::AniOpcodeInfo* info = adv::AniOpcodeFind(file[at]);
    at += info ? 1 + 4 * size_t{info->operands} : 1;
  }
  if (at != end) return std::nullopt;
  starts.insert(static_cast<uint32_t>(end));
  return starts;
}

std::string LabelName(uint32_t number) {
  return "label" + std::to_string(number);
}

}  // namespace

std::string AssembleResult::ErrorText() const {
  std::string text;
  for (const std::string& error : errors) text += error + "\n";
  return text;
}

AssembleResult Assemble(std::string_view source, std::string_view file_name) {
  return Assembler(file_name).Run(source);
}

std::string Disassemble(const std::vector<uint8_t>& bytes, std::string* error) {
  const std::span<const uint8_t> file(bytes);
  if (file.size() < adv::kAniTrailerSize) {
    *error = "shorter than the 12-byte trailer";
    return {};
  }
  // The file does not say how many labels it has: take the fewest that leave whole instructions
  // below them and point at instruction starts.
  for (uint32_t count = 1; count <= adv::AniLabelCapacity(file); ++count) {
    const size_t code_end = file.size() - 8 - 4 * size_t{count};
    const std::optional<std::set<uint32_t>> starts = Boundaries(file, code_end);
    if (!starts) continue;
    std::map<uint32_t, std::vector<uint32_t>> labels_at;
    bool fits = true;
    for (uint32_t n = 0; n < count && fits; ++n) {
      const uint32_t offset = *adv::AniLabelOffset(file, n);
      fits = starts->count(offset) != 0;
      labels_at[offset].push_back(n);
    }
    if (!fits) continue;
    std::string text;
    const uint32_t start = *adv::AniStartOffset(file);
    bool start_named = false;
    for (uint32_t at : *starts) {
      for (uint32_t n : labels_at[at]) {
        text += LabelName(n) + "@" + std::to_string(n) + ":\n";
        if (at == start && !start_named) {
          text += ".start " + LabelName(n) + "\n";
          start_named = true;
        }
      }
      if (at == code_end) break;
      const adv::AniOpcodeInfo* info = adv::AniOpcodeFind(file[at]);
      if (!info) {
        text += "  .byte " + std::to_string(file[at]) + "\n";
        continue;
      }
      text += std::string("  ") + info->mnemonic;
      for (uint32_t i = 0; i < info->operands; ++i) {
        const uint32_t value = adv::AniReadWord(file, at + 1 + 4 * size_t{i});
        const bool label = (info->label_operands >> i & 1) && value < count;
        text += (i == 0 ? " " : ", ") +
                (label ? LabelName(value) : std::to_string(static_cast<int32_t>(value)));
      }
      text += "\n";
    }
    if (start != 0 && !start_named) {
      *error = "the start offset " + std::to_string(start) + " is no label's";
      return {};
    }
    return text;
  }
  *error = "no instruction boundary meets the label table";
  return {};
}

}  // namespace aniasm

#include "program/sound/favourite_voices.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "os/ini_file.h"
#include "os/message_box.h"
#include "os/plain_file.h"
#include "program/commands/text_arguments.h"
#include "program/game/adv_context.h"
#include "program/script/engine_log.h"
#include "program/script/script_paths.h"
#include "program/sound/name_prefix.h"
#include "program/sound/voice_channels.h"
#include "program/startup/yel_import.h"

namespace adv {
namespace {

// A number or flag field holds at most this many characters.
constexpr size_t kNumberFieldSize = 7;
// The longest file a full table can make, with room to spare; a longer one is no favourites file.
constexpr size_t kFileSizeLimit = 4u << 20;

FavouriteVoiceTable g_table;
std::array<int32_t, kFavouriteMemoWords> g_memo{};
int32_t g_maximum = 0;

bool ValidIndex(int32_t i) {
  return i >= 0 && i < g_table.count;
}

// Copies text into a field, cut at the last whole character that leaves room for the zero.
template <size_t N>
void StoreText(std::array<char, N>& field, std::string_view text) {
  StoreFieldText(field, text.substr(0, WholeCharacterPrefix(text, N - 1)));
}

// The text without its "<...>" markup spans; a "<" without a closing ">" drops the rest.
std::string WithoutMarkup(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '<') {
      out += text[i];
      continue;
    }
    const size_t close = text.find('>', i + 1);
    if (close == std::string_view::npos) break;
    i = close;
  }
  return out;
}

int32_t NextNumber() {
  int32_t largest = -1;
  for (int32_t i = 0; i < g_table.count; ++i)
    largest = std::max(largest, g_table.records[i].number);
  return largest + 1;
}

// A decimal field: leading blanks, an optional sign, digits up to the first other character (no
// digits give 0); 32-bit arithmetic.
int32_t FieldNumber(std::string_view field) {
  size_t i = 0;
  while (i < field.size() && (field[i] == ' ' || field[i] == '\t')) ++i;
  bool negative = false;
  if (i < field.size() && (field[i] == '-' || field[i] == '+')) negative = field[i++] == '-';
  uint32_t value = 0;
  for (; i < field.size() && field[i] >= '0' && field[i] <= '9'; ++i) {
    value = value * 10 + static_cast<uint32_t>(field[i] - '0');
  }
  return static_cast<int32_t>(negative ? 0u - value : value);
}

// Reads the lines of a favourites file, each field bounded by the data.
class FavouriteParser {
 public:
  explicit FavouriteParser(std::string_view data) : data_(data) {}

  bool AtEnd() const { return pos_ >= data_.size(); }

  // One line into `record`; false (nothing stored) for a malformed or cut line.
  bool Line(FavouriteVoice& record) {
    std::string_view number, flag, name, voice, text;
    if (!Until(',', number) || !Expect(",") || !Until(',', flag) || !Expect(",\"") ||
        !Until('"', name) || !Expect("\",\"") || !Until('"', voice) || !Expect("\",\"") ||
        !Until('"', text) || !Expect("\"")) {
      return false;
    }
    // The line ends with CR LF; a last line may lack it.
    if (!Expect("\r\n") && !Expect("\n") && !AtEnd()) return false;
    record = FavouriteVoice{};
    record.number = FieldNumber(number.substr(0, kNumberFieldSize));
    record.flag = static_cast<int8_t>(FieldNumber(flag.substr(0, kNumberFieldSize)));
    StoreText(record.name, name);
    StoreText(record.voice, voice);
    StoreText(record.text, text);
    return true;
  }

 private:
  // The bytes up to the next `stop` (not taken); false when the data ends first.
  bool Until(char stop, std::string_view& field) {
    const size_t end = data_.find(stop, pos_);
    if (end == std::string_view::npos) return false;
    field = data_.substr(pos_, end - pos_);
    pos_ = end;
    return true;
  }
  bool Expect(std::string_view bytes) {
    if (data_.substr(pos_, bytes.size()) != bytes) return false;
    pos_ += bytes.size();
    return true;
  }

  std::string_view data_;
  size_t pos_ = 0;
};

std::optional<std::string> DiskPath(const char* command) {
  if (g_table.path.empty()) return std::nullopt;
  return ScriptDiskPath(command, g_table.path);
}

}  // namespace

FavouriteVoiceTable& Favourites() {
  return g_table;
}

int32_t& FavouriteMaximum() {
  return g_maximum;
}

int32_t FavAdd(int32_t number, std::string_view name, std::string_view voice,
               std::string_view text) {
  if (g_table.count >= kFavouriteCapacity || g_table.count >= g_maximum) return -1;
  if (number < 0) number = NextNumber();
  FavouriteVoice& record = g_table.records[g_table.count];
  record = FavouriteVoice{};
  record.number = number;
  StoreText(record.name, name);
  const std::string plain = WithoutMarkup(text.substr(0, kFavouriteTextSize));
  StoreText(record.text, plain);
  StoreText(record.voice, voice);
  ++g_table.count;
  return number;
}

bool FavExpandMix(std::string& out, const char* name) {
  VoiceSet set;
  if (!name || name[0] == 0 || !VoiceSetRead(name, set)) return false;
  out = name;
  for (int32_t i = 0; i < set.count; ++i) {
    out += '|';
    out += set.names[i].data();  // terminated by the reader
  }
  return true;
}

void FavExpandRecord(int32_t i) {
  if (!ValidIndex(i)) return;
  FavouriteVoice& record = g_table.records[i];
  const std::string voice(FieldText(record.voice));
  std::string expanded;
  if (voice.find('|') != std::string::npos || !FavExpandMix(expanded, voice.c_str())) return;
  StoreText(record.voice, expanded);
}

int32_t FavAddEx(int32_t number, std::string_view name, std::string_view voice,
                 std::string_view text) {
  const int32_t added = FavAdd(number, name, voice, text);
  if (added >= 0) FavExpandRecord(g_table.count - 1);
  return added;
}

bool FavDelete(int32_t i) {
  if (!ValidIndex(i)) return false;
  g_table.records[i] = FavouriteVoice{};
  g_table.records[i].number = kFavouriteDeleted;
  return true;
}

int32_t FavGetFlag(int32_t i) {
  return ValidIndex(i) ? g_table.records[i].flag : -1;
}

bool FavSetFlag(int32_t i, int32_t flag) {
  if (!ValidIndex(i)) return false;
  g_table.records[i].flag = static_cast<int8_t>(flag);
  return true;
}

bool FavSwap(int32_t a, int32_t b) {
  if (!ValidIndex(a) || !ValidIndex(b)) return false;
  std::swap(g_table.records[a], g_table.records[b]);
  return true;
}

const FavouriteVoice* FavGet(int32_t i) {
  return ValidIndex(i) ? &g_table.records[i] : nullptr;
}

int32_t FavFindNumber(int32_t number) {
  for (int32_t i = 0; i < g_table.count; ++i) {
    if (g_table.records[i].number == number) return i;
  }
  return -1;
}

int32_t FavCount() {
  return g_table.count;
}

void FavSetPath(std::string_view path) {
  g_table.path = std::string(path.substr(0, kFavouritePathSize - 1));
}

const std::string& FavGetPath() {
  return g_table.path;
}

void FavClearRecords() {
  g_table.count = 0;
  g_table.records = {};
  g_memo = {};
}

void FavReset() {
  FavClearRecords();
  g_table.path.clear();
}

void FavClearAll() {
  FavReset();
}

void FavInit(std::string_view path) {
  FavClearAll();
  FavSetPath(path);
}

bool FavMemoSet(int32_t i, int32_t value) {
  if (static_cast<uint32_t>(i) >= static_cast<uint32_t>(kFavouriteMemoWords)) return false;
  g_memo[static_cast<size_t>(i)] = value;
  return true;
}

int32_t FavMemoGet(int32_t i) {
  if (static_cast<uint32_t>(i) >= static_cast<uint32_t>(kFavouriteMemoWords)) return -1;
  return g_memo[static_cast<size_t>(i)];
}

std::string FavFormat() {
  std::string out;
  for (int32_t i = 0; i < g_table.count; ++i) {
    const FavouriteVoice& r = g_table.records[i];
    if (r.number < 0) continue;
    char head[32];
    std::snprintf(head, sizeof head, "%06d,%1d,\"", r.number, static_cast<int>(r.flag));
    out += head;
    out.append(FieldText(r.name)).append("\",\"");
    out.append(FieldText(r.voice)).append("\",\"");
    out.append(FieldText(r.text)).append("\"\r\n");
  }
  return out;
}

int32_t FavParse(std::string_view data) {
  g_table.count = 0;
  g_table.records = {};
  FavouriteParser parser(data);
  while (g_table.count < kFavouriteCapacity && !parser.AtEnd()) {
    if (!parser.Line(g_table.records[g_table.count])) break;
    ++g_table.count;
  }
  return g_table.count;
}

bool FavWriteFile() {
  const std::optional<std::string> path = DiskPath("favsave");
  return path && os::WriteFileAtomically(*path, FavFormat());
}

int32_t FavReadFile() {
  const std::optional<std::string> path = DiskPath("favload");
  std::string data;
  if (!path || os::ReadWholeFile(*path, data, kFileSizeLimit) != os::FileReadStatus::kOk) {
    return -1;
  }
  return FavParse(data);
}

void FavSaveAndLoad() {
  if (g_table.path.empty()) return;
  FavWriteFile();
  FavReadFile();
}

int32_t AdvHisFavAdd(AdvContext& context, int32_t n, uint32_t refusal_sound) {
  if (n < 0 || n >= context.history.count || n >= kHistoryEntryCount) {
    AdvDebugPrint(kLogError, "his_favadd error : no history line %d", n);
    return 0;
  }
  if (!g_table.path.empty()) FavReadFile();
  const HistoryEntry& line = context.history.entries[static_cast<size_t>(n)];
  const std::string name(FieldText(line.name));
  const std::string voice(FieldText(line.voice));
  const std::string text(FieldText(line.text));
  if (FavAdd(-1, name, voice, text) < 0) {
    if (refusal_sound != 0) yel::YelSoundPlay(refusal_sound, 0);
    AdvDebugPrint(kLogError, "his_favadd : 追加出来ませんでした。");
    os::ShowMessageBox("お気に入り音声の登録がいっぱいです。", "エラー", os::BoxButtons::kOk);
    return 0;
  }
  AdvDebugPrint(kLogTrace, "his_favadd [%d][%s][%s][%s]", -1, name.c_str(), voice.c_str(),
                text.c_str());
  if (!g_table.path.empty()) FavWriteFile();
  return 1;
}

}  // namespace adv

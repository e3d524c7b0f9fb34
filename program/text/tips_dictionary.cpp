#include "program/text/tips_dictionary.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

namespace adv {
namespace {

constexpr int kKanaRowCount = 6;
// The kana rows in CP932: hiragana, their voiced forms with ん, the small kana with the p-row,
// then the same three in katakana (ヴ among the voiced ones). Ten groups of five characters a
// row, gaps filled with full-width spaces; a character's group is its byte offset / 10.
constexpr const char* kKanaRows[kKanaRowCount] = {
    "\x82\xA0\x82\xA2\x82\xA4\x82\xA6\x82\xA8\x82\xA9\x82\xAB\x82\xAD\x82\xAF\x82\xB1\x82\xB3"
    "\x82\xB5\x82\xB7\x82\xB9\x82\xBB\x82\xBD\x82\xBF\x82\xC2\x82\xC4\x82\xC6\x82\xC8\x82\xC9"
    "\x82\xCA\x82\xCB\x82\xCC\x82\xCD\x82\xD0\x82\xD3\x82\xD6\x82\xD9\x82\xDC\x82\xDD\x82\xDE"
    "\x82\xDF\x82\xE0\x82\xE2\x81\x40\x82\xE4\x81\x40\x82\xE6\x82\xE7\x82\xE8\x82\xE9\x82\xEA"
    "\x82\xEB\x82\xED\x82\xEE\x82\xEF\x82\xF0",
    "\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x82\xAA\x82\xAC\x82\xAE\x82\xB0\x82\xB2\x82\xB4"
    "\x82\xB6\x82\xB8\x82\xBA\x82\xBC\x82\xBE\x82\xC0\x82\xC3\x82\xC5\x82\xC7\x81\x40\x81\x40"
    "\x81\x40\x81\x40\x81\x40\x82\xCE\x82\xD1\x82\xD4\x82\xD7\x82\xDA\x81\x40\x81\x40\x81\x40"
    "\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40"
    "\x81\x40\x81\x40\x81\x40\x81\x40\x82\xF1",
    "\x82\x9F\x82\xA1\x82\xA3\x82\xA5\x82\xA7\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40"
    "\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40"
    "\x81\x40\x81\x40\x81\x40\x82\xCF\x82\xD2\x82\xD5\x82\xD8\x82\xDB\x81\x40\x81\x40\x81\x40"
    "\x81\x40\x81\x40\x82\xE1\x81\x40\x82\xE3\x81\x40\x82\xE5\x81\x40\x81\x40\x81\x40\x81\x40"
    "\x81\x40\x82\xEC\x81\x40\x81\x40\x82\xF1",
    "\x83\x41\x83\x43\x83\x45\x83\x47\x83\x49\x83\x4A\x83\x4C\x83\x4E\x83\x50\x83\x52\x83\x54"
    "\x83\x56\x83\x58\x83\x5A\x83\x5C\x83\x5E\x83\x60\x83\x63\x83\x65\x83\x67\x83\x69\x83\x6A"
    "\x83\x6B\x83\x6C\x83\x6D\x83\x6E\x83\x71\x83\x74\x83\x77\x83\x7A\x83\x7D\x83\x7E\x83\x80"
    "\x83\x81\x83\x82\x83\x84\x81\x40\x83\x86\x81\x40\x83\x88\x83\x89\x83\x8A\x83\x8B\x83\x8C"
    "\x83\x8D\x83\x8F\x83\x90\x83\x91\x83\x92",
    "\x81\x40\x81\x40\x83\x94\x81\x40\x81\x40\x83\x4B\x83\x4D\x83\x4F\x83\x51\x83\x53\x83\x55"
    "\x83\x57\x83\x59\x83\x5B\x83\x5D\x83\x5F\x83\x61\x83\x64\x83\x66\x83\x68\x81\x40\x81\x40"
    "\x81\x40\x81\x40\x81\x40\x83\x6F\x83\x72\x83\x75\x83\x78\x83\x7B\x81\x40\x81\x40\x81\x40"
    "\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40"
    "\x81\x40\x81\x40\x81\x40\x81\x40\x83\x93",
    "\x83\x40\x83\x42\x83\x44\x83\x46\x83\x48\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40"
    "\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40\x81\x40"
    "\x81\x40\x81\x40\x81\x40\x83\x70\x83\x73\x83\x76\x83\x79\x83\x7C\x81\x40\x81\x40\x81\x40"
    "\x81\x40\x81\x40\x83\x83\x81\x40\x83\x85\x81\x40\x83\x87\x81\x40\x81\x40\x81\x40\x81\x40"
    "\x81\x40\x83\x8E\x81\x40\x81\x40\x83\x93",
};

bool IsLeadByte(uint8_t c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Reads one field from `pos`; false when the data had ended before it began.
bool ReadField(std::string_view data, size_t& pos, std::string& field) {
  field.clear();
  if (pos >= data.size()) return false;
  bool keep_spaces = false;
  while (pos < data.size()) {
    const auto c = static_cast<uint8_t>(data[pos]);
    if (c == ',') {
      ++pos;
      if (pos < data.size() && data[pos] == '\n') ++pos;
      return true;
    }
    if (c == '\r') {
      ++pos;
      if (pos < data.size() && data[pos] == '\n') ++pos;
      return true;
    }
    if (c == '/' && pos + 1 < data.size() && data[pos + 1] == '/') {
      const size_t end = data.find('\n', pos);
      pos = end == std::string_view::npos ? data.size() : end + 1;
      continue;
    }
    if (c >= 0x80) {
      keep_spaces = true;
      if (pos + 1 >= data.size()) {
        pos = data.size();
        break;
      }
      if (field.size() + 2 <= kTipsColumnMax) field.append(data.substr(pos, 2));
      pos += 2;
      continue;
    }
    ++pos;
    if (c == '"') {
      keep_spaces = true;
      continue;
    }
    if ((c == ' ' || c == 0x08) && !keep_spaces) continue;
    if (field.size() < kTipsColumnMax) field.push_back(static_cast<char>(c));
  }
  return true;
}

// One character of a string at `i`: its code and its length (0 at the end).
std::pair<uint32_t, size_t> CharAt(std::string_view s, size_t i) {
  if (i >= s.size()) return {0, 0};
  const auto c = static_cast<uint8_t>(s[i]);
  if (IsLeadByte(c) && i + 1 < s.size() && s[i + 1] != 0) {
    return {c * 256u + static_cast<uint8_t>(s[i + 1]), 2};
  }
  return {c, 1};
}

}  // namespace

TipsDictionary& Tips() {
  static TipsDictionary dictionary;
  return dictionary;
}

std::vector<TipsRecord> TipsParseCsv(std::string_view data) {
  std::vector<TipsRecord> records;
  size_t pos = 0;
  TipsRecord record;
  int column = 0;
  std::string field;
  while (ReadField(data, pos, field)) {
    record.columns[column] = field;
    if (++column == 4) {
      record.number = static_cast<int32_t>(records.size());
      records.push_back(std::move(record));
      record = TipsRecord{};
      column = 0;
    }
  }
  return records;
}

int32_t TipsKanaGroup(std::string_view reading) {
  if (reading.size() < 2) return -1;
  const char first[2] = {reading[0], reading[1]};
  for (const char* row : kKanaRows) {
    const size_t length = std::strlen(row);
    for (size_t offset = 0; offset + 1 < length; offset += 2) {
      if (row[offset] == first[0] && row[offset + 1] == first[1]) {
        return static_cast<int32_t>(offset / 10);
      }
    }
  }
  return -1;
}

int TipsCompare(std::string_view a, std::string_view b) {
  size_t i = 0, j = 0;
  for (;;) {
    const auto [ca, la] = CharAt(a, i);
    const auto [cb, lb] = CharAt(b, j);
    if (ca != cb) return ca < cb ? -1 : 1;
    if (la == 0) return 0;
    i += la;
    j += lb;
  }
}

namespace {

bool ReadingLess(const TipsRecord& a, const TipsRecord& b) {
  return TipsCompare(a.columns[1], b.columns[1]) < 0;
}

// The order the game has always given the tips: every ordered pair (i, j) is visited, i outer,
// and a pair with record i before record j in reading is exchanged. Readings with equal text end
// in the order this exchange gives them, which scripts may have come to rely on. Quadratic; kept
// for readings with a zero character, with which the comparison is no consistent order.
void PairwiseExchangeSort(std::vector<TipsRecord>& records) {
  const size_t n = records.size();
  for (size_t i = 0; i < n; ++i) {
    for (size_t j = 0; j < n; ++j) {
      if (i != j && ReadingLess(records[i], records[j])) std::swap(records[i], records[j]);
    }
  }
}

// Sequences of record indexes that can be cut and joined in logarithmic time (an implicit treap:
// a binary tree in sequence order, balanced by fixed pseudo-random priorities).
class IndexSequences {
 public:
  static constexpr int kNone = -1;

  explicit IndexSequences(size_t n) : left_(n, kNone), right_(n, kNone), size_(n, 1), rank_(n) {
    uint64_t state = 0x9E3779B97F4A7C15u;
    for (uint64_t& rank : rank_) {
      state ^= state << 13;
      state ^= state >> 7;
      state ^= state << 17;
      rank = state;
    }
  }

  // The sequence `a` followed by `b`.
  int Join(int a, int b) {
    if (a == kNone) return b;
    if (b == kNone) return a;
    if (rank_[a] > rank_[b]) {
      right_[a] = Join(right_[a], b);
      return Update(a);
    }
    left_[b] = Join(a, left_[b]);
    return Update(b);
  }

  // The first `k` of sequence `t` into `a`, the rest into `b`.
  void Split(int t, size_t k, int& a, int& b) {
    if (t == kNone) {
      a = b = kNone;
    } else if (Size(left_[t]) < k) {
      Split(right_[t], k - Size(left_[t]) - 1, right_[t], b);
      a = Update(t);
    } else {
      Split(left_[t], k, a, left_[t]);
      b = Update(t);
    }
  }

  // Moves the first `k` (less than the length) to the end.
  int RotateLeft(int t, size_t k) {
    if (k == 0) return t;
    int a = kNone, b = kNone;
    Split(t, k, a, b);
    return Join(b, a);
  }

  void Append(int t, std::vector<size_t>& out) const {
    std::vector<int> stack;
    while (t != kNone || !stack.empty()) {
      for (; t != kNone; t = left_[t]) stack.push_back(t);
      t = stack.back();
      stack.pop_back();
      out.push_back(static_cast<size_t>(t));
      t = right_[t];
    }
  }

 private:
  size_t Size(int t) const { return t == kNone ? 0 : size_[t]; }
  int Update(int t) {
    size_[t] = 1 + Size(left_[t]) + Size(right_[t]);
    return t;
  }

  std::vector<int> left_, right_;
  std::vector<size_t> size_;
  std::vector<uint64_t> rank_;
};

// Counts per reading rank, with sums over the lower ranks.
class RankCounts {
 public:
  explicit RankCounts(size_t ranks) : tree_(ranks + 1, 0) {}
  void Add(size_t rank) {
    for (size_t i = rank + 1; i < tree_.size(); i += i & (~i + 1)) ++tree_[i];
  }
  size_t Below(size_t rank) const {
    size_t sum = 0;
    for (size_t i = rank; i > 0; i -= i & (~i + 1)) sum += tree_[i];
    return sum;
  }

 private:
  std::vector<size_t> tree_;
};

// The pairwise exchange's result in O(n log n). Its first outer step (i = 0) carries the largest
// reading to the front, leaving each record it passes over where the one that beat it stood;
// done here as it is. Each later step i takes the record at i into the sorted front part: it goes
// after every equal reading, and each run of equal readings greater than it is passed by the
// carried record in a way that moves the run's first record to the run's end. So each reading
// keeps its records as a queue: new ones join at the end, and each record taken in with a smaller
// reading turns the queue by one; the turns are counted per reading and applied when the queue
// next changes or at the end.
std::vector<size_t> ExchangeOrder(const std::vector<TipsRecord>& records) {
  const size_t n = records.size();
  std::vector<size_t> taken(n);
  for (size_t k = 0; k < n; ++k) taken[k] = k;
  for (size_t j = 1; j < n; ++j) {
    if (ReadingLess(records[taken[0]], records[taken[j]])) std::swap(taken[0], taken[j]);
  }
  std::vector<size_t> by_reading = taken;
  std::sort(by_reading.begin(), by_reading.end(),
            [&](size_t a, size_t b) { return ReadingLess(records[a], records[b]); });
  std::vector<size_t> rank(n);
  size_t ranks = 0;
  for (size_t k = 0; k < n; ++k) {
    if (k > 0 && ReadingLess(records[by_reading[k - 1]], records[by_reading[k]])) ++ranks;
    rank[by_reading[k]] = ranks;
  }
  ++ranks;
  struct Queue {
    int root = IndexSequences::kNone;
    size_t length = 0;
    size_t smaller_seen = 0;  // records with smaller readings taken in when last turned
  };
  std::vector<Queue> queues(ranks);
  IndexSequences sequences(n);
  RankCounts counts(ranks);
  const auto turn = [&](Queue& queue, size_t smaller) {
    if (queue.length > 0) {
      queue.root = sequences.RotateLeft(queue.root, (smaller - queue.smaller_seen) % queue.length);
    }
    queue.smaller_seen = smaller;
  };
  for (size_t record : taken) {
    Queue& queue = queues[rank[record]];
    turn(queue, counts.Below(rank[record]));
    queue.root = sequences.Join(queue.root, static_cast<int>(record));
    ++queue.length;
    counts.Add(rank[record]);
  }
  std::vector<size_t> order;
  order.reserve(n);
  for (size_t r = 0; r < ranks; ++r) {
    turn(queues[r], counts.Below(r));
    sequences.Append(queues[r].root, order);
  }
  return order;
}

}  // namespace

void TipsSort(TipsDictionary& dictionary) {
  std::vector<TipsRecord>& records = dictionary.records;
  for (const TipsRecord& record : records) {
    if (record.columns[1].find('\0') != std::string::npos) {
      PairwiseExchangeSort(records);
      return;
    }
  }
  std::vector<TipsRecord> sorted;
  sorted.reserve(records.size());
  for (size_t index : ExchangeOrder(records)) sorted.push_back(std::move(records[index]));
  records = std::move(sorted);
}

void TipsApplyAccess(TipsDictionary& dictionary, std::string_view bytes) {
  for (size_t i = 0; i < dictionary.records.size() && 2 * i + 1 < bytes.size(); ++i) {
    dictionary.records[i].access1 = static_cast<uint8_t>(bytes[2 * i] - 0x30);
    dictionary.records[i].access2 = static_cast<uint8_t>(bytes[2 * i + 1] - 0x30);
  }
}

std::string TipsAccessBytes(const TipsDictionary& dictionary) {
  std::string bytes(dictionary.records.size() * 2, '0');
  for (size_t i = 0; i < dictionary.records.size(); ++i) {
    bytes[2 * i] = static_cast<char>(dictionary.records[i].access1 + 0x30);
    bytes[2 * i + 1] = static_cast<char>(dictionary.records[i].access2 + 0x30);
  }
  return bytes;
}

}  // namespace adv

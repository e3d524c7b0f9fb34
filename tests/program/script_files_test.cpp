// The engine's parsers of "Script.src" and the list files, on byte images written inline:
// header checks, "$" bodies, and every index bounded.
#include "program/data/script_files.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "program/data/word_scramble.h"

namespace {

using Bytes = std::vector<uint8_t>;

void PutWord(Bytes& bytes, uint32_t word) {
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(word >> (8 * i)));
}

// A list file: 16-byte header (marker, 11 unread bytes, count) and a body.
Bytes ListFile(const Bytes& body, uint32_t count, bool scrambled) {
  Bytes bytes(12, 0);
  bytes[0] = scrambled ? '$' : 'x';
  PutWord(bytes, count);
  bytes.insert(bytes.end(), body.begin(), body.end());
  if (scrambled) adv::DataScramble(bytes.data() + 16, bytes.size() - 16);
  return bytes;
}

Bytes Words(std::initializer_list<uint32_t> words) {
  Bytes bytes;
  for (uint32_t word : words) PutWord(bytes, word);
  return bytes;
}

Bytes Script(uint32_t stamp, uint32_t entry, std::initializer_list<uint32_t> code) {
  Bytes bytes = Words({adv::kScriptMagic, stamp, entry});
  const Bytes body = Words(code);
  bytes.insert(bytes.end(), body.begin(), body.end());
  return bytes;
}

TEST(ScriptLoad, KeepsTheImageAndHeaderWords) {
  adv::ScriptCode code;
  std::string error;
  ASSERT_TRUE(adv::ScriptLoad(code, Script(0xCAFE, 16, {0x10016, 0x10015}), &error)) << error;
  EXPECT_EQ(code.build_stamp, 0xCAFEu);
  EXPECT_EQ(code.entry, 16u);
  EXPECT_EQ(code.size(), 20u);
  uint32_t word = 0;
  ASSERT_TRUE(code.Word(16, &word));
  EXPECT_EQ(word, 0x10015u);
  EXPECT_FALSE(code.Word(17, &word)) << "three bytes left";
  EXPECT_FALSE(code.Word(20, &word));
  EXPECT_FALSE(code.Word(0xFFFFFFFE, &word));
}

TEST(ScriptLoad, AnEntryAtTheEndIsValid) {
  adv::ScriptCode code;
  EXPECT_TRUE(adv::ScriptLoad(code, Script(0, 20, {1, 2}), nullptr));
  EXPECT_EQ(code.entry, code.size());
}

TEST(ScriptLoad, RefusesDamagedImages) {
  Bytes wrong_magic = Script(0, 12, {});
  wrong_magic[3] = '1';
  const Bytes header = Script(0, 12, {});
  const struct {
    const char* what;
    Bytes bytes;
  } cases[] = {
      {"empty", {}},
      {"eleven bytes", Bytes(header.begin(), header.begin() + 11)},
      {"wrong magic", wrong_magic},
      {"entry inside the header", Script(0, 8, {1})},
      {"entry past the end", Script(0, 17, {1})},
      {"entry far past the end", Script(0, 0xFFFFFFF0, {1})},
  };
  for (const auto& c : cases) {
    adv::ScriptCode code;
    code.entry = 99;
    std::string error;
    EXPECT_FALSE(adv::ScriptLoad(code, c.bytes, &error)) << c.what;
    EXPECT_NE(error.find("Script.src"), std::string::npos) << c.what << ": " << error;
    EXPECT_EQ(code.entry, 99u) << c.what << ": a refused image changes nothing";
  }
}

using Loader = std::function<bool(adv::ListFileRecord&, Bytes, std::string*)>;

// A list file shorter than its header would give a negative body length to unscramble; each
// loader refuses it, "$" or not, and keeps what it held.
TEST(ListFiles, FilesShorterThanTheHeaderAreRefused) {
  const struct {
    const char* name;
    Loader load;
    std::function<size_t(const adv::ListFileRecord&)> size;
  } loaders[] = {
      {"File.dat", adv::LoadFileList, [](const auto& r) { return r.FileListSize(); }},
      {"Text.dat", adv::LoadTextList, [](const auto& r) { return r.TextListSize(); }},
      {"Mem.dat", adv::LoadTableList, [](const auto& r) { return r.TableListSize(); }},
      {"Point.dat", adv::LoadPointList, [](const auto& r) { return r.PointListSize(); }},
  };
  for (const auto& loader : loaders) {
    adv::ListFileRecord record;
    ASSERT_TRUE(loader.load(record, ListFile(Words({1, 2}), 2, false), nullptr));
    for (size_t size : {0, 1, 4, 15}) {
      Bytes bytes(size, '$');
      std::string error;
      EXPECT_FALSE(loader.load(record, bytes, &error)) << loader.name << " " << size;
      EXPECT_NE(error.find(loader.name), std::string::npos) << error;
      EXPECT_EQ(loader.size(record), 24u) << loader.name << " keeps the file it had";
    }
    EXPECT_TRUE(loader.load(record, ListFile({}, 0, true), nullptr)) << "a bare header is valid";
  }
}

TEST(ListFiles, ScrambledBodiesAreUnscrambledAndTheHeaderStaysAsStored) {
  for (bool scrambled : {false, true}) {
    adv::ListFileRecord record;
    // Seven cells and three trailing bytes: the odd tail stays as it was in both forms.
    Bytes body = Words({1, 0x10000003, 3, 4, 5, 6, 0x80000000});
    body.insert(body.end(), {9, 9, 9});
    ASSERT_TRUE(adv::LoadTableList(record, ListFile(body, 7, scrambled), nullptr));
    ASSERT_EQ(record.TableCellCount(), 7u);
    EXPECT_EQ(*record.TableCell(1), 0x10000003);
    EXPECT_EQ(*record.TableCell(6), INT32_MIN);
    EXPECT_EQ(record.TableCell(7), nullptr);
    EXPECT_EQ(record.TableListSize(), 47u);
    *record.TableCell(0) = 42;  // cells are writable in memory
    EXPECT_EQ(*record.TableCell(0), 42);

    ASSERT_TRUE(adv::LoadTextList(record, ListFile(Words({7, 0x00434241}), 1, scrambled), nullptr));
    EXPECT_EQ(record.TextImage()[0], scrambled ? '$' : 'x') << "the marker stays visible";
    EXPECT_EQ(record.TextHeaderCount(), 1u);
    const auto text = record.TextAt(16);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->number, 7u);
    EXPECT_EQ(text->text, "ABC");
  }
}

TEST(ListFiles, LabelsAreReadFromTheEndBackwards) {
  adv::ListFileRecord record;
  EXPECT_EQ(adv::GetLabelOffset(record, 0), 0u) << "label 0 needs no file";
  EXPECT_FALSE(adv::GetLabelOffset(record, 1)) << "nothing loaded";
  ASSERT_TRUE(adv::LoadPointList(record, ListFile(Words({300, 200, 100}), 3, true), nullptr));
  EXPECT_EQ(record.LabelCount(), 3u);
  EXPECT_EQ(adv::GetLabelOffset(record, 0), 0u);
  EXPECT_EQ(adv::GetLabelOffset(record, 1), 100u) << "label 1 is the last word";
  EXPECT_EQ(adv::GetLabelOffset(record, 2), 200u);
  EXPECT_EQ(adv::GetLabelOffset(record, 3), 300u);
  for (uint32_t beyond : {4u, 5u, 0x40000000u, 0xFFFFFFFFu}) {
    EXPECT_FALSE(adv::GetLabelOffset(record, beyond)) << beyond;
  }
}

Bytes NameField(const std::string& name) {
  Bytes field(32, 0);
  std::memcpy(field.data(), name.data(), name.size());
  return field;
}

TEST(ListFiles, FileNamesAreFoundByBinarySearchAndIndexesAreBounded) {
  // Sorted as unsigned bytes: 0x82 (a Shift-JIS lead byte) after every ASCII name.
  const std::vector<std::string> names = {"BG01.PNG", "BG02.PNG", "SE\\A.WAV", "\x82\xA0.PNG"};
  Bytes body;
  for (const std::string& name : names) {
    const Bytes field = NameField(name);
    body.insert(body.end(), field.begin(), field.end());
  }
  body.insert(body.end(), {1, 2, 3});  // a partial record is not a name
  adv::ListFileRecord record;
  EXPECT_EQ(adv::FileListFind(record, "BG01.PNG"), -1) << "no names loaded";
  ASSERT_TRUE(adv::LoadFileList(record, ListFile(body, 4, true), nullptr));
  ASSERT_EQ(record.FileCount(), 4u);
  for (size_t n = 0; n < names.size(); ++n) {
    EXPECT_EQ(adv::FileListFind(record, names[n]), static_cast<int32_t>(n)) << names[n];
    EXPECT_EQ(adv::FileListFind(record, NameField(names[n]).data()), static_cast<int32_t>(n));
    EXPECT_EQ(std::memcmp(record.FileName(n), NameField(names[n]).data(), 32), 0);
  }
  for (const char* absent : {"A.PNG", "BG01.PN", "BG015.PNG", "ZZZ", "\xFF"}) {
    EXPECT_EQ(adv::FileListFind(record, absent), -1) << absent;
  }
  EXPECT_EQ(adv::FileListFind(record, std::string(32, 'A')), -1) << "too long for a field";
  EXPECT_EQ(record.FileName(4), nullptr);
  EXPECT_EQ(record.FileName(0xFFFFFFFF), nullptr);
}

// Every name is used as a C string; a field of 32 bytes without a zero would be read past its
// end. Such a file is refused whole, scrambled or not, and the record keeps its names.
TEST(ListFiles, AFileNameWithoutItsZeroIsRefused) {
  const Bytes good = NameField(std::string(31, 'A'));
  const Bytes full(32, 'B');
  const struct {
    const char* what;
    std::vector<Bytes> fields;
    bool accepted;
  } cases[] = {
      {"31 bytes and the zero", {good}, true},
      {"a partial record after whole ones is no name", {good, Bytes(31, 'C')}, true},
      {"the only name", {full}, false},
      {"the last name", {good, good, full}, false},
      {"the first name", {full, good}, false},
      {"a zero only in the next field", {full, Bytes(32, 0)}, false},
  };
  for (const auto& c : cases) {
    for (bool scrambled : {false, true}) {
      SCOPED_TRACE(std::string(c.what) + (scrambled ? ", scrambled" : ""));
      Bytes body;
      for (const Bytes& field : c.fields) body.insert(body.end(), field.begin(), field.end());
      adv::ListFileRecord record;
      ASSERT_TRUE(adv::LoadFileList(record, ListFile(NameField("KEPT.PNG"), 1, false), nullptr));
      std::string error;
      EXPECT_EQ(adv::LoadFileList(record, ListFile(body, 1, scrambled), &error), c.accepted);
      if (c.accepted) continue;
      EXPECT_NE(error.find("File.dat"), std::string::npos) << error;
      EXPECT_EQ(adv::FileListFind(record, "KEPT.PNG"), 0) << "the names it had stay";
    }
  }
}

TEST(ListFiles, TextOffsetsAreBounded) {
  adv::ListFileRecord record;
  EXPECT_FALSE(record.TextAt(16)) << "nothing loaded";
  Bytes body = Words({0});
  body.push_back('A');
  body.push_back(0);
  PutWord(body, 1);
  body.insert(body.end(), {'B', 'C'});  // unterminated: cut at the end of the image
  ASSERT_TRUE(adv::LoadTextList(record, ListFile(body, 2, false), nullptr));
  const size_t size = record.TextListSize();
  EXPECT_EQ(record.TextAt(16)->text, "A");
  EXPECT_EQ(record.TextAt(22)->number, 1u);
  EXPECT_EQ(record.TextAt(22)->text, "BC");
  EXPECT_EQ(record.TextAt(static_cast<uint32_t>(size) - 4)->text, "") << "a number, no text";
  for (uint64_t offset : {uint64_t{0}, uint64_t{15}, size - 3, uint64_t{size}, size + 100,
                          uint64_t{0x0FFFFFFF}, uint64_t{0xFFFFFFFF}}) {
    EXPECT_FALSE(record.TextAt(static_cast<uint32_t>(offset))) << offset;
  }
}

}  // namespace

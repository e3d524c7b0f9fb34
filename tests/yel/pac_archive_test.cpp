// ".pac" archives made by the builder in tools/ and read back by the file layer, and archives
// that are damaged, truncated or random.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <map>
#include <random>

#include "YEL/core/system.h"
#include "YEL/files/pac_format.h"
#include "tests/yel/file_test_support.h"

namespace {

namespace fs = std::filesystem;
using filetest::ReadGameFile;
using filetest::RunPacBuilder;
using filetest::WriteFile;

std::string Bytes(std::mt19937& rng, size_t size) {
  std::string out(size, '\0');
  for (char& c : out) c = static_cast<char>(rng() & 0xFF);
  return out;
}

std::string ReadDiskFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A base folder with an archive "P.pac" as its only search folder, and an error log to read.
class ArchiveTest : public filetest::BaseFolderTest {
 protected:
  void SetUp() override {
    BaseFolderTest::SetUp();
    archive_ = base_ / "P.pac";
    system_.param.debug = 1;
    system_.error_log = std::tmpfile();
    yel::SetSystem(&system_);
    ASSERT_EQ(YelSystemPathSet("P"), 1);
  }
  void TearDown() override {
    yel::SetSystem(nullptr);
    std::fclose(system_.error_log);
    BaseFolderTest::TearDown();
  }

  // Packs files (disk name -> content) into P.pac; the archive's bytes.
  std::string Pack(const std::map<std::string, std::string>& files) {
    for (const auto& [name, content] : files) WriteFile(base_ / "src" / name, content);
    EXPECT_EQ(RunPacBuilder({(base_ / "src").string(), archive_.string()}), 0);
    return ReadDiskFile(archive_);
  }
  void Replace(const std::string& bytes) {
    std::ofstream(archive_, std::ios::binary | std::ios::trunc) << bytes;
  }
  std::string Log() { return filetest::ReadLog(system_.error_log); }

  yel::YelSystem system_;
  fs::path archive_;
};

TEST_F(ArchiveTest, BuiltArchivesReadBackByteExact) {
  std::mt19937 rng(7);
  // Bucket 'A' holds seven names: first, middle and last are all looked up below.
  const std::map<std::string, std::string> files = {
      {"a.bin", Bytes(rng, 1)},
      {"a0.bin", Bytes(rng, 300)},
      {"aa.bin", Bytes(rng, 2)},
      {"Ab.bin", Bytes(rng, 4096)},
      {"abc.bin", ""},
      {"az.bin", Bytes(rng, 17)},
      {"azzz.bin", Bytes(rng, 999)},
      {"b.bin", Bytes(rng, 5)},
      {"_x.dat", Bytes(rng, 64)},
      {"0.dat", std::string(10, '\0')},
      {"long_name_abcdefghijklmnopqrstuvwxyz.bin", "long"}};
  const std::string archive = Pack(files);

  size_t data_bytes = 0;
  for (const auto& [name, content] : files) {
    data_bytes += content.size();
    EXPECT_EQ(ReadGameFile(yel::pac::UpperCaseName(name).c_str()), content) << name;
  }
  EXPECT_EQ(archive.size(), yel::pac::kEntryTableOffset + 40 * files.size() + data_bytes);

  // A name is compared over 32 bytes only.
  EXPECT_EQ(ReadGameFile("LONG_NAME_ABCDEFGHIJKLMNOPQRSTUV"), "long");
  EXPECT_EQ(ReadGameFile("LONG_NAME_ABCDEFGHIJKLMNOPQRSTUVxx"), "long");

  const char* missing[] = {"@.BIN",    "A.BI",         "A.BINX", "AAA.BIN",  "AZZZZ.BIN",
                           "ZZZZ.BIN", "\x82\xa0.BIN", "B",      "LONG_NAME"};
  for (const char* name : missing) EXPECT_EQ(ReadGameFile(name), std::nullopt) << name;
  EXPECT_EQ(Log(), "") << "missing names are not faults";
}

TEST_F(ArchiveTest, AnEmptyFolderGivesAnArchiveWithoutEntries) {
  fs::create_directories(base_ / "src");
  EXPECT_EQ(Pack({}).size(), yel::pac::kEntryTableOffset);
  EXPECT_EQ(ReadGameFile("A.BIN"), std::nullopt);
}

TEST_F(ArchiveTest, DamagedArchivesAreRefusedWithALogLine) {
  const std::string good = Pack({{"a.bin", "first"}, {"ab.bin", "second"}, {"ac.bin", "third"}});
  const uint64_t bucket_a = yel::pac::BucketPosition('A');
  const uint64_t entry_ab = yel::pac::EntryPosition(1);
  auto store = [](std::string& bytes, uint64_t at, uint32_t value) {
    yel::pac::StoreLe32(reinterpret_cast<uint8_t*>(&bytes[at]), value);
  };
  struct Damage {
    const char* what;
    const char* name;
    std::function<void(std::string&)> apply;
  };
  const Damage damages[] = {
      {"shorter than the bucket table", "AB.BIN", [](std::string& b) { b.resize(2000); }},
      {"bucket count beyond the file", "AB.BIN",
       [&](std::string& b) { store(b, bucket_a + 4, 0xFFFFFFFF); }},
      {"bucket start beyond the file", "AB.BIN",
       [&](std::string& b) { store(b, bucket_a, 0xFFFFFFF0); }},
      {"entry offset that wraps", "AB.BIN",
       [&](std::string& b) { store(b, entry_ab + 36, 0xFFFFFFF0); }},
      {"entry size beyond the file", "AB.BIN",
       [&](std::string& b) { store(b, entry_ab + 32, static_cast<uint32_t>(b.size())); }},
      {"data cut off", "AC.BIN", [](std::string& b) { b.pop_back(); }},
  };
  for (const Damage& damage : damages) {
    std::string bytes = good;
    damage.apply(bytes);
    Replace(bytes);
    const size_t log_before = Log().size();
    EXPECT_EQ(YelFileCreate(damage.name, nullptr), nullptr) << damage.what;
    const std::string line = Log().substr(log_before);
    EXPECT_NE(line.find("damaged archive"), std::string::npos) << damage.what << ": " << line;
  }
  Replace(good);
  EXPECT_EQ(ReadGameFile("AC.BIN"), "third");
}

// Random, truncated and corrupted archives: a lookup either refuses the archive or returns an
// entry that lies inside the file and reads back as exactly the bytes there.
TEST_F(ArchiveTest, RandomAndTruncatedArchivesNeverFault) {
  std::mt19937 rng(20261210);
  std::map<std::string, std::string> files;
  const char* names[] = {"a.bin", "ab.bin", "abc.bin", "b.txt", "c.ogg", "z.png",
                         "0.dat", "_.dat",  "m1",      "m2",    "m3",    "m4"};
  for (const char* name : names) files[name] = Bytes(rng, rng() % 200);
  const std::string good = Pack(files);
  const size_t index_end = yel::pac::EntryPosition(files.size());

  for (int round = 0; round < 600; ++round) {
    std::string bytes;
    switch (round % 3) {
      case 0:
        bytes = good.substr(0, rng() % (good.size() + 1));
        break;
      case 1:
        bytes = good;
        for (int n = 1 + rng() % 6; n > 0; --n) {
          bytes[yel::pac::kHeaderSize + rng() % (index_end - yel::pac::kHeaderSize)] =
              static_cast<char>(rng());
        }
        break;
      default:
        bytes = Bytes(rng, rng() % 4096);
        break;
    }
    Replace(bytes);
    for (const auto& [name, content] : files) {
      YelFileEntry entry{};
      YelFile* file = YelFileCreate(yel::pac::UpperCaseName(name).c_str(), &entry);
      if (!file) continue;
      ASSERT_LE(entry.end, bytes.size()) << "round " << round;
      ASSERT_EQ(entry.end, entry.start + entry.size);
      std::string data(entry.size, '\0');
      uint32_t got = 0;
      ASSERT_EQ(YelFileRead(file, data.data(), entry.size, &got), 1);
      EXPECT_EQ(got, entry.size);
      EXPECT_EQ(data, bytes.substr(entry.start, entry.size));
      YelFileClose(file);
    }
  }
}

TEST(PacBuilder, RefusesWhatTheEngineCouldNeverFind) {
  const fs::path dir = fs::temp_directory_path() / ("pacbuild_" + std::to_string(getpid()));
  struct Case {
    const char* what;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {"a name that starts with a double-byte character", {"\xe3\x81\x82.txt"}},
      {"two names that differ only in case", {"abc.txt", "ABC.TXT"}},
      {"two long names with the same first 32 bytes",
       {"0123456789012345678901234567890123_a", "0123456789012345678901234567890123_b"}},
  };
  for (const Case& c : cases) {
    fs::remove_all(dir);
    for (const std::string& name : c.names) WriteFile(dir / "src" / name, "x");
    EXPECT_EQ(RunPacBuilder({(dir / "src").string(), (dir / "out.pac").string()}), 1) << c.what;
    EXPECT_FALSE(fs::exists(dir / "out.pac")) << c.what;
  }
  EXPECT_EQ(RunPacBuilder({(dir / "none").string()}), 1);
  EXPECT_EQ(RunPacBuilder({}), 2);
  fs::remove_all(dir);
}

}  // namespace

// Path splitting and tag text over CP932 bytes, where a second byte may look like "\" or ">".
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "YEL/files/file_names.h"
#include "YEL/files/pac_format.h"

namespace {

// A copy of `text` in a heap block of exactly its length plus the terminator, so that a read
// past the terminator is caught by the address sanitizer.
std::unique_ptr<char[]> Exact(const char* text) {
  const size_t size = std::strlen(text) + 1;
  auto copy = std::make_unique<char[]>(size);
  std::memcpy(copy.get(), text, size);
  return copy;
}

TEST(FileNames, PartsStepOverDoubleByteCharacters) {
  struct Case {
    const char* path;
    const char* name;
    const char* folder;
  };
  // "\x95\x5c" is a kanji whose second byte is a backslash.
  const Case cases[] = {
      {"bg\\abc.png", "abc.png", "bg"},
      {"data/sys\\x.ogg", "x.ogg", "data/sys"},
      {"\x95\x5c.png", "\x95\x5c.png", ""},
      {"dir\\\x95\x5c\\\x95\x5c.png", "\x95\x5c.png", "dir\\\x95\x5c"},
      {"/abc.png", "abc.png", "/"},
      {"abc\x81", "abc\x81", ""},
      {"folder\\", "", "folder"},
  };
  for (const Case& c : cases) {
    auto path = Exact(c.path);
    EXPECT_EQ(yel::YelFileNamePart(path.get()), c.name) << c.path;
    EXPECT_EQ(yel::YelFolderPart(path.get()), c.folder) << c.path;
  }
  EXPECT_EQ(yel::YelFileNamePart(std::string(259, 'a')).size(), 259u);
  EXPECT_EQ(yel::YelFileNamePart("x\\" + std::string(260, 'a')), "");
}

TEST(FileNames, UpperCasingLeavesSecondBytesAlone) {
  EXPECT_EQ(yel::pac::UpperCaseName("abc.png"), "ABC.PNG");
  // 0x82 0x61 is a full-width letter; its second byte is the ASCII code of "a".
  EXPECT_EQ(yel::pac::UpperCaseName("a\x82\x61z"), "A\x82\x61Z");
  EXPECT_EQ(yel::pac::UpperCaseName("ab\x81"), "AB\x81");
}

TEST(FileNames, ExtensionTestTakesLiteralsAndIgnoresCase) {
  struct Case {
    const char* path;
    const char* extension;
    int expected;
  };
  // Every argument is a literal: writing to one would fault.
  const Case cases[] = {
      {"bgm01.OGG", "ogg", 1}, {"bgm01.ogg", "OGG", 1}, {"a.b.wav", "wav", 1},
      {"a.wav.ogg", "wav", 0}, {"movie", "mpg", 0},     {".ogg", "ogg", 0},
      {"x.oggx", "ogg", 0},    {"x.og", "ogg", 0},      {"", "ogg", 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(yel::YelPathHasExtension(c.path, c.extension), c.expected)
        << c.path << " " << c.extension;
  }
  EXPECT_EQ(yel::YelPathHasExtension(nullptr, "ogg"), 0);
}

TEST(TagText, CopiesUpToTheTagEndWithinTheDestination) {
  struct Case {
    const char* text;
    size_t size;
    const char* copied;
    int result;
  };
  const Case cases[] = {
      {"abc>def", 16, "abc", 4},
      {"abc", 16, "abc", 4},
      {"abcdef>", 4, "abc", 7},        // cut to the room, the whole tag still skipped
      {"a\x82\xa0z>", 3, "a", 5},      // a double-byte character is not split
      {"a\x82>b>", 16, "a\x82>b", 5},  // a second byte that looks like ">"
      {"ab\x81", 16, "ab\x81", 4},     // a lead byte at the end stands alone
      {">", 16, "", 1},
  };
  for (const Case& c : cases) {
    auto text = Exact(c.text);
    char destination[16];
    std::memset(destination, 'x', sizeof destination);
    EXPECT_EQ(yel::YelCopyTagText(destination, c.size, text.get()), c.result) << c.text;
    EXPECT_STREQ(destination, c.copied) << c.text;
  }
  EXPECT_EQ(yel::YelCopyTagText(nullptr, 0, "abc>"), 4);
}

}  // namespace

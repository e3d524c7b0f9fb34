// The script assembler: sources assembled in-process and loaded back with the engine's own
// parsers, so every check is on what the engine will see.
#include "tools/assembler/assembler.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "os/encoding.h"
#include "program/data/script_files.h"

namespace {

struct Loaded {
  adv::ScriptCode code;
  adv::ListFileRecord lists;
  std::vector<uint32_t> words;  // the code after the 12-byte header
};

Loaded Load(const advasm::ScriptFiles& files) {
  Loaded loaded;
  std::string error;
  EXPECT_TRUE(adv::ScriptLoad(loaded.code, files.script, &error)) << error;
  EXPECT_TRUE(adv::LoadFileList(loaded.lists, files.file_list, &error)) << error;
  EXPECT_TRUE(adv::LoadTextList(loaded.lists, files.text_list, &error)) << error;
  EXPECT_TRUE(adv::LoadTableList(loaded.lists, files.table_list, &error)) << error;
  EXPECT_TRUE(adv::LoadPointList(loaded.lists, files.point_list, &error)) << error;
  for (uint32_t offset = adv::kCodeOrigin, word = 0; loaded.code.Word(offset, &word); offset += 4) {
    loaded.words.push_back(word);
  }
  return loaded;
}

advasm::AssembleResult AssembleOk(const std::string& source, bool scramble = false) {
  advasm::AssembleOptions options;
  options.scramble = scramble;
  advasm::AssembleResult result = advasm::Assemble(source, "test.asm", options);
  EXPECT_TRUE(result.ok) << source << "\n" << result.ErrorText();
  return result;
}

std::vector<uint32_t> CodeOf(const std::string& source) {
  return Load(AssembleOk(source).files).words;
}

constexpr uint32_t kScratch = 0x3000003F;

TEST(Assembler, EncodesEveryInstructionAndOperandKind) {
  const struct {
    const char* source;
    std::vector<uint32_t> words;
  } cases[] = {
      {"mov v1, 5", {0x10001, 0x40000001, 5}},
      {"OpMove v1, 5", {0x10001, 0x40000001, 5}},
      {"add user[v2], sys[v3]", {0x10002, 0x10000002, 0x20000003}},
      {"sub stack[4], v254", {0x10003, 0x30000004, 0x400000FE}},
      {"mul temp[v5], temp[v6 + base + 3]", {0x10004, 0x50000005, 0x50030006}},
      {"div mem[v7 + 9], memx[v8, 4095]", {0x10005, 0x60090007, 0x7FFF0008}},
      {"and frame[2], base", {0x10006, 0x80000002, 0x90000000}},
      {"or v0, -1", {0x10007, 0x40000000, 0xFFFFFFFF}},
      {"xor v0, 0x0FFF_FFFF", {0x10008, 0x40000000, 0x0FFFFFFF}},
      {"jmp v3", {0x10009, 0x40000003}},
      {"jz 7, v1", {0x1000A, 7, 0x40000001}},
      {"gosub 2", {0x1000B, 2}},
      {"eq v1, 2", {0x1000C, 0x40000001, 2}},
      {"ne v1, 2", {0x1000D, 0x40000001, 2}},
      {"le v1, 2", {0x1000E, 0x40000001, 2}},
      {"ge v1, 2", {0x1000F, 0x40000001, 2}},
      {"lt 5, 7", {0x10010, 5, 7}},
      {"gt v1, 2", {0x10011, 0x40000001, 2}},
      {"lor v1, 2", {0x10012, 0x40000001, 2}},
      {"land v1, 2", {0x10013, 0x40000001, 2}},
      {"not v9", {0x10014, 9}},
      {"end", {0x10015}},
      {"nop", {0x10016}},
      {"ret", {0x10018}},
      {"reset", {0x10019}},
      {"mod v1, -2", {0x1001A, 0x40000001, 0xFFFFFFFE}},
      {"shl v1, 0b101", {0x1001B, 0x40000001, 5}},
      {"shr v1, (1 << 4 | 3) - 2 * 8", {0x1001C, 0x40000001, 3}},
      {"neg v10", {0x1001D, 10}},
      {"pop v1", {0x1001E, 0x40000001}},
      {"push 3", {0x1001F, 3}},
      {"enter 2", {0x10020, 2}},
      {"leave v4", {0x10021, 0x40000004}},
      {".word 0xDEADBEEF, -2", {0xDEADBEEF, 0xFFFFFFFE}},
      // Commands: arguments pushed last first, then {call, code, result variable}.
      {"cmd 0x000005", {0x10017, 5, 0}},
      {"cmd random(1, 100) -> v3", {0x1001F, 100, 0x1001F, 1, 0x10017, 0x140000, 3}},
      {"cmd text(1, v2, 3, 4)",
       {0x1001F, 4, 0x1001F, 3, 0x1001F, 0x40000002, 0x1001F, 1, 0x10017, 0x020002, 0}},
      {".const MINE = 0x12_0099\n cmd MINE()", {0x10017, 0x120099, 0}},
      {"cmd end_select", {0x10017, 0x060003, 0}},
      // Values no immediate holds, built in the scratch slot without a zero variable.
      {"mov v1, s15",
       {0x10001, kScratch, 0x01000000, 0x1001B, kScratch, 4, 0x10007, kScratch, 15, 0x10001,
        0x40000001, kScratch}},
      {"push -2147483648",
       {0x10001, kScratch, 0x08000000, 0x1001B, kScratch, 4, 0x1001F, kScratch}},
      // With one, from a pooled "Mem.dat" cell read through it.
      {".zero v200\n push s1", {0x1001F, 0x600000C8}},
      {".zero v200\n mov v1, mem[7]", {0x10001, 0x40000001, 0x600700C8}},
      {".zero v200\n mov v1, memx[7]", {0x10001, 0x40000001, 0x700700C8}},
  };
  for (const auto& c : cases) EXPECT_EQ(CodeOf(c.source), c.words) << c.source;
}

// Runs the instructions that build a large value (mov, shl, or on the scratch slot) and returns
// the value the final instruction reads from it.
uint32_t RunScratchSequence(const std::vector<uint32_t>& words) {
  uint32_t scratch = 0;
  size_t i = 0;
  for (; i + 2 < words.size() && words[i + 1] == kScratch; i += 3) {
    if (words[i] == 0x10001) scratch = words[i + 2];
    if (words[i] == 0x1001B) scratch <<= words[i + 2];
    if (words[i] == 0x10007) scratch |= words[i + 2];
  }
  EXPECT_EQ(words.at(i + 1), kScratch);
  return scratch;
}

TEST(Assembler, ValuesOutsideTheImmediateRangeArriveWhole) {
  for (uint32_t value : {0x10000000u, 0x1000000Fu, 0x80000000u, 0x80FFFFFFu, 0x9FFFFFFFu}) {
    const std::string push = "push " + std::to_string(value);
    const std::vector<uint32_t> built = CodeOf(push);
    EXPECT_EQ(RunScratchSequence(built), value) << push;
    EXPECT_EQ(built[built.size() - 2], 0x1001Fu);

    const Loaded pooled = Load(AssembleOk(".zero v9\n" + push).files);
    ASSERT_EQ(pooled.words.size(), 2u);
    const uint32_t cell = (pooled.words[1] >> 16) & 0xFFF;
    EXPECT_EQ(pooled.words[1] & 0xF000FFFF, 0x60000009u);
    ASSERT_NE(pooled.lists.TableCell(cell), nullptr);
    EXPECT_EQ(static_cast<uint32_t>(*pooled.lists.TableCell(cell)), value);
  }
  for (uint32_t value : {0x0FFFFFFFu, 0xA0000000u, 0xFFFFFFFFu}) {
    EXPECT_EQ(CodeOf("push " + std::to_string(value)), (std::vector<uint32_t>{0x1001F, value}));
  }
}

TEST(Assembler, PooledValuesShareCellsAfterTheDeclaredOnes) {
  const Loaded loaded =
      Load(AssembleOk(".zero v9\n.mem T = 1, \"x\", @here\n.mem U[2]\npush s1\npush 0x10000001\n"
                      "here: push s2\nmov v1, mem[v2 + U + 1]")
               .files);
  const std::vector<uint32_t> expected = {0x1001F,    0x00050009, 0x1001F,    0x00050009, 0x1001F,
                                          0x00060009, 0x10001,    0x40000001, 0x60040002};
  std::vector<uint32_t> words = loaded.words;
  for (size_t i : {1, 3, 5}) words[i] &= 0x0FFFFFFF;  // compare the pool cell and variable
  EXPECT_EQ(words, expected);
  ASSERT_EQ(loaded.lists.TableCellCount(), 7u);
  const int32_t cells[] = {1, 16, 1, 0, 0, 0x10000001, 0x10000002};
  for (uint32_t i = 0; i < 7; ++i) EXPECT_EQ(*loaded.lists.TableCell(i), cells[i]) << i;
}

constexpr char kRoundTrip[] = R"(
; Labels, texts and file names, loaded back through the engine.
.const GREETING = "共有テキスト"   // one text, however often it is used
start:
  cmd text(NONE, "名前", "こんにちは\n二行目", 0)
  push f"bg/b.png"
  push f"A.PNG"
  push f"bg/B.PNG"
  jmp loop
loop: push GREETING
  push GREETING
  jz start, v1
  gosub @sub
sub:  ret
.file "zz.ogg", f"\x82\xa0.wav"
tail:
)";

TEST(Assembler, RoundTripThroughTheEngineParsers) {
  const advasm::AssembleResult result = AssembleOk(kRoundTrip);
  const Loaded loaded = Load(result.files);

  // Labels: numbered by definition, each pointing at its statement's first word.
  ASSERT_EQ(loaded.lists.LabelCount(), 4u);
  const std::pair<uint32_t, uint32_t> label_first_words[] = {
      {1, 0x1001F}, {2, 0x1001F}, {3, 0x10018}};
  for (const auto& [label, first_word] : label_first_words) {
    const auto offset = adv::GetLabelOffset(loaded.lists, label);
    ASSERT_TRUE(offset) << label;
    EXPECT_EQ(loaded.words.at(*offset / 4), first_word) << label;
    EXPECT_EQ(result.script.labels[label - 1].offset, *offset);
  }
  EXPECT_EQ(adv::GetLabelOffset(loaded.lists, 4), loaded.words.size() * 4) << "tail: code end";
  EXPECT_EQ(result.script.labels[3].name, "tail");
  EXPECT_EQ(adv::GetLabelOffset(loaded.lists, 1), 0u);

  // Texts: in order of appearance, numbered from 0, stored as Shift-JIS.
  const char* texts[] = {"共有テキスト", "名前", "こんにちは\n二行目"};
  ASSERT_EQ(result.script.text_offsets.size(), 3u);
  EXPECT_EQ(loaded.lists.TextHeaderCount(), 3u);
  for (uint32_t n = 0; n < 3; ++n) {
    const auto entry = loaded.lists.TextAt(result.script.text_offsets[n]);
    ASSERT_TRUE(entry) << n;
    EXPECT_EQ(entry->number, n);
    EXPECT_EQ(entry->text, os::Utf8ToCp932(texts[n])) << n;
  }
  // text(NONE, name, text, 0): pushed 0, text, name, NONE.
  EXPECT_EQ(loaded.words[3], result.script.text_offsets[2]);
  EXPECT_EQ(loaded.words[5], result.script.text_offsets[1]);
  EXPECT_EQ(loaded.words[7], 0x0FFFFFFFu);
  EXPECT_EQ(loaded.words[20], result.script.text_offsets[0]);
  EXPECT_EQ(loaded.words[22], result.script.text_offsets[0]);

  // File names: upper-cased, each once, sorted as unsigned bytes; operands carry the numbers.
  const std::vector<std::string> files = {"A.PNG", "BG/B.PNG", "ZZ.OGG", "\x82\xA0.WAV"};
  ASSERT_EQ(loaded.lists.FileCount(), files.size());
  EXPECT_EQ(loaded.lists.FileHeaderCount(), files.size());
  for (size_t n = 0; n < files.size(); ++n) {
    EXPECT_EQ(adv::FileListFind(loaded.lists, files[n]), static_cast<int32_t>(n)) << files[n];
  }
  EXPECT_EQ(loaded.words[12], 1u) << "bg/b.png";
  EXPECT_EQ(loaded.words[14], 0u) << "A.PNG";
  EXPECT_EQ(loaded.words[16], 1u) << "bg/B.PNG is the same file";
}

TEST(Assembler, PlainAndScrambledListFilesLoadTheSame) {
  const advasm::AssembleResult plain = AssembleOk(kRoundTrip, false);
  const advasm::AssembleResult scrambled =
      AssembleOk(std::string(kRoundTrip) + ".zero v5\npush s3\n", true);
  const advasm::AssembleResult plain_too =
      AssembleOk(std::string(kRoundTrip) + ".zero v5\npush s3\n", false);
  const std::pair<const std::vector<uint8_t>*, const std::vector<uint8_t>*> pairs[] = {
      {&plain_too.files.file_list, &scrambled.files.file_list},
      {&plain_too.files.text_list, &scrambled.files.text_list},
      {&plain_too.files.table_list, &scrambled.files.table_list},
      {&plain_too.files.point_list, &scrambled.files.point_list},
  };
  for (const auto& [p, s] : pairs) {
    ASSERT_EQ(p->size(), s->size());
    EXPECT_EQ(s->at(0), '$');
    EXPECT_NE(p->at(0), '$');
    EXPECT_TRUE(std::equal(p->begin() + 1, p->begin() + 16, s->begin() + 1)) << "plain header";
    EXPECT_FALSE(std::equal(p->begin() + 16, p->end(), s->begin() + 16)) << "scrambled body";
  }
  EXPECT_EQ(plain_too.files.script, scrambled.files.script) << "Script.src is never scrambled";

  const Loaded a = Load(plain_too.files);
  const Loaded b = Load(scrambled.files);
  ASSERT_EQ(a.lists.FileCount(), b.lists.FileCount());
  for (uint32_t n = 0; n < a.lists.FileCount(); ++n) {
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(a.lists.FileName(n)), 32),
              std::string(reinterpret_cast<const char*>(b.lists.FileName(n)), 32));
  }
  for (uint32_t offset : plain_too.script.text_offsets) {
    EXPECT_EQ(a.lists.TextAt(offset)->text, b.lists.TextAt(offset)->text);
    EXPECT_EQ(a.lists.TextAt(offset)->number, b.lists.TextAt(offset)->number);
  }
  ASSERT_EQ(b.lists.TableCellCount(), 1u);
  EXPECT_EQ(*b.lists.TableCell(0), 0x10000003);
  for (uint32_t label = 0; label <= a.lists.LabelCount() + 1; ++label) {
    EXPECT_EQ(adv::GetLabelOffset(a.lists, label), adv::GetLabelOffset(b.lists, label));
  }
  EXPECT_EQ(Load(plain.files).words, std::vector<uint32_t>(a.words.begin(), a.words.end() - 2));
}

TEST(Assembler, EntryAndBuildStamp) {
  const advasm::AssembleResult result = AssembleOk("nop\nmain: end\n.entry main\n.stamp 0x1234");
  const Loaded loaded = Load(result.files);
  EXPECT_EQ(loaded.code.entry, 16u);
  EXPECT_EQ(loaded.code.build_stamp, 0x1234u);
  EXPECT_EQ(Load(AssembleOk("end").files).code.entry, 12u) << "default: the first word";

  advasm::AssembleOptions options;
  options.stamp = 77;
  EXPECT_EQ(Load(advasm::Assemble("end\n.stamp 5", "t", options).files).code.build_stamp, 77u);
  // Without a stamp the output's hash serves: equal scripts, equal stamps; any change, a new one.
  const uint32_t first = Load(AssembleOk("push \"a\"").files).code.build_stamp;
  EXPECT_EQ(Load(AssembleOk("push \"a\"  ; same code").files).code.build_stamp, first);
  EXPECT_NE(Load(AssembleOk("push \"b\"").files).code.build_stamp, first);
}

TEST(Assembler, IncludesResolveAgainstTheIncludingFile) {
  const std::map<std::string, std::string> sources = {
      {"lib/defs.asm", ".const TWO = 2\n.include \"more.asm\"\n"},
      {"lib/more.asm", "helper: ret\n"},
      {"lib/bad.asm", "\n  mvo v1, 2\n"},
      {"lib/loop.asm", ".include \"loop.asm\"\n"},
  };
  advasm::AssembleOptions options;
  options.read_source = [&](const std::string& path, std::string* text, std::string*) {
    const auto it = sources.find(path);
    if (it == sources.end()) return false;
    *text = it->second;
    return true;
  };
  const advasm::AssembleResult ok =
      advasm::Assemble(".include \"lib/defs.asm\"\ngosub helper\npush TWO", "main.asm", options);
  ASSERT_TRUE(ok.ok) << ok.ErrorText();
  EXPECT_EQ(Load(ok.files).words, (std::vector<uint32_t>{0x10018, 0x1000B, 1, 0x1001F, 2}));

  const struct {
    const char* source;
    const char* error;
  } failures[] = {
      {"nop\n.include \"lib/bad.asm\"", "lib/bad.asm:2: unknown instruction 'mvo'"},
      {".include \"lib/loop.asm\"", "lib/loop.asm:1: 'lib/loop.asm' includes itself"},
      {"\n.include \"lib/none.asm\"", "main.asm:2: cannot read 'lib/none.asm'"},
  };
  for (const auto& f : failures) {
    const advasm::AssembleResult result = advasm::Assemble(f.source, "main.asm", options);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.ErrorText().find(f.error), std::string::npos) << f.source << " gave:\n"
                                                                   << result.ErrorText();
  }
}

// Every refusal names the file and line of the fault.
TEST(Assembler, BadInputIsRefusedWithTheLine) {
  const struct {
    const char* source;
    const char* error;
  } cases[] = {
      {"nop\n  mvo v1, 2", "test.asm:2: unknown instruction 'mvo'"},
      {"mov v1", "test.asm:1: expected ','"},
      {"mov v1, 2, 3", "test.asm:1: 'mov' takes 2 operand(s)"},
      {"push v255", "test.asm:1: variable 'v255' is out of range"},
      {"\n\njmp nowhere", "test.asm:3: undefined name 'nowhere'"},
      {"a: nop\na: nop", "test.asm:2: 'a' is already defined at test.asm:1"},
      {"v3: nop", "test.asm:1: 'v3' is a register name"},
      {"push \"open", "test.asm:1: unterminated text"},
      {"push \"bad \\q\"", "test.asm:1: unknown escape"},
      {"push \"\\x00\"", "test.asm:1: a text cannot hold a zero byte"},
      {"push \"😀\"", "test.asm:1: the text \"😀\" has characters that Shift-JIS cannot hold"},
      {"push f\"0123456789012345678901234567890123.png\"", "test.asm:1: the file name"},
      {"push f\"\"", "test.asm:1: a file name cannot be empty"},
      {"push f\"😀.png\"",
       "test.asm:1: the file name \"😀.png\" has characters that Shift-JIS cannot hold"},
      {"push stack[64]", "test.asm:1: stack slot 64 is outside 0 to 63"},
      {"push frame[512]", "test.asm:1: frame offset 512 is outside 0 to 511"},
      {"push temp[v1 + base + 0]", "test.asm:1: temp element 0 is outside 1 to 4095"},
      {"push temp[v1 + 2]", "test.asm:1: an element of temp[...] counts from the frame base"},
      {"push mem[v1 + 4096]", "test.asm:1: cell 4096 is outside 0 to 4095"},
      {"push mem[3]", "test.asm:1: a cell addressed by number alone needs a zero variable"},
      {".zero v7\nmov v7, 1", "test.asm:2: v7 is the .zero variable"},
      {".zero v7\ncmd random(1, 5) -> v7", "test.asm:2: v7 is the .zero variable"},
      {".zero v7\nnot v7", "test.asm:2: v7 is the .zero variable"},
      {".zero v0", "test.asm:1: v0 cannot be the zero variable"},
      {"mov 0x10000000, v1", "test.asm:1: the value 0x10000000 cannot be written to"},
      {"mov stack[63], s1", "test.asm:1: stack[63] is the scratch cell"},
      {"push 0x1_0000_0000", "test.asm:1: value 4294967296 does not fit in 32 bits"},
      {"push -2147483649", "test.asm:1: value -2147483649 does not fit in 32 bits"},
      {"push s16", "test.asm:1: string variable 's16' is out of range"},
      {"push v1 + 1", "test.asm:1: unexpected '+' after the statement"},
      {"push 1 + v1", "test.asm:1: 'v1' is a register, not a value"},
      {"push 1 / 0", "test.asm:1: division by zero"},
      {".const A = B\n.const B = A\npush A", "is defined in terms of itself"},
      {".const C = 1\npush @C", "test.asm:2: '@C': 'C' is a constant, not a label"},
      {"\ncmd no_such_command(1)", "test.asm:2: unknown command 'no_such_command'"},
      {"x: cmd x", "test.asm:1: 'x' is a label, not a command"},
      {".bogus 1", "test.asm:1: unknown directive '.bogus'"},
      {".entry 5", "test.asm:1: '.entry' needs a label name"},
      {".const K = 1\n.entry K", "test.asm:2: '.entry' names 'K', which is not a label"},
      {"nop\n push (1\n nop", "test.asm:2: a bracket or parenthesis opened here is never closed"},
      {"push 12ab", "test.asm:1: bad digit 'a' in the number '12a'"},
      {"push 1 $ 2", "test.asm:1: unexpected character '$'"},
      {"nop\n\n  ]", "test.asm:3: expected an instruction, a label or a directive"},
      // Commands called by name take their catalog's number and kinds of arguments.
      {"cmd random(100)", "test.asm:1: 'random' takes 2 arguments (a, b), not 1"},
      {"\ncmd sqrt()", "test.asm:2: 'sqrt' takes 1 argument (x), not 0"},
      {"cmd get_message(1)", "test.asm:1: 'get_message' takes no arguments, not 1"},
      {"cmd sp_set(\"bg\", 1, 0, 0)",
       "test.asm:1: argument 1 of 'sp_set' (file) takes a file, but a text is given"},
      {"cmd text(NONE, f\"who\", \"hi\", 0)",
       "test.asm:1: argument 2 of 'text' (name) takes a text, but a file is given"},
      {"top: cmd mul(top, 2)",
       "test.asm:1: argument 1 of 'mul' (a) takes a number, but a label is given"},
      {"cmd create_thread(\"go\")",
       "test.asm:1: argument 1 of 'create_thread' (label) takes a label, but a text is given"},
      {".const T = \"hi\"\ncmd abs(T)",
       "test.asm:2: argument 1 of 'abs' (v) takes a number, but a text is given"},
      {"cmd strcpy(\"x\", \"y\", -1)",
       "test.asm:1: argument 1 of 'strcpy' (dest) takes a string variable, but a text is given"},
      {"cmd abs(s1)",
       "test.asm:1: argument 1 of 'abs' (v) takes a number, but a string variable is given"},
  };
  for (const auto& c : cases) {
    const advasm::AssembleResult result = advasm::Assemble(c.source, "test.asm");
    EXPECT_FALSE(result.ok) << c.source;
    EXPECT_NE(result.ErrorText().find(c.error), std::string::npos) << c.source << " gave:\n"
                                                                   << result.ErrorText();
  }
}

// A text or file name with a fault the lexer reported gets that one message and no other.
TEST(Assembler, AFaultyTextOrFileNameIsReportedOnce) {
  for (const char* source : {"push f\"😀.png\"", "push f\"😀\"", "push f\"\\q\"", "push \"😀\"",
                             "cmd sp_set(f\"😀\", 0, 10, 0)"}) {
    const advasm::AssembleResult result = advasm::Assemble(source, "test.asm");
    EXPECT_FALSE(result.ok) << source;
    EXPECT_EQ(result.errors.size(), 1u) << source << " gave:\n" << result.ErrorText();
  }
}

// Values whose kind shows only at run time fit every argument; calls by code are not checked.
TEST(Assembler, ArgumentsThatFitTheirCommand) {
  for (const char* source : {
           "cmd text(s1, s2, s3, v4)",
           "cmd text(NONE, NONE, \"hi\", temp[v1])",
           "cmd sp_set(f\"bg\", 1, 0, 0)",
           ".const BG = f\"bg\"\ncmd sp_set(BG, 1, 0, 0)",
           "go: cmd create_thread(go)",
           "go: cmd create_thread(@go)\ncmd create_thread(0)",
           "cmd strcpy(s0, s1, -1)",
           "cmd abs(user[v1]) -> v2",
           "cmd get_message -> v1",
           "cmd 0x140000(100)",
           ".const RANDOM = 0x140000\ncmd RANDOM(\"any\")",
       }) {
    const advasm::AssembleResult result = advasm::Assemble(source, "test.asm");
    EXPECT_TRUE(result.ok) << source << "\n" << result.ErrorText();
  }
}

// Nesting that would exhaust the stack of a recursive parser, evaluator or tree is refused with
// the line; nesting within the bounds is not.
TEST(Assembler, DeepNestingIsRefusedWithTheLine) {
  std::string chain = "1";
  for (int i = 0; i < 100000; ++i) chain += "+1";
  const std::pair<std::string, std::string> refused[] = {
      {std::string(50000, '(') + "1" + std::string(50000, ')'),
       "test.asm:3: the expression nests brackets and unary operators more than 256 levels deep"},
      {std::string(200000, '-') + "1",
       "test.asm:3: the expression nests brackets and unary operators more than 256 levels deep"},
      {chain, "test.asm:3: the expression has more than 512 operators in a row"},
  };
  for (const auto& [expression, error] : refused) {
    const advasm::AssembleResult result =
        advasm::Assemble("nop\nnop\npush " + expression, "test.asm");
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.ErrorText().find(error), std::string::npos) << result.ErrorText();
  }

  // Constants defined one after another are evaluated recursively too.
  const auto constants = [](int count) {
    std::string text = ".const C0 = 1\n";
    for (int i = 1; i < count; ++i) {
      text += ".const C" + std::to_string(i) + " = C" + std::to_string(i - 1) + " + 1\n";
    }
    return text + "push C" + std::to_string(count - 1) + "\n";
  };
  const advasm::AssembleResult chained = advasm::Assemble(constants(20000), "test.asm");
  EXPECT_FALSE(chained.ok);
  EXPECT_NE(chained.ErrorText().find("constants refer to further constants"), std::string::npos)
      << chained.ErrorText().substr(0, 300);

  const std::string within =
      std::string(250, '(') + "1" + std::string(250, ')') + " + " + std::string(250, '-') + "1";
  const advasm::AssembleResult ok =
      advasm::Assemble("push " + within + "\n" + constants(500), "test.asm");
  EXPECT_TRUE(ok.ok) << ok.ErrorText();
}

TEST(Assembler, ReportsEveryBadLineNotOnlyTheFirst) {
  const advasm::AssembleResult result =
      advasm::Assemble("mvo v1, 1\nnop\npush v999\n  ; fine\njmp", "many.asm");
  ASSERT_EQ(result.errors.size(), 3u) << result.ErrorText();
  EXPECT_EQ(result.errors[0].line, 1);
  EXPECT_EQ(result.errors[1].line, 3);
  EXPECT_EQ(result.errors[2].line, 5);
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(file), {});
}

// The build assembles the sample game with advasm; the files it wrote are what the library
// makes in-process, and the engine loads them.
TEST(Assembler, SampleGameIsBuiltAndLoads) {
  advasm::AssembleOptions options;
  options.scramble = true;
  const advasm::AssembleResult expected = advasm::AssembleFile(SAMPLE_SCRIPT, options);
  ASSERT_TRUE(expected.ok) << expected.ErrorText();
  const std::string dir = SAMPLE_GAME_DIR;
  advasm::ScriptFiles built;
  built.script = ReadFile(dir + "/Script.src");
  built.file_list = ReadFile(dir + "/File.dat");
  built.text_list = ReadFile(dir + "/Text.dat");
  built.table_list = ReadFile(dir + "/Mem.dat");
  built.point_list = ReadFile(dir + "/Point.dat");
  EXPECT_EQ(built.script, expected.files.script);
  EXPECT_EQ(built.file_list, expected.files.file_list);
  EXPECT_EQ(built.text_list, expected.files.text_list);
  EXPECT_EQ(built.table_list, expected.files.table_list);
  EXPECT_EQ(built.point_list, expected.files.point_list);
  EXPECT_EQ(built.text_list.at(0), '$');

  const Loaded loaded = Load(built);
  EXPECT_GT(loaded.lists.LabelCount(), 0u);
  EXPECT_GE(adv::FileListFind(loaded.lists, "GUIDE"), 0);
  EXPECT_EQ(loaded.words.back(), 0x10018u) << "the script ends with its frame loop's ret";
}

}  // namespace

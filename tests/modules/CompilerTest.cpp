// The motion-language compiler: includes, addresses, encoding, COFF and listing outputs, errors.
#include "comm/MC_CoffFormat.h"
#include "platform/core/Module.h"
#include "suite/modules/compiler/ZurCompiler.h"
#include "tests/support/TestKernel.h"
#include "tests/support/FileContents.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using dravonix::test::KernelDir;
using dravonix::test::ScratchDir;

namespace {

void Write(const std::string& path, const std::string& text) {
  std::ofstream f(path, std::ios::binary);
  f << text;
}

using dravonix::test::ReadFileText;

zurc::Options Opts(uint16_t load = 0x4100, uint16_t length = 0x400, uint16_t run = 0x4100, uint16_t mode = 6) {
  zurc::Options o;
  o.loadAddress = load;
  o.length = length;
  o.runAddress = run;
  o.dataStart = 944;
  o.dataSize = 80;
  o.mode = mode;
  return o;
}

uint16_t U16(const std::string& b, size_t at) { return (uint16_t)((uint8_t)b[at] | (uint8_t)b[at + 1] << 8); }

std::vector<uint16_t> TextWords(CMC_CoffFormat& coff) {
  WORD* words = nullptr;
  int count = 0;
  std::vector<uint16_t> out;
  if (coff.ReadSectionData(".text", words, count)) out.assign(words, words + count);
  delete[] words;
  return out;
}

}  // namespace

TEST(Compiler, IncludesLabelsAndVariablesReachTheCoffObject) {
  std::string dir = ScratchDir("comp_basic");
  Write(dir + "/motion.zur",
        "// program\r\nint counter;\r\nBEGIN;\r\n#include \"tables.zur\"\r\nlong total = -2;\r\n"
        "fixed gain = 1.5;\r\nuint mask = 0xFFFF;\r\nStart:\r\n  counter = 5; GOTO Start;\r\nEND;\r\n");
  Write(dir + "/tables.zur", "/* a table\r\n   of two */\r\nTable:\r\n\t@Start;\r\n\t@0;\r\n");
  zurc::Compiler c(Opts(0x4100, 0x400, 0x9000));
  ASSERT_TRUE(c.CompileFile(dir + "/motion.zur")) << c.Error();
  EXPECT_EQ(c.OutputPath(), dir + "/motion.out");

  std::string bytes = ReadFileText(dir + "/motion.out");
  ASSERT_GT(bytes.size(), 130u);
  EXPECT_EQ(U16(bytes, 0), 0x00C1);
  EXPECT_EQ(U16(bytes, 2), 2);  // .text and .data
  EXPECT_EQ(U16(bytes, 16), 28);
  EXPECT_EQ(U16(bytes, 18) & 0x82, 0x82);
  EXPECT_EQ(U16(bytes, 20), 0x0092);

  CMC_CoffFormat coff;
  coff.m_strFileName = (dir + "/motion.out").c_str();
  ASSERT_TRUE(coff.ReadCoff());
  ASSERT_NE(coff.GetTextSection(), nullptr);
  // BEGIN (1) and the two table entries come before Start, which runs at 0x9000.
  EXPECT_EQ(coff.LocateLabel("Table"), 0x9001);
  EXPECT_EQ(coff.LocateLabel("start"), 0x9003);
  WORD address = 0;
  tagVarType type;
  ASSERT_TRUE(coff.LocateVariable("counter", address, type));
  EXPECT_EQ(address, 944);
  EXPECT_EQ(type, VAR_INT);
  ASSERT_TRUE(coff.LocateVariable("TOTAL", address, type));
  EXPECT_EQ(address, 946);  // two-word variables start on even addresses
  EXPECT_EQ(type, VAR_LONG);
  ASSERT_TRUE(coff.LocateVariable("gain", address, type));
  EXPECT_EQ(address, 948);
  EXPECT_EQ(type, VAR_FIXED);
  ASSERT_TRUE(coff.LocateVariable("mask", address, type));
  EXPECT_EQ(address, 950);
  EXPECT_EQ(type, VAR_UINT);
  ASSERT_TRUE(coff.LocateVariable("total(H)", address, type));
  EXPECT_EQ(address, 947);

  std::vector<uint16_t> text = TextWords(coff);
  ASSERT_EQ(text.size(), 9u);  // BEGIN, 2 entries, "counter = 5" (3), "GOTO Start" (2), END
  EXPECT_EQ(text[1], 0x9003);
  EXPECT_EQ(text[2], 0);
  EXPECT_EQ(text[4], 944);
  EXPECT_EQ(text[5], 5);
  EXPECT_EQ(text[7], 0x9003);
  EXPECT_EQ(text[0] == text[8], false);  // BEGIN and END differ

  WORD* data = nullptr;
  int count = 0;
  ASSERT_TRUE(coff.ReadSectionData(".data", data, count));
  std::vector<uint16_t> d(data, data + count);
  delete[] data;
  EXPECT_EQ(d, (std::vector<uint16_t>{0, 0, 0xFFFE, 0xFFFF, 0x8000, 1, 0xFFFF}));
  // The code block of the text section starts at the load address.
  EXPECT_EQ(coff.GetSectionFromAddress(0x4100), 1);
}

TEST(Compiler, EncodingIsDeterministic) {
  std::string dir = ScratchDir("comp_det");
  Write(dir + "/a.zur", "x1:\r\nAXISON; var_i1 = 0x0317; GOTO x1, var_i2, LEQ; CPOS = -1.25;\r\n");
  Write(dir + "/b.zur", "x1:  AXISON;\nvar_i1=0x0317 ;\n GOTO x1,var_i2,LEQ;\nCPOS = -1.25;");
  zurc::Compiler c(Opts());
  zurc::Program a, b;
  ASSERT_TRUE(c.Compile(dir + "/a.zur", a)) << c.Error();
  ASSERT_TRUE(c.Compile(dir + "/b.zur", b)) << c.Error();
  ASSERT_EQ(a.code.size(), b.code.size());
  for (size_t i = 0; i < a.code.size(); ++i) EXPECT_EQ(a.code[i].value, b.code[i].value) << i;
  // AXISON; "var_i1 = #" + 0x0317; "GOTO $ , VAR_I2 , LEQ" + x1; "CPOS = ##" + 16.16 of -1.25.
  ASSERT_EQ(a.code.size(), 8u);
  EXPECT_EQ(a.code[2].value, 0x0317);
  EXPECT_EQ(a.code[4].value, 0x4100);
  EXPECT_EQ(a.code[6].value, 0xC000);
  EXPECT_EQ(a.code[7].value, 0xFFFE);
  // Two files of the same text give byte-equal objects.
  Write(dir + "/c.zur", ReadFileText(dir + "/a.zur"));
  ASSERT_TRUE(c.CompileFile(dir + "/a.zur"));
  ASSERT_TRUE(c.CompileFile(dir + "/c.zur"));
  EXPECT_EQ(ReadFileText(dir + "/a.out"), ReadFileText(dir + "/c.out"));
}

TEST(Compiler, CopySequenceSymbolsAndRunAddress) {
  std::string dir = ScratchDir("comp_copy");
  Write(dir + "/p.zur",
        "var_i1 = _PROG_LOAD_ADDR; var_i2 = _PROG_RUN_ADDR; var_lf(L) = _PROG_END_ADDR;\r\n_COPY_SEQ:\r\n"
        "GOTO _COPY_SEQ;\r\n");
  zurc::Compiler c(Opts(0x4200, 0x100, 0x8800));
  zurc::Program p;
  ASSERT_TRUE(c.Compile(dir + "/p.zur", p)) << c.Error();
  ASSERT_EQ(p.code.size(), 8u);
  EXPECT_EQ(p.code[1].value, 0x4200);
  EXPECT_EQ(p.code[3].value, 0x8800);
  EXPECT_EQ(p.code[5].value, 0x8808);
  EXPECT_EQ(p.code[7].value, 0x8806);
}

TEST(Compiler, ErrorsNameTheFileAndLine) {
  std::string dir = ScratchDir("comp_err");
  struct Case {
    std::string text;
    std::string error;
  } cases[] = {
      {"BEGIN;\r\n#error stop here\r\n", "(2): error: stop here"},
      {"A:\r\nB:\r\nA:\r\n", "(3): error: 'A' is already defined at "},
      {"BEGIN;\r\nEND\r\n", "(2): error: ';' is missing at the end of the statement"},
      {"/* open\r\n\r\n", "(1): error: unterminated comment"},
      {"\r\n\r\n#include \"missing.zur\"\r\n", "(3): error: cannot open include file \"missing.zur\""},
      {"#pragma x\r\n", "(1): error: unknown directive #pragma"},
      {"int a = 1.5;\r\n", "(1): error: 'a' cannot hold a fractional value"},
      {"int a = 70000;\r\n", "(1): error: the initial value of 'a' is out of range"},
      {"int a b;\r\n", "(1): error: ';' is missing after the declaration of 'a'"},
      {"x = 0x1FFFFFFFF;\r\n", "(1): error: the number 0x1FFFFFFFF is out of range"},
      {"@a b;\r\n", "(1): error: a table entry holds one label or number"},
      {"x = \"abc;\r\n", "(1): error: unterminated string"},
      {"_PROG_END_ADDR:\r\n", "(1): error: '_PROG_END_ADDR' is reserved"},
  };
  zurc::Compiler c(Opts());
  for (const Case& k : cases) {
    Write(dir + "/e.zur", k.text);
    zurc::Program p;
    EXPECT_FALSE(c.Compile(dir + "/e.zur", p)) << k.text;
    EXPECT_EQ(c.Error().rfind(dir + "/e.zur" + k.error, 0), 0u) << c.Error();
  }
  // An error inside an include names the included file.
  Write(dir + "/inc.zur", "ok;\n#error inner\n");
  Write(dir + "/top.zur", "#include \"inc.zur\"\n");
  zurc::Program p;
  EXPECT_FALSE(c.Compile(dir + "/top.zur", p));
  EXPECT_EQ(c.Error(), dir + "/inc.zur(2): error: inner");
  // A file that includes itself.
  Write(dir + "/self.zur", "A;\n#include \"self.zur\"\n");
  EXPECT_FALSE(c.Compile(dir + "/self.zur", p));
  EXPECT_EQ(c.Error(), dir + "/self.zur(2): error: \"self.zur\" includes itself");
  EXPECT_FALSE(c.Compile(dir + "/none.zur", p));
  EXPECT_EQ(c.Error(), dir + "/none.zur(0): error: cannot open the source file");
  // Unknown modes write nothing.
  zurc::Compiler bad(Opts(0x4100, 0x400, 0x4100, 7));
  EXPECT_FALSE(bad.CompileFile(dir + "/inc.zur"));
  EXPECT_EQ(bad.Error(), dir + "/inc.zur(0): error: unknown compile mode 0x7");
}

TEST(Compiler, LimitsOfCodeAndData) {
  std::string dir = ScratchDir("comp_lim");
  zurc::Options o = Opts(0x4100, 4, 0x4100);
  o.dataSize = 3;
  zurc::Compiler c(o);
  zurc::Program p;
  Write(dir + "/fits.zur", "int a; long b;\r\nP; X = 1; Q;\r\n");  // a at 944, b at 946..947: 4 words
  EXPECT_FALSE(c.Compile(dir + "/fits.zur", p));
  EXPECT_EQ(c.Error(), dir + "/fits.zur(1): error: the variables need more than the 3 words of the data section");
  o.dataSize = 4;
  zurc::Compiler c2(o);
  ASSERT_TRUE(c2.Compile(dir + "/fits.zur", p)) << c2.Error();
  EXPECT_EQ(p.code.size(), 4u);
  Write(dir + "/long.zur", "A; B = 1;\r\nC; D;\r\n");
  EXPECT_FALSE(c2.Compile(dir + "/long.zur", p));
  EXPECT_EQ(c2.Error(), dir + "/long.zur(2): error: the program needs more than the 4 words reserved for it");
  zurc::Compiler top(Opts(0xFFFE, 0x400, 0xFFFE));
  Write(dir + "/top.zur", "A; B; C;\r\n");
  EXPECT_FALSE(top.Compile(dir + "/top.zur", p));
  EXPECT_NE(top.Error().find("runs past the end of the memory"), std::string::npos);
}

TEST(Compiler, ListingModeWritesWordLines) {
  std::string dir = ScratchDir("comp_list");
  Write(dir + "/i.asm", "GOTO Remote; X = 0x12AB");
  zurc::Resolver resolver = [](const std::string& name, zurc::ExternalSymbol& s) {
    if (name != "Remote") return false;
    s.value = 0x8123;
    s.label = true;
    return true;
  };
  // A single instruction needs no ';' at its end in a listing, but does in an object.
  zurc::Compiler c(Opts(0x8000, 0x4000, 0x8000, 0x11), resolver);
  ASSERT_TRUE(c.CompileFile(dir + "/i.asm")) << c.Error();
  zurc::Compiler object(Opts(0x8000, 0x4000, 0x8000, 6), resolver);
  EXPECT_FALSE(object.CompileFile(dir + "/i.asm"));
  EXPECT_EQ(object.Error(), dir + "/i.asm(1): error: ';' is missing at the end of the statement");
  zurc::Program p;
  ASSERT_TRUE(c.Compile(dir + "/i.asm", p));
  std::string expected = FormatString("\t.word %hx\r\n\t.word REMOTE\r\n\t.word %hx\r\n\t.word 12ab\r\n",
                                      p.code[0].value, p.code[2].value);
  EXPECT_EQ(ReadFileText(dir + "/i.out"), expected);
}

TEST(Compiler, ModuleCompilesAndFillsTheCoffObject) {
  HMODULE m = LoadLibrary((KernelDir() + "/compiler.dll").c_str());
  ASSERT_NE(m, nullptr);
  using CompileFn = int (*)(void*, CMC_CoffFormat*, const char*, WORD, WORD, WORD, WORD, WORD, WORD);
  using ErrorFn = const char* (*)();
  auto compile = (CompileFn)GetProcAddress(m, "comp_CompileFile");
  auto error = (ErrorFn)GetProcAddress(m, "comp_GetErrorString");
  ASSERT_TRUE(compile && error);
  std::string dir = ScratchDir("comp_module");
  Write(dir + "/motion.zur", "int STARTED;\r\nBEGIN;\r\nMain:\r\nSTARTED = 1;\r\nEND;\r\n");
  CMC_CoffFormat coff;
  ASSERT_EQ(compile(nullptr, &coff, (dir + "\\motion.zur").c_str(), 0x4000, 0x3000, 0x4000, 944, 80, 6), 1)
      << error();
  EXPECT_STREQ(error(), "");
  EXPECT_EQ(coff.LocateLabel("MAIN"), 0x4001);
  WORD address = 0;
  tagVarType type;
  EXPECT_TRUE(coff.LocateVariable("STARTED", address, type));
  EXPECT_EQ(address, 944);

  // The listing of one instruction names the labels of the program it runs with.
  Write(dir + "/one.asm", "GOTO Main;");
  ASSERT_EQ(compile(nullptr, &coff, (dir + "/one.asm").c_str(), 0x8000, 0x4000, 0x8000, 944, 80, 0x11), 1) << error();
  std::string listing = ReadFileText(dir + "/one.out");
  EXPECT_NE(listing.find("\t.word MAIN\r\n"), std::string::npos) << listing;

  Write(dir + "/bad.zur", "BEGIN;\r\n#error failure marker\r\n");
  EXPECT_EQ(compile(nullptr, nullptr, (dir + "/bad.zur").c_str(), 0x4000, 0x3000, 0x4000, 944, 80, 6), 0);
  EXPECT_EQ(std::string(error()), dir + "/bad.zur(2): error: failure marker");
  EXPECT_EQ(compile(nullptr, nullptr, nullptr, 0x4000, 0x3000, 0x4000, 944, 80, 6), 0);
  EXPECT_NE(std::string(error()).find("error:"), std::string::npos);
  FreeLibrary(m);
}

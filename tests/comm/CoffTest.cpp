// The COFF reader against files made by the COFF writer: look-ups, exports and damaged files.
#include "comm/MC_CoffFormat.h"
#include "kernel/document/KernelGlobals.h"
#include "platform/core/Automation.h"
#include "platform/core/MessageBox.h"
#include "suite/coff/CoffWriter.h"
#include "tests/support/TestKernel.h"
#include "tests/support/FileContents.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using dravonix::test::ScratchDir;

namespace {

std::string WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write((const char*)bytes.data(), (std::streamsize)bytes.size());
  return path;
}

using dravonix::test::ReadFileText;

std::vector<uint16_t> Words(size_t n, uint16_t seed) {
  std::vector<uint16_t> w(n);
  for (size_t i = 0; i < n; ++i) w[i] = (uint16_t)(seed + i * 7);
  return w;
}

// A program like the compiler's: code in E2ROM, variables in data memory, labels, a struct tag.
coff::Writer SampleProgram() {
  coff::Writer w;
  coff::Section text;
  text.name = ".text";
  text.loadAddress = text.runAddress = 0x4000;
  text.words = Words(16, 0x100);
  text.lines = {{0, 0}, {0x4002, 12}, {0x4008, 14}};
  w.AddSection(text);  // 1
  coff::Section data;
  data.name = ".data";
  data.loadAddress = data.runAddress = 0x8300;
  data.words = Words(32, 0x500);
  data.flags = coff::kSectionData;
  data.page = 1;
  w.AddSection(data);  // 2
  coff::Section eight;
  eight.name = "EIGHTSEC";
  eight.loadAddress = eight.runAddress = 0x4100;
  eight.words = Words(8, 0x900);
  eight.flags = coff::kSectionCode;
  w.AddSection(eight);  // 3
  coff::Section moved;
  moved.name = "LONGSECTIONNAME";
  moved.loadAddress = 0x4200;
  moved.runAddress = 0x9000;
  moved.words = Words(4, 0xA00);
  moved.flags = coff::kSectionData;
  w.AddSection(moved);  // 4
  coff::Section last;
  last.name = "lastdata";
  last.loadAddress = last.runAddress = 0x8400;
  last.size = 16;  // no raw data
  last.flags = coff::kSectionData;
  last.page = 1;
  w.AddSection(last);  // 5

  coff::Symbol textSym;
  textSym.name = ".text";
  textSym.value = 0x4000;
  textSym.section = 1;
  textSym.storageClass = coff::kClassStatic;
  textSym.aux = {coff::MakeAux(16)};
  w.AddSymbol(textSym);
  // A struct tag with two members: the walk by name skips them.
  coff::Symbol tag;
  tag.name = "POS";
  tag.section = 2;
  tag.type = coff::kTypeStruct;
  tag.storageClass = coff::kClassStructTag;
  uint32_t tagIndex = w.SymbolEntryCount();
  tag.aux = {coff::MakeAux(2, tagIndex + 5)};
  w.AddSymbol(tag);
  w.AddVariable("m1", 0, 2, coff::kTypeInt, coff::kClassStructMember);
  coff::Symbol eos;
  eos.name = ".eos";
  eos.storageClass = coff::kClassEndOfStruct;
  eos.section = 2;
  eos.aux = {coff::MakeAux(2)};
  w.AddSymbol(eos);

  w.AddVariable("POS", 0x8300, 2, coff::kTypeLong);
  w.AddVariable("SPEED", 0x8302, 2, coff::kTypeFixed);
  w.AddVariable("COUNT", 0x8304, 2, coff::kTypeInt, coff::kClassStatic);
  w.AddVariable("UL", 0x8306, 2, coff::kTypeUnsignedLong);
  w.AddVariable("DBL", 0x8308, 2, coff::kTypeDouble);
  w.AddVariable("USH", 0x830C, 2, coff::kTypeUnsignedShort);
  w.AddVariable("ZERO", 0x0000, 2, coff::kTypeLong);
  w.AddVariable("EIGHTCHR", 0x830D, 2, coff::kTypeInt);
  w.AddVariable("A_VERY_LONG_VARIABLE_NAME", 0x830E, 2, coff::kTypeUnsignedShort);
  coff::Symbol arr;
  arr.name = "ARR";
  arr.value = 0x8310;
  arr.section = 2;
  arr.type = coff::DerivedType(coff::kTypeInt, coff::kDerivedArray);
  arr.aux = {coff::MakeAux(0, 0)};
  w.AddSymbol(arr);
  w.AddVariable("LASTVAR", 0x8401, 5, coff::kTypeInt);
  w.AddLabel("START", 0x4000, 1);
  w.AddLabel("LOOP", 0x4008, 1);
  w.AddLabel("SUB", 0x4101, 3);
  w.AddLabel("MOVED", 0x4201, 4);
  return w;
}

class CoffTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Automation::Instance().Reset();
    g_bShowErrors = TRUE;
    dir = ScratchDir("coff");
  }
  void TearDown() override { Automation::Instance().Reset(); }

  CMC_CoffFormat& Read(const coff::Writer& w, const char* name = "prog.out") {
    path = dir + "/" + name;
    EXPECT_TRUE(w.WriteFile(path, &layout));
    coffFile.m_strFileName = path.c_str();
    EXPECT_EQ(coffFile.ReadCoff(), 1);
    return coffFile;
  }

  std::string dir, path;
  coff::Layout layout;
  CMC_CoffFormat coffFile;
};

TEST_F(CoffTest, ReadsHeadersSectionsAndNames) {
  CMC_CoffFormat& c = Read(SampleProgram());
  EXPECT_EQ(c.GetFileHeader().m_wVersionID, 0x00C1);
  EXPECT_EQ(c.GetFileHeader().m_wTargetID, 0x0092);
  EXPECT_EQ(c.GetFileHeader().m_wOptionalHeaderSize, 28);
  ASSERT_EQ(c.GetSectionCount(), 5);
  EXPECT_STREQ(c.GetSection(2)->m_strName, "EIGHTSEC");
  EXPECT_STREQ(c.GetSection(3)->m_strName, "LONGSECT");
  EXPECT_EQ(c.GetSection(0)->m_lineNumbers.GetSize(), 3);
  EXPECT_EQ(c.GetSection(0)->m_lineNumbers.GetAt(2)->m_wLineNo, 14);
  EXPECT_EQ(c.GetSection(1)->m_byPage, 1);
  EXPECT_NE(c.GetSymbolWithName("EIGHTCHR"), nullptr);
  EXPECT_NE(c.GetSymbolWithName("A_VERY_LONG_VARIABLE_NAME"), nullptr);
  EXPECT_FALSE(c.IsReset());
  c.ResetCoff();
  EXPECT_TRUE(c.IsReset());
  EXPECT_EQ(c.GetSymbolWithName("POS"), nullptr);
}

TEST_F(CoffTest, LocatesVariablesByTypeAndHalf) {
  CMC_CoffFormat& c = Read(SampleProgram());
  struct Case {
    const char* name;
    int ok;
    WORD address;
    tagVarType type;
  } cases[] = {
      {"pos", 1, 0x8300, VAR_LONG},       {"POS(L)", 1, 0x8300, VAR_INT},      {"pos(h)", 1, 0x8301, VAR_INT},
      {"SPEED", 1, 0x8302, VAR_FIXED},    {"SPEED(L)", 1, 0x8302, VAR_UINT},   {"SPEED(H)", 1, 0x8303, VAR_INT},
      {"UL", 1, 0x8306, VAR_ULONG},       {"UL(L)", 1, 0x8306, VAR_UINT},      {"UL(H)", 1, 0x8307, VAR_UINT},
      {"count", 1, 0x8304, VAR_INT},      {"COUNT(L)", 0, 0, VAR_INVALID},     {"DBL", 1, 0x8308, VAR_DOUBLE},
      {"DBL(H)", 0, 0, VAR_INVALID},      {"USH", 1, 0x830C, VAR_UINT},        {"ZERO(H)", 0, 0, VAR_INVALID},
      {"ZERO", 0, 0, VAR_INVALID},        {"ARR", 0, 0, VAR_INVALID},          {"START", 0, 0, VAR_INVALID},
      {"NOSUCH", 0, 0, VAR_INVALID},      {"(H)", 0, 0, VAR_INVALID},
  };
  for (const Case& k : cases) {
    WORD address = 0xFFFF;
    tagVarType type = VAR_FLOAT;
    EXPECT_EQ(c.LocateVariable(k.name, address, type), k.ok) << k.name;
    EXPECT_EQ(address, k.address) << k.name;
    EXPECT_EQ(type, k.type) << k.name;
  }
}

TEST_F(CoffTest, FindsLabelsAndSymbolsByAddress) {
  CMC_CoffFormat& c = Read(SampleProgram());
  EXPECT_EQ(c.LocateLabel("start"), 0x4000);
  EXPECT_EQ(c.LocateLabel("LOOP"), 0x4008);
  EXPECT_EQ(c.LocateLabel("POS"), 0);  // a variable
  EXPECT_EQ(c.LocateLabel("missing"), 0);
  EXPECT_STREQ(c.GetSymbolWithAddress(0x4008), "LOOP");
  EXPECT_STREQ(c.GetSymbolWithAddress(0x8300), "POS");
  EXPECT_STREQ(c.GetSymbolWithAddress(0x8304), "");  // static: not a class the address look-up names
  EXPECT_STREQ(c.GetSymbolWithAddress(0x4201), "");  // its section runs elsewhere
  EXPECT_STREQ(c.GetSymbolWithAddress(0x1234), "");
  EXPECT_STREQ(c.GetSymbolWithAddress(0x8401), "LASTVAR");  // in the last section
  EXPECT_STREQ(c.GetLabelWithAddress(0x4101), "SUB");
  EXPECT_STREQ(c.GetLabelWithAddress(0x8304), "COUNT");
  EXPECT_STREQ(c.GetLabelWithAddress(0x8401), "LASTVAR");
  EXPECT_STREQ(c.GetDMASymbol(0x8300 - 128 * 0x106, 0x106), "POS");
  EXPECT_EQ(c.GetSectionFromAddress(0x4105), 3);
  EXPECT_EQ(c.GetSectionFromAddress(0x840F), 5);
  EXPECT_EQ(c.GetSectionFromAddress(0x8410), 0);
  // The tag named POS and its members are skipped; the variable is found.
  int idx = c.GetIdxSymbolWithName("POS");
  ASSERT_GE(idx, 0);
  EXPECT_EQ(c.GetSymbol(idx)->m_dwValue, 0x8300u);
  EXPECT_EQ(c.GetIdxSymbolWithName("m1"), -1);
  EXPECT_EQ(c.GetIdxSymbolWithName("nothing"), -1);
}

TEST_F(CoffTest, FormatTable) {
  EXPECT_EQ(CMC_CoffFormat::GetFormatFlagType("float"), 128);
  EXPECT_EQ(CMC_CoffFormat::GetFormatFlagType("unsigned long"), 15);
  EXPECT_STREQ(CMC_CoffFormat::GetFormatName(0), "label");
  EXPECT_STREQ(CMC_CoffFormat::GetFormatName(13), "unsigned short");
  EXPECT_STREQ(CMC_CoffFormat::GetFormatName(9), "?");
  CString list;
  CMC_CoffFormat::GetFormatList(list);
  EXPECT_STREQ(list,
               "signed char\nunsigned char\nchar\nshort\nunsigned short\nint\nunsigned int\nlong\nunsigned "
               "long\nfixed\ndouble");
}

TEST_F(CoffTest, CodeBlocksAndRawData) {
  CMC_CoffFormat& c = Read(SampleProgram());
  // The ".text" symbol's block, then the other page-0 code and data sections.
  ASSERT_EQ(c.GetTextBlockCount(), 3);
  EXPECT_EQ(c.GetTextBlock(0)->m_wStart, 0x4000);
  EXPECT_EQ(c.GetTextBlock(0)->m_dwSize, 16u);
  EXPECT_EQ(c.GetTextFromAddress(0x4105)->m_wStart, 0x4100);
  EXPECT_EQ(c.GetTextFromAddress(0x4010), nullptr);
  EXPECT_EQ(c.GetNextTextFromAddress(0x4010)->m_wStart, 0x4100);
  EXPECT_EQ(c.GetNextTextFromAddress(0x4200), nullptr);
  EXPECT_STREQ(c.GetFirstTextSection()->m_strName, ".text");
  EXPECT_STREQ(c.GetNextTextSection(c.GetFirstTextSection())->m_strName, "EIGHTSEC");
  EXPECT_EQ(c.GetNextTextSection(c.GetSection(3)), nullptr);

  CWordArray words;
  EXPECT_EQ(c.GetRawData(&words, 0, 0), 16);
  std::vector<uint16_t> expect = Words(16, 0x100);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(words[i], expect[i]);
  // A block of another section comes from that section's own data.
  words.RemoveAll();
  EXPECT_EQ(c.GetRawData(&words, 0x4102, 1), 8);
  EXPECT_EQ(words[0], 0x900);
  EXPECT_EQ(c.GetRawData(&words, 0x5000, 1), 0);

  WORD* data = nullptr;
  int count = -1;
  ASSERT_EQ(c.ReadSectionData(".data", data, count), 1);
  EXPECT_EQ(count, 32);
  EXPECT_EQ(data[31], (uint16_t)(0x500 + 31 * 7));
  delete[] data;
  EXPECT_EQ(c.ReadSectionData("lastdata", data, count), 0);  // no raw data
  EXPECT_EQ(data, nullptr);
  EXPECT_EQ(c.ReadSectionData("nothing", data, count), 0);
  EXPECT_EQ(count, 0);

  // The file gone: the message names it.
  std::remove(path.c_str());
  words.RemoveAll();
  EXPECT_EQ(c.GetSection(0)->GetRawData(&words, path.c_str()), 0);
  ASSERT_EQ(Automation::Instance().MessageBoxes().size(), 1u);
  EXPECT_EQ(Automation::Instance().MessageBoxes()[0].text, "Cannot open file " + path + "!");
}

TEST_F(CoffTest, ListsAndTextExports) {
  CMC_CoffFormat& c = Read(SampleProgram());
  CString list = "old";
  c.FillSimpleVarsChoiceList(list, 0, 1);
  EXPECT_STREQ(list, "POS\nSPEED\nCOUNT\nUL\nDBL\nUSH\nZERO\nEIGHTCHR\nA_VERY_LONG_VARIABLE_NAME\nLASTVAR");
  CString all;
  c.FillSimpleVarsChoiceList(all, 1, 1);
  EXPECT_EQ(all, list);  // the non-code page-0 section holds no variable

  std::string out = dir + "/vars.txt";
  FILE* f = std::fopen(out.c_str(), "wb");
  ASSERT_TRUE(f);
  EXPECT_EQ(c.AppendVarsDefToFile(f), 1);
  EXPECT_EQ(c.AppendLabelsDefToFile(f), 1);
  std::fclose(f);
  std::string text = ReadFileText(out);
  EXPECT_EQ(text.find("LONG\tPOS\t@0x8300\r\nFIXED\tSPEED\t@0x8302\r\nINT\tCOUNT\t@0x8304\r\nULONG\tUL\t@0x8306\r\n"), 0u);
  EXPECT_NE(text.find("DOUBLE\tDBL\t@0x8308\r\nUINT\tUSH\t@0x830C\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\nPOS\t@0x8300\r\nSPEED\t@0x8302\r\n"), std::string::npos);

  f = std::fopen(out.c_str(), "wb");
  EXPECT_EQ(c.AppendSymbolsToVariablesCfgFile(f), 1);
  std::fclose(f);
  text = ReadFileText(out);
  EXPECT_NE(text.find("LABEL\tSTART\t@0x4000\r\nLABEL\tLOOP\t@0x4008\r\nLABEL\tSUB\t@0x4101\r\n"), std::string::npos);
  EXPECT_NE(text.find("INT\tLASTVAR\t@0x8401\r\n"), std::string::npos);
  EXPECT_EQ(text.find("ARR"), std::string::npos);
  // This list takes every storage class, struct members included.
  EXPECT_NE(text.find("INT\tm1\t@0x0000\r\n"), std::string::npos);
}

TEST_F(CoffTest, WriteErrorShowsTheSystemText) {
  CMC_CoffFormat& c = Read(SampleProgram());
  FILE* f = std::fopen("/dev/full", "wb");
  if (!f) GTEST_SKIP() << "no /dev/full";
  EXPECT_EQ(c.AppendVarsDefToFile(f), 0);
  std::fclose(f);
  ASSERT_EQ(Automation::Instance().MessageBoxes().size(), 1u);
  EXPECT_NE(Automation::Instance().MessageBoxes()[0].type & MB_ICONEXCLAMATION, 0u);
  g_bShowErrors = FALSE;
  f = std::fopen("/dev/full", "wb");
  EXPECT_EQ(c.AppendLabelsDefToFile(f), 0);
  std::fclose(f);
  EXPECT_EQ(Automation::Instance().MessageBoxes().size(), 1u);
}

TEST_F(CoffTest, HeaderVariantsAndMissingStringTable) {
  coff::Writer w = SampleProgram();
  w.shortHeader = true;
  CMC_CoffFormat& c = Read(w, "short.out");
  EXPECT_EQ(c.GetFileHeader().m_wVersionID, 0x0092);
  EXPECT_EQ(c.GetFileHeader().m_wTargetID, 0x0092);
  EXPECT_EQ(c.LocateLabel("LOOP"), 0x4008);

  coff::Writer bare = SampleProgram();
  bare.optionalHeader = false;
  bare.stringTable = false;
  CMC_CoffFormat other;
  other.m_strFileName = (dir + "/bare.out").c_str();
  ASSERT_TRUE(bare.WriteFile(other.m_strFileName.GetString()));
  ASSERT_EQ(other.ReadCoff(), 1);
  EXPECT_EQ(other.GetStringTableSize(), 0u);
  WORD address;
  tagVarType type;
  EXPECT_EQ(other.LocateVariable("EIGHTCHR", address, type), 1);
  EXPECT_EQ(other.GetSymbolWithName("A_VERY_LONG_VARIABLE_NAME"), nullptr);
  EXPECT_STREQ(other.GetSymbolWithAddress(0x830E), "");  // its name was in the missing table
}

TEST_F(CoffTest, NameOffsetOutsideTheStringTableGivesAnEmptyName) {
  coff::Writer w;
  coff::Section data;
  data.name = ".data";
  data.loadAddress = data.runAddress = 0x8300;
  data.size = 4;
  data.page = 1;
  data.flags = coff::kSectionData;
  w.AddSection(data);
  w.AddVariable("LONGNAME_ONE", 0x8300, 1, coff::kTypeInt);
  std::vector<uint8_t> bytes = w.Build(&layout);
  // Point the name at the table's end.
  uint32_t tableSize = (uint32_t)(bytes.size() - layout.stringTable);
  for (int i = 0; i < 4; ++i) bytes[layout.symbolTable + 4 + i] = (uint8_t)(tableSize >> (8 * i));
  coffFile.m_strFileName = WriteBytes(dir + "/offset.out", bytes).c_str();
  ASSERT_EQ(coffFile.ReadCoff(), 1);
  ASSERT_EQ(coffFile.GetSymbolCount(), 1);
  EXPECT_STREQ(coffFile.GetSymbol(0)->m_strName, "");
}

TEST_F(CoffTest, EveryTruncationFailsCleanly) {
  coff::Writer w = SampleProgram();
  std::vector<uint8_t> bytes = w.Build(&layout);
  std::string file = dir + "/cut.out";
  for (size_t len = 0; len < bytes.size(); ++len) {
    WriteBytes(file, std::vector<uint8_t>(bytes.begin(), bytes.begin() + (long)len));
    CMC_CoffFormat c;
    c.m_strFileName = file.c_str();
    int result = c.ReadCoff();
    // Cut anywhere after the symbol table the file merely loses its string table.
    EXPECT_EQ(result, len >= layout.stringTable ? 1 : 0) << "length " << len;
    if (!result) {
      EXPECT_TRUE(c.IsReset()) << "length " << len;
    } else {
      EXPECT_EQ(c.GetStringTableSize(), 0u) << "length " << len;
    }
  }
  EXPECT_TRUE(Automation::Instance().MessageBoxes().empty());
}

TEST_F(CoffTest, CorruptedFieldsFailOrReadWithoutHarm) {
  coff::Writer w = SampleProgram();
  std::vector<uint8_t> good = w.Build(&layout);
  std::string file = dir + "/bad.out";
  auto readWith = [&](std::vector<uint8_t> bytes) {
    WriteBytes(file, bytes);
    CMC_CoffFormat c;
    c.m_strFileName = file.c_str();
    int r = c.ReadCoff();
    // Whatever was read must answer look-ups safely.
    WORD a;
    tagVarType t;
    c.LocateVariable("POS", a, t);
    c.GetIdxSymbolWithName("nothing");
    c.GetSymbolWithAddress(0x4008);
    c.GetLabelWithAddress(0x4008);
    CWordArray words;
    c.GetRawData(&words, 0x4100, 1);
    return r;
  };
  auto put32 = [](std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = (uint8_t)(v >> (8 * i));
  };
  std::vector<uint8_t> b = good;
  put32(b, 12, 0xFFFFFFFF);  // symbol count
  EXPECT_EQ(readWith(b), 0);
  b = good;
  put32(b, 8, 0xFFFFFFF0);  // symbol-table offset
  EXPECT_EQ(readWith(b), 0);
  b = good;
  b[2] = 0xFF;  // section count
  EXPECT_EQ(readWith(b), 0);
  b = good;
  put32(b, layout.sectionHeaders + 16, 0x7FFFFFFF);  // section size
  EXPECT_EQ(readWith(b), 0);
  b = good;
  put32(b, layout.sectionHeaders + 28, 0xFFFFFFFA);  // line-number offset
  EXPECT_EQ(readWith(b), 0);
  b = good;
  put32(b, layout.stringTable, 2);  // string-table size below its own field: read without long names
  EXPECT_EQ(readWith(b), 1);
  b = good;
  put32(b, layout.stringTable, 0x10000000);
  EXPECT_EQ(readWith(b), 1);
  b = good;
  b[layout.stringTable - 1] = 1;  // the last entry announces an entry that is not there
  EXPECT_EQ(readWith(b), 0);
  // A tag whose member jump points backwards must not make the walk circle.
  b = good;
  put32(b, layout.symbolTable + 18 * 3 + 12, 0);
  EXPECT_EQ(readWith(b), 1);
  // Every byte set to 0xFF in turn: never a crash, and a failure leaves nothing behind.
  for (size_t i = 0; i < good.size(); ++i) {
    b = good;
    b[i] = 0xFF;
    readWith(b);
  }
  EXPECT_TRUE(Automation::Instance().MessageBoxes().empty());
}

TEST_F(CoffTest, MissingOrUnnamedFile) {
  CMC_CoffFormat c;
  EXPECT_EQ(c.ReadCoff(), 0);
  c.m_strFileName = (dir + "/none.out").c_str();
  EXPECT_EQ(c.ReadCoff(), 0);
  EXPECT_TRUE(c.IsReset());
}

}  // namespace

// Writes COFF object files of the drive's 16-bit word-addressed processor, as the compiler produces them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace coff {

// Storage classes.
enum : uint8_t {
  kClassAutomatic = 1,
  kClassExternal = 2,
  kClassStatic = 3,
  kClassLabel = 6,
  kClassStructMember = 8,
  kClassStructTag = 10,
  kClassUnionMember = 11,
  kClassUnionTag = 12,
  kClassTypedef = 13,
  kClassEnumTag = 15,
  kClassBlock = 100,
  kClassFunction = 101,
  kClassEndOfStruct = 102,
  kClassFile = 103,
};

// Basic types (bits 0-3 of a symbol's type word).
enum : uint16_t {
  kTypeNone = 0,
  kTypeSignedChar = 1,
  kTypeChar = 2,
  kTypeShort = 3,
  kTypeInt = 4,
  kTypeLong = 5,
  kTypeFixed = 6,
  kTypeDouble = 7,
  kTypeStruct = 8,
  kTypeUnion = 9,
  kTypeEnum = 10,
  kTypeEnumMember = 11,
  kTypeUnsignedChar = 12,
  kTypeUnsignedShort = 13,
  kTypeUnsignedInt = 14,
  kTypeUnsignedLong = 15,
};

// Derived types, 2 bits per level from bit 4 up.
enum : uint16_t { kDerivedPointer = 1, kDerivedFunction = 2, kDerivedArray = 3 };
constexpr uint16_t DerivedType(uint16_t basic, uint16_t level0, uint16_t level1 = 0) {
  return (uint16_t)(basic | (level0 << 4) | (level1 << 6));
}

// Section flags.
enum : uint16_t { kSectionCode = 0x20, kSectionData = 0x40 };

struct LineNumber {
  uint32_t addressOrSymbol = 0;
  uint16_t line = 0;
};

struct Section {
  std::string name;  // more than 8 characters are cut to 8, as the format holds no more
  uint32_t loadAddress = 0;
  uint32_t runAddress = 0;
  // Words of raw data; the section's size is their count unless `size` is given.
  std::vector<uint16_t> words;
  int64_t size = -1;
  uint16_t flags = kSectionCode;
  uint8_t page = 0;  // bit 0 set: data memory
  std::vector<LineNumber> lines;
  uint16_t relocationCount = 0;  // written as a count only
};

using AuxEntry = std::array<uint8_t, 18>;

struct Symbol {
  std::string name;  // up to 8 characters inline, longer ones in the string table
  uint32_t value = 0;
  int16_t section = 0;  // 1-based; 0 undefined, -1 absolute
  uint16_t type = 0;
  uint8_t storageClass = kClassExternal;
  std::vector<AuxEntry> aux;
  bool nameInStringTable = false;  // force a string-table name for a short one
};

// An auxiliary entry whose first u32 is `first` (a section's length) and fourth u32 is `fourth`
// (the index after a tag's members).
AuxEntry MakeAux(uint32_t first, uint32_t fourth = 0);

// Byte offsets of the parts of a built file.
struct Layout {
  uint32_t optionalHeader = 0;
  uint32_t sectionHeaders = 0;
  std::vector<uint32_t> rawData;
  std::vector<uint32_t> lineNumbers;
  uint32_t symbolTable = 0;
  uint32_t stringTable = 0;
  uint32_t end = 0;
};

class Writer {
 public:
  // Header fields. The long header starts with the version id; the short one (20 bytes) with the
  // target id, and is chosen with `shortHeader`.
  uint16_t versionId = 0x00C1;
  uint16_t targetId = 0x0092;
  uint32_t timeStamp = 0;
  uint16_t flags = 0x0082;
  bool shortHeader = false;
  bool optionalHeader = true;
  bool stringTable = true;  // false: the file ends after the symbol table
  std::array<uint8_t, 28> optionalHeaderBytes{};

  // Returns the 1-based section number.
  int AddSection(const Section& section);
  // Returns the symbol's index in the symbol table (auxiliary entries count).
  uint32_t AddSymbol(const Symbol& symbol);
  // Shortcuts: a variable of a data section, a label of a code section.
  uint32_t AddVariable(const std::string& name, uint16_t address, int16_t section, uint16_t type,
                       uint8_t storageClass = kClassExternal);
  uint32_t AddLabel(const std::string& name, uint16_t address, int16_t section, uint16_t type = kTypeInt);

  const std::vector<Section>& Sections() const { return m_sections; }
  const std::vector<Symbol>& Symbols() const { return m_symbols; }
  uint32_t SymbolEntryCount() const { return m_entries; }

  std::vector<uint8_t> Build(Layout* layout = nullptr) const;
  bool WriteFile(const std::string& path, Layout* layout = nullptr) const;

 private:
  std::vector<Section> m_sections;
  std::vector<Symbol> m_symbols;
  uint32_t m_entries = 0;
};

}  // namespace coff

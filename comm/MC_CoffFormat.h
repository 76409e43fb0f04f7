// The compiled drive program: a COFF file read into memory and the kernel's look-ups on it.
#pragma once

#include "kernel/values/MC_Value.h"
#include "kernel/values/ObArrayEx.h"
#include "platform/core/Array.h"
#include "platform/core/File.h"
#include "platform/core/Map.h"
#include "platform/core/Object.h"
#include "platform/core/String.h"
#include "platform/core/Types.h"

#include <cstdio>
#include <unordered_map>

class CComboBox;

// Storage classes the kernel looks at.
enum : BYTE {
  COFF_C_AUTO = 1,
  COFF_C_EXT = 2,
  COFF_C_STAT = 3,
  COFF_C_LABEL = 6,
  COFF_C_MOS = 8,
  COFF_C_STRTAG = 10,
  COFF_C_MOU = 11,
  COFF_C_UNTAG = 12,
  COFF_C_TPDEF = 13,
  COFF_C_ENTAG = 15,
  COFF_C_BLOCK = 100,
  COFF_C_FCN = 101,
  COFF_C_EOS = 102,
  COFF_C_FILE = 103,
};

// Kinds of auxiliary entries, or'ed.
enum : DWORD {
  COFF_AUX_FILE = 0x1,
  COFF_AUX_SECTION = 0x2,
  COFF_AUX_TAG = 0x4,
  COFF_AUX_EOS = 0x8,
  COFF_AUX_FUNCTION = 0x10,
  COFF_AUX_ARRAY = 0x20,
  COFF_AUX_BEGIN = 0x40,
  COFF_AUX_END = 0x80,
  COFF_AUX_STRUCTREF = 0x100,
};

class CCoffFileHeader : public CObject {
 public:
  WORD m_wVersionID = 0;
  WORD m_wSectionCount = 0;
  DWORD m_dwTimeStamp = 0;
  DWORD m_dwSymbolTableOffset = 0;
  DWORD m_dwSymbolCount = 0;
  WORD m_wOptionalHeaderSize = 0;
  WORD m_wFlags = 0;
  WORD m_wTargetID = 0;
};

class CCoffOptionalHeader : public CObject {
 public:
  BYTE m_bytes[28] = {};
};

class CCoffLineNo : public CObject {
 public:
  DWORD m_dwAddress = 0;  // or a symbol index
  WORD m_wLineNo = 0;
};

class CCoffSectionHeader : public CObject {
 public:
  ~CCoffSectionHeader() override;

  // Appends the section's words read from the file; the count, 0 on failure.
  int GetRawData(CWordArray* words, const char* fileName) const;
  bool IsCode() const { return (m_wFlags & 0x20) != 0; }
  bool IsInDataMemory() const { return (m_byPage & 1) != 0; }

  char m_szName[8] = {};
  DWORD m_dwPhysicalAddress = 0;  // load address
  DWORD m_dwVirtualAddress = 0;   // run address
  DWORD m_dwSize = 0;             // in words
  DWORD m_dwRawDataOffset = 0;
  DWORD m_dwRelocationOffset = 0;
  DWORD m_dwLineNoOffset = 0;
  WORD m_wRelocationCount = 0;
  WORD m_wLineNoCount = 0;
  WORD m_wFlags = 0;
  BYTE m_byReserved = 0;
  BYTE m_byPage = 0;
  CObArrayEx<CCoffLineNo> m_lineNumbers;
  CString m_strName;
};

class CCoffSymbTableEntry : public CObject {
 public:
  BYTE GetBasicType() const { return (BYTE)(m_wType & 15); }
  BYTE GetDerivedType(int level) const { return (BYTE)(((m_wType >> 4) >> (2 * level)) & 3); }
  DWORD GetAuxiliaryEntryType(int level) const;
  bool IsRealSymbol() const { return m_dwAuxKind == 0; }
  // The n-th u32 of the entry (an auxiliary entry's fields).
  DWORD GetAuxDWord(int n) const;

  BYTE m_raw[18] = {};  // the entry as read
  DWORD m_dwValue = 0;
  SHORT m_nSection = 0;
  WORD m_wType = 0;
  BYTE m_byClass = 0;
  BYTE m_byAuxCount = 0;
  DWORD m_dwAuxKind = 0;  // 0: a real symbol
  CString m_strName;
};

class CTextFileEntry : public CObject {
 public:
  WORD m_wStart = 0;
  DWORD m_dwSize = 0;
};

class CMC_CoffFormat : public CObject {
 public:
  CMC_CoffFormat();
  ~CMC_CoffFormat() override;
  CMC_CoffFormat(const CMC_CoffFormat&) = delete;
  CMC_CoffFormat& operator=(const CMC_CoffFormat&) = delete;

  CString m_strFileName;

  // ---- Reading -------------------------------------------------------------------------------
  int ReadCoff();
  void ResetCoff();
  int IsReset() const { return m_sections.GetSize() == 0; }
  // Steps of ReadCoff on the file's bytes; each checks what it reads against the file's length.
  int ReadFileHeader(CFile& file);
  int ReadOptionalHeader(CFile& file);
  int ReadSection(int index, CFile& file, CCoffSectionHeader* header);
  // Entry `index` of the line-number table of the section that ReadSection is reading.
  int ReadLineNo(int index, CFile& file, CCoffLineNo* entry);
  int ReadSymbolTable(CFile& file);
  int ReadSymbol(int index, CFile& file, CCoffSymbTableEntry* entry);
  int ReadStringTable(CFile& file);
  int InitFirstAddressesArray();

  // ---- Look-ups ------------------------------------------------------------------------------
  CCoffSymbTableEntry* GetSymbolWithName(const char* name) const;
  int GetIdxSymbolWithName(const char* name) const;
  CString GetSymbolWithAddress(WORD address) const;
  CString GetLabelWithAddress(WORD address) const;
  CString GetDMASymbol(WORD offset, WORD page) const;
  int GetSectionFromAddress(WORD address) const;
  CCoffSectionHeader* GetTextSection() const;
  CCoffSectionHeader* GetFirstTextSection() const;
  CCoffSectionHeader* GetNextTextSection(CCoffSectionHeader* section) const;
  CTextFileEntry* GetTextFromAddress(WORD address) const;
  CTextFileEntry* GetNextTextFromAddress(WORD address) const;
  int LocateVariable(const char* name, WORD& address, tagVarType& type) const;
  WORD LocateLabel(const char* name) const;
  // The caller frees the words with delete[].
  int ReadSectionData(const char* name, WORD*& words, int& count) const;
  // flag 0: the ".text" section's words; else those of the code block holding the address.
  int GetRawData(CWordArray* words, WORD address, int flag) const;

  // ---- Formats -------------------------------------------------------------------------------
  static CString GetFormatName(int flag);
  static int GetFormatFlagType(const char* name);
  static void GetFormatList(CString& text);
  static void FillFormatCombo(CComboBox* combo, int selected);

  // ---- Lists and text exports ----------------------------------------------------------------
  void FillSimpleVarsCombo(CComboBox* combo, int allPages, int reset) const;
  void FillSimpleVarsChoiceList(CString& text, int allPages, int reset) const;
  int AppendVarsDefToFile(FILE* file) const;
  int AppendLabelsDefToFile(FILE* file) const;
  int AppendSymbolsToVariablesCfgFile(FILE* file) const;

  // ---- Contents ------------------------------------------------------------------------------
  int GetSectionCount() const { return m_sections.GetSize(); }
  CCoffSectionHeader* GetSection(int i) const;
  int GetSymbolCount() const { return m_symbols.GetSize(); }
  CCoffSymbTableEntry* GetSymbol(int i) const;
  int GetTextBlockCount() const { return m_textEntries.GetSize(); }
  CTextFileEntry* GetTextBlock(int i) const;
  const CCoffFileHeader& GetFileHeader() const { return m_fileHeader; }
  const CCoffOptionalHeader& GetOptionalHeader() const { return m_optionalHeader; }
  DWORD GetStringTableSize() const { return m_dwStringTableSize; }

  // The value type of a simple basic type; -1 for the others.
  static tagVarType BasicTypeToVarType(int basicType);

 private:
  // The section a symbol's section number names, or null.
  CCoffSectionHeader* SectionOfSymbol(const CCoffSymbTableEntry* symbol) const;
  // Real symbol of a simple type in a data-memory section (the selection of the variable lists).
  bool IsListedVariable(const CCoffSymbTableEntry* s, bool allPages) const;
  int WriteLines(FILE* file, const CString& text) const;

  std::unordered_map<WORD, CCoffSymbTableEntry*> m_addressMap;
  std::unordered_map<std::string, int> m_nameMap;
  CCoffFileHeader m_fileHeader;
  CCoffOptionalHeader m_optionalHeader;
  CObArrayEx<CCoffSectionHeader> m_sections;
  CObArrayEx<CCoffSymbTableEntry> m_symbols;
  DWORD m_dwStringTableSize = 0;
  char* m_pStringTable = nullptr;
  CObArrayEx<CTextFileEntry> m_textEntries;
  // Where the section headers begin: where the header, or the optional header, ended.
  ULONGLONG m_sectionHeadersOffset = 0;
  // The line-number table of the section being read.
  ULONGLONG m_lineNoOffset = 0;
};

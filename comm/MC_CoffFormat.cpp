#include "comm/MC_CoffFormat.h"

#include "kernel/document/KernelGlobals.h"
#include "kernel/values/Utilities.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Format.h"
#include "platform/core/MessageBox.h"

#include <cerrno>
#include <cstring>
#include <vector>

namespace {

struct FormatEntry {
  int flag;
  const char* name;
};
const FormatEntry kFormats[] = {
    {1, "signed char"}, {12, "unsigned char"}, {2, "char"},          {3, "short"},
    {13, "unsigned short"}, {4, "int"},        {14, "unsigned int"}, {5, "long"},
    {15, "unsigned long"}, {6, "fixed"},       {7, "double"},
};

WORD Get16(const BYTE* p) { return (WORD)(p[0] | (p[1] << 8)); }
DWORD Get32(const BYTE* p) { return (DWORD)Get16(p) | ((DWORD)Get16(p + 2) << 16); }

bool IsSimpleType(int basic) { return (basic >= 1 && basic <= 7) || (basic >= 12 && basic <= 15); }

// Reads exactly `count` bytes at `offset`, refusing anything that lies beyond the file's end.
bool ReadAt(CFile& file, ULONGLONG offset, void* buffer, ULONGLONG count) {
  ULONGLONG length = file.GetLength();
  if (offset > length || count > length - offset) return false;
  if (count == 0) return true;
  file.Seek((LONGLONG)offset, CFile::begin);
  return file.Read(buffer, (UINT)count) == count;
}

// The whole file, or false (with the exception consumed).
bool ReadWholeFile(const char* path, std::vector<BYTE>& bytes) {
  CFile file;
  if (!file.Open(path, CFile::modeRead | CFile::shareDenyWrite | CFile::typeBinary)) return false;
  try {
    ULONGLONG length = file.GetLength();
    if (length > 0x7FFFFFFF) return false;
    bytes.resize((size_t)length);
    UINT got = bytes.empty() ? 0 : file.Read(bytes.data(), (UINT)bytes.size());
    file.Close();
    return got == bytes.size();
  } catch (CException* e) {
    e->Delete();
    file.Abort();
    return false;
  }
}

// Whether the section-number's section lies in a page-0 block kind that holds code or data.
bool IsLoadableProgramSection(const CCoffSectionHeader* s) {
  return s->m_dwSize != 0 && s->m_byPage == 0 && (s->m_wFlags & 0x60) != 0;
}

}  // namespace

// ---- CCoffSectionHeader ---------------------------------------------------------------------------

CCoffSectionHeader::~CCoffSectionHeader() = default;

int CCoffSectionHeader::GetRawData(CWordArray* words, const char* fileName) const {
  CFile file;
  if (!fileName || !*fileName || !file.Open(fileName, CFile::modeRead | CFile::shareDenyWrite | CFile::typeBinary)) {
    ShowKernelMessage(MB_ICONEXCLAMATION, 20001, fileName ? fileName : "");
    return 0;
  }
  int result = 0;
  try {
    // A section without raw data (offset 0) has no words in the file.
    if (m_dwRawDataOffset == 0) {
      file.Close();
      return 0;
    }
    std::vector<BYTE> bytes((size_t)m_dwSize * 2);
    if (m_dwSize != 0 && ReadAt(file, m_dwRawDataOffset, bytes.data(), bytes.size())) {
      if (words) {
        INT_PTR base = words->GetSize();
        words->SetSize(base + (INT_PTR)m_dwSize);
        for (DWORD i = 0; i < m_dwSize; ++i) words->SetAt(base + i, Get16(&bytes[2 * i]));
      }
      result = (int)m_dwSize;
    }
    file.Close();
  } catch (CException* e) {
    e->Delete();
    file.Abort();
    result = 0;
  }
  return result;
}

// ---- CCoffSymbTableEntry --------------------------------------------------------------------------

DWORD CCoffSymbTableEntry::GetAuxDWord(int n) const { return n >= 0 && n < 4 ? Get32(m_raw + 4 * n) : 0; }

DWORD CCoffSymbTableEntry::GetAuxiliaryEntryType(int level) const {
  const int d = GetDerivedType(level);
  const int b = GetBasicType();
  const int c = m_byClass;
  const bool memberLike = c == 1 || c == 2 || c == 3 || c == 8 || c == 11 || c == 13;
  DWORD kind = 0;
  if (c == COFF_C_FILE && d == 0) kind |= COFF_AUX_FILE;
  if (c == COFF_C_STAT && d == 0) kind |= COFF_AUX_SECTION;
  if ((c == COFF_C_STRTAG || c == COFF_C_UNTAG || c == COFF_C_ENTAG) && d == 0) kind |= COFF_AUX_TAG;
  if (c == COFF_C_EOS && d == 0) kind |= COFF_AUX_EOS;
  if ((c == COFF_C_EXT || c == COFF_C_STAT) && d == 2 && b != 11) kind |= COFF_AUX_FUNCTION;
  if (memberLike && d == 3 && b != 11) kind |= COFF_AUX_ARRAY;
  if (c == COFF_C_BLOCK && d == 0 && b == 0) kind |= m_strName == ".bb" ? COFF_AUX_BEGIN : COFF_AUX_END;
  if (c == COFF_C_FCN && d == 0 && b == 0) kind |= m_strName == ".bf" ? COFF_AUX_BEGIN : COFF_AUX_END;
  if (memberLike && (d == 0 || d == 1 || d == 3) && (b == 8 || b == 9 || b == 10)) kind |= COFF_AUX_STRUCTREF;
  return kind;
}

// ---- CMC_CoffFormat: reading ----------------------------------------------------------------------

CMC_CoffFormat::CMC_CoffFormat() = default;

CMC_CoffFormat::~CMC_CoffFormat() { ResetCoff(); }

void CMC_CoffFormat::ResetCoff() {
  delete[] m_pStringTable;
  m_pStringTable = nullptr;
  m_dwStringTableSize = 0;
  m_sections.RemoveAll();
  m_symbols.RemoveAll();
  m_textEntries.RemoveAll();
  m_addressMap.clear();
  m_nameMap.clear();
  m_fileHeader = CCoffFileHeader();
  m_optionalHeader = CCoffOptionalHeader();
  m_sectionHeadersOffset = 0;
}

int CMC_CoffFormat::ReadCoff() {
  if (m_strFileName.IsEmpty()) return 0;
  ResetCoff();
  std::vector<BYTE> bytes;
  if (!ReadWholeFile(m_strFileName, bytes)) return 0;
  // Parsed from memory: one read of the file, and every offset checked against its length.
  BYTE empty = 0;
  CMemFile file(bytes.empty() ? &empty : bytes.data(), (UINT)bytes.size());
  int ok = 0;
  try {
    ok = ReadFileHeader(file) && ReadOptionalHeader(file);
    for (int i = 0; ok && i < m_fileHeader.m_wSectionCount; ++i) {
      CCoffSectionHeader* header = new CCoffSectionHeader;
      if (!ReadSection(i, file, header)) {
        delete header;
        ok = 0;
        break;
      }
      m_sections.Add(header);
    }
    // A damaged string table costs only the long names (it is left empty): the symbols are read all the same.
    if (ok) ReadStringTable(file);
    ok = ok && ReadSymbolTable(file);
  } catch (CException* e) {
    e->Delete();
    ok = 0;
  }
  if (!ok) {
    ResetCoff();
    return 0;
  }
  InitFirstAddressesArray();
  return 1;
}

int CMC_CoffFormat::ReadFileHeader(CFile& file) {
  BYTE h[22];
  if (!ReadAt(file, 0, h, 2)) return 0;
  WORD first = Get16(h);
  bool shortHeader = first == 0x0092 || first == 0x00C0;
  UINT size = shortHeader ? 20 : 22;
  if (!ReadAt(file, 0, h, size)) return 0;
  m_fileHeader.m_wVersionID = first;
  m_fileHeader.m_wSectionCount = Get16(h + 2);
  m_fileHeader.m_dwTimeStamp = Get32(h + 4);
  m_fileHeader.m_dwSymbolTableOffset = Get32(h + 8);
  m_fileHeader.m_dwSymbolCount = Get32(h + 12);
  m_fileHeader.m_wOptionalHeaderSize = Get16(h + 16);
  m_fileHeader.m_wFlags = Get16(h + 18);
  m_fileHeader.m_wTargetID = shortHeader ? first : Get16(h + 20);
  m_sectionHeadersOffset = size;
  // Every section header must lie inside the file before any is read.
  ULONGLONG start = m_fileHeader.m_wOptionalHeaderSize == 28 ? 22 + 28 : size;
  return start + 40ull * m_fileHeader.m_wSectionCount <= file.GetLength();
}

int CMC_CoffFormat::ReadOptionalHeader(CFile& file) {
  if (m_fileHeader.m_wOptionalHeaderSize != 28) return 1;
  if (!ReadAt(file, 22, m_optionalHeader.m_bytes, 28)) return 0;
  m_sectionHeadersOffset = 22 + 28;
  return 1;
}

int CMC_CoffFormat::ReadSection(int index, CFile& file, CCoffSectionHeader* header) {
  BYTE h[40];
  if (!header || index < 0 || !ReadAt(file, m_sectionHeadersOffset + 40ull * index, h, 40)) return 0;
  std::memcpy(header->m_szName, h, 8);
  header->m_dwPhysicalAddress = Get32(h + 8);
  header->m_dwVirtualAddress = Get32(h + 12);
  header->m_dwSize = Get32(h + 16);
  header->m_dwRawDataOffset = Get32(h + 20);
  header->m_dwRelocationOffset = Get32(h + 24);
  header->m_dwLineNoOffset = Get32(h + 28);
  header->m_wRelocationCount = Get16(h + 32);
  header->m_wLineNoCount = Get16(h + 34);
  header->m_wFlags = Get16(h + 36);
  header->m_byReserved = h[38];
  header->m_byPage = h[39];
  header->m_strName = CString((const char*)h, (int)strnlen((const char*)h, 8));
  const ULONGLONG length = file.GetLength();
  // Raw data that the header announces must be in the file.
  if (header->m_dwRawDataOffset != 0 && (ULONGLONG)header->m_dwRawDataOffset + 2ull * header->m_dwSize > length)
    return 0;
  if (header->m_wLineNoCount) {
    if ((ULONGLONG)header->m_dwLineNoOffset + 6ull * header->m_wLineNoCount > length) return 0;
    m_lineNoOffset = header->m_dwLineNoOffset;
    for (int i = 0; i < header->m_wLineNoCount; ++i) {
      CCoffLineNo* line = new CCoffLineNo;
      if (!ReadLineNo(i, file, line)) {
        delete line;
        return 0;
      }
      header->m_lineNumbers.Add(line);
    }
  }
  return 1;
}

int CMC_CoffFormat::ReadLineNo(int index, CFile& file, CCoffLineNo* entry) {
  BYTE b[6];
  if (!entry || index < 0 || !ReadAt(file, m_lineNoOffset + 6ull * index, b, 6)) return 0;
  entry->m_dwAddress = Get32(b);
  entry->m_wLineNo = Get16(b + 4);
  return 1;
}

int CMC_CoffFormat::ReadStringTable(CFile& file) {
  m_dwStringTableSize = 0;
  if (m_fileHeader.m_dwSymbolTableOffset == 0) return 1;
  const ULONGLONG length = file.GetLength();
  const ULONGLONG pos = (ULONGLONG)m_fileHeader.m_dwSymbolTableOffset + 18ull * m_fileHeader.m_dwSymbolCount;
  if (pos > length) return 0;  // the symbol table itself is cut off
  if (pos == length) return 1;  // no string table: names come from the entries only
  BYTE b[4];
  if (!ReadAt(file, pos, b, 4)) return 0;
  DWORD size = Get32(b);
  if (size == 0) return 1;
  if (size < 4 || pos + size > length) return 0;
  m_pStringTable = new char[size - 3];
  if (!ReadAt(file, pos + 4, m_pStringTable, size - 4)) {
    delete[] m_pStringTable;
    m_pStringTable = nullptr;
    return 0;
  }
  m_pStringTable[size - 4] = 0;
  m_dwStringTableSize = size;
  return 1;
}

int CMC_CoffFormat::ReadSymbol(int index, CFile& file, CCoffSymbTableEntry* entry) {
  if (!entry || index < 0) return 0;
  if (!ReadAt(file, (ULONGLONG)m_fileHeader.m_dwSymbolTableOffset + 18ull * index, entry->m_raw, 18)) return 0;
  const BYTE* r = entry->m_raw;
  entry->m_dwValue = Get32(r + 8);
  entry->m_nSection = (SHORT)Get16(r + 12);
  entry->m_wType = Get16(r + 14);
  entry->m_byClass = r[16];
  entry->m_byAuxCount = r[17];
  entry->m_strName.Empty();
  if (entry->m_dwAuxKind == 0) {
    if (r[0] != 0) {
      entry->m_strName = CString((const char*)r, (int)strnlen((const char*)r, 8));
    } else {
      DWORD offset = Get32(r + 4);
      if (m_pStringTable && offset >= 4 && offset - 4 < m_dwStringTableSize - 4)
        entry->m_strName = m_pStringTable + (offset - 4);
    }
  }
  return 1;
}

int CMC_CoffFormat::ReadSymbolTable(CFile& file) {
  if (m_fileHeader.m_dwSymbolTableOffset == 0) return 1;
  const DWORD count = m_fileHeader.m_dwSymbolCount;
  // A table that runs past the end of the file cannot be read: refused before anything is sized for it.
  if ((ULONGLONG)m_fileHeader.m_dwSymbolTableOffset + 18ull * count > file.GetLength()) return 0;
  m_symbols.SetSize(0, count < 4096 ? (int)count : 4096);
  m_addressMap.reserve(count);
  m_nameMap.reserve(count);
  for (DWORD i = 0; i < count;) {
    CCoffSymbTableEntry* entry = new CCoffSymbTableEntry;
    if (!ReadSymbol((int)i, file, entry)) {
      delete entry;
      return 0;
    }
    int index = m_symbols.Add(entry);
    ++i;
    if (entry->m_wType != 0) {
      if (entry->m_byClass == COFF_C_LABEL || entry->m_byClass == COFF_C_EXT || entry->m_byClass == COFF_C_STAT)
        m_addressMap[(WORD)entry->m_dwValue] = entry;
      m_nameMap[entry->m_strName.str()] = index;
    }
    if (entry->m_byAuxCount == 1) {
      if (i >= count) return 0;  // the announced entry is missing
      DWORD kind = 0;
      for (int j = 0; j < 6; ++j) {
        kind |= entry->GetAuxiliaryEntryType(j);
        if (entry->GetDerivedType(j + 1) == 0) break;
      }
      CCoffSymbTableEntry* aux = new CCoffSymbTableEntry;
      aux->m_dwAuxKind = kind;
      if (!ReadSymbol((int)i, file, aux)) {
        delete aux;
        return 0;
      }
      m_symbols.Add(aux);
      ++i;
    }
  }
  return 1;
}

int CMC_CoffFormat::InitFirstAddressesArray() {
  m_textEntries.RemoveAll();
  const int n = m_symbols.GetSize();
  for (int i = 0; i + 1 < n; ++i) {
    CCoffSymbTableEntry* s = m_symbols.GetAt(i);
    CCoffSymbTableEntry* aux = m_symbols.GetAt(i + 1);
    if (s->IsRealSymbol() && s->m_strName == ".text" && aux->m_dwAuxKind != 0 && aux->GetAuxDWord(0) != 0) {
      CTextFileEntry* e = new CTextFileEntry;
      e->m_wStart = (WORD)s->m_dwValue;
      e->m_dwSize = aux->GetAuxDWord(0);
      m_textEntries.Add(e);
    }
  }
  for (int i = 0; i < m_sections.GetSize(); ++i) {
    CCoffSectionHeader* s = m_sections.GetAt(i);
    if (IsLoadableProgramSection(s) && s->m_strName != ".text") {
      CTextFileEntry* e = new CTextFileEntry;
      e->m_wStart = (WORD)s->m_dwPhysicalAddress;
      e->m_dwSize = s->m_dwSize & 0xFFFF;
      m_textEntries.Add(e);
    }
  }
  return 1;
}

// ---- Look-ups --------------------------------------------------------------------------------------

CCoffSectionHeader* CMC_CoffFormat::GetSection(int i) const {
  return i >= 0 && i < m_sections.GetSize() ? m_sections.GetAt(i) : nullptr;
}
CCoffSymbTableEntry* CMC_CoffFormat::GetSymbol(int i) const {
  return i >= 0 && i < m_symbols.GetSize() ? m_symbols.GetAt(i) : nullptr;
}
CTextFileEntry* CMC_CoffFormat::GetTextBlock(int i) const {
  return i >= 0 && i < m_textEntries.GetSize() ? m_textEntries.GetAt(i) : nullptr;
}

CCoffSectionHeader* CMC_CoffFormat::SectionOfSymbol(const CCoffSymbTableEntry* symbol) const {
  if (!symbol || symbol->m_nSection < 1) return nullptr;
  return GetSection(symbol->m_nSection - 1);
}

CCoffSymbTableEntry* CMC_CoffFormat::GetSymbolWithName(const char* name) const {
  if (!name) return nullptr;
  auto it = m_nameMap.find(name);
  return it == m_nameMap.end() ? nullptr : GetSymbol(it->second);
}

int CMC_CoffFormat::GetIdxSymbolWithName(const char* name) const {
  if (!name) return -1;
  const int n = m_symbols.GetSize();
  for (int i = 0; i < n;) {
    CCoffSymbTableEntry* s = m_symbols.GetAt(i);
    if (!s->IsRealSymbol()) {
      ++i;
      continue;
    }
    if (s->m_byClass == COFF_C_STRTAG || s->m_byClass == COFF_C_UNTAG || s->m_byClass == COFF_C_ENTAG) {
      CCoffSymbTableEntry* aux = GetSymbol(i + 1);
      DWORD next = aux && !aux->IsRealSymbol() ? aux->GetAuxDWord(3) : 0;
      // A jump must go forward, or the walk could circle.
      i = next > (DWORD)i + 1 && next <= (DWORD)n ? (int)next : i + 1;
      continue;
    }
    if (s->m_nSection > 0 && s->m_strName == name) return i;
    ++i;
  }
  return -1;
}

CString CMC_CoffFormat::GetSymbolWithAddress(WORD address) const {
  auto it = m_addressMap.find(address);
  if (it == m_addressMap.end()) return CString();
  const CCoffSymbTableEntry* s = it->second;
  if (s->m_nSection <= 0 || (s->m_byClass != COFF_C_EXT && s->m_byClass != COFF_C_LABEL)) return CString();
  const CCoffSectionHeader* section = SectionOfSymbol(s);
  if (!section || section->m_dwPhysicalAddress != section->m_dwVirtualAddress) return CString();
  return s->m_strName;
}

CString CMC_CoffFormat::GetLabelWithAddress(WORD address) const {
  auto it = m_addressMap.find(address);
  if (it == m_addressMap.end()) return CString();
  const CCoffSymbTableEntry* s = it->second;
  if (s->m_nSection <= 0 || GetSectionFromAddress(address) != s->m_nSection) return CString();
  if (s->m_byClass != COFF_C_LABEL && s->m_byClass != COFF_C_EXT && s->m_byClass != COFF_C_STAT) return CString();
  return s->m_strName;
}

CString CMC_CoffFormat::GetDMASymbol(WORD offset, WORD page) const {
  auto it = m_addressMap.find((WORD)(page * 128 + offset));
  if (it == m_addressMap.end()) return CString();
  const CCoffSymbTableEntry* s = it->second;
  return s->m_nSection >= 1 || s->m_nSection == -1 ? s->m_strName : CString();
}

int CMC_CoffFormat::GetSectionFromAddress(WORD address) const {
  for (int i = 0; i < m_sections.GetSize(); ++i) {
    const CCoffSectionHeader* s = m_sections.GetAt(i);
    if (s->m_dwSize != 0 && address >= s->m_dwPhysicalAddress &&
        (ULONGLONG)address < (ULONGLONG)s->m_dwPhysicalAddress + s->m_dwSize)
      return i + 1;
  }
  return 0;
}

CCoffSectionHeader* CMC_CoffFormat::GetTextSection() const {
  for (int i = 0; i < m_sections.GetSize(); ++i)
    if (m_sections.GetAt(i)->m_strName == ".text") return m_sections.GetAt(i);
  return nullptr;
}

CCoffSectionHeader* CMC_CoffFormat::GetFirstTextSection() const {
  CCoffSectionHeader* best = nullptr;
  for (int i = 0; i < m_sections.GetSize(); ++i) {
    CCoffSectionHeader* s = m_sections.GetAt(i);
    if (IsLoadableProgramSection(s) && (!best || s->m_dwPhysicalAddress < best->m_dwPhysicalAddress)) best = s;
  }
  return best;
}

CCoffSectionHeader* CMC_CoffFormat::GetNextTextSection(CCoffSectionHeader* section) const {
  if (!section) return nullptr;
  CCoffSectionHeader* best = nullptr;
  for (int i = 0; i < m_sections.GetSize(); ++i) {
    CCoffSectionHeader* s = m_sections.GetAt(i);
    if (IsLoadableProgramSection(s) && s->m_dwPhysicalAddress > section->m_dwPhysicalAddress &&
        (!best || s->m_dwPhysicalAddress < best->m_dwPhysicalAddress))
      best = s;
  }
  return best;
}

CTextFileEntry* CMC_CoffFormat::GetTextFromAddress(WORD address) const {
  for (int i = 0; i < m_textEntries.GetSize(); ++i) {
    CTextFileEntry* e = m_textEntries.GetAt(i);
    if (address >= e->m_wStart && (DWORD)address < (DWORD)e->m_wStart + e->m_dwSize) return e;
  }
  return nullptr;
}

CTextFileEntry* CMC_CoffFormat::GetNextTextFromAddress(WORD address) const {
  CTextFileEntry* best = nullptr;
  for (int i = 0; i < m_textEntries.GetSize(); ++i) {
    CTextFileEntry* e = m_textEntries.GetAt(i);
    if (e->m_wStart > address && (!best || e->m_wStart < best->m_wStart)) best = e;
  }
  return best;
}

tagVarType CMC_CoffFormat::BasicTypeToVarType(int basicType) {
  switch (basicType) {
    case 1: case 2: case 3: case 4: return VAR_INT;
    case 5: return VAR_LONG;
    case 6: return VAR_FIXED;
    case 7: return VAR_DOUBLE;
    case 12: case 13: case 14: return VAR_UINT;
    case 15: return VAR_ULONG;
    default: return VAR_INVALID;
  }
}

int CMC_CoffFormat::LocateVariable(const char* name, WORD& address, tagVarType& type) const {
  address = 0;
  type = VAR_INVALID;
  if (!name) return 0;
  CString key(name);
  key.MakeUpper();
  int half = 0;  // 1 low word, 2 high word
  if (key.GetLength() > 3) {
    if (key.Right(3) == "(L)") half = 1;
    if (key.Right(3) == "(H)") half = 2;
    if (half) key = key.Left(key.GetLength() - 3);
  }
  const CCoffSymbTableEntry* s = GetSymbolWithName(key);
  if (!s || (s->m_wType >> 4) != 0 || !IsSimpleType(s->GetBasicType())) return 0;
  const CCoffSectionHeader* section = SectionOfSymbol(s);
  if (!section || !section->IsInDataMemory()) return 0;
  const WORD at = (WORD)s->m_dwValue;
  if (at == 0) return 0;  // address 0 holds no program variable
  tagVarType t = VAR_INVALID;
  WORD offset = 0;
  const int b = s->GetBasicType();
  if (half == 0) {
    t = BasicTypeToVarType(b);
  } else if (b == 5) {
    t = VAR_INT;
    offset = half == 2;
  } else if (b == 6) {
    t = half == 1 ? VAR_UINT : VAR_INT;
    offset = half == 2;
  } else if (b == 15) {
    t = VAR_UINT;
    offset = half == 2;
  }
  if (t == VAR_INVALID) return 0;
  address = (WORD)(at + offset);
  type = t;
  return 1;
}

WORD CMC_CoffFormat::LocateLabel(const char* name) const {
  if (!name) return 0;
  CString key(name);
  key.MakeUpper();
  const CCoffSymbTableEntry* s = GetSymbolWithName(key);
  if (!s || (s->m_wType >> 4) != 0 || !IsSimpleType(s->GetBasicType())) return 0;
  if (s->m_nSection > 0) {
    const CCoffSectionHeader* section = SectionOfSymbol(s);
    if (!section || section->IsInDataMemory()) return 0;
  }
  return (WORD)s->m_dwValue;
}

int CMC_CoffFormat::ReadSectionData(const char* name, WORD*& words, int& count) const {
  words = nullptr;
  count = 0;
  if (m_strFileName.IsEmpty() || m_sections.GetSize() == 0 || !name) return 0;
  const CCoffSectionHeader* section = nullptr;
  const int n = std::min<int>(m_fileHeader.m_wSectionCount, m_sections.GetSize());
  for (int i = 0; i < n && !section; ++i)
    if (m_sections.GetAt(i)->m_strName == name) section = m_sections.GetAt(i);
  if (!section || section->m_dwSize < 1 || section->m_dwSize > 0x7FFFFFFF) return 0;
  CWordArray data;
  if ((DWORD)section->GetRawData(&data, m_strFileName) != section->m_dwSize) return 0;
  words = new WORD[section->m_dwSize];
  std::memcpy(words, data.GetData(), section->m_dwSize * sizeof(WORD));
  count = (int)section->m_dwSize;
  return 1;
}

int CMC_CoffFormat::GetRawData(CWordArray* words, WORD address, int flag) const {
  const CCoffSectionHeader* text = GetTextSection();
  if (!flag) return text ? text->GetRawData(words, m_strFileName) : 0;
  const CTextFileEntry* block = GetTextFromAddress(address);
  if (!block) return 0;
  // The block's words lie in the program section that holds it; ".text" blocks are in ".text".
  const CCoffSectionHeader* holder = nullptr;
  for (int i = 0; i < m_sections.GetSize() && !holder; ++i) {
    const CCoffSectionHeader* s = m_sections.GetAt(i);
    if (IsLoadableProgramSection(s) && s->m_dwRawDataOffset != 0 && block->m_wStart >= s->m_dwPhysicalAddress &&
        (ULONGLONG)block->m_wStart + block->m_dwSize <= (ULONGLONG)s->m_dwPhysicalAddress + s->m_dwSize)
      holder = s;
  }
  if (!holder) return 0;
  CCoffSectionHeader part;
  part.m_dwSize = block->m_dwSize;
  part.m_dwRawDataOffset = holder->m_dwRawDataOffset + 2 * (block->m_wStart - holder->m_dwPhysicalAddress);
  return part.GetRawData(words, m_strFileName);
}

// ---- Formats --------------------------------------------------------------------------------------

CString CMC_CoffFormat::GetFormatName(int flag) {
  if (flag == 0) return "label";
  for (const FormatEntry& f : kFormats)
    if (f.flag == flag) return f.name;
  return "?";
}

int CMC_CoffFormat::GetFormatFlagType(const char* name) {
  if (name)
    for (const FormatEntry& f : kFormats)
      if (std::strcmp(f.name, name) == 0) return f.flag;
  return 128;
}

void CMC_CoffFormat::GetFormatList(CString& text) {
  text.Empty();
  for (const FormatEntry& f : kFormats) {
    if (!text.IsEmpty()) text += "\n";
    text += f.name;
  }
}

// ---- Lists and exports ----------------------------------------------------------------------------

bool CMC_CoffFormat::IsListedVariable(const CCoffSymbTableEntry* s, bool allPages) const {
  if (!s->IsRealSymbol() || s->m_nSection < 1) return false;
  const CCoffSectionHeader* section = SectionOfSymbol(s);
  if (!section || section->IsCode() || (!allPages && !section->IsInDataMemory())) return false;
  if (s->m_byClass != COFF_C_EXT && s->m_byClass != COFF_C_STAT) return false;
  return IsSimpleType(s->m_wType);
}

void CMC_CoffFormat::FillSimpleVarsChoiceList(CString& text, int allPages, int reset) const {
  if (reset) text.Empty();
  for (int i = 0; i < m_symbols.GetSize(); ++i) {
    const CCoffSymbTableEntry* s = m_symbols.GetAt(i);
    if (!IsListedVariable(s, allPages != 0)) continue;
    if (!text.IsEmpty()) text += "\n";
    text += s->m_strName;
  }
}

int CMC_CoffFormat::WriteLines(FILE* file, const CString& text) const {
  if (!file) return 0;
  if (text.IsEmpty()) return 1;
  errno = 0;
  if (std::fwrite(text.GetString(), 1, (size_t)text.GetLength(), file) == (size_t)text.GetLength() &&
      std::fflush(file) == 0)
    return 1;
  SetLastErrorFromErrno(errno ? errno : EIO);
  if (g_bShowErrors) ShowLastError(MB_ICONEXCLAMATION);
  return 0;
}

int CMC_CoffFormat::AppendVarsDefToFile(FILE* file) const {
  CString out;
  for (int i = 0; i < m_symbols.GetSize(); ++i) {
    const CCoffSymbTableEntry* s = m_symbols.GetAt(i);
    if (!IsListedVariable(s, false)) continue;
    CString line;
    line.Format("%s\t%s\t@0x%04hX\r\n", GetTypeName(BasicTypeToVarType(s->GetBasicType())), s->m_strName.GetString(),
                (WORD)s->m_dwValue);
    out += line;
  }
  return WriteLines(file, out);
}

int CMC_CoffFormat::AppendLabelsDefToFile(FILE* file) const {
  CString out;
  for (int i = 0; i < m_symbols.GetSize(); ++i) {
    const CCoffSymbTableEntry* s = m_symbols.GetAt(i);
    if (!IsListedVariable(s, false)) continue;
    CString line;
    line.Format("%s\t@0x%04hX\r\n", s->m_strName.GetString(), (WORD)s->m_dwValue);
    out += line;
  }
  return WriteLines(file, out);
}

int CMC_CoffFormat::AppendSymbolsToVariablesCfgFile(FILE* file) const {
  CString out;
  for (int i = 0; i < m_symbols.GetSize(); ++i) {
    const CCoffSymbTableEntry* s = m_symbols.GetAt(i);
    if (!s->IsRealSymbol() || (s->m_wType >> 4) != 0 || !IsSimpleType(s->GetBasicType()) || s->m_nSection < 1)
      continue;
    const CCoffSectionHeader* section = SectionOfSymbol(s);
    if (!section) continue;
    CString line;
    if (section->IsInDataMemory())
      line.Format("%s\t%s\t@0x%04hX\r\n", GetTypeName(BasicTypeToVarType(s->GetBasicType())),
                  s->m_strName.GetString(), (WORD)s->m_dwValue);
    else
      line.Format("LABEL\t%s\t@0x%04hX\r\n", s->m_strName.GetString(), (WORD)s->m_dwValue);
    out += line;
  }
  return WriteLines(file, out);
}

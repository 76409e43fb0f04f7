#include "suite/coff/CoffWriter.h"

#include <cstdio>
#include <cstring>

namespace coff {

namespace {

void Put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back((uint8_t)v);
  out.push_back((uint8_t)(v >> 8));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, (uint16_t)v);
  Put16(out, (uint16_t)(v >> 16));
}
void PutName8(std::vector<uint8_t>& out, const std::string& name) {
  for (size_t i = 0; i < 8; ++i) out.push_back(i < name.size() ? (uint8_t)name[i] : 0);
}
uint32_t SectionSize(const Section& s) { return s.size >= 0 ? (uint32_t)s.size : (uint32_t)s.words.size(); }

}  // namespace

AuxEntry MakeAux(uint32_t first, uint32_t fourth) {
  AuxEntry a{};
  for (int i = 0; i < 4; ++i) {
    a[i] = (uint8_t)(first >> (8 * i));
    a[12 + i] = (uint8_t)(fourth >> (8 * i));
  }
  return a;
}

int Writer::AddSection(const Section& section) {
  m_sections.push_back(section);
  return (int)m_sections.size();
}

uint32_t Writer::AddSymbol(const Symbol& symbol) {
  uint32_t index = m_entries;
  m_symbols.push_back(symbol);
  m_entries += 1 + (uint32_t)symbol.aux.size();
  return index;
}

uint32_t Writer::AddVariable(const std::string& name, uint16_t address, int16_t section, uint16_t type,
                             uint8_t storageClass) {
  Symbol s;
  s.name = name;
  s.value = address;
  s.section = section;
  s.type = type;
  s.storageClass = storageClass;
  return AddSymbol(s);
}

uint32_t Writer::AddLabel(const std::string& name, uint16_t address, int16_t section, uint16_t type) {
  return AddVariable(name, address, section, type, kClassLabel);
}

std::vector<uint8_t> Writer::Build(Layout* layout) const {
  Layout l;
  const uint32_t headerSize = shortHeader ? 20 : 22;
  // The optional header stands at 22 in both variants, so a short header is followed by two pad bytes.
  l.optionalHeader = 22;
  l.sectionHeaders = optionalHeader ? 22 + 28 : headerSize;
  uint32_t pos = l.sectionHeaders + 40 * (uint32_t)m_sections.size();
  for (const Section& s : m_sections) {
    l.rawData.push_back(s.words.empty() ? 0 : pos);
    pos += 2 * (uint32_t)s.words.size();
  }
  for (const Section& s : m_sections) {
    l.lineNumbers.push_back(s.lines.empty() ? 0 : pos);
    pos += 6 * (uint32_t)s.lines.size();
  }
  l.symbolTable = pos;
  pos += 18 * m_entries;
  l.stringTable = pos;

  std::vector<uint8_t> strings;
  std::vector<uint8_t> out;
  out.reserve(pos + 1024);
  if (shortHeader) {
    Put16(out, targetId);
  } else {
    Put16(out, versionId);
  }
  Put16(out, (uint16_t)m_sections.size());
  Put32(out, timeStamp);
  Put32(out, m_entries ? l.symbolTable : 0);
  Put32(out, m_entries);
  Put16(out, optionalHeader ? 28 : 0);
  Put16(out, flags);
  if (!shortHeader) Put16(out, targetId);
  if (optionalHeader) {
    while (out.size() < 22) out.push_back(0);
    out.insert(out.end(), optionalHeaderBytes.begin(), optionalHeaderBytes.end());
  }
  for (size_t i = 0; i < m_sections.size(); ++i) {
    const Section& s = m_sections[i];
    PutName8(out, s.name);
    Put32(out, s.loadAddress);
    Put32(out, s.runAddress);
    Put32(out, SectionSize(s));
    Put32(out, l.rawData[i]);
    Put32(out, 0);
    Put32(out, l.lineNumbers[i]);
    Put16(out, s.relocationCount);
    Put16(out, (uint16_t)s.lines.size());
    Put16(out, s.flags);
    out.push_back(0);
    out.push_back(s.page);
  }
  for (const Section& s : m_sections)
    for (uint16_t w : s.words) Put16(out, w);
  for (const Section& s : m_sections)
    for (const LineNumber& n : s.lines) {
      Put32(out, n.addressOrSymbol);
      Put16(out, n.line);
    }
  for (const Symbol& s : m_symbols) {
    if (s.name.size() > 8 || s.nameInStringTable) {
      Put32(out, 0);
      Put32(out, 4 + (uint32_t)strings.size());
      strings.insert(strings.end(), s.name.begin(), s.name.end());
      strings.push_back(0);
    } else {
      PutName8(out, s.name);
    }
    Put32(out, s.value);
    Put16(out, (uint16_t)s.section);
    Put16(out, s.type);
    out.push_back(s.storageClass);
    out.push_back((uint8_t)s.aux.size());
    for (const AuxEntry& a : s.aux) out.insert(out.end(), a.begin(), a.end());
  }
  if (stringTable) {
    Put32(out, 4 + (uint32_t)strings.size());
    out.insert(out.end(), strings.begin(), strings.end());
  }
  l.end = (uint32_t)out.size();
  if (layout) *layout = l;
  return out;
}

bool Writer::WriteFile(const std::string& path, Layout* layout) const {
  std::vector<uint8_t> bytes = Build(layout);
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace coff

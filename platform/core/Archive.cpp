#include "platform/core/Archive.h"

#include "platform/core/CodePage.h"

#include <bit>
#include <cstring>

namespace {

constexpr WORD kNullTag = 0;
constexpr WORD kNewClassTag = 0xFFFF;
constexpr WORD kClassTag = 0x8000;
constexpr DWORD kBigClassTag = 0x80000000;
constexpr WORD kBigObjectTag = 0x7FFF;
constexpr DWORD kMaxMapCount = 0x3FFFFFFE;
constexpr WORD kStoredVersionable = 0x8000;

// Byte by byte, so the order is the same on every host; compilers turn these into plain moves.
template <class T>
T FromLittle(const BYTE* p) {
  ULONGLONG v = 0;
  for (size_t i = 0; i < sizeof(T); ++i) v |= (ULONGLONG)p[i] << (8 * i);
  return (T)v;
}

template <class T>
void ToLittle(BYTE* p, T v) {
  for (size_t i = 0; i < sizeof(T); ++i) p[i] = (BYTE)((ULONGLONG)v >> (8 * i));
}

// Windows-1252 for the UTF-16 units a wide string may hold; '?' where the code page has no byte.
char FromUtf16(WORD u) {
  if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) return (char)u;
  for (int b = 0x80; b < 0xA0 && u >= 0x100; ++b)
    if (Cp1252ToWide((BYTE)b) == u) return (char)b;
  return '?';
}

UINT SchemaNumber(const CRuntimeClass* cls) { return cls->m_wSchema & ~(UINT)VERSIONABLE_SCHEMA; }
bool IsVersionable(const CRuntimeClass* cls) { return (cls->m_wSchema & VERSIONABLE_SCHEMA) != 0; }
bool IsSerial(const CRuntimeClass* cls) { return cls->m_wSchema != 0xFFFF; }

}  // namespace

CArchive::CArchive(CFile* file, UINT mode, int bufSize, void*) : m_pFile(file), m_nMode(mode) {
  if (!file) AfxThrowInvalidArgException();
  m_strFileName = file->GetFilePath();
  // A caller's buffer is not used: ours has the same size and the same behaviour.
  m_buf.resize(bufSize < 128 ? 128 : (size_t)bufSize);
  m_loadArray.push_back(LoadEntry{nullptr, false});
}

CArchive::~CArchive() {
  if (m_pFile && !(m_nMode & bNoFlushOnDelete)) {
    try {
      Close();
    } catch (CException* e) {
      e->Delete();
    }
  }
}

void CArchive::CheckLoading() {
  if (!m_pFile) AfxThrowArchiveException(CArchiveException::genericException, m_strFileName);
  if (IsStoring()) AfxThrowArchiveException(CArchiveException::writeOnly, m_strFileName);
}

void CArchive::CheckStoring() {
  if (!m_pFile) AfxThrowArchiveException(CArchiveException::genericException, m_strFileName);
  if (IsLoading()) AfxThrowArchiveException(CArchiveException::readOnly, m_strFileName);
}

UINT CArchive::GetObjectSchema() {
  UINT s = m_nObjectSchema;
  m_nObjectSchema = (UINT)-1;
  return s;
}

// ---------------------------------------------------------------------------------------------------------
// Buffering

void CArchive::Need(size_t count) {
  if (m_cur + count <= m_end) return;  // never true while storing: m_end stays 0
  CheckLoading();
  if (m_cur > 0) {
    memmove(m_buf.data(), m_buf.data() + m_cur, m_end - m_cur);
    m_end -= m_cur;
    m_cur = 0;
  }
  while (m_end < count) {
    UINT n = m_pFile->Read(m_buf.data() + m_end, (UINT)(m_buf.size() - m_end));
    if (n == 0) AfxThrowArchiveException(CArchiveException::endOfFile, m_strFileName);
    m_end += n;
  }
}

void CArchive::Room(size_t count) {
  if (m_buf.size() - m_cur >= count && m_pFile && IsStoring()) return;
  CheckStoring();
  Flush();
}

int CArchive::PeekByte() {
  if (m_cur == m_end) {
    CheckLoading();
    m_cur = m_end = 0;
    m_end = m_pFile->Read(m_buf.data(), (UINT)m_buf.size());
    if (m_end == 0) return -1;
  }
  return m_buf[m_cur];
}

UINT CArchive::Read(void* buf, UINT count) {
  CheckLoading();
  if (count == 0) return 0;
  if (!buf) AfxThrowInvalidArgException();
  BYTE* out = static_cast<BYTE*>(buf);
  size_t done = 0;
  while (done < count) {
    size_t avail = m_end - m_cur;
    if (avail) {
      size_t n = avail < count - done ? avail : count - done;
      memcpy(out + done, m_buf.data() + m_cur, n);
      m_cur += n;
      done += n;
      continue;
    }
    m_cur = m_end = 0;
    if (count - done >= m_buf.size()) {
      UINT n = m_pFile->Read(out + done, (UINT)(count - done));
      if (n == 0) break;
      done += n;
    } else {
      m_end = m_pFile->Read(m_buf.data(), (UINT)m_buf.size());
      if (m_end == 0) break;
    }
  }
  return (UINT)done;
}

void CArchive::Write(const void* buf, UINT count) {
  CheckStoring();
  if (count == 0) return;
  if (!buf) AfxThrowInvalidArgException();
  const BYTE* in = static_cast<const BYTE*>(buf);
  if (m_buf.size() - m_cur >= count) {
    memcpy(m_buf.data() + m_cur, in, count);
    m_cur += count;
    return;
  }
  Flush();
  if (count >= m_buf.size()) {
    m_pFile->Write(in, count);
  } else {
    memcpy(m_buf.data(), in, count);
    m_cur = count;
  }
}

void CArchive::Flush() {
  if (!m_pFile) return;
  if (IsStoring()) {
    if (m_cur) {
      size_t n = m_cur;
      m_cur = 0;
      m_pFile->Write(m_buf.data(), (UINT)n);
    }
  } else if (m_end > m_cur) {
    // Give back what was read ahead, so the file stands just after what was used.
    LONGLONG back = (LONGLONG)(m_end - m_cur);
    m_cur = m_end = 0;
    try {
      m_pFile->Seek(-back, CFile::current);
    } catch (CException* e) {
      e->Delete();
    }
  }
}

void CArchive::Close() {
  if (!m_pFile) return;
  try {
    Flush();
  } catch (...) {
    m_pFile = nullptr;
    throw;
  }
  m_pFile = nullptr;
}

void CArchive::Abort() {
  m_pFile = nullptr;
  m_cur = m_end = 0;
}

// ---------------------------------------------------------------------------------------------------------
// Numbers

CArchive& CArchive::operator<<(BYTE v) {
  Room(1);
  m_buf[m_cur++] = v;
  return *this;
}
CArchive& CArchive::operator<<(WORD v) {
  Room(2);
  ToLittle(&m_buf[m_cur], v);
  m_cur += 2;
  return *this;
}
CArchive& CArchive::operator<<(DWORD v) {
  Room(4);
  ToLittle(&m_buf[m_cur], v);
  m_cur += 4;
  return *this;
}
CArchive& CArchive::operator<<(ULONGLONG v) {
  Room(8);
  ToLittle(&m_buf[m_cur], v);
  m_cur += 8;
  return *this;
}
CArchive& CArchive::operator<<(float v) { return *this << std::bit_cast<DWORD>(v); }
CArchive& CArchive::operator<<(double v) { return *this << std::bit_cast<ULONGLONG>(v); }

CArchive& CArchive::operator>>(BYTE& v) {
  Need(1);
  v = m_buf[m_cur++];
  return *this;
}
CArchive& CArchive::operator>>(WORD& v) {
  Need(2);
  v = FromLittle<WORD>(&m_buf[m_cur]);
  m_cur += 2;
  return *this;
}
CArchive& CArchive::operator>>(DWORD& v) {
  Need(4);
  v = FromLittle<DWORD>(&m_buf[m_cur]);
  m_cur += 4;
  return *this;
}
CArchive& CArchive::operator>>(ULONGLONG& v) {
  Need(8);
  v = FromLittle<ULONGLONG>(&m_buf[m_cur]);
  m_cur += 8;
  return *this;
}
CArchive& CArchive::operator>>(float& v) {
  DWORD d;
  *this >> d;
  v = std::bit_cast<float>(d);
  return *this;
}
CArchive& CArchive::operator>>(double& v) {
  ULONGLONG d;
  *this >> d;
  v = std::bit_cast<double>(d);
  return *this;
}

void CArchive::WriteCount(DWORD_PTR count) {
  // Counts are 32-bit in the format; (DWORD_PTR)-1 is stored as 0xFFFF 0xFFFFFFFF.
  DWORD c = (DWORD)count;
  if (c < 0xFFFF) {
    *this << (WORD)c;
  } else {
    *this << (WORD)0xFFFF;
    *this << c;
  }
}

DWORD_PTR CArchive::ReadCount() {
  WORD w;
  *this >> w;
  if (w != 0xFFFF) return w;
  DWORD d;
  *this >> d;
  return d;
}

// ---------------------------------------------------------------------------------------------------------
// Strings

CArchive& CArchive::operator<<(const CString& s) {
  CheckStoring();
  DWORD len = (DWORD)s.GetLength();
  if (len < 0xFF) {
    *this << (BYTE)len;
  } else if (len < 0xFFFE) {
    *this << (BYTE)0xFF;
    *this << (WORD)len;
  } else {
    *this << (BYTE)0xFF;
    *this << (WORD)0xFFFF;
    *this << len;
  }
  Write(s.GetString(), len);
  return *this;
}

CArchive& CArchive::operator>>(CString& s) {
  CheckLoading();
  bool wide = false;
  ULONGLONG len;
  for (;;) {
    BYTE b;
    *this >> b;
    if (b < 0xFF) {
      len = b;
      break;
    }
    WORD w;
    *this >> w;
    if (w == 0xFFFE) {
      // A marker: the characters are 16-bit; the length follows.
      if (wide) AfxThrowArchiveException(CArchiveException::badIndex, m_strFileName);
      wide = true;
      continue;
    }
    if (w < 0xFFFF) {
      len = w;
      break;
    }
    DWORD d;
    *this >> d;
    if (d < 0xFFFFFFFF) {
      len = d;
      break;
    }
    *this >> len;
    break;
  }
  // Read in pieces, so a corrupt length ends at the end of the file instead of in a huge allocation.
  std::string text;
  ULONGLONG unit = wide ? 2 : 1;
  if (len > (ULONGLONG)0x7FFFFFFF / unit) AfxThrowArchiveException(CArchiveException::badIndex, m_strFileName);
  ULONGLONG bytes = len * unit;
  std::vector<BYTE> piece;
  while (bytes > 0) {
    UINT n = bytes > 65536 ? 65536u : (UINT)bytes;
    piece.resize(n);
    if (Read(piece.data(), n) != n) AfxThrowArchiveException(CArchiveException::endOfFile, m_strFileName);
    if (wide) {
      for (UINT i = 0; i + 1 < n; i += 2) text.push_back(FromUtf16(FromLittle<WORD>(&piece[i])));
    } else {
      text.append(reinterpret_cast<const char*>(piece.data()), n);
    }
    bytes -= n;
  }
  s = CString(std::move(text));
  return *this;
}

void CArchive::WriteString(LPCTSTR text) {
  if (!text) AfxThrowInvalidArgException();
  Write(text, (UINT)strlen(text));
}

BOOL CArchive::ReadString(CString& line) {
  CheckLoading();
  std::string& s = line.str();
  s.clear();
  int c = PeekByte();
  if (c < 0) return FALSE;
  while ((c = PeekByte()) >= 0) {
    ++m_cur;
    if (c == '\n') break;
    s.push_back((char)c);
  }
  if (!s.empty() && s.back() == '\r') s.pop_back();
  return TRUE;
}

LPTSTR CArchive::ReadString(LPTSTR buf, UINT max) {
  CheckLoading();
  if (!buf || max == 0) AfxThrowInvalidArgException();
  if (PeekByte() < 0) {
    buf[0] = 0;
    return nullptr;
  }
  UINT n = 0;
  int c;
  while (n + 1 < max && (c = PeekByte()) >= 0) {
    ++m_cur;
    if (c == '\n') break;
    buf[n++] = (char)c;
  }
  if (n > 0 && buf[n - 1] == '\r') --n;
  buf[n] = 0;
  return buf;
}

// ---------------------------------------------------------------------------------------------------------
// Objects

DWORD CArchive::NextIndex() {
  if (m_nMapCount >= kMaxMapCount) AfxThrowArchiveException(CArchiveException::badIndex, m_strFileName);
  return m_nMapCount++;
}

void CArchive::WriteIndex(DWORD index, WORD smallMask, DWORD bigMask) {
  if (index < kBigObjectTag) {
    *this << (WORD)(smallMask | index);
  } else {
    *this << kBigObjectTag;
    *this << (DWORD)(bigMask | index);
  }
}

void CArchive::WriteClass(const CRuntimeClass* cls) {
  CheckStoring();
  if (!cls) AfxThrowInvalidArgException();
  if (!IsSerial(cls)) AfxThrowNotSupportedException();
  auto it = m_storeMap.find(cls);
  if (it != m_storeMap.end()) {
    WriteIndex(it->second, kClassTag, kBigClassTag);
    return;
  }
  *this << kNewClassTag;
  // The stored word is the plain schema number: the framework's readers compare it whole, so a
  // flag in it would make every versionable object look newer than its class.
  WORD schema = (WORD)(SchemaNumber(cls) & 0x7FFF);
  size_t len = strlen(cls->m_lpszClassName);
  if (len > 0xFFFF) AfxThrowNotSupportedException();
  *this << schema;
  *this << (WORD)len;
  Write(cls->m_lpszClassName, (UINT)len);
  m_storeMap[cls] = NextIndex();
}

void CArchive::WriteObject(const CObject* obj) {
  CheckStoring();
  if (!obj) {
    *this << kNullTag;
    return;
  }
  auto it = m_storeMap.find(obj);
  if (it != m_storeMap.end()) {
    WriteIndex(it->second, 0, 0);
    return;
  }
  WriteClass(obj->GetRuntimeClass());
  m_storeMap[obj] = NextIndex();
  const_cast<CObject*>(obj)->Serialize(*this);
}

void CArchive::MapObject(const CObject* obj) {
  if (!m_pFile) AfxThrowArchiveException(CArchiveException::genericException, m_strFileName);
  if (IsStoring()) {
    if (obj && m_storeMap.find(obj) == m_storeMap.end()) m_storeMap[obj] = NextIndex();
  } else {
    NextIndex();
    m_loadArray.push_back(LoadEntry{const_cast<CObject*>(obj), false});
  }
}

CRuntimeClass* CArchive::ReadClass(const CRuntimeClass* requested, UINT* schemaOut, DWORD* obTagOut) {
  CheckLoading();
  if (requested && !IsSerial(requested)) AfxThrowNotSupportedException();
  WORD tag;
  *this >> tag;
  DWORD obTag;
  if (tag == kBigObjectTag) {
    *this >> obTag;
  } else {
    obTag = ((DWORD)(tag & kClassTag) << 16) | (tag & ~kClassTag);
  }
  if (!(obTag & kBigClassTag)) {
    if (!obTagOut) AfxThrowArchiveException(CArchiveException::badIndex, m_strFileName);
    *obTagOut = obTag;
    return nullptr;
  }

  CRuntimeClass* cls;
  UINT schema;
  if (tag == kNewClassTag) {
    WORD stored, len;
    *this >> stored >> len;
    std::string name(len, '\0');
    if (Read(name.data(), len) != len) AfxThrowArchiveException(CArchiveException::endOfFile, m_strFileName);
    cls = CRuntimeClass::FromName(name.c_str());
    if (!cls || !IsSerial(cls) || name.size() != strlen(name.c_str()))
      AfxThrowArchiveException(CArchiveException::badClass, m_strFileName);
    // Some writers set the versionable bit in the stored schema; the number is what counts.
    schema = stored & ~kStoredVersionable;
    if (schema != SchemaNumber(cls)) {
      if (!IsVersionable(cls)) AfxThrowArchiveException(CArchiveException::badSchema, m_strFileName);
      m_schemaMap[cls] = schema;
    }
    NextIndex();
    m_loadArray.push_back(LoadEntry{cls, true});
  } else {
    DWORD index = obTag & ~kBigClassTag;
    if (index == 0 || index >= m_loadArray.size() || !m_loadArray[index].isClass)
      AfxThrowArchiveException(CArchiveException::badIndex, m_strFileName);
    cls = static_cast<CRuntimeClass*>(m_loadArray[index].p);
    auto it = m_schemaMap.find(cls);
    schema = it != m_schemaMap.end() ? it->second : SchemaNumber(cls);
  }
  if (requested && !cls->IsDerivedFrom(requested)) AfxThrowArchiveException(CArchiveException::badClass, m_strFileName);
  if (schemaOut)
    *schemaOut = schema;
  else
    m_nObjectSchema = schema;
  return cls;
}

CObject* CArchive::ReadObject(const CRuntimeClass* requested) {
  CheckLoading();
  UINT schema = 0;
  DWORD obTag = 0;
  CRuntimeClass* cls = ReadClass(requested, &schema, &obTag);
  if (!cls) {
    if (obTag >= m_loadArray.size() || m_loadArray[obTag].isClass)
      AfxThrowArchiveException(CArchiveException::badIndex, m_strFileName);
    CObject* obj = static_cast<CObject*>(m_loadArray[obTag].p);
    if (obj && requested && !obj->IsKindOf(requested))
      AfxThrowArchiveException(CArchiveException::badClass, m_strFileName);
    return obj;
  }
  CObject* obj = cls->CreateObject();
  if (!obj) AfxThrowArchiveException(CArchiveException::badClass, m_strFileName);
  size_t slot = m_loadArray.size();
  try {
    NextIndex();
  } catch (...) {
    delete obj;
    throw;
  }
  m_loadArray.push_back(LoadEntry{obj, false});
  UINT saved = m_nObjectSchema;
  m_nObjectSchema = schema;
  try {
    obj->Serialize(*this);
  } catch (...) {
    // The half-read object is nobody's yet: free it and forget it.
    m_loadArray[slot].p = nullptr;
    delete obj;
    m_nObjectSchema = saved;
    throw;
  }
  m_nObjectSchema = saved;
  return obj;
}

CObject* CArchive::ReadNewObject(const CRuntimeClass* requested) {
  const size_t before = m_loadArray.size();
  CObject* obj = ReadObject(requested);
  if (obj && m_loadArray.size() == before) AfxThrowArchiveException(CArchiveException::badIndex, m_strFileName);
  return obj;
}

void CArchive::SerializeClass(const CRuntimeClass* cls) {
  if (IsStoring())
    WriteClass(cls);
  else
    ReadClass(cls);
}

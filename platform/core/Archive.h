// CArchive: the framework's binary archive over a CFile, byte for byte, little-endian on every host.
#pragma once

#include "platform/core/Exception.h"
#include "platform/core/File.h"
#include "platform/core/Object.h"
#include "platform/core/String.h"

#include <unordered_map>
#include <vector>

class CDocument;

class CArchive {
 public:
  enum Mode { store = 0, load = 1, bNoFlushOnDelete = 2, bNoByteSwap = 4 };

  CArchive(CFile* file, UINT mode, int bufSize = 4096, void* buf = nullptr);
  ~CArchive();
  CArchive(const CArchive&) = delete;
  CArchive& operator=(const CArchive&) = delete;

  BOOL IsLoading() const { return (m_nMode & load) != 0; }
  BOOL IsStoring() const { return (m_nMode & load) == 0; }
  BOOL IsByteSwapping() const { return FALSE; }
  BOOL IsBufferEmpty() const { return m_cur >= m_end; }
  CFile* GetFile() const { return m_pFile; }

  // The schema of the object being read (or of the class just read by SerializeClass); reading it
  // resets it to (UINT)-1.
  UINT GetObjectSchema();
  void SetObjectSchema(UINT schema) { m_nObjectSchema = schema; }

  // Raw bytes. Read returns fewer at the end of the file and does not throw.
  UINT Read(void* buf, UINT count);
  void Write(const void* buf, UINT count);
  void Flush();
  void Close();
  void Abort();

  // Text lines: WriteString writes the bytes without a terminator; ReadString stops after LF and
  // returns the line without CR LF, FALSE / nullptr at the end of the file.
  void WriteString(LPCTSTR text);
  BOOL ReadString(CString& line);
  LPTSTR ReadString(LPTSTR buf, UINT max);

  // Element counts: a WORD below 0xFFFF, else 0xFFFF and a DWORD.
  void WriteCount(DWORD_PTR count);
  DWORD_PTR ReadCount();

  // Objects and classes with the framework's tags.
  void WriteObject(const CObject* obj);
  CObject* ReadObject(const CRuntimeClass* requested);
  // An object for the caller to own: null or one read anew. A back-reference names an object that
  // something read earlier owns, and throws badIndex.
  CObject* ReadNewObject(const CRuntimeClass* requested);
  void WriteClass(const CRuntimeClass* cls);
  CRuntimeClass* ReadClass(const CRuntimeClass* requested = nullptr, UINT* schema = nullptr, DWORD* obTag = nullptr);
  void SerializeClass(const CRuntimeClass* cls);
  // Enters an object in the archive's map without writing it, so later references point to it.
  void MapObject(const CObject* obj);
  // Entries of the load map so far: ReadObject adds one for a new object, none for a back-reference.
  size_t GetLoadMapSize() const { return m_loadArray.size(); }

  CArchive& operator<<(BYTE v);
  CArchive& operator<<(char v) { return *this << (BYTE)v; }
  CArchive& operator<<(WORD v);
  CArchive& operator<<(short v) { return *this << (WORD)v; }
  CArchive& operator<<(DWORD v);
  CArchive& operator<<(int v) { return *this << (DWORD)v; }  // LONG, BOOL, int: 32 bits
  CArchive& operator<<(ULONGLONG v);
  CArchive& operator<<(LONGLONG v) { return *this << (ULONGLONG)v; }
  CArchive& operator<<(float v);
  CArchive& operator<<(double v);
  CArchive& operator<<(const CString& s);
  CArchive& operator<<(LPCTSTR s) { return *this << CString(s); }
  CArchive& operator<<(const CObject* obj) { WriteObject(obj); return *this; }
  CArchive& operator<<(bool) = delete;  // no archive form: say BYTE or BOOL

  CArchive& operator>>(BYTE& v);
  CArchive& operator>>(char& v) { return *this >> reinterpret_cast<BYTE&>(v); }
  CArchive& operator>>(WORD& v);
  CArchive& operator>>(short& v) { return *this >> reinterpret_cast<WORD&>(v); }
  CArchive& operator>>(DWORD& v);
  CArchive& operator>>(int& v) { return *this >> reinterpret_cast<DWORD&>(v); }
  CArchive& operator>>(ULONGLONG& v);
  CArchive& operator>>(LONGLONG& v) { return *this >> reinterpret_cast<ULONGLONG&>(v); }
  CArchive& operator>>(float& v);
  CArchive& operator>>(double& v);
  CArchive& operator>>(CString& s);
  CArchive& operator>>(CObject*& obj) { obj = ReadObject(nullptr); return *this; }
  CArchive& operator>>(const CObject*& obj) { obj = ReadObject(nullptr); return *this; }
  CArchive& operator>>(bool&) = delete;

  CDocument* m_pDocument = nullptr;
  CString m_strFileName;

 private:
  void CheckLoading();
  void CheckStoring();
  // Makes `count` bytes available at m_cur or throws endOfFile.
  void Need(size_t count);
  // Room for `count` bytes at m_cur when storing.
  void Room(size_t count);
  int PeekByte();  // -1 at the end of the file
  DWORD NextIndex();
  void WriteIndex(DWORD index, WORD smallMask, DWORD bigMask);

  CFile* m_pFile;
  UINT m_nMode;
  std::vector<BYTE> m_buf;
  size_t m_cur = 0;  // next byte to read or write
  size_t m_end = 0;  // loading: bytes in the buffer
  UINT m_nObjectSchema = (UINT)-1;

  // Objects and classes share one numbering, starting at 1 (0 is the null object).
  DWORD m_nMapCount = 1;
  std::unordered_map<const void*, DWORD> m_storeMap;
  struct LoadEntry {
    void* p;
    bool isClass;
  };
  std::vector<LoadEntry> m_loadArray;
  std::unordered_map<const CRuntimeClass*, UINT> m_schemaMap;  // versionable classes stored with another schema
};

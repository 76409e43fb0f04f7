// CFile and its kin: binary files with the framework's open and share modes, text files, memory files.
#pragma once

#include "platform/core/Exception.h"
#include "platform/core/Object.h"
#include "platform/core/String.h"
#include "platform/core/Time.h"

#include <cstdio>

class CSaveBeside;

// The CFileException cause of a Win32 error number (what GetLastError gives).
int FileExceptionCauseOf(DWORD win32Error);

// What GetStatus reports.
struct CFileStatus {
  CTime m_ctime;  // creation (the last status change where the file system keeps no birth time)
  CTime m_mtime;  // last modification
  CTime m_atime;  // last access
  ULONGLONG m_size = 0;
  BYTE m_attribute = 0;  // CFile::Attribute bits
  char m_szFullName[MAX_PATH] = {};
};

class CFile : public CObject {
  DECLARE_DYNAMIC(CFile)
 public:
  enum OpenFlags : UINT {
    modeRead = 0x0000,
    modeWrite = 0x0001,
    modeReadWrite = 0x0002,
    shareCompat = 0x0000,
    shareExclusive = 0x0010,
    shareDenyWrite = 0x0020,
    shareDenyRead = 0x0030,
    shareDenyNone = 0x0040,
    modeNoInherit = 0x0080,
    modeCreate = 0x1000,
    modeNoTruncate = 0x2000,
    typeText = 0x4000,
    typeBinary = 0x8000,
    osNoBuffer = 0x10000,
    osWriteThrough = 0x20000,
    osRandomAccess = 0x40000,
    osSequentialScan = 0x80000,
  };
  enum Attribute : BYTE {
    normal = 0x00,
    readOnly = 0x01,
    hidden = 0x02,
    system = 0x04,
    volume = 0x08,
    directory = 0x10,
    archive = 0x20,
  };
  enum SeekPosition { begin = 0, current = 1, end = 2 };
  static constexpr int hFileNull = -1;

  CFile();
  // Opens at once; throws CFileException on failure.
  CFile(LPCTSTR fileName, UINT openFlags);
  ~CFile() override;
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;

  // FALSE on failure, with the cause in *error when given.
  virtual BOOL Open(LPCTSTR fileName, UINT openFlags, CFileException* error = nullptr);
  // Opens the temporary file of a save beside its target (modeCreate implied), through a duplicate of
  // the descriptor that created it. The file goes by `fileName`, the name the user knows the target
  // by, in its exceptions and in *error too.
  BOOL OpenBeside(const CSaveBeside& save, LPCTSTR fileName, UINT openFlags, CFileException* error = nullptr);
  // Closes the file and puts it in its target's place. A failure of either throws a CFileException
  // naming the file; the temporary file then stays for the save to discard.
  void CommitBeside(CSaveBeside& save);
  virtual UINT Read(void* buf, UINT count);
  virtual void Write(const void* buf, UINT count);
  virtual ULONGLONG Seek(LONGLONG off, UINT from);
  void SeekToBegin() { Seek(0, begin); }
  ULONGLONG SeekToEnd() { return Seek(0, end); }
  virtual ULONGLONG GetLength() const;
  virtual void SetLength(ULONGLONG newLen);
  virtual ULONGLONG GetPosition() const;
  virtual void Flush();
  virtual void Close();
  // Closes without throwing.
  virtual void Abort();
  virtual void LockRange(ULONGLONG pos, ULONGLONG count);
  virtual void UnlockRange(ULONGLONG pos, ULONGLONG count);

  virtual CString GetFilePath() const { return m_strFileName; }
  virtual void SetFilePath(LPCTSTR path) { m_strFileName = path; }
  virtual CString GetFileName() const;
  virtual CString GetFileTitle() const;
  BOOL GetStatus(CFileStatus& status) const;

  static void Remove(LPCTSTR fileName);
  static void Rename(LPCTSTR oldName, LPCTSTR newName);
  static BOOL GetStatus(LPCTSTR fileName, CFileStatus& status);

  int m_hFile;

 protected:
  // Takes `fd`, opened with `openFlags`, as the file `fileName` under the sharing rules (and
  // truncates it for modeCreate); closes it on failure. Open and OpenBeside end here; a class that
  // reads or writes through more than the descriptor builds that here too.
  virtual BOOL OpenDescriptor(int fd, LPCTSTR fileName, UINT openFlags, CFileException* error);
  // Leaves the process's share table; closes nothing.
  void ReleaseShare();
  [[noreturn]] void ThrowErrno(int err) const;

  CString m_strFileName;
  bool m_bCloseOnDelete = false;
  UINT m_nOpenFlags = 0;
  void* m_pShareEntry = nullptr;
};

// A file read and written as text. typeText (the default) turns CR LF into LF on reading and LF into
// CR LF on writing; typeBinary takes the bytes as they are.
class CStdioFile : public CFile {
  DECLARE_DYNAMIC(CStdioFile)
 public:
  CStdioFile();
  CStdioFile(LPCTSTR fileName, UINT openFlags);
  ~CStdioFile() override;

  BOOL Open(LPCTSTR fileName, UINT openFlags, CFileException* error = nullptr) override;
  UINT Read(void* buf, UINT count) override;
  void Write(const void* buf, UINT count) override;
  ULONGLONG Seek(LONGLONG off, UINT from) override;
  ULONGLONG GetLength() const override;
  void SetLength(ULONGLONG newLen) override;
  ULONGLONG GetPosition() const override;
  void Flush() override;
  void Close() override;
  void Abort() override;

  // Writes the text; in text mode each LF becomes CR LF.
  virtual void WriteString(LPCTSTR text);
  // Up to max-1 characters, stopping after a LF that is kept; nullptr at the end of the file.
  virtual LPTSTR ReadString(LPTSTR buf, UINT max);
  // One line without its LF; FALSE at the end of the file.
  virtual BOOL ReadString(CString& line);

  FILE* m_pStream = nullptr;

 protected:
  BOOL OpenDescriptor(int fd, LPCTSTR fileName, UINT openFlags, CFileException* error) override;

 private:
  BOOL OpenStream(LPCTSTR fileName, UINT openFlags, CFileException* error);
  int GetChar();
  bool m_bText = true;
};

// A file in memory that grows by a fixed step, or a fixed buffer attached by the caller.
class CMemFile : public CFile {
  DECLARE_DYNAMIC(CMemFile)
 public:
  explicit CMemFile(UINT growBytes = 1024);
  CMemFile(BYTE* buffer, UINT bufferSize, UINT growBytes = 0);
  ~CMemFile() override;

  // With growBytes 0 the buffer is fixed and its whole size is the file; otherwise the file starts
  // empty and grows (into memory of its own once the attached buffer is full).
  void Attach(BYTE* buffer, UINT bufferSize, UINT growBytes = 0);
  // Hands the buffer to the caller (memory the file allocated is freed with free()) and empties the file.
  BYTE* Detach();

  BOOL Open(LPCTSTR, UINT, CFileException* = nullptr) override { return FALSE; }
  UINT Read(void* buf, UINT count) override;
  void Write(const void* buf, UINT count) override;
  ULONGLONG Seek(LONGLONG off, UINT from) override;
  ULONGLONG GetLength() const override { return m_nFileSize; }
  void SetLength(ULONGLONG newLen) override;
  ULONGLONG GetPosition() const override { return m_nPosition; }
  void Flush() override {}
  void Close() override;
  void Abort() override { Close(); }
  void LockRange(ULONGLONG, ULONGLONG) override;
  void UnlockRange(ULONGLONG, ULONGLONG) override;

 protected:
  void GrowFile(size_t newLen);

  UINT m_nGrowBytes;
  size_t m_nPosition = 0;
  size_t m_nBufferSize = 0;
  size_t m_nFileSize = 0;
  BYTE* m_lpBuffer = nullptr;
  bool m_bAutoDelete = true;
};

#include "platform/core/Exception.h"

#include "platform/core/FileSystem.h"
#include "platform/core/MessageBox.h"

#include <cerrno>
#include <cstring>

IMPLEMENT_DYNAMIC(CException, CObject)
IMPLEMENT_DYNAMIC(CSimpleException, CException)
IMPLEMENT_DYNAMIC(CMemoryException, CSimpleException)
IMPLEMENT_DYNAMIC(CNotSupportedException, CSimpleException)
IMPLEMENT_DYNAMIC(CInvalidArgException, CSimpleException)
IMPLEMENT_DYNAMIC(CResourceException, CSimpleException)
IMPLEMENT_DYNAMIC(CUserException, CSimpleException)
IMPLEMENT_DYNAMIC(CFileException, CException)
IMPLEMENT_DYNAMIC(CArchiveException, CException)

namespace {

BOOL CopyMessage(const CString& text, LPTSTR buf, UINT maxLen) {
  if (!buf || maxLen == 0) return FALSE;
  size_t n = (size_t)text.GetLength();
  if (n >= maxLen) n = maxLen - 1;
  memcpy(buf, text.GetString(), n);
  buf[n] = 0;
  return TRUE;
}

BOOL Message(const char* text, LPTSTR buf, UINT maxLen, UINT* help) {
  if (help) *help = 0;
  return CopyMessage(CString(text), buf, maxLen);
}

}  // namespace

void CException::Delete() {
  if (m_bAutoDelete) delete this;
}

BOOL CException::GetErrorMessage(LPTSTR buf, UINT maxLen, UINT* help) const {
  if (help) *help = 0;
  if (buf && maxLen) *buf = 0;
  return FALSE;
}

int CException::ReportError(UINT type, UINT messageId) const {
  char text[512];
  if (GetErrorMessage(text, sizeof text)) return AfxMessageBox(text, type);
  if (messageId) return AfxMessageBox(messageId, type);
  return AfxMessageBox("An unsupported operation was attempted.", type);
}

BOOL CSimpleException::GetErrorMessage(LPTSTR buf, UINT maxLen, UINT* help) const {
  if (help) *help = 0;
  CString s;
  if (!m_nResourceId || !s.LoadString(m_nResourceId)) return CException::GetErrorMessage(buf, maxLen, help);
  return CopyMessage(s, buf, maxLen);
}

BOOL CMemoryException::GetErrorMessage(LPTSTR buf, UINT maxLen, UINT* help) const {
  return Message("Out of memory.", buf, maxLen, help);
}
BOOL CNotSupportedException::GetErrorMessage(LPTSTR buf, UINT maxLen, UINT* help) const {
  return Message("An unsupported operation was attempted.", buf, maxLen, help);
}
BOOL CInvalidArgException::GetErrorMessage(LPTSTR buf, UINT maxLen, UINT* help) const {
  return Message("Encountered an improper argument.", buf, maxLen, help);
}
BOOL CResourceException::GetErrorMessage(LPTSTR buf, UINT maxLen, UINT* help) const {
  return Message("A required resource was unavailable.", buf, maxLen, help);
}

int CFileException::OsErrorToException(LONG osError) {
  switch (osError) {
    case 0: return none;
    case ENOENT: return fileNotFound;
    case ENOTDIR: case ENAMETOOLONG: case ELOOP: return badPath;
    case EMFILE: case ENFILE: return tooManyOpenFiles;
    case EACCES: case EPERM: case EROFS: case EEXIST: case EISDIR: return accessDenied;
    case EBADF: return invalidFile;
    case EBUSY: return sharingViolation;
    // A file-size limit stops a writer as a full disk would.
    case ENOSPC: case EDQUOT: case EFBIG: return diskFull;
    case ESPIPE: case EINVAL: return badSeek;
    case EIO: return hardIO;
    default: return genericException;
  }
}

BOOL CFileException::GetErrorMessage(LPTSTR buf, UINT maxLen, UINT* help) const {
  static const char* const kText[] = {
      "No error occurred.",
      "An unexpected error occurred while accessing %1.",
      "%1 was not found.",
      "%1 contains an incorrect path.",
      "%1 could not be opened because there are too many open files.",
      "Access to %1 was denied.",
      "An incorrect file handle was associated with %1.",
      "%1 could not be removed because it is the current directory.",
      "%1 could not be created because the directory is full.",
      "Seek failed on %1",
      "A hardware I/O error was reported while accessing %1.",
      "A sharing violation occurred while accessing %1.",
      "A locking violation occurred while accessing %1.",
      "Disk full while accessing %1.",
      "An attempt was made to access %1 past its end.",
  };
  int c = (m_cause >= 0 && m_cause <= endOfFile) ? m_cause : genericException;
  CString s;
  // A name that exists is no fault of access: the system's own words say what stopped the save.
  if (c == genericException && m_lOsError == ERROR_ALREADY_EXISTS) {
    s = ErrorTextOf(ERROR_ALREADY_EXISTS);
    s.TrimRight("\r\n");
    if (help) *help = 0;
    return CopyMessage(s, buf, maxLen);
  }
  s.FormatMessage(kText[c], m_strFileName.IsEmpty() ? "an unnamed file" : m_strFileName.GetString());
  if (help) *help = 0;
  return CopyMessage(s, buf, maxLen);
}

BOOL CArchiveException::GetErrorMessage(LPTSTR buf, UINT maxLen, UINT* help) const {
  static const char* const kText[] = {
      "No error occurred.",
      "An unexpected error occurred while accessing %1.",
      "An attempt was made to write to %1 while it was being read.",
      "An attempt was made to access %1 past its end.",
      "An attempt was made to read from %1 while it was being written.",
      "%1 has a bad format.",
      "%1 contained an unexpected object.",
      "%1 contains an incorrect schema.",
  };
  int c = (m_cause >= 0 && m_cause <= badSchema) ? m_cause : genericException;
  CString s;
  s.FormatMessage(kText[c], m_strFileName.IsEmpty() ? "an unnamed file" : m_strFileName.GetString());
  if (help) *help = 0;
  return CopyMessage(s, buf, maxLen);
}

void AfxThrowMemoryException() { throw new CMemoryException; }
void AfxThrowNotSupportedException() { throw new CNotSupportedException; }
void AfxThrowInvalidArgException() { throw new CInvalidArgException; }
void AfxThrowResourceException() { throw new CResourceException; }
void AfxThrowUserException() { throw new CUserException; }
void AfxThrowFileException(int cause, LONG osError, const char* fileName) {
  throw new CFileException(cause, osError, fileName);
}
void AfxThrowArchiveException(int cause, const char* fileName) { throw new CArchiveException(cause, fileName); }

// The framework's exception classes. They are thrown as pointers (AfxThrow...) and the catcher
// calls Delete(), as framework code does.
#pragma once

#include "platform/core/Object.h"
#include "platform/core/String.h"

class CException : public CObject {
  DECLARE_DYNAMIC(CException)
 public:
  explicit CException(BOOL autoDelete = TRUE) : m_bAutoDelete(autoDelete) {}
  // Frees a heap exception; a stack one (autoDelete FALSE) is left alone.
  void Delete();
  virtual BOOL GetErrorMessage(LPTSTR buf, UINT maxLen, UINT* helpContext = nullptr) const;
  // Shows the error message through the message box hook; returns the box's answer.
  virtual int ReportError(UINT type = 0 /*MB_OK*/, UINT messageId = 0) const;

  BOOL m_bAutoDelete;
};

class CSimpleException : public CException {
  DECLARE_DYNAMIC(CSimpleException)
 public:
  CSimpleException() = default;
  explicit CSimpleException(UINT messageId) : m_nResourceId(messageId) {}
  BOOL GetErrorMessage(LPTSTR buf, UINT maxLen, UINT* helpContext = nullptr) const override;

  UINT m_nResourceId = 0;
};

class CMemoryException : public CSimpleException {
  DECLARE_DYNAMIC(CMemoryException)
 public:
  BOOL GetErrorMessage(LPTSTR buf, UINT maxLen, UINT* helpContext = nullptr) const override;
};

class CNotSupportedException : public CSimpleException {
  DECLARE_DYNAMIC(CNotSupportedException)
 public:
  BOOL GetErrorMessage(LPTSTR buf, UINT maxLen, UINT* helpContext = nullptr) const override;
};

class CInvalidArgException : public CSimpleException {
  DECLARE_DYNAMIC(CInvalidArgException)
 public:
  BOOL GetErrorMessage(LPTSTR buf, UINT maxLen, UINT* helpContext = nullptr) const override;
};

class CResourceException : public CSimpleException {
  DECLARE_DYNAMIC(CResourceException)
 public:
  BOOL GetErrorMessage(LPTSTR buf, UINT maxLen, UINT* helpContext = nullptr) const override;
};

class CUserException : public CSimpleException {
  DECLARE_DYNAMIC(CUserException)
};

class CFileException : public CException {
  DECLARE_DYNAMIC(CFileException)
 public:
  enum {
    none,
    genericException,
    fileNotFound,
    badPath,
    tooManyOpenFiles,
    accessDenied,
    invalidFile,
    removeCurrentDir,
    directoryFull,
    badSeek,
    hardIO,
    sharingViolation,
    lockViolation,
    diskFull,
    endOfFile
  };
  explicit CFileException(int cause = none, LONG osError = -1, const char* fileName = nullptr)
      : m_cause(cause), m_lOsError(osError), m_strFileName(fileName) {}
  BOOL GetErrorMessage(LPTSTR buf, UINT maxLen, UINT* helpContext = nullptr) const override;
  // Maps errno to a cause.
  static int OsErrorToException(LONG osError);

  int m_cause;
  LONG m_lOsError;
  CString m_strFileName;
};

class CArchiveException : public CException {
  DECLARE_DYNAMIC(CArchiveException)
 public:
  enum { none, genericException, readOnly, endOfFile, writeOnly, badIndex, badClass, badSchema };
  explicit CArchiveException(int cause = none, const char* fileName = nullptr)
      : m_cause(cause), m_strFileName(fileName) {}
  BOOL GetErrorMessage(LPTSTR buf, UINT maxLen, UINT* helpContext = nullptr) const override;

  int m_cause;
  CString m_strFileName;
};

[[noreturn]] void AfxThrowMemoryException();
[[noreturn]] void AfxThrowNotSupportedException();
[[noreturn]] void AfxThrowInvalidArgException();
[[noreturn]] void AfxThrowResourceException();
[[noreturn]] void AfxThrowUserException();
[[noreturn]] void AfxThrowFileException(int cause, LONG osError = -1, const char* fileName = nullptr);
[[noreturn]] void AfxThrowArchiveException(int cause, const char* fileName = nullptr);

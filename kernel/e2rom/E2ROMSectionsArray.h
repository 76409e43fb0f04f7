// An E2ROM software image: the memory sections that go into a drive's E2ROM, with file, drive and COFF sources.
#pragma once

#include "kernel/values/ObArrayEx.h"
#include "platform/core/Array.h"
#include "platform/core/Object.h"
#include "platform/core/String.h"
#include "platform/core/Types.h"

class CMC_Setup;
class CMC_CAMTables;

// One run of words at a drive word address (memory space 2).
class CE2ROMSection : public CObject {
  DECLARE_DYNAMIC(CE2ROMSection)
 public:
  CE2ROMSection() = default;
  CE2ROMSection(const CE2ROMSection& other);
  CE2ROMSection& operator=(const CE2ROMSection& other);

  // The first address after the section, in 32 bits so that no end wraps past 0xFFFF.
  DWORD GetEnd() const { return (DWORD)m_wStart + (DWORD)m_arrWords.GetSize(); }

  WORD m_wStart = 0;
  CWordArray m_arrWords;
};

// Every operation returns 1 on success; on failure GetLastErrorText() holds the reason.
class CE2ROMSectionsArray : public CObArrayEx<CE2ROMSection> {
 public:
  explicit CE2ROMSectionsArray(CMC_Setup& setup);

  int AppendBoardData(CWordArray& starts, CWordArray& ends);
  int AppendSetup();
  int AppendCamFiles(CMC_CAMTables& tables);
  int AppendOutFile(const char* path);
  int Verify();
  int WriteSW(const char* path);
  int ReadSW(const char* path);
  int DownloadSW();
  int CheckSW();

  const CString& GetLastErrorText() const { return m_strLastError; }
  CMC_Setup& GetSetup() const { return m_rSetup; }

 private:
  int AppendSection(WORD start, WORD count, const WORD* words);
  int Fail(const CString& text) {
    m_strLastError = text;
    return 0;
  }
  void SortByStart();

  CMC_Setup& m_rSetup;
  CString m_strLastError;
};

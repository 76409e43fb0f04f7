// The drive's E2ROM identity block: product and firmware ids, user text, date and serial, two checksums.
#pragma once

#include "platform/core/String.h"
#include "platform/core/Types.h"

// 64 drive words (128 bytes, little-endian) as they are read from and written to the drive.
struct tagE2ROMInfo {
  enum { kWords = 64, kBytes = 128, kEditableWords = 34, kUserInfoOffset = 32, kUserInfoSize = 30 };

  WORD m_words[kWords];

  tagE2ROMInfo() { Reset(); }
  tagE2ROMInfo(const tagE2ROMInfo& other) = default;
  tagE2ROMInfo& operator=(const tagE2ROMInfo& other) = default;

  void Reset();
  WORD* GetWords() { return m_words; }
  const WORD* GetWords() const { return m_words; }
  static int GetEditableSizeInWords() { return kEditableWords; }

  CString GetProductID() const;
  CString GetFirmware() const;
  CString GetUserInfo() const;
  CString GetSerialNo() const;
  CString GetDate() const;
  DWORD GetProdID32bitSum() const;
  void SetProdIDChecksum();
  void SetProductID(const char* product, const char* firmware);
  void SetUserInfo(const char* text);
  bool VerifyChecksums() const;

  // Byte access by offset, independent of the host's byte order.
  BYTE GetByte(int offset) const;
  void SetByte(int offset, BYTE value);
  DWORD GetDword(int index) const;
  void SetDword(int index, DWORD value);

 private:
  // The sum of dwords 0-30 before an edit, to be restored through the compensation dword after it.
  DWORD EditSum() const { return GetProdID32bitSum() + GetDword(16); }
  void Compensate(DWORD sumBefore) { SetDword(16, sumBefore - GetProdID32bitSum()); }
};

static_assert(sizeof(tagE2ROMInfo) == 128, "the identity block is 128 bytes");

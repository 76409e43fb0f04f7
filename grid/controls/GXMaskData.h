// CGXMaskData: an input mask parsed into positions, and the text typed into it position by position.
#pragma once

#include "platform/core/Object.h"
#include "platform/core/String.h"

#include <cstdint>
#include <string>
#include <vector>

class CGXMaskData : public CObject {
  DECLARE_DYNCREATE(CGXMaskData)

 public:
  CGXMaskData() = default;

  virtual void ClearMask();
  // An empty or null mask switches to free text and lifts the length limit; the data stays.
  virtual void SetMask(LPCTSTR pszMask);
  // The characters of the editable positions first..last (-1: to the end), prompts as blanks.
  virtual void GetData(CString& out, int nFirst = 0, int nLast = -1, BOOL bTrim = TRUE) const;
  // Places plain characters into editable positions from nStart on (-1: afresh from 0); the position
  // after the last one placed, -1 when there is no editable position to start at.
  virtual int SetData(LPCTSTR pszText, int nStart = -1, BOOL bInsert = FALSE);
  virtual void GetDisplayString(CString& out, int nFirst = 0, int nLast = -1) const;
  // Matches a text that includes the literals; -1 at the first character that does not fit.
  virtual int SetDisplayString(LPCTSTR pszText, int nStart = -1, BOOL bInsert = FALSE);
  // Whether ch (one character, one or two bytes) may stand at nPos; a blank becomes the prompt and
  // the case-converting positions convert ch.
  virtual BOOL IsValidInput(int nPos, CString& ch) const;
  virtual int NextEditPos(int nPos) const;
  virtual int PrevEditPos(int nPos) const;
  // Where the caret may stand when put at nPos.
  virtual int EndOfInput(int nPos) const;
  // Inserts ch at nPos shifting the following editable characters; FALSE when the last one is taken.
  virtual BOOL InsertAt(int nPos, const CString& ch, int& nNext);
  // Removes the editable positions nStart..nEnd-1, closing the gap with the following characters.
  virtual void DeleteRange(int nEnd, int nStart);
  virtual BOOL IsDataValid() const;
  virtual BOOL IsMaskEmpty() const { return m_mask.empty(); }
  virtual int GetDataCount() const { return (int)m_data.size(); }
  // Positions and byte offsets into the displayed text differ only on double-byte systems.
  virtual int PosToOffset(int nPos) const;
  virtual int OffsetToPos(int nOffset) const;
  virtual void ResetData();
  virtual int GetMaxLength() const { return m_nMaxLength; }
  virtual void SetMaxLength(int nMax) { m_nMaxLength = nMax; }
  virtual BOOL IsMaskChar(char ch) const;
  virtual BOOL IsLiteral(int nPos) const;
  // FALSE for more than one character; empty means "_". Replacing changes the empty positions too.
  BOOL SetPrompt(LPCTSTR pszPrompt, BOOL bReplaceExisting);
  const CString& GetPrompt() const { return m_strPrompt; }

  // Double-byte systems are read from the system metric once; tests read it again after changing it.
  static void ReadSystemSettings();

 private:
  // Entries beyond the data get their literal or the prompt; the data never outgrows the mask.
  void FitToMask();
  bool Filled(int nPos) const { return m_data[(size_t)nPos] != m_strPrompt.str(); }

  std::vector<std::string> m_mask;
  std::vector<uint8_t> m_literal;
  std::vector<std::string> m_data;
  CString m_strPrompt = "_";
  int32_t m_nMaxLength = 0x7FFFFFFF;
};

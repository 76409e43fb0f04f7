// CGXScreenFontTable: the process-wide table of screen font faces and the screen resolution.
#pragma once

#include "platform/core/String.h"
#include "platform/core/Types.h"
#include "platform/gdi/GdiDefs.h"

#include <unordered_map>

class CGXScreenFontTable {
 public:
  // The one table of the process, built on first use.
  static CGXScreenFontTable& Get();

  // (font type << 8) | character set of a face; FALSE when the face is not in the table.
  BOOL Lookup(LPCTSTR faceName, WORD& value) const;
  // A later face of the same name replaces the earlier value.
  void SetFace(LPCTSTR faceName, WORD value);
  void RemoveAll() { m_faces.clear(); }
  INT_PTR GetCount() const { return (INT_PTR)m_faces.size(); }

  int GetVerticalResolution() const { return m_nLogPixelsY; }
  int GetHorizontalResolution() const { return m_nLogPixelsX; }
  // Lets tests pretend another screen; the table is otherwise read from the display once.
  void SetResolution(int logPixelsX, int logPixelsY);

 private:
  CGXScreenFontTable();
  // Each face the drawing layer enumerates; the enumeration always goes on.
  static int AddFace(const LOGFONT* lf, const TEXTMETRIC* tm, DWORD fontType, LPARAM table);

  std::unordered_map<std::string, WORD> m_faces;
  int m_nLogPixelsX = 96;
  int m_nLogPixelsY = 96;
};

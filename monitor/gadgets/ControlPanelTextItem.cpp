#include "monitor/gadgets/ControlPanelTextItem.h"

#include "kernel/values/ConfigFile.h"
#include "platform/gdi/GdiDefs.h"

#include <cstring>

IMPLEMENT_DYNCREATE(CControlPanelTextItem, CControlPanelItem)
IMPLEMENT_DYNCREATE(CControlPanelCodeItem, CControlPanelItem)

namespace {
constexpr int kFaceChars = 31;
}

CControlPanelItem& CControlPanelTextItem::operator=(const CControlPanelItem& other) {
  CControlPanelItem::operator=(other);
  if (auto* text = dynamic_cast<const CControlPanelTextItem*>(&other); text && text != this) {
    m_strText = text->m_strText;
    m_strFaceName = text->m_strFaceName;
    m_nPointSize = text->m_nPointSize;
    m_nWeight = text->m_nWeight;
    m_bItalic = text->m_bItalic;
    m_bUnderline = text->m_bUnderline;
    m_bStrikeOut = text->m_bStrikeOut;
    m_nPitchAndFamily = text->m_nPitchAndFamily;
    m_crText = text->m_crText;
    m_bFilled = text->m_bFilled;
    m_crBackground = text->m_crBackground;
  }
  return *this;
}

CString CControlPanelTextItem::SaveConfigLine() {
  CString rest;
  rest.Format("%s %s %d %d %d %d %d %d %d %d %d", EscapeString(m_strText).GetString(),
              EscapeString(m_strFaceName).GetString(), m_nPointSize, m_nWeight, (int)m_bItalic, (int)m_bUnderline,
              (int)m_bStrikeOut, (int)m_nPitchAndFamily, (int)m_crText, m_bFilled, (int)m_crBackground);
  return CControlPanelItem::SaveConfigLine() + rest;
}

int CControlPanelTextItem::LoadConfigLine(CString& line) {
  LONG n[9];
  if (!CControlPanelItem::LoadConfigLine(line) || !ReadEscapedStringFromConfigLine(line, m_strText) ||
      !ReadEscapedStringFromConfigLine(line, m_strFaceName))
    return FALSE;
  for (LONG& value : n)
    if (!ReadLongFromConfigLine(line, value)) return FALSE;
  m_nPointSize = (int)n[0];
  m_nWeight = (int)n[1];
  m_bItalic = (BYTE)n[2];
  m_bUnderline = (BYTE)n[3];
  m_bStrikeOut = (BYTE)n[4];
  m_nPitchAndFamily = (BYTE)n[5];
  m_crText = (COLORREF)n[6];
  m_bFilled = (int)n[7];
  m_crBackground = (COLORREF)n[8];
  return TRUE;
}

void CControlPanelTextItem::GetLogFont(LOGFONT& font, int pixelsPerInch) const {
  font = LOGFONT{};
  strncpy(font.lfFaceName, m_strFaceName, kFaceChars);
  font.lfHeight = MulDiv(-m_nPointSize, pixelsPerInch, 72);
  font.lfWeight = m_nWeight;
  font.lfItalic = m_bItalic;
  font.lfUnderline = m_bUnderline;
  font.lfStrikeOut = m_bStrikeOut;
  font.lfPitchAndFamily = m_nPitchAndFamily;
  font.lfCharSet = 0;
}

void CControlPanelTextItem::SetLogFont(const LOGFONT& font, int pixelsPerInch) {
  m_strFaceName = CString(font.lfFaceName, (int)strnlen(font.lfFaceName, kFaceChars));
  m_nPointSize = MulDiv(-font.lfHeight, 72, pixelsPerInch ? pixelsPerInch : 96);
  m_nWeight = font.lfWeight;
  m_bItalic = font.lfItalic;
  m_bUnderline = font.lfUnderline;
  m_bStrikeOut = font.lfStrikeOut;
  m_nPitchAndFamily = font.lfPitchAndFamily;
}

CControlPanelItem& CControlPanelCodeItem::operator=(const CControlPanelItem& other) {
  CControlPanelItem::operator=(other);
  if (auto* code = dynamic_cast<const CControlPanelCodeItem*>(&other); code && code != this) m_strCode = code->m_strCode;
  return *this;
}

int CControlPanelCodeItem::LocateItemVariables(CMC_Setup* setup, CMC_CoffFormat*) {
  m_bDisabled = !setup;
  return setup != nullptr;
}

CString CControlPanelCodeItem::SaveConfigLine() {
  return CControlPanelItem::SaveConfigLine() + EscapeString(m_strCode);
}

int CControlPanelCodeItem::LoadConfigLine(CString& line) {
  return CControlPanelItem::LoadConfigLine(line) && ReadEscapedStringFromConfigLine(line, m_strCode);
}

// The items that read nothing from the drive: a label with its own font and colours, and a button
// sending a fixed piece of drive code.
#pragma once

#include "monitor/panels/ControlPanelItem.h"

struct LOGFONT;

class CControlPanelTextItem : public CControlPanelItem {
  DECLARE_DYNCREATE(CControlPanelTextItem)

 public:
  CControlPanelTextItem() { m_bBorder = 0; }

  CControlPanelItem& operator=(const CControlPanelItem& other) override;
  CString SaveConfigLine() override;
  int LoadConfigLine(CString& line) override;

  // The font description at `pixelsPerInch`, and back.
  void GetLogFont(LOGFONT& font, int pixelsPerInch) const;
  void SetLogFont(const LOGFONT& font, int pixelsPerInch);

  CString m_strText;
  CString m_strFaceName = "Courier New";
  int m_nPointSize = 9;
  int m_nWeight = 400;
  BYTE m_bItalic = 0;
  BYTE m_bUnderline = 0;
  BYTE m_bStrikeOut = 0;
  BYTE m_nPitchAndFamily = 0x31;
  COLORREF m_crText = 0;
  int m_bFilled = 0;
  COLORREF m_crBackground = 0xFFFFFF;
};

class CControlPanelCodeItem : public CControlPanelItem {
  DECLARE_DYNCREATE(CControlPanelCodeItem)

 public:
  CControlPanelCodeItem() { m_bBorder = 0; }

  CControlPanelItem& operator=(const CControlPanelItem& other) override;
  // Enabled exactly when there is a setup to send the code through.
  int LocateItemVariables(CMC_Setup* setup, CMC_CoffFormat* coff) override;
  CString SaveConfigLine() override;
  int LoadConfigLine(CString& line) override;

  CString m_strCode;
};

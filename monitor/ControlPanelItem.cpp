#include "monitor/ControlPanelItem.h"

#include "kernel/ConfigFile.h"
#include "platform/core/Format.h"

IMPLEMENT_DYNCREATE(CControlPanelItem, CObject)

CControlPanelItem::CControlPanelItem() : m_rect(-1, -1, -1, -1) {}

CControlPanelItem::CControlPanelItem(const CControlPanelItem& other)
    : CObject(), m_bDisabled(other.m_bDisabled), m_rect(other.m_rect), m_bBorder(other.m_bBorder) {}

CControlPanelItem::~CControlPanelItem() = default;

CControlPanelItem& CControlPanelItem::operator=(const CControlPanelItem& other) {
  m_bDisabled = other.m_bDisabled;
  m_rect = other.m_rect;
  m_bBorder = other.m_bBorder;
  return *this;
}

int CControlPanelItem::LocateItemVariables(CMC_Setup*, CMC_CoffFormat*) {
  m_bDisabled = 0;
  return TRUE;
}

void CControlPanelItem::RegisterAddresses(CMC_MemoryCache&) {}
void CControlPanelItem::UpdateValues(CMC_MemoryCache&) {}

CString CControlPanelItem::SaveConfigLine() {
  CString line;
  line.Format("%d %d %d %d %d ", m_bBorder, (int)m_rect.left, (int)m_rect.top, (int)m_rect.right, (int)m_rect.bottom);
  return line;
}

int CControlPanelItem::LoadConfigLine(CString& line) {
  LONG border, left, top, right, bottom;
  if (!ReadLongFromConfigLine(line, border) || !ReadLongFromConfigLine(line, left) ||
      !ReadLongFromConfigLine(line, top) || !ReadLongFromConfigLine(line, right) ||
      !ReadLongFromConfigLine(line, bottom))
    return FALSE;
  m_bBorder = (int)border;
  m_rect.SetRect((int)left, (int)top, (int)right, (int)bottom);
  return TRUE;
}

CControlPanelItemArray::CControlPanelItemArray(const char* name)
    : CObArrayEx<CControlPanelItem>(TRUE), m_strName(name ? name : "") {}

CControlPanelItemArray::CControlPanelItemArray(const CControlPanelItemArray& other)
    : CObArrayEx<CControlPanelItem>(TRUE) {
  *this = other;
}

CControlPanelItemArray& CControlPanelItemArray::operator=(const CControlPanelItemArray& other) {
  if (this == &other) return *this;
  m_strName = other.m_strName;
  m_nFrameX = other.m_nFrameX;
  m_nFrameY = other.m_nFrameY;
  m_nFrameWidth = other.m_nFrameWidth;
  m_nFrameHeight = other.m_nFrameHeight;
  m_pFrame = nullptr;
  CopyDynamicDuplicatedElements(other);
  return *this;
}

int CControlPanelItemArray::Load(const char*) { return FALSE; }
int CControlPanelItemArray::Save(const char*) { return FALSE; }
int CControlPanelItemArray::LoadFromFile() { return FALSE; }
int CControlPanelItemArray::SaveToFile() { return FALSE; }
int CControlPanelItemArray::EditProperties(CStringArray&) { return FALSE; }

void CControlPanelItemArray::LocateVars(CMC_Setup* setup, CMC_CoffFormat* coff) {
  for (int i = 0; i < GetSize(); ++i) {
    CControlPanelItem* item = GetAt(i);
    if (item && !item->LocateItemVariables(setup, coff)) item->Disable();
  }
}

int CControlPanelItemArray::HasValidVars() const {
  for (int i = 0; i < GetSize(); ++i) {
    CControlPanelItem* item = GetAt(i);
    if (item && !item->m_bDisabled) return TRUE;
  }
  return FALSE;
}

int CControlPanelsArray::LoadFromDirectory(const char*) { return FALSE; }
int CControlPanelsArray::SaveToDirectory(const char*) { return FALSE; }

#include "monitor/panels/ControlPanelItem.h"

#include "kernel/values/ConfigFile.h"
#include "kernel/document/KernelGlobals.h"
#include "monitor/panels/ControlPanelPropertiesDlg.h"
#include "monitor/panels/MC_ControlPanelFrame.h"
#include "monitor/panels/MC_ControlPanelView.h"
#include "monitor/MonitorStringIds.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Format.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Path.h"
#include "platform/ui/CommonDialogs.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <optional>
#include <set>
#include <vector>

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

namespace {

// The line (counted as the reader counts) where a comment runs past a CR alone into more text, 0 when
// none does: lines ended by a CR alone are read as one, and the comment would hide the rest of them.
int LineOfCommentHidingText(const std::string& nativePath) {
  FILE* file = fopen(nativePath.c_str(), "rb");
  if (!file) return 0;
  int line = 1, found = 0;
  bool comment = false, crInComment = false;
  for (int c; !found && (c = fgetc(file)) != EOF;) {
    if (c == '\n') {
      ++line;
      comment = crInComment = false;
    } else if (c == '\r') {
      crInComment = comment;
    } else if (crInComment && c != ' ' && c != '\t') {
      found = line;
    } else if (c == '#') {
      comment = true;
    }
  }
  fclose(file);
  return found;
}

// The lines (counted as the reader counts) on which a CR alone is followed by more text: lines
// ended by a CR alone are read as one.
std::set<int> LinesRunOnPastACR(const std::string& nativePath) {
  std::set<int> lines;
  FILE* file = fopen(nativePath.c_str(), "rb");
  if (!file) return lines;
  int line = 1;
  bool cr = false;
  for (int c; (c = fgetc(file)) != EOF;) {
    if (c == '\n') {
      ++line;
      cr = false;
    } else if (c == '\r') {
      cr = true;
    } else if (cr && c != ' ' && c != '\t') {
      lines.insert(line);
    }
  }
  fclose(file);
  return lines;
}

}  // namespace

int CControlPanelItemArray::Load(const char* path) {
  const std::string resolved = path ? ResolvePath(path) : "";
  FILE* file = path ? fopen(resolved.c_str(), "rb") : nullptr;
  // Messages name the file as the file system does (a folder's panels are named with backslashes).
  const std::string shown = path ? NativePath(path) : "";
  if (!file) {
    ShowKernelMessage(MB_OK | MB_ICONEXCLAMATION, IDS_PANEL_CANNOT_OPEN_FILE, shown.c_str());
    return FALSE;
  }
  RemoveAll();
  CString line;
  int lineNumber = 0;
  auto syntaxError = [&] {
    if (file) fclose(file);
    ShowKernelMessage(MB_OK | MB_ICONEXCLAMATION, IDS_PANEL_INVALID_SYNTAX, shown.c_str(), lineNumber);
    return FALSE;
  };
  // The header's numbers are read as the items' are: one that does not fit is refused, not wrapped.
  LONG x, y, width, height;
  if (!ReadConfigFileLine(file, line, lineNumber) || !ReadLongFromConfigLine(line, x) ||
      !ReadLongFromConfigLine(line, y) || !ReadLongFromConfigLine(line, width) ||
      !ReadLongFromConfigLine(line, height))
    return syntaxError();
  m_nFrameX = (int)x;
  m_nFrameY = (int)y;
  m_nFrameWidth = (int)width;
  m_nFrameHeight = (int)height;
  // Text after the header that no item line follows is where the items went (lines ended by a CR
  // alone are one line): an empty panel would lose them at the next save.
  const bool headerTail = !line.IsEmpty();
  const int headerLine = lineNumber;
  std::optional<std::set<int>> runTogether;
  while (ReadConfigFileLine(file, line, lineNumber)) {
    const int cut = line.FindOneOf(" \t");
    const int kind = cut < 0 ? -1 : CMC_ControlPanelView::GetLinkWithName(line.Left(cut));
    CRuntimeClass* itemClass = kind < 0 ? nullptr : CMC_ControlPanelView::msc_aLinks[kind].pItemClass;
    CObject* object = itemClass ? itemClass->CreateObject() : nullptr;
    auto* item = dynamic_cast<CControlPanelItem*>(object);
    CString fields = line.Mid(cut + 1);
    fields.TrimLeft();
    const bool loaded = item && item->LoadConfigLine(fields);
    // Fields after an item's own are a newer writer's and are passed over; but on a line that a CR
    // alone ran on into more text, they are another item run into this one.
    if (loaded && !fields.IsEmpty() && !runTogether) runTogether = LinesRunOnPastACR(resolved);
    if (!loaded || (!fields.IsEmpty() && runTogether->count(lineNumber))) {
      delete object;
      return syntaxError();
    }
    Add(item);
  }
  if (headerTail && GetSize() == 0) {
    lineNumber = headerLine;
    return syntaxError();
  }
  if (const int hidden = LineOfCommentHidingText(resolved)) {
    lineNumber = hidden;
    return syntaxError();
  }
  return TRUE;
}

int CControlPanelItemArray::Save(const char* path) {
  if (!path) {
    ShowKernelMessage(MB_OK | MB_ICONEXCLAMATION, IDS_PANEL_CANNOT_OPEN_FILE, "");
    return FALSE;
  }
  CConfigFileWriter writer(NativePath(path).c_str(), ResolvePath(path).c_str());
  const int ok = writer.WriteEntries(GetSize() + 1, [this](FILE* file, int i) {
    if (i == 0) return fprintf(file, "%d %d %d %d\r\n", m_nFrameX, m_nFrameY, m_nFrameWidth, m_nFrameHeight) > 0 ? 1 : 0;
    CControlPanelItem* item = GetAt(i - 1);
    const int kind = item ? CMC_ControlPanelView::GetLinkOfItemClass(item->GetRuntimeClass()) : -1;
    if (kind < 0) {
      errno = 0;  // no table row: not a fault of the file system
      return 0;
    }
    return fprintf(file, "%s %s\r\n", CMC_ControlPanelView::msc_aLinks[kind].name + 7,
                   item->SaveConfigLine().GetString()) > 0 ? 1 : 0;
  });
  return ok && writer.Commit();
}

int AskControlPanelFileName(BOOL open, CString& path, CString* title) {
  const CString filter = "Control Panels (*.cp)|*.cp|All Files (*.*)|*.*||";
  CFileDialog dialog(open, "cp", open ? nullptr : path.GetString(),
                     open ? OFN_FILEMUSTEXIST | OFN_HIDEREADONLY
                          : OFN_PATHMUSTEXIST | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY,
                     filter);
  const CString folder = GetKernelDirectory() + "Control Panels";
  dialog.m_ofn.lpstrInitialDir = folder;
  if (dialog.DoModal() != IDOK) return FALSE;
  path = dialog.GetPathName();
  if (title) *title = dialog.GetFileTitle();
  return TRUE;
}

int CControlPanelItemArray::LoadFromFile() {
  CString path;
  if (!AskControlPanelFileName(TRUE, path, nullptr)) return FALSE;
  // The old items wait aside: a failed load puts them back.
  std::vector<CControlPanelItem*> old;
  for (int i = 0; i < GetSize(); ++i) old.push_back(GetAt(i));
  const int frame[4] = {m_nFrameX, m_nFrameY, m_nFrameWidth, m_nFrameHeight};
  SetOwnsElements(FALSE);
  RemoveAll();
  SetOwnsElements(TRUE);
  const int ok = Load(path);
  if (!ok) {
    RemoveAll();
    for (CControlPanelItem* item : old) Add(item);
    m_nFrameX = frame[0];
    m_nFrameY = frame[1];
    m_nFrameWidth = frame[2];
    m_nFrameHeight = frame[3];
    return FALSE;
  }
  for (CControlPanelItem* item : old) delete item;
  return TRUE;
}

CString ProposedControlPanelFileName(const CString& name) {
  const int cut = name.FindOneOf("#%;/\\");
  return (cut < 0 ? name : name.Left(cut)) + ".cp";
}

int CControlPanelItemArray::SaveToFile() {
  CString path = ProposedControlPanelFileName(m_strName);
  if (!AskControlPanelFileName(FALSE, path, nullptr)) return FALSE;
  // A failed save has left the old file as it was: it stays.
  return Save(path);
}

int CControlPanelItemArray::EditProperties(CStringArray& otherNames) {
  CControlPanelPropertiesDlg dialog(m_strName, otherNames);
  if (dialog.DoModal() != IDOK) return FALSE;
  m_strName = dialog.m_strTitle;
  if (m_pFrame) m_pFrame->OnUpdateFrameTitle(FALSE);
  return TRUE;
}

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

namespace {

// The titles of the folder's "cp" files, in the listing's order.
std::vector<CString> ListPanelFiles(const char* dir) {
  std::vector<CString> names;
  CFileFind find;
  BOOL more = find.FindFile(CString(dir) + "\\*.cp");
  while (more) {
    more = find.FindNextFile();
    if (!find.IsDirectory()) names.push_back(find.GetFileTitle());
  }
  return names;
}

CString PanelPath(const char* dir, const CString& name) { return CString(dir) + "\\" + name + ".cp"; }

}  // namespace

int CControlPanelsArray::LoadFromDirectory(const char* dir) {
  RemoveAll();
  m_aNotLoaded.clear();
  if (!dir) return FALSE;
  const std::vector<CString> names = ListPanelFiles(dir);
  for (size_t i = 0; i < names.size(); ++i) {
    auto* panel = new CControlPanelItemArray(names[i]);
    if (!panel->Load(PanelPath(dir, names[i]))) {
      delete panel;
      m_aNotLoaded.assign(names.begin() + (long)i, names.end());
      return FALSE;
    }
    Add(panel);
  }
  return TRUE;
}

CStringArray CControlPanelsArray::TitlesInUse(const CControlPanelItemArray* panel) const {
  CStringArray titles;
  for (int i = 0; i < GetSize(); ++i)
    if (GetAt(i) && GetAt(i) != panel) titles.Add(GetAt(i)->m_strName);
  for (const CString& unread : m_aNotLoaded) titles.Add(unread);
  return titles;
}

int CControlPanelsArray::SaveToDirectory(const char* dir) {
  if (!dir) return FALSE;
  // Every panel is saved before a stale file goes: a failed save loses nothing.
  const std::vector<CString> before = ListPanelFiles(dir);
  // A title may hold what a path does ("../x", "a/b"): its file would land outside the folder,
  // where the next load does not look. A link the user put at a panel's own name leads to the user's
  // own file, written through it. A panel that fails says so and keeps no other from being saved.
  int saved = TRUE;
  for (int i = 0; i < GetSize(); ++i)
    if (CControlPanelItemArray* panel = GetAt(i)) {
      const CString path = PanelPath(dir, panel->m_strName);
      struct stat st;
      const bool userLink = panel->m_strName.FindOneOf("\\/") < 0 &&
                            lstat(ResolvePath(path).c_str(), &st) == 0 && S_ISLNK(st.st_mode);
      if ((!userLink && !CheckConfigSetFile(dir, NativePath(path).c_str())) || !panel->Save(path)) saved = FALSE;
    }
  if (!saved) return FALSE;
  // The files a failed load did not read hold what the user has, not a removed panel: they stay.
  for (const CString& name : before) {
    bool kept = false;
    for (const CString& unread : m_aNotLoaded) kept = kept || unread.CompareNoCase(name) == 0;
    for (int i = 0; i < GetSize() && !kept; ++i) kept = GetAt(i) && GetAt(i)->m_strName.CompareNoCase(name) == 0;
    if (!kept) remove(ResolvePath(PanelPath(dir, name)).c_str());
  }
  return TRUE;
}

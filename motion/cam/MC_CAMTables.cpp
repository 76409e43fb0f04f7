#include "motion/cam/MC_CAMTables.h"

#include "comm/MC_Comm.h"
#include "kernel/values/ConfigFile.h"
#include "kernel/document/KernelGlobals.h"
#include "kernel/values/Utilities.h"
#include "motion/model/MotionFileSet.h"
#include "motion/model/MotionStringIds.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Format.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Path.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <vector>

namespace {

// The file name without its folder and extension.
CString FileTitle(const char* path) {
  CString p(path ? path : "");
  int slash = std::max(p.ReverseFind('\\'), p.ReverseFind('/'));
  CString name = p.Mid(slash + 1);
  int dot = name.ReverseFind('.');
  return dot > 0 ? name.Left(dot) : name;
}

void MoveEntry(CObArrayEx<CMC_CAM>& from, int i, CObArrayEx<CMC_CAM>& to) {
  CMC_CAM* cam = from.GetAt(i);
  from.CObArray::RemoveAt(i);  // handed over, not deleted
  to.Add(cam);
}

}  // namespace

CMC_CAMTables::CMC_CAMTables() : m_selected(TRUE), m_available(TRUE) {}

CMC_CAMTables::CMC_CAMTables(const CMC_CAMTables& other) : CObject(), m_selected(TRUE), m_available(TRUE) {
  *this = other;
}

CMC_CAMTables& CMC_CAMTables::operator=(const CMC_CAMTables& other) {
  if (this != &other) {
    m_selected.CopyDuplicatedElements(other.m_selected);
    m_available.CopyDuplicatedElements(other.m_available);
    m_held = other.m_held;
  }
  return *this;
}

CMC_CAMTables::~CMC_CAMTables() = default;

CMC_CAM* CMC_CAMTables::GetSelCAM(int i) const { return i >= 0 && i < m_selected.GetSize() ? m_selected[i] : nullptr; }
CMC_CAM* CMC_CAMTables::GetAvailCAM(int i) const {
  return i >= 0 && i < m_available.GetSize() ? m_available[i] : nullptr;
}

void CMC_CAMTables::GetSelectedCAMs(CStringArray& names) const {
  names.RemoveAll();
  for (int i = 0; i < m_selected.GetSize(); ++i) names.Add(m_selected[i]->GetName());
}

void CMC_CAMTables::GetAvailableCAMs(CStringArray& names) const {
  names.RemoveAll();
  for (int i = 0; i < m_available.GetSize(); ++i) names.Add(m_available[i]->GetName());
}

int CMC_CAMTables::GetCAMsSizesInWords() const {
  int total = 0;
  for (int i = 0; i < m_selected.GetSize(); ++i) total += m_selected[i]->GetCAMSizeInWords();
  return total;
}

bool CMC_CAMTables::IsNameUsed(const char* name, const CMC_CAM* except) const {
  for (const CObArrayEx<CMC_CAM>* list : {&m_selected, &m_available})
    for (int i = 0; i < list->GetSize(); ++i)
      if (list->GetAt(i) != except && list->GetAt(i)->GetName().CompareNoCase(name) == 0) return true;
  return false;
}

CString CMC_CAMTables::UniqueName(const CString& title) const {
  if (!IsNameUsed(title, nullptr)) return title;
  CString name;
  for (int n = 2;; ++n) {
    name.Format("%s#%d", title.GetString(), n);
    if (!IsNameUsed(name, nullptr)) return name;
  }
}

int CMC_CAMTables::AddNewSelCAM(const char* name) {
  if (!name) return 0;
  if (IsNameUsed(name, nullptr)) {
    ShowKernelMessage(MB_ICONEXCLAMATION, IDS_CAM_DUPLICATE_NAME);
    return 0;
  }
  CMC_CAM* cam = new (std::nothrow) CMC_CAM;
  if (!cam) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    if (g_bShowErrors) ShowLastError(MB_ICONEXCLAMATION);
    return 0;
  }
  cam->SetName(name);
  m_selected.Add(cam);
  return 1;
}

int CMC_CAMTables::ImportFrom(const char* path, bool text) {
  if (!path || !*path) return 0;
  CMC_CAM* cam = new (std::nothrow) CMC_CAM;
  if (!cam) return 0;
  cam->SetName(UniqueName(FileTitle(path)));
  if (!(text ? cam->Import(path) : cam->Load(path))) {
    delete cam;
    return 0;
  }
  m_selected.Add(cam);
  return 1;
}

int CMC_CAMTables::ImportCAM(const char* path) { return ImportFrom(path, false); }
int CMC_CAMTables::ImportCAMFromTextFile(const char* path) { return ImportFrom(path, true); }

int CMC_CAMTables::RenameSelCAM(int i, const char* name) {
  CMC_CAM* cam = GetSelCAM(i);
  if (!cam || !name) return 0;
  if (!IsValidFilename(name)) {
    ShowKernelMessage(MB_ICONEXCLAMATION, IDS_CAM_INVALID_NAME);
    return 0;
  }
  if (IsNameUsed(name, cam)) {
    ShowKernelMessage(MB_ICONEXCLAMATION, IDS_CAM_DUPLICATE_NAME);
    return 0;
  }
  cam->SetName(name);
  return 1;
}

int CMC_CAMTables::RenameAvailCAM(int i, const char* name) {
  CMC_CAM* cam = GetAvailCAM(i);
  if (!cam || !name) return 0;
  if (IsNameUsed(name, cam)) {
    ShowKernelMessage(MB_ICONEXCLAMATION, IDS_CAM_DUPLICATE_NAME);
    return 0;
  }
  cam->SetName(name);
  return 1;
}

void CMC_CAMTables::RemoveAvailable(int i) {
  if (i >= 0 && i < m_available.GetSize()) m_available.RemoveAt(i);
}

int CMC_CAMTables::MoveSelCAMUp(int i) {
  if (i < 1 || i >= m_selected.GetSize()) return 0;
  CMC_CAM* cam = m_selected[i];
  m_selected.SetAt(i, m_selected[i - 1]);
  m_selected.SetAt(i - 1, cam);
  return 1;
}

int CMC_CAMTables::MoveSelCAMDown(int i) {
  if (i < 0 || i >= m_selected.GetSize() - 1) return 0;
  return MoveSelCAMUp(i + 1);
}

int CMC_CAMTables::PromoteAvailableToSelected(int i) {
  if (i < 0 || i >= m_available.GetSize()) return 0;
  MoveEntry(m_available, i, m_selected);
  return 1;
}

int CMC_CAMTables::PromoteAllAvailable() {
  if (m_available.GetSize() == 0) return 0;
  while (m_available.GetSize()) MoveEntry(m_available, 0, m_selected);
  return 1;
}

int CMC_CAMTables::DemoteSelectedToAvailable(int i) {
  if (i < 0 || i >= m_selected.GetSize()) return 0;
  MoveEntry(m_selected, i, m_available);
  return 1;
}

int CMC_CAMTables::DemoteAllSelected() {
  if (m_selected.GetSize() == 0) return 0;
  while (m_selected.GetSize()) MoveEntry(m_selected, 0, m_available);
  return 1;
}

int CMC_CAMTables::Load(const char* directory) {
  m_selected.RemoveAll();
  m_available.RemoveAll();
  m_held.clear();
  CString dir(directory ? directory : "");
  // Read as the save replaced them: a save stopped part-way is completed or undone first.
  CConfigFolderLock lock(dir + "\\");
  if (lock.IsRefused()) return 0;
  int result = 1;
  CFileFind finder;
  BOOL more = finder.FindFile(ResolveConfigFileName(dir + "\\*.cam"));
  while (more) {
    more = finder.FindNextFile();
    if (finder.IsDots() || finder.IsDirectory()) continue;
    CMC_CAM* cam = new (std::nothrow) CMC_CAM;
    if (!cam) {
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      if (g_bShowErrors) ShowLastError(MB_ICONEXCLAMATION);
      return 0;
    }
    cam->SetName(finder.GetFileTitle());
    CString path;
    path.Format("%s\\%s", dir.GetString(), finder.GetFileName().GetString());
    // Messages name the file as the directory was given, in the platform's form.
    if (cam->Load(GivenFileName(path))) {
      m_available.Add(cam);
    } else {
      delete cam;
      result = 0;
    }
  }
  // Only the files read whole are this program's: one it could not read is never deleted by it.
  HoldFilesOfTables(directory);
  FILE* f = OpenConfigFile(ShownFileName(dir + "\\cam.cfg"), 0);
  if (!f) return 0;
  CString line;
  int lineNumber = 0;
  while (ReadConfigFileLine(f, line, lineNumber)) {
    CString name;
    if (!ReadEscapedStringFromConfigLine(line, name)) continue;
    for (int i = 0; i < m_available.GetSize(); ++i)
      if (m_available[i]->GetName().CompareNoCase(name) == 0) {
        MoveEntry(m_available, i, m_selected);
        break;
      }
  }
  return result;
}

int CMC_CAMTables::Write(const char* directory, CMotionFileSet& set, std::vector<CString>* failed) const {
  const CString dir(directory ? directory : "");
  int result = 1;
  for (const CObArrayEx<CMC_CAM>* list : {&m_selected, &m_available})
    for (int i = 0; i < list->GetSize(); ++i) {
      const CMC_CAM* cam = list->GetAt(i);
      CString path;
      path.Format("%s\\%s.%s", dir.GetString(), cam->GetName().GetString(), "cam");
      // A table that cannot be saved keeps its old file; the rest of the program is saved all the same.
      if (!cam->Save(set.Add(path))) {
        set.DropLast();
        if (failed) failed->push_back(cam->GetName());
        result = 0;
      }
    }
  // The files of tables this program read or wrote there and holds no more go with the set.
  // Looked up by name, not by listing the folder, which may hold many other files.
  const std::string native = ResolvePath(ResolveConfigFileName(dir));
  for (const HeldFiles& held : m_held)
    if (IsSameFolder(held.folder, native))
      for (const CString& title : held.titles)
        if (!IsNameUsed(title, nullptr)) set.Remove(dir + "\\" + title + ".cam");
  CString text;
  for (int i = 0; i < m_selected.GetSize(); ++i) text += EscapeString(m_selected[i]->GetName()) + "\r\n";
  if (!set.Add(dir + "\\cam.cfg").WriteEntries(1, [&](FILE* f, int) {
        return std::fwrite(text.GetString(), 1, (size_t)text.GetLength(), f) == (size_t)text.GetLength() ? 1 : 0;
      })) {
    set.DropLast();
    result = 0;
  }
  return result;
}

void CMC_CAMTables::HoldFilesOfTables(const char* directory, const std::vector<CString>& failed) {
  HeldFiles held{ResolvePath(ResolveConfigFileName(directory ? directory : "")), {}};
  std::vector<CString> before;
  for (auto it = m_held.begin(); it != m_held.end();) {
    if (!IsSameFolder(it->folder, held.folder)) {
      ++it;
      continue;
    }
    before.insert(before.end(), it->titles.begin(), it->titles.end());
    it = m_held.erase(it);
  }
  auto among = [](const std::vector<CString>& titles, const CString& name) {
    return std::any_of(titles.begin(), titles.end(), [&](const CString& t) { return t.CompareNoCase(name) == 0; });
  };
  for (const CObArrayEx<CMC_CAM>* list : {&m_selected, &m_available})
    for (int i = 0; i < list->GetSize(); ++i) {
      const CString& name = list->GetAt(i)->GetName();
      // A file the save could not write is this program's only if it was before.
      if (!among(failed, name) || among(before, name)) held.titles.push_back(name);
    }
  m_held.push_back(std::move(held));
}

int CMC_CAMTables::Save(const char* directory) {
  const CString dir = CString(directory ? directory : "") + "\\";
  CConfigFolderLock lock(dir);
  if (lock.IsRefused()) return 0;
  CMotionFileSet set;
  std::vector<CString> failed;
  const int written = Write(directory, set, &failed);
  if (!set.Commit(dir)) return 0;
  HoldFilesOfTables(directory, failed);
  return written;
}

int CMC_CAMTables::BuildImage(CWordArray& words) const {
  words.SetSize(GetCAMsSizesInWords());
  int at = 0;
  for (int i = 0; i < m_selected.GetSize(); ++i) {
    m_selected[i]->WriteToBuffer(words.GetData() + at);
    at += m_selected[i]->GetCAMSizeInWords();
  }
  return at;
}

int CMC_CAMTables::SaveToActiveBoard(WORD address, WORD length) {
  const int total = GetCAMsSizesInWords();
  if (total > length) {
    ShowKernelMessage(MB_ICONEXCLAMATION, IDS_CAM_SEGMENT_OVERFLOW, length, total);
    return 0;
  }
  if (total == 0) return 1;  // nothing to download
  CWordArray image;
  try {
    BuildImage(image);
  } catch (CException* e) {
    e->Delete();
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    if (g_bShowErrors) ShowLastError(MB_ICONSTOP);
    return 0;
  }
  // The progress callback gets the text as its user pointer for the length of the transfer.
  CString progressText = FormatKernelString(IDS_CAM_DOWNLOADING);
  int result = CMC_Comm::SendBigData(image.GetData(), address, 2, (WORD)total, CMC_Comm::BigMemoryOpCallback,
                                     (void*)progressText.GetString());
  CString end = FormatKernelString(result ? IDS_CAM_DOWNLOAD_OK : IDS_CAM_DOWNLOAD_FAILED);
  CMC_Comm::OnBigMemoryOpEnd(end);
  return result;
}

int CMC_CAMTables::CompareWithActiveBoard(WORD address, WORD length, int& equal) {
  equal = 0;
  if (GetCAMsSizesInWords() > length) return 1;
  DWORD start = address;
  for (int i = 0; i < m_selected.GetSize(); ++i) {
    const CMC_CAM* cam = m_selected[i];
    const int size = cam->GetCAMSizeInWords();
    if (size == 0) continue;
    WORD stored = 0, sum = 0;
    if (!CMC_Comm::ReceiveData(&stored, (WORD)(start + size - 1), 2, 1)) return 0;
    if (!CMC_Comm::Checksum((WORD)start, (WORD)(start + size - 2), sum)) return 0;
    if (stored != sum || stored != cam->GetChecksum()) return 1;
    start += size;
  }
  equal = 1;
  return 1;
}

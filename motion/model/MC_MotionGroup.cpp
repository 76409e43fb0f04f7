#include "motion/model/MC_MotionGroup.h"

#include "kernel/values/ConfigFile.h"
#include "kernel/document/KernelGlobals.h"
#include "kernel/values/Utilities.h"
#include "motion/model/MC_MotionElem.h"
#include "platform/core/FileSystem.h"
#include "platform/core/MessageBox.h"

#include <cerrno>
#include <new>
#include <vector>

IMPLEMENT_DYNAMIC(CMC_MotionGroup, CObArray)

namespace {
const UINT IDS_CANNOT_OPEN = 20001;
const UINT IDS_INVALID_SYNTAX = 20002;
const UINT IDS_OUT_OF_MEMORY = 20004;

int WriteText(FILE* f, const CString& text) {
  if (text.IsEmpty()) return 1;
  if (fwrite(text.GetString(), 1, (size_t)text.GetLength(), f) == (size_t)text.GetLength()) return 1;
  SetLastErrorFromErrno(errno ? errno : EIO);
  return 0;
}
}  // namespace

CMC_MotionGroup::CMC_MotionGroup(const char* name) : m_strName(name), m_bEnabled(1), m_bExpanded(0) {}

CMC_MotionGroup::CMC_MotionGroup(const CMC_MotionGroup& other)
    : CObArray(), m_strName(other.m_strName), m_bEnabled(other.m_bEnabled), m_bExpanded(other.m_bExpanded) {
  CopyChildren(other);
}

CMC_MotionGroup& CMC_MotionGroup::operator=(const CMC_MotionGroup& other) {
  if (this == &other) return *this;
  DeleteAll();
  m_strName = other.m_strName;
  m_bEnabled = other.m_bEnabled;
  m_bExpanded = other.m_bExpanded;
  CopyChildren(other);
  return *this;
}

CMC_MotionGroup::~CMC_MotionGroup() { DeleteAll(); }

void CMC_MotionGroup::CopyChildren(const CMC_MotionGroup& other) {
  for (INT_PTR i = 0; i < other.GetSize(); ++i) {
    CObject* child = other.GetAt(i);
    CObject* copy = nullptr;
    if (auto* e = DYNAMIC_DOWNCAST(CMC_MotionElem, child)) {
      copy = new (std::nothrow) CMC_MotionElem(*e);
    } else if (auto* g = DYNAMIC_DOWNCAST(CMC_MotionGroup, child)) {
      copy = new (std::nothrow) CMC_MotionGroup(*g);
    } else {
      continue;
    }
    if (!copy) return;
    Add(copy);
  }
}

void CMC_MotionGroup::DeleteAt(int index, int count) {
  if (index < 0 || count < 1) return;
  if ((INT_PTR)index + count > GetSize()) AfxThrowInvalidArgException();
  for (int i = index; i < index + count; ++i) {
    CObject* child = GetAt(i);
    SetAt(i, nullptr);
    delete child;
  }
  RemoveAt(index, count);
}

void CMC_MotionGroup::DeleteAll() {
  for (INT_PTR i = 0; i < GetSize(); ++i) {
    CObject* child = GetAt(i);
    SetAt(i, nullptr);
    delete child;
  }
  RemoveAll();
}

BOOL CMC_MotionGroup::HasTranslateError() const {
  CString text;
  return HasTranslateError(text);
}

BOOL CMC_MotionGroup::HasTranslateError(CString& text) const {
  for (INT_PTR i = 0; i < GetSize(); ++i) {
    CObject* child = GetAt(i);
    if (auto* e = DYNAMIC_DOWNCAST(CMC_MotionElem, child)) {
      if (e->m_bEnabled && e->m_bTranslateError) {
        text = e->m_strCode;
        return TRUE;
      }
    } else if (auto* g = DYNAMIC_DOWNCAST(CMC_MotionGroup, child)) {
      if (g->m_bEnabled && g->HasTranslateError(text)) return TRUE;
    }
  }
  return FALSE;
}

int CMC_MotionGroup::GetFirstElementWithTranslateError() const {
  for (INT_PTR i = 0; i < GetSize(); ++i) {
    CObject* child = GetAt(i);
    if (auto* e = DYNAMIC_DOWNCAST(CMC_MotionElem, child)) {
      if (e->m_bEnabled && e->m_bTranslateError) return (int)i;
    } else if (auto* g = DYNAMIC_DOWNCAST(CMC_MotionGroup, child)) {
      if (g->m_bEnabled && g->HasTranslateError()) return (int)i;
    }
  }
  return -1;
}

int CMC_MotionGroup::GetChildrenCount() const {
  int count = 0;
  for (INT_PTR i = 0; i < GetSize(); ++i) {
    ++count;
    auto* g = DYNAMIC_DOWNCAST(CMC_MotionGroup, GetAt(i));
    if (g && g->m_bExpanded) count += g->GetChildrenCount();
  }
  return count;
}

CString CMC_MotionGroup::GetSource() const {
  CString source;
  for (INT_PTR i = 0; i < GetSize(); ++i) source += GetChildSource((int)i);
  return source;
}

CString CMC_MotionGroup::GetChildSource(int index) const {
  if (index < 0 || index >= GetSize()) return CString();
  CObject* child = GetAt(index);
  if (auto* e = DYNAMIC_DOWNCAST(CMC_MotionElem, child)) return e->m_bEnabled ? e->m_strCode : CString();
  if (auto* g = DYNAMIC_DOWNCAST(CMC_MotionGroup, child)) return g->m_bEnabled ? g->GetSource() : CString();
  return CString();
}

// ---- Group files ---------------------------------------------------------------------------------

namespace {
constexpr size_t kMaxGroupDepth = 1000;
}  // namespace

int CMC_MotionGroup::Load(const char* name, const char* file, int folder) {
  m_strName = name;
  DeleteAll();
  if (!file) return 0;
  FILE* f = OpenConfigFile(file, 0);
  if (!f) return 0;
  CString error;
  Load(file, f, error, folder);
  if (error.IsEmpty()) return 1;
  DeleteAll();
  if (g_bShowErrors) AfxMessageBox(error, MB_ICONEXCLAMATION);
  return 0;
}

int CMC_MotionGroup::Load(const char* file, FILE* f, CString& error, int folder) {
  error.Empty();
  if (!f) {
    error = FormatKernelString(IDS_CANNOT_OPEN, file ? file : "");
    return 0;
  }
  std::vector<CMC_MotionGroup*> open;  // innermost last; empty at the file's top level
  CString line, type, parameters, name;
  int lineNumber = 0;
  auto innermost = [&]() { return open.empty() ? this : open.back(); };
  auto syntaxError = [&]() {
    error = FormatKernelString(IDS_INVALID_SYNTAX, file ? file : "", LineFeedsRead(f, lineNumber));
  };

  while (error.IsEmpty() && ReadConfigFileLine(f, line, lineNumber)) {
    if ((!folder || !open.empty()) && ReadEscapedStringFromConfigLine(line, type)) {
      if (!ReadEscapedStringFromConfigLine(line, parameters)) {
        syntaxError();
        break;
      }
      auto* e = new (std::nothrow) CMC_MotionElem;
      if (!e) {
        error = FormatKernelString(IDS_OUT_OF_MEMORY);
        break;
      }
      e->m_strType = type;
      e->m_strParameters = parameters;
      e->m_bEnabled = line.CompareNoCase("disabled") != 0;
      innermost()->Add(e);
      continue;
    }
    int cut = line.FindOneOf(" \t");
    CString keyword = cut < 0 ? line : line.Left(cut);
    CString rest = cut < 0 ? CString() : line.Mid(cut + 1);
    rest.TrimLeft(" \t");
    if (keyword.CompareNoCase("Start") == 0 && ReadEscapedStringFromConfigLine(rest, name)) {
      auto* g = new (std::nothrow) CMC_MotionGroup(name);
      if (!g) {
        error = FormatKernelString(IDS_OUT_OF_MEMORY);
        break;
      }
      g->m_bEnabled = rest.CompareNoCase("disabled") != 0;
      innermost()->Add(g);
      // Groups are freed, copied and saved by recursion: a bound on the nesting keeps that within the stack.
      if (open.size() >= kMaxGroupDepth) {
        syntaxError();
        break;
      }
      open.push_back(g);
    } else if (keyword.CompareNoCase("End") == 0 && !open.empty()) {
      open.pop_back();
    } else {
      syntaxError();
    }
  }
  if (f) fclose(f);
  if (!error.IsEmpty()) {
    DeleteAll();
    return 0;
  }
  return 1;
}

int CMC_MotionGroup::PutIndent(FILE* f, int depth) {
  if (depth <= 0) return 1;
  return WriteText(f, CString('\t', depth));
}

int CMC_MotionGroup::Save(const char* file) const {
  if (!file) return 0;
  CConfigFileWriter writer(ShownFileName(file));
  return Save(writer) && writer.Commit();
}

int CMC_MotionGroup::Save(CConfigFileWriter& writer) const {
  writer.ShowSystemErrorText();
  FILE* f = writer.Open();
  return f && writer.Close(Save(f, 0));
}

int CMC_MotionGroup::Save(FILE* f, int depth) const {
  CString text;
  if (depth > 0) {
    text.Format("%s %s %s\r\n", "Start", EscapeString(m_strName).GetString(), m_bEnabled ? "" : "disabled");
    if (!PutIndent(f, depth) || !WriteText(f, text)) return 0;
  }
  for (INT_PTR i = 0; i < GetSize(); ++i) {
    CObject* child = GetAt(i);
    if (auto* e = DYNAMIC_DOWNCAST(CMC_MotionElem, child)) {
      text.Format("%s %s %s\r\n", EscapeString(e->m_strType).GetString(), EscapeString(e->m_strParameters).GetString(),
                  e->m_bEnabled ? "" : "disabled");
      if (!PutIndent(f, depth) || !WriteText(f, text)) return 0;
    } else if (auto* g = DYNAMIC_DOWNCAST(CMC_MotionGroup, child)) {
      if (!g->Save(f, depth + 1)) return 0;
    }
  }
  if (depth > 0) {
    if (!PutIndent(f, depth) || !WriteText(f, "End\r\n")) return 0;
  }
  return 1;
}

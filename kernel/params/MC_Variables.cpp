#include "kernel/params/MC_Variables.h"

#include "kernel/values/ConfigFile.h"
#include "kernel/document/KernelGlobals.h"
#include "kernel/setup/MC_Setup.h"
#include "kernel/params/MC_Units.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Path.h"

#include <cerrno>
#include <cstring>
#include <new>

CMC_Variables::CMC_Variables() : m_arrVariables(FALSE) {
  m_arrVariables.SetSize(0, 32);
}

CMC_Variables::~CMC_Variables() { Cleanup(); }

namespace {
// 0 for a name ending in "(L)", 1 for "(H)" (any case), else -1.
int HalfOfName(const char* name, size_t length) {
  if (length < 3 || name[length - 3] != '(' || name[length - 1] != ')') return -1;
  char c = name[length - 2];
  return c == 'L' || c == 'l' ? 0 : c == 'H' || c == 'h' ? 1 : -1;
}
}  // namespace

void CMC_Variables::Cleanup() {
  // The map holds every variable of the array once; the halves lie beside it.
  m_arrVariables.RemoveAll();
  m_mapByName.ForEach([](CMC_Variable* v) { CObjectPool<CMC_Variable>::Destroy(v); });
  for (CMC_Variable* h : m_halves) m_pool.Destroy(h);
  m_halves.clear();
  m_mapByName.RemoveAll();
  m_pool.Release();
  m_bHalfLikeNames = false;
}

CMC_Variable** CMC_Variables::HalfSlot(const char* name) {
  size_t length = name ? strlen(name) : 0;
  int half = HalfOfName(name, length);
  if (half < 0) return nullptr;
  std::string base(name, length - 3);
  int entry = m_mapByName.FindEntry(base.c_str());
  return entry < 0 ? nullptr : &m_halves[2 * (size_t)entry + (size_t)half];
}

bool CMC_Variables::OnAddVariable(CMC_Variable* variable, bool registered) {
  const CString& variableName = variable->GetName();
  if (!registered) {
    // Only a generated half can hold the name already: the variable of the list takes it over.
    if (CMC_Variable** held = HalfSlot(variableName)) {
      m_pool.Destroy(*held);
      *held = nullptr;
    }
    CMC_Variable* displaced = m_mapByName.Set(variableName, variable);
    if (displaced && displaced != variable) m_pool.Destroy(displaced);
  }
  if (HalfOfName(variableName, (size_t)variableName.GetLength()) >= 0) m_bHalfLikeNames = true;
  if (m_halves.size() < 2 * (size_t)m_mapByName.GetCount()) m_halves.resize(2 * (size_t)m_mapByName.GetCount());
  tagVarType lowType, highType;
  bool unitOnLow;
  switch (variable->GetType()) {
    case VAR_LONG: lowType = highType = VAR_INT; unitOnLow = true; break;
    case VAR_ULONG: lowType = highType = VAR_UINT; unitOnLow = true; break;
    case VAR_FIXED:
    case VAR_UFIXED: lowType = VAR_UINT; highType = VAR_INT; unitOnLow = false; break;
    default: return true;
  }
  int entry = registered ? m_mapByName.GetCount() - 1 : m_mapByName.FindEntry(variableName);
  WORD words[2] = {0, 0};
  variable->GetRawValue().WriteToBuffer(variable->GetType(), words);
  for (int half = 0; half < 2; ++half) {
    CString name = variableName + (half ? "(H)" : "(L)");
    // A name the file gave to a variable of its own stays that variable's.
    if (m_bHalfLikeNames && m_mapByName.Find(name)) continue;
    CMC_Variable* h = m_pool.New(*variable);
    if (!h) return false;
    m_halves[2 * (size_t)entry + (size_t)half] = h;
    h->ChangeName(name);
    h->ChangeType(half ? highType : lowType);
    h->ChangeAddress((WORD)(variable->GetAddress() + half));
    h->GetRawValue().zero();
    h->GetRawValue().ReadFromBuffer(h->GetType(), &words[half]);
    h->InvalidateIUCache();
    bool keepsUnit = half ? !unitOnLow : unitOnLow;
    if (!keepsUnit) h->ChangeUnitType(nullptr);
  }
  return true;
}

int CMC_Variables::ReadFile(const char* file, CMC_Setup& setup) {
  FILE* f = OpenConfigFile(file, FALSE);
  if (!f) return FALSE;
  Cleanup();
  CConfigLineReader reader(f);
  size_t expected = reader.CountLines();
  m_mapByName.Reserve(expected);
  m_halves.reserve(expected * 2);
  // Messages show the file in the platform's form.
  const std::string shown = NativePath(file);
  const char* fileName = shown.c_str();
  CString line, message;
  int lineNumber = 0;
  bool failed = false;
  while (!failed && reader.Next(line, lineNumber)) {
    CMC_Variable* variable = m_pool.New(setup);
    if (!variable) {
      message = FormatKernelString(20004);
      failed = true;
    } else if (!variable->ReadFromConfig(line, fileName, lineNumber)) {
      message = line;
      m_pool.Destroy(variable);
      failed = true;
    } else {
      CMC_Variable** half = HalfSlot(variable->GetName());
      if ((half && *half) || m_mapByName.Insert(variable->GetName(), variable)) {
        message = FormatKernelString(20018, fileName, lineNumber, variable->GetName().GetString());
        m_pool.Destroy(variable);
        failed = true;
      } else {
        m_arrVariables.Add(variable);
        if (!OnAddVariable(variable, true)) {
          message = FormatKernelString(20004);
          failed = true;
        }
      }
    }
  }
  fclose(f);
  if (!failed) return TRUE;
  if (g_bShowErrors) AfxMessageBox(message, MB_ICONEXCLAMATION);
  Cleanup();
  return FALSE;
}

int CMC_Variables::WriteFile(const char* file) {
  CConfigFileWriter writer(file);
  return WriteFile(writer) && writer.Commit();
}

int CMC_Variables::WriteFile(CConfigFileWriter& writer) {
  return writer.WriteEntries(m_arrVariables.GetSize(), [this](FILE* f, int i) {
    auto* p = m_arrVariables.GetAt(i);
    return p ? (p->WriteToConfig(f, TRUE) ? 1 : 0) : -1;
  });
}

CMC_Variable* CMC_Variables::FindVariable(const char* name) const {
  if (!name) return nullptr;
  if (CMC_Variable* v = m_mapByName.Find(name)) return v;
  CMC_Variable** half = const_cast<CMC_Variables*>(this)->HalfSlot(name);
  return half ? *half : nullptr;
}

int CMC_Variables::Copy(CMC_Variables& from, CMC_Setup& setup) {
  if (&from == this) return FALSE;
  Cleanup();
  for (int i = 0; i < from.m_arrVariables.GetSize(); ++i) {
    CMC_Variable* source = from.m_arrVariables.GetAt(i);
    CMC_Variable* copy = source ? m_pool.New(setup, *source) : nullptr;
    if (source && !copy) throw std::bad_alloc();
    m_arrVariables.Add(copy);
    if (copy) OnAddVariable(copy, false);
  }
  return AllUnitsAreValid(setup.GetUnits());
}

int CMC_Variables::AllUnitsAreValid(CMC_Units& units) {
  for (int i = 0; i < m_arrVariables.GetSize(); ++i) {
    CMC_Variable* v = m_arrVariables.GetAt(i);
    if (!v || !v->HasUnit()) continue;
    if (!mc_quantity::LookupUnitSilently(units, v->GetUnitName())) {
      ShowKernelMessage(MB_ICONEXCLAMATION, 20017, v->GetName().GetString(), v->GetUnitName().GetString());
      return FALSE;
    }
  }
  return TRUE;
}

// The halves carry units too, so their scales go with the others.
void CMC_Variables::InvalidateIUCache() {
  m_mapByName.ForEach([](CMC_Variable* v) { v->InvalidateIUCache(); });
  for (CMC_Variable* h : m_halves)
    if (h) h->InvalidateIUCache();
}

int CMC_Variables::AppendInSimplifiedFormToFile(FILE* file) {
  bool ok = file != nullptr;
  errno = 0;
  for (int i = 0; ok && i < m_arrVariables.GetSize(); ++i) {
    CMC_Variable* v = m_arrVariables.GetAt(i);
    if (v && !v->WriteToConfig(file, FALSE)) ok = false;
  }
  // Lines sit in the file's buffer: a full disk shows only once they are pushed out.
  if (ok && (fflush(file) != 0 || ferror(file))) ok = false;
  if (ok) return TRUE;
  CString text(std::strerror(errno ? errno : EIO));
  text.Truncate(1024);
  if (g_bShowErrors) AfxMessageBox(text, MB_ICONEXCLAMATION);
  return FALSE;
}

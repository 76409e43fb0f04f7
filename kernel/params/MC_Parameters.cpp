#include "kernel/params/MC_Parameters.h"

#include "kernel/values/ConfigFile.h"
#include "kernel/document/KernelGlobals.h"
#include "kernel/setup/MC_Setup.h"
#include "kernel/params/MC_Units.h"
#include "platform/core/Exception.h"
#include "platform/core/MessageBox.h"
#include "platform/core/Path.h"

#include <new>

CMC_Parameters::CMC_Parameters() : m_arrParameters(FALSE) {
  m_arrParameters.SetSize(0, 32);
}

CMC_Parameters::~CMC_Parameters() { Cleanup(); }

void CMC_Parameters::Cleanup() {
  for (int i = 0; i < m_arrParameters.GetSize(); ++i) {
    CMC_Parameter* p = m_arrParameters.GetAt(i);
    // Cleared first, so a parameter's destructor never sees a dangling pointer in the array.
    m_arrParameters.SetAt(i, nullptr);
    m_pool.Destroy(p);
  }
  m_arrParameters.RemoveAll();
  m_pool.Release();
  m_mapByName.RemoveAll();
  m_mapByAddress.RemoveAll();
}

void CMC_Parameters::CleanupArray(CObArrayEx<CMC_Parameter>& array) {
  for (int i = 0; i < array.GetSize(); ++i) {
    delete array.GetAt(i);
    array.SetAt(i, nullptr);
  }
  array.RemoveAll();
}

void CMC_Parameters::Register(CMC_Parameter* parameter) {
  m_mapByName.Set(parameter->GetName(), parameter);
  m_mapByAddress.Set(parameter->GetAddress(), parameter);
}

CMC_Parameter* CMC_Parameters::FindParameter(const char* name) const {
  if (CMC_Parameter* p = m_mapByName.Find(name)) return p;
  ShowKernelMessage(MB_ICONEXCLAMATION, 20010, name ? name : "");
  return nullptr;
}

CMC_Parameter* CMC_Parameters::FindParameter(WORD address) const {
  if (CMC_Parameter* p = m_mapByAddress.Find(address)) return p;
  ShowKernelMessage(MB_ICONEXCLAMATION, 20021, address);
  return nullptr;
}

int CMC_Parameters::ReadFile(const char* file, CMC_Setup& setup) {
  FILE* f = OpenConfigFile(file, FALSE);
  if (!f) return FALSE;
  Cleanup();
  CConfigLineReader reader(f);
  size_t expected = reader.CountLines();
  m_mapByName.Reserve(expected);
  m_mapByAddress.Reserve(expected);
  // Messages show the file in the platform's form.
  const std::string shown = NativePath(file);
  const char* fileName = shown.c_str();
  CString line, message;
  int lineNumber = 0;
  bool failed = false;
  while (!failed && reader.Next(line, lineNumber)) {
    CMC_Parameter* parameter = m_pool.New(setup);
    if (!parameter) {
      message = FormatKernelString(20004);
      failed = true;
      break;
    }
    if (!parameter->ReadFromConfig(line, fileName, lineNumber)) {
      message = line;
      m_pool.Destroy(parameter);
      failed = true;
      break;
    }
    // Indexed as they are checked; a failure clears both indexes below.
    if (m_mapByName.Insert(parameter->GetName(), parameter)) {
      message = FormatKernelString(20012, fileName, lineNumber, parameter->GetName().GetString());
      m_pool.Destroy(parameter);
      failed = true;
      break;
    }
    if (m_mapByAddress.Insert(parameter->GetAddress(), parameter)) {
      message = FormatKernelString(20013, fileName, lineNumber, parameter->GetAddress());
      m_pool.Destroy(parameter);
      failed = true;
      break;
    }
    m_arrParameters.Add(parameter);
    if (!setup.OnInitParam(parameter->GetName())) failed = true;
  }
  fclose(f);
  if (!failed) return TRUE;
  if (!message.IsEmpty() && g_bShowErrors) AfxMessageBox(message, MB_ICONEXCLAMATION);
  Cleanup();
  return FALSE;
}

int CMC_Parameters::WriteFile(const char* file) {
  CConfigFileWriter writer(file);
  return WriteFile(writer) && writer.Commit();
}

int CMC_Parameters::WriteFile(CConfigFileWriter& writer) {
  return writer.WriteEntries(m_arrParameters.GetSize(), [this](FILE* f, int i) {
    auto* p = m_arrParameters.GetAt(i);
    return p ? (p->WriteToConfig(f) ? 1 : 0) : -1;
  });
}

int CMC_Parameters::Copy(CMC_Parameters& from, CMC_Setup& setup) {
  if (&from == this) return FALSE;
  Cleanup();
  for (int i = 0; i < from.m_arrParameters.GetSize(); ++i) {
    CMC_Parameter* source = from.m_arrParameters.GetAt(i);
    CMC_Parameter* copy = source ? m_pool.New(setup, *source) : nullptr;
    if (source && !copy) throw std::bad_alloc();
    m_arrParameters.Add(copy);
    if (copy) Register(copy);
  }
  return AllUnitsAreValid(setup.GetUnits());
}

int CMC_Parameters::AllUnitsAreValid(CMC_Units& units) {
  for (int i = 0; i < m_arrParameters.GetSize(); ++i) {
    CMC_Parameter* p = m_arrParameters.GetAt(i);
    if (!p || !p->HasUnit()) continue;
    if (!mc_quantity::LookupUnitSilently(units, p->GetUnitName())) {
      ShowKernelMessage(MB_ICONEXCLAMATION, 20016, p->GetName().GetString(), p->GetUnitName().GetString());
      return FALSE;
    }
  }
  return TRUE;
}

void CMC_Parameters::InvalidateIUCache() {
  for (int i = 0; i < m_arrParameters.GetSize(); ++i)
    if (CMC_Parameter* p = m_arrParameters.GetAt(i)) p->InvalidateIUCache();
}

void CMC_Parameters::BackupParameters(CObArrayEx<CMC_Parameter>& backup) {
  for (int i = 0; i < m_arrParameters.GetSize(); ++i) {
    CMC_Parameter* p = m_arrParameters.GetAt(i);
    backup.Add(p ? new CMC_Parameter(*p) : nullptr);
  }
}

void CMC_Parameters::RestoreParameters(CObArrayEx<CMC_Parameter>& backup) {
  // Checked before anything changes, so a wrong backup leaves the list as it was.
  if (backup.GetSize() > m_arrParameters.GetSize()) AfxThrowInvalidArgException();
  for (int i = 0; i < backup.GetSize(); ++i) {
    CMC_Parameter* b = backup.GetAt(i);
    CMC_Parameter* p = m_arrParameters.GetAt(i);
    if (b && p) *p = *b;
  }
}

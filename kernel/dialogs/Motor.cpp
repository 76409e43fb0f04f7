#include "kernel/dialogs/Motor.h"

#include "kernel/values/ConfigFile.h"
#include "kernel/document/KernelGlobals.h"
#include "kernel/setup/MC_Setup.h"
#include "kernel/values/QuietErrors.h"
#include "kernel/setup/SetupStringIds.h"
#include "kernel/values/Utilities.h"
#include "platform/core/Exception.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Format.h"
#include "platform/core/MessageBox.h"

#include <new>

namespace {

CString DatabaseFile(const char* database, const char* motor) {
  CString file;
  file.Format("Databases\\%s\\%s.cfg", database, motor);
  return file;
}

CString Upper(const CString& s) {
  CString u = s;
  u.MakeUpper();
  return u;
}

bool ReadsAsNumber(const CString& text, double& v) { return ScanString(text, "%lf", &v) == 1; }

// A typed name that cannot be a file name never reaches the file system.
bool CheckMotorName(const char* motor) {
  if (IsValidFilename(motor)) return true;
  ShowKernelMessageAlways(MB_ICONEXCLAMATION, IDS_INVALID_NAME);
  return false;
}

}  // namespace

IMPLEMENT_DYNAMIC(CMotorParameter, CObject)

CMotorParameter::CMotorParameter() : m_dValue(NOT_AVAILABLE_VALUE) {}

CMotorParameter::CMotorParameter(const CMotorParameter& other)
    : CObject(), m_strName(other.m_strName), m_strValue(other.m_strValue), m_dValue(other.m_dValue) {}

CMotorParameter& CMotorParameter::operator=(const CMotorParameter& other) {
  m_strName = other.m_strName;
  m_strValue = other.m_strValue;
  m_dValue = other.m_dValue;
  return *this;
}

CMotor::CMotor() : m_mapNames(10) { m_mapNames.InitHashTable(97); }

CMotor::~CMotor() { Cleanup(); }

CMotor& CMotor::operator=(const CMotor& other) {
  if (this == &other) return *this;
  Cleanup();
  for (int i = 0; i < other.m_arrParameters.GetSize(); ++i) {
    CMotorParameter* p = new CMotorParameter(*other.m_arrParameters[i]);
    m_arrParameters.Add(p);
    m_mapNames.SetAt(Upper(p->GetName()), p);
  }
  return *this;
}

void CMotor::Cleanup() {
  m_arrParameters.RemoveAll();
  m_mapNames.RemoveAll();
}

CMotorParameter* CMotor::GetParameter(int index) const {
  if (index < 0 || index >= m_arrParameters.GetSize()) AfxThrowInvalidArgException();
  return m_arrParameters[index];
}

CMotorParameter* CMotor::FindParameter(const char* name) const {
  CObject* p = nullptr;
  if (!name || !m_mapNames.Lookup(Upper(name), p)) return nullptr;
  return static_cast<CMotorParameter*>(p);
}

bool CMotor::Add(CMotorParameter* p, const CString& file, int line) {
  if (FindParameter(p->GetName())) {
    CString name = p->GetName();
    delete p;
    ShowKernelMessage(MB_ICONEXCLAMATION, IDS_SETUP_PARAMETER_DEFINED, file.GetString(), line, name.GetString());
    return false;
  }
  m_arrParameters.Add(p);
  m_mapNames.SetAt(Upper(p->GetName()), p);
  return true;
}

int CMotor::ReadFile(const CString& file, bool reference, BOOL keysOnly) {
  FILE* f = OpenConfigFile(file, 0);
  if (!f) return 0;
  Cleanup();
  CString line;
  int number = 0;
  while (ReadConfigFileLine(f, line, number)) {
    int eq = line.Find('=');
    CString name, value;
    double v = 0;
    bool syntax = true;
    if (reference) {
      if (eq < 0) {
        if (keysOnly) break;
        name = line;
      } else if (eq > 0) {
        name = line.Left(eq);
        name.TrimRight();
        value = line.Mid(eq + 1);
        value.TrimLeft();
        syntax = !name.IsEmpty() && !value.IsEmpty() && !ReadsAsNumber(value, v);
      } else {
        syntax = false;
      }
    } else {
      int cut = line.FindOneOf("<>");
      if (cut >= 0) line = line.Left(cut);
      line.TrimRight();
      eq = line.Find('=');
      if (eq > 0) {
        name = line.Left(eq);
        name.TrimRight();
        value = line.Mid(eq + 1);
        value.TrimLeft();
        int blank = value.FindOneOf(" \t");
        if (blank >= 0) value = value.Left(blank);
      }
      syntax = eq > 0 && !name.IsEmpty() && !value.IsEmpty();
      if (syntax && ReadsAsNumber(value, v)) {
        if (keysOnly) break;
        value.Empty();
      }
    }
    if (!syntax) {
      ShowKernelMessage(MB_ICONEXCLAMATION, IDS_SETUP_SYNTAX, file.GetString(), number);
      Cleanup();
      if (f) fclose(f);
      return 0;
    }
    CMotorParameter* p = new (std::nothrow) CMotorParameter;
    if (!p) {
      ShowKernelMessage(MB_ICONEXCLAMATION, IDS_SETUP_OUT_OF_MEMORY);
      Cleanup();
      if (f) fclose(f);
      return 0;
    }
    p->m_strName = name;
    p->m_strValue = value;
    if (value.IsEmpty() && !reference) p->m_dValue = v;
    if (!Add(p, file, number)) {
      Cleanup();
      if (f) fclose(f);
      return 0;
    }
  }
  if (f) fclose(f);
  return 1;
}

int CMotor::ReadFromDatabase(const char* database, const char* motor, BOOL keysOnly) {
  if (!database || !*database || !motor || !*motor) return 0;
  return ReadFile(DatabaseFile(database, motor), false, keysOnly);
}

int CMotor::SkipErrorForParam(CString name) {
  return name == "SensorsConfiguration" || name == "isEncoder" || name == "HALL30";
}

int CMotor::ReadFromSetup(CMC_Setup* setup, BOOL keysOnly) {
  if (!setup) return 0;
  CString reference = setup->GetOption("ReferenceName");
  if (reference.IsEmpty()) return 0;
  CString file;
  file.Format("ReferenceMotors\\%s.cfg", reference.GetString());
  if (!ReadFile(file, true, keysOnly)) return 0;
  if (keysOnly) return 1;
  for (int i = 0; i < m_arrParameters.GetSize(); ++i) {
    CMotorParameter* p = m_arrParameters[i];
    if (!p->IsNumerical()) continue;
    CMC_Parameter* param = nullptr;
    if (SkipErrorForParam(p->GetName())) {
      CQuietErrors quiet;
      param = setup->FindParameter(p->GetName());
      // Dropped rather than kept without a value, which a save would write as a number.
      if (!param) {
        m_mapNames.RemoveKey(Upper(p->GetName()));
        m_arrParameters.RemoveAt(i--);
        continue;
      }
    } else {
      // The setup's own look-up is quiet; this one names the missing parameter.
      param = setup->GetParameters().FindParameter(p->GetName());
      if (!param) {
        Cleanup();
        return 0;
      }
    }
    p->m_dValue = param->GetValueInBaseUnit();
  }
  return 1;
}

int CMotor::WriteToSetup(CMC_Setup* setup) {
  if (!setup) return 0;
  CQuietErrors quiet;
  for (int i = 0; i < m_arrParameters.GetSize(); ++i) {
    CMotorParameter* p = m_arrParameters[i];
    if (!p->IsNumerical()) continue;
    if (CMC_Parameter* param = setup->FindParameter(p->GetName())) param->SetValueInBaseUnit(p->m_dValue);
  }
  return 1;
}

int CMotor::IsSetupModified(CMC_Setup* setup) {
  if (!setup) return 0;
  CQuietErrors quiet;
  for (int i = 0; i < m_arrParameters.GetSize(); ++i) {
    CMotorParameter* p = m_arrParameters[i];
    if (!p->IsNumerical()) continue;
    CMC_Parameter* param = setup->FindParameter(p->GetName());
    if (param && !param->IsDifferenceInsignificant(p->m_dValue)) return 1;
  }
  return 0;
}

int CMotor::WriteToUserDatabase(const char* motor) {
  if (!motor || !*motor || !CheckMotorName(motor)) return 0;
  CString file = DatabaseFile(GetUserDatabase(), motor);
  if (ExistConfigFile(file) &&
      ShowKernelMessageAlways(MB_YESNO | MB_DEFBUTTON2 | MB_ICONQUESTION, IDS_MOTOR_OVERWRITE, motor,
                              GetUserDatabase().GetString()) != IDYES)
    return 0;
  CreateDir(ResolveConfigFileName("Databases\\" + GetUserDatabase()));
  // Written beside the old entry, which stays as it was unless the new one is complete.
  CConfigFileWriter writer(ShownFileName(file), ResolveConfigFileName(file));
  FILE* f = writer.Open();
  if (!f) return 0;
  for (int i = 0; i < m_arrParameters.GetSize(); ++i) {
    CMotorParameter* p = m_arrParameters[i];
    if (!p) {
      writer.Close(TRUE);
      ShowKernelMessage(MB_ICONEXCLAMATION, IDS_SETUP_OUT_OF_MEMORY);
      return 0;
    }
    CString line;
    if (p->IsNumerical()) line.Format("%s = %.5g\r\n", p->GetName().GetString(), p->m_dValue);
    else line.Format("%s = %s\r\n", p->GetName().GetString(), p->m_strValue.GetString());
    if (fputs(line, f) < 0) return writer.Close(FALSE);
  }
  return writer.Close(TRUE) && writer.Commit() ? 1 : 0;
}

int CMotor::DeleteFromUserDatabase(const char* motor) {
  if (!motor || !*motor || !CheckMotorName(motor)) return 0;
  if (ShowKernelMessageAlways(MB_YESNO | MB_DEFBUTTON2 | MB_ICONQUESTION, IDS_MOTOR_DELETE, motor,
                              GetUserDatabase().GetString()) != IDYES)
    return 0;
  if (!DeleteFile(ResolveConfigFileName(DatabaseFile(GetUserDatabase(), motor)))) {
    ShowKernelMessageAlways(MB_ICONSTOP, IDS_MOTOR_DELETE_FAILED);
    return 0;
  }
  return 1;
}

int CMotor::AreCompatible(CMotor& other) {
  for (int i = 0; i < m_arrParameters.GetSize(); ++i) {
    CMotorParameter* p = m_arrParameters[i];
    if (!p || p->IsNumerical()) return 1;
    CMotorParameter* q = other.FindParameter(p->GetName());
    if (q && !q->IsNumerical() && q->m_strValue.CompareNoCase(p->m_strValue) != 0) return 0;
  }
  return 1;
}

void CMotor::FindCompatible(const char* database, CStringArray& out, bool firstOnly) {
  out.RemoveAll();
  if (!database || !*database) return;
  CQuietErrors quiet;
  CFileFind find;
  BOOL more = find.FindFile(ResolveConfigFileName(DatabaseFile(database, "*")));
  while (more) {
    more = find.FindNextFile();
    if (find.IsDirectory()) continue;
    CMotor candidate;
    CString title = find.GetFileTitle();
    if (candidate.ReadFromDatabase(database, title, TRUE) && AreCompatible(candidate)) {
      out.Add(title);
      if (firstOnly) return;
    }
  }
}

void CMotor::GetCompatibleMotorsFromDatabase(const char* database, CStringArray& out) {
  FindCompatible(database, out, false);
}

int CMotor::ExistCompatibleMotorsInDatabase(const char* database) {
  CStringArray found;
  FindCompatible(database, found, true);
  return found.GetSize() > 0;
}

void CMotor::GetDatabasesWithCompatibleMotors(CStringArray& out) {
  out.RemoveAll();
  bool user = false;
  CFileFind find;
  BOOL more = find.FindFile(ResolveConfigFileName("Databases\\*"));
  while (more) {
    more = find.FindNextFile();
    if (!find.IsDirectory() || find.IsDots()) continue;
    CString name = find.GetFileName();
    if (name.CompareNoCase(GetUserDatabase()) == 0) user = true;
    else if (ExistCompatibleMotorsInDatabase(name)) out.Add(name);
  }
  if (!user) CreateDir(ResolveConfigFileName("Databases\\" + GetUserDatabase()));
  out.Add(GetUserDatabase());
}

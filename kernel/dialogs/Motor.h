// Motor data stored under a motor name in the motor databases, read from and written into setups;
// a setup's reference motor decides which database motors fit it.
#pragma once

#include "kernel/values/ObArrayEx.h"
#include "platform/core/Map.h"
#include "platform/core/Object.h"
#include "platform/core/String.h"
#include "platform/core/StringArray.h"

class CMC_Setup;

// One named value of a motor: textual when its text is not empty, else numerical in its base unit.
class CMotorParameter : public CObject {
  DECLARE_DYNAMIC(CMotorParameter)

 public:
  CMotorParameter();
  CMotorParameter(const CMotorParameter& other);
  CMotorParameter& operator=(const CMotorParameter& other);

  int IsNumerical() const { return m_strValue.IsEmpty(); }
  const CString& GetName() const { return m_strName; }

  CString m_strName;
  CString m_strValue;
  double m_dValue;
};

class CMotor {
 public:
  CMotor();
  ~CMotor();
  CMotor(const CMotor&) = delete;
  CMotor& operator=(const CMotor& other);

  void Cleanup();
  int IsValid() const { return m_arrParameters.GetSize() > 0; }
  int GetParametersCount() const { return m_arrParameters.GetSize(); }
  // Out-of-range indices raise the invalid-argument exception.
  CMotorParameter* GetParameter(int index) const;
  CMotorParameter* FindParameter(const char* name) const;

  int ReadFromDatabase(const char* database, const char* motor, BOOL keysOnly);
  int ReadFromSetup(CMC_Setup* setup, BOOL keysOnly);
  int WriteToSetup(CMC_Setup* setup);
  int IsSetupModified(CMC_Setup* setup);
  int WriteToUserDatabase(const char* motor);
  static int DeleteFromUserDatabase(const char* motor);

  // Called on the reference motor.
  void GetDatabasesWithCompatibleMotors(CStringArray& out);
  void GetCompatibleMotorsFromDatabase(const char* database, CStringArray& out);

  static CString GetUserDatabase() { return "User"; }

 protected:
  int AreCompatible(CMotor& other);
  int ExistCompatibleMotorsInDatabase(const char* database);
  int SkipErrorForParam(CString name);

 private:
  // Reads a database motor file or, with `reference`, a reference motor file.
  int ReadFile(const CString& file, bool reference, BOOL keysOnly);
  // Appends a parameter; false (with the message shown) for a repeated name.
  bool Add(CMotorParameter* p, const CString& file, int line);
  // The compatible motors of a database, stopping at the first when `firstOnly`.
  void FindCompatible(const char* database, CStringArray& out, bool firstOnly);

  CObArrayEx<CMotorParameter> m_arrParameters;
  CMapStringToOb m_mapNames;
};

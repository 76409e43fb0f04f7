// The parameters of a setup in file order, looked up by name and by address; reads and writes parameters.cfg.
#pragma once

#include "kernel/params/MC_Parameter.h"
#include "kernel/values/ObArrayEx.h"
#include "kernel/values/ObjectPool.h"
#include "platform/core/Collections.h"

class CConfigFileWriter;
class CMC_Setup;
class CMC_Units;

class CMC_Parameters {
 public:
  CMC_Parameters();
  CMC_Parameters(const CMC_Parameters&) = delete;
  CMC_Parameters& operator=(const CMC_Parameters&) = delete;
  virtual ~CMC_Parameters();

  void Cleanup();
  static void CleanupArray(CObArrayEx<CMC_Parameter>& array);

  int GetSize() const { return m_arrParameters.GetSize(); }
  CMC_Parameter* operator[](int i) const { return m_arrParameters.GetAt(i); }
  CMC_Parameter* GetAt(int i) const { return m_arrParameters.GetAt(i); }

  // Any case of the name; null and a message when absent.
  CMC_Parameter* FindParameter(const char* name) const;
  CMC_Parameter* FindParameter(WORD address) const;

  // Loads the whole file or nothing: the first bad line empties the list with one message.
  int ReadFile(const char* file, CMC_Setup& setup);
  int WriteFile(const char* file);
  // Into the writer's temporary file, which the caller commits.
  int WriteFile(CConfigFileWriter& writer);
  // Copies every parameter of `from` for `setup`; false when a unit is not in the setup's table.
  int Copy(CMC_Parameters& from, CMC_Setup& setup);
  int AllUnitsAreValid(CMC_Units& units);
  void InvalidateIUCache();
  void BackupParameters(CObArrayEx<CMC_Parameter>& backup);
  void RestoreParameters(CObArrayEx<CMC_Parameter>& backup);

 private:
  void Register(CMC_Parameter* parameter);

  CObArrayEx<CMC_Parameter> m_arrParameters;  // does not own: the pool does
  CObjectPool<CMC_Parameter> m_pool;
  mc_quantity::FlatIndex<CMC_Parameter, mc_quantity::NameKey> m_mapByName;  // without regard to case
  mc_quantity::FlatIndex<CMC_Parameter, mc_quantity::AddressKey> m_mapByAddress;
};

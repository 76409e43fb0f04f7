// The variables of a setup read from a variables.cfg, with the word halves of 32-bit variables.
#pragma once

#include "kernel/params/MC_Variable.h"
#include "kernel/values/ObArrayEx.h"
#include "kernel/values/ObjectPool.h"
#include "platform/core/Collections.h"

#include <cstdio>
#include <vector>

class CComboBox;
class CConfigFileWriter;
class CMC_Setup;
class CMC_Units;

class CMC_Variables {
 public:
  CMC_Variables();
  CMC_Variables(const CMC_Variables&) = delete;
  CMC_Variables& operator=(const CMC_Variables&) = delete;
  virtual ~CMC_Variables();

  void Cleanup();
  int GetSize() const { return m_arrVariables.GetSize(); }
  CMC_Variable* GetAt(int i) const { return m_arrVariables.GetAt(i); }

  // Loads the whole file or nothing: the first bad line empties the list with one message.
  int ReadFile(const char* file, CMC_Setup& setup);
  // The variables of the file; the halves are never written.
  int WriteFile(const char* file);
  // Into the writer's temporary file, which the caller commits.
  int WriteFile(CConfigFileWriter& writer);
  // Any case; the halves "(L)" and "(H)" included; null without a message when absent.
  CMC_Variable* FindVariable(const char* name) const;
  int Copy(CMC_Variables& from, CMC_Setup& setup);
  int AllUnitsAreValid(CMC_Units& units);
  void InvalidateIUCache();
  // Adds every named variable of the file to the combo and selects the one named `select` (any case).
  void AppendListToCombo(CComboBox& combo, const char* select);
  // Lines without units, to a file the caller opened.
  int AppendInSimplifiedFormToFile(FILE* file);

 private:
  // Registers the variable (unless the caller did) and, for a 32-bit integer or fixed type, its two
  // halves; false when no memory was left for them.
  bool OnAddVariable(CMC_Variable* variable, bool registered);
  // The slot of the half a name "<variable>(L)" or "<variable>(H)" stands for (null in it when that
  // variable has no such half), or null when the name is no half's.
  CMC_Variable** HalfSlot(const char* name);

  CObArrayEx<CMC_Variable> m_arrVariables;  // does not own: the pool does
  CObjectPool<CMC_Variable> m_pool;  // the variables and their halves
  // Names without regard to case; the halves are not in it, so a load indexes each name once.
  mc_quantity::FlatIndex<CMC_Variable, mc_quantity::NameKey> m_mapByName;
  // Two per entry of the map, low then high; null where the entry has no such half.
  std::vector<CMC_Variable*> m_halves;
  // Whether a name of the map ends like a half's: only then can a half's name be taken.
  bool m_bHalfLikeNames = false;
};

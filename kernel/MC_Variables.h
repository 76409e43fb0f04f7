// The variables of a setup read from a variables.cfg, with the word halves of 32-bit variables.
#pragma once

#include "kernel/MC_Variable.h"
#include "kernel/ObArrayEx.h"
#include "platform/core/Collections.h"

#include <cstdio>

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
  // Any case; the halves "(L)" and "(H)" included; null without a message when absent.
  CMC_Variable* FindVariable(const char* name) const;
  int Copy(CMC_Variables& from, CMC_Setup& setup);
  int AllUnitsAreValid(CMC_Units& units);
  void InvalidateIUCache();
  // Lines without units, to a file the caller opened.
  int AppendInSimplifiedFormToFile(FILE* file);

 private:
  // Registers the variable and, for a 32-bit integer or fixed type, its two halves; false when no
  // memory was left for them.
  bool OnAddVariable(CMC_Variable* variable);

  CObArrayEx<CMC_Variable> m_arrVariables;  // does not own: the map does
  CMapStringToPtr m_mapByName;              // upper-cased names, halves included
};

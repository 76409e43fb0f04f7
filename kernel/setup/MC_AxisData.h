// One axis of a multi-axis document; the host derives it and overrides the getters.
#pragma once

#include "kernel/values/ObArrayEx.h"
#include "platform/core/Object.h"
#include "platform/core/Types.h"

class CMC_Setup;
class CMC_CoffFormat;
class CMC_SingleAxisLogger;
class CMC_ScopeLogger;
class CMC_ControlPanel;
class CMC_Motion;

class CMC_AxisData : public CObject {
  DECLARE_DYNCREATE(CMC_AxisData)

 public:
  // The base holds nothing, so copies carry nothing over.
  CMC_AxisData(const CMC_AxisData&) : CObject() {}
  CMC_AxisData& operator=(const CMC_AxisData&) { return *this; }

  virtual const char* GetName() { return ""; }
  virtual BYTE GetAxisID() { return 0; }
  virtual CMC_Setup* GetSetup() { return nullptr; }
  virtual CMC_CoffFormat* GetCoffFile() { return nullptr; }
  virtual CMC_SingleAxisLogger* GetLogger() { return nullptr; }
  virtual CMC_ScopeLogger* GetScopeLogger() { return nullptr; }
  virtual CMC_ControlPanel* GetControlPanel() { return nullptr; }
  virtual CMC_Motion* GetMotion() { return nullptr; }

 protected:
  CMC_AxisData() = default;
};

class CMC_AxisDataArray : public CObArrayEx<CMC_AxisData> {
 public:
  explicit CMC_AxisDataArray(int owns = TRUE) : CObArrayEx<CMC_AxisData>(owns) {}
};

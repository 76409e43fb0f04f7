// A wait condition of a motion element: read and written as "Ev" keys of its parameter string,
// chosen and edited in the event dialogs, described in one line and turned into motion-language code.
#pragma once

#include "motion/model/MC_EditMotionInternalData.h"
#include "platform/core/String.h"
#include "platform/core/Types.h"

class CMC_Parameter;

class CMotionEvent : public CMC_EditMotionInternalData {
 public:
  enum tagEventType {
    evNone = 0,
    evMotionComplete = 1,
    evPosition = 2,
    evSpeed = 3,
    evTime = 4,
    evReference = 5,
    evInput = 6,
    evVariable = 7,
    evTargetReached = 8,
    evVectorDistance = 9,
  };
  enum tagSensor { sensorInvalid = -1, sensorMotor = 0, sensorLoad = 1 };
  enum tagReference { refPosition = 0, refSpeed = 1, refTorque = 2 };

  CMotionEvent(CMC_Setup& setup, CMC_Motion& motion);
  CMotionEvent(const CMotionEvent& other);
  CMotionEvent& operator=(const CMotionEvent& other);
  ~CMotionEvent() override;

  int ReadParameters(CString& parameters, CString& errors) override;
  void WriteParameters(CString& parameters) override;

  int GetEventType() const { return m_nType; }
  int IsEventDefined() const { return m_nType != evNone; }
  int IsEditable() const;
  // Lets the user choose the type, then edit the event; 0 (the event as it was) when cancelled.
  int ChangeType(int noneFlag);
  int Edit();
  CString GenerateMLCode();
  CString GetDescription(int noneFlag);
  CString GetSlaveMaskList() const;

  void InitializePositionParam(CMC_Parameter*& param, tagSensor sensor, CMC_Setup* setup);
  void InitializeSpeedParam(CMC_Parameter*& param, tagSensor sensor, CMC_Setup* setup);
  void InitializeReferenceParam(CMC_Parameter*& param, tagReference reference, CMC_Setup* setup);
  void InitializeVariableParam(CMC_Parameter*& param, const char* variable, CMC_Setup* setup);

  // Bit n set: event type n may be used.
  WORD m_wAllowedTypes = 0xFFFF;
  int m_nType = evNone;
  int m_nSensor = sensorMotor;
  int m_nOperator = 0;
  int m_nSourceType = 0;
  CMC_Parameter* m_pValue = nullptr;
  CMC_Parameter* m_pSecond = nullptr;
  CString m_strSourceVariable;
  int m_nSlaveAxis = -1;
  int m_nSelectedSlaves = 0;
  int m_nMCType = 0;
  int m_nMCSetParameters = 0;
  int m_nPosition = 0;
  int m_nReference = refPosition;
  int m_nInput = 0;
  int m_nInputLevel = 1;
  int m_nInputPort = -1;
  CString m_strVariable;

 protected:
  static const char* GetSensorDesc(int sensor) { return sensor == 0 ? "motor" : "load"; }
  static const char* GetPositionDesc(int position) { return position == 1 ? "relative" : "absolute"; }
  static const char* GetOperatorDesc(int op) { return op == 1 ? "under" : "over"; }
  static const char* GetSourceDesc(int source) { return source == 1 ? "value of variable" : "value"; }
  static const char* GetReferenceDesc(int reference);
  const char* GetInputLevelDesc() const;
  CString GetSlaveMaskDesc() const;
  CString GetInputDesc() const;

 private:
  void CopyFields(const CMotionEvent& other);
  // The setup whose options apply: the slave's for a controller (null when it has none), else the event's.
  CMC_Setup* EventSetup() const;
  int Option(const char* name) const;
  // Gives the value (and second) parameter the defaults of the current type.
  void SetTypeDefaults();
  void BindUnusedParameters();
  CString ValueText() const;
  CString CompareTail() const;
  CString InputCode() const;
  void ReadCommonTail(CString& params, CString& errors, const char* name, const char* suffix, CMC_Setup* setup,
                      bool withOperator);
  // Reads a radio key into field, which becomes -1 on error; true when it read.
  bool ReadChoice(CString& params, CString& errors, const char* key, int& field, int max);
  // Reads the slave of a controller's event; its setup, or null when it cannot be had.
  CMC_Setup* ReadSlave(CString& params, CString& errors);
  void ReadSelectedSlaves(CString& params, CString& errors);
  void ReadMotionCompleteParams(CString& params, CString& errors, bool controller);
  // Position and speed events: the sensor, absolute or relative, and the compared value.
  void ReadFeedbackParams(CString& params, CString& errors, bool controller);
  void ReadReferenceParams(CString& params, CString& errors, bool controller);
  void ReadInputParams(CString& params, CString& errors, bool controller);
  void ReadVariableParams(CString& params, CString& errors);
  void WriteCommonTail(CString& params, bool withOperator);
};

// One motion element: the motion module that owns it, its parameter string and its cached code.
#pragma once

#include "platform/core/Object.h"
#include "platform/core/String.h"

class CMC_MotionElem : public CObject {
  DECLARE_DYNAMIC(CMC_MotionElem)

 public:
  CMC_MotionElem();
  CMC_MotionElem(const CMC_MotionElem& other);
  CMC_MotionElem& operator=(const CMC_MotionElem& other);
  ~CMC_MotionElem() override;

  // Name of the owning motion module, compared without regard to case.
  CString m_strType;
  // 1 after a failed translation; m_strCode then holds the error text.
  int m_bTranslateError;
  CString m_strParameters;
  // Empty until translated.
  CString m_strCode;
  int m_bEnabled;
};

#include "motion/model/MC_MotionElem.h"

IMPLEMENT_DYNAMIC(CMC_MotionElem, CObject)

CMC_MotionElem::CMC_MotionElem() : m_bTranslateError(0), m_bEnabled(1) {}

CMC_MotionElem::CMC_MotionElem(const CMC_MotionElem& other)
    : CObject(),
      m_strType(other.m_strType),
      m_bTranslateError(other.m_bTranslateError),
      m_strParameters(other.m_strParameters),
      m_strCode(other.m_strCode),
      m_bEnabled(other.m_bEnabled) {}

CMC_MotionElem& CMC_MotionElem::operator=(const CMC_MotionElem& other) {
  if (this != &other) {
    m_strType = other.m_strType;
    m_bTranslateError = other.m_bTranslateError;
    m_strParameters = other.m_strParameters;
    m_strCode = other.m_strCode;
    m_bEnabled = other.m_bEnabled;
  }
  return *this;
}

CMC_MotionElem::~CMC_MotionElem() = default;

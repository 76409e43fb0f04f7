// Sets whether the kernel shows its message boxes for a scope and puts the flag back after it.
#pragma once

#include "kernel/document/KernelGlobals.h"

class CShowErrorsScope {
 public:
  explicit CShowErrorsScope(BOOL show) : m_old(g_bShowErrors) { g_bShowErrors = show; }
  ~CShowErrorsScope() { g_bShowErrors = m_old; }
  CShowErrorsScope(const CShowErrorsScope&) = delete;
  CShowErrorsScope& operator=(const CShowErrorsScope&) = delete;

 private:
  BOOL m_old;
};

// Message boxes off for a scope.
class CQuietErrors : public CShowErrorsScope {
 public:
  CQuietErrors() : CShowErrorsScope(FALSE) {}
};

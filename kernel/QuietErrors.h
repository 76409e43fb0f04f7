// Switches the kernel's message boxes off for a scope and puts the flag back after it.
#pragma once

#include "kernel/KernelGlobals.h"

class CQuietErrors {
 public:
  CQuietErrors() : m_old(g_bShowErrors) { g_bShowErrors = FALSE; }
  ~CQuietErrors() { g_bShowErrors = m_old; }
  CQuietErrors(const CQuietErrors&) = delete;
  CQuietErrors& operator=(const CQuietErrors&) = delete;

 private:
  BOOL m_old;
};

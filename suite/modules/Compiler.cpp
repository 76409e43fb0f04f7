// The compiler module as far as this build has one: every compile fails with a clear error text.
#include "kernel/MC_Setup.h"

#include <string>

namespace {
std::string g_error;
}

extern "C" int comp_CompileFile(CMC_Setup*, CMC_CoffFormat*, const char* file, WORD, WORD, WORD, WORD, WORD, WORD) {
  g_error = std::string(file ? file : "") + "(0): error: no motion-language compiler is installed in this kernel.";
  return 0;
}

extern "C" const char* comp_GetErrorString() { return g_error.c_str(); }

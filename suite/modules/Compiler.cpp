// The compiler module: compiles motion-language sources into a COFF object or a ".word" listing.
#include "comm/MC_CoffFormat.h"
#include "kernel/setup/MC_Setup.h"
#include "platform/core/Types.h"
#include "suite/modules/compiler/ZurCompiler.h"

#include <string>

namespace {
std::string g_error;
}

extern "C" int comp_CompileFile(CMC_Setup* setup, CMC_CoffFormat* coff, const char* file, WORD load, WORD length, WORD run,
                                WORD dataStart, WORD dataSize, WORD mode) {
  if (!file || !*file) {
    g_error = "(0): error: no source file is given";
    return 0;
  }
  zurc::Options options;
  options.loadAddress = load;
  options.length = length;
  options.runAddress = run;
  options.dataStart = dataStart;
  options.dataSize = dataSize;
  options.mode = mode;
  // Names the source does not define: the drive's variables of the setup, then, for a listing, the
  // variables and labels of the program it runs with.
  const bool listing = mode == zurc::kModeListing;
  zurc::Resolver resolver = [setup, coff, listing](const std::string& name, zurc::ExternalSymbol& symbol) {
    if (setup) {
      std::string base = name;
      WORD plus = 0;
      if (base.size() > 3 && (base.compare(base.size() - 3, 3, "(L)") == 0 || base.compare(base.size() - 3, 3, "(H)") == 0)) {
        plus = base[base.size() - 2] == 'H' ? 1 : 0;
        base.erase(base.size() - 3);
      }
      if (CMC_Variable* v = setup->FindVariable(base.c_str(), 1)) {
        symbol.value = (WORD)(v->GetAddress() + plus);
        symbol.label = false;
        return true;
      }
    }
    if (coff && listing) {
      WORD address = 0;
      tagVarType type;
      if (coff->LocateVariable(name.c_str(), address, type)) {
        symbol.value = address;
        symbol.label = false;
        return true;
      }
      if (WORD label = coff->LocateLabel(name.c_str())) {
        symbol.value = label;
        symbol.label = true;
        return true;
      }
    }
    return false;
  };
  zurc::Compiler compiler(options, resolver);
  if (!compiler.CompileFile(file)) {
    g_error = compiler.Error();
    return 0;
  }
  g_error.clear();
  if (coff && mode == zurc::kModeCoff) {
    coff->m_strFileName = compiler.OutputPath().c_str();
    if (!coff->ReadCoff()) {
      g_error = std::string(file) + "(0): error: the output file cannot be read back";
      return 0;
    }
  }
  return 1;
}

extern "C" const char* comp_GetErrorString() { return g_error.c_str(); }

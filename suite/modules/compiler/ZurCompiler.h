// A small compiler of the motion language: include resolution, addresses, deterministic encoding, COFF output.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zurc {

// What the two output modes write next to the source: the COFF object, or the ".word" listing.
enum : uint16_t { kModeCoff = 6, kModeListing = 0x11 };

struct Options {
  uint16_t loadAddress = 0;  // where the code is placed
  uint16_t length = 0;       // words reserved for the code
  uint16_t runAddress = 0;   // where the code executes; labels count from here
  uint16_t dataStart = 0;    // data memory of the declared variables
  uint16_t dataSize = 0;
  uint16_t mode = kModeCoff;
};

// A name the program uses without defining it. `label` names a label of an already compiled program:
// the listing names it instead of giving its value.
struct ExternalSymbol {
  uint16_t value = 0;
  bool label = false;
};
using Resolver = std::function<bool(const std::string& name, ExternalSymbol& symbol)>;

struct Symbol {
  std::string name;  // upper case
  uint16_t address = 0;
  bool variable = false;
  uint16_t basicType = 0;  // variables: 4 int, 13 uint, 5 long, 6 fixed, 15 ulong
  unsigned line = 0;
  int file = 0;
};

// One program word; `external` names the symbol a listing shows in its place.
struct Word {
  uint16_t value = 0;
  std::string external;
};

struct Program {
  std::vector<std::string> files;  // the source and its includes, as named
  std::vector<Word> code;          // at the load address, running at the run address
  std::vector<uint16_t> data;      // at the data start
  std::vector<Symbol> symbols;     // labels, then variables, in order of definition
};

class Compiler {
 public:
  explicit Compiler(Options options, Resolver resolver = Resolver());

  // Compiles the file into the program; false with the error text "file(line): error: ...".
  bool Compile(const std::string& path, Program& program);
  // Compiles and writes the output the mode asks for beside the source (its name with ".out").
  bool CompileFile(const std::string& path);

  const std::string& Error() const { return m_error; }
  const std::string& OutputPath() const { return m_output; }

  // The output file of a source: the same folder and name with the extension ".out".
  static std::string OutputPathOf(const std::string& source);
  static bool WriteCoff(const Program& program, const Options& options, const std::string& path, std::string& error);
  static bool WriteListing(const Program& program, const std::string& path, std::string& error);

 private:
  Options m_options;
  Resolver m_resolver;
  std::string m_error;
  std::string m_output;
};

}  // namespace zurc

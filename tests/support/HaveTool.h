// Whether a command-line tool a test hands its output to is installed.
#pragma once

#include <cstdlib>
#include <string>

namespace dravonix::test {

inline bool HaveTool(const char* name) {
  return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

}  // namespace dravonix::test

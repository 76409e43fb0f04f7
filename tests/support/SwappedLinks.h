// What someone who may write in a folder does to a save running there: swaps the names the save
// makes for itself for links to files elsewhere. The files elsewhere must stay as they were.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/support/FileContents.h"

namespace dravonix::test {

// A folder outside the one saved: a file that a link may lead to, and a name that a link may lead
// to without anything there (a save through it would create it).
struct Outside {
  std::string dir, victim, absent;
  explicit Outside(const std::string& folder) : dir(folder), victim(folder + "/victim.txt"), absent(folder + "/absent.txt") {
    std::filesystem::create_directories(dir);
    FILE* f = std::fopen(victim.c_str(), "wb");
    std::fputs("the victim's own bytes", f);
    std::fclose(f);
    chmod(victim.c_str(), 0640);
  }
  // Every entry with its bytes and mode: compared before and after.
  std::map<std::string, std::string> State() const {
    std::map<std::string, std::string> state;
    for (auto& e : std::filesystem::directory_iterator(dir)) {
      struct stat st;
      lstat(e.path().c_str(), &st);
      state[e.path().filename().string()] =
          std::to_string(st.st_mode) + " " + (S_ISREG(st.st_mode) ? ReadFileText(e.path().string()) : std::string());
    }
    return state;
  }
};

// True for the names a save makes for itself beside its target.
inline bool IsOwnSaveName(const std::string& name) {
  return name.find(".~dvx-") != std::string::npos || name.rfind("~save.journal", 0) == 0 ||
         name.rfind("~undo.journal", 0) == 0;
}

// Replaces each of the save's own names in `dir` (and the `extra` names, whether there or not) by a
// link to the victim or, with `absent`, to the name where nothing is. Returns how many it swapped.
inline int SwapOwnNamesForLinks(const std::string& dir, const Outside& outside, bool absent,
                                const std::vector<std::string>& extra = {}) {
  std::vector<std::string> names = extra;
  std::error_code ec;
  for (auto& e : std::filesystem::directory_iterator(dir, ec))
    if (IsOwnSaveName(e.path().filename().string())) names.push_back(e.path().filename().string());
  int swapped = 0;
  for (const std::string& name : names) {
    const std::string path = dir + "/" + name;
    unlink(path.c_str());
    if (symlink((absent ? outside.absent : outside.victim).c_str(), path.c_str()) == 0) ++swapped;
  }
  return swapped;
}

}  // namespace dravonix::test

// What a power cut may leave of a folder: the names it held at its last sync, and any of the
// changes made since. Records the folder's names at each sync of any file while a piece of a test
// runs.
#pragma once

#include "platform/core/FileSystem.h"

#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace dravonix::test {

using Names = std::set<std::string>;

struct SyncedState {
  Names names;
  bool folderSynced;  // at a sync of the folder itself (or before and after the piece)
};

// The names of `dir` (as the file system spells it) before `run`, at each sync, and after.
inline std::vector<SyncedState> SyncedStates(const std::string& dir, const std::function<void()>& run) {
  static std::string s_dir;
  static std::vector<SyncedState>* s_states;
  static constexpr auto kList = [](bool folder) {
    Names names;
    for (const auto& e : std::filesystem::directory_iterator(s_dir)) names.insert(e.path().filename().string());
    s_states->push_back({names, folder});
  };
  std::vector<SyncedState> states;
  s_dir = dir;
  s_states = &states;
  kList(true);
  g_pfnSyncStep = [](const char* path) { kList(s_dir == path); };
  run();
  g_pfnSyncStep = nullptr;
  kList(true);
  return states;
}

// The first span between two syncs of the folder in which a record (`isRecord`) and a name it covers
// (`isCovered`) both change (appear, go, or both), shown as "record / covered"; empty when none. A
// record must reach the disk before what it records is made, and go only after that is gone.
inline std::string ChangedWithItsRecord(const std::vector<SyncedState>& states, const std::function<bool(const std::string&)>& isRecord,
                                        const std::function<bool(const std::string&)>& isCovered) {
  for (size_t from = 0; from + 1 < states.size();) {
    size_t to = from + 1;
    while (!states[to].folderSynced) ++to;
    Names seen, everywhere = states[from].names;
    for (size_t i = from; i <= to; ++i) {
      seen.insert(states[i].names.begin(), states[i].names.end());
      Names both;
      for (const std::string& n : everywhere)
        if (states[i].names.count(n)) both.insert(n);
      everywhere = both;
    }
    std::string record, covered;
    for (const std::string& n : seen) {
      if (everywhere.count(n)) continue;
      if (isRecord(n)) record = n;
      else if (isCovered(n)) covered = n;
    }
    if (!record.empty() && !covered.empty()) return record + " / " + covered;
    from = to;
  }
  return std::string();
}

}  // namespace dravonix::test

// The files of a motion directory, each written beside its old file, then put in place as one set.
#pragma once

#include "kernel/values/ConfigFile.h"
#include "platform/core/Path.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

// `name` as the caller gave it (relative to the kernel folder, or absolute) in the platform's form:
// the name the motion directory's load messages show, before the kernel folder is put in front.
inline CString GivenFileName(const char* name) {
  std::string p = NativePath(name);
  p.erase(std::unique(p.begin(), p.end(), [](char a, char b) { return a == '/' && b == '/'; }), p.end());
  return CString(p.c_str());
}

class CMotionFileSet {
 public:
  // A new member for the file `name` (relative to the kernel folder or absolute, either
  // separator); its messages show the name in the platform's form. A file that a link leads out of
  // its folder is refused before any new file is made for it.
  CConfigFileWriter& Add(const CString& name) {
    m_writers.push_back(std::make_unique<CConfigFileWriter>(ShownFileName(name), CConfigFileWriter::kSetMember));
    return *m_writers.back();
  }
  // The member added last leaves the set, its new file dropped: its old file stays as it is.
  void DropLast() {
    if (!m_writers.empty()) m_writers.pop_back();
  }
  // The file `name` (as Add takes it) goes with the set.
  void Remove(const CString& name) { m_removals.push_back(name); }
  // Replaces the old files of `folder` with every member, written and closed, and removes what is
  // to go, as one step.
  int Commit(const char* folder) const {
    std::vector<CConfigFileWriter*> files;
    files.reserve(m_writers.size());
    for (const auto& w : m_writers) files.push_back(w.get());
    return CommitConfigFiles(folder, files, m_removals);
  }

 private:
  std::vector<std::unique_ptr<CConfigFileWriter>> m_writers;
  std::vector<CString> m_removals;
};

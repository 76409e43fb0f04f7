// A whole file read into memory, for tests that check what the code wrote.
#pragma once
#include "platform/core/Path.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace dravonix::test {

// The file's bytes; empty when it cannot be read.
// Reached by name through the layer, as the code under test reaches files.
inline std::string ReadFileText(const std::string& path) {
  std::ifstream in(NativePath(path.c_str()), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Writes `text` as the file's bytes, making the folders on the way.
inline void WriteText(const std::filesystem::path& path, const std::string& text) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

inline std::vector<uint8_t> ReadFileBytes(const std::string& path) {
  const std::string text = ReadFileText(path);
  return std::vector<uint8_t>(text.begin(), text.end());
}

// The names beside `path` that begin with its own name and ".~": temporary files a save left there.
inline std::vector<std::string> SaveLeftovers(const std::string& path) {
  const std::filesystem::path target(path);
  const std::string prefix = target.filename().string() + ".~";
  std::vector<std::string> names;
  for (auto& e : std::filesystem::directory_iterator(target.parent_path()))
    if (e.path().filename().string().rfind(prefix, 0) == 0) names.push_back(e.path().filename().string());
  return names;
}

// "name=contents" of each file in `dir` whose name does not begin with `skip`, sorted by name.
inline std::vector<std::string> NamesAndContents(const std::string& dir, const std::string& skip) {
  std::vector<std::string> out;
  for (auto& e : std::filesystem::directory_iterator(dir)) {
    const std::string name = e.path().filename().string();
    if (skip.empty() || name.rfind(skip, 0) != 0) out.push_back(name + "=" + ReadFileText(e.path().string()));
  }
  std::sort(out.begin(), out.end());
  return out;
}

// The names in `dir`.
inline std::set<std::string> Entries(const std::string& dir) {
  std::set<std::string> names;
  for (auto& e : std::filesystem::directory_iterator(dir)) names.insert(e.path().filename().string());
  return names;
}

}  // namespace dravonix::test

// Saves of every kind killed from outside at random moments, then one that completes: nothing a save
// made for itself stays, and a user's files named like a save's own keep their bytes.
#include "kernel/setup/SetupArchive.h"
#include "kernel/values/ConfigFile.h"
#include "platform/core/File.h"
#include "platform/core/FileSystem.h"
#include "platform/core/Ini.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/FileContents.h"
#include "tests/support/TestKernel.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <thread>

namespace fs = std::filesystem;

namespace {

using Files = std::map<std::string, std::string>;

void Write(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

Files Read(const std::string& dir) {
  Files files;
  for (auto& e : fs::directory_iterator(dir)) files[e.path().filename().string()] = dravonix::test::ReadFileText(e.path().string());
  return files;
}

std::string Bytes(const std::string& what, int n) { return std::string(40000, (char)('a' + n % 26)) + what + std::to_string(n); }

struct Kind {
  const char* what;
  std::vector<std::string> targets;  // the files of the folder the save writes
  std::function<bool(const std::string& dir, int n)> save;  // the n-th save
  bool fresh = false;  // a new file: none there before a round's saves
};

bool SaveSet(const std::string& dir, int n) {
  CConfigFolderLock lock(dir.c_str());
  if (lock.IsRefused()) return false;
  std::vector<std::unique_ptr<CConfigFileWriter>> writers;
  std::vector<CConfigFileWriter*> set;
  for (const char* name : {"setup.cfg", "parameters.cfg"}) {
    writers.push_back(std::make_unique<CConfigFileWriter>((dir + "/" + name).c_str(), CConfigFileWriter::kSetMember));
    set.push_back(writers.back().get());
    const std::string b = Bytes(name, n);
    if (!set.back()->WriteEntries(1, [&](FILE* f, int) { return fwrite(b.data(), 1, b.size(), f) == b.size() ? 1 : 0; }))
      return false;
  }
  return CommitConfigFiles(dir.c_str(), set) != 0;
}

bool SaveDocument(const std::string& path, int n) {
  CSaveBeside save(path.c_str());
  CFile file;
  if (!file.OpenBeside(save, path.c_str(), CFile::modeReadWrite | CFile::shareExclusive)) return false;
  try {
    const std::string b = Bytes("doc", n);
    file.Write(b.data(), (UINT)b.size());
    file.CommitBeside(save);
  } catch (CException* e) {
    e->Delete();
    return false;
  }
  return true;
}

}  // namespace

// DRAVONIX_TEST_ROUNDS asks for a longer run, with its figures printed.
TEST(KilledSaves, NothingOfKilledSavesOfAnyKindStaysAfterOneCompletesAndUsersLookAlikesKeepTheirBytes) {
  int rounds = 4;
  const char* asked = getenv("DRAVONIX_TEST_ROUNDS");
  if (asked) rounds = atoi(asked);
  const std::string root = fs::canonical(dravonix::test::ScratchDir("killed-saves")).string();
  const std::string source = root + "/source.bin", data = root + "/data";
  Write(source, Bytes("copied", 7));
  fs::create_directories(data);
  for (const char* name : {"setup.cfg", "notes.txt"}) Write(data + "/" + name, Bytes(name, 3));
  WritePrivateProfileString(nullptr, nullptr, nullptr, nullptr);  // the children start with nothing held
  const Kind kKinds[] = {
      {"setup set", {"setup.cfg", "parameters.cfg"}, SaveSet},
      {"document", {"doc.bin"}, [](const std::string& dir, int n) { return SaveDocument(dir + "/doc.bin", n); }},
      {"new document", {"new.bin"}, [](const std::string& dir, int n) { return SaveDocument(dir + "/new.bin", n); }, true},
      {"copy", {"copy.bin"}, [&](const std::string& dir, int) { return CopyFile(source.c_str(), (dir + "/copy.bin").c_str(), FALSE) != 0; }},
      {"profile flush", {"p.ini"}, [](const std::string& dir, int n) {
         const std::string path = dir + "/p.ini";
         return WritePrivateProfileString("S", "k", Bytes("v", n).c_str(), path.c_str()) &&
                (WritePrivateProfileString(nullptr, nullptr, nullptr, path.c_str()), GetLastError() == 0);
       }},
      {"archive", {"set.zip"}, [&](const std::string& dir, int) { return ArchiveDirectory(data.c_str(), (dir + "/set.zip").c_str()) != 0; }},
  };
  std::mt19937 rng(89);
  for (const Kind& kind : kKinds) {
    const std::string dir = root + "/" + kind.what;
    fs::create_directories(dir);
    // A user's files named like a save's: a drawn name, the drawn saves' first two marks (one empty),
    // a backup, an old copy, an empty one.
    Files users;
    for (const std::string& t : kind.targets) {
      users[t + ".~dvx-k3j9x2"] = "mine 1";
      users[t + ".~dvx-zzzzzz"] = "mine 2";
      users[t + ".~dvx-zzzzzy"] = "";
      users[t + ".~dvx-backup"] = "mine 3";
      users[t + ".~dvx-old"] = "mine 4";
      users[t + ".~old"] = "mine 5";
      users[t + ".~dvx-a1b2c3"] = "";
    }
    for (auto& [name, bytes] : users) Write(dir + "/" + name, bytes);
    // Killed within a few saves' time after it starts, at a random point of one.
    const auto start = std::chrono::steady_clock::now();
    for (int n = 0; n < 3; ++n) ASSERT_TRUE(kind.save(dir, n)) << kind.what;
    const auto span = std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
    int kills = 0, left = 0, stayed = 0, drawn = 0;
    for (int round = 0; round < rounds; ++round) {
      if (kind.fresh)
        for (const std::string& t : kind.targets) fs::remove(dir + "/" + t);
      for (int k = (int)(rng() % 3) + 1; k > 0; --k) {
        // One save, or two at once (the second under a drawn name), killed together.
        std::vector<std::unique_ptr<dravonix::test::ChildProcess>> savers;
        for (int n = (int)(rng() % 2) + 1; n > 0; --n, ++kills) {
          int ready[2];
          ASSERT_EQ(pipe(ready), 0);
          savers.push_back(std::make_unique<dravonix::test::ChildProcess>([&] {
            close(ready[0]);
            if (write(ready[1], "r", 1) != 1) return std::string("no start");
            for (int i = 0;; ++i) kind.save(dir, i);
            return std::string();
          }));
          close(ready[1]);
          char byte;
          EXPECT_EQ(read(ready[0], &byte, 1), 1) << kind.what;
          close(ready[0]);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(rng() % (uint64_t)span.count()));
        for (auto& saver : savers) kill(saver->Pid(), SIGKILL);
        for (auto& saver : savers) EXPECT_EQ(saver->Wait(), "child failed: signal 9 ") << kind.what;
      }
      auto own = [&](int* underDrawn) {
        int count = 0;
        for (auto& [name, bytes] : Read(dir))
          if (!users.count(name) && std::find(kind.targets.begin(), kind.targets.end(), name) == kind.targets.end()) {
            ++count;
            if (underDrawn) *underDrawn += name.size() > 6 && name.find("~dvx-") == name.size() - 11 && !name.ends_with("000000") && !name.ends_with("zzzzzx");
          }
        return count;
      };
      left += own(&drawn);
      ASSERT_TRUE(kind.save(dir, 1000 + round)) << kind.what << " " << round;
      stayed = own(nullptr);
      Files expected = users;
      for (const std::string& t : kind.targets) expected[t] = dravonix::test::ReadFileText(dir + "/" + t);
      EXPECT_EQ(Read(dir), expected) << kind.what << " " << round;
      if (kind.targets[0] == "doc.bin" || kind.fresh) {
        EXPECT_EQ(expected[kind.targets[0]], Bytes("doc", 1000 + round)) << kind.what;
      }
    }
    if (asked)
      printf("%s: %d kills, %d files left by them (%d under drawn names), %d after the last save that completed\n", kind.what,
             kills, left, drawn, stayed);
  }
}

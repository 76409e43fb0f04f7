// Loading a compiled program (COFF) into a simulated drive's memories.
#include "kernel/e2rom/DriveMemory.h"
#include "suite/zurcomm/SimulatorState.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace zurcomm {

namespace {

struct LoadSection {
  uint32_t address = 0;
  uint8_t page = 0;
  std::vector<uint16_t> words;
};

uint16_t U16(const std::vector<uint8_t>& b, size_t at) { return (uint16_t)(b[at] | b[at + 1] << 8); }
uint32_t U32(const std::vector<uint8_t>& b, size_t at) { return (uint32_t)U16(b, at) | (uint32_t)U16(b, at + 2) << 16; }

bool ReadFileBytes(const char* path, std::vector<uint8_t>& bytes) {
  std::string native(path);
  std::replace(native.begin(), native.end(), '\\', '/');
  FILE* f = std::fopen(native.c_str(), "rb");
  if (!f) return false;
  uint8_t buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.insert(bytes.end(), buf, buf + n);
  bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

// The loadable sections of an executable COFF file, checked against the file's length.
bool ParseCoff(const char* file, const std::vector<uint8_t>& b, std::vector<LoadSection>& sections, uint32_t& entry,
               std::string& why) {
  const std::string name = file;
  if (b.size() < 22 || U16(b, 0) != 0x00C1) {
    why = "File " + name + " format is not COFF version 1";
    return false;
  }
  if (U16(b, 20) != 0x0092) {
    why = "File " + name + " is not in TMS320 Fix Point format";
    return false;
  }
  if (U16(b, 16) != 28) {
    why = "File " + name + " is not linked";
    return false;
  }
  const uint16_t flags = U16(b, 18);
  if (!(flags & 0x02)) {
    why = "File " + name + " contains unresolved external references";
    return false;
  }
  if (!(flags & 0x80)) {
    why = "File " + name + " is not a TMS320C2xx executable";
    return false;
  }
  if (b.size() < 50) {
    why = "File " + name + " is truncated";
    return false;
  }
  entry = U32(b, 22 + 16);
  const uint16_t count = U16(b, 2);
  for (uint32_t i = 0; i < count; ++i) {
    const size_t h = 50 + 40 * (size_t)i;
    if (h + 40 > b.size()) {
      why = "File " + name + " is truncated";
      return false;
    }
    const uint32_t address = U32(b, h + 8);
    const uint32_t size = U32(b, h + 16);
    const uint32_t raw = U32(b, h + 20);
    const uint16_t sflags = U16(b, h + 36);
    const uint8_t page = b[h + 39];
    const bool loadable = sflags == 0 || (sflags & (0x04 | 0x08 | 0x20 | 0x40));
    if (!loadable || size == 0 || raw == 0) continue;
    if (size > 0x10000 || (uint64_t)raw + 2ull * size > b.size()) {
      why = "File " + name + ": section " + std::to_string(i + 1) + " lies outside the file";
      return false;
    }
    if ((uint64_t)address + size > 0x10000) {
      why = "File " + name + ": section " + std::to_string(i + 1) + " runs past address 0xFFFF";
      return false;
    }
    LoadSection s;
    s.address = address;
    s.page = page & 1;
    s.words.resize(size);
    for (uint32_t k = 0; k < size; ++k) s.words[k] = U16(b, raw + 2 * (size_t)k);
    sections.push_back(std::move(s));
  }
  return true;
}

// The space that holds a program-memory address: the E2ROM window, else program memory.
uint8_t ProgramSpace(uint32_t address) {
  return address >= DriveMemory::kE2ROMStart && address <= DriveMemory::kE2ROMLast ? DAV_SPACE_E2ROM : DAV_SPACE_PROGRAM;
}

struct Piece {
  uint8_t space;
  uint32_t address;
  const uint16_t* words;
  size_t count;
};

// A section cut where it crosses into or out of the E2ROM window.
std::vector<Piece> Pieces(const LoadSection& s) {
  std::vector<Piece> out;
  if (s.page == 1) {
    out.push_back({DAV_SPACE_DATA, s.address, s.words.data(), s.words.size()});
    return out;
  }
  size_t done = 0;
  while (done < s.words.size()) {
    uint32_t at = s.address + (uint32_t)done;
    uint32_t limit = at < DriveMemory::kE2ROMStart    ? DriveMemory::kE2ROMStart
                     : at <= DriveMemory::kE2ROMLast ? DriveMemory::kE2ROMLast + 1u
                                                     : 0x10000u;
    size_t n = std::min(s.words.size() - done, (size_t)(limit - at));
    out.push_back({ProgramSpace(at), at, s.words.data() + done, n});
    done += n;
  }
  return out;
}

}  // namespace

// Called by DAV_COFFDownload with the state locked; `unlock` and `relock` bracket the progress callback.
bool CoffDownload(State& state, uint16_t axis, const char* file, uint16_t* out1, uint16_t* out2, uint16_t* out3,
                  DAV_PROGRESS_CALLBACK callback, void* user, const std::function<void()>& unlock,
                  const std::function<void()>& relock, std::string& why) {
  if (!file || !*file) {
    why = "Invalid argument: no file";
    return false;
  }
  std::vector<uint8_t> bytes;
  if (!ReadFileBytes(file, bytes)) {
    why = std::string("Cannot open file ") + file;
    return false;
  }
  std::vector<LoadSection> sections;
  uint32_t entry = 0;
  if (!ParseCoff(file, bytes, sections, entry, why)) return false;

  // Everything is checked before the first word is written, so a refused file changes nothing.
  Drive* d = state.Find(axis);
  if (!d) {
    why = "Time-out: axis " + std::to_string(axis) + " does not answer";
    return false;
  }
  size_t total = 0;
  uint32_t first = 0x10000, last = 0;
  for (const LoadSection& s : sections) {
    for (const Piece& p : Pieces(s)) {
      Drive::Run runs[2];
      if (!d->Locate(p.space, (uint16_t)p.address, p.count, runs, why)) return false;
      if (p.space == DAV_SPACE_E2ROM && d->e2romProtected) {
        why = "E2ROM is write-protected";
        return false;
      }
    }
    total += s.words.size();
    if (s.page == 0) {
      first = std::min(first, s.address);
      last = std::max(last, s.address + (uint32_t)s.words.size() - 1);
    }
  }
  if (first > last) {
    why = std::string("File ") + file + " holds no program code";
    return false;
  }

  size_t written = 0;
  for (const LoadSection& s : sections) {
    for (const Piece& p : Pieces(s)) {
      Drive* now = state.Find(axis);
      if (!now) {
        why = "Time-out: axis " + std::to_string(axis) + " does not answer";
        return false;
      }
      Drive::Run runs[2];
      now->Locate(p.space, (uint16_t)p.address, p.count, runs, why);
      const uint16_t* src = p.words;
      for (auto& r : runs) {
        if (r.n) std::memcpy(r.p, src, r.n * 2);
        src += r.n;
      }
      written += p.count;
    }
    if (callback) {
      float percent = 100.0f * (float)written / (float)total;
      unlock();
      bool go = callback(3, "Downloading COFF file...", percent, user);
      relock();
      if (!go) {
        why = "Transfer cancelled";
        return false;
      }
    }
  }
  // Outputs: where the program starts, the first and the last word of its code.
  const uint16_t start = (uint16_t)(entry && entry <= 0xFFFF ? entry : first);
  if (out1) *out1 = start;
  if (out2) *out2 = (uint16_t)first;
  if (out3) *out3 = (uint16_t)last;
  return true;
}

}  // namespace zurcomm

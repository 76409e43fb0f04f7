#include "platform/core/Ini.h"

#include "platform/core/FileSystem.h"
#include "platform/core/FolderLock.h"
#include "platform/core/FolderNames.h"
#include "platform/core/Path.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <atomic>
#include <mutex>
#include <thread>
#include <unordered_map>

DWORD g_dwProfileLockWait = 5000;

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trim(const char* b, const char* e) {
  while (b < e && IsBlank(*b)) ++b;
  while (e > b && IsBlank(e[-1])) --e;
  return std::string(b, e);
}

std::string Trim(const std::string& s) { return Trim(s.data(), s.data() + s.size()); }

std::string Fold(const std::string& s) {
  std::string f(s);
  for (char& c : f)
    if (c >= 'A' && c <= 'Z') c = (char)(c + 32);
  return f;
}

std::string StripQuotes(const std::string& v) {
  if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0]) return v.substr(1, v.size() - 2);
  return v;
}

// One write held back, as its call made it.
struct Change {
  enum Kind { SetKey, DeleteKey, DeleteSection, ReplaceSection, DeleteTree };
  Kind kind;
  std::string section, key, value;
  std::vector<std::string> entries;  // ReplaceSection's "key=value" lines
};

struct Line {
  enum Kind { Other, Section, Key };
  std::string raw;  // the bytes of the line, its line end included
  Kind kind = Other;
  std::string name;   // section name or key, trimmed
  std::string value;  // trimmed value of a key line
};

struct Section {
  std::string name;
  std::vector<size_t> headers;  // line index of each block "[name]"
  std::vector<size_t> keyLines;  // first line of each distinct key, in file order
  std::unordered_map<std::string, size_t> keys;  // folded key -> line index
};

struct IniFile {
  std::string content;  // the bytes the parse came from
  std::vector<Line> lines;
  std::vector<Section> sections;
  std::unordered_map<std::string, size_t> sectionIndex;  // folded name -> index in sections
  // Identity of the file the parse came from.
  bool exists = false;
  dev_t dev = 0;
  ino_t ino = 0;
  off_t size = 0;
  timespec mtime{};
  timespec ctime{};
  // File systems stamp times in coarse ticks: a change made within a tick of the read could keep
  // size and times, so a parse is trusted only once the file's times lie safely before the read.
  bool trusted = false;
  // Written here and not yet in the file; the error of the last attempt to put it there.
  bool pending = false;
  DWORD flushError = 0;
  // Where held changes go (absolute: the file named when they were made), and the changes, in
  // order: the parse is the file's bytes with them applied, and a flush applies them again to the
  // file as it is then, so that another process's changes made meanwhile stay.
  std::string path;
  std::vector<Change> held;

  const Section* Find(const std::string& section) const {
    auto it = sectionIndex.find(Fold(Trim(section)));
    return it == sectionIndex.end() ? nullptr : &sections[it->second];
  }
  const Line* FindKey(const std::string& section, const std::string& key) const {
    const Section* s = Find(section);
    if (!s) return nullptr;
    auto it = s->keys.find(Fold(Trim(key)));
    return it == s->keys.end() ? nullptr : &lines[it->second];
  }
};

void Classify(Line& line) {
  const char* b = line.raw.data();
  const char* e = b + line.raw.size();
  while (e > b && (e[-1] == '\n' || e[-1] == '\r')) --e;
  while (b < e && IsBlank(*b)) ++b;
  line.kind = Line::Other;
  if (b == e || *b == ';') return;
  if (*b == '[') {
    const char* close = static_cast<const char*>(memchr(b + 1, ']', (size_t)(e - b - 1)));
    line.kind = Line::Section;
    line.name = Trim(b + 1, close ? close : e);
    return;
  }
  const char* eq = static_cast<const char*>(memchr(b, '=', (size_t)(e - b)));
  if (!eq) return;
  std::string key = Trim(b, eq);
  if (key.empty()) return;
  line.kind = Line::Key;
  line.name = std::move(key);
  line.value = Trim(eq + 1, e);
}

void BuildIndex(IniFile& f) {
  f.sections.clear();
  f.sectionIndex.clear();
  Section* current = nullptr;
  for (size_t i = 0; i < f.lines.size(); ++i) {
    const Line& l = f.lines[i];
    if (l.kind == Line::Section) {
      auto [it, added] = f.sectionIndex.emplace(Fold(l.name), f.sections.size());
      if (added) {
        f.sections.emplace_back();
        f.sections.back().name = l.name;
      }
      current = &f.sections[it->second];
      current->headers.push_back(i);
    } else if (l.kind == Line::Key && current) {
      if (current->keys.emplace(Fold(l.name), i).second) current->keyLines.push_back(i);
    }
  }
}

void Parse(IniFile& f, const std::string& content) {
  f.lines.clear();
  size_t pos = 0;
  while (pos < content.size()) {
    size_t nl = content.find('\n', pos);
    size_t end = nl == std::string::npos ? content.size() : nl + 1;
    Line l;
    l.raw.assign(content, pos, end - pos);
    Classify(l);
    f.lines.push_back(std::move(l));
    pos = end;
  }
  BuildIndex(f);
}

// A file with writes held back is its own writer's view: only a new file in its place (another
// process's flush) or a change of its size or times makes it read again, however recent.
bool SameIdentity(const IniFile& f, const struct stat& st, bool anyAge = false) {
  return f.exists && (f.trusted || f.pending || anyAge) && f.dev == st.st_dev && f.ino == st.st_ino && f.size == st.st_size &&
         f.mtime.tv_sec == st.st_mtim.tv_sec && f.mtime.tv_nsec == st.st_mtim.tv_nsec &&
         f.ctime.tv_sec == st.st_ctim.tv_sec && f.ctime.tv_nsec == st.st_ctim.tv_nsec;
}

int64_t Nanoseconds(const timespec& t) { return (int64_t)t.tv_sec * 1000000000 + t.tv_nsec; }

// `readStart` is the time taken before the file was opened; null for a file just written.
void SetIdentity(IniFile& f, const struct stat& st, const timespec* readStart) {
  constexpr int64_t kMargin = 100000000;  // 100 ms, many ticks of any local file system
  f.trusted = readStart && Nanoseconds(st.st_mtim) + kMargin < Nanoseconds(*readStart) &&
              Nanoseconds(st.st_ctim) + kMargin < Nanoseconds(*readStart);
  f.exists = true;
  f.dev = st.st_dev;
  f.ino = st.st_ino;
  f.size = st.st_size;
  f.mtime = st.st_mtim;
  f.ctime = st.st_ctim;
}

bool ReadWhole(int fd, std::string& out) {
  char buf[65536];
  for (;;) {
    ssize_t r = read(fd, buf, sizeof buf);
    if (r < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (r == 0) return true;
    out.append(buf, (size_t)r);
  }
}

// ---- Edits: each call's change, applied to a parse ----------------------------------------------

// Makes sure the last line ends, so a line can follow it.
void EndLastLine(IniFile& f) {
  if (!f.lines.empty() && !f.lines.back().raw.empty() && f.lines.back().raw.back() != '\n') f.lines.back().raw += "\r\n";
}

Line MakeLine(const std::string& text) {
  Line l;
  l.raw = text + "\r\n";
  Classify(l);
  return l;
}

// The index after the last line of the block that starts at `header`.
size_t BlockEnd(const IniFile& f, size_t header) {
  size_t i = header + 1;
  while (i < f.lines.size() && f.lines[i].kind != Line::Section) ++i;
  return i;
}

// Where a new key of the section goes: after the last key of its first block (or after its header).
size_t InsertPoint(const IniFile& f, const Section& s) {
  size_t header = s.headers.front();
  size_t end = BlockEnd(f, header);
  size_t at = header + 1;
  for (size_t i = header + 1; i < end; ++i)
    if (f.lines[i].kind == Line::Key) at = i + 1;
  return at;
}

void EnsureLineEnds(IniFile& f, size_t before) {
  if (before > 0 && before == f.lines.size()) EndLastLine(f);
  else if (before > 0 && !f.lines[before - 1].raw.empty() && f.lines[before - 1].raw.back() != '\n')
    f.lines[before - 1].raw += "\r\n";
}

void RemoveSectionLines(IniFile& f, const std::function<bool(const std::string&)>& match) {
  std::vector<Line> kept;
  kept.reserve(f.lines.size());
  bool dropping = false;
  for (Line& l : f.lines) {
    if (l.kind == Line::Section) dropping = match(l.name);
    if (!dropping) kept.push_back(std::move(l));
  }
  f.lines = std::move(kept);
}

std::function<bool(const std::string&)> TreeMatch(const std::string& section) {
  const std::string folded = Fold(Trim(section));
  return [folded](const std::string& n) {
    const std::string fn = Fold(n);
    return fn == folded || (fn.size() > folded.size() && fn.compare(0, folded.size(), folded) == 0 && fn[folded.size()] == '\\');
  };
}

// The line a key's value is written as, with the line end it keeps.
std::string KeyLineText(const Line& l, const std::string& value, std::string* ending = nullptr) {
  size_t bodyEnd = l.raw.size();
  while (bodyEnd > 0 && (l.raw[bodyEnd - 1] == '\n' || l.raw[bodyEnd - 1] == '\r')) --bodyEnd;
  if (ending) *ending = l.raw.substr(bodyEnd);
  return l.name + "=" + value;
}

// Whether the change alters the parse: a write that changes nothing is no write.
bool Alters(const IniFile& f, const Change& c) {
  const Section* s = f.Find(c.section);
  switch (c.kind) {
    case Change::DeleteSection:
      return s != nullptr;
    case Change::DeleteKey:
      return s && s->keys.count(Fold(Trim(c.key)));
    case Change::SetKey: {
      auto it = s ? s->keys.find(Fold(Trim(c.key))) : decltype(s->keys)::const_iterator();
      if (!s || it == s->keys.end()) return true;
      const Line& l = f.lines[it->second];
      const std::string text = KeyLineText(l, c.value);
      return !(l.value == Trim(c.value) && l.raw.compare(0, text.size(), text) == 0 &&
               l.raw.find_first_not_of("\r\n", text.size()) == std::string::npos);
    }
    case Change::ReplaceSection:
      return true;
    case Change::DeleteTree: {
      const auto match = TreeMatch(c.section);
      for (const Section& any : f.sections)
        if (match(any.name)) return true;
      return false;
    }
  }
  return true;
}

void Apply(IniFile& f, const Change& c) {
  const Section* s = f.Find(c.section);
  const std::string folded = Fold(Trim(c.section));
  switch (c.kind) {
    case Change::DeleteSection:
      if (!s) return;
      RemoveSectionLines(f, [&](const std::string& n) { return Fold(n) == folded; });
      break;
    case Change::DeleteTree:
      RemoveSectionLines(f, TreeMatch(c.section));
      break;
    case Change::DeleteKey: {
      const std::string key = Fold(Trim(c.key));
      if (!s || !s->keys.count(key)) return;
      std::vector<Line> kept;
      kept.reserve(f.lines.size());
      bool inSection = false;
      for (Line& l : f.lines) {
        if (l.kind == Line::Section) inSection = Fold(l.name) == folded;
        if (inSection && l.kind == Line::Key && Fold(l.name) == key) continue;
        kept.push_back(std::move(l));
      }
      f.lines = std::move(kept);
      break;
    }
    case Change::SetKey: {
      const std::string k = Trim(c.key);
      auto it = s ? s->keys.find(Fold(k)) : decltype(s->keys)::const_iterator();
      if (s && it != s->keys.end()) {
        // The same line, the same index: nothing to index again.
        Line& l = f.lines[it->second];
        std::string ending;
        l.raw = KeyLineText(l, c.value, &ending) + ending;
        Classify(l);
        return;
      }
      if (s) {
        size_t at = InsertPoint(f, *s);
        EnsureLineEnds(f, at);
        f.lines.insert(f.lines.begin() + (ptrdiff_t)at, MakeLine(k + "=" + c.value));
      } else {
        EndLastLine(f);
        f.lines.push_back(MakeLine("[" + Trim(c.section) + "]"));
        f.lines.push_back(MakeLine(k + "=" + c.value));
      }
      break;
    }
    case Change::ReplaceSection: {
      std::vector<Line> fresh;
      for (const std::string& item : c.entries) fresh.push_back(MakeLine(item));
      if (!s) {
        EndLastLine(f);
        f.lines.push_back(MakeLine("[" + Trim(c.section) + "]"));
        for (Line& l : fresh) f.lines.push_back(std::move(l));
        break;
      }
      // Keep the first header and the blank lines that end its block; drop every other line of the
      // section, then put the new entries under the header.
      size_t first = s->headers.front();
      std::vector<Line> kept;
      bool inSection = false;
      for (size_t i = 0; i < f.lines.size(); ++i) {
        Line& l = f.lines[i];
        if (l.kind == Line::Section) inSection = Fold(l.name) == folded;
        if (!inSection) {
          kept.push_back(std::move(l));
          continue;
        }
        if (i != first) continue;
        EnsureLineEnds(f, i + 1);
        kept.push_back(std::move(l));
        for (Line& n : fresh) kept.push_back(std::move(n));
        size_t end = BlockEnd(f, first);
        size_t tail = end;
        while (tail > first + 1 && Trim(f.lines[tail - 1].raw).find_first_not_of("\r\n") == std::string::npos) --tail;
        for (size_t j = tail; j < end; ++j) kept.push_back(std::move(f.lines[j]));
        i = end - 1;
        inSection = false;
      }
      f.lines = std::move(kept);
      break;
    }
  }
  BuildIndex(f);
}

// Holds a change; earlier ones of the same key that nothing of its section followed are spent by a
// new value. A deleted key's earlier value stays: its header, put in a file without the section,
// stays listed as it does in the file written at once.
void Record(IniFile& f, Change c) {
  if (c.kind == Change::SetKey || c.kind == Change::DeleteKey) {
    const std::string section = Fold(Trim(c.section)), key = Fold(Trim(c.key));
    for (size_t i = f.held.size(); i-- > 0;) {
      const Change& h = f.held[i];
      const bool sameSection = Fold(Trim(h.section)) == section;
      if (h.kind != Change::SetKey && h.kind != Change::DeleteKey) {
        if (sameSection || h.kind == Change::DeleteTree) break;
      } else if (sameSection && Fold(Trim(h.key)) == key) {
        if (c.kind == Change::DeleteKey && h.kind == Change::SetKey) break;
        f.held.erase(f.held.begin() + (ptrdiff_t)i);
      }
    }
  }
  f.held.push_back(std::move(c));
}

// ---- The cache -----------------------------------------------------------------------------------

constexpr size_t kMaxCachedFiles = 64;

struct FileId {
  dev_t dev;
  ino_t ino;
  bool operator==(const FileId&) const = default;
};
struct FileIdHash {
  size_t operator()(const FileId& id) const { return std::hash<uint64_t>()((uint64_t)id.ino * 31 + (uint64_t)id.dev); }
};

std::mutex g_mutex;
// Keyed by the file itself (its folder's identity and its name), however a caller spells it.
std::unordered_map<std::string, std::shared_ptr<IniFile>> g_cache;
// The key of each cached file by its identity: a file read before is found with one look at it.
std::unordered_map<FileId, std::string, FileIdHash> g_keyOf;
std::atomic<int> g_pending{0};
// Set while this thread works on the cache: its own path look-ups put nothing in files.
thread_local bool t_quiet = false;

struct Locked {
  std::lock_guard<std::mutex> lock{g_mutex};
  bool old = t_quiet;
  Locked() { t_quiet = true; }
  ~Locked() { t_quiet = old; }
};

void Index(const IniFile& f, const std::string& key) {
  if (g_keyOf.size() >= 4 * kMaxCachedFiles) g_keyOf.clear();
  g_keyOf[{f.dev, f.ino}] = key;
}

// Makes room for one more parse; files with writes held back stay.
void MakeRoom() {
  if (g_cache.size() < kMaxCachedFiles) return;
  for (auto it = g_cache.begin(); it != g_cache.end();) it = it->second->pending ? std::next(it) : g_cache.erase(it);
}

// Drops a parse unless it holds writes not yet in the file.
void Forget(const std::string& key) {
  auto it = g_cache.find(key);
  if (it != g_cache.end() && !it->second->pending) g_cache.erase(it);
}

// The native path of an INI file name: one look when it exists as spelled. A relative name is made
// absolute (writes held back go to the file named when they were made); through a link, the file
// it leads to.
std::string IniPath(const char* fileName, struct stat& st, bool& exists) {
  std::string p = NativePath(fileName);
  exists = lstat(p.c_str(), &st) == 0;
  if (!exists) {
    p = ResolvePath(fileName);
    exists = lstat(p.c_str(), &st) == 0;
  }
  if (exists && S_ISLNK(st.st_mode)) {
    p = SaveReplacedFile(p);
    exists = stat(p.c_str(), &st) == 0;
  }
  if (!p.empty() && p[0] != '/') {
    char cwd[PATH_MAX];
    if (getcwd(cwd, sizeof cwd)) p = std::string(cwd) + "/" + p;
  }
  return p;
}

// The cache key of a file: "f.ini", "./f.ini" and "sub/../f.ini" are one file, and so are "new.ini"
// and "NEW.INI" while neither exists, as the file layer finds names without regard to case. Writes
// held for a missing file go to the one that has since come under another spelling; a file whose
// name differs only in case from another existing one is a file of its own.
std::string CacheKey(const std::string& path, bool exists) {
  struct stat st;
  if (stat(ParentOf(path).c_str(), &st) != 0) return path;
  const std::string name = LastComponent(path);
  const std::string key = std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino) + "/" + Fold(name),
                    own = key + "/" + name;
  if (g_cache.count(own)) return own;
  auto it = g_cache.find(key);
  if (!exists || it == g_cache.end() || it->second->path == path) return key;
  const std::string& other = it->second->path;
  if (LastComponent(other) != name && lstat(other.c_str(), &st) == 0) return own;
  if (it->second->pending) it->second->path = path;
  return key;
}

// A parse of `content` (the file's bytes as `opened` found them, or no file when null) with the
// held changes of `cached` applied again: another process's flushes show beside this one's writes.
std::shared_ptr<IniFile> Rebase(const std::string& key, const std::string& path, const std::shared_ptr<IniFile>& cached,
                                std::string content, const struct stat* opened, const timespec* readStart) {
  auto f = std::make_shared<IniFile>();
  Parse(*f, content);
  f->content = std::move(content);
  f->path = path;
  if (opened) {
    SetIdentity(*f, *opened, readStart);
    Index(*f, key);
  }
  if (cached && cached->pending) {
    f->path = cached->path;
    f->pending = true;
    f->flushError = cached->flushError;
    f->held = cached->held;
    for (const Change& c : f->held) Apply(*f, c);
  }
  MakeRoom();
  g_cache[key] = f;
  return f;
}

// The parsed file, from the cache when the file is unchanged. Call with g_mutex held. A missing or
// unreadable file gives an empty parse; `readable` tells which.
std::shared_ptr<IniFile> Load(const char* fileName, std::string* keyOut = nullptr, std::string* pathOut = nullptr,
                              bool* readable = nullptr) {
  struct stat st;
  bool exists = false;
  const std::string path = IniPath(fileName, st, exists);
  if (pathOut) *pathOut = path;
  if (readable) *readable = exists;
  const bool plain = exists && S_ISREG(st.st_mode);
  if (plain) {
    // Only under the name it was found by: a hard link's other name is a file of its own, which a
    // save through a temporary parts from this one.
    auto known = g_keyOf.find({st.st_dev, st.st_ino});
    auto it = known == g_keyOf.end() ? g_cache.end() : g_cache.find(known->second);
    if (it != g_cache.end() && it->second->path == path && SameIdentity(*it->second, st)) {
      if (keyOut) *keyOut = known->second;
      return it->second;
    }
  }
  const std::string key = CacheKey(path, exists);
  if (keyOut) *keyOut = key;
  auto it = g_cache.find(key);
  const std::shared_ptr<IniFile> cached = it == g_cache.end() ? nullptr : it->second;
  const bool held = cached && cached->pending;
  if (!plain) {
    if (held) {
      if (readable) *readable = true;
      return cached->exists ? Rebase(key, path, cached, std::string(), nullptr, nullptr) : cached;
    }
    if (cached) g_cache.erase(it);
    if (readable && exists) *readable = false;
    auto f = std::make_shared<IniFile>();
    f->path = path;
    return f;
  }
  if (cached && SameIdentity(*cached, st)) {
    Index(*cached, key);
    return cached;
  }

  timespec readStart;
  clock_gettime(CLOCK_REALTIME, &readStart);
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  std::string content;
  struct stat opened;
  if (fd < 0 || fstat(fd, &opened) != 0 || !ReadWhole(fd, content)) {
    if (fd >= 0) close(fd);
    if (readable) *readable = false;
    if (held) return cached;
    if (cached) g_cache.erase(key);
    auto f = std::make_shared<IniFile>();
    f->path = path;
    return f;
  }
  close(fd);
  if (cached && cached->content == content) {
    // Unchanged bytes (a recent file read again): keep the parse. Cached parses change only
    // under the lock, and edits work on copies.
    SetIdentity(*cached, opened, &readStart);
    Index(*cached, key);
    return cached;
  }
  return Rebase(key, path, cached, std::move(content), &opened, &readStart);
}

std::string Serialize(const IniFile& f) {
  size_t n = 0;
  for (const Line& l : f.lines) n += l.raw.size();
  std::string out;
  out.reserve(n);
  for (const Line& l : f.lines) out += l.raw;
  return out;
}

using Clock = std::chrono::steady_clock;

// The end of a wait for other processes' locks that starts now.
Clock::time_point LockDeadline() { return Clock::now() + std::chrono::milliseconds(g_dwProfileLockWait); }

// Another name in the folder open as `dir` that differs from `path`'s only in case (the first in
// byte order); empty when there is none.
std::string OtherSpelling(int dir, const std::string& path) {
  const std::string name = LastComponent(path), folded = Fold(name);
  for (const FolderEntry& e : ListFolder(dir))
    if (e.name != name && Fold(e.name) == folded) return path.substr(0, path.size() - name.size()) + e.name;
  return std::string();
}

// Held while a flush reads the file again and replaces it, so that flushes of one file in several
// processes take turns, each over what the one before put there. A missing file is made empty to
// be locked; one replaced while the lock was awaited is locked again. Another process keeping the
// lock past `until` leaves it busy: that process may be stopped, and must not stop this one.
class FlushLock {
 public:
  FlushLock(const std::string& path, Clock::time_point until) : m_path(path) {
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
      bool made = false;
      int fd = open(m_path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
      if (fd < 0 && errno == ENOENT) {
        // Looked for under every spelling and made in one step that no other process splits: of
        // several making the file under different spellings at once, one makes it, the others find
        // it, and one file takes every writer's keys.
        const std::string folder = ParentOf(m_path);
        const CFolderLock making(folder.empty() ? "." : folder.c_str());
        if (making.IsBusy()) {
          m_busy = true;
          return;
        }
        if (making.GetDescriptor() < 0) return;
        const std::string other = OtherSpelling(making.GetDescriptor(), m_path);
        if (!other.empty()) {
          m_path = other;
          continue;
        }
        fd = openat(making.GetDescriptor(), LastComponent(m_path).c_str(), O_RDONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        made = fd >= 0;
        if (fd < 0 && errno == EEXIST) continue;
      }
      if (fd < 0) return;
      struct stat a, b;
      if (fstat(fd, &a) != 0 || !S_ISREG(a.st_mode)) {
        close(fd);
        return;
      }
      int r;
      auto pause = std::chrono::milliseconds(1);
      while ((r = flock(fd, LOCK_EX | LOCK_NB)) != 0 && (errno == EINTR || errno == EWOULDBLOCK)) {
        const auto now = Clock::now();
        if (errno == EINTR) continue;
        if (now >= until) {
          m_busy = true;
          close(fd);
          return;
        }
        std::this_thread::sleep_for(std::min<Clock::duration>(pause, until - now));
        pause = std::min(pause * 2, std::chrono::milliseconds(16));
      }
      if (r == 0 && stat(m_path.c_str(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino) {
        m_fd = fd;
        m_made = made;
        m_st = b;
        return;
      }
      close(fd);
    }
  }
  ~FlushLock() {
    if (m_fd >= 0) close(m_fd);
  }
  FlushLock(const FlushLock&) = delete;
  FlushLock& operator=(const FlushLock&) = delete;

  // Another process kept the lock for the whole wait.
  bool Busy() const { return m_busy; }
  // The file locked, under the spelling that exists.
  const std::string& Path() const { return m_path; }
  // The file locked as it was found, null when none is.
  const struct stat* Identity() const { return m_fd >= 0 && !m_made ? &m_st : nullptr; }
  // The file as it is now (false when it cannot be read); empty when there is none.
  bool Read(std::string& content) const {
    if (m_fd >= 0) return lseek(m_fd, 0, SEEK_SET) == 0 && ReadWhole(m_fd, content);
    const int fd = open(m_path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT;
    struct stat st;
    const bool ok = fstat(fd, &st) == 0 && (!S_ISREG(st.st_mode) || ReadWhole(fd, content));
    close(fd);
    return ok;
  }
  // A failed flush leaves no file where there was none.
  void DropMade() const {
    struct stat a, b;
    if (m_made && fstat(m_fd, &a) == 0 && a.st_size == 0 && lstat(m_path.c_str(), &b) == 0 && a.st_ino == b.st_ino &&
        a.st_dev == b.st_dev)
      unlink(m_path.c_str());
  }

 private:
  std::string m_path;
  int m_fd = -1;
  bool m_made = false;
  bool m_busy = false;
  struct stat m_st {};
};

// Puts the held changes in the file under its flush lock: the file as it is then with each change
// applied again, written as every save writes (beside it, on the disk, then renamed over it; through
// a link the file it leads to), and caches the new state. A failure keeps them held for the next try.
bool Store(const std::string& key, std::shared_ptr<IniFile> f, Clock::time_point until) {
  std::string path = f->path;
  // Writes held for a missing file go where another program has since made it, under any spelling.
  struct stat st;
  bool exists;
  if (lstat(path.c_str(), &st) != 0) path = IniPath(path.c_str(), st, exists);
  auto fail = [&](DWORD error) {
    SetLastError(error);
    f->flushError = error;
    Forget(key);
    return false;
  };
  if (stat(path.c_str(), &st) == 0 && (S_ISDIR(st.st_mode) || (st.st_mode & S_IWUSR) == 0))
    return fail(ERROR_ACCESS_DENIED);
  const FlushLock lock(path, until);
  if (lock.Busy()) return fail(ERROR_LOCK_VIOLATION);
  path = lock.Path();
  // The parse is of the file as it is now where nothing has replaced or changed it since: the held
  // changes are already applied to it.
  const bool current = lock.Identity() && SameIdentity(*f, *lock.Identity(), true);
  IniFile merged;
  if (!current) {
    std::string base;
    if (!lock.Read(base)) {
      lock.DropMade();
      return fail(ERROR_ACCESS_DENIED);
    }
    Parse(merged, base);
    for (const Change& c : f->held) Apply(merged, c);
  }
  std::string content = Serialize(current ? *f : merged);
  CSaveBeside save(path.c_str());
  if (save.IsFolder()) return fail(ERROR_ACCESS_DENIED);
  // Only through the descriptor that made the temporary file: its name is never opened again.
  FILE* out = save.OpenStream();
  int err = out ? 0 : errno;
  struct stat written;
  if (out) {
    errno = 0;
    if (std::fwrite(content.data(), 1, content.size(), out) != content.size() || std::fflush(out) != 0 ||
        fstat(fileno(out), &written) != 0)
      err = errno ? errno : EIO;
    if (std::fclose(out) != 0 && !err) err = errno;
  }
  if (err || !save.Commit()) {
    if (err) SetLastError(err == ENOENT || err == ENOTDIR ? ERROR_PATH_NOT_FOUND : Win32ErrorFromErrno(err));
    const DWORD error = GetLastError() ? GetLastError() : ERROR_WRITE_FAULT;
    save.Discard();
    lock.DropMade();
    return fail(error);
  }
  // Its identity in its place (a rename may stamp it).
  struct stat placed;
  if (stat(path.c_str(), &placed) == 0 && placed.st_dev == written.st_dev && placed.st_ino == written.st_ino)
    written = placed;
  if (f->pending) --g_pending;
  if (!current) *f = std::move(merged);
  f->content = std::move(content);
  f->path = path;
  f->pending = false;
  f->flushError = 0;
  f->held.clear();
  SetIdentity(*f, written, nullptr);
  Index(*f, key);
  MakeRoom();
  g_cache[key] = f;
  return true;
}

// How long a flush the caller did not ask for waits for the file's lock: not again once another
// process was found keeping it, so that every open of a file is not held up in turn.
Clock::time_point Unasked(const IniFile& f, Clock::time_point until) {
  return f.flushError == ERROR_LOCK_VIOLATION ? Clock::time_point::min() : until;
}

// Puts every held-back write in its file, all waiting for locks within one bound; the first error,
// 0 when all went there. `asked` by the caller (or the exit): each file waits for its lock. `tell`
// names each file that could not be written on the standard error.
DWORD FlushAll(bool asked, bool tell = false) {
  DWORD first = 0;
  std::vector<std::pair<std::string, std::shared_ptr<IniFile>>> held;
  for (auto& e : g_cache)
    if (e.second->pending) held.emplace_back(e);
  const auto until = LockDeadline();
  for (auto& [key, f] : held) {
    if (Store(key, f, asked ? until : Unasked(*f, until))) continue;
    if (!first) first = GetLastError();
    if (tell)
      fprintf(stderr, "Settings could not be written to %s (error %u).\n", f->path.c_str(), (unsigned)GetLastError());
  }
  return first;
}

// A file with writes held back reaches its file before anything else in the process opens a file
// by name, and at exit; see WritePrivateProfileString.
void BeforeNamedAccess() {
  if (t_quiet || g_pending.load() == 0) return;
  Locked lock;
  FlushAll(false);
}

// Set once the exit flush has run: a write after it is made at once.
bool g_exited = false;

struct AtExit {
  ~AtExit() {
    Locked lock;
    g_exited = true;
    FlushAll(true, true);
  }
} g_atExit;

// The folder of a file that is to be written: refusals known before anything is held back (checked
// by the first write of a burst; a later change shows when the file is written).
bool CanWrite(const std::string& path, const IniFile& f) {
  if (f.pending && !f.flushError) return true;
  struct stat st;
  if (stat(path.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode) || (st.st_mode & S_IWUSR) == 0) {
      SetLastError(ERROR_ACCESS_DENIED);
      return false;
    }
  } else {
    const std::string folder = ParentOf(path);
    if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
      SetLastError(ERROR_PATH_NOT_FOUND);
      return false;
    }
  }
  if (access(ParentOf(path).c_str(), W_OK) != 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  return true;
}

// Holds a change back instead of writing the file: a burst of writes to one file pays for one
// write and sync. After a failed attempt each change is written at once, so that its call reports
// whether the file took it.
bool HoldBack(const std::string& key, std::shared_ptr<IniFile> f) {
  if (f->flushError || g_exited) return Store(key, f, Unasked(*f, LockDeadline()));
  if (!f->pending) {
    f->pending = true;
    ++g_pending;
    g_pfnBeforeNamedAccess.store(&BeforeNamedAccess, std::memory_order_release);
  }
  MakeRoom();
  g_cache[key] = f;
  return true;
}

// What a write edits: after a failed attempt a copy, so that a change its call reports as refused
// leaves the held ones as they were.
std::shared_ptr<IniFile> Editable(std::shared_ptr<IniFile> f) {
  return f->flushError ? std::make_shared<IniFile>(*f) : f;
}

// One write: refused where the file may not be written (or, with `readFirst`, read), held back
// where it changes something.
bool Edit(const char* fileName, Change c, bool readFirst) {
  std::string key, path;
  bool readable = false;
  auto f = Editable(Load(fileName, &key, &path, &readable));
  struct stat st;
  if (readFirst && !readable && stat(path.c_str(), &st) == 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  if (!Alters(*f, c)) return true;
  if (!CanWrite(path, *f)) return false;
  Apply(*f, c);
  Record(*f, std::move(c));
  return HoldBack(key, f);
}

bool HasLineBreak(const char* s) { return s && strpbrk(s, "\r\n") != nullptr; }

bool ValidSection(const char* s) { return s && !HasLineBreak(s) && !strchr(s, ']'); }

bool ValidKey(const char* k) {
  if (!k || HasLineBreak(k) || strchr(k, '=')) return false;
  std::string t = Trim(std::string(k));
  return !t.empty() && t[0] != '[' && t[0] != ';';
}

// Copies a NUL-separated list into a caller's buffer with Win32's truncation.
DWORD CopyList(const std::vector<std::string>& items, LPSTR buf, DWORD size) {
  if (!buf || size == 0) return 0;
  std::string all;
  for (const std::string& s : items) {
    all += s;
    all += '\0';
  }
  if (all.size() + 1 <= size) {
    memcpy(buf, all.data(), all.size());
    buf[all.size()] = 0;
    if (all.empty() && size >= 2) buf[1] = 0;
    return (DWORD)all.size();
  }
  if (size < 2) {
    buf[0] = 0;
    return 0;
  }
  memcpy(buf, all.data(), size - 2);
  buf[size - 2] = 0;
  buf[size - 1] = 0;
  return size - 2;
}

DWORD CopyValue(const std::string& v, LPSTR buf, DWORD size) {
  if (!buf || size == 0) return 0;
  size_t n = v.size() < size ? v.size() : size - 1;
  memcpy(buf, v.data(), n);
  buf[n] = 0;
  return (DWORD)n;
}

BOOL WriteValue(const char* section, const char* key, const char* value, const char* fileName) {
  Change c{!key ? Change::DeleteSection : !value ? Change::DeleteKey : Change::SetKey, section, key ? key : "",
           value ? value : "", {}};
  return Edit(fileName, std::move(c), true) ? TRUE : FALSE;
}

}  // namespace

DWORD GetPrivateProfileString(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR returnedString, DWORD size,
                              LPCSTR fileName) {
  if (!returnedString || size == 0) return 0;
  if (!fileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    returnedString[0] = 0;
    if (!section || !key) {
      if (size >= 2) returnedString[1] = 0;
      return 0;
    }
    std::string def = Trim(std::string(defaultValue ? defaultValue : ""));
    return CopyValue(def, returnedString, size);
  }
  Locked lock;
  auto f = Load(fileName);
  if (!section) {
    std::vector<std::string> names;
    for (const Section& s : f->sections) names.push_back(s.name);
    return CopyList(names, returnedString, size);
  }
  if (!key) {
    std::vector<std::string> keys;
    if (const Section* s = f->Find(section))
      for (size_t i : s->keyLines) keys.push_back(f->lines[i].name);
    return CopyList(keys, returnedString, size);
  }
  if (const Line* l = f->FindKey(section, key)) return CopyValue(StripQuotes(l->value), returnedString, size);
  SetLastError(ERROR_FILE_NOT_FOUND);
  std::string def(defaultValue ? defaultValue : "");
  while (!def.empty() && IsBlank(def.back())) def.pop_back();
  return CopyValue(def, returnedString, size);
}

UINT GetPrivateProfileInt(LPCSTR section, LPCSTR key, INT defaultValue, LPCSTR fileName) {
  if (!section || !key || !fileName) return (UINT)defaultValue;
  std::string v;
  if (!dravonix::ini::GetValue(fileName, section, key, v) || v.empty()) return (UINT)defaultValue;
  size_t i = 0;
  bool negative = false;
  if (i < v.size() && (v[i] == '-' || v[i] == '+')) negative = v[i++] == '-';
  uint32_t n = 0;
  for (; i < v.size() && v[i] >= '0' && v[i] <= '9'; ++i) n = n * 10u + (uint32_t)(v[i] - '0');
  return negative ? (UINT)(0u - n) : (UINT)n;
}

BOOL WritePrivateProfileString(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName) {
  if (!section && !key && !value) {
    // Puts the writes held back in the file (all files without a name), else forgets the parse so
    // that the file is read again; the last error is 0 when they reached the disk, else why not (they
    // stay held back).
    Locked lock;
    DWORD error = 0;
    if (fileName) {
      struct stat st;
      bool exists;
      const std::string path = IniPath(fileName, st, exists);
      const std::string cacheKey = CacheKey(path, exists);
      auto it = g_cache.find(cacheKey);
      if (it == g_cache.end() || !it->second->pending) Forget(cacheKey);
      else if (!Store(cacheKey, it->second, LockDeadline())) error = GetLastError();
    } else {
      std::vector<std::string> read;
      for (auto& e : g_cache)
        if (!e.second->pending) read.push_back(e.first);
      for (const std::string& path : read) g_cache.erase(path);
      error = FlushAll(true);
    }
    SetLastError(error);
    return FALSE;
  }
  if (!fileName || !*fileName || !ValidSection(section) || (key && !ValidKey(key)) || HasLineBreak(value)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  Locked lock;
  return WriteValue(section, key, value, fileName);
}

DWORD GetPrivateProfileSection(LPCSTR section, LPSTR returnedString, DWORD size, LPCSTR fileName) {
  if (!returnedString || size == 0) return 0;
  std::vector<std::string> entries;
  if (section && fileName) {
    Locked lock;
    auto f = Load(fileName);
    if (const Section* s = f->Find(section))
      for (size_t h : s->headers)
        for (size_t i = h + 1, end = BlockEnd(*f, h); i < end; ++i)
          if (f->lines[i].kind == Line::Key) entries.push_back(f->lines[i].name + "=" + f->lines[i].value);
  } else {
    SetLastError(ERROR_INVALID_PARAMETER);
  }
  return CopyList(entries, returnedString, size);
}

DWORD GetPrivateProfileSectionNames(LPSTR returnedString, DWORD size, LPCSTR fileName) {
  return GetPrivateProfileString(nullptr, nullptr, nullptr, returnedString, size, fileName);
}

BOOL WritePrivateProfileSection(LPCSTR section, LPCSTR entries, LPCSTR fileName) {
  if (!fileName || !*fileName || !ValidSection(section)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::vector<std::string> items;
  for (const char* p = entries; p && *p; p += strlen(p) + 1) {
    if (HasLineBreak(p)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return FALSE;
    }
    items.emplace_back(p);
  }
  Locked lock;
  if (!entries) return WriteValue(section, nullptr, nullptr, fileName);
  return Edit(fileName, Change{Change::ReplaceSection, section, "", "", std::move(items)}, true) ? TRUE : FALSE;
}

BOOL GetPrivateProfileStruct(LPCSTR section, LPCSTR key, LPVOID data, UINT size, LPCSTR fileName) {
  if (!section || !key || !data || !fileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::string v;
  if (!dravonix::ini::GetValue(fileName, section, key, v)) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  if (v.size() != 2 * ((size_t)size + 1)) {
    SetLastError(ERROR_INVALID_DATA);
    return FALSE;
  }
  auto nibble = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  };
  std::vector<BYTE> bytes(size + 1);
  for (size_t i = 0; i < bytes.size(); ++i) {
    int hi = nibble(v[2 * i]), lo = nibble(v[2 * i + 1]);
    if (hi < 0 || lo < 0) {
      SetLastError(ERROR_INVALID_DATA);
      return FALSE;
    }
    bytes[i] = (BYTE)(hi * 16 + lo);
  }
  BYTE sum = 0;
  for (UINT i = 0; i < size; ++i) sum = (BYTE)(sum + bytes[i]);
  if (sum != bytes[size]) {
    SetLastError(ERROR_INVALID_DATA);
    return FALSE;
  }
  if (size) memcpy(data, bytes.data(), size);
  return TRUE;
}

BOOL WritePrivateProfileStruct(LPCSTR section, LPCSTR key, LPCVOID data, UINT size, LPCSTR fileName) {
  if (!section || !key) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!data) return WritePrivateProfileString(section, key, nullptr, fileName);
  static const char kHex[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(2 * ((size_t)size + 1));
  BYTE sum = 0;
  const BYTE* b = static_cast<const BYTE*>(data);
  for (UINT i = 0; i < size; ++i) {
    text += kHex[b[i] >> 4];
    text += kHex[b[i] & 15];
    sum = (BYTE)(sum + b[i]);
  }
  text += kHex[sum >> 4];
  text += kHex[sum & 15];
  return WritePrivateProfileString(section, key, text.c_str(), fileName);
}

namespace dravonix::ini {

bool GetValue(const char* fileName, const std::string& section, const std::string& key, std::string& value) {
  if (!fileName) return false;
  Locked lock;
  auto f = Load(fileName);
  const Line* l = f->FindKey(section, key);
  if (!l) return false;
  value = StripQuotes(l->value);
  return true;
}

std::vector<std::string> SectionNames(const char* fileName) {
  std::vector<std::string> names;
  if (!fileName) return names;
  Locked lock;
  auto f = Load(fileName);
  for (const Section& s : f->sections) names.push_back(s.name);
  return names;
}

std::vector<std::string> KeyNames(const char* fileName, const std::string& section) {
  std::vector<std::string> keys;
  if (!fileName) return keys;
  Locked lock;
  auto f = Load(fileName);
  if (const Section* s = f->Find(section))
    for (size_t i : s->keyLines) keys.push_back(f->lines[i].name);
  return keys;
}

bool SectionExists(const char* fileName, const std::string& section) {
  if (!fileName) return false;
  Locked lock;
  return Load(fileName)->Find(section) != nullptr;
}

bool DeleteSectionTree(const char* fileName, const std::string& section) {
  if (!fileName) return false;
  Locked lock;
  return Edit(fileName, Change{Change::DeleteTree, section, "", "", {}}, false);
}

OwnLookups::OwnLookups() : m_old(t_quiet) { t_quiet = true; }
OwnLookups::~OwnLookups() { t_quiet = m_old; }

}  // namespace dravonix::ini

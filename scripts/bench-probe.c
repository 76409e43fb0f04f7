// Preloaded into a benchmark program: a trap at the entry of each function listed in BENCH_PROBE_IN
// (lines "FILE OFFSET", the entry's offset in that file), set only while a benchmark's timed loop runs
// (from Google Benchmark's State::StartKeepRunning to FinishKeepRunning), so that start-up and a
// case's set-up count for nothing. A loop that entered one writes "@bench-probe N" (N entries) on
// standard output, through the stream the benchmark's report goes, so the line comes just before the
// case's own. A trap goes once it has run; the next loop sets it again. Libraries opened later are
// trapped as they are opened and kept loaded to the end.
// With BENCH_PROBE_ONCE set, every case's loop runs once whatever count or time it asks for (its name
// then says iterations:1); the flag's minimum time must be short for the others.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <signal.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <ucontext.h>
#include <unistd.h>

typedef struct {
  char* file;
  unsigned long offset;
  uintptr_t at;
  unsigned char saved;
  int armed;
} Trap;

static Trap* traps;
static size_t count;
static int loops;       // timed loops running now (a case may run on several threads)
static size_t entered;  // traps that ran since the first of them began
static volatile int lock;

static void Lock(void) {
  while (__sync_lock_test_and_set(&lock, 1)) {
  }
}

static void Unlock(void) { __sync_lock_release(&lock); }

static Trap* Find(uintptr_t at) {
  for (size_t i = 0; i < count; ++i)
    if (traps[i].at == at) return &traps[i];
  return NULL;
}

// Writes a byte into code; the pages opened last stay open while the next byte lies on them.
static uintptr_t openPage;

static void SetByte(uintptr_t at, unsigned char value) {
  static long page;
  if (!page) page = sysconf(_SC_PAGESIZE);
  uintptr_t start = at & ~(uintptr_t)(page - 1);
  if (start != openPage) {
    if (openPage) mprotect((void*)openPage, (size_t)page, PROT_READ | PROT_EXEC);
    mprotect((void*)start, (size_t)page, PROT_READ | PROT_WRITE | PROT_EXEC);
    openPage = start;
  }
  *(volatile unsigned char*)at = value;
}

static void ClosePage(void) {
  if (openPage) mprotect((void*)openPage, (size_t)sysconf(_SC_PAGESIZE), PROT_READ | PROT_EXEC);
  openPage = 0;
}

static void OnTrap(int sig, siginfo_t* info, void* context) {
  (void)sig;
  (void)info;
  ucontext_t* uc = context;
  uintptr_t at = (uintptr_t)uc->uc_mcontext.gregs[REG_RIP] - 1;
  Lock();
  // Another thread may have met the same trap and put the byte back already, or the loop ended.
  Trap* t = Find(at);
  if (t && t->armed) {
    SetByte(at, t->saved);
    ClosePage();
    t->armed = 0;
    ++entered;
  }
  Unlock();
  if (!t) {
    signal(SIGTRAP, SIG_DFL);
    return;
  }
  uc->uc_mcontext.gregs[REG_RIP] = (greg_t)at;
}

static int ByAddress(const void* a, const void* b) {
  uintptr_t x = ((const Trap*)a)->at, y = ((const Trap*)b)->at;
  return x < y ? -1 : x > y;
}

// Finds the traps whose files are mapped now; they are kept in address order, the pages written once.
static void Locate(void) {
  FILE* maps = fopen("/proc/self/maps", "r");
  if (!maps) return;
  char line[4096], path[4096], perms[8];
  unsigned long start, end, offset;
  int found = 0;
  while (fgets(line, sizeof line, maps)) {
    path[0] = 0;
    if (sscanf(line, "%lx-%lx %7s %lx %*s %*s %4095s", &start, &end, perms, &offset, path) < 5 || perms[2] != 'x')
      continue;
    for (size_t i = 0; i < count; ++i) {
      Trap* t = &traps[i];
      if (t->at || strcmp(t->file, path) != 0 || t->offset < offset || t->offset >= offset + (end - start)) continue;
      t->at = start + (t->offset - offset);
      t->saved = *(unsigned char*)t->at;
      found = 1;
    }
  }
  fclose(maps);
  if (found) qsort(traps, count, sizeof *traps, ByAddress);
}

static void SetAll(int armed) {
  for (size_t i = 0; i < count; ++i) {
    Trap* t = &traps[i];
    if (t->at && t->armed != armed) {
      SetByte(t->at, armed ? 0xCC : t->saved);
      t->armed = armed;
    }
  }
  ClosePage();
}

__attribute__((constructor)) static void Load(void) {
  const char* in = getenv("BENCH_PROBE_IN");
  FILE* f = in ? fopen(in, "r") : NULL;
  if (!f) return;
  char file[4096];
  unsigned long offset;
  size_t cap = 0;
  while (fscanf(f, "%4095s %lu", file, &offset) == 2) {
    if (count == cap) traps = realloc(traps, (cap = cap ? cap * 2 : 256) * sizeof *traps);
    traps[count++] = (Trap){strdup(file), offset, 0, 0, 0};
  }
  fclose(f);
  struct sigaction sa;
  memset(&sa, 0, sizeof sa);
  sa.sa_sigaction = OnTrap;
  sa.sa_flags = SA_SIGINFO | SA_NODEFER;
  sigaction(SIGTRAP, &sa, NULL);
  Locate();
}

void* dlopen(const char* name, int flags) {
  static void* (*real)(const char*, int);
  if (!real) real = (void* (*)(const char*, int))dlsym(RTLD_NEXT, "dlopen");
  void* handle = real(name, flags);
  if (handle) {
    Lock();
    Locate();
    if (loops) SetAll(1);
    Unlock();
  }
  return handle;
}

int dlclose(void* handle) {
  (void)handle;
  return 0;
}

// benchmark::State::StartKeepRunning() and FinishKeepRunning(), which the programs call in the
// shared library.
typedef void (*Member)(void*);

static Member Real(const char* name) {
  Member m = (Member)dlsym(RTLD_NEXT, name);
  if (!m) {
    fprintf(stderr, "bench-probe: no %s\n", name);
    _exit(3);
  }
  return m;
}

void _ZN9benchmark5State16StartKeepRunningEv(void* state) {
  static Member real;
  if (!real) real = Real("_ZN9benchmark5State16StartKeepRunningEv");
  Lock();
  if (loops++ == 0) {
    entered = 0;
    SetAll(1);
  }
  Unlock();
  real(state);
}

void _ZN9benchmark5State17FinishKeepRunningEv(void* state) {
  static Member real;
  if (!real) real = Real("_ZN9benchmark5State17FinishKeepRunningEv");
  real(state);
  Lock();
  size_t n = 0;
  if (--loops == 0) {
    SetAll(0);
    n = entered;
  }
  Unlock();
  if (n) {
    printf("@bench-probe %zu\n", n);
    fflush(stdout);
  }
}

// benchmark::internal::Benchmark::Iterations(long) and MinTime(double), called as each case registers.
typedef void* (*SetCount)(void*, long);

static int Once(void) {
  const char* once = getenv("BENCH_PROBE_ONCE");
  return once && *once;
}

static SetCount RealIterations(void) {
  static SetCount real;
  if (!real) real = (SetCount)(void (*)(void))Real("_ZN9benchmark8internal9Benchmark10IterationsEl");
  return real;
}

void* _ZN9benchmark8internal9Benchmark10IterationsEl(void* benchmark, long n) {
  return RealIterations()(benchmark, Once() ? 1 : n);
}

void* _ZN9benchmark8internal9Benchmark7MinTimeEd(void* benchmark, double t) {
  static void* (*real)(void*, double);
  if (Once()) return RealIterations()(benchmark, 1);
  if (!real) real = (void* (*)(void*, double))(void (*)(void))Real("_ZN9benchmark8internal9Benchmark7MinTimeEd");
  return real(benchmark, t);
}

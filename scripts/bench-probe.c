// Preloaded into a benchmark program: a one-shot trap at the entry of each function listed in
// BENCH_PROBE_IN (lines "FILE OFFSET", the entry's offset in that file), and at exit the entries that
// ran, one line each, in BENCH_PROBE_OUT.PID; with BENCH_PROBE_FIRST set, the first entry that runs
// ends the program. Libraries opened later are trapped as they are opened and kept loaded to the end.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
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
  char* line;
  unsigned long offset;
  uintptr_t at;
  unsigned char saved;
  int armed, ran;
} Trap;

static Trap* traps;
static size_t count;
static int stopAtFirst;
static char hitPath[4096];

static volatile int lock;

static Trap* Find(uintptr_t at) {
  for (size_t i = 0; i < count; ++i)
    if (traps[i].at == at) return &traps[i];
  return NULL;
}

static void SetByte(uintptr_t at, unsigned char value) {
  long page = sysconf(_SC_PAGESIZE);
  void* start = (void*)(at & ~(uintptr_t)(page - 1));
  mprotect(start, (size_t)page, PROT_READ | PROT_WRITE | PROT_EXEC);
  *(volatile unsigned char*)at = value;
  mprotect(start, (size_t)page, PROT_READ | PROT_EXEC);
}

static void OnTrap(int sig, siginfo_t* info, void* context) {
  (void)sig;
  (void)info;
  ucontext_t* uc = context;
  uintptr_t at = (uintptr_t)uc->uc_mcontext.gregs[REG_RIP] - 1;
  while (__sync_lock_test_and_set(&lock, 1)) {
  }
  // Another thread may have met the same trap and put the byte back already.
  Trap* t = Find(at);
  if (t && t->armed) {
    SetByte(at, t->saved);
    t->armed = 0;
    t->ran = 1;
  }
  __sync_lock_release(&lock);
  if (!t) {
    signal(SIGTRAP, SIG_DFL);
    return;
  }
  if (stopAtFirst) {
    // One entry is all the question needs: say which and stop here.
    int fd = open(hitPath, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) {
      ssize_t n = write(fd, t->line, strlen(t->line));
      (void)n;
      close(fd);
    }
    _exit(0);
  }
  uc->uc_mcontext.gregs[REG_RIP] = (greg_t)at;
}

// Arms every trap whose file is mapped now and not yet armed.
static void Arm(void) {
  FILE* maps = fopen("/proc/self/maps", "r");
  if (!maps) return;
  char line[4096], path[4096], perms[8];
  unsigned long start, end, offset;
  while (fgets(line, sizeof line, maps)) {
    path[0] = 0;
    if (sscanf(line, "%lx-%lx %7s %lx %*s %*s %4095s", &start, &end, perms, &offset, path) < 5 || perms[2] != 'x')
      continue;
    for (size_t i = 0; i < count; ++i) {
      Trap* t = &traps[i];
      if (t->at || t->ran || strcmp(t->file, path) != 0 || t->offset < offset || t->offset >= offset + (end - start))
        continue;
      t->at = start + (t->offset - offset);
      t->saved = *(unsigned char*)t->at;
      t->armed = 1;
      SetByte(t->at, 0xCC);
    }
  }
  fclose(maps);
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
    char line[4200];
    snprintf(line, sizeof line, "%s %lu\n", file, offset);
    traps[count++] = (Trap){strdup(file), strdup(line), offset, 0, 0, 0, 0};
  }
  fclose(f);
  const char* out = getenv("BENCH_PROBE_OUT");
  stopAtFirst = getenv("BENCH_PROBE_FIRST") != NULL;
  snprintf(hitPath, sizeof hitPath, "%s.%d", out ? out : "/dev/null", (int)getpid());
  struct sigaction sa;
  memset(&sa, 0, sizeof sa);
  sa.sa_sigaction = OnTrap;
  sa.sa_flags = SA_SIGINFO | SA_NODEFER;
  sigaction(SIGTRAP, &sa, NULL);
  Arm();
}

void* dlopen(const char* name, int flags) {
  static void* (*real)(const char*, int);
  if (!real) real = (void* (*)(const char*, int))dlsym(RTLD_NEXT, "dlopen");
  void* handle = real(name, flags);
  if (handle) {
    while (__sync_lock_test_and_set(&lock, 1)) {
    }
    Arm();
    __sync_lock_release(&lock);
  }
  return handle;
}

int dlclose(void* handle) {
  (void)handle;
  return 0;
}

__attribute__((destructor)) static void Report(void) {
  const char* out = getenv("BENCH_PROBE_OUT");
  size_t ran = 0;
  for (size_t i = 0; i < count; ++i) ran += traps[i].ran;
  if (!out || !ran) return;
  // A program the benchmark starts has its own file beside.
  char path[4096];
  snprintf(path, sizeof path, "%s.%d", out, (int)getpid());
  FILE* f = fopen(path, "w");
  if (!f) return;
  for (size_t i = 0; i < count; ++i)
    if (traps[i].ran) fprintf(f, "%s %lu\n", traps[i].file, traps[i].offset);
  fclose(f);
}

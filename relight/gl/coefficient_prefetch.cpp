#include "relight/gl/coefficient_prefetch.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/prctl.h>
#endif

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <utility>

#include "common/fatal.h"
#include "relight/gl/coefficient_halves.h"

namespace {

// What the helper was asked for, and what it shares with the viewer.
struct Prefetch {
  pid_t pid = -1;
  std::string path;
  bool raw = false;
  int width = 0;
  int height = 0;
  int count = 0;
  HalfCoefficientMaps maps;
  FILE* diagnostics = nullptr;  // the helper's standard error
  double* seconds = nullptr;    // a shared page: the helper's decoding time
};

Prefetch g_prefetch;

[[noreturn]] void EndHelper(int status) { _exit(status == 0 ? 0 : 1); }

// The helper's side: decode, then end without running the viewer's exit handlers.
[[noreturn]] void RunHelper(pid_t viewer) {
#if defined(__linux__)
  prctl(PR_SET_PDEATHSIG, SIGKILL);  // the viewer's end is the helper's end
  if (getppid() != viewer) _exit(1);
#else
  (void)viewer;
#endif
  const int null = open("/dev/null", O_WRONLY);
  if (null < 0 || dup2(null, STDOUT_FILENO) < 0 || dup2(fileno(g_prefetch.diagnostics), STDERR_FILENO) < 0) _exit(1);
  veltrane::SetFatalHandler(EndHelper);
  const auto start = std::chrono::steady_clock::now();
  if (g_prefetch.raw) {
    DecodeRawCoefficients(g_prefetch.path.c_str(), g_prefetch.maps);
  } else {
    DecodeDctCoefficients(g_prefetch.path.c_str(), g_prefetch.maps, 0);
  }
  *g_prefetch.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  _exit(0);
}

void ForgetPrefetch() {
  g_prefetch.maps.Release();
  if (g_prefetch.diagnostics != nullptr) std::fclose(g_prefetch.diagnostics);
  g_prefetch.diagnostics = nullptr;
  if (g_prefetch.seconds != nullptr) munmap(g_prefetch.seconds, sizeof(double));
  g_prefetch.seconds = nullptr;
  g_prefetch.pid = -1;
}

std::string ReadAll(FILE* file) {
  std::string text;
  if (std::fseek(file, 0, SEEK_SET) != 0) return text;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
  return text;
}

}  // namespace

void StartCoefficientPrefetch(const char* path, bool raw, int width, int height, int count) {
  if (g_prefetch.pid > 0 || path == nullptr) return;
  g_prefetch.path = path;
  g_prefetch.raw = raw;
  g_prefetch.width = width;
  g_prefetch.height = height;
  g_prefetch.count = count;
  void* page = mmap(nullptr, sizeof(double), PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  g_prefetch.seconds = page == MAP_FAILED ? nullptr : static_cast<double*>(page);
  g_prefetch.diagnostics = std::tmpfile();
  if (g_prefetch.seconds == nullptr || g_prefetch.diagnostics == nullptr ||
      !g_prefetch.maps.Allocate(count, width, height, true)) {
    ForgetPrefetch();
    return;
  }
  std::fflush(nullptr);  // nothing buffered may be written twice
  const pid_t viewer = getpid();
  const pid_t pid = fork();
  if (pid == 0) RunHelper(viewer);
  if (pid < 0) {
    ForgetPrefetch();
    return;
  }
  g_prefetch.pid = pid;
}

bool TakeCoefficientPrefetch(const char* path, bool raw, int width, int height, int count, HalfCoefficientMaps* maps,
                             std::string* diagnostics, double* seconds) {
  if (g_prefetch.pid <= 0) return false;
  int status = 0;
  pid_t waited;
  do {
    waited = waitpid(g_prefetch.pid, &status, 0);
  } while (waited < 0 && errno == EINTR);
  const bool same = g_prefetch.path == path && g_prefetch.raw == raw && g_prefetch.width == width &&
                    g_prefetch.height == height && g_prefetch.count == count;
  const bool clean = waited == g_prefetch.pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  if (same && clean) {
    *diagnostics = ReadAll(g_prefetch.diagnostics);
    *seconds = *g_prefetch.seconds;
    maps->TakeFrom(&g_prefetch.maps);
  }
  ForgetPrefetch();
  return same && clean;
}

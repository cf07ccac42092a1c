#include "tools/bake_cleanup.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tools/bake/baker.h"
#include "tools/bake/embedded_shaders.h"
#include "scene/object_mesh.h"

namespace {

// Paths to remove, in order: the bake's files, then the folders, deepest first. Built before the
// handlers are installed and never changed while they are, so the handler only reads them.
std::vector<std::string> g_storage;
std::vector<const char*> g_paths;
bool g_armed = false;
bool g_installed[3] = {};

bool Exists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

// Only unlink and rmdir: both may be called from a signal handler. rmdir leaves a folder that
// still holds something.
void RemoveAll() {
  for (const char* path : g_paths) {
    if (unlink(path) != 0) rmdir(path);
  }
}

void OnSignal(int signal_number) {
  RemoveAll();
  ::signal(signal_number, SIG_DFL);
  raise(signal_number);
}

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

}  // namespace

BakeCleanup::BakeCleanup(const std::string& out_dir) {
  g_storage.clear();
  g_paths.clear();
  std::string out = out_dir;
  while (out.size() > 1 && out.back() == '/') out.pop_back();
  // The run directory's missing parents, outermost first.
  std::vector<std::string> missing;
  for (size_t at = 1; at < out.size(); ++at) {
    if (out[at] == '/' && !Exists(out.substr(0, at))) missing.push_back(out.substr(0, at));
  }
  if (!Exists(out)) missing.push_back(out);
  // Deepest first. Nothing of the bake's is written here before the run directory is renamed in
  // (AddBuildDirectory names what goes into the temporary one), so after that rename these
  // folders are no longer empty and stay.
  g_storage.assign(missing.rbegin(), missing.rend());
  for (const std::string& path : g_storage) g_paths.push_back(path.c_str());
}

void BakeCleanup::AddBuildDirectory(const std::string& directory) {
  std::vector<std::string> entries;
  for (const char* name : {veltrane::kDescriptionName, "wood.ppm", "bake-report.txt", "bake-report.png",
                           veltrane::kObjectFileName}) {
    entries.push_back(directory + "/" + name);
  }
  const std::string base = directory + "/" + veltrane::kBasePath + "/" + veltrane::kEncodedFile;
  entries.push_back(base + ".rbf");
  entries.push_back(base + ".rbf.dct");
  for (int i = 0; i < veltrane::kEmbeddedShaderCount; ++i) {
    entries.push_back(directory + "/shader/dir/" + veltrane::kEmbeddedShaders[i].name + ".cgz");
  }
  for (const char* folder : {"/data", "/shader/dir", "/shader", ""}) entries.push_back(directory + folder);
  // The handler reads the lists: no signal while they change.
  sigset_t signals, previous;
  sigemptyset(&signals);
  for (int signal_number : kSignals) sigaddset(&signals, signal_number);
  sigprocmask(SIG_BLOCK, &signals, &previous);
  g_storage.insert(g_storage.begin(), entries.begin(), entries.end());
  g_paths.clear();
  for (const std::string& path : g_storage) g_paths.push_back(path.c_str());
  sigprocmask(SIG_SETMASK, &previous, nullptr);
}

BakeCleanup::~BakeCleanup() { Disarm(); }

void BakeCleanup::Arm() {
  if (g_armed) return;
  g_armed = true;
  // A signal that the shell ignores (a background job) stays ignored.
  for (int i = 0; i < 3; ++i) {
    struct sigaction old;
    g_installed[i] = sigaction(kSignals[i], nullptr, &old) == 0 && old.sa_handler != SIG_IGN;
    if (g_installed[i]) ::signal(kSignals[i], OnSignal);
  }
}

void BakeCleanup::Disarm() {
  if (!g_armed) return;
  for (int i = 0; i < 3; ++i) {
    if (g_installed[i]) ::signal(kSignals[i], SIG_DFL);
  }
  g_armed = false;
}

void BakeCleanup::RemoveNow() {
  Disarm();
  RemoveAll();
}

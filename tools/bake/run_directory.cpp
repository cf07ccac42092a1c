#include "tools/bake/run_directory.h"

#include <dirent.h>
#include <ftw.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "tools/bake/run_files.h"

namespace veltrane {
namespace {

std::string Parent(const std::string& path) {
  std::string p = path;
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  const size_t slash = p.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : p.substr(0, slash);
}

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

bool IsEmptyDirectory(const std::string& path) {
  DIR* dir = opendir(path.c_str());
  if (dir == nullptr) return false;
  bool empty = true;
  while (dirent* entry = readdir(dir)) {
    if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
      empty = false;
      break;
    }
  }
  closedir(dir);
  return empty;
}

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) { return std::remove(path) == 0 ? 0 : -1; }

bool MakeTemporary(const std::string& stem, std::string* out) {
  std::vector<char> name(stem.begin(), stem.end());
  const char suffix[] = "XXXXXX";
  name.insert(name.end(), suffix, suffix + sizeof suffix);
  if (mkdtemp(name.data()) == nullptr) return false;
  *out = name.data();
  return true;
}

}  // namespace

bool RemoveTree(const std::string& path) {
  return nftw(path.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS) == 0;
}

bool PendingRunDirectory::CheckTarget(const std::string& target, const char* marker, std::string* why) {
  struct stat info;
  if (lstat(target.c_str(), &info) != 0) return true;
  if (!S_ISDIR(info.st_mode)) {
    *why = target + " exists and is not a directory";
    return false;
  }
  if (IsEmptyDirectory(target) || access((target + "/" + marker).c_str(), F_OK) == 0) return true;
  *why = target + " is a directory with other files in it (no " + marker + "); it is left as it is";
  return false;
}

bool PendingRunDirectory::Begin(const std::string& target, std::string* why) {
  target_ = WithoutTrailingSlash(target);
  const std::string parent = Parent(target_);
  if (!MakeDirectories(parent)) {
    *why = "cannot create directory " + parent + ": " + std::strerror(errno);
    return false;
  }
  if (!MakeTemporary(target_ + ".tmp-", &temporary_)) {
    *why = "cannot create directory " + target_ + ".tmp-XXXXXX: " + std::strerror(errno);
    return false;
  }
  return true;
}

bool PendingRunDirectory::Commit(std::string* why) {
  if (rename(temporary_.c_str(), target_.c_str()) == 0) {
    committed_ = true;
    return true;
  }
  if (errno != ENOTEMPTY && errno != EEXIST) {
    *why = "cannot rename " + temporary_ + " to " + target_ + ": " + std::strerror(errno);
    return false;
  }
  // An earlier run directory: move it aside, put the new one in its place, remove the old one.
  std::string aside;
  if (!MakeTemporary(target_ + ".old-", &aside) || rename(target_.c_str(), aside.c_str()) != 0) {
    *why = "cannot move the earlier " + target_ + " aside: " + std::strerror(errno);
    if (!aside.empty()) rmdir(aside.c_str());
    return false;
  }
  if (rename(temporary_.c_str(), target_.c_str()) != 0) {
    *why = "cannot rename " + temporary_ + " to " + target_ + ": " + std::strerror(errno);
    rename(aside.c_str(), target_.c_str());
    return false;
  }
  committed_ = true;
  RemoveTree(aside);
  return true;
}

PendingRunDirectory::~PendingRunDirectory() {
  if (!committed_ && !temporary_.empty()) RemoveTree(temporary_);
}

}  // namespace veltrane

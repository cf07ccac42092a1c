// A run directory that appears whole or not at all: it is built in a temporary directory beside
// its place ("OUT.tmp-XXXXXX") and renamed into place when complete.
#pragma once

#include <string>

namespace veltrane {

class PendingRunDirectory {
 public:
  // Checks that target can be (re)placed: missing, an empty directory, or an earlier run
  // directory (it holds the file marker). False, with *why set, otherwise.
  static bool CheckTarget(const std::string& target, const char* marker, std::string* why);

  // Makes the temporary directory (and target's missing parents). False, with *why set.
  bool Begin(const std::string& target, std::string* why);
  // The directory to build in.
  const std::string& path() const { return temporary_; }
  // Renames the temporary directory into place, replacing what is there (an earlier run
  // directory is moved aside first and then removed). False, with *why set; the temporary
  // directory is removed then.
  bool Commit(std::string* why);
  // Removes the temporary directory unless it was committed.
  ~PendingRunDirectory();

 private:
  std::string target_, temporary_;
  bool committed_ = false;
};

// Removes path and everything under it; false when something stays.
bool RemoveTree(const std::string& path);

}  // namespace veltrane

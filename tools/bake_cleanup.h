// What an interrupted or failed bake leaves behind: nothing in the folders it made.
//
// The bake creates the missing parents of its run directory, builds the run directory in a
// temporary directory beside it and renames that into place at the end; a failed bake removes
// the temporary directory itself. Armed before the bake, BakeCleanup knows which of those folders did
// not exist yet, and is told the temporary directory and which files the bake writes into it.
// On SIGINT, SIGTERM or SIGHUP it removes those files and then the folders that are left empty,
// deepest first, and lets the signal end the process as before (at once); RemoveNow does the
// same after a failed bake. Folders that existed before are never touched, nor any file in them.
#pragma once

#include <string>

class BakeCleanup {
 public:
  explicit BakeCleanup(const std::string& out_dir);
  ~BakeCleanup();
  BakeCleanup(const BakeCleanup&) = delete;
  BakeCleanup& operator=(const BakeCleanup&) = delete;

  // The temporary directory the run directory is built in: on a signal, the run directory's
  // files in it, its folders and it go first.
  void AddBuildDirectory(const std::string& directory);
  // Installs the signal handlers (once per process).
  void Arm();
  // After a successful bake: keeps everything and restores the default handlers.
  void Disarm();
  // After a failed bake.
  void RemoveNow();
};

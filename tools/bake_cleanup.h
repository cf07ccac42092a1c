// What an interrupted or failed bake leaves behind: nothing in the folders it made.
//
// The bake creates its run directory (and any missing parents), DIR/data and DIR/shader/dir
// before its long stages. Armed before the bake, BakeCleanup knows which of those folders did
// not exist yet and which files the bake writes into them. On SIGINT, SIGTERM or SIGHUP it
// removes those files and then the folders that are left empty, deepest first, and lets the
// signal end the process as before (at once); RemoveNow does the same after a failed bake.
// Folders that existed before are never touched, nor any file in them.
#pragma once

#include <string>

class BakeCleanup {
 public:
  explicit BakeCleanup(const std::string& out_dir);
  ~BakeCleanup();
  BakeCleanup(const BakeCleanup&) = delete;
  BakeCleanup& operator=(const BakeCleanup&) = delete;

  // Installs the signal handlers (once per process).
  void Arm();
  // After a successful bake: keeps everything and restores the default handlers.
  void Disarm();
  // After a failed bake.
  void RemoveNow();
};

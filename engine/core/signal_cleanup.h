// What a process killed by SIGINT, SIGTERM or SIGHUP leaves behind: the
// engine's temporary folder, a file being written beside the one it
// replaces, and the folder of a generation's files not yet in place. Their
// paths are noted here as they come and go, so that a signal handler can
// remove them with the few calls that are safe inside one.
#pragma once

namespace vellum::core {

enum class CleanupSlot {
  kTemporaryFolder,  // a folder of plain files, removed with them
  kReplacement,      // a file
  kStagingFolder,    // a folder of plain files, removed with them
};

// Notes path (null: nothing) for slot. Paths longer than the handler's
// buffers are not noted.
void NoteForCleanup(CleanupSlot slot, const char* path);

// From now on SIGINT, SIGTERM and SIGHUP remove what is noted, then end the
// process as the signal would have.
void InstallSignalCleanup();

}  // namespace vellum::core

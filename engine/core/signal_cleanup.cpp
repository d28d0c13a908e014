#include "core/signal_cleanup.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <csignal>
#include <cstddef>
#include <cstring>
#include <initializer_list>

namespace vellum::core {
namespace {

constexpr std::size_t kPathCapacity = 4096;
constexpr int kSlotCount = 3;

// A path a handler may read at any moment: it takes the path only while the
// flag says the buffer holds a whole one.
struct NotedPath {
  volatile std::sig_atomic_t whole = 0;
  char path[kPathCapacity] = {};
};

NotedPath noted[kSlotCount];

// Unlinks every plain entry of the folder, then the folder: getdents64,
// unlinkat and rmdir are plain system calls, safe in a handler.
void RemoveFolderInHandler(const char* folder) {
  const int fd = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    alignas(8) char entries[4096];
    for (long got; (got = syscall(SYS_getdents64, fd, entries, sizeof entries)) > 0;) {
      for (long at = 0; at < got;) {
        struct Entry {
          unsigned long long inode;
          long long offset;
          unsigned short length;
          unsigned char type;
          char name[1];
        };
        const auto* entry = reinterpret_cast<const Entry*>(entries + at);
        if (entry->type != DT_DIR) unlinkat(fd, entry->name, 0);
        at += entry->length;
      }
    }
    close(fd);
  }
  rmdir(folder);
}

void CleanUpAndRaise(int signal_number) {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (noted[slot].whole == 0) continue;
    if (slot == static_cast<int>(CleanupSlot::kReplacement)) {
      unlink(noted[slot].path);
    } else {
      RemoveFolderInHandler(noted[slot].path);
    }
  }
  std::signal(signal_number, SIG_DFL);
  std::raise(signal_number);
}

}  // namespace

void NoteForCleanup(CleanupSlot slot, const char* path) {
  NotedPath& entry = noted[static_cast<int>(slot)];
  entry.whole = 0;
  if (path == nullptr || std::strlen(path) >= kPathCapacity) return;
  std::strcpy(entry.path, path);
  entry.whole = 1;
}

void InstallSignalCleanup() {
  struct sigaction action = {};
  action.sa_handler = CleanUpAndRaise;
  sigemptyset(&action.sa_mask);
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&action.sa_mask, signal_number);
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal_number, &action, nullptr);
}

}  // namespace vellum::core

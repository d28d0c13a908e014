// What vellumark does while a scan runs: an updating progress line on a
// terminal, and Ctrl+C stopping the scan between two pages.
#pragma once

namespace vellumark {

// For its lifetime: SIGINT only asks the scan to stop (a second one ends
// the process as it would have), and with show_progress one line on
// standard error tells how far the scan is. Everything is put back as it
// was on destruction, the line ended with a line feed.
class ScanWatch {
 public:
  explicit ScanWatch(bool show_progress);
  ~ScanWatch();
  ScanWatch(const ScanWatch&) = delete;
  ScanWatch& operator=(const ScanWatch&) = delete;

  // True once SIGINT arrived.
  bool Interrupted() const;
};

}  // namespace vellumark

#include "scan_watch.h"

#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "session.h"
#include "vellum/vellum.h"

namespace vellumark {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
constexpr int kDefaultWidth = 80;

volatile sig_atomic_t interrupted = 0;
struct sigaction previous_interrupt {};

void OnInterrupt(int) {
  // A second Ctrl+C does not wait for the page being read.
  if (interrupted) {
    sigaction(SIGINT, &previous_interrupt, nullptr);
    raise(SIGINT);
    return;
  }
  interrupted = 1;
}

bool show_progress = false;
bool line_shown = false;
VellumProgress last{};  // the counts of the last page announced
std::string current_item;
Clock::time_point started;
Clock::time_point drawn;

int TerminalWidth() {
  winsize size{};
  if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return kDefaultWidth;
}

// address, printable, cut to at most room bytes, ending in "..." when it was
// cut, never in the middle of a character.
std::string Shortened(const char* address, std::size_t room) {
  std::string text = Printable(address != nullptr ? address : "");
  if (text.size() <= room) return text;
  if (room < 4) return {};
  std::size_t end = room - 3;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xc0) == 0x80) --end;
  return text.substr(0, end) + "...";
}

void Draw(const VellumProgress& progress) {
  const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
  const int waiting = progress.Total > progress.Done ? progress.Total - progress.Done : 0;
  char counts[120];
  std::snprintf(counts, sizeof counts, "%5d read, %d queued, %d failed, %.1f pages/s  ",
                progress.Done, waiting, progress.Failed,
                seconds > 0 ? progress.Done / seconds : 0.0);
  const std::size_t width = static_cast<std::size_t>(TerminalWidth()) - 1;
  std::string line = counts;
  if (line.size() < width) line += Shortened(progress.Item, width - line.size());
  std::fprintf(stderr, "\r%s\x1b[K", line.c_str());
  std::fflush(stderr);
  line_shown = true;
}

// A message of the engine gets a line of its own.
void ClearLine() {
  if (!line_shown) return;
  std::fputs("\r\x1b[K", stderr);
  line_shown = false;
}

int32_t OnProgress(const VellumProgress* progress) {
  if (interrupted) return 1;
  if (show_progress && progress->Kind == VELLUM_PROGRESS_SCAN) {
    // While the scan waits, the line keeps the page last announced.
    if (progress->Item != nullptr) current_item = progress->Item;
    const Clock::time_point now = Clock::now();
    if (!line_shown || now - drawn >= kRedrawInterval) {
      drawn = now;
      VellumProgress shown = *progress;
      shown.Item = current_item.c_str();
      Draw(shown);
    }
    // A page about to be read counts as read on the last line; a call
    // while the scan waits (no item) counts nothing more.
    last = *progress;
    if (progress->Item != nullptr) last.Done = progress->Done + 1;
    last.Item = nullptr;
  }
  return 0;
}

}  // namespace

ScanWatch::ScanWatch(bool show) {
  interrupted = 0;
  show_progress = show;
  line_shown = false;
  last = {};
  current_item.clear();
  started = Clock::now();
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  // The page being read is read whole: the scan stops before the next one.
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, &previous_interrupt);
  if (show_progress) SetBeforeMessage(ClearLine);
  VellumSetProgressCallback(OnProgress);
}

ScanWatch::~ScanWatch() {
  VellumSetProgressCallback(nullptr);
  SetBeforeMessage(nullptr);
  sigaction(SIGINT, &previous_interrupt, nullptr);
  // The last line tells the whole count.
  if (line_shown) {
    Draw(last);
    std::fputc('\n', stderr);
  }
  line_shown = false;
}

bool ScanWatch::Interrupted() const { return interrupted != 0; }

}  // namespace vellumark

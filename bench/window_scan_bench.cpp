// A link scan as the desktop program makes it (the engine worker, the
// progress window painting at most ten times a second) against the same
// scan made directly with no window, as vellumark makes it: what the window
// costs while the engine works. Runs on Qt's offscreen platform.
//
//   QT_QPA_PLATFORM=offscreen ./build-bench/IDE/window_scan_bench SITE/index.html
#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <functional>

#include "dialogs/progress_dialog.h"
#include "vellum/vellum.h"

namespace {

int32_t Quiet(const char*) { return 0; }
int32_t No(const char*) { return 0; }

// Seconds a fresh scan of base takes, and the pages it found.
double Seconds(const std::function<int32_t(SiteMapParams&)>& scan, const char* base, int& pages) {
  MapItemList tree{};
  SiteMapParams params{};
  params.BasePath = base;
  params.Items = &tree;
  QElapsedTimer clock;
  clock.start();
  scan(params);
  const double seconds = clock.nsecsElapsed() / 1e9;
  pages = tree.Count;
  return seconds;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: window_scan_bench BASE_PAGE\n");
    return 2;
  }
  QApplication application(argc, argv);
  HTMLinitmess(Quiet, Quiet, No, 0, 0, argv[0]);
  constexpr uint32_t kFlags = VELLUM_SCAN_IGNORE_BOOKMARKS | VELLUM_SCAN_IGNORE_ARGUMENTS;
  int pages = 0;
  // The first scan reads the files into the system's cache for both.
  const auto direct = [](SiteMapParams& params) { return HTMLgenSiteMap(&params, kFlags); };
  Seconds(direct, argv[1], pages);
  const double plain = Seconds(direct, argv[1], pages);
  const double window = Seconds(
      [](SiteMapParams& params) {
        bramblel::ProgressDialog dialog(VELLUM_PROGRESS_SCAN, "Scan");
        return dialog.Run([&params] { return HTMLgenSiteMap(&params, kFlags); });
      },
      argv[1], pages);
  std::printf("top-level entries=%d without_window=%.2f s in_window=%.2f s ratio=%.2f\n", pages,
              plain, window, window / plain);
  return 0;
}

// Times one scan of the engine and prints one line of figures:
//
//   scan_bench MODE BASE [SCAN_FLAGS [CONNECTIONS [CA_FILE]]]
//
// MODE 0 follows the links from the base page (a path or a web address),
// MODE 1 lists the base folder. SCAN_FLAGS defaults to the wizard's usual
// choice (bookmarks and arguments ignored); CONNECTIONS (to one server at
// once) to the crawl's default; CA_FILE is the certificate an HTTPS test
// server is trusted by. Prints the pages in the tree,
// the wall time of the scan, the peak resident set of the process and the
// pages per second.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "config/engine_config.h"
#include "core/map_item_list.h"
#include "core/memory.h"
#include "scan/site_scan.h"
#include "web/page_access.h"

namespace {

// The items of the tree that name a page (folder items have no URL).
int CountPages(const MapItemList& tree) {
  int count = 0;
  std::vector<const MapItemList*> pending{&tree};
  while (!pending.empty()) {
    const MapItemList* list = pending.back();
    pending.pop_back();
    for (int i = 0; i < list->Count; ++i) {
      count += list->Items[i].URL != nullptr;
      pending.push_back(&list->Items[i].Children);
    }
  }
  return count;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace vellum;
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s MODE BASE [SCAN_FLAGS [CONNECTIONS [CA_FILE]]]\n", argv[0]);
    return 2;
  }
  const int mode = std::atoi(argv[1]);
  const std::string base = argv[2];
  const unsigned flags = argc > 3 ? static_cast<unsigned>(std::strtoul(argv[3], nullptr, 0))
                                  : VELLUM_SCAN_IGNORE_BOOKMARKS | VELLUM_SCAN_IGNORE_ARGUMENTS;
  scan::CrawlSettings settings;
  if (argc > 4) settings.connections = std::atoi(argv[4]);
  if (argc > 5) settings.ca_file = argv[5];

  std::string temp = (std::filesystem::temp_directory_path() / "scan-bench-XXXXXX").string();
  if (mkdtemp(temp.data()) == nullptr) return 1;
  EngineConfig& config = config::TheConfig();
  config.ExtPage = core::CopyText("*.htm;*.html");
  config.TempFolder = core::CopyText(temp + "/");

  MapItemList tree{};
  SiteMapParams params{};
  params.BasePath = base.c_str();
  params.Settings.Mode = static_cast<uint8_t>(mode);
  params.Items = &tree;

  const auto start = std::chrono::steady_clock::now();
  core::Progress progress(VELLUM_PROGRESS_SCAN);
  scan::ScanReport report;
  const int result = scan::ScanSite(params, tree, flags, settings, progress, report);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const int pages = CountPages(tree);
  std::printf("result=%d pages=%d seconds=%.3f peak_rss_mb=%.1f pages_per_second=%.0f\n", result,
              pages, seconds, usage.ru_maxrss / 1024.0, pages / seconds);

  core::Clear(tree);
  web::PurgePageCache();
  std::filesystem::remove_all(temp);
  return result == 1 ? 0 : 1;
}

// Generation of every output type from a tree of 100,000 items, 10 children
// per branch, filled level by level (10, 100, 1,000, 10,000 and 88,890
// items). Each type runs in a fresh process, so its peak resident memory is
// its own; the figures come out as a Markdown table.
//
//   generate_bench            all seven types, one process each
//   generate_bench TYPE       one type, one line of the table
//
// The pages go to a fresh folder in $VELLUM_BENCH_DIR (default /tmp), which
// is removed afterwards. With VELLUM_BENCH_NO_OUTPUT_LIST set, the pages are
// not registered in the project (as for a preview).
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/map_item_list.h"
#include "generate/site_map.h"

extern char** environ;

namespace {

using namespace vellum;

constexpr int kItems = 100000;
constexpr int kChildren = 10;

void FillTree(MapItemList& root) {
  std::deque<MapItemList*> lists{&root};
  for (int made = 0; made < kItems;) {
    MapItemList* list = lists.front();
    lists.pop_front();
    for (int i = 0; i < kChildren && made < kItems; ++i, ++made) {
      const std::string name = "Page " + std::to_string(made);
      const std::string url = "/srv/www/site/section" + std::to_string(made % 97) + "/page" +
                              std::to_string(made) + ".html";
      core::Append(*list, url.c_str(), name.c_str());
    }
    // Appending moves a list's items: take their child lists once it is full.
    for (int i = 0; i < list->Count; ++i) lists.push_back(&list->Items[i].Children);
  }
}

// Peak resident memory of this process so far, in KiB.
long PeakRssKib() {
  std::ifstream status("/proc/self/status");
  std::string key;
  while (status >> key) {
    if (key == "VmHWM:") {
      long kib = 0;
      status >> kib;
      return kib;
    }
    status.ignore(4096, '\n');
  }
  return -1;
}

// User and system time of this process so far.
double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

std::uintmax_t FolderBytes(const std::filesystem::path& folder, int* files) {
  std::uintmax_t bytes = 0;
  *files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    bytes += entry.file_size();
    ++*files;
  }
  return bytes;
}

int RunOne(int type) {
  std::string pattern =
      std::string(getenv("VELLUM_BENCH_DIR") ? getenv("VELLUM_BENCH_DIR") : "/tmp") +
      "/vellum-bench-XXXXXX";
  char* folder = pattern.data();
  if (mkdtemp(folder) == nullptr) return 1;
  std::filesystem::current_path(folder);

  MapItemList tree{0, nullptr};
  FillTree(tree);
  const long tree_kib = PeakRssKib();

  SiteMapParams params{};
  params.Settings.OutputType = static_cast<uint8_t>(type);
  params.Settings.OutputFile = "sitemap.html";
  params.Settings.Title = "Site Map";
  params.Settings.TopCrumbText = "Top";
  params.Settings.ComboTitle = "Navigate";
  params.Settings.TableBorder = 1;
  params.Items = &tree;
  const uint32_t flags = (getenv("VELLUM_BENCH_NO_OUTPUT_LIST") ? VELLUM_GEN_NO_OUTPUT_LIST : 0) |
                         VELLUM_GEN_USE_FONT_SIZE | VELLUM_GEN_BREADCRUMBS |
                         VELLUM_GEN_CHILD_COUNTS | VELLUM_GEN_PAGE_FOOTER;

  const double cpu_before = CpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  generate::GenerateSiteMap(params, flags);
  const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
  const double cpu = CpuSeconds() - cpu_before;
  const long peak_kib = PeakRssKib();

  int files = 0;
  const std::uintmax_t bytes = FolderBytes(folder, &files);
  std::printf("| %d | %.3f s | %.3f s | %d | %.1f MB | %.1f MB | %.1f MB |\n", type,
              seconds.count(), cpu, files, bytes / 1e6, tree_kib / 1024.0, peak_kib / 1024.0);
  core::Clear(tree);
  std::filesystem::remove_all(folder);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) return RunOne(std::atoi(argv[1]));
  std::printf(
      "| type | time | CPU time | files written | bytes written | peak RSS after the tree | "
      "peak RSS |\n|---|---|---|---|---|---|---|\n");
  std::fflush(stdout);
  for (int type = 0; type <= 6; ++type) {
    std::string argument = std::to_string(type);
    char* child_argv[] = {argv[0], argument.data(), nullptr};
    pid_t child = 0;
    int status = 0;
    if (posix_spawn(&child, "/proc/self/exe", nullptr, nullptr, child_argv, environ) != 0 ||
        waitpid(child, &status, 0) != child || status != 0) {
      std::fprintf(stderr, "type %d failed\n", type);
      return 1;
    }
  }
  return 0;
}

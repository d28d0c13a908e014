// Upload of a large site to a folder target: N registered pages (default
// 10,000), each referring to a picture of its own and to one picture that
// all share, so the file list holds 2N + 1 files. The first upload copies
// them all and records them; the second finds every file unchanged and
// sends nothing. Both must stay linear in N: the file list and the target's
// records are looked up through indexes.
//
//   upload_bench [N]
//
// The site and the target go to a fresh folder in $VELLUM_BENCH_DIR
// (default /tmp), which is removed afterwards.
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/messages.h"
#include "project/project.h"
#include "publish/upload.h"

namespace {

using namespace vellum;
namespace fs = std::filesystem;

int sent = 0;

int32_t CountSent(const char* text) {
  sent += std::string_view(text) == "' - Upload successful\n";
  return 1;
}

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void Run(const char* name, Project& project, const UploadRequest& request) {
  sent = 0;
  const auto start = std::chrono::steady_clock::now();
  const double cpu = CpuSeconds();
  publish::Upload(project, request);
  const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
  std::printf("| %s | %d | %.3f s | %.3f s |\n", name, sent, wall.count(), CpuSeconds() - cpu);
}

}  // namespace

int main(int argc, char** argv) {
  const int pages = argc > 1 ? std::atoi(argv[1]) : 10000;
  const char* base = std::getenv("VELLUM_BENCH_DIR");
  std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/vellum-upload-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) return 1;
  const fs::path root = pattern;
  fs::create_directories(root / "site/img");
  fs::current_path(root / "site");
  core::InstallMessageSink({CountSent, nullptr, nullptr});

  Project& project = project::TheProject();
  std::ofstream("img/shared.gif") << "GIF89a";
  for (int i = 0; i < pages; ++i) {
    const std::string page = "page" + std::to_string(i) + ".htm";
    const std::string picture = "img/pic" + std::to_string(i) + ".gif";
    std::ofstream(page) << "<BODY BACKGROUND=img/shared.gif><IMG SRC=" << picture << ">\n";
    std::ofstream(picture) << "GIF89a";
    project::AddFile(project, page.c_str());
  }
  const std::string target_folder = (root / "pub").string();
  OutputTarget settings{};
  settings.Folder = target_folder.c_str();
  PrmRequest append{VELLUM_PRM_APPEND_TARGET, 0, &settings};
  project::ChangeTargets(project, append);

  const uint8_t selection[] = {1};
  const UploadRequest request{VELLUM_UPLOAD_RESOURCES | VELLUM_UPLOAD_SKIP_UNCHANGED, 0, selection,
                              0};
  std::printf("| upload of %d pages | files sent | time | CPU time |\n|---|---|---|---|\n", pages);
  Run("first", project, request);
  Run("second (all unchanged)", project, request);

  project::Close(project);
  fs::current_path(root.parent_path());
  fs::remove_all(root);
  return 0;
}

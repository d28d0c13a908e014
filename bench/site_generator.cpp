// Writes a synthetic web site for the scan benchmarks:
//
//   site_generator FOLDER PAGES [SEED [SITE_URL]]
//   site_generator --map FOLDER PAGES SITE_URL
//
// With SITE_URL (where the folder is served), FOLDER/sitemap.xml lists
// every page under that address with its file's last-write time as
// <lastmod>; --map writes that map alone, anew, for a site whose pages
// changed since.
//
// Page 0 is FOLDER/index.htm; page i > 0 is FOLDER/s<k>/p<i>.htm with
// k = (i - 1) / 100, so sections hold 100 pages each. The pages form a tree
// of ten children per page (the parent of page i is page (i - 1) / 10). Each
// page has a title and a META description, about 1.5 kB of text, and links:
// home, its parent, its children, the next page, three cross links chosen by
// a fixed pseudo-random sequence, a link with a fragment and one with
// arguments, a picture, a mail link, a link to another site and a script
// that writes a link. All links are relative and read the same in a browser
// and in the engine, whose "../" always counts from the base page's folder:
// pages lie at most one folder below it.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

constexpr int kSectionSize = 100;
constexpr int kChildren = 10;

const char* const kWords[] = {"alpha", "beta",  "gamma", "delta", "site",   "map",
                              "page",  "river", "stone", "cloud", "garden", "north"};

std::string FileName(int page) {
  char name[32];
  std::snprintf(name, sizeof name, "p%d.htm", page);
  return name;
}

std::string Path(int page) {
  if (page == 0) return "index.htm";
  char path[48];
  std::snprintf(path, sizeof path, "s%d/p%d.htm", (page - 1) / kSectionSize, page);
  return path;
}

// The link from page from to page to.
std::string Link(int from, int to) {
  if (from == 0) return Path(to);
  if (to == 0) return "../index.htm";
  if ((from - 1) / kSectionSize == (to - 1) / kSectionSize) return FileName(to);
  return std::string("../").append(Path(to));
}

std::string Words(unsigned& seed, int count) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    seed = seed * 1103515245u + 12345u;
    if (i > 0) text += ' ';
    text += kWords[(seed >> 16) % (sizeof kWords / sizeof *kWords)];
  }
  return text;
}

std::string Page(int page, int pages, unsigned& seed) {
  std::string html = "<html><head><title>Page " + std::to_string(page) + ": " + Words(seed, 3) +
                     "</title>\n<meta name=\"description\" content=\"About " + Words(seed, 5) +
                     "\"></head>\n<body background=\"bg.gif\">\n";
  auto link = [&](int to, const std::string& suffix = "") {
    html += "<a href=\"" + Link(page, to) + suffix + "\">" + Words(seed, 2) + "</a>\n";
  };
  link(0);
  if (page > 0) link((page - 1) / kChildren);
  for (int child = page * kChildren + 1; child <= page * kChildren + kChildren; ++child) {
    if (child < pages) link(child);
  }
  if (page + 1 < pages) link(page + 1, "#top");
  for (int i = 0; i < 3; ++i) {
    seed = seed * 1103515245u + 12345u;
    link(static_cast<int>((seed >> 8) % pages), i == 0 ? "?view=print" : "");
  }
  for (int paragraph = 0; paragraph < 4; ++paragraph) {
    html += "<p>" + Words(seed, 60) + "</p>\n";
  }
  html +=
      "<img src=\"logo.gif\" alt=\"logo\">\n<a href=\"mailto:web@example.com\">mail</a>\n"
      "<a href=\"http://example.com/elsewhere.htm\">elsewhere</a>\n"
      "<script>document.write('<a href=\"written.htm\">x</a>');</script>\n</body></html>\n";
  return html;
}

// The last-write time of a file as a W3C date and time, to the second.
std::string Lastmod(const std::filesystem::path& path) {
  const auto written = std::chrono::file_clock::to_sys(std::filesystem::last_write_time(path));
  const std::time_t seconds =
      std::chrono::system_clock::to_time_t(std::chrono::floor<std::chrono::seconds>(written));
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

void WriteSiteMap(const std::filesystem::path& folder, int pages, const std::string& site_url) {
  std::ofstream map(folder / "sitemap.xml", std::ios::binary);
  map << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<urlset xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">\n";
  for (int page = 0; page < pages; ++page) {
    map << "<url><loc>" << site_url << Path(page) << "</loc><lastmod>"
        << Lastmod(folder / Path(page)) << "</lastmod></url>\n";
  }
  map << "</urlset>\n";
}

}  // namespace

int main(int argc, char** argv) {
  const bool map_only = argc > 1 && std::strcmp(argv[1], "--map") == 0;
  if (argc < (map_only ? 5 : 3)) {
    std::fprintf(
        stderr, "usage: %s FOLDER PAGES [SEED [SITE_URL]]\n       %s --map FOLDER PAGES SITE_URL\n",
        argv[0], argv[0]);
    return 2;
  }
  char** arguments = map_only ? argv + 1 : argv;
  const std::filesystem::path folder = arguments[1];
  const int pages = std::atoi(arguments[2]);
  const char* site_url = map_only ? arguments[3] : argc > 4 ? argv[4] : nullptr;
  unsigned seed = !map_only && argc > 3 ? static_cast<unsigned>(std::atoi(argv[3])) : 1u;
  for (int page = 0; page < pages && !map_only; ++page) {
    const std::filesystem::path path = folder / Path(page);
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << Page(page, pages, seed);
  }
  if (site_url != nullptr) WriteSiteMap(folder, pages, site_url);
  return 0;
}

// Scans of real documentation sites that no one here wrote, each made by
// another generator, installed from Debian's packages (scripts/deps.sh):
// vellumark follows their links on disk and over HTTP from nginx (and
// must build the same tree both ways), lists their folders, and writes
// their XML site maps, as a user would.
//
// What a link scan must find is worked out from the page files themselves,
// as Python's own HTML parser reads them (follow_links.py): the pages that
// A, AREA, FRAME and IFRAME links lead to from the start page, and the links
// that lead to page files the package does not hold, which the scan reports
// as broken. What a link scan cannot reach, site by site:
// - Sphinx (CMake): nothing; the index, search page and every topic are
//   linked, and _sources holds text files, not pages.
// - AsciiDoc (Git): 24 pages no page links to, old command names among them
//   (git-init-db.html, git-stage.html) and guides (everyday.html,
//   technical/racy-git.html). index.html is a symbolic link to git.html, and
//   both addresses are pages. One link, to git-p4.html, leads to a page the
//   package leaves out.
// - Doxygen and DocBook (libstdc++): the member, file and namespace indexes
//   of the API reference (user/functions_*.html, namespacemembers_*.html,
//   globals*.html, annotated.html, ...) are linked only from its JavaScript
//   menus, and so are some class pages; the manual's profile mode chapter is
//   linked from no page. Its pages link to 93 pages the package leaves out.
// A folder scan takes every page file.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "support/nginx_server.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"

namespace vellum::test {
namespace {

namespace fs = std::filesystem;
using Pages = std::set<std::string>;  // paths relative to the site's folder

struct Site {
  const char* generator;  // names the test case
  const char* folder;
  const char* start;  // the start page, relative to the folder
};

const Site kSites[] = {
    {"Sphinx", "/usr/share/doc/cmake-doc/html", "index.html"},
    {"AsciiDoc", "/usr/share/doc/git-doc", "index.html"},
    {"Doxygen", "/usr/share/doc/gcc-12-base/libstdc++", "index.html"},
};

// Links: following the links from the start page, on disk and over HTTP;
// Folder: taking the page files of the folder.
enum class Mode { kLinks, kFolder };
const char* const kModeNames[] = {"Links", "Folder"};

// Stable test names: the generator and the mode.
void PrintTo(const Site& site, std::ostream* out) { *out << site.generator; }
void PrintTo(Mode mode, std::ostream* out) { *out << kModeNames[static_cast<int>(mode)]; }

// The public address that maps of pages on disk are written for.
constexpr std::string_view kSiteUrl = "https://docs.example.org/corpus/";

// The page files of these sites are all .html.
bool IsPageFile(const fs::path& path) {
  std::string extension = path.extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  return extension == ".html" || extension == ".htm";
}

// Every page file below folder.
Pages PageFiles(const fs::path& folder) {
  Pages pages;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file() && IsPageFile(entry.path())) {
      pages.insert(entry.path().lexically_relative(folder).generic_string());
    }
  }
  return pages;
}

// The character references XML may write in its addresses: the five named
// ones and &#N; or &#xN; of an ASCII character.
std::string DecodeReferences(std::string_view text) {
  static const std::pair<std::string_view, char> kNamed[] = {
      {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t end = text.find(';', i);
    std::optional<char> character;
    if (text[i] == '&' && end != text.npos) {
      const std::string_view name = text.substr(i + 1, end - i - 1);
      if (name.size() > 1 && name[0] == '#') {
        const bool hex = name[1] == 'x' || name[1] == 'X';
        const unsigned long code =
            std::strtoul(std::string(name.substr(hex ? 2 : 1)).c_str(), nullptr, hex ? 16 : 10);
        if (code > 0 && code < 0x80) character = static_cast<char>(code);
      }
      for (const auto& [known, named] : kNamed) {
        if (name == known) character = named;
      }
    }
    if (character) {
      out += *character;
      i = end + 1;
    } else {
      out += text[i++];
    }
  }
  return out;
}

// %XX escapes as the bytes they stand for.
std::string PercentDecode(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() &&
        std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
      out += static_cast<char>(std::stoi(std::string(text.substr(i + 1, 2)), nullptr, 16));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

struct Reach {
  Pages pages;   // the page files reached
  Pages broken;  // links to page files of the site that do not exist
};

// Follows the links between the page files of folder from start, as the
// standard library's HTML parser reads them (follow_links.py).
Reach FollowLinks(const fs::path& folder, const std::string& start) {
  const ProgramResult result = RunProgram(
      "/usr/bin/python3", {VELLUM_CORPUS_DIR "/follow_links.py", folder.string(), start});
  EXPECT_EQ(result.status, 0) << result.err;
  Reach reach;
  std::istringstream lines(result.out);
  for (std::string kind, path; lines >> kind && std::getline(lines >> std::ws, path);) {
    (kind == "page" ? reach.pages : reach.broken).insert(path);
  }
  return reach;
}

// Up to a few members of a set that b lacks, for a readable failure.
std::string Missing(const Pages& a, const Pages& b) {
  std::vector<std::string> missing;
  std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(missing));
  std::ostringstream text;
  text << missing.size();
  for (std::size_t i = 0; i < missing.size() && i < 5; ++i) text << (i ? ", " : ": ") << missing[i];
  return text.str();
}

void ExpectSamePages(const Pages& found, const Pages& expected, const std::string& what) {
  EXPECT_TRUE(found == expected) << what << ": " << found.size() << " found, " << expected.size()
                                 << " expected\n  expected, not found: " << Missing(expected, found)
                                 << "\n  found, not expected: " << Missing(found, expected);
}

// The page of address: the path after prefix, percent escapes decoded; an
// address elsewhere stays as it is.
std::string PageOf(const std::string& address, std::string_view prefix) {
  if (!address.starts_with(prefix)) return address;
  return PercentDecode(std::string_view(address).substr(prefix.size()));
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

// The first line where two trees differ, with its number, for a readable
// failure; empty when they are the same.
std::string FirstDifference(const std::vector<std::string>& a, const std::vector<std::string>& b) {
  const auto [in_a, in_b] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
  if (in_a == a.end() && in_b == b.end()) return {};
  return "line " + std::to_string(in_a - a.begin() + 1) + ":\n  " +
         (in_a == a.end() ? "(end)" : *in_a) + "\n  " + (in_b == b.end() ? "(end)" : *in_b);
}

class CorpusTest : public ::testing::TestWithParam<std::tuple<Site, Mode>> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::is_regular_file(folder_ / site_.start)) << "scripts/deps.sh installs the site";
  }

  ProgramResult Run(const std::vector<std::string>& arguments) {
    ProgramResult result = RunProgram(VELLUMARK_PATH, arguments, dir_.path().string());
    for (const std::string* output : {&result.out, &result.err}) {
      EXPECT_EQ(output->find("runtime error"), std::string::npos) << arguments.front() << ":\n"
                                                                  << *output;
    }
    return result;
  }

  // Scans the site into a new project as from says (--base PAGE or --folder
  // DIR), whose addresses start with prefix, and checks that the scan finds
  // the expected pages, each once and named, and reports exactly the
  // expected broken links, and that the XML site map is valid and lists
  // every page found. Returns the tree: indented names and pages.
  std::vector<std::string> ScanSite(const std::string& project,
                                    const std::vector<std::string>& from, std::string prefix,
                                    const Reach& expected) {
    SCOPED_TRACE(from.back());
    std::vector<std::string> tree;
    EXPECT_EQ(Run({"new", project}).status, 0);
    std::vector<std::string> scan_command = {"scan", project};
    scan_command.insert(scan_command.end(), from.begin(), from.end());
    const ProgramResult scan = Run(scan_command);
    EXPECT_EQ(scan.status, expected.broken.empty() ? 0 : 3) << scan.err.substr(0, 2000);
    // The broken links are listed at the end, two spaces in; where each was
    // linked from follows, further in.
    Pages broken;
    for (const std::string& line : Lines(scan.err)) {
      if (line.starts_with("  ") && !line.starts_with("   ")) {
        broken.insert(PageOf(line.substr(2), prefix));
      }
    }
    ExpectSamePages(broken, expected.broken, "broken links");

    // A folder scan names its pages relative to the folder, and gives its
    // folders entries without an address.
    const bool folder_scan = from.front() == "--folder";
    if (folder_scan) prefix.clear();
    const ProgramResult show = Run({"show", project});
    EXPECT_EQ(show.status, 0) << show.err;
    Pages found;
    std::size_t entries = 0;
    for (const std::string& line : Lines(show.out)) {
      const std::size_t tab = line.find('\t');
      if (tab == line.npos) {
        ADD_FAILURE() << "no tab: " << line;
        continue;
      }
      const std::string name = line.substr(0, tab), address = line.substr(tab + 1);
      EXPECT_NE(name.find_first_not_of(' '), name.npos) << "a blank name for " << address;
      tree.push_back(name + "\t" + PageOf(address, prefix));
      if (address.empty() && folder_scan) continue;
      ++entries;
      found.insert(tree.back().substr(tab + 1));
    }
    EXPECT_EQ(entries, found.size()) << "pages listed more than once";
    ExpectSamePages(found, expected.pages, "pages");

    // Maps of pages on disk are written for the site's public address; a web
    // site's pages are listed at their own.
    if (!prefix.starts_with("http:")) {
      EXPECT_EQ(Run({"set", project, "site-url=" + std::string(kSiteUrl)}).status, 0);
      prefix = kSiteUrl;
    }
    const std::string map = dir_ / (project + ".xml");
    const ProgramResult generate = Run({"generate", project, "--type", "xml", "--output", map});
    EXPECT_EQ(generate.status, 0) << generate.err;
    const ProgramResult valid = RunProgram(
        "/usr/bin/xmllint", {"--noout", "--schema", VELLUM_CORPUS_DIR "/schemas/sitemap.xsd", map});
    EXPECT_EQ(valid.status, 0) << valid.err.substr(0, 2000);
    const std::string xml = ReadBytes(map);
    Pages listed;
    std::size_t locations = 0;
    for (std::size_t at = xml.find("<loc>"); at != xml.npos; at = xml.find("<loc>", at)) {
      at += 5;
      const std::string address = DecodeReferences(xml.substr(at, xml.find("</loc>", at) - at));
      EXPECT_TRUE(std::all_of(address.begin(), address.end(),
                              [](unsigned char c) { return c > ' ' && c < 0x7f; }))
          << "not percent-encoded: " << address;
      ++locations;
      listed.insert(PageOf(address, prefix));
    }
    EXPECT_EQ(locations, listed.size()) << "addresses listed more than once";
    ExpectSamePages(listed, found, "pages in the XML site map");
    return tree;
  }

  const Site& site_ = std::get<0>(GetParam());
  const fs::path folder_ = site_.folder;
  ScratchDir dir_;
};

// Following the links from the start page finds the same pages and builds
// the same tree on disk as over HTTP.
TEST_P(CorpusTest, ScanFindsEveryPageAndTheXmlSiteMapListsThem) {
  if (std::get<1>(GetParam()) == Mode::kFolder) {
    ScanSite("folder.bpj", {"--folder", folder_.string()}, "", Reach{PageFiles(folder_), {}});
    return;
  }
  const Reach expected = FollowLinks(folder_, site_.start);
  const std::vector<std::string> on_disk = ScanSite(
      "disk.bpj", {"--base", (folder_ / site_.start).string()}, folder_.string() + "/", expected);
  NginxServer server(folder_.string(), dir_.path().string());
  const std::vector<std::string> over_http =
      ScanSite("http.bpj", {"--base", server.Url(site_.start)}, server.Url(""), expected);
  const std::string difference = FirstDifference(on_disk, over_http);
  EXPECT_TRUE(difference.empty()) << "the tree on disk, then over HTTP, at " << difference;
}

std::string CaseName(const ::testing::TestParamInfo<CorpusTest::ParamType>& info) {
  return std::string(std::get<0>(info.param).generator) +
         kModeNames[static_cast<int>(std::get<1>(info.param))];
}

INSTANTIATE_TEST_SUITE_P(Debian, CorpusTest,
                         ::testing::Combine(::testing::ValuesIn(kSites),
                                            ::testing::Values(Mode::kLinks, Mode::kFolder)),
                         CaseName);

}  // namespace
}  // namespace vellum::test

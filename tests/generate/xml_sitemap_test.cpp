// The XML site map: which addresses of the tree it lists and how, against
// golden files; the split into parts with an index; gzip; registration; the
// refusal of a site on disk without public address. Every file written is
// checked as XML by xmllint.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "core/map_item_list.h"
#include "generate/page_writer.h"
#include "generate/site_map.h"
#include "generate/xml_sitemap.h"
#include "project/project.h"
#include "project/site_settings.h"
#include "support/child_process.h"
#include "support/golden.h"
#include "support/map_tree.h"
#include "support/message_log.h"
#include "support/run_program.h"
#include "support/scratch_dir.h"
#include "vellum/vellum.h"

namespace vellum::generate {
namespace {

namespace fs = std::filesystem;
using namespace test;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using Texts = std::vector<std::string>;

const std::string kGolden = VELLUM_GOLDEN_DIR "/xml/";

// 2024-01-02T03:04:05Z and 2023-11-14T22:13:20Z.
constexpr int64_t kJanuary = 1704164645;
constexpr int64_t kNovember = 1700000000;

void ExpectWellFormed(const std::string& path) {
  const ProgramResult lint = RunProgram("/usr/bin/xmllint", {"--noout", path});
  EXPECT_EQ(lint.status, 0) << path << ": " << lint.err;
}

std::string Inflated(const std::string& packed) {
  z_stream stream{};
  EXPECT_EQ(inflateInit2(&stream, 15 + 16), Z_OK);
  std::string text(packed.size() * 40 + 1024, '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data()));
  stream.avail_in = static_cast<uInt>(packed.size());
  stream.next_out = reinterpret_cast<Bytef*>(text.data());
  stream.avail_out = static_cast<uInt>(text.size());
  EXPECT_EQ(inflate(&stream, Z_FINISH), Z_STREAM_END);
  text.resize(stream.total_out);
  inflateEnd(&stream);
  return text;
}

std::size_t Count(const std::string& text, std::string_view what) {
  std::size_t count = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
    ++count;
  }
  return count;
}

Texts OutputList() {
  const Project& project = project::TheProject();
  return Texts(project.OutputList, project.OutputList + project.AddedCount);
}

// A fresh project and message log in a fresh current folder; the limits of
// one file are the protocol's again afterwards.
class XmlSitemap : public ::testing::Test {
 protected:
  XmlSitemap() { project::Close(project::TheProject()); }
  ~XmlSitemap() override {
    testing::SetXmlSitemapLimits({});
    project::Close(project::TheProject());
  }

  void Generate(MapItemList& items, const char* output, uint32_t flags = 0,
                int type = VELLUM_OUTPUT_XML_SITEMAP) {
    SiteMapParams params{};
    params.Settings.OutputType = static_cast<uint8_t>(type);
    params.Settings.OutputFile = output;
    params.Items = &items;
    EXPECT_EQ(GenerateSiteMap(params, flags), 1);
  }

  // A small site on disk below the scratch folder, its pages with known
  // times, scanned from its folder.
  std::string MakeDiskSite() {
    const std::string root = here.dir() / "site/";
    for (const char* page : {"index.html", "about/team.html"}) {
      fs::create_directories(fs::path(root + page).parent_path());
      here.dir().Write(std::string("site/") + page, "<HTML></HTML>");
      fs::last_write_time(root + page, fs::file_time_type::clock::from_sys(std::chrono::sys_seconds(
                                           std::chrono::seconds(kJanuary))));
    }
    project::TheSiteSettings().scan_base = root;
    return root;
  }

  InScratchDir here;
  MessageLog& log = InstallMessageLog();
};

// Addresses as the map holds them: escaped for a URL, then for XML.
TEST(XmlSitemapAddress, EscapesWhatNoAddressOrXmlTextMayHold) {
  const struct {
    const char* address;
    const char* expected;
  } rows[] = {
      {"https://h/a?x=1&y=2", "https://h/a?x=1&amp;y=2"},
      {"https://h/it's", "https://h/it&apos;s"},
      {"https://h/<b>\"q\"", "https://h/%3Cb%3E%22q%22"},
      {"https://h/caf\xC3\xA9 menu.html", "https://h/caf%C3%A9%20menu.html"},
      {"https://h/100%25/%e2%82%ac", "https://h/100%25/%e2%82%ac"},  // escapes kept
      {"https://h/100%/%zz/%4", "https://h/100%25/%25zz/%254"},
      {"https://h/a\\b\tc", "https://h/a%5Cb%09c"},
      {"http://[::1]:8080/[x]", "http://[::1]:8080/%5Bx%5D"},
      {"https://h/~user/a-b_c.d;e=f,g:h@i!$()*+", "https://h/~user/a-b_c.d;e=f,g:h@i!$()*+"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(XmlSitemapAddress(row.address), row.expected) << row.address;
  }
}

// A folder scan's relative addresses and a navigation scan's absolute paths
// alike are published below the site's address; the pages' file times are
// their times of change. Left out: bookmarks of a page already listed, other
// schemes, other sites, and paths outside the site's folder.
TEST_F(XmlSitemap, ASiteOnDiskIsListedAtItsPublicAddress) {
  const std::string root = MakeDiskSite();
  project::TheSiteSettings().site_url = "https://www.example.com";
  Tree tree(
      "Home -> index.html\n"
      "About\n"
      "  Team -> about/team.html\n"
      "  People -> about/team.html#people\n"
      "  Again -> " +
      root +
      "about/./team.html\n"
      "  Mail -> mailto:office@example.com\n"
      "Shop -> https://shop.example.org/\n"
      "Caf\xC3\xA9 -> caf\xC3\xA9 menu.html\n"
      "Search -> search.html?q=bread&lang='en'\n"
      "News -> " +
      root +
      "news/today.html\n"
      "Outside -> ../outside.html\n"
      "Elsewhere -> /etc/passwd\n"
      "Top -> #top\n");
  Generate(tree.list(), "sitemap.xml");
  EXPECT_THAT(log.errors, IsEmpty());
  ExpectGoldenFile("sitemap.xml", kGolden + "disk.xml", false);
  ExpectWellFormed("sitemap.xml");
  EXPECT_THAT(OutputList(), ElementsAre("sitemap.xml"));
  EXPECT_THAT(log.info, ElementsAre("   Generate 'sitemap.xml' page\n"));

  // The text map: the same addresses, one a line, without the XML escapes.
  Generate(tree.list(), "sitemap.txt", 0, VELLUM_OUTPUT_TEXT_SITEMAP);
  std::string addresses;
  for (std::string location :
       AllMatches(ReadBytes(kGolden + "disk.xml"), "<loc>([^<]*)</loc>", "$1")) {
    for (const auto& [escaped, text] : {std::pair{"&amp;", "&"}, std::pair{"&apos;", "'"}}) {
      for (std::size_t at; (at = location.find(escaped)) != std::string::npos;)
        location.replace(at, std::string_view(escaped).size(), text);
    }
    addresses += location + '\n';
  }
  EXPECT_EQ(ReadBytes("sitemap.txt"), addresses);
  EXPECT_THAT(log.errors, IsEmpty());
}

// A web scan lists the pages below its base page's folder on its host
// (compared without regard to case), with the times the scan learnt.
TEST_F(XmlSitemap, AWebSiteListsThePagesBelowTheBaseFolder) {
  project::SiteSettings& site = project::TheSiteSettings();
  site.scan_base = "http://www.example.com/docs/index.html";
  site.modified["http://www.example.com/docs/index.html"] = kNovember;
  site.modified["http://www.example.com/docs/guide/start.html"] = kJanuary;
  const char* outline =
      "Home -> http://www.example.com/docs/index.html\n"
      "Guide -> HTTP://WWW.Example.COM/docs/guide/start.html#top\n"
      "  Start -> http://www.example.com/docs/guide/start.html\n"
      "  FAQ -> faq.html\n"
      "  Root -> /docs/root.html\n"
      "Blog -> http://www.example.com/blog/post.html\n"
      "Secure -> https://www.example.com/docs/secure.html\n"
      "Other -> http://other.example.org/docs/x.html\n"
      "Quote -> http://www.example.com/docs/say \"hi\" <now>.html\n"
      "Script -> javascript:alert('x')\n"
      "Home again -> http://www.example.com/docs/index.html\n";
  {
    Tree tree(outline);
    Generate(tree.list(), "sitemap.xml");
  }
  EXPECT_THAT(log.errors, IsEmpty());
  ExpectGoldenFile("sitemap.xml", kGolden + "web.xml", false);
  ExpectWellFormed("sitemap.xml");

  // The same map compressed: gzip that inflates to the same bytes.
  Tree tree(outline);
  Generate(tree.list(), "sitemap.xml.gz");
  EXPECT_EQ(Inflated(ReadBytes("sitemap.xml.gz")), ReadBytes("sitemap.xml"));
}

// A site on disk without public address, or a map without a page (which the
// protocol's schema refuses).
TEST_F(XmlSitemap, AMapThatCannotListTheSiteIsRefused) {
  MakeDiskSite();
  const struct {
    const char* outline;
    const char* error;
  } rows[] = {
      {"Home -> index.html\nShop -> https://shop.example.org/\n",
       "needs the site's public address"},
      {"Folder\nShop -> https://shop.example.org/\n", "would list no page of the site"},
  };
  for (const auto& row : rows) {
    log = {};
    Tree tree(row.outline);
    Generate(tree.list(), "sitemap.xml");
    EXPECT_THAT(log.errors, ElementsAre(HasSubstr(row.error)));
    EXPECT_FALSE(fs::exists("sitemap.xml"));
    EXPECT_THAT(OutputList(), IsEmpty());
    EXPECT_THAT(log.info, IsEmpty());
  }
}

// Beyond the limit of one file, numbered parts beside the output, which
// becomes their index; the parts are listed at the public address of the
// output's folder. Compressed maps split alike.
TEST_F(XmlSitemap, ALargeMapIsSplitIntoPartsWithAnIndex) {
  fs::create_directories("site/maps");
  Tree tree(
      "A -> a.html\nB -> b.html\n  C -> c.html\nD -> d.html\nE -> e.html\nF -> f.html\n"
      "G -> g.html\n");
  const struct {
    XmlSitemapLimits limits;
    const char* output;
    std::vector<std::size_t> counts;  // the number of entries of each part
  } rows[] = {
      {{3, 50'000'000}, "site/maps/sitemap.xml", {3, 3, 1}},
      {{10, 250}, "site/maps/map.xml.gz", {2, 2, 2, 1}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.output);
    project::Close(project::TheProject());
    MakeDiskSite();
    project::TheSiteSettings().site_url = "https://www.example.com/";
    testing::SetXmlSitemapLimits(row.limits);
    const std::string output = fs::absolute(row.output);
    const bool packed = output.ends_with(".gz");
    const auto text = [packed](const std::string& path) {
      return packed ? Inflated(ReadBytes(path)) : ReadBytes(path);
    };
    Generate(tree.list(), output.c_str());
    EXPECT_THAT(log.errors, IsEmpty());

    Texts registered;
    std::string index =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<sitemapindex xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">\n";
    for (std::size_t i = 0; i < row.counts.size(); ++i) {
      const std::string part = NumberedPageName(output, static_cast<int>(i) + 1);
      const std::string xml = text(part);
      EXPECT_EQ(Count(xml, "<url>"), row.counts[i]) << part;
      EXPECT_LE(xml.size(), row.limits.bytes);
      here.dir().Write("part.xml", xml);
      ExpectWellFormed("part.xml");
      registered.push_back(part);
      index += "  <sitemap><loc>https://www.example.com/maps/" +
               fs::path(part).filename().string() + "</loc></sitemap>\n";
    }
    index += "</sitemapindex>\n";
    EXPECT_EQ(text(output), index);
    registered.push_back(output);
    EXPECT_EQ(OutputList(), registered);
    EXPECT_FALSE(fs::exists(NumberedPageName(output, static_cast<int>(row.counts.size()) + 1)));
  }
}

// 60,000 pages: a part of 50,000 addresses, one of 10,000, and the index.
// The pages stand in 600 sections of 100, which list only their pages.
TEST_F(XmlSitemap, SixtyThousandPagesMakeTwoPartsOfTheProtocolsSize) {
  project::TheSiteSettings().scan_base = "https://www.example.com/";
  MapItemList items{0, nullptr};
  for (int section = 0; section < 600; ++section) {
    MapItemList& pages = core::Append(items, nullptr, "Section")->Children;
    for (int page = section * 100; page < (section + 1) * 100; ++page) {
      const std::string url = "https://www.example.com/page" + std::to_string(page) + ".html";
      core::Append(pages, url.c_str(), "Page");
    }
  }
  Generate(items, "sitemap.xml");
  core::Clear(items);
  EXPECT_THAT(log.errors, IsEmpty());
  const std::string first = ReadBytes("sitemap1.xml");
  const std::string second = ReadBytes("sitemap2.xml");
  EXPECT_EQ(Count(first, "<url>"), 50'000u);
  EXPECT_EQ(Count(second, "<url>"), 10'000u);
  EXPECT_THAT(first, HasSubstr("<loc>https://www.example.com/page49999.html</loc>"));
  EXPECT_THAT(second, HasSubstr("<loc>https://www.example.com/page50000.html</loc>"));
  EXPECT_FALSE(fs::exists("sitemap3.xml"));
  EXPECT_THAT(ReadBytes("sitemap.xml"),
              HasSubstr("<loc>https://www.example.com/sitemap2.xml</loc></sitemap>\n"
                        "</sitemapindex>\n"));
  for (const char* file : {"sitemap.xml", "sitemap1.xml", "sitemap2.xml"}) ExpectWellFormed(file);
}

}  // namespace
}  // namespace vellum::generate

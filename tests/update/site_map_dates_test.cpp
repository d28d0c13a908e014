// Reading a site's own XML site maps: the dates they give, the pages and
// further maps they list, and the maps a robots.txt names.
#include "update/site_map_dates.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace vellum::update {
namespace {

constexpr std::int64_t kDay = 86400;
constexpr std::int64_t kNewYear = 1704067200;  // 2024-01-01T00:00:00Z

// Every W3C form, with the span each names; a time without a zone, and a
// date, stretch over every zone. Anything else is no date.
TEST(SiteMapDates, ALastmodNamesTheSpanItsTextCovers) {
  const struct {
    const char* text;
    std::optional<ListedTime> span;
  } rows[] = {
      {"2024-01-01T00:00:00Z", ListedTime{kNewYear, kNewYear}},
      {" 2024-01-01T01:00:00+01:00\n", ListedTime{kNewYear, kNewYear}},
      {"2023-12-31T23:30:00.25-00:30", ListedTime{kNewYear, kNewYear + 1}},
      {"2024-01-01T00:00Z", ListedTime{kNewYear, kNewYear + 59}},
      {"2024-01-01T00:00:00", ListedTime{kNewYear - 14 * 3600, kNewYear + 12 * 3600}},
      {"2024-01-01", ListedTime{kNewYear - 14 * 3600, kNewYear + kDay - 1 + 12 * 3600}},
      {"2024-02",
       ListedTime{kNewYear + 31 * kDay - 14 * 3600, kNewYear + 60 * kDay - 1 + 12 * 3600}},
      {"2024", ListedTime{kNewYear - 14 * 3600, kNewYear + 366 * kDay - 1 + 12 * 3600}},
      {"2024-13-01", std::nullopt},
      {"2024-01-01T24:00:00Z", std::nullopt},
      {"2024-01-01T00:00:00Zjunk", std::nullopt},
      {"2024-01-01 00:00:00Z", std::nullopt},
      {"yesterday", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& row : rows) {
    const std::optional<ListedTime> span = ParseLastmod(row.text);
    ASSERT_EQ(span.has_value(), row.span.has_value()) << row.text;
    if (!span) continue;
    EXPECT_EQ(span->earliest, row.span->earliest) << row.text;
    EXPECT_EQ(span->latest, row.span->latest) << row.text;
  }
}

TEST(SiteMapDates, AMapListsItsPagesAndAnIndexItsMaps) {
  const SiteMapFile pages = ParseSiteMap(
      "<?xml version=\"1.0\"?><urlset xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">"
      "<url>\n <loc> http://h/a?x=1&amp;y=2 </loc><lastmod>2024-01-01</lastmod></url>"
      "<url><loc><![CDATA[http://h/b]]></loc></url>"
      "<url><lastmod>2024-01-01</lastmod></url>"
      "<url><loc>http://h/cut</loc><lastmod>2024");
  ASSERT_EQ(pages.pages.size(), 2u);
  EXPECT_EQ(pages.pages[0].address, "http://h/a?x=1&y=2");
  EXPECT_TRUE(pages.pages[0].lastmod.has_value());
  EXPECT_EQ(pages.pages[1].address, "http://h/b");
  EXPECT_FALSE(pages.pages[1].lastmod.has_value());
  EXPECT_TRUE(pages.maps.empty());

  const SiteMapFile index = ParseSiteMap(
      "<sitemapindex><sitemap><loc>http://h/one.xml</loc><lastmod>2024</lastmod></sitemap>"
      "<sitemap ><loc>http://h/two.xml</loc></sitemap></sitemapindex>");
  EXPECT_EQ(index.maps, (std::vector<std::string>{"http://h/one.xml", "http://h/two.xml"}));
  EXPECT_TRUE(index.pages.empty());

  EXPECT_EQ(SiteMapsOfRobots("User-agent: *\r\nSITEMAP:  http://h/a.xml # main\n"
                             "Disallow: /x\nSitemap:\nsitemap: http://h/b.xml"),
            (std::vector<std::string>{"http://h/a.xml", "http://h/b.xml"}));
}

}  // namespace
}  // namespace vellum::update

#include "web/url_class.h"

#include <gtest/gtest.h>

#include "config/engine_config.h"

namespace vellum::web {
namespace {

TEST(UrlClass, SchemesAreRecognisedInAnyLetterCase) {
  struct Row {
    const char* text;
    bool http, ftp, gopher, web, file, mail, news, relative;
  };
  const Row rows[] = {
      {"http://a/b.htm", true, false, false, true, false, false, false, false},
      {"HtTpS://a", true, false, false, true, false, false, false, false},
      {"FTP://host/x", false, true, false, true, false, false, false, false},
      {"gopher://g", false, false, true, true, false, false, false, false},
      {"file:///c/x.htm", false, false, false, false, true, false, false, false},
      {"MailTo:me@x", false, false, false, false, false, true, false, false},
      {"news:comp.lang", false, false, false, false, false, false, true, false},
      {"http:/x", false, false, false, false, false, false, false, false},
      {"C:\\site\\index.htm", false, false, false, false, false, false, false, false},
      {"sub/page.htm", false, false, false, false, false, false, false, true},
      {"", false, false, false, false, false, false, false, true},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(IsHttp(row.text), row.http) << row.text;
    EXPECT_EQ(IsFtp(row.text), row.ftp) << row.text;
    EXPECT_EQ(IsGopher(row.text), row.gopher) << row.text;
    EXPECT_EQ(IsWebAddress(row.text), row.web) << row.text;
    EXPECT_EQ(IsFileAddress(row.text), row.file) << row.text;
    EXPECT_EQ(IsMailAddress(row.text), row.mail) << row.text;
    EXPECT_EQ(IsNewsAddress(row.text), row.news) << row.text;
    EXPECT_EQ(IsRelative(row.text), row.relative) << row.text;
  }
}

TEST(UrlClass, OutsideTheSiteIsDecidedByTheBaseFolder) {
  struct Row {
    const char* address;
    const char* base;
    bool outside;
  };
  const Row rows[] = {
      {"http://site/a/b.htm", "http://site/a/index.htm", false},
      {"http://site/a/", "http://site/a/index.htm", false},
      {"http://site/a", "http://site/a/index.htm", false},
      {"http://site/abc.htm", "http://site/a/index.htm", false},
      {"http://site/", "http://site/a/index.htm", true},
      {"http://SITE/a/b.htm", "http://site/a/index.htm", true},
      {"http://site/b.htm", "http://site/a/index.htm", true},
      {"http://other/a/b.htm", "http://site/a/index.htm", true},
      {"b.htm", "http://site/a/index.htm", false},
      {"C:\\site\\b.htm", "", false},
      {"http://site/a/b.htm", "", true},
      {"http://site/a/b.htm", "index.htm", true},
      {"http://site/a/b.htm", "http://site/a\\index.htm", false},
      {"mailto:x@site", "http://site/a/index.htm", false},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(IsOutsideSite(row.address, row.base), row.outside) << row.address << " " << row.base;
  }
}

TEST(UrlClass, LinksAreClassedInOrder) {
  struct Row {
    const char* link;
    LinkClass expected;
  };
  const Row rows[] = {
      {"ftp://h/p.htm", LinkClass::kFtpPage},
      {"file://x", LinkClass::kFile},
      {"gopher://x", LinkClass::kGopher},
      {"mailto:x@y", LinkClass::kMail},
      {"news:x", LinkClass::kNews},
      {"javascript:go()", LinkClass::kOtherScheme},
      {"HTTPS://x/y.htm", LinkClass::kPage},
      {"sub/p.htm", LinkClass::kPage},
      {"c:\\site\\p.htm", LinkClass::kPage},
      {"c:/site/p.htm", LinkClass::kOtherScheme},
      {"/srv/site/p:1.htm", LinkClass::kPage},
  };
  for (const Row& row : rows) EXPECT_EQ(ClassifyLink(row.link), row.expected) << row.link;
}

TEST(UrlClass, PagesAreTheLinksWithAConfiguredExtension) {
  EngineConfig& config = config::TheConfig();
  EXPECT_FALSE(HasPageExtension("index.htm"));  // no patterns, no pages
  config.ExtPage = "*.htm;*.html";
  struct Row {
    const char* link;
    bool page;
  };
  const Row rows[] = {
      {"a/b.HTML#top", true}, {"b.htm?x=1", true}, {"b.htm.pdf", false},     {"folder/", false},
      {"site.htm/x", false},  {"htm", true},       {"page.htm#x.pdf", true},
  };
  for (const Row& row : rows) EXPECT_EQ(HasPageExtension(row.link), row.page) << row.link;
  config.ExtPage = nullptr;
}

}  // namespace
}  // namespace vellum::web

#include "web/url_class.h"

#include <gtest/gtest.h>

namespace vellum::web {
namespace {

// Every scheme predicate is asked on the way to a class.
TEST(UrlClass, LinksAreClassedBySchemeInAnyLetterCase) {
  const std::pair<const char*, LinkClass> rows[] = {
      {"ftp://h/p.htm", LinkClass::kFtpPage},
      {"FTP://host/x", LinkClass::kFtpPage},
      {"file://x", LinkClass::kFile},
      {"gopher://x", LinkClass::kGopher},
      {"MailTo:me@x", LinkClass::kMail},
      {"news:x", LinkClass::kNews},
      {"javascript:go()", LinkClass::kOtherScheme},
      {"http:/x", LinkClass::kOtherScheme},
      {"c:/site/p.htm", LinkClass::kOtherScheme},
      {"HTTPS://x/y.htm", LinkClass::kPage},
      {"http://a/b.htm", LinkClass::kPage},
      {"sub/p.htm", LinkClass::kPage},
      {"", LinkClass::kPage},
      {"c:\\site\\p.htm", LinkClass::kPage},
      {"/srv/site/p:1.htm", LinkClass::kPage},
  };
  for (const auto& [link, expected] : rows) EXPECT_EQ(ClassifyLink(link), expected) << link;
}

TEST(UrlClass, OutsideTheSiteIsDecidedByTheBaseFolder) {
  struct Row {
    const char* address;
    const char* base;
    bool outside;
  };
  const Row rows[] = {
      {"http://site/a/b.htm", "http://site/a/index.htm", false},
      {"http://site/a", "http://site/a/index.htm", false},
      {"http://site/abc.htm", "http://site/a/index.htm", false},
      {"http://site/", "http://site/a/index.htm", true},
      {"http://SITE/a/b.htm", "http://site/a/index.htm", true},
      {"http://other/a/b.htm", "http://site/a/index.htm", true},
      {"ftp://site/a/b.htm", "http://site/a/index.htm", true},
      {"gopher://site/a/b", "gopher://site/a/index", false},
      {"b.htm", "http://site/a/index.htm", false},
      {"C:\\site\\b.htm", "", false},
      {"mailto:x@site", "http://site/a/index.htm", false},
      {"http://site/a/b.htm", "", true},
      {"http://site/a/b.htm", "index.htm", true},
      {"http://site/a/b.htm", "http://site/a\\index.htm", false},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(IsOutsideSite(row.address, row.base), row.outside) << row.address << " " << row.base;
  }
}

}  // namespace
}  // namespace vellum::web

#include "web/links.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "config/engine_config.h"
#include "core/memory.h"
#include "support/message_log.h"
#include "support/scratch_dir.h"
#include "vellum/vellum.h"
#include "web/url_class.h"

namespace vellum::web {
namespace {

using test::ScratchDir;

constexpr unsigned kBookmarks = kPageLinks | kKeepBookmarks;
constexpr unsigned kOutside = kPageLinks | kOutsideSite;

TEST(UrlClass, OutsideTheSiteIsDecidedByTheBaseFolder) {
  struct Row {
    const char* address;
    const char* base;
    bool outside;
  };
  const Row rows[] = {
      {"http://site/a", "http://site/a/index.htm", false},
      {"http://site/", "http://site/a/index.htm", true},
      {"http://SITE/a/b.htm", "http://site/a/index.htm", true},
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

// Where a base page may lead and stay the site: its host, HTTPS, its
// registrable domain by the Public Suffix List.
TEST(UrlClass, SameSiteIsTheHostOrItsRegistrableDomain) {
  const struct {
    const char* from;
    const char* to;
    bool same;
  } rows[] = {
      {"http://example.com/a.html", "http://example.com/b/", true},
      {"http://example.com/", "https://example.com/", true},
      {"https://example.com/", "http://example.com/", false},
      {"http://example.com/", "https://www.Example.com:8443/", true},
      {"http://www.example.co.uk/", "http://shop.example.co.uk/", true},
      {"http://a.example.co.uk/", "http://b.example.com/", false},
      {"http://a.github.io/", "http://b.github.io/", false},
      {"http://127.0.0.1:8000/", "http://127.0.0.1:8001/", false},
      {"http://127.0.0.1:8000/", "https://127.0.0.1/", true},
      {"http://10.0.0.1/", "http://20.0.0.1/", false},
      {"http://example.com/", "ftp://example.com/", false},
  };
  for (const auto& row : rows) EXPECT_EQ(IsSameSite(row.from, row.to), row.same) << row.to;
}

TEST(Resolve, ValuesAgainstThePageAndTheBase) {
  const std::string long_name(300, 'n');
  // Bases and pages: a local site with drive paths, a web site, a local site
  // of this platform.
  const char *C = "C:\\site\\index.htm", *W = "http://site/a/index.htm", *U = "/srv/site/index.htm";
  const char *gallery = "C:\\site\\images\\gallery.htm", *a = "C:\\site\\a.htm";
  const char *deep = "C:\\site\\a\\b\\p.htm", *p = "http://site/a/b/p.htm";
  const char *H = "http://127.0.0.1:8080", *S = "http://127.0.0.1:8080/";
  const char* q = "http://127.0.0.1:8080/a/b/p.htm?q=1#f";
  struct Row {
    const char *base, *page;
    std::string value;
    unsigned flags;
    std::optional<std::string> link;  // nothing: dropped
  };
  const Row rows[] = {
      {C, gallery, "pic.gif", 1, "C:\\site\\images\\pic.gif"},
      {C, gallery, "../pic.gif", 1, "C:\\site\\pic.gif"},
      {C, gallery, "..\\..\\pic.gif", 1, "C:\\pic.gif"},
      {C, gallery, "../../../pic.gif", 1, {}},
      {C, gallery, "../a/../b.htm", 1, "C:\\site\\b.htm"},
      {C, gallery, " \t\npic.gif \f\r", 1, "C:\\site\\images\\pic.gif"},
      {C, gallery, "\\top.htm", 1, "C:\\site\\images\\top.htm"},
      {C, gallery, " ", 1, "C:\\site\\images\\gallery.htm"},  // the page itself
      {C, a, long_name, 1, "C:\\site\\" + long_name},
      {C, a, "#top", kPageLinks, {}},
      {C, a, "#top", kBookmarks, "C:\\site\\a.htm#top"},
      {C, "C:\\site\\a.htm#old", "#top", kBookmarks, "C:\\site\\a.htm#top"},
      {C, a, "b.htm#top", kPageLinks, "C:\\site\\b.htm#top"},
      {C, a, "b.htm#x:y", kBookmarks, "C:\\site\\b.htm#x:y"},
      {U, "/srv/site/a.htm", "b.htm?q=1:2", kPageLinks | kKeepArguments, "/srv/site/b.htm?q=1:2"},
      // Values with a scheme or a drive are taken as they are, unless they
      // leave the site.
      {C, a, "mailto:me@x", 1, "mailto:me@x"},
      {C, a, "D:\\other\\x.htm", 1, "D:\\other\\x.htm"},
      {C, a, "http://web/x.htm", 1, {}},
      {C, a, "http://web/x.htm", kOutside, "http://web/x.htm"},
      {W, p, "/a/x.htm", 1, "http://site/a/x.htm"},
      {W, p, "/b/x.htm", 1, {}},
      {W, p, "/b/x.htm", kOutside, "http://site/b/x.htm"},
      {W, p, "/about.htm", 1, "http://site/about.htm"},  // begins with the folder "http://site/a"
      {W, p, "HTTP://Site:80/a/c.htm", 1, "http://site/a/c.htm"},
      // "../" climbs from the folder of the page the link is on, however deep;
      // a web address stops at its host's root.
      {C, deep, "../../q.htm", 1, "C:\\site\\q.htm"},
      {"http://site/index.htm", "http://site/a/b/p.htm#x/y", "../q.htm", 1, "http://site/a/q.htm"},
      {U, "/srv/site/sub/p.htm", "../img/x.gif", 1, "/srv/site/img/x.gif"},
      {U, "/srv/site/sub/p.htm", "/abs.htm", 1, "/srv/site/sub/abs.htm"},
      // A web page's links stay on the web: a ":" later in the value is no
      // scheme, "//" takes the page's scheme, and no local file is reached.
      {W, p, "/a/notes.htm?x=:", 1, "http://site/a/notes.htm?x=:"},
      {W, p, "//site/a/c.htm", 1, "http://site/a/c.htm"},
      {W, "https://site/a/p.htm", "//elsewhere/c.htm", kOutside, "https://elsewhere/c.htm"},
      {W, p, "file:///etc/passwd.htm", kOutside, {}},
      {W, p, "C:\\site\\a\\x.htm", kOutside, {}},
      {W, p, "mailto:me@x", 1, "mailto:me@x"},
      // Values as real pages write them: padded, with dot segments anywhere,
      // on a page addressed by its host alone, with the scheme and host in
      // capitals.
      {S, H, "index.html", 1, "http://127.0.0.1:8080/index.html"},
      {H, H, "/x.htm", 1, "http://127.0.0.1:8080/x.htm"},
      {S, H, "", 1, "http://127.0.0.1:8080/"},
      {"HTTP://127.0.0.1:8080/Index.htm", q, "x.htm", 1, "http://127.0.0.1:8080/a/b/x.htm"},
      {S, q, "http://127.0.0.1:8081/other.html", 1, {}},
      {S, "/srv/site/./sub/p.htm", "./a/../b.htm", 1, "/srv/site/sub/b.htm"},
      {S, "sub/p.htm", "../up.htm", 1, "up.htm"},
      {S, "p.htm", "a/../../x.htm", 1, {}},
      {S, "/p.htm", "../x.htm", 1, {}},
      // Values as browsers read them (WHATWG URL, 4.4 "basic URL parser"): a
      // blank one is the page without its fragment, tabs and line breaks
      // are dropped, "\\" is "/" on the web, bytes outside ASCII and blanks
      // are escaped as UTF-8 on the web and kept on disk.
      {S, q, " \t", 1, "http://127.0.0.1:8080/a/b/p.htm?q=1"},
      {S, q, "g\n/h.htm\t", 1, "http://127.0.0.1:8080/a/b/g/h.htm"},
      {S, "/srv/p.htm", "a\r\nb.htm", 1, "/srv/ab.htm"},
      {S, q, "..\\c\\d.htm?x\\y", kKeepArguments | 1, "http://127.0.0.1:8080/a/c/d.htm?x\\y"},
      {S, q, "\\\\web\\x.htm", kOutsideSite | 1, "http://web/x.htm"},
      {S, q, "https:g.htm", kOutsideSite | 1, "https://g.htm/"},
      {S, q, "HTTP:\\\\web/x.htm", kOutsideSite | 1, "http://web/x.htm"},
      {S, q, "//", kOutsideSite | 1, {}},  // no host
      {S, q, "caf\xC3\xA9 1.htm?q=\xC3\xA9 x#\xC3\xA9", kKeepArguments | kBookmarks,
       "http://127.0.0.1:8080/a/b/caf%C3%A9%201.htm?q=%C3%A9%20x#%C3%A9"},
      {S, q, "a%20b%C3%A9.htm", 1, "http://127.0.0.1:8080/a/b/a%20b%C3%A9.htm"},
      {S, "/srv/p.htm", "caf\xC3\xA9 1.htm", 1, "/srv/caf\xC3\xA9 1.htm"},
      // A NUL byte can be in no address (and would cut it short as C text).
      {S, q, std::string("//\0/s.htm", 9), 1, {}},
      {S, "/srv/p.htm", std::string("a\0b.htm", 7), 1, {}},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Resolve(row.base, row.page, row.value, row.flags), row.link)
        << row.page << " " << row.value;
  }
}

// The examples of RFC 3986, 5.4, against its base, with every flag that
// keeps a part of a link.
TEST(Resolve, ExamplesOfRfc3986) {
  const char* base = "http://a/b/c/d;p?q";
  const std::pair<const char*, const char*> rows[] = {
      // 5.4.1 Normal Examples. A host alone is given with its root path
      // ("http://g/" for "http://g").
      {"g:h", "g:h"},  // another scheme: taken as written
      {"g", "http://a/b/c/g"},
      {"./g", "http://a/b/c/g"},
      {"g/", "http://a/b/c/g/"},
      {"/g", "http://a/g"},
      {"//g", "http://g/"},
      {"?y", "http://a/b/c/d;p?y"},
      {"g?y", "http://a/b/c/g?y"},
      {"#s", "http://a/b/c/d;p?q#s"},
      {"g#s", "http://a/b/c/g#s"},
      {"g?y#s", "http://a/b/c/g?y#s"},
      {";x", "http://a/b/c/;x"},
      {"g;x", "http://a/b/c/g;x"},
      {"g;x?y#s", "http://a/b/c/g;x?y#s"},
      {"", "http://a/b/c/d;p?q"},
      {".", "http://a/b/c/"},
      {"./", "http://a/b/c/"},
      {"..", "http://a/b/"},
      {"../", "http://a/b/"},
      {"../g", "http://a/b/g"},
      {"../..", "http://a/"},
      {"../../", "http://a/"},
      {"../../g", "http://a/g"},
      // 5.4.2 Abnormal Examples
      {"../../../g", "http://a/g"},
      {"../../../../g", "http://a/g"},
      {"/./g", "http://a/g"},
      {"/../g", "http://a/g"},
      {"g.", "http://a/b/c/g."},
      {".g", "http://a/b/c/.g"},
      {"g..", "http://a/b/c/g.."},
      {"..g", "http://a/b/c/..g"},
      {"./../g", "http://a/b/g"},
      {"./g/.", "http://a/b/c/g/"},
      {"g/./h", "http://a/b/c/g/h"},
      {"g/../h", "http://a/b/c/h"},
      {"g;x=1/./y", "http://a/b/c/g;x=1/y"},
      {"g;x=1/../y", "http://a/b/c/y"},
      {"g?y/./x", "http://a/b/c/g?y/./x"},
      {"g?y/../x", "http://a/b/c/g?y/../x"},
      {"g#s/./x", "http://a/b/c/g#s/./x"},
      {"g#s/../x", "http://a/b/c/g#s/../x"},
      // The RFC allows "http:g" for strict parsers and this for backward
      // compatibility; browsers read it so (WHATWG URL, "special relative
      // or authority state").
      {"http:g", "http://a/b/c/g"},
      // An empty query stays (RFC 3986, 3.4; WHATWG URL keeps it too).
      {"g?", "http://a/b/c/g?"},
  };
  constexpr unsigned kEveryPart = kPageLinks | kKeepBookmarks | kKeepArguments | kOutsideSite;
  for (const auto& [reference, link] : rows) {
    EXPECT_EQ(Resolve(base, base, reference, kEveryPart), link) << reference;
  }
}

class LinksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    log_ = &test::InstallMessageLog();
    config::TheConfig().ExtPage = core::CopyText("*.htm;*.html");
  }
  void TearDown() override { config::ReleaseMember(config::TheConfig().ExtPage); }

  // The entries of list as "text" or "text xN" when counted N > 1 times;
  // the list is emptied.
  static std::vector<std::string> Take(CountedStringList& list) {
    std::vector<std::string> entries;
    for (int i = 0; i < list.Count; ++i) {
      entries.push_back(list.Entries[i].Text);
      const int count = list.Entries[i].UseCount;
      if (count > 1) entries.back().append(" x").append(std::to_string(count));
    }
    core::Clear(list);
    return entries;
  }

  // The links CollectLinks finds with flags on html as the page
  // /site/sub/page.htm of the site /site/index.htm.
  static std::vector<std::string> Links(const std::string& html, unsigned flags) {
    TagTokenizer tokenizer;
    EXPECT_TRUE(tokenizer.AttachCopy(html));
    std::vector<std::string> links;
    CollectLinks("/site/index.htm", "/site/sub/page.htm", tokenizer, links, flags);
    return links;
  }

  test::MessageLog* log_ = nullptr;
  ScratchDir dir_;
};

TEST_F(LinksTest, CollectedLinksFollowTheFlags) {
  const std::string page =
      "<body background=bg.gif><a href=b.htm?x=1>b</a><a href='b.htm?x=2#n'>"
      "<script>document.write('<a href=\"hidden.htm\">')</script>"
      "<a href=doc.pdf><a href=MailTo:me@x><a href=news:comp><a href=FTP://f/x.htm>"
      "<a href=ftp://f/x.zip><a href=file:///c/x.htm><a href=gopher://g/><a href=javascript:go()>"
      "<a href=\"#top\"><a href=HTTP://web/w.HTML><a href=c.HTML#part><a href=folder/>"
      "<table background=t.gif><tr background=r.gif><td background=d.gif><img src=i.gif>"
      "<a name=anchor><a href>";
  struct Row {
    unsigned flags;
    std::vector<std::string> links;
  };
  const Row rows[] = {
      {kPageLinks, {"/site/sub/b.htm", "/site/sub/c.HTML"}},
      {kPageLinks | kKeepArguments,
       {"/site/sub/b.htm?x=1", "/site/sub/b.htm?x=2", "/site/sub/c.HTML"}},
      {kPageLinks | kKeepBookmarks,
       {"/site/sub/b.htm", "/site/sub/page.htm#top", "/site/sub/c.HTML#part"}},
      {kPageLinks | kOutsideSite, {"/site/sub/b.htm", "http://web/w.HTML", "/site/sub/c.HTML"}},
      {kPictures,
       {"/site/sub/bg.gif", "/site/sub/t.gif", "/site/sub/r.gif", "/site/sub/d.gif",
        "/site/sub/i.gif"}},
      {kMailLinks | kNewsLinks, {"MailTo:me@x", "news:comp"}},
      {kFtpPages | kFileLinks | kGopherLinks | kOtherSchemes,
       {"file:///c/x.htm", "javascript:go()"}},
      {kFtpPages | kFileLinks | kGopherLinks | kOtherSchemes | kOutsideSite,
       {"ftp://f/x.htm", "file:///c/x.htm", "gopher://g/", "javascript:go()"}},
      {0, {}},
  };
  for (const Row& row : rows) EXPECT_EQ(Links(page, row.flags), row.links) << row.flags;
}

// What the XML site map says of a page besides its address: the pictures on
// the page's own host, each once, and the language versions its head names
// with a language tag and a web address. A BASE moves what values resolve
// against, not which host is the page's; values are read as links are.
TEST(CollectPageExtras, PicturesOfThePagesHostAndLanguageVersionsOfItsHead) {
  using Texts = std::vector<std::string>;
  using Alternates = std::vector<LanguageAlternate>;
  const struct {
    const char* page;
    const char* html;
    Texts images;
    Alternates alternates;
  } rows[] = {
      {"https://www.example.com/docs/a.html",
       "<img src=pic.png><img src=/img/top.png><img src='../../up.png'><img src=PIC.png>"
       "<img src=pic.png#x><img src=' pic.png '><img src=https://WWW.Example.COM/docs/pic.png>"
       "<img src=//cdn.example.com/c.png><img src=http://www.example.com/docs/http.png>"
       "<img src=https://www.example.com:8443/port.png><img src=\"data:image/png;base64,AA\">"
       "<img src=javascript:alert(1)><img src=\"\"><img src><img><img src=#only>"
       "<img src=\"q.png?a=1&amp;b=&quot;2&quot;\"><img src=\"sp ace.png\">"
       "<script><img src=hidden.png></script>",
       {"https://www.example.com/docs/pic.png", "https://www.example.com/img/top.png",
        "https://www.example.com/up.png", "https://www.example.com/docs/PIC.png",
        "https://www.example.com/docs/q.png?a=1&b=%222%22",
        "https://www.example.com/docs/sp%20ace.png"},
       {}},
      {"https://www.example.com/en/a.html",
       "<head><base href=https://www.example.com/base/>"
       "<link rel=alternate hreflang=de href=../de/a.html>"
       "<link rel='Alternate  stylesheet' hreflang=fr-CA href=https://fr.example.org/a.html>"
       "<link rel=alternate hreflang=' x-default ' href=https://www.example.com/>"
       "<link rel=alternate hreflang=de href=https://www.example.com/de/a.html>"
       "<link rel=alternate hreflang=de-CH href=\"/ch?a=1&amp;b=2#top\">"
       "<link rel=alternate hreflang='\"><script>' href=x.html>"
       "<link rel=alternate hreflang=ninechars href=x.html><link rel=alternate hreflang=1a href=x>"
       "<link rel=alternate hreflang=es href=javascript:alert(1)>"
       "<link rel=alternate hreflang=it href=ftp://example.com/a.html>"
       "<link rel=alternate hreflang=nl><link rel=canonical hreflang=nl href=nl.html>"
       "<link rel=alternate type=application/rss+xml href=feed.xml>"
       "</head><body><link rel=alternate hreflang=sv href=sv.html><img src=p.png></body>",
       {"https://www.example.com/base/p.png"},
       {{"de", "https://www.example.com/de/a.html"},
        {"fr-CA", "https://fr.example.org/a.html"},
        {"x-default", "https://www.example.com/"},
        {"de-CH", "https://www.example.com/ch?a=1&b=2#top"}}},
      // On disk: paths of the page's disk, no address of another scheme.
      {"/site/sub/page.htm",
       "<img src=a.gif><img src=../b.gif><img src=../../../c.gif><img src=file:///etc/passwd>"
       "<img src=C:/x.gif><img src=http://www.example.com/w.gif>"
       "<link rel=alternate hreflang=de href=http://www.example.de/>",
       {"/site/sub/a.gif", "/site/b.gif"},
       {{"de", "http://www.example.de/"}}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.html);
    TagTokenizer tokenizer;
    ASSERT_TRUE(tokenizer.AttachCopy(row.html));
    const PageExtras extras =
        CollectPageExtras(row.page, tokenizer, VELLUM_SITEMAP_IMAGES | VELLUM_SITEMAP_ALTERNATES);
    EXPECT_EQ(extras.images, row.images);
    EXPECT_EQ(extras.alternates, row.alternates);
    // Each kind is collected only when asked for.
    ASSERT_TRUE(tokenizer.AttachCopy(row.html));
    EXPECT_TRUE(CollectPageExtras(row.page, tokenizer, VELLUM_SITEMAP_IMAGES).alternates.empty());
  }
}

// A page cannot make the map or the project grow without bound.
TEST(CollectPageExtras, APageGivesAThousandOfEachAtMost) {
  std::string html;
  for (int i = 0; i < 1500; ++i) {
    const std::string n = std::to_string(i);
    html += "<link rel=alternate hreflang=x-" + n + " href=/" + n + "><img src='" + n + ".png'>";
  }
  TagTokenizer tokenizer;
  ASSERT_TRUE(tokenizer.AttachCopy(html));
  const PageExtras extras =
      CollectPageExtras("http://h/", tokenizer, VELLUM_SITEMAP_IMAGES | VELLUM_SITEMAP_ALTERNATES);
  EXPECT_EQ(extras.images.size(), kMaxPageExtras);
  EXPECT_EQ(extras.images.back(), "http://h/999.png");
  EXPECT_EQ(extras.alternates.size(), kMaxPageExtras);
}

// The tags a page links with, the BASE that moves what links resolve
// against, REL="nofollow" when the crawl honours it, and character
// references decoded before a value is resolved.
TEST_F(LinksTest, LinksOfEveryKindOfTag) {
  struct Row {
    std::string page;
    unsigned flags;
    std::vector<std::string> links;
  };
  const Row rows[] = {
      {"<map><area href=m.htm shape=rect></map><iframe src=i.htm></iframe>"
       "<frameset><frame src='f.html'><frame name=x></frameset><img src=p.htm>",
       kPageLinks,
       {"/site/sub/m.htm", "/site/sub/i.htm", "/site/sub/f.html"}},
      {"<a href=a.htm rel=nofollow><a href=b.htm rel='external NoFollow'>"
       "<area href=c.htm rel=nofollow><a href=d.htm rel=nofollower><frame src=e.htm rel=nofollow>",
       kPageLinks | kHonourNofollow,
       {"/site/sub/d.htm", "/site/sub/e.htm"}},
      {"<a href=a.htm rel=nofollow><area href=c.htm rel=nofollow>",
       kPageLinks,
       {"/site/sub/a.htm", "/site/sub/c.htm"}},
      {"<a href=before.htm><base href='../other/x.htm'><base href=/ignored/>"
       "<a href=a.htm><a href=../b.htm><img src=i.gif>",
       kPageLinks | kPictures,
       {"/site/other/before.htm", "/site/other/a.htm", "/site/b.htm", "/site/other/i.gif"}},
      {"<base href=' http://web/d/ '><a href=a.htm><a href=/b.htm>",
       kPageLinks | kOutsideSite,
       {"http://web/d/a.htm", "http://web/b.htm"}},
      {"<base target=_top><base href=mailto:x><a href=a.htm>", kPageLinks, {"/site/sub/a.htm"}},
      {"<script><base href=http://web/></script><a href=a.htm>", kPageLinks, {"/site/sub/a.htm"}},
      {"<a href=\"&#x2e;&#46;/up.htm\"><a href='&#x68;ttp://web/w.htm'><a "
       "href=\"o&amp;amp;p.htm\">",
       kPageLinks | kOutsideSite,
       {"/site/up.htm", "http://web/w.htm", "/site/sub/o&amp;p.htm"}},
  };
  for (const Row& row : rows) EXPECT_EQ(Links(row.page, row.flags), row.links) << row.page;
}

TEST_F(LinksTest, ResourceWalksVisitLocalNonPageReferences) {
  const std::string page = dir_.Write(
      "sub/Page.htm",
      "<body background=BG.jpg>\n<a href=Doc.PDF>d</a><a href=Other.htm>o</a>"
      "<a href=http://web/X.gif><img src='Img/Logo.GIF' alt=A><img src=\"A&amp;B.GIF\">\n"
      "<script><img src=No.gif></script><img src=mailto:x><img src=#Top></body>\n");
  const std::string base = dir_ / "index.htm";
  const std::string folder = dir_.path().string() + "/sub/";

  CountedStringList list{};
  GatherResources(base.c_str(), page.c_str(), list);
  EXPECT_EQ(Take(list), (std::vector<std::string>{folder + "BG.jpg", folder + "Doc.PDF",
                                                  folder + "Img/Logo.GIF", folder + "A&B.GIF"}));

  ASSERT_TRUE(LowerCaseResources(base.c_str(), page.c_str(), &list));
  EXPECT_EQ(Take(list), (std::vector<std::string>{folder + "bg.jpg", folder + "doc.pdf",
                                                  folder + "img/logo.gif", folder + "a&b.gif"}));
  EXPECT_EQ(test::ReadBytes(page),
            "<body background=bg.jpg>\r\n<a href=doc.pdf>d</a><a href=Other.htm>o</a>"
            "<a href=http://web/X.gif><img src='img/logo.gif' alt=A><img src=\"a&amp;b.gif\">\r\n"
            "<script><img src=No.gif></script><img src=mailto:x><img src=#Top></body>\r\n");
  EXPECT_TRUE(log_->errors.empty());
}

TEST_F(LinksTest, LowerCasingReportsWhatItCannotReadOrWrite) {
  const std::string page = dir_.Write("p.htm", "<img src=low.gif>\n");
  ASSERT_TRUE(LowerCaseResources(page.c_str(), page.c_str(), nullptr));
  EXPECT_EQ(test::ReadBytes(page), "<img src=low.gif>\n");  // unchanged: not rewritten
  EXPECT_FALSE(LowerCaseResources(page.c_str(), (dir_ / "none.htm").c_str(), nullptr));
  // A name so long that no file can be made beside it to write the new page.
  const std::string full = dir_.Write(std::string(250, 'p') + ".htm", "<img src=UP.gif>");
  EXPECT_FALSE(LowerCaseResources(full.c_str(), full.c_str(), nullptr));
  EXPECT_EQ(test::ReadBytes(full), "<img src=UP.gif>");
  EXPECT_EQ(log_->errors,
            (std::vector<std::string>{std::string("file '") + (dir_ / "none.htm") + "' not found\n",
                                      "can't open file '" + full + "'"}));
}

}  // namespace
}  // namespace vellum::web

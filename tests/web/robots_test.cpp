// robots.txt as RFC 9309 reads it: each row names the section it comes from.
#include "web/robots.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <tuple>

namespace vellum::web {
namespace {

constexpr char kAgent[] = "Vellumark";
constexpr char kHttp[] = "http://example.com/robots.txt";

struct Case {
  const char* name;
  const char* section;  // of RFC 9309
  std::string robots;   // the body of robots.txt
  std::string path;     // asked about, with its query
  bool allowed;
  const char* agent = kAgent;
  long status = 200;            // of the answer to robots.txt; 0 when none came
  bool whole = true;            // false: the answer broke off
  const char* address = kHttp;  // where the answer came from
};

constexpr char kGroups[] =
    "User-agent: other\nDisallow: /\n\n"
    "User-agent: *\nDisallow: /all/\n\n"
    "user-agent: VELLUMARK/2.0\nDisallow: /mine/\n\n"
    "User-agent: vellumark\nDisallow: /merged/\n";

// The examples of sections 5.1 and 5.2.
constexpr char kSimple[] =
    "User-Agent: *\nDisallow: *.gif$\nDisallow: /example/\nAllow: /publications/\n\n"
    "User-Agent: foobot\nDisallow:/\nAllow:/example/page.html\nAllow:/example/allowed.gif\n\n"
    "User-Agent: barbot\nUser-Agent: bazbot\nDisallow: /example/page.html\n\n"
    "User-Agent: quxbot\n";
constexpr char kLongest[] =
    "User-Agent: foobot\nAllow: /example/page/\nDisallow: /example/page/disallowed.gif\n";

TEST(Robots, Rfc9309Cases) {
  const std::string limit_fill(kRobotsParseLimit - 30, '\n');
  // Rules that cost their length times the path's length when a '*' is
  // tried at every place.
  std::string long_rules = "User-agent: *\n";
  for (int i = 0; i < 3; ++i) long_rules.append("Disallow: /*").append(10000, 'a').append("b\n");
  const std::string beyond_path_limit = std::string("/").append(kRobotsPathLimit, 'a');
  const Case cases[] = {
      // User-agent lines and groups.
      {"AgentGroupApplies", "2.2.1", kGroups, "/mine/x", false},
      {"AgentGroupsMerge", "2.2.1", kGroups, "/merged/x", false},
      {"StarGroupIgnoredWhenAgentNamed", "2.2.1", kGroups, "/all/x", true},
      {"StarGroupWhenAgentNotNamed", "2.2.1", "User-agent: *\nDisallow: /all/\n", "/all/x", false},
      {"LongerTokenIsAnotherAgent", "2.2.1", "User-agent: Vellumarker\nDisallow: /\n", "/x", true},
      {"NoGroupAllowsAll", "2.2.1", "User-agent: other\nDisallow: /\n", "/x", true},
      {"RulesBeforeAnyGroupIgnored", "2.1", "Disallow: /\nUser-agent: *\nAllow: /\n", "/x", true},
      {"ConsecutiveAgentsShareAGroup", "2.1",
       "User-agent: a\nUser-agent: vellumark\nDisallow: /p\n", "/p", false},
      {"AgentLineAfterRulesStartsNewGroup", "2.1",
       "User-agent: vellumark\nDisallow: /p\nUser-agent: other\nDisallow: /q\n", "/q", true},
      {"EmptyDisallowSaysNothing", "2.1", "User-agent: *\nDisallow:\n", "/x", true},
      // Allow and Disallow: the longest match decides.
      {"LongestMatchWins", "2.2.2", "User-agent: *\nDisallow: /a\nAllow: /a/b\n", "/a/b/c", true},
      {"LongerDisallowWins", "2.2.2", "User-agent: *\nAllow: /a\nDisallow: /a/b\n", "/a/b/c",
       false},
      {"TieGoesToAllow", "2.2.2", "User-agent: *\nDisallow: /a/\nAllow: /a/\n", "/a/x", true},
      {"MatchStartsAtTheFirstOctet", "2.2.2", "User-agent: *\nDisallow: /b\n", "/a/b", true},
      {"CaseSensitivePaths", "2.2.2", "User-agent: *\nDisallow: /Private\n", "/private", true},
      {"QueryIsPartOfPath", "2.2.2", "User-agent: *\nDisallow: /foo/bar?baz=quz\n",
       "/foo/bar?baz=quz", false},
      {"RobotsTxtAlwaysAllowed", "2.2.2", "User-agent: *\nDisallow: /\n", "/robots.txt", true},
      // Percent-encoding: one spelling for patterns and paths.
      {"Utf8PatternMatchesEscapedPath", "2.2.2", "User-agent: *\nDisallow: /foo/bar/\u30C4\n",
       "/foo/bar/%E3%83%84", false},
      {"EscapedPatternMatchesUtf8Path", "2.2.2", "User-agent: *\nDisallow: /foo/bar/%E3%83%84\n",
       "/foo/bar/\u30C4", false},
      {"HexCaseIrrelevant", "2.2.2", "User-agent: *\nDisallow: /a%2fb\n", "/a%2Fb", false},
      {"EscapedUnreservedIsTheCharacter", "2.2.2", "User-agent: *\nDisallow: /foo/bar/baz\n",
       "/foo/bar/%62%61%7A", false},
      {"EscapedTildeInPattern", "2.2.2", "User-agent: *\nDisallow: /%7Eme\n", "/~me/x", false},
      {"EscapedSlashIsNoSlash", "2.2.2", "User-agent: *\nDisallow: /a/b\n", "/a%2Fb", true},
      // Special characters.
      {"StarMatchesAnyRun", "2.2.3", "User-agent: *\nDisallow: /*.php\n", "/a/b.php?x=1", false},
      {"PrefixMatchWithoutDollar", "2.2.3", "User-agent: *\nDisallow: /*.php\n", "/b.phpx", false},
      {"DollarAnchorsEnd", "2.2.3", "User-agent: *\nDisallow: /*.php$\n", "/b.php?x=1", true},
      {"DollarAnchorMatches", "2.2.3", "User-agent: *\nDisallow: /*.php$\n", "/b.php", false},
      {"EscapedStarIsAStar", "2.2.3", "User-agent: *\nDisallow: /file-with-a-%2A.html\n",
       "/file-with-a-*.html", false},
      {"EscapedStarIsNoWildcard", "2.2.3", "User-agent: *\nDisallow: /a-%2A.html\n", "/a-b.html",
       true},
      {"EscapedDollarIsADollar", "2.2.3", "User-agent: *\nDisallow: /path/foo-%24\n", "/path/foo-$",
       false},
      {"DollarInsideIsADollar", "2.2.3", "User-agent: *\nDisallow: /a$b\n", "/a%24b", false},
      {"StarTakesTheFirstFit", "2.2.3", "User-agent: *\nDisallow: /*aab\n", "/aaab", false},
      {"DollarAfterStars", "2.2.3", "User-agent: *\nDisallow: /*a*b$\n", "/xaybzb", false},
      {"DollarPartFollowsTheOthers", "2.2.3", "User-agent: *\nDisallow: /*ab*b$\n", "/xab", true},
      {"CommentsEndLines", "2.2.3",
       "# hi\nUser-agent: other # vellumark\nUser-agent: * # all\nDisallow: /x # not here\n", "/x",
       false},
      // Other records, line ends and a byte order mark.
      {"UnknownRecordsIgnored", "2.2.4",
       "\xEF\xBB\xBFUser-agent: *\r\nSitemap: http://h/s.xml\r\nHost: h\r\nDisallow: /x\r\n", "/x",
       false},
      {"SitemapDoesNotSplitAgentLines", "2.2.4",
       "User-agent: a\nSitemap: /s\nUser-agent: vellumark\nDisallow: /p\n", "/p", false},
      // What the answer to robots.txt says.
      {"RedirectsWithoutEndMeanNoFile", "2.3.1.2", "User-agent: *\nDisallow: /\n", "/x", true,
       kAgent, 302},
      {"ClientErrorMeansNoFile", "2.3.1.3", "User-agent: *\nDisallow: /\n", "/x", true, kAgent,
       404},
      {"ServerErrorDisallowsAll", "2.3.1.4", "", "/", false, kAgent, 503, false},
      {"NoAnswerDisallowsAll", "2.3.1.4", "", "/x", false, kAgent, 0, false},
      {"AnswerThatBrokeOffDisallowsAll", "2.3.1.4", "User-agent: *\nAllow: /\n", "/x", false,
       kAgent, 200, false},
      {"UnreachableStillAllowsRobotsTxt", "2.3.1.4", "", "/robots.txt", true, kAgent, 500, false},
      {"FtpFileGivesTheRules", "2.3.1.1", "User-agent: *\nDisallow: /x\n", "/x", false, kAgent, 226,
       true, "ftp://example.com/robots.txt"},
      {"FtpRefusalMeansNoFile", "2.3.1.3", "", "/x", true, kAgent, 550, false,
       "ftp://example.com/robots.txt"},
      // Limits.
      {"RuleWithinTheParseLimitHolds", "2.5", "User-agent: *\n" + limit_fill + "Disallow: /abc\n",
       "/abc", false},
      {"BodyBeyondTheParseLimitIgnored", "2.5",
       std::string("User-agent: *\n").append(kRobotsParseLimit, '\n').append("Disallow: /\n"), "/x",
       true},
      {"LineCutByTheParseLimitDropped", "2.5",
       std::string("User-agent: *\n")
           .append(kRobotsParseLimit - 26, '\n')
           .append("Disallow: /abcdefghijklm"),
       "/abc", true},
      {"HostilePatternFinishes", "2.5", "User-agent: *\nDisallow: /*a*a*a*a*a*a*a*a*a*a*a*a*b\n",
       std::string("/").append(20000, 'a'), true},
      {"LongRulesMatchInLinearTime", "2.5", long_rules, std::string("/").append(20000, 'a'), true},
      {"PathSearchedWithinThePathLimit", "2.5", "User-agent: *\nDisallow: /*x\n",
       beyond_path_limit + "x", true},
      {"DollarPartHeldToTheEndOfALongPath", "2.5", "User-agent: *\nDisallow: /*.pdf$\n",
       beyond_path_limit + ".pdf", false},
      // The examples.
      {"SimpleStarGif", "5.1", kSimple, "/images/x.gif", false},
      {"SimpleStarGifWithQuery", "5.1", kSimple, "/images/x.gif?v=2", true},
      {"SimpleStarExample", "5.1", kSimple, "/example/x.html", false},
      {"SimpleStarPublications", "5.1", kSimple, "/publications/x.html", true},
      {"SimpleFoobotAllowedPage", "5.1", kSimple, "/example/page.html", true, "foobot"},
      {"SimpleFoobotAllowedGif", "5.1", kSimple, "/example/allowed.gif", true, "foobot"},
      {"SimpleFoobotElsewhere", "5.1", kSimple, "/publications/x.html", false, "foobot"},
      {"SimpleBazbotSharesTheGroup", "5.1", kSimple, "/example/page.html", false, "bazbot"},
      {"SimpleBarbotLeavesTheStarGroup", "5.1", kSimple, "/example/x.gif", true, "barbot"},
      {"SimpleQuxbotEmptyGroup", "5.1", kSimple, "/example/page.html", true, "quxbot"},
      {"LongestPage", "5.2", kLongest, "/example/page/", true, "foobot"},
      {"LongestDisallowedGif", "5.2", kLongest, "/example/page/disallowed.gif", false, "foobot"},
  };
  const std::clock_t start = std::clock();
  for (const Case& row : cases) {
    const RobotsRules rules =
        RobotsRules::FromAnswer(row.address, row.status, row.whole, row.robots, row.agent);
    EXPECT_EQ(rules.Allows(row.path), row.allowed)
        << row.name << " (RFC 9309 " << row.section << ")";
  }
  // Milliseconds of work, were each rule not matched in linear time.
  EXPECT_LT(std::clock() - start, 2 * CLOCKS_PER_SEC);
  EXPECT_TRUE(RobotsRules().Allows("/x"));
}

// Crawl-delay is a record beyond the protocol (RFC 9309 2.2.4); a delay
// over kLongestCrawlDelayMs is capped and says so.
TEST(Robots, CrawlDelayOfTheChosenGroup) {
  const std::tuple<const char*, int, bool> rows[] = {
      {"User-agent: *\nCrawl-delay: 2\n", 2000, false},
      {"User-agent: *\nCrawl-delay: 0.5\n", 500, false},
      {"User-agent: *\nCrawl-delay: soon\nCrawl-delay: 3\n", 3000, false},
      {"User-agent: *\nCrawl-delay: 1\nUser-agent: vellumark\nDisallow: /x\n", 0, false},
      {"User-agent: *\nCrawl-delay: 30\n", 30000, false},
      {"User-agent: *\nCrawl-delay: 30.001\n", 30000, true},
      {"User-agent: *\nCrawl-delay: 86400\n", 30000, true},
      {"User-agent: *\nCrawl-delay: 99999999999999999999\n", 30000, true},
      {"User-agent: other\nCrawl-delay: 86400\n", 0, false},
  };
  for (const auto& [body, delay, capped] : rows) {
    const RobotsRules rules = RobotsRules::Parse(body, "Vellumark");
    EXPECT_EQ(rules.crawl_delay_ms(), delay) << body;
    EXPECT_EQ(rules.crawl_delay_capped(), capped) << body;
  }
}

}  // namespace
}  // namespace vellum::web

#include "web/robots.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace vellum::web {
namespace {

struct Row {
  const char* name;
  std::string body;
  std::string path;
  bool allowed;
};

constexpr char kGroups[] =
    "User-agent: other\nDisallow: /\n\n"
    "User-agent: *\nDisallow: /all/\n\n"
    "user-agent: VELLUMARK/2.0\nDisallow: /mine/\n\n"
    "User-agent: vellumark\nDisallow: /merged/\n";

TEST(Robots, AllowsByTheLongestMatchOfTheChosenGroup) {
  const Row rows[] = {
      {"AgentGroupApplies", kGroups, "/mine/x", false},
      {"AgentGroupsMerge", kGroups, "/merged/x", false},
      {"StarGroupIgnoredWhenAgentNamed", kGroups, "/all/x", true},
      {"StarGroupWhenAgentNotNamed", "User-agent: *\nDisallow: /all/\n", "/all/x", false},
      {"NoGroupAllowsAll", "User-agent: other\nDisallow: /\n", "/x", true},
      {"EmptyFileAllowsAll", "", "/x", true},
      {"RulesBeforeAnyGroupIgnored", "Disallow: /\nUser-agent: *\nAllow: /\n", "/x", true},
      {"ConsecutiveAgentsShareAGroup", "User-agent: a\nUser-agent: vellumark\nDisallow: /p\n", "/p",
       false},
      {"AgentLineAfterRulesStartsNewGroup",
       "User-agent: vellumark\nDisallow: /p\nUser-agent: other\nDisallow: /q\n", "/q", true},
      {"LongestMatchWins", "User-agent: *\nDisallow: /a\nAllow: /a/b\n", "/a/b/c", true},
      {"LongerDisallowWins", "User-agent: *\nAllow: /a\nDisallow: /a/b\n", "/a/b/c", false},
      {"TieGoesToAllow", "User-agent: *\nDisallow: /a/\nAllow: /a/\n", "/a/x", true},
      {"EmptyDisallowAllowsAll", "User-agent: *\nDisallow:\n", "/x", true},
      {"StarMatchesAnyRun", "User-agent: *\nDisallow: /*.php\n", "/a/b.php?x=1", false},
      {"PrefixMatchWithoutDollar", "User-agent: *\nDisallow: /*.php\n", "/b.phpx", false},
      {"DollarAnchorsEnd", "User-agent: *\nDisallow: /*.php$\n", "/b.php?x=1", true},
      {"DollarAnchorMatches", "User-agent: *\nDisallow: /*.php$\n", "/b.php", false},
      {"QueryIsPartOfPath", "User-agent: *\nDisallow: /s?q=\n", "/s?q=1", false},
      {"CaseSensitivePaths", "User-agent: *\nDisallow: /Private\n", "/private", true},
      {"EscapedTildeInPattern", "User-agent: *\nDisallow: /%7Eme\n", "/~me/x", false},
      {"EscapedTildeInPath", "User-agent: *\nDisallow: /~me\n", "/%7eme/x", false},
      {"HexCaseIrrelevant", "User-agent: *\nDisallow: /a%2fb\n", "/a%2Fb", false},
      {"ReservedEscapeStaysEscaped", "User-agent: *\nDisallow: /a/b\n", "/a%2Fb", true},
      {"Utf8PatternMatchesEscapedPath", "User-agent: *\nDisallow: /caf\xC3\xA9\n", "/caf%C3%A9",
       false},
      {"RobotsTxtAlwaysAllowed", "User-agent: *\nDisallow: /\n", "/robots.txt", true},
      {"CrLfBomCommentsAndUnknownLines",
       "\xEF\xBB\xBF# hi\r\nUser-agent: * # all\r\nSitemap: http://h/s.xml\r\nHost: h\r\n"
       "Disallow: /x # not here\r\n",
       "/x", false},
      {"SitemapDoesNotSplitAgentLines",
       "User-agent: a\nSitemap: /s\nUser-agent: vellumark\nDisallow: /p\n", "/p", false},
      {"HostilePatternFinishes", "User-agent: *\nDisallow: /*a*a*a*a*a*a*a*a*a*a*a*a*b\n",
       "/" + std::string(20000, 'a'), true},
      {"BodyBeyondLimitIgnored",
       "User-agent: *\n" + std::string(kRobotsParseLimit, '\n') + "Disallow: /\n", "/x", true},
      {"CutLineDropped",
       "User-agent: *\n" + std::string(kRobotsParseLimit - 26, '\n') + "Disallow: /abcdefghijklm",
       "/abc", true},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(RobotsRules::Parse(row.body, "Vellumark").Allows(row.path), row.allowed) << row.name;
  }
  EXPECT_TRUE(RobotsRules().Allows("/x"));
}

TEST(Robots, CrawlDelayOfTheChosenGroup) {
  const std::tuple<const char*, int> rows[] = {
      {"User-agent: *\nCrawl-delay: 2\n", 2000},
      {"User-agent: *\nCrawl-delay: 0.5\n", 500},
      {"User-agent: *\nCrawl-delay: soon\nCrawl-delay: 3\n", 3000},
      {"User-agent: *\nCrawl-delay: 1\nUser-agent: vellumark\nDisallow: /x\n", 0},
      {"User-agent: *\nCrawl-delay: 99999999999999999999\n", 24 * 60 * 60 * 1000},
      {"User-agent: other\nCrawl-delay: 5\n", 0},
  };
  for (const auto& [body, expected] : rows) {
    EXPECT_EQ(RobotsRules::Parse(body, "Vellumark").crawl_delay_ms(), expected) << body;
  }
}

}  // namespace
}  // namespace vellum::web

// The concurrent fetcher against a real local server, where it fails.
#include "web/fetcher.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "config/engine_config.h"
#include "core/memory.h"
#include "support/child_process.h"
#include "support/http_servers.h"
#include "support/nginx_server.h"
#include "support/scratch_dir.h"

namespace vellum::web {
namespace {

// CPU time of the process so far, in seconds.
double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

TEST(Fetcher, ARequestThatCannotBeSetUpFailsAloneAndWaitingDoesNotSpin) {
  test::ScratchDir site, logs;
  site.Write("a.html", "<title>A</title>");
  test::HttpServer server(site.path().string(), logs / "site.log");
  Fetcher fetcher({.page_seconds = 2});
  ASSERT_TRUE(fetcher.Add(server.Url("a.html"), 2, true));
  ASSERT_TRUE(fetcher.Add(server.Url("_stall"), 1, true));
  std::vector<FetchResult> done;
  ASSERT_TRUE(fetcher.Collect(done));
  ASSERT_EQ(done.size(), 1u);
  EXPECT_EQ(done[0].tag, 2);
  EXPECT_TRUE(done[0].ok);

  // A proxy name longer than libcurl takes: no request can be set up now,
  // while the stalled one still runs.
  ASSERT_TRUE(fetcher.Add(server.Url("a.html?again"), 3, true));
  const double cpu_before = CpuSeconds();
  done.clear();
  config::TheConfig().Proxy = core::CopyText(std::string(8'000'001, 'p'));
  const bool collected = fetcher.Collect(done);
  config::ReleaseMember(config::TheConfig().Proxy);
  ASSERT_TRUE(collected);
  ASSERT_EQ(done.size(), 1u);
  EXPECT_EQ(done[0].tag, 3);
  EXPECT_EQ(done[0].final_address, server.Url("a.html?again"));
  EXPECT_EQ(done[0].reason, "the transfer could not be set up");
  EXPECT_EQ(fetcher.pending(), 1u);

  // The stalled request ends at its time limit, waited for in polls.
  done.clear();
  ASSERT_TRUE(fetcher.Collect(done));
  ASSERT_EQ(done.size(), 1u);
  EXPECT_EQ(done[0].tag, 1);
  EXPECT_EQ(done[0].reason, "no answer within the time limit (2 s)");
  EXPECT_LT(CpuSeconds() - cpu_before, 0.5);
  EXPECT_FALSE(fetcher.Collect(done));
}

// Over HTTPS the requests share one HTTP/2 connection as streams, and a
// server whose certificate is not trusted is refused.
TEST(Fetcher, HttpsMultiplexesOverOneConnectionAndRefusesAnUntrustedServer) {
  constexpr std::size_t kPages = 40;
  test::ScratchDir site, logs;
  // Appended rather than "p" + number: GCC 12 at -O3 warns (restrict)
  // about its own inlined insert at the front.
  const auto text = [](const char* before, std::size_t i, const char* after) {
    return std::string(before).append(std::to_string(i)).append(after);
  };
  for (std::size_t i = 0; i < kPages; ++i)
    site.Write(text("p", i, ".html"), text("<title>", i, "</title>"));
  {
    test::NginxServer server(site.path().string(), logs.path().string(), true);
    Fetcher fetcher({.connections_per_host = 4, .ca_file = server.certificate()});
    for (std::size_t i = 0; i < kPages; ++i) {
      ASSERT_TRUE(fetcher.Add(server.Url(text("p", i, ".html")), int(i), true));
    }
    std::vector<FetchResult> done;
    while (fetcher.Collect(done)) {
    }
    ASSERT_EQ(done.size(), kPages);
    for (const FetchResult& result : done) {
      EXPECT_TRUE(result.ok) << result.reason;
      EXPECT_EQ(std::string(result.body.data.get(), result.body.length),
                text("<title>", result.tag, "</title>"));
    }
    Fetcher untrusting({});
    ASSERT_TRUE(untrusting.Add(server.Url("p0.html"), 0, true));
    done.clear();
    ASSERT_TRUE(untrusting.Collect(done));
    EXPECT_FALSE(done.at(0).ok);
    EXPECT_EQ(done[0].reason, curl_easy_strerror(CURLE_PEER_FAILED_VERIFICATION));
  }  // nginx has written its log once it stopped
  std::ifstream log(logs / "access.log");
  const std::string lines{std::istreambuf_iterator<char>(log), {}};
  std::set<std::string> connections;
  for (const std::string& request : test::AllMatches(lines, "(\\d+) \\d+ (HTTP/\\S+) ", "$1 $2")) {
    connections.insert(request.substr(0, request.find(' ')));
    EXPECT_EQ(request.substr(request.find(' ') + 1), "HTTP/2.0");
  }
  EXPECT_EQ(connections.size(), 1u);
}

}  // namespace
}  // namespace vellum::web

// The concurrent fetcher against a real local server, where it fails.
#include "web/fetcher.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <string>
#include <vector>

#include "config/engine_config.h"
#include "core/memory.h"
#include "support/http_servers.h"
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

}  // namespace
}  // namespace vellum::web

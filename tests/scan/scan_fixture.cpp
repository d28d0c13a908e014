#include "scan/scan_fixture.h"

#include "config/engine_config.h"
#include "core/map_item_list.h"
#include "core/memory.h"
#include "scan/site_scan.h"
#include "web/page_access.h"

namespace vellum::scan {

std::string FixtureFolder(const std::string& name) {
  return std::string(VELLUM_SCAN_FIXTURES) + "/" + name + "/";
}

const char kFixtureNavigationTree[] =
    "About us | ROOT/about.htm\n"
    "  Alice | ROOT/people/alice.htm\n"
    "  Team | ROOT/team.htm\n"
    "Home | ROOT/index.htm\n"
    "News | ROOT/news.htm\n"
    "Products | ROOT/products/list.htm\n"
    "    | ROOT/products/gadget.htm\n"
    "  Widget | ROOT/products/widget.htm\n"
    "contact | ROOT/contact.htm\n";

void ScanTest::SetUp() {
  log_ = &test::InstallMessageLog();
  EngineConfig& config = config::TheConfig();
  config.ExtPage = core::CopyText("*.htm;*.html");
  config.TempFolder = core::CopyText(temp_.path().string() + "/");
}

void ScanTest::TearDown() {
  core::Clear(tree_);
  web::PurgePageCache();
  EngineConfig& config = config::TheConfig();
  config::ReleaseMember(config.ExtPage);
  config::ReleaseMember(config.TempFolder);
  config::ReleaseMember(config.Proxy);
  config.PortProxy = 0;
}

std::string ScanTest::Scan(int mode, const std::string& base, unsigned flags,
                           const std::string& root, const char* excluded) {
  core::Clear(tree_);
  SiteMapParams params{};
  params.BasePath = base.c_str();
  params.Settings.Mode = static_cast<uint8_t>(mode);
  params.Settings.OutputFile = excluded;
  params.Items = &tree_;
  result_ = ScanSite(params, tree_, flags);
  return DumpTree(tree_, root);
}

}  // namespace vellum::scan

// scan, generate, upload and publish: the engine's work on the site map item.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "commands.h"
#include "scan_watch.h"
#include "session.h"
#include "settings.h"

namespace vellumark {
namespace {

// 128 + SIGINT, as a shell reports a command ended by Ctrl+C.
constexpr int kInterruptedStatus = 130;

bool IsWebAddress(const std::string& text) { return text.find("://") != std::string::npos; }

uint32_t OtherSitesFlags(const std::string& choice) {
  if (choice == "ignore") return 0;
  if (choice == "add") return VELLUM_SCAN_ADD_OTHER_SITES;
  if (choice == "follow") return VELLUM_SCAN_ADD_OTHER_SITES | VELLUM_SCAN_FOLLOW_OTHER_SITES;
  throw UsageError("--other-sites takes ignore, add or follow");
}

// Options of generate (and publish): a layout and an output file for this
// run only, and the base of relative links.
struct GenerateOptions {
  std::optional<uint8_t> type;
  std::optional<std::string> output;
  std::optional<std::string> base_path;
};

GenerateOptions TakeGenerateOptions(Arguments& arguments) {
  GenerateOptions options;
  if (auto type = arguments.Option("type")) {
    options.type = ChoiceValue(OutputTypeNames(), *type);
    if (!options.type) {
      throw UsageError(
          "--type takes ul, paged, icontree, scripttree, combo, index, table, xml or text");
    }
  }
  if (auto output = arguments.Option("output")) options.output = AbsolutePath(*output);
  if (auto base = arguments.Option("base-path")) options.base_path = AbsolutePath(*base);
  return options;
}

void Generate(ScriptItem& item, const GenerateOptions& options) {
  SiteMapParams params{};
  params.Settings = item.Body.SiteMap;
  params.Items = &item.Entries;
  if (options.type) params.Settings.OutputType = *options.type;
  // The output named on the command line is the user's own choice: the
  // engine writes it (and makes its folders) without asking, as it does
  // inside the project's folder. One the project names elsewhere is asked
  // about, and the answer is no unless --allow-outside.
  if (options.output) {
    params.Settings.OutputFile = options.output->c_str();
    VellumChooseOutput(options.output->c_str());
  }
  if (options.base_path) params.BasePath = options.base_path->c_str();
  // A stored relative output file lies below the project's folder (the
  // current one): the engine is given its full path, as it writes a relative
  // path's page into the current folder under its last part alone.
  std::string output;
  if (params.Settings.OutputFile != nullptr && *params.Settings.OutputFile != '\0') {
    std::error_code ignored;
    output = std::filesystem::absolute(params.Settings.OutputFile, ignored).string();
    params.Settings.OutputFile = output.c_str();
  }
  HTMLGSiteMap(&params, item.Flags);
}

// Upload options: each switches one of the project's stored upload
// properties on or off, for this and later uploads.
struct PropertySwitches {
  uint32_t on = 0;
  uint32_t off = 0;
};

PropertySwitches TakeUploadSwitches(Arguments& arguments) {
  struct Switch {
    const char* name;
    uint32_t bit;
  };
  const Switch switches[] = {
      {"resources", VELLUM_UPLOAD_RESOURCES},
      {"lowercase", VELLUM_UPLOAD_LOWER_CASE},
      {"skip-unchanged", VELLUM_UPLOAD_SKIP_UNCHANGED},
      {"compress", VELLUM_UPLOAD_COMPRESS},
  };
  PropertySwitches result;
  for (const Switch& option : switches) {
    if (arguments.Flag(option.name)) result.on |= option.bit;
    if (arguments.Flag(std::string("no-") + option.name)) result.off |= option.bit;
  }
  return result;
}

// The exit status of a scan that ran but met links it could not read.
constexpr int kBrokenLinksStatus = 3;

// A whole number option of at least minimum.
std::optional<int32_t> NumberOption(Arguments& arguments, const std::string& name, int minimum) {
  const std::optional<std::string> text = arguments.Option(name);
  if (!text) return std::nullopt;
  char* end = nullptr;
  const long value = std::strtol(text->c_str(), &end, 10);
  if (text->empty() || *end != '\0' || value < minimum || value > 1000000000) {
    throw UsageError("--" + name + " takes a whole number of at least " + std::to_string(minimum));
  }
  return static_cast<int32_t>(value);
}

// The scan options this run uses: the user's for this process, and the
// site's, which the project keeps.
VellumScanOptions TakeCrawlOptions(Arguments& arguments, VellumSiteSettings& site,
                                   std::string& include, std::string& exclude) {
  auto options = VellumRecord<VellumScanOptions>();
  options.PageSeconds = NumberOption(arguments, "page-seconds", 1).value_or(0);
  options.Connections = NumberOption(arguments, "connections", 1).value_or(0);
  options.DelayMs = NumberOption(arguments, "delay", 0).value_or(0);
  options.IgnoreRobots = arguments.Flag("ignore-robots") ? 1 : 0;
  if (auto limit = NumberOption(arguments, "page-limit", 0)) site.PageLimit = *limit;
  if (auto limit = NumberOption(arguments, "depth-limit", 0)) site.DepthLimit = *limit;
  if (auto patterns = arguments.Option("include")) site.Include = (include = *patterns).c_str();
  if (auto patterns = arguments.Option("exclude")) site.Exclude = (exclude = *patterns).c_str();
  if (auto order = arguments.Option("order")) {
    if (*order == "name") {
      site.Order = VELLUM_ORDER_NAME;
    } else if (*order == "natural") {
      site.Order = VELLUM_ORDER_NATURAL;
    } else if (*order == "found") {
      site.Order = VELLUM_ORDER_FOUND;
    } else {
      throw UsageError("--order takes name, natural or found");
    }
  }
  return options;
}

// One summary of the links the scan could not read, on standard error.
void ReportBrokenLinks() {
  const int32_t count = VellumBrokenLinkCount();
  if (count == 0) return;
  std::fprintf(stderr, "%d broken link%s:\n", count, count == 1 ? "" : "s");
  for (int32_t i = 0; i < count; ++i) {
    auto link = VellumRecord<VellumBrokenLink>();
    VellumBrokenLinkAt(i, &link);
    std::fprintf(stderr, "  %s\n    %s", Printable(link.Address).c_str(),
                 Printable(link.Reason).c_str());
    if (*link.Page != '\0') std::fprintf(stderr, ", linked from %s", Printable(link.Page).c_str());
    std::fputc('\n', stderr);
  }
}

// The site's settings given on the command line are kept with the project;
// the rest of them stay as they were.
void KeepSiteSettings(const VellumSiteSettings& site) {
  auto kept = VellumRecord<VellumSiteSettings>();
  VellumGetSiteSettings(&kept);
  if (site.PageLimit >= 0) kept.PageLimit = site.PageLimit;
  if (site.DepthLimit >= 0) kept.DepthLimit = site.DepthLimit;
  if (site.Include != nullptr) kept.Include = site.Include;
  if (site.Exclude != nullptr) kept.Exclude = site.Exclude;
  if (site.Order >= 0) kept.Order = site.Order;
  const std::string kept_include = kept.Include;
  const std::string kept_exclude = kept.Exclude;
  const std::string kept_url = kept.SiteURL;
  kept.Include = kept_include.c_str();
  kept.Exclude = kept_exclude.c_str();
  kept.SiteURL = kept_url.c_str();
  VellumSetSiteSettings(&kept);
}

// What an update changed (or would change), one line per change, on
// standard output.
void PrintUpdateReport() {
  int counts[VELLUM_CHANGE_KEPT_PLACE + 1] = {};
  const int32_t total = VellumUpdateChangeCount();
  auto change = VellumRecord<VellumChange>();
  for (int32_t i = 0; i < total; ++i) {
    VellumUpdateChangeAt(i, &change);
    ++counts[change.Kind];
  }
  auto pages = VellumRecord<VellumUpdateCounts>();
  VellumLastUpdateCounts(&pages);
  std::printf(
      "%d added, %d removed, %d renamed on the site, %d edits kept "
      "(%d pages read, %d unchanged)\n",
      counts[VELLUM_CHANGE_ADDED], counts[VELLUM_CHANGE_REMOVED], counts[VELLUM_CHANGE_RENAMED],
      counts[VELLUM_CHANGE_KEPT_NAME] + counts[VELLUM_CHANGE_KEPT_GONE] +
          counts[VELLUM_CHANGE_KEPT_PLACE],
      pages.PagesRead, pages.PagesUnchanged);
  for (int32_t i = 0; i < total; ++i) {
    VellumUpdateChangeAt(i, &change);
    const std::string name = Printable(change.Name);
    const std::string address = Printable(change.Address);
    const std::string detail = Printable(change.Detail);
    switch (change.Kind) {
      case VELLUM_CHANGE_ADDED:
        std::printf("  added    %s <%s>", name.c_str(), address.c_str());
        if (*change.Parent != '\0') std::printf(" under %s", Printable(change.Parent).c_str());
        break;
      case VELLUM_CHANGE_REMOVED:
        std::printf("  removed  %s <%s>: gone from the site", name.c_str(), address.c_str());
        break;
      case VELLUM_CHANGE_RENAMED:
        std::printf("  renamed  %s <%s>: was \"%s\"", name.c_str(), address.c_str(),
                    detail.c_str());
        break;
      case VELLUM_CHANGE_KEPT_NAME:
        std::printf("  kept     %s <%s>: your name; the site now says \"%s\"", name.c_str(),
                    address.c_str(), detail.c_str());
        break;
      case VELLUM_CHANGE_KEPT_GONE:
        std::printf("  kept     %s <%s>: not found on the site, %s", name.c_str(), address.c_str(),
                    detail.c_str());
        break;
      default:
        std::printf("  kept     %s <%s>: where you moved it", name.c_str(), address.c_str());
        break;
    }
    std::putchar('\n');
  }
}

// scan --update: the site scanned again as the project's last scan did, and
// merged into the tree.
int RunUpdate(const std::string& path, int32_t choice, bool quiet, const VellumSiteSettings& site,
              const VellumScanOptions& options) {
  const auto [project, item] = OpenSiteMap(path);
  if (item == nullptr) return ExitStatus();
  if (VellumHasLastScan() == 0) {
    ReportFailure("the project keeps no scan to update from: scan it with --base or --folder");
    return ExitStatus();
  }
  KeepSiteSettings(site);
  VellumSetScanOptions(&options);
  SiteMapParams params{};
  params.Settings.OutputFile = "";
  params.Items = &item->Entries;
  int32_t updated = 0;
  bool interrupted = false;
  {
    ScanWatch watch(!quiet && isatty(STDERR_FILENO) == 1);
    updated = VellumUpdateFromSite(&params, choice);
    interrupted = VellumLastCallStopped() == 1 || watch.Interrupted();
  }
  if (interrupted) {
    std::fputs("Update stopped: the project is unchanged.\n", stderr);
    return kInterruptedStatus;
  }
  if (updated == 0) {
    ReportFailure("the update could not scan the site; the project is left as it was");
    return ExitStatus();
  }
  PrintUpdateReport();
  if ((choice & VELLUM_UPDATE_DRY_RUN) != 0) {
    std::puts("Dry run: the project is unchanged.");
  } else {
    SaveProject();
  }
  ReportBrokenLinks();
  const int status = ExitStatus();
  return status == 0 && VellumBrokenLinkCount() > 0 ? kBrokenLinksStatus : status;
}

}  // namespace

int RunScan(Arguments& arguments) {
  const std::string path = arguments.Positional("PROJECT");
  const std::optional<std::string> base = arguments.Option("base");
  const std::optional<std::string> folder = arguments.Option("folder");
  uint32_t flags = arguments.Flag("meta") ? VELLUM_SCAN_META_DESCRIPTION : 0;
  const bool quiet = arguments.Flag("quiet");
  const bool update = arguments.Flag("update");
  const bool dry_run = arguments.Flag("dry-run");
  const bool trust_sitemap = arguments.Flag("trust-sitemap");
  if ((dry_run || trust_sitemap) && !update) {
    throw UsageError("--dry-run and --trust-sitemap go with --update");
  }
  if (update) {
    if (base || folder || flags != 0) {
      throw UsageError("--update scans as the last scan did: no --base, --folder or --meta");
    }
    auto site = VellumRecord<VellumSiteSettings>();
    site.PageLimit = site.DepthLimit = site.Order = -1;
    std::string include;
    std::string exclude;
    const VellumScanOptions options = TakeCrawlOptions(arguments, site, include, exclude);
    arguments.ExpectEnd();
    return RunUpdate(
        path,
        (dry_run ? VELLUM_UPDATE_DRY_RUN : 0) | (trust_sitemap ? VELLUM_UPDATE_TRUST_SITEMAP : 0),
        quiet, site, options);
  }
  if (base.has_value() == folder.has_value()) throw UsageError("give either --base or --folder");

  SiteMapParams params{};
  std::string start;
  if (base) {
    start = IsWebAddress(*base) ? *base : AbsolutePath(*base);
    params.Settings.Mode = 0;
    flags |= VELLUM_SCAN_INCLUDE_BASE;
    if (!arguments.Flag("keep-bookmarks")) flags |= VELLUM_SCAN_IGNORE_BOOKMARKS;
    if (!arguments.Flag("keep-arguments")) flags |= VELLUM_SCAN_IGNORE_ARGUMENTS;
    if (auto other = arguments.Option("other-sites")) flags |= OtherSitesFlags(*other);
  } else {
    start = AbsolutePath(*folder);
    if (start.back() != '/') start += '/';
    params.Settings.Mode = 1;
    flags |= VELLUM_SCAN_IGNORE_BOOKMARKS | VELLUM_SCAN_IGNORE_ARGUMENTS;
  }
  auto site = VellumRecord<VellumSiteSettings>();
  site.PageLimit = -1;
  site.DepthLimit = -1;
  site.Order = -1;
  std::string include;
  std::string exclude;
  const VellumScanOptions options = TakeCrawlOptions(arguments, site, include, exclude);
  arguments.ExpectEnd();

  const auto [project, item] = OpenSiteMap(path);
  if (item == nullptr) return ExitStatus();
  KeepSiteSettings(site);
  VellumSetScanOptions(&options);

  params.BasePath = start.c_str();
  params.Settings.OutputFile = "";
  params.Items = &item->Entries;
  int32_t found = 0;
  bool interrupted = false;
  {
    ScanWatch watch(!quiet && isatty(STDERR_FILENO) == 1);
    found = HTMLgenSiteMap(&params, flags);
    interrupted = VellumLastCallStopped() == 1 || watch.Interrupted();
  }
  // Ctrl+C keeps the project file as it was, even when the last page was
  // already read.
  if (interrupted) {
    std::fputs("Scan stopped: the project is unchanged.\n", stderr);
    return kInterruptedStatus;
  }
  // A scan that could not start keeps the tree, and the project unsaved.
  if (found == 0) {
    ReportFailure("the scan found no site; the project is left as it was");
    return ExitStatus();
  }
  SaveProject();
  ReportBrokenLinks();
  const int status = ExitStatus();
  return status == 0 && VellumBrokenLinkCount() > 0 ? kBrokenLinksStatus : status;
}

int RunGenerate(Arguments& arguments) {
  const std::string path = arguments.Positional("PROJECT");
  const GenerateOptions options = TakeGenerateOptions(arguments);
  if (arguments.Flag("allow-outside")) AnswerYes();
  arguments.ExpectEnd();

  const auto [project, item] = OpenSiteMap(path);
  if (item == nullptr) return ExitStatus();
  Generate(*item, options);
  SaveProject();
  return ExitStatus();
}

int RunUpload(Arguments& arguments, bool generate_first) {
  const std::string path = arguments.Positional("PROJECT");
  const GenerateOptions options =
      generate_first ? TakeGenerateOptions(arguments) : GenerateOptions{};
  const PropertySwitches switches = TakeUploadSwitches(arguments);
  if (arguments.Flag("allow-outside")) AnswerYes();
  arguments.ExpectEnd();

  const auto [project, item] = OpenSiteMap(path);
  if (item == nullptr) return ExitStatus();
  if (generate_first) Generate(*item, options);

  if (project->TargetCount == 0) std::puts("The project has no upload targets.");
  std::vector<uint8_t> selection(project->TargetCount > 0 ? project->TargetCount : 1, 1);
  UploadRequest request{(project->UploadProperties | switches.on) & ~switches.off,
                        project->CompessProperties, selection.data(), 0};
  HTMLprjUpload(&request);
  SaveProject();
  // Any file that did not arrive fails the command, with the tally.
  auto counts = VellumRecord<VellumUploadCounts>();
  VellumLastUploadCounts(&counts);
  if (counts.Failed > 0) {
    ReportFailure(std::to_string(counts.Sent) + " sent, " + std::to_string(counts.Skipped) +
                  " skipped, " + std::to_string(counts.Failed) + " failed");
  }
  return ExitStatus();
}

}  // namespace vellumark

// The exported C interface. Each export is a thin entry that forwards to the
// subsystem owning the work; no exception crosses this boundary.
#include <algorithm>
#include <initializer_list>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "config/config_file.h"
#include "config/engine_config.h"
#include "config/start_up.h"
#include "core/counted_string_list.h"
#include "core/map_item_list.h"
#include "core/messages.h"
#include "core/progress.h"
#include "core/signal_cleanup.h"
#include "core/text_utils.h"
#include "generate/output_files.h"
#include "generate/schemes.h"
#include "generate/site_map.h"
#include "project/project.h"
#include "project/site_settings.h"
#include "publish/credentials.h"
#include "publish/upload.h"
#include "scan/site_scan.h"
#include "update/update.h"
#include "vellum/vellum.h"
#include "web/page_access.h"

namespace {

using namespace vellum;

// Reported when an export stops on an exception that no operation handles.
constexpr int kUnexpectedFailure = 999;

template <typename Result, typename Work>
Result Shielded(Result on_failure, Work&& work) noexcept {
  try {
    return work();
  } catch (const std::bad_alloc&) {
    core::ReportMemoryOverflow();
  } catch (...) {
    core::ReportRuntimeError(kUnexpectedFailure);
  }
  return on_failure;
}

Project* ProjectPointer() { return &project::TheProject(); }

// The scan options of the process (VellumSetScanOptions) and what the last
// scan reported.
scan::ScanReport last_scan_report;

// What the last update from the site changed, or would change.
std::vector<update::Change> last_update_changes;

// Whether the last scan or upload ended because the progress callback asked
// it to; each of them clears it as it starts.
bool last_call_stopped = false;

// The pointers an export cannot work without: false, reported through the
// error callback, when any of them is null.
bool Given(const char* function, std::initializer_list<const void*> pointers) {
  for (const void* pointer : pointers) {
    if (pointer == nullptr) {
      core::ReportError(core::FormatText("%s: a required argument is null", function).c_str());
      return false;
    }
  }
  return true;
}

// HTMLsvItem, and with a flag word VellumStoreItem.
int32_t StoreItem(const char* function, const ItemStore* request, const uint32_t* flags) {
  return Shielded(0, [&] {
    if (!Given(function, {request}) || !Given(function, {request->Item, request->Params})) {
      return 0;
    }
    ScriptItem& item = *request->Item;
    project::StoreItemAndFlags(project::TheProject(), item, *request->Params,
                               flags != nullptr ? *flags : item.Flags);
    return 0;
  });
}

// Start-up reaches the subsystems above config only through these hooks.
int StartEngine(const char* program_path) {
  config::SetStartUpHooks({
      .load_schemes = generate::LoadSchemes,
      .release_schemes = generate::ReleaseSchemes,
      .purge_page_cache = web::PurgePageCache,
  });
  return config::StartUp(program_path);
}

}  // namespace

extern "C" {

VELLUM_API int32_t HTMLinitmess(InfoCallback info, ErrorCallback error, QuestionCallback question,
                                int32_t /*reserved1*/, int32_t /*reserved2*/,
                                const char* program_path) {
  return Shielded(1, [&] {
    // The callbacks are stored even when start-up stopped on an exception.
    Shielded(0, [&] { return StartEngine(program_path); });
    core::InstallMessageSink({info, error, question});
    return 1;
  });
}

VELLUM_API EngineConfig* HTMLgetCfg(int32_t /*unused*/) { return &config::TheConfig(); }

VELLUM_API EngineConfig* HTMLputCfg(const EngineConfig* settings) {
  return Shielded(&config::TheConfig(), [&] {
    if (!Given("HTMLputCfg", {settings})) return &config::TheConfig();
    config::PutConfig(*settings);
    return &config::TheConfig();
  });
}

VELLUM_API Project* HTMLprjOpen(const char* path) {
  return Shielded(ProjectPointer(), [&] {
    project::Open(project::TheProject(), path);
    return ProjectPointer();
  });
}

VELLUM_API Project* HTMLprjClose(int32_t /*unused*/) {
  return Shielded(ProjectPointer(), [&] {
    project::Close(project::TheProject());
    return ProjectPointer();
  });
}

VELLUM_API Project* HTMLprjSave(const char* path) {
  return Shielded<Project*>(nullptr, [&] {
    return project::Save(project::TheProject(), path) ? ProjectPointer() : nullptr;
  });
}

VELLUM_API Project* HTMLparam(const ProjectParams* params) {
  return Shielded<Project*>(nullptr, [&]() -> Project* {
    if (!Given("HTMLparam", {params})) return nullptr;
    return project::SetParameters(project::TheProject(), *params) > 0 ? ProjectPointer() : nullptr;
  });
}

VELLUM_API int32_t HTMLchsource(const SourceChange* change) {
  return Shielded(0, [&] {
    if (!Given("HTMLchsource", {change})) return 0;
    project::ChangeSource(project::TheProject(), *change);
    return 0;
  });
}

VELLUM_API Project* HTMLprjAdd(const AddRequest* request) {
  return Shielded<Project*>(nullptr, [&]() -> Project* {
    if (!Given("HTMLprjAdd", {request})) return nullptr;
    return project::AddItem(project::TheProject(), *request) > 0 ? ProjectPointer() : nullptr;
  });
}

VELLUM_API int32_t HTMLprjDelete(int32_t* index) {
  return Shielded(0, [&] {
    if (!Given("HTMLprjDelete", {index})) return 0;
    project::DeleteItem(project::TheProject(), *index);
    return 0;
  });
}

VELLUM_API int32_t HTMLprjUp(int32_t* index) {
  return Shielded(0, [&] {
    if (!Given("HTMLprjUp", {index})) return 0;
    project::MoveItemUp(project::TheProject(), *index);
    return 0;
  });
}

VELLUM_API int32_t HTMLprjDown(int32_t* index) {
  return Shielded(0, [&] {
    if (!Given("HTMLprjDown", {index})) return 0;
    project::MoveItemDown(project::TheProject(), *index);
    return 0;
  });
}

VELLUM_API CountedStringList* HTMLprjFind(const FindRequest* request) {
  return Shielded(&project::FoundFiles(), [&] {
    if (!Given("HTMLprjFind", {request})) return &project::FoundFiles();
    project::Find(project::TheProject(), *request, project::FoundFiles());
    return &project::FoundFiles();
  });
}

VELLUM_API int32_t HTMLprjEFind(void) {
  core::Clear(project::FoundFiles());
  return 0;
}

VELLUM_API int32_t HTMLprjPrm(PrmRequest* request) {
  return Shielded(0, [&] {
    if (!Given("HTMLprjPrm", {request})) return 0;
    project::ChangeTargets(project::TheProject(), *request);
    return 0;
  });
}

VELLUM_API int32_t HTMLsvItem(const ItemStore* request) {
  return StoreItem("HTMLsvItem", request, nullptr);
}

VELLUM_API int32_t HTMLgenSiteMap(const SiteMapParams* params, uint32_t flags) {
  last_call_stopped = false;
  return Shielded(1, [&] {
    if (!Given("HTMLgenSiteMap", {params}) || !Given("HTMLgenSiteMap", {params->Items})) return 0;
    StartEngine(nullptr);
    // The tree is replaced only by a scan that could start and ran to its
    // end: one that cannot read its base, or that the user stopped, leaves
    // the user's tree as it was.
    core::Progress progress(VELLUM_PROGRESS_SCAN);
    MapItemList scanned{};
    last_scan_report = {};
    const int result = scan::ScanSite(*params, scanned, flags, project::CrawlSettingsNow(),
                                      progress, last_scan_report);
    if (result == 0 || progress.stopped()) {
      core::Clear(scanned);
      last_call_stopped = progress.stopped();
      if (last_call_stopped) core::ReportInfo("Scan stopped\n");
      return 0;
    }
    // What the scan learnt of its site stays with the project.
    update::KeepScan(*params, flags, scanned, last_scan_report);
    core::Clear(*params->Items);
    *params->Items = scanned;
    return 1;
  });
}

VELLUM_API int32_t HTMLGSiteMap(const SiteMapParams* params, uint32_t flags) {
  return Shielded(1, [&] {
    if (!Given("HTMLGSiteMap", {params}) || !Given("HTMLGSiteMap", {params->Items})) return 0;
    return generate::GenerateSiteMap(*params, flags);
  });
}

VELLUM_API int32_t HTMLprjUpload(const UploadRequest* request) {
  last_call_stopped = false;
  return Shielded(0, [&] {
    if (!Given("HTMLprjUpload", {request})) return 0;
    core::Progress progress(VELLUM_PROGRESS_UPLOAD);
    publish::Upload(project::TheProject(), *request, progress);
    last_call_stopped = progress.stopped();
    return 0;
  });
}

VELLUM_API VellumUploadCounts VellumLastUploadCounts(void) { return publish::LastUploadCounts(); }

VELLUM_API int32_t VellumStoreItem(const ItemStore* request, uint32_t flags) {
  return StoreItem("VellumStoreItem", request, &flags);
}

VELLUM_API int32_t VellumCleanUpOnSignals(void) {
  core::InstallSignalCleanup();
  return 1;
}

VELLUM_API MapItem* VellumTreeAppend(MapItemList* list, const char* url, const char* name) {
  if (list == nullptr) return nullptr;
  return Shielded<MapItem*>(nullptr, [&] { return core::Append(*list, url, name); });
}

VELLUM_API MapItem* VellumTreeInsertAfter(MapItemList* root, const MapItem* entry) {
  if (root == nullptr) return nullptr;
  return Shielded<MapItem*>(nullptr, [&] { return core::InsertAfter(*root, entry); });
}

VELLUM_API int32_t VellumTreeMove(MapItemList* root, const MapItem* entry, int32_t down) {
  return root == nullptr ? 0 : core::Move(*root, entry, down != 0);
}

VELLUM_API int32_t VellumTreeRemove(MapItemList* root, const MapItem* entry) {
  return root == nullptr ? 0 : core::Remove(*root, entry);
}

VELLUM_API int32_t VellumTreeSetText(const char** text, const char* value) {
  if (text == nullptr) return 0;
  return Shielded(0, [&] { return core::SetText(*text, value) ? 1 : 0; });
}

VELLUM_API MapItem* VellumTreeEntry(MapItemList* root, const int32_t* rows, int32_t depth) {
  if (root == nullptr || rows == nullptr || depth < 1) return nullptr;
  MapItem* entry = nullptr;
  for (MapItemList* list = root; depth > 0; --depth, ++rows) {
    if (*rows < 0 || *rows >= list->Count) return nullptr;
    entry = &list->Items[*rows];
    list = &entry->Children;
  }
  return entry;
}

VELLUM_API int32_t VellumTreeSize(const MapItemList* list) {
  return list == nullptr ? 0 : core::CountAll(*list);
}

VELLUM_API MapItem* VellumTreeInsert(MapItemList* list, int32_t index, const char* url,
                                     const char* name) {
  if (list == nullptr) return nullptr;
  return Shielded<MapItem*>(nullptr, [&] { return core::InsertAt(*list, index, url, name); });
}

VELLUM_API int32_t VellumTreeTransfer(MapItemList* from, int32_t index, MapItemList* to,
                                      int32_t to_index) {
  if (from == nullptr || to == nullptr) return 0;
  return Shielded(0, [&] { return core::Transfer(*from, index, *to, to_index) ? 1 : 0; });
}

VELLUM_API int32_t VellumTreeSwap(MapItemList* a, MapItemList* b) {
  if (a == nullptr || b == nullptr) return 0;
  std::swap(*a, *b);
  return 1;
}

VELLUM_API int32_t VellumTreeClear(MapItemList* list) {
  if (list == nullptr) return 0;
  core::Clear(*list);
  return 1;
}

VELLUM_API int32_t VellumChooseOutput(const char* path) {
  return Shielded(1, [&] {
    generate::ChooseOutput(path);
    return 1;
  });
}

VELLUM_API int32_t VellumSetProgressCallback(VellumProgressCallback callback) {
  core::SetProgressCallback(callback);
  return 1;
}

VELLUM_API int32_t VellumLastCallStopped(void) { return last_call_stopped ? 1 : 0; }

VELLUM_API VellumUploadCounts VellumLastUploadTargetCounts(int32_t index) {
  return publish::LastUploadTargetCounts(index);
}

VELLUM_API int32_t VellumLastUploadNotSent(void) { return publish::LastUploadNotSent(); }

VELLUM_API int32_t VellumSetScanOptions(const VellumScanOptions* options) {
  if (options == nullptr) return 0;
  project::TheScanOptions() = *options;
  return 1;
}

VELLUM_API int32_t VellumBrokenLinkCount(void) {
  return static_cast<int32_t>(last_scan_report.broken.size());
}

VELLUM_API VellumBrokenLink VellumBrokenLinkAt(int32_t index) {
  if (index < 0 || index >= VellumBrokenLinkCount()) return {};
  const scan::BrokenLink& link = last_scan_report.broken[static_cast<std::size_t>(index)];
  return {link.address.c_str(), link.page.c_str(), link.status, link.reason.c_str()};
}

VELLUM_API VellumSiteSettings VellumGetSiteSettings(void) {
  const project::SiteSettings& site = project::TheSiteSettings();
  return {site.page_limit, site.depth_limit,      site.include.c_str(), site.exclude.c_str(),
          site.order,      site.site_url.c_str(), site.sitemap_extras};
}

VELLUM_API int32_t VellumSetSiteSettings(const VellumSiteSettings* settings) {
  return Shielded(0, [&] {
    if (!Given("VellumSetSiteSettings", {settings})) return 0;
    project::SiteSettings& site = project::TheSiteSettings();
    bool changed = false;
    const auto update = [&changed](auto& member, const auto& value) {
      if (member == value) return;
      member = value;
      changed = true;
    };
    const auto text = [](const char* value) { return std::string(value != nullptr ? value : ""); };
    update(site.page_limit, std::max(settings->PageLimit, 0));
    update(site.depth_limit, std::max(settings->DepthLimit, 0));
    update(site.include, text(settings->Include));
    update(site.exclude, text(settings->Exclude));
    update(site.order, settings->Order);
    update(site.site_url, text(settings->SiteURL));
    update(site.sitemap_extras, settings->SitemapExtras & project::kSitemapExtras);
    if (changed) project::TheProject().Modified = 1;
    return changed ? 1 : 0;
  });
}

VELLUM_API int32_t VellumUpdateFromSite(const SiteMapParams* params, int32_t dry_run) {
  last_call_stopped = false;
  return Shielded(0, [&] {
    last_update_changes.clear();
    if (!Given("VellumUpdateFromSite", {params}) ||
        !Given("VellumUpdateFromSite", {params->Items})) {
      return 0;
    }
    StartEngine(nullptr);
    core::Progress progress(VELLUM_PROGRESS_SCAN);
    last_scan_report = {};
    const int result =
        update::UpdateFromSite(params->Settings.OutputFile, *params->Items, dry_run != 0, progress,
                               last_scan_report, last_update_changes);
    last_call_stopped = progress.stopped();
    if (last_call_stopped) core::ReportInfo("Scan stopped\n");
    return result;
  });
}

VELLUM_API int32_t VellumHasLastScan(void) {
  return project::TheSiteSettings().last_scan.Kept() ? 1 : 0;
}

VELLUM_API int32_t VellumUpdateChangeCount(void) {
  return static_cast<int32_t>(last_update_changes.size());
}

VELLUM_API VellumChange VellumUpdateChangeAt(int32_t index) {
  if (index < 0 || index >= VellumUpdateChangeCount()) return {};
  const update::Change& change = last_update_changes[static_cast<std::size_t>(index)];
  return {change.kind, change.url.c_str(), change.name.c_str(), change.detail.c_str(),
          change.parent.c_str()};
}

VELLUM_API VellumUpdateCounts VellumLastUpdateCounts(void) {
  return {last_scan_report.pages_read, last_scan_report.pages_unchanged};
}

VELLUM_API VellumPageSettings VellumGetPageSettings(void) {
  const project::PageSettings& page = project::ThePageSettings();
  return {page.markup, page.lang.c_str()};
}

VELLUM_API int32_t VellumSetPageSettings(const VellumPageSettings* settings) {
  return Shielded(0, [&] {
    if (!Given("VellumSetPageSettings", {settings})) return 0;
    const std::string lang = settings->Lang != nullptr ? settings->Lang : "";
    if (!project::IsMarkup(settings->Markup) || (!lang.empty() && !core::IsLanguageTag(lang))) {
      return 0;
    }
    project::PageSettings& page = project::ThePageSettings();
    if (page.markup == settings->Markup && page.lang == lang) return 0;
    page.markup = settings->Markup;
    page.lang = lang;
    project::TheProject().Modified = 1;
    return 1;
  });
}

VELLUM_API VellumTargetSecurity VellumGetTargetSecurity(int32_t index) {
  const Project& project = project::TheProject();
  if (index < 0 || index >= project.TargetCount) return {};
  const project::TargetSecurity& security = project::SecurityOf(project, index);
  const auto text = [](const std::string& value) {
    return value.empty() ? nullptr : value.c_str();
  };
  return {security.protocol, text(security.key_file), text(security.ca_file),
          security.password_from};
}

VELLUM_API int32_t VellumSetTargetSecurity(int32_t index, const VellumTargetSecurity* security) {
  return Shielded(0, [&] {
    if (!Given("VellumSetTargetSecurity", {security})) return 0;
    if (project::ProtocolName(security->Protocol)[0] == '\0' ||
        (security->PasswordFrom != VELLUM_PASSWORD_PROJECT &&
         project::PasswordSourceName(security->PasswordFrom)[0] == '\0')) {
      return 0;
    }
    const auto text = [](const char* value) { return std::string(value != nullptr ? value : ""); };
    project::TargetSecurity settings{security->Protocol, text(security->KeyFile),
                                     text(security->CAFile), security->PasswordFrom};
    return project::SetSecurity(project::TheProject(), index, std::move(settings)) ? 1 : 0;
  });
}

VELLUM_API int32_t VellumSetPasswordCallback(VellumPasswordCallback callback) {
  publish::SetPasswordCallback(callback);
  return 1;
}

}  // extern "C"

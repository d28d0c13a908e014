// The exported C interface. Each export is a thin entry that forwards to the
// subsystem owning the work; no exception crosses this boundary.
#include <algorithm>
#include <cstring>
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
#include "core/owned.h"
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

// A call from inside one of the engine's callbacks: the engine is in the
// middle of a call on this thread, so the export does nothing. Told once
// per callback, so that a callback that calls again when told is not told
// without end.
void ReportRefusal(const char* function) {
  thread_local bool reporting = false;
  if (reporting) return;
  reporting = true;
  core::ReportError(
      core::FormatText("%s: refused, called from inside a callback of the engine", function)
          .c_str());
  reporting = false;
}

// Every export runs its work through this: refused from inside a callback,
// with the result 0 or null; an exception ends it with on_exception after
// its report, and never leaves it.
template <typename Result, typename Work>
Result Export(const char* function, Result on_exception, Work&& work) noexcept {
  try {
    if (core::InsideCallback()) {
      ReportRefusal(function);
      return Result{};
    }
    return work();
  } catch (const std::bad_alloc&) {
    core::ReportMemoryOverflow();
  } catch (...) {
    core::ReportRuntimeError(kUnexpectedFailure);
  }
  return on_exception;
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

// A record of this engine's extensions (Size first) that the caller gives
// or has filled: false, reported, when it is null or its Size is not one
// this engine knows. Each record has had one size so far; when one grows,
// its older size joins here, and ReadRecord and FillRecord serve it as far
// as it goes.
template <typename Record>
bool Known(const char* function, const Record* record) {
  if (!Given(function, {record})) return false;
  if (record->Size == sizeof(Record)) return true;
  core::ReportError(core::FormatText("%s: a record of %u bytes is not one this engine knows "
                                     "(%zu bytes): make it with VELLUM_RECORD_INIT",
                                     function, record->Size, sizeof(Record))
                        .c_str());
  return false;
}

// The caller's record as this engine's version of it; members that its
// version lacks are zero.
template <typename Record>
Record ReadRecord(const Record& given) {
  Record full{};
  std::memcpy(&full, &given, std::min<std::size_t>(given.Size, sizeof full));
  return full;
}

// Fills the caller's record with as much of full as its version holds.
// Returns 1.
template <typename Record>
int32_t FillRecord(Record& out, Record full) {
  full.Size = out.Size;
  std::memcpy(&out, &full, std::min<std::size_t>(out.Size, sizeof full));
  return 1;
}

VellumUploadCounts Published(const publish::UploadCounts& counts) {
  return {sizeof(VellumUploadCounts), counts.sent, counts.skipped, counts.failed};
}

// HTMLsvItem, and with a flag word VellumStoreItem.
int32_t StoreItem(const char* function, const ItemStore* request, const uint32_t* flags) {
  return Export(function, 0, [&] {
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

VELLUM_API uint32_t VellumVersion(void) {
  return Export("VellumVersion", 0u, [] { return uint32_t{VELLUM_VERSION_NUMBER}; });
}

VELLUM_API int32_t HTMLinitmess(InfoCallback info, ErrorCallback error, QuestionCallback question,
                                int32_t /*reserved1*/, int32_t /*reserved2*/,
                                const char* program_path) {
  return Export("HTMLinitmess", 1, [&] {
    // The callbacks are stored even when start-up stopped on an exception.
    Export("HTMLinitmess", 0, [&] { return StartEngine(program_path); });
    core::InstallMessageSink({info, error, question});
    return 1;
  });
}

VELLUM_API EngineConfig* HTMLgetCfg(int32_t /*unused*/) {
  return Export("HTMLgetCfg", &config::TheConfig(), [] { return &config::TheConfig(); });
}

VELLUM_API EngineConfig* HTMLputCfg(const EngineConfig* settings) {
  return Export("HTMLputCfg", &config::TheConfig(), [&] {
    if (!Given("HTMLputCfg", {settings})) return &config::TheConfig();
    config::PutConfig(*settings);
    return &config::TheConfig();
  });
}

VELLUM_API Project* HTMLprjOpen(const char* path) {
  return Export("HTMLprjOpen", ProjectPointer(), [&] {
    project::Open(project::TheProject(), path);
    return ProjectPointer();
  });
}

VELLUM_API Project* HTMLprjClose(int32_t /*unused*/) {
  return Export("HTMLprjClose", ProjectPointer(), [&] {
    project::Close(project::TheProject());
    return ProjectPointer();
  });
}

VELLUM_API Project* HTMLprjSave(const char* path) {
  return Export<Project*>("HTMLprjSave", nullptr, [&] {
    return project::Save(project::TheProject(), path) ? ProjectPointer() : nullptr;
  });
}

VELLUM_API Project* HTMLparam(const ProjectParams* params) {
  return Export<Project*>("HTMLparam", nullptr, [&]() -> Project* {
    if (!Given("HTMLparam", {params})) return nullptr;
    return project::SetParameters(project::TheProject(), *params) > 0 ? ProjectPointer() : nullptr;
  });
}

VELLUM_API int32_t HTMLchsource(const SourceChange* change) {
  return Export("HTMLchsource", 0, [&] {
    if (!Given("HTMLchsource", {change})) return 0;
    project::ChangeSource(project::TheProject(), *change);
    return 0;
  });
}

VELLUM_API Project* HTMLprjAdd(const AddRequest* request) {
  return Export<Project*>("HTMLprjAdd", nullptr, [&]() -> Project* {
    if (!Given("HTMLprjAdd", {request})) return nullptr;
    return project::AddItem(project::TheProject(), *request) > 0 ? ProjectPointer() : nullptr;
  });
}

VELLUM_API int32_t HTMLprjDelete(int32_t* index) {
  return Export("HTMLprjDelete", 0, [&] {
    if (!Given("HTMLprjDelete", {index})) return 0;
    project::DeleteItem(project::TheProject(), *index);
    return 0;
  });
}

VELLUM_API int32_t HTMLprjUp(int32_t* index) {
  return Export("HTMLprjUp", 0, [&] {
    if (!Given("HTMLprjUp", {index})) return 0;
    project::MoveItemUp(project::TheProject(), *index);
    return 0;
  });
}

VELLUM_API int32_t HTMLprjDown(int32_t* index) {
  return Export("HTMLprjDown", 0, [&] {
    if (!Given("HTMLprjDown", {index})) return 0;
    project::MoveItemDown(project::TheProject(), *index);
    return 0;
  });
}

VELLUM_API CountedStringList* HTMLprjFind(const FindRequest* request) {
  return Export("HTMLprjFind", &project::FoundFiles(), [&] {
    if (!Given("HTMLprjFind", {request})) return &project::FoundFiles();
    project::Find(project::TheProject(), *request, project::FoundFiles());
    return &project::FoundFiles();
  });
}

VELLUM_API int32_t HTMLprjEFind(void) {
  return Export("HTMLprjEFind", 0, [] {
    core::Clear(project::FoundFiles());
    return 0;
  });
}

VELLUM_API int32_t HTMLprjPrm(PrmRequest* request) {
  return Export("HTMLprjPrm", 0, [&] {
    if (!Given("HTMLprjPrm", {request})) return 0;
    project::ChangeTargets(project::TheProject(), *request);
    return 0;
  });
}

VELLUM_API int32_t HTMLsvItem(const ItemStore* request) {
  return StoreItem("HTMLsvItem", request, nullptr);
}

VELLUM_API int32_t HTMLgenSiteMap(const SiteMapParams* params, uint32_t flags) {
  return Export("HTMLgenSiteMap", 0, [&] {
    last_call_stopped = false;
    if (!Given("HTMLgenSiteMap", {params}) || !Given("HTMLgenSiteMap", {params->Items})) return 0;
    StartEngine(nullptr);
    // The tree is replaced only by a scan that could start and ran to its
    // end: one that cannot read its base, or that the user stopped, leaves
    // the user's tree as it was.
    core::Progress progress(VELLUM_PROGRESS_SCAN);
    core::Owned<MapItemList> scanned;
    last_scan_report = {};
    const int result = scan::ScanSite(*params, *scanned, flags, project::CrawlSettingsNow(),
                                      progress, last_scan_report);
    if (result == 0 || progress.stopped()) {
      last_call_stopped = progress.stopped();
      if (last_call_stopped) core::ReportInfo("Scan stopped\n");
      return 0;
    }
    // What the scan learnt of its site stays with the project.
    update::KeepScan(*params, flags, *scanned, last_scan_report);
    core::Clear(*params->Items);
    *params->Items = scanned.Release();
    return 1;
  });
}

VELLUM_API int32_t HTMLGSiteMap(const SiteMapParams* params, uint32_t flags) {
  return Export("HTMLGSiteMap", 0, [&] {
    if (!Given("HTMLGSiteMap", {params}) || !Given("HTMLGSiteMap", {params->Items})) return 0;
    return generate::GenerateSiteMap(*params, flags);
  });
}

VELLUM_API int32_t HTMLprjUpload(const UploadRequest* request) {
  return Export("HTMLprjUpload", 0, [&] {
    last_call_stopped = false;
    if (!Given("HTMLprjUpload", {request})) return 0;
    core::Progress progress(VELLUM_PROGRESS_UPLOAD);
    publish::Upload(project::TheProject(), *request, progress);
    last_call_stopped = progress.stopped();
    return 0;
  });
}

VELLUM_API int32_t VellumLastUploadCounts(VellumUploadCounts* counts) {
  return Export("VellumLastUploadCounts", 0, [&] {
    if (!Known("VellumLastUploadCounts", counts)) return 0;
    return FillRecord(*counts, Published(publish::LastUploadCounts()));
  });
}

VELLUM_API int32_t VellumStoreItem(const ItemStore* request, uint32_t flags) {
  return StoreItem("VellumStoreItem", request, &flags);
}

VELLUM_API int32_t VellumCleanUpOnSignals(void) {
  return Export("VellumCleanUpOnSignals", 0, [] {
    core::InstallSignalCleanup();
    return 1;
  });
}

VELLUM_API MapItem* VellumTreeAppend(MapItemList* list, const char* url, const char* name) {
  return Export<MapItem*>("VellumTreeAppend", nullptr, [&]() -> MapItem* {
    return list == nullptr ? nullptr : core::Append(*list, url, name);
  });
}

VELLUM_API MapItem* VellumTreeInsertAfter(MapItemList* root, const MapItem* entry) {
  return Export<MapItem*>("VellumTreeInsertAfter", nullptr, [&]() -> MapItem* {
    return root == nullptr ? nullptr : core::InsertAfter(*root, entry);
  });
}

VELLUM_API int32_t VellumTreeMove(MapItemList* root, const MapItem* entry, int32_t down) {
  return Export("VellumTreeMove", 0,
                [&] { return root == nullptr ? 0 : core::Move(*root, entry, down != 0); });
}

VELLUM_API int32_t VellumTreeRemove(MapItemList* root, const MapItem* entry) {
  return Export("VellumTreeRemove", 0,
                [&] { return root == nullptr ? 0 : core::Remove(*root, entry); });
}

VELLUM_API int32_t VellumTreeSetText(const char** text, const char* value) {
  return Export("VellumTreeSetText", 0,
                [&] { return text != nullptr && core::SetText(*text, value) ? 1 : 0; });
}

VELLUM_API MapItem* VellumTreeEntry(MapItemList* root, const int32_t* rows, int32_t depth) {
  return Export<MapItem*>("VellumTreeEntry", nullptr, [&]() -> MapItem* {
    if (root == nullptr || rows == nullptr || depth < 1) return nullptr;
    MapItem* entry = nullptr;
    for (MapItemList* list = root; depth > 0; --depth, ++rows) {
      if (*rows < 0 || *rows >= list->Count) return nullptr;
      entry = &list->Items[*rows];
      list = &entry->Children;
    }
    return entry;
  });
}

VELLUM_API int32_t VellumTreeSize(const MapItemList* list) {
  return Export("VellumTreeSize", 0, [&] { return list == nullptr ? 0 : core::CountAll(*list); });
}

VELLUM_API MapItem* VellumTreeInsert(MapItemList* list, int32_t index, const char* url,
                                     const char* name) {
  return Export<MapItem*>("VellumTreeInsert", nullptr, [&]() -> MapItem* {
    return list == nullptr ? nullptr : core::InsertAt(*list, index, url, name);
  });
}

VELLUM_API int32_t VellumTreeTransfer(MapItemList* from, int32_t index, MapItemList* to,
                                      int32_t to_index) {
  return Export("VellumTreeTransfer", 0, [&] {
    return from != nullptr && to != nullptr && core::Transfer(*from, index, *to, to_index) ? 1 : 0;
  });
}

VELLUM_API int32_t VellumTreeSwap(MapItemList* a, MapItemList* b) {
  return Export("VellumTreeSwap", 0, [&] {
    if (a == nullptr || b == nullptr) return 0;
    std::swap(*a, *b);
    return 1;
  });
}

VELLUM_API int32_t VellumTreeClear(MapItemList* list) {
  return Export("VellumTreeClear", 0, [&] {
    if (list == nullptr) return 0;
    core::Clear(*list);
    return 1;
  });
}

VELLUM_API int32_t VellumChooseOutput(const char* path) {
  return Export("VellumChooseOutput", 1, [&] {
    generate::ChooseOutput(path);
    return 1;
  });
}

VELLUM_API int32_t VellumSetProgressCallback(VellumProgressCallback callback) {
  return Export("VellumSetProgressCallback", 0, [&] {
    core::SetProgressCallback({.plain = callback});
    return 1;
  });
}

VELLUM_API int32_t VellumSetProgressHandler(VellumProgressHandler handler, void* user_data) {
  return Export("VellumSetProgressHandler", 0, [&] {
    core::SetProgressCallback({.handler = handler, .user_data = user_data});
    return 1;
  });
}

VELLUM_API int32_t VellumLastCallStopped(void) {
  return Export("VellumLastCallStopped", 0, [] { return last_call_stopped ? 1 : 0; });
}

VELLUM_API int32_t VellumLastUploadTargetCounts(int32_t index, VellumUploadCounts* counts) {
  return Export("VellumLastUploadTargetCounts", 0, [&] {
    if (!Known("VellumLastUploadTargetCounts", counts)) return 0;
    return FillRecord(*counts, Published(publish::LastUploadTargetCounts(index)));
  });
}

VELLUM_API int32_t VellumLastUploadNotSent(void) {
  return Export("VellumLastUploadNotSent", 0, [] { return publish::LastUploadNotSent(); });
}

VELLUM_API int32_t VellumSetScanOptions(const VellumScanOptions* options) {
  return Export("VellumSetScanOptions", 0, [&] {
    if (!Known("VellumSetScanOptions", options)) return 0;
    project::TheScanOptions() = ReadRecord(*options);
    return 1;
  });
}

VELLUM_API int32_t VellumBrokenLinkCount(void) {
  return Export("VellumBrokenLinkCount", 0,
                [] { return static_cast<int32_t>(last_scan_report.broken.size()); });
}

VELLUM_API int32_t VellumBrokenLinkAt(int32_t index, VellumBrokenLink* link) {
  return Export("VellumBrokenLinkAt", 0, [&] {
    if (!Known("VellumBrokenLinkAt", link)) return 0;
    const bool found = index >= 0 && index < static_cast<int32_t>(last_scan_report.broken.size());
    if (!found) {
      FillRecord(*link, {});
      return 0;
    }
    const scan::BrokenLink& broken = last_scan_report.broken[static_cast<std::size_t>(index)];
    return FillRecord(*link, {sizeof(VellumBrokenLink), broken.address.c_str(), broken.page.c_str(),
                              broken.status, broken.reason.c_str()});
  });
}

VELLUM_API int32_t VellumGetSiteSettings(VellumSiteSettings* settings) {
  return Export("VellumGetSiteSettings", 0, [&] {
    if (!Known("VellumGetSiteSettings", settings)) return 0;
    const project::SiteSettings& site = project::TheSiteSettings();
    return FillRecord(*settings, {sizeof(VellumSiteSettings), site.page_limit, site.depth_limit,
                                  site.include.c_str(), site.exclude.c_str(), site.order,
                                  site.site_url.c_str(), site.sitemap_extras});
  });
}

VELLUM_API int32_t VellumSetSiteSettings(const VellumSiteSettings* given) {
  return Export("VellumSetSiteSettings", 0, [&] {
    if (!Known("VellumSetSiteSettings", given)) return 0;
    const VellumSiteSettings settings = ReadRecord(*given);
    project::SiteSettings& site = project::TheSiteSettings();
    bool changed = false;
    const auto update = [&changed](auto& member, const auto& value) {
      if (member == value) return;
      member = value;
      changed = true;
    };
    const auto text = [](const char* value) { return std::string(value != nullptr ? value : ""); };
    update(site.page_limit, std::max(settings.PageLimit, 0));
    update(site.depth_limit, std::max(settings.DepthLimit, 0));
    update(site.include, text(settings.Include));
    update(site.exclude, text(settings.Exclude));
    update(site.order, settings.Order);
    update(site.site_url, text(settings.SiteURL));
    update(site.sitemap_extras, settings.SitemapExtras & project::kSitemapExtras);
    if (changed) project::TheProject().Modified = 1;
    return changed ? 1 : 0;
  });
}

VELLUM_API int32_t VellumUpdateFromSite(const SiteMapParams* params, int32_t choice) {
  return Export("VellumUpdateFromSite", 0, [&] {
    last_call_stopped = false;
    last_update_changes.clear();
    if (!Given("VellumUpdateFromSite", {params}) ||
        !Given("VellumUpdateFromSite", {params->Items})) {
      return 0;
    }
    StartEngine(nullptr);
    core::Progress progress(VELLUM_PROGRESS_SCAN);
    last_scan_report = {};
    const int result = update::UpdateFromSite(
        params->Settings.OutputFile, *params->Items,
        {(choice & VELLUM_UPDATE_DRY_RUN) != 0, (choice & VELLUM_UPDATE_TRUST_SITEMAP) != 0},
        progress, last_scan_report, last_update_changes);
    last_call_stopped = progress.stopped();
    if (last_call_stopped) core::ReportInfo("Scan stopped\n");
    return result;
  });
}

VELLUM_API int32_t VellumHasLastScan(void) {
  return Export("VellumHasLastScan", 0,
                [] { return project::TheSiteSettings().last_scan.Kept() ? 1 : 0; });
}

VELLUM_API int32_t VellumUpdateChangeCount(void) {
  return Export("VellumUpdateChangeCount", 0,
                [] { return static_cast<int32_t>(last_update_changes.size()); });
}

VELLUM_API int32_t VellumUpdateChangeAt(int32_t index, VellumChange* change) {
  return Export("VellumUpdateChangeAt", 0, [&] {
    if (!Known("VellumUpdateChangeAt", change)) return 0;
    if (index < 0 || index >= static_cast<int32_t>(last_update_changes.size())) {
      FillRecord(*change, {});
      return 0;
    }
    const update::Change& made = last_update_changes[static_cast<std::size_t>(index)];
    return FillRecord(*change, {sizeof(VellumChange), made.kind, made.url.c_str(),
                                made.name.c_str(), made.detail.c_str(), made.parent.c_str()});
  });
}

VELLUM_API int32_t VellumLastUpdateCounts(VellumUpdateCounts* counts) {
  return Export("VellumLastUpdateCounts", 0, [&] {
    if (!Known("VellumLastUpdateCounts", counts)) return 0;
    return FillRecord(*counts, {sizeof(VellumUpdateCounts), last_scan_report.pages_read,
                                last_scan_report.pages_unchanged});
  });
}

VELLUM_API int32_t VellumGetPageSettings(VellumPageSettings* settings) {
  return Export("VellumGetPageSettings", 0, [&] {
    if (!Known("VellumGetPageSettings", settings)) return 0;
    const project::PageSettings& page = project::ThePageSettings();
    return FillRecord(*settings, {sizeof(VellumPageSettings), page.markup, page.lang.c_str()});
  });
}

VELLUM_API int32_t VellumSetPageSettings(const VellumPageSettings* given) {
  return Export("VellumSetPageSettings", 0, [&] {
    if (!Known("VellumSetPageSettings", given)) return 0;
    const VellumPageSettings settings = ReadRecord(*given);
    const std::string lang = settings.Lang != nullptr ? settings.Lang : "";
    if (!project::IsMarkup(settings.Markup) || (!lang.empty() && !core::IsLanguageTag(lang))) {
      return 0;
    }
    project::PageSettings& page = project::ThePageSettings();
    if (page.markup == settings.Markup && page.lang == lang) return 0;
    page.markup = settings.Markup;
    page.lang = lang;
    project::TheProject().Modified = 1;
    return 1;
  });
}

VELLUM_API int32_t VellumGetTargetSecurity(int32_t index, VellumTargetSecurity* security) {
  return Export("VellumGetTargetSecurity", 0, [&] {
    if (!Known("VellumGetTargetSecurity", security)) return 0;
    const Project& project = project::TheProject();
    if (index < 0 || index >= project.TargetCount) {
      FillRecord(*security, {});
      return 0;
    }
    const project::TargetSecurity& kept = project::SecurityOf(project, index);
    const auto text = [](const std::string& value) {
      return value.empty() ? nullptr : value.c_str();
    };
    return FillRecord(*security, {sizeof(VellumTargetSecurity), kept.protocol, text(kept.key_file),
                                  text(kept.ca_file), kept.password_from});
  });
}

VELLUM_API int32_t VellumSetTargetSecurity(int32_t index, const VellumTargetSecurity* given) {
  return Export("VellumSetTargetSecurity", 0, [&] {
    if (!Known("VellumSetTargetSecurity", given)) return 0;
    const VellumTargetSecurity security = ReadRecord(*given);
    if (project::ProtocolName(security.Protocol)[0] == '\0' ||
        (security.PasswordFrom != VELLUM_PASSWORD_PROJECT &&
         project::PasswordSourceName(security.PasswordFrom)[0] == '\0')) {
      return 0;
    }
    const auto text = [](const char* value) { return std::string(value != nullptr ? value : ""); };
    project::TargetSecurity settings{security.Protocol, text(security.KeyFile),
                                     text(security.CAFile), security.PasswordFrom};
    return project::SetSecurity(project::TheProject(), index, std::move(settings)) ? 1 : 0;
  });
}

VELLUM_API int32_t VellumSetPasswordCallback(VellumPasswordCallback callback) {
  return Export("VellumSetPasswordCallback", 0, [&] {
    publish::SetPasswordCallback(callback);
    return 1;
  });
}

struct VellumKeptScan {
  update::KeptScan kept;
};

VELLUM_API VellumKeptScan* VellumKeptScanCopy(void) {
  return Export("VellumKeptScanCopy", static_cast<VellumKeptScan*>(nullptr),
                [] { return new VellumKeptScan{update::CopyKeptScan()}; });
}

VELLUM_API int32_t VellumKeptScanSwap(VellumKeptScan* kept) {
  return Export("VellumKeptScanSwap", 0, [&] {
    if (kept == nullptr) return 0;
    update::SwapKeptScan(kept->kept);
    project::TheProject().Modified = 1;
    return 1;
  });
}

VELLUM_API void VellumKeptScanFree(VellumKeptScan* kept) { delete kept; }

}  // extern "C"

#include "shell/update_from_site.h"

#include <QGuiApplication>
#include <QObject>

#include "dialogs/progress_dialog.h"
#include "dialogs/update_report_dialog.h"
#include "pages/map_page.h"
#include "shell/document.h"
#include "shell/engine_link.h"
#include "shell/form_view.h"
#include "shell/prompts.h"
#include "vellum/vellum.h"

namespace bramblel {
namespace {

// A copy of the tree for the update to merge into on the engine's thread,
// while the shown tree stays as it is until the update is one step of its
// own.
void CopyTree(const MapItemList& from, MapItemList& to) {
  for (int32_t i = 0; i < from.Count; ++i) {
    const MapItem& entry = from.Items[i];
    MapItem* copy = VellumTreeAppend(&to, entry.URL, entry.Name);
    if (copy != nullptr) CopyTree(entry.Children, copy->Children);
  }
}

}  // namespace

QString RunUpdateFromSite(FormView& view, Document& document, QWidget* parent) {
  ScriptItem* item = document.SiteMap();
  if (item == nullptr) return {};
  if (VellumHasLastScan() == 0) {
    Ask(Prompt::kNotice, QObject::tr("The project keeps no scan of its site to update from. "
                                     "Scan the site with the Layout Wizard first."));
    return {};
  }
  view.Map()->Commit();
  SiteMapParams params{};
  params.Settings.OutputFile = "";
  MapItemList merged{0, nullptr};
  CopyTree(item->Entries, merged);
  params.Items = &merged;
  VellumKeptScan* kept_before = VellumKeptScanCopy();
  ProgressDialog progress(VELLUM_PROGRESS_SCAN, QObject::tr("Update From Site"), parent);
  QGuiApplication::setOverrideCursor(Qt::BusyCursor);
  const int updated = progress.Run([&params] { return VellumUpdateFromSite(&params, 0); });
  QGuiApplication::restoreOverrideCursor();
  EndInfoLine();
  if (updated == 0) {
    VellumTreeClear(&merged);
    VellumKeptScanFree(kept_before);
  }
  if (progress.Cancelled() && VellumLastCallStopped()) {
    return QObject::tr("Update cancelled: the site map is as it was.");
  }
  if (updated == 0)
    return QObject::tr("The update could not scan the site: the site map is as it was.");
  view.Map()->ApplyScan(merged, kept_before);
  const VellumUpdateCounts counts = VellumFilled(VellumLastUpdateCounts);
  UpdateReportDialog report(LastUpdateChanges(), counts.PagesRead, counts.PagesUnchanged, parent);
  report.exec();
  return QObject::tr("Site map updated from the site: %1 changes.").arg(VellumUpdateChangeCount());
}

}  // namespace bramblel

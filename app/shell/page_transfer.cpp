#include "shell/page_transfer.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QUrl>
#include <vector>

#include "dialogs/broken_links_dialog.h"
#include "dialogs/progress_dialog.h"
#include "pages/layout_page.h"
#include "pages/map_page.h"
#include "pages/map_tree.h"
#include "pages/style_page.h"
#include "shell/document.h"
#include "shell/engine_link.h"
#include "shell/form_view.h"
#include "shell/prompts.h"
#include "wizard/base_file_page.h"
#include "wizard/layout_wizard.h"
#include "wizard/mode_page.h"

namespace bramblel {

namespace {

// The pages over a stored site map: what the pages show, with the members
// and flag bits that no page shows taken from the item, so that a project
// tuned elsewhere keeps them.
void CollectOverItem(const FormView& view, const ScriptItem& item, Collected& out) {
  CollectPages(view, out);
  out.settings.Mode = item.Body.SiteMap.Mode;
  out.settings.SchemeName = item.Body.SiteMap.SchemeName;
  out.flags |= item.Flags & ~kPageOwnedFlags;
  // The markup is the project's, not the item's: it is set as the pages are
  // read, before the item is stored or a page generated.
  VellumPageSettings page = VellumFilled(VellumGetPageSettings);
  page.Markup = out.markup;
  VellumSetPageSettings(&page);
}

// The site URL and the XML site map's extras the pages show become the
// project's, which scans and generation read; the project's other site
// settings stay (the engine marks the project modified only on a change).
void StoreSiteUrl(const Collected& collected) {
  VellumSiteSettings site = VellumFilled(VellumGetSiteSettings);
  if (collected.site_url != nullptr) site.SiteURL = collected.site_url;
  if (collected.sitemap_extras >= 0) site.SitemapExtras = collected.sitemap_extras;
  VellumSetSiteSettings(&site);
}

// The engine writes a relative output file into the current folder under
// its last part alone: it is given the full path instead. The engine makes
// its folder, once the place is the project's or the user agreed to it.
const char* FullOutputPath(const char* output_file, TextStore& texts) {
  if (output_file == nullptr || *output_file == '\0') return output_file;
  const QFileInfo file(QFile::decodeName(output_file));
  return texts.Keep(QFile::encodeName(file.absoluteFilePath()));
}

bool IsAbsolutePath(const QString& path) {
  const bool drive = path.size() >= 3 && path[0].isLetter() && path[0].unicode() < 0x80 &&
                     path[1] == ':' && path[2] == '\\';
  return drive || path.startsWith('/');
}

// The text after the last separator of path.
const char* FileNamePart(const char* path) {
  const char* name = path;
  for (const char* c = path; *c != '\0'; ++c) {
    if (*c == '/' || *c == '\\') name = c + 1;
  }
  return name;
}

// The engine's progress lines that tell of a file not sent: a file that is
// gone, or one that did not arrive, then (over FTP) the server's reply or
// the transfer's failure.
bool IsFileFailure(const QString& line) {
  const QString text = line.trimmed();
  return (text.startsWith(QLatin1String("file '")) &&
          text.endsWith(QLatin1String("' not found"))) ||
         text.startsWith(QLatin1String("Unable upload '")) ||
         text.contains(QLatin1String("' - server reply: ")) ||
         text.contains(QLatin1String("' - transfer failed: "));
}

// Sends the project's files to every target, with the project's own upload
// options so that a user's choice such as skipping unchanged files holds.
void Upload(Project& project, QWidget* parent) {
  if (project.TargetCount == 0) {
    Ask(Prompt::kNotice, QObject::tr("The project has no upload targets: add one to the "
                                     "output list of the Layout tab."));
    return;
  }
  const std::vector<uint8_t> selection(project.TargetCount, 1);
  const UploadRequest request{project.UploadProperties, project.CompessProperties, selection.data(),
                              0};
  QStringList errors;
  {
    // Failures are told once, at the end, with the counts: the targets that
    // failed as a whole, and each file that failed with the server's reason.
    CollectErrors failures;
    RecordInfo lines;
    ProgressDialog progress(VELLUM_PROGRESS_UPLOAD, QObject::tr("Upload"), parent);
    QGuiApplication::setOverrideCursor(Qt::BusyCursor);
    progress.Run([&request] { return HTMLprjUpload(&request); });
    QGuiApplication::restoreOverrideCursor();
    errors = failures.errors;
    for (const QString& line : lines.lines) {
      if (IsFileFailure(line)) errors.append(line.trimmed());
    }
  }
  Ask(errors.isEmpty() ? Prompt::kNotice : Prompt::kError, UploadSummary(project, errors));
}

}  // namespace

void FillPages(FormView& view, Project& project, ScriptItem& item) {
  view.Map()->Fill(&item);
  view.Map()->Tree()->setFocus();
  for (FormPage* page : view.SettingsPages()) page->Fill(item);
  view.Layout()->FillOutputList(project, 0);
  view.ShowSixthPageFor(view.Style()->OutputType());
}

void CollectPages(const FormView& view, Collected& out) {
  out.settings = SiteMapSettings{};
  for (const FormPage* page : view.SettingsPages()) page->Collect(out);
}

void StorePages(FormView& view, ScriptItem& item) {
  view.Map()->Commit();
  Collected collected;
  CollectOverItem(view, item, collected);
  SiteMapParams params{};
  params.BasePath = item.Name;
  params.Settings = collected.settings;
  const ItemStore request{&item, &params};
  VellumStoreItem(&request, collected.flags);
  StoreSiteUrl(collected);
}

QString GenerateMessage(const QString& output_file, const QString& current_folder) {
  const QString path =
      IsAbsolutePath(output_file) ? output_file : current_folder + QLatin1Char('/') + output_file;
  return QStringLiteral("Generate site map '%1'").arg(path);
}

QString PreviewPath(const char* output_file, const char* temp_folder) {
  QByteArray path(temp_folder == nullptr ? "" : temp_folder);
  path += FileNamePart(output_file == nullptr ? "" : output_file);
  return QFile::decodeName(path);
}

bool RunGenerate(FormView& view, Document& document, bool upload) {
  ScriptItem* item = document.SiteMap();
  if (item == nullptr) return false;
  view.Map()->Commit();
  Collected collected;
  CollectOverItem(view, *item, collected);
  StoreSiteUrl(collected);
  const QString output_file = QFile::decodeName(collected.settings.OutputFile);
  collected.settings.OutputFile = FullOutputPath(collected.settings.OutputFile, collected.texts);
  SiteMapParams params{};
  params.Settings = collected.settings;
  params.Items = &item->Entries;
  QStringList errors;
  bool written = false;
  {
    CollectErrors failures;
    RecordInfo lines;
    ProgressDialog progress(ProgressDialog::kGenerate, QObject::tr("Generate"), view.window());
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    progress.Run([&params, &collected] { return HTMLGSiteMap(&params, collected.flags); });
    QGuiApplication::restoreOverrideCursor();
    EndInfoLine();
    errors = failures.errors;
    // The engine announces the pages once they are all in place, and none
    // after a failure.
    for (const QString& line : lines.lines) {
      written |=
          line.startsWith(QLatin1String("Generate '")) && line.endsWith(QLatin1String("' page"));
    }
  }
  if (!written) {
    if (errors.isEmpty()) errors.append(QObject::tr("No file was written."));
    Ask(Prompt::kError,
        QObject::tr("The site map was not generated.\n\n%1").arg(errors.join('\n')));
    return false;
  }
  QString message = GenerateMessage(output_file, QDir::currentPath());
  if (!errors.isEmpty()) message += QLatin1String("\n\n") + errors.join('\n');
  Ask(errors.isEmpty() ? Prompt::kNotice : Prompt::kError, message);

  if (upload) Upload(*document.project(), view.window());
  return true;
}

QString ScanSummary(const MapItemList& tree, int broken_links) {
  const int pages = VellumTreeSize(&tree);
  const QString found =
      pages == 1 ? QObject::tr("1 page found") : QObject::tr("%1 pages found").arg(pages);
  const QString broken = broken_links == 0   ? QObject::tr("no broken links")
                         : broken_links == 1 ? QObject::tr("1 broken link")
                                             : QObject::tr("%1 broken links").arg(broken_links);
  return QObject::tr("Scan finished: %1, %2.").arg(found, broken);
}

QString UploadSummary(const Project& project, const QStringList& errors) {
  QStringList lines{QObject::tr("Upload finished.")};
  for (int i = 0; i < project.TargetCount; ++i) {
    const VellumUploadCounts counts = VellumFilled(VellumLastUploadTargetCounts, i);
    lines.append(QObject::tr("%1: %2 sent, %3 skipped as unchanged, %4 failed")
                     .arg(TargetName(project.Targets[i]))
                     .arg(counts.Sent)
                     .arg(counts.Skipped)
                     .arg(counts.Failed));
  }
  if (VellumLastCallStopped()) {
    lines.append(QObject::tr("Cancelled: %1 files not sent.").arg(VellumLastUploadNotSent()));
  }
  if (!errors.isEmpty()) lines << QString() << errors;
  return lines.join('\n');
}

QString RunPreview(FormView& view, Document& document, const EngineConfig* config) {
  ScriptItem* item = document.SiteMap();
  if (item == nullptr) return QString();
  view.Map()->Commit();
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  Collected collected;
  collected.flags = VELLUM_GEN_NO_OUTPUT_LIST;
  CollectOverItem(view, *item, collected);
  StoreSiteUrl(collected);
  collected.flags &= ~VELLUM_GEN_RELATIVE_LINKS;
  const QString preview = QFileInfo(PreviewPath(collected.settings.OutputFile,
                                                config == nullptr ? nullptr : config->TempFolder))
                              .absoluteFilePath();
  const QByteArray preview_file = QFile::encodeName(preview);
  collected.settings.OutputFile = preview_file.constData();
  collected.settings.ImageFolder = nullptr;
  SiteMapParams params{};
  params.Settings = collected.settings;
  params.Items = &item->Entries;
  HTMLGSiteMap(&params, collected.flags);
  EndInfoLine();
  QGuiApplication::restoreOverrideCursor();
  QDesktopServices::openUrl(QUrl::fromLocalFile(preview));
  return preview;
}

ScanOutcome RunLayoutWizard(FormView& view, Document& document, const EngineConfig* config,
                            QWidget* parent) {
  ScriptItem* item = document.SiteMap();
  if (item == nullptr) return ScanOutcome::kNotRun;
  view.Map()->Commit();
  LayoutWizard wizard(config, parent);
  wizard.Modes()->Preset(0, 0);
  wizard.Modes()->SetOrder(VellumFilled(VellumGetSiteSettings).Order);
  wizard.BaseFile()->Preset(true, true, true, 1);
  if (wizard.exec() != QDialog::Accepted) return ScanOutcome::kNotRun;

  const WizardAnswers answers = wizard.Answers();
  if (answers.mode == 1 && answers.folder.isEmpty()) {
    // An empty path would have the engine list the current folder, which
    // the user did not choose.
    Ask(Prompt::kError, QObject::tr("No folder was chosen to scan."));
    return ScanOutcome::kNotRun;
  }
  // The order is the project's: later scans keep it.
  VellumSiteSettings site = VellumFilled(VellumGetSiteSettings);
  if (site.Order != answers.order) {
    site.Order = answers.order;
    VellumSetSiteSettings(&site);
  }
  const QByteArray start =
      QFile::encodeName(answers.mode == 1 ? answers.folder : answers.base_file);
  // The scan fills a tree of its own: the one shown stays whole while it
  // runs, and is replaced in one step that can be undone.
  MapItemList scanned{0, nullptr};
  SiteMapParams params{};
  params.BasePath = start.constData();
  params.Settings.Mode = answers.mode == 1 ? 1 : 0;
  params.Settings.OutputFile = "";
  params.Items = &scanned;
  VellumKeptScan* kept_before = VellumKeptScanCopy();
  ProgressDialog progress(VELLUM_PROGRESS_SCAN, wizard.windowTitle(), parent);
  // The busy pointer still lets the user reach Cancel.
  QGuiApplication::setOverrideCursor(Qt::BusyCursor);
  const int result =
      progress.Run([&params, &answers] { return HTMLgenSiteMap(&params, ScanFlags(answers)); });
  QGuiApplication::restoreOverrideCursor();
  EndInfoLine();
  if (result == 0) {
    VellumTreeClear(&scanned);
    VellumKeptScanFree(kept_before);
  }
  if (progress.Cancelled() && VellumLastCallStopped()) return ScanOutcome::kCancelled;
  // A scan that could not read its base has said so in an error message.
  if (result == 0) return ScanOutcome::kFailed;
  view.Map()->ApplyScan(scanned, kept_before);
  if (VellumBrokenLinkCount() > 0) {
    BrokenLinksDialog broken(LastScanBrokenLinks(), parent);
    broken.exec();
  }
  return ScanOutcome::kScanned;
}

}  // namespace bramblel

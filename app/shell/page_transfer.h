// Between the pages and the project's site map: filling the pages, reading
// them back into a parameter record, storing them, and the commands that
// turn them into engine requests (generate, preview).
#ifndef BRAMBLEL_SHELL_PAGE_TRANSFER_H
#define BRAMBLEL_SHELL_PAGE_TRANSFER_H

#include <QString>
#include <QStringList>

class QWidget;
#include <cstdint>

#include "pages/form_page.h"
#include "vellum/vellum.h"

namespace bramblel {

class Document;
class FormView;

// The flag bits the pages own; the others of a site map's flag word are
// kept as they are stored.
inline constexpr uint32_t kPageOwnedFlags =
    VELLUM_GEN_RELATIVE_LINKS | VELLUM_GEN_BREADCRUMBS | VELLUM_GEN_CHILD_COUNTS |
    VELLUM_GEN_EXPAND_COLLAPSE_LINKS | VELLUM_GEN_LETTER_BAR_BEFORE | VELLUM_GEN_LETTER_BAR_AFTER |
    VELLUM_GEN_USE_FONT_SIZE | VELLUM_GEN_USE_FONT_COLOR | VELLUM_GEN_USE_LINK_COLOR |
    VELLUM_GEN_USE_VISITED_COLOR;

// Shows the site map and the project's upload targets in every page.
void FillPages(FormView& view, Project& project, ScriptItem& item);
// Reads every page but the Map page; sets only the page-owned bits of
// out.flags. Members no page shows stay absent and zero.
void CollectPages(const FormView& view, Collected& out);
// Writes the pages into the site map, keeping what no page shows: the
// item's name, scan mode and picture scheme, and the flag bits no page owns;
// the site URL goes into the project's site settings.
// A name or URL being edited on the Map page is written into its node first,
// as it is by Generate and Preview.
void StorePages(FormView& view, ScriptItem& item);

// The message after a generate run: an output file given by an absolute
// path stands alone, a relative one follows the current folder.
QString GenerateMessage(const QString& output_file, const QString& current_folder);
// Where a preview of output_file is written: its file name in the engine's
// temporary folder (temp_folder ends in a separator, or is empty or null).
QString PreviewPath(const char* output_file, const char* temp_folder);

// Generates the site map page, tells where it went and, with upload,
// publishes the project's files to every target with a progress window
// that can stop it, then tells what went where. A generate that wrote no
// page tells why instead, and uploads nothing. Returns false when the
// project has no site map or no page was written.
bool RunGenerate(FormView& view, Document& document, bool upload);
// Writes a preview into the temporary folder, registering nothing, and asks
// the desktop to open it. Returns the preview's path, empty without a site map.
QString RunPreview(FormView& view, Document& document, const EngineConfig* config);

// What an upload did, target by target, for the message at its end; the
// errors reported meanwhile list the files that failed and why.
QString UploadSummary(const Project& project, const QStringList& errors);

// How a Layout Wizard run ended: not run (the wizard was cancelled),
// scanned, cancelled during the scan, or a scan that could not start.
enum class ScanOutcome { kNotRun, kScanned, kCancelled, kFailed };

// The status line after a scan: the pages of tree (every node) and the
// links the scan could not read.
QString ScanSummary(const MapItemList& tree, int broken_links);

// Shows the Layout Wizard over parent and, when the user finishes it, scans
// the site into the site map's tree with a progress window that can stop
// the scan. A finished scan puts its tree in place as one step of the Map
// page's undo history and lists the links it could not read, if any; a
// stopped one leaves the tree as it was.
ScanOutcome RunLayoutWizard(FormView& view, Document& document, const EngineConfig* config,
                            QWidget* parent);

}  // namespace bramblel

#endif  // BRAMBLEL_SHELL_PAGE_TRANSFER_H

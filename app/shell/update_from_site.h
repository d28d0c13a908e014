// Project > Update From Site...: the site scanned again as the project's
// last scan scanned it, merged into the tree the user edited, on the engine
// worker with the progress window; then the report of what changed.
#ifndef BRAMBLEL_SHELL_UPDATE_FROM_SITE_H
#define BRAMBLEL_SHELL_UPDATE_FROM_SITE_H

#include <QString>

class QWidget;

namespace bramblel {

class Document;
class FormView;

// Runs the update over parent. Returns what the status bar says of it.
QString RunUpdateFromSite(FormView& view, Document& document, QWidget* parent);

}  // namespace bramblel

#endif  // BRAMBLEL_SHELL_UPDATE_FROM_SITE_H

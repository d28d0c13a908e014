// Pictures of the program's windows, for the manual and for looking at the
// layout on a machine without a screen (run under a virtual display).
#ifndef BRAMBLEL_SHELL_SCREENSHOTS_H
#define BRAMBLEL_SHELL_SCREENSHOTS_H

#include <QString>

#include "vellum/vellum.h"

class QWidget;

namespace bramblel {

class MainWindow;

// Saves PNG pictures of the splash window, the main window on every tab
// (the sixth tab once per output type), the about box, the Layout Wizard's
// steps, the scan's progress window, the broken links of a scan, the
// Configuration and Upload properties dialogs and the upload's progress
// window into folder.
// Changes the shown project's output type on the way. Returns false when a
// picture could not be written.
bool SaveScreenshots(MainWindow& window, EngineConfig* config, QWidget& splash,
                     const QString& folder);

}  // namespace bramblel

#endif  // BRAMBLEL_SHELL_SCREENSHOTS_H

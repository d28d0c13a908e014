// The help book: the HTML manual shipped in help/ beside the program (or in
// the system's data folder, share/vellumark/help/, for a program installed in
// bin/), shown in a window of its own.
#ifndef BRAMBLEL_DIALOGS_HELP_WINDOW_H
#define BRAMBLEL_DIALOGS_HELP_WINDOW_H

#include <QString>

class QWidget;

namespace bramblel {

// The help book's first page for the program at program_path.
QString HelpBookPath(const QString& program_path);

// Shows the help book. When it cannot be found, nothing is shown, now or on
// any later call: there is nothing to tell the user that help could fix.
void ShowHelp(const QString& program_path);

}  // namespace bramblel

#endif  // BRAMBLEL_DIALOGS_HELP_WINDOW_H

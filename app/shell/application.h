// Start-up of the window program: the splash picture, the engine, the
// command line, the main window.
#ifndef BRAMBLEL_SHELL_APPLICATION_H
#define BRAMBLEL_SHELL_APPLICATION_H

namespace bramblel {

// Names the program for its windows and for the settings it keeps (the
// recent files).
void NameApplication();

// Runs the program to its end; returns its exit status.
int RunApplication(int argc, char** argv);

}  // namespace bramblel

#endif  // BRAMBLEL_SHELL_APPLICATION_H

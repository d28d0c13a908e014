// The engine's three callbacks as the window program answers them: progress
// lines go to the status bar, failures to an OK box, questions to a Yes/No
// box. The engine may send a line in pieces: the status bar gets it whole.
// During a call of the engine worker the callbacks come on its thread: the
// lines and failures are passed to the GUI thread in the order sent, and a
// question (or a password) is asked there while the worker waits for the
// answer.
#ifndef BRAMBLEL_SHELL_ENGINE_LINK_H
#define BRAMBLEL_SHELL_ENGINE_LINK_H

#include <QString>
#include <QStringList>
#include <functional>

#include "vellum/vellum.h"

namespace bramblel {

// Starts the engine with the window program's callbacks; program_path is the
// running program's file, from which the engine finds its installation.
// Returns the engine's configuration.
EngineConfig* StartEngine(const QString& program_path);

// Where the engine's progress lines are shown (the main window's status
// bar), each line whole and without its surrounding blanks; null shows them
// nowhere.
void SetStatusSink(std::function<void(const QString&)> sink);

// Ends the line the engine is sending: a text without a line feed that an
// engine call left is a line of its own once the call returns. An error or
// a question ends it too.
void EndInfoLine();

// The system's words for the failure the engine last reported (for
// instance "Permission denied"); empty when none was reported since
// ForgetEngineFailure or the system gave no reason.
void ForgetEngineFailure();
QString EngineFailureReason();

// While it lives, the engine's progress lines are also kept in lines (they
// still reach the status bar); the line in progress at its end is ended.
class RecordInfo {
 public:
  RecordInfo();
  ~RecordInfo();
  RecordInfo(const RecordInfo&) = delete;
  RecordInfo& operator=(const RecordInfo&) = delete;

  QStringList lines;

 private:
  std::function<void(const QString&)> outer_;
};

}  // namespace bramblel

#endif  // BRAMBLEL_SHELL_ENGINE_LINK_H

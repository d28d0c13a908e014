// A modal window that follows a long engine call (a scan, an upload, a
// generation) that the engine worker makes while this thread keeps its
// event loop: what the call has done, how fast, for how long, what it is
// at, and a Cancel button that asks the engine to stop at the next page or
// file.
#ifndef BRAMBLEL_DIALOGS_PROGRESS_DIALOG_H
#define BRAMBLEL_DIALOGS_PROGRESS_DIALOG_H

#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <functional>

#include "engine/engine_worker.h"
#include "vellum/vellum.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace bramblel {

class ProgressDialog : public QDialog {
  Q_OBJECT
 public:
  // A call that reports no progress and cannot be stopped: the window only
  // comes up when it lasts, and takes no input meanwhile.
  static constexpr int kGenerate = 0;

  // kind: what the call does (VELLUM_PROGRESS_SCAN, _UPLOAD or kGenerate).
  ProgressDialog(int kind, const QString& title, QWidget* parent = nullptr);

  // Has the engine worker make call, with this window up and the engine
  // reporting to it, and waits in an event loop of its own; returns what
  // call returned. call must not touch the GUI.
  int Run(const std::function<int()>& call);
  // Whether the user asked the engine to stop.
  bool Cancelled() const { return cancelled_; }
  // Shows one report of the engine at once.
  void Report(const VellumProgress& progress);

  QLabel* Count() const { return count_; }
  QLabel* Item() const { return item_; }
  QProgressBar* Bar() const { return bar_; }
  QPushButton* CancelButton() const { return cancel_; }

 protected:
  // Escape and the window's close button cancel, like the button.
  void reject() override;

 private:
  void Paint();
  void Cancel();

  QProgressBar* bar_;
  QLabel* count_;
  QLabel* rate_;
  QLabel* elapsed_;
  QLabel* item_;
  QPushButton* cancel_;
  QElapsedTimer clock_;
  // Repaints at most ten times a second, however often the engine reports.
  QTimer tick_;
  ProgressReport latest_;
  int kind_;
  bool cancelled_ = false;
};

}  // namespace bramblel

#endif  // BRAMBLEL_DIALOGS_PROGRESS_DIALOG_H

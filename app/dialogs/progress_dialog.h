// A modal window that follows a long engine call (a scan, an upload): what
// it has done, what it is at, for how long, and a Cancel button that asks
// the engine to stop at the next page or file.
#ifndef BRAMBLEL_DIALOGS_PROGRESS_DIALOG_H
#define BRAMBLEL_DIALOGS_PROGRESS_DIALOG_H

#include <QDialog>
#include <QElapsedTimer>
#include <functional>

#include "vellum/vellum.h"

class QLabel;
class QPushButton;

namespace bramblel {

class ProgressDialog : public QDialog {
  Q_OBJECT
 public:
  // kind: what the call does (VELLUM_PROGRESS_SCAN or _UPLOAD).
  ProgressDialog(int kind, const QString& title, QWidget* parent = nullptr);
  ~ProgressDialog() override;

  // Runs call with this window up and the engine reporting to it; returns
  // what call returned.
  int Run(const std::function<int()>& call);
  // Whether the user asked the engine to stop.
  bool Cancelled() const { return cancelled_; }
  // What the window shows for one report of the engine.
  void Report(const VellumProgress& progress);

  QLabel* Count() const { return count_; }
  QLabel* Item() const { return item_; }
  QPushButton* CancelButton() const { return cancel_; }

 protected:
  // Escape and the window's close button cancel, like the button.
  void reject() override;

 private:
  static int32_t OnProgress(const VellumProgress* progress);
  void Cancel();

  QLabel* count_;
  QLabel* item_;
  QLabel* elapsed_;
  QPushButton* cancel_;
  QElapsedTimer clock_;
  int kind_;
  bool cancelled_ = false;
};

}  // namespace bramblel

#endif  // BRAMBLEL_DIALOGS_PROGRESS_DIALOG_H

// What an update from the site changed in the tree: pages added and
// removed, names taken from the site, and the user's edits that were kept,
// one row each, in the order of the tree.
#ifndef BRAMBLEL_DIALOGS_UPDATE_REPORT_DIALOG_H
#define BRAMBLEL_DIALOGS_UPDATE_REPORT_DIALOG_H

#include <QDialog>
#include <QList>
#include <QString>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace bramblel {

// One change, in texts of its own (the engine's last until its next update).
struct UpdateChangeRow {
  int kind = 0;  // VELLUM_CHANGE_
  QString name;
  QString address;
  QString detail;
  QString parent;
};

// The changes of the engine's last update.
QList<UpdateChangeRow> LastUpdateChanges();
// The What column: "Added under Menu", "Renamed (was Old)", ...
QString ChangeText(const UpdateChangeRow& change);

class UpdateReportDialog : public QDialog {
  Q_OBJECT
 public:
  // pages_read and pages_unchanged: what the update's scan read, and what it
  // took over unread.
  UpdateReportDialog(const QList<UpdateChangeRow>& changes, int pages_read, int pages_unchanged,
                     QWidget* parent = nullptr);

  QLabel* Heading() const { return heading_; }
  QTreeWidget* List() const { return list_; }

 private:
  QLabel* heading_;
  QTreeWidget* list_;
  QPushButton* close_;
};

}  // namespace bramblel

#endif  // BRAMBLEL_DIALOGS_UPDATE_REPORT_DIALOG_H

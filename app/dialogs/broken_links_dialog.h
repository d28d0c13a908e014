// The links a scan could not read: where each pointed, which page linked
// it and what went wrong, sortable, and copied as a table on request.
#ifndef BRAMBLEL_DIALOGS_BROKEN_LINKS_DIALOG_H
#define BRAMBLEL_DIALOGS_BROKEN_LINKS_DIALOG_H

#include <QDialog>
#include <QList>
#include <QString>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace bramblel {

// One link that could not be read, in texts of its own (the engine's texts
// last only until its next scan).
struct BrokenLinkRow {
  QString address;
  QString page;    // the page that links it; empty for the scan's base page
  int status = 0;  // the HTTP status; 0 when no answer came
  QString reason;
};

// The broken links of the engine's last scan, in the order it met them.
QList<BrokenLinkRow> LastScanBrokenLinks();
// The Problem column: "404 Not Found", or the reason alone without a status.
QString ProblemText(const BrokenLinkRow& link);
// Tab-separated lines, a heading line first (Link, Linked from, Status,
// Reason), each ending in a line break. Tabs and line breaks inside a text
// (links and reasons come from the web) become spaces, so that every link
// stays one line of four fields.
QString BrokenLinksText(const QList<BrokenLinkRow>& links);

class BrokenLinksDialog : public QDialog {
  Q_OBJECT
 public:
  explicit BrokenLinksDialog(const QList<BrokenLinkRow>& links, QWidget* parent = nullptr);

  // Puts the list, in the order shown, on the clipboard as BrokenLinksText.
  void Copy();

  QLabel* Heading() const { return heading_; }
  QTreeWidget* List() const { return list_; }
  QPushButton* CopyButton() const { return copy_; }
  QPushButton* CloseButton() const { return close_; }

 private:
  QList<BrokenLinkRow> links_;
  QLabel* heading_;
  QTreeWidget* list_;
  QPushButton* copy_;
  QPushButton* close_;
};

}  // namespace bramblel

#endif  // BRAMBLEL_DIALOGS_BROKEN_LINKS_DIALOG_H

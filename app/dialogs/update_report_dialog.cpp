#include "dialogs/update_report_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "vellum/vellum.h"

namespace bramblel {

namespace {

enum Column { kWhat, kName, kAddress, kColumns };

// A text from the web as one line.
QString Line(const char* text) {
  return QString::fromUtf8(text == nullptr ? "" : text).simplified();
}

}  // namespace

QList<UpdateChangeRow> LastUpdateChanges() {
  QList<UpdateChangeRow> changes;
  const int32_t count = VellumUpdateChangeCount();
  changes.reserve(count);
  for (int32_t i = 0; i < count; ++i) {
    const VellumChange change = VellumFilled(VellumUpdateChangeAt, i);
    changes.append({change.Kind, Line(change.Name), Line(change.Address), Line(change.Detail),
                    Line(change.Parent)});
  }
  return changes;
}

QString ChangeText(const UpdateChangeRow& change) {
  switch (change.kind) {
    case VELLUM_CHANGE_ADDED:
      return change.parent.isEmpty() ? QObject::tr("Added at the top")
                                     : QObject::tr("Added under %1").arg(change.parent);
    case VELLUM_CHANGE_REMOVED:
      return QObject::tr("Removed: gone from the site");
    case VELLUM_CHANGE_RENAMED:
      return QObject::tr("Renamed on the site (was %1)").arg(change.detail);
    case VELLUM_CHANGE_KEPT_NAME:
      return QObject::tr("Your name kept (the site says %1)").arg(change.detail);
    case VELLUM_CHANGE_KEPT_GONE:
      return QObject::tr("Kept, not found on the site (%1)").arg(change.detail);
    default:
      return QObject::tr("Kept where you moved it");
  }
}

UpdateReportDialog::UpdateReportDialog(const QList<UpdateChangeRow>& changes, int pages_read,
                                       int pages_unchanged, QWidget* parent)
    : QDialog(parent),
      heading_(new QLabel(this)),
      list_(new QTreeWidget(this)),
      close_(new QPushButton(tr("C&lose"), this)) {
  setWindowTitle(tr("Update From Site"));
  heading_->setTextFormat(Qt::PlainText);
  heading_->setWordWrap(true);
  const QString pages = tr("%1 pages read, %2 unchanged.").arg(pages_read).arg(pages_unchanged);
  heading_->setText(changes.isEmpty() ? tr("Nothing changed in the site map. %1").arg(pages)
                                      : tr("%1 changes. %2").arg(changes.size()).arg(pages));
  heading_->setBuddy(list_);

  list_->setColumnCount(kColumns);
  list_->setHeaderLabels({tr("Change"), tr("Link name"), tr("Link")});
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  list_->setAllColumnsShowFocus(true);
  list_->setTextElideMode(Qt::ElideMiddle);
  QList<QTreeWidgetItem*> items;
  for (const UpdateChangeRow& change : changes) {
    auto* item = new QTreeWidgetItem;
    item->setText(kWhat, ChangeText(change));
    item->setText(kName, change.name);
    item->setText(kAddress, change.address);
    items.append(item);
  }
  list_->addTopLevelItems(items);
  list_->setCurrentItem(list_->topLevelItem(0));
  const int character = list_->fontMetrics().averageCharWidth();
  list_->header()->resizeSection(kWhat, character * 40);
  list_->header()->resizeSection(kName, character * 30);
  list_->setMinimumSize(character * 120, list_->fontMetrics().lineSpacing() * 14);

  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(close_, QDialogButtonBox::RejectRole);
  close_->setDefault(true);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* window = new QVBoxLayout(this);
  window->addWidget(heading_);
  window->addWidget(list_, 1);
  window->addWidget(buttons);
  list_->setFocus();
}

}  // namespace bramblel

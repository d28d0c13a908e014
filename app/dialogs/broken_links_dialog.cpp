#include "dialogs/broken_links_dialog.h"

#include <QClipboard>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "vellum/vellum.h"

namespace bramblel {

namespace {

enum Column { kLink, kLinkedFrom, kProblem, kColumns };

// Where an item's link stands in links_, whatever order the list shows.
constexpr int kRowRole = Qt::UserRole;

QString FromEngine(const char* text) { return QString::fromUtf8(text == nullptr ? "" : text); }

// A text from the web as one line of one field: control characters (tabs,
// line breaks) and line and paragraph separators become spaces.
QString OneLine(QString text) {
  for (QChar& c : text) {
    const QChar::Category category = c.category();
    if (category == QChar::Other_Control || category == QChar::Separator_Line ||
        category == QChar::Separator_Paragraph) {
      c = QLatin1Char(' ');
    }
  }
  return text;
}

}  // namespace

QList<BrokenLinkRow> LastScanBrokenLinks() {
  QList<BrokenLinkRow> links;
  const int32_t count = VellumBrokenLinkCount();
  links.reserve(count);
  for (int32_t i = 0; i < count; ++i) {
    const VellumBrokenLink link = VellumFilled(VellumBrokenLinkAt, i);
    links.append(
        {FromEngine(link.Address), FromEngine(link.Page), link.Status, FromEngine(link.Reason)});
  }
  return links;
}

QString ProblemText(const BrokenLinkRow& link) {
  const QString reason = OneLine(link.reason);
  if (link.status == 0) return reason;
  return reason.isEmpty() ? QString::number(link.status)
                          : QStringLiteral("%1 %2").arg(link.status).arg(reason);
}

QString BrokenLinksText(const QList<BrokenLinkRow>& links) {
  QString text = QStringLiteral("Link\tLinked from\tStatus\tReason\n");
  for (const BrokenLinkRow& link : links) {
    const QString status = link.status == 0 ? QString() : QString::number(link.status);
    text +=
        QStringList{OneLine(link.address), OneLine(link.page), status, OneLine(link.reason)}.join(
            QLatin1Char('\t')) +
        QLatin1Char('\n');
  }
  return text;
}

BrokenLinksDialog::BrokenLinksDialog(const QList<BrokenLinkRow>& links, QWidget* parent)
    : QDialog(parent),
      links_(links),
      heading_(new QLabel(this)),
      list_(new QTreeWidget(this)),
      copy_(new QPushButton(tr("&Copy"), this)),
      close_(new QPushButton(tr("C&lose"), this)) {
  setWindowTitle(tr("Broken Links"));
  // Plain text throughout: the links and reasons come from the web.
  heading_->setTextFormat(Qt::PlainText);
  heading_->setText(links_.size() == 1 ? tr("1 link could not be read.")
                                       : tr("%1 links could not be read.").arg(links_.size()));
  heading_->setBuddy(list_);

  list_->setColumnCount(kColumns);
  list_->setHeaderLabels({tr("Link"), tr("Linked from"), tr("Problem")});
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  list_->setAllColumnsShowFocus(true);
  // A long address keeps its host and its file name in view.
  list_->setTextElideMode(Qt::ElideMiddle);
  QList<QTreeWidgetItem*> items;
  items.reserve(links_.size());
  for (qsizetype i = 0; i < links_.size(); ++i) {
    const BrokenLinkRow& link = links_[i];
    auto* item = new QTreeWidgetItem;
    item->setText(kLink, OneLine(link.address));
    item->setText(kLinkedFrom,
                  link.page.isEmpty() ? tr("(where the scan started)") : OneLine(link.page));
    item->setText(kProblem, ProblemText(link));
    item->setData(kLink, kRowRole, static_cast<int>(i));
    items.append(item);
  }
  list_->addTopLevelItems(items);
  // The order the scan met them in until a heading is clicked.
  list_->header()->setSortIndicator(-1, Qt::AscendingOrder);
  list_->setSortingEnabled(true);
  list_->setCurrentItem(list_->topLevelItem(0));

  // The Problem column takes what the addresses leave.
  const int character = list_->fontMetrics().averageCharWidth();
  list_->header()->resizeSection(kLink, character * 50);
  list_->header()->resizeSection(kLinkedFrom, character * 40);
  list_->setMinimumSize(character * 125, list_->fontMetrics().lineSpacing() * 14);

  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(copy_, QDialogButtonBox::ActionRole);
  buttons->addButton(close_, QDialogButtonBox::RejectRole);
  close_->setDefault(true);
  connect(copy_, &QPushButton::clicked, this, &BrokenLinksDialog::Copy);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* window = new QVBoxLayout(this);
  window->addWidget(heading_);
  window->addWidget(list_, 1);
  window->addWidget(buttons);
  list_->setFocus();
}

void BrokenLinksDialog::Copy() {
  QList<BrokenLinkRow> shown;
  shown.reserve(links_.size());
  for (int i = 0; i < list_->topLevelItemCount(); ++i) {
    shown.append(links_[list_->topLevelItem(i)->data(kLink, kRowRole).toInt()]);
  }
  QGuiApplication::clipboard()->setText(BrokenLinksText(shown));
}

}  // namespace bramblel

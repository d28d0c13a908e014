#include "pages/map_page.h"

#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "pages/controls.h"

namespace bramblel {

namespace {

// Each tree entry holds the address of its node; the entries are rebuilt
// whenever the lists are, so the addresses never go stale.
constexpr int kNodeRole = Qt::UserRole;

void AddEntries(const MapItemList& list, QTreeWidgetItem* parent, QTreeWidget* tree) {
  for (int i = 0; i < list.Count; ++i) {
    const MapItem& node = list.Items[i];
    auto* entry = parent != nullptr ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(tree);
    entry->setText(0, QString::fromUtf8(node.Name == nullptr ? "" : node.Name));
    entry->setData(0, kNodeRole, QVariant::fromValue(static_cast<const void*>(&node)));
    AddEntries(node.Children, entry, tree);
  }
}

}  // namespace

MapPage::MapPage(QWidget* parent)
    : FormPage(parent),
      tree_(new QTreeWidget(this)),
      name_(new QPlainTextEdit(this)),
      url_(new QLineEdit(this)) {
  tree_->setHeaderHidden(true);
  tree_->setUniformRowHeights(true);
  name_->setTabChangesFocus(true);
  name_->setFixedHeight(name_->fontMetrics().lineSpacing() * 3 + 12);
  name_->setReadOnly(true);
  url_->setReadOnly(true);
  connect(tree_, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* entry) { Show(entry); });

  auto* form = new QFormLayout;
  AddFormRow(*form, tr("Link name:"), name_);
  AddFormRow(*form, tr("Link URL"), url_);
  auto* page = new QVBoxLayout(this);
  page->addWidget(tree_, 1);
  page->addLayout(form);
}

void MapPage::Fill(const ScriptItem& item) {
  const QSignalBlocker quiet(tree_);
  tree_->clear();
  AddEntries(item.Entries, nullptr, tree_);
  Show(nullptr);
}

void MapPage::Show(QTreeWidgetItem* entry) {
  const auto* node =
      entry == nullptr
          ? nullptr
          : static_cast<const MapItem*>(entry->data(0, kNodeRole).value<const void*>());
  name_->setPlainText(
      QString::fromUtf8(node == nullptr || node->Name == nullptr ? "" : node->Name));
  url_->setText(QString::fromUtf8(node == nullptr || node->URL == nullptr ? "" : node->URL));
}

}  // namespace bramblel

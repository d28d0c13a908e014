#include "pages/map_page.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <utility>
#include <vector>

#include "pages/controls.h"
#include "pages/map_tree.h"
#include "shell/prompts.h"

namespace bramblel {

namespace {

QString NameText(const MapItem& node) { return FromEngine(node.Name); }

// Entries for the nodes of list and, below them, their children. The
// entries are built detached from the control and handed to it at once,
// which is what keeps a large tree quick to show; no recursion, as trees
// may be deep.
QList<QTreeWidgetItem*> EntriesOf(const MapItemList& list) {
  QList<QTreeWidgetItem*> top;
  std::vector<std::pair<const MapItemList*, QTreeWidgetItem*>> pending{{&list, nullptr}};
  while (!pending.empty()) {
    const auto [nodes, parent] = pending.back();
    pending.pop_back();
    for (int i = 0; i < nodes->Count; ++i) {
      const MapItem& node = nodes->Items[i];
      auto* entry = new QTreeWidgetItem(QStringList(NameText(node)));
      entry->setFlags(entry->flags() | Qt::ItemIsEditable);
      if (parent != nullptr) {
        parent->addChild(entry);
      } else {
        top.append(entry);
      }
      if (node.Children.Count > 0) pending.push_back({&node.Children, entry});
    }
  }
  return top;
}

// A new entry with no name, as a new node has.
QTreeWidgetItem* NewEntry() {
  auto* entry = new QTreeWidgetItem(QStringList(QString()));
  entry->setFlags(entry->flags() | Qt::ItemIsEditable);
  return entry;
}

}  // namespace

MapPage::MapPage(QWidget* parent)
    : QWidget(parent),
      tree_(new MapTree(this)),
      name_(new QPlainTextEdit(this)),
      url_(new QLineEdit(this)) {
  name_->setTabChangesFocus(true);
  name_->setFixedHeight(name_->fontMetrics().lineSpacing() * 3 + 12);
  connect(tree_, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* entry) { Show(entry); });
  connect(tree_, &QTreeWidget::itemChanged, this, &MapPage::NameEdited);
  connect(tree_, &MapTree::DroppedOnto, this, &MapPage::MoveInto);

  const struct {
    Button button;
    QIcon icon;
    const char* tip;
    QKeySequence key;
  } commands[] = {
      {kAdd, QIcon(":/pictures/target-add.png"), "Add new item", QKeySequence(Qt::Key_Insert)},
      {kRemove, QIcon(":/pictures/target-remove.png"), "Remove selected item",
       QKeySequence(Qt::Key_Delete)},
      {kUp, style()->standardIcon(QStyle::SP_ArrowUp), "Move up", QKeySequence("Ctrl+Up")},
      {kDown, style()->standardIcon(QStyle::SP_ArrowDown), "Move down", QKeySequence("Ctrl+Down")},
      {kHigher, style()->standardIcon(QStyle::SP_ArrowLeft), "Move higher in the hierarchy",
       QKeySequence("Ctrl+Left")},
      {kLower, style()->standardIcon(QStyle::SP_ArrowRight), "Move lower in the hierarchy",
       QKeySequence("Ctrl+Right")},
      {kWizard, style()->standardIcon(QStyle::SP_FileDialogContentsView),
       "Use Layout Wizard to automatically create sitemap layout", QKeySequence()},
  };
  void (MapPage::*const actions[])() = {
      &MapPage::Add,        &MapPage::Remove,    &MapPage::MoveUp,         &MapPage::MoveDown,
      &MapPage::MoveHigher, &MapPage::MoveLower, &MapPage::WizardRequested};
  auto* button_row = new QHBoxLayout;
  for (const auto& command : commands) {
    QToolButton* button = PictureButton(command.icon, tr(command.tip), this);
    connect(button, &QToolButton::clicked, this, actions[command.button]);
    buttons_[command.button] = button;
    button_row->addWidget(button);
    if (!command.key.isEmpty()) {
      // Keys of the tree: in a text field they keep their editing meaning.
      auto* shortcut = new QShortcut(command.key, tree_, nullptr, nullptr, Qt::WidgetShortcut);
      connect(shortcut, &QShortcut::activated, this, actions[command.button]);
    }
  }
  button_row->addStretch(1);

  auto* form = new QFormLayout;
  AddFormRow(*form, tr("Link name:"), name_);
  AddFormRow(*form, tr("Link URL"), url_);
  auto* page = new QVBoxLayout(this);
  page->addWidget(tree_, 1);
  page->addLayout(button_row);
  page->addLayout(form);
}

void MapPage::Fill(Project* project, ScriptItem* item) {
  project_ = project;
  root_ = item == nullptr ? nullptr : &item->Entries;
  current_ = nullptr;
  const QSignalBlocker quiet(tree_);
  tree_->clear();
  if (root_ != nullptr) tree_->addTopLevelItems(EntriesOf(*root_));
  name_->setPlainText(QString());
  url_->clear();
}

MapItem* MapPage::NodeOf(const QTreeWidgetItem* entry) const {
  if (entry == nullptr || root_ == nullptr) return nullptr;
  std::vector<int> places;
  for (const QTreeWidgetItem* at = entry; at != nullptr; at = at->parent()) {
    places.push_back(tree_->IndexOf(at));
  }
  MapItemList* list = root_;
  MapItem* node = nullptr;
  for (auto place = places.rbegin(); place != places.rend(); ++place) {
    if (*place < 0 || *place >= list->Count) return nullptr;
    node = &list->Items[*place];
    list = &node->Children;
  }
  return node;
}

MapItemList* MapPage::ListHolding(const QTreeWidgetItem* entry) const {
  if (entry->parent() == nullptr) return root_;
  MapItem* parent = NodeOf(entry->parent());
  return parent == nullptr ? nullptr : &parent->Children;
}

void MapPage::Commit() {
  MapItem* node = NodeOf(current_);
  if (node == nullptr) return;
  bool changed = VellumTreeSetText(&node->URL, url_text_.Take(url_->text()).constData()) != 0;
  if (VellumTreeSetText(&node->Name, name_text_.Take(name_->toPlainText()).constData())) {
    const QSignalBlocker quiet(tree_);
    current_->setText(0, NameText(*node));
    changed = true;
  }
  // What the fields show is now what the node holds.
  url_text_.Show(node->URL);
  name_text_.Show(node->Name);
  name_text_.Displayed(name_->toPlainText());
  if (changed) Changed();
}

void MapPage::Show(QTreeWidgetItem* entry) {
  Commit();
  MapItem* node = NodeOf(entry);
  if (node == nullptr) return;
  url_->setText(url_text_.Show(node->URL));
  name_->setPlainText(name_text_.Show(node->Name));
  name_text_.Displayed(name_->toPlainText());
  current_ = entry;
}

void MapPage::Select(QTreeWidgetItem* entry) {
  current_ = nullptr;
  if (entry != nullptr) {
    tree_->setCurrentItem(entry);
    Show(entry);
  } else {
    // Nothing left to show: the fields must not keep a removed node's texts.
    name_->setPlainText(QString());
    url_->clear();
  }
  tree_->setFocus();
}

void MapPage::Add() {
  if (root_ == nullptr) return;
  Commit();
  QTreeWidgetItem* selected = tree_->currentItem();
  if (selected == nullptr) {
    // Nothing chosen: the new node goes at the end of the top level, chosen
    // so that its name can be typed at once.
    if (VellumTreeAppend(root_, nullptr, nullptr) == nullptr) return;
    QTreeWidgetItem* entry = NewEntry();
    tree_->addTopLevelItem(entry);
    Changed();
    Select(entry);
    return;
  }
  MapItemList* list = ListHolding(selected);
  MapItem* node = NodeOf(selected);
  if (list == nullptr || node == nullptr || VellumTreeInsertAfter(list, node) == nullptr) return;
  QTreeWidgetItem* entry = NewEntry();
  if (QTreeWidgetItem* parent = selected->parent()) {
    parent->insertChild(parent->indexOfChild(selected) + 1, entry);
  } else {
    tree_->insertTopLevelItem(tree_->indexOfTopLevelItem(selected) + 1, entry);
  }
  Changed();
  tree_->setFocus();
}

void MapPage::Remove() {
  QTreeWidgetItem* selected = tree_->currentItem();
  MapItemList* list = selected == nullptr ? nullptr : ListHolding(selected);
  MapItem* node = NodeOf(selected);
  if (list == nullptr || node == nullptr) return;
  if (node->Children.Count > 0 &&
      Ask(Prompt::kQuestion,
          tr("Remove '%1' and the %n entries below it?", nullptr, node->Children.Count)
              .arg(NameText(*node))) != Answer::kYes) {
    return;
  }
  // The next sibling is chosen next, else the previous one, else the parent.
  QTreeWidgetItem* parent = selected->parent();
  const int place = tree_->IndexOf(selected);
  const int siblings = parent != nullptr ? parent->childCount() : tree_->topLevelItemCount();
  QTreeWidgetItem* next =
      place + 1 < siblings ? (parent ? parent->child(place + 1) : tree_->topLevelItem(place + 1))
      : place > 0          ? (parent ? parent->child(place - 1) : tree_->topLevelItem(place - 1))
                           : parent;
  current_ = nullptr;
  VellumTreeRemove(list, node);
  {
    const QSignalBlocker quiet(tree_);
    delete selected;
  }
  Changed();
  Select(next);
}

void MapPage::MoveBeside(bool down) {
  Commit();
  QTreeWidgetItem* selected = tree_->currentItem();
  MapItemList* list = selected == nullptr ? nullptr : ListHolding(selected);
  MapItem* node = NodeOf(selected);
  if (list == nullptr || node == nullptr) return;
  const int place = tree_->IndexOf(selected);
  const int other = down ? place + 1 : place - 1;
  if (other < 0 || other >= list->Count) {
    tree_->setFocus();
    return;
  }
  VellumTreeMove(list, node, down ? 1 : 0);
  {
    const QSignalBlocker quiet(tree_);
    tree_->Relocate(selected, selected->parent(), other);
  }
  Changed();
  Select(selected);
}

void MapPage::MoveHigher() {
  Commit();
  QTreeWidgetItem* selected = tree_->currentItem();
  QTreeWidgetItem* parent = selected == nullptr ? nullptr : selected->parent();
  MapItemList* parent_list = parent == nullptr ? nullptr : ListHolding(parent);
  if (parent_list == nullptr || NodeOf(selected) == nullptr) {
    tree_->setFocus();
    return;
  }
  // A new place behind the parent takes over the node, children and all;
  // the node's old place, now empty, goes. The node itself lives in the
  // parent's own array, which the insertion does not move.
  MapItem* place = VellumTreeInsertAfter(parent_list, NodeOf(parent));
  if (place == nullptr) return;
  MapItem* node = NodeOf(selected);
  std::swap(*place, *node);
  VellumTreeRemove(&NodeOf(parent)->Children, node);
  {
    const QSignalBlocker quiet(tree_);
    tree_->Relocate(selected, parent->parent(), tree_->IndexOf(parent) + 1);
  }
  Changed();
  Select(selected);
}

void MapPage::MoveLower() {
  QTreeWidgetItem* selected = tree_->currentItem();
  QTreeWidgetItem* parent = selected == nullptr ? nullptr : selected->parent();
  const int place = selected == nullptr ? -1 : tree_->IndexOf(selected);
  if (place < 1) {
    Commit();
    tree_->setFocus();
    return;
  }
  MoveInto(selected, parent != nullptr ? parent->child(place - 1) : tree_->topLevelItem(place - 1));
}

void MapPage::MoveInto(QTreeWidgetItem* entry, QTreeWidgetItem* target) {
  Commit();
  // Never into itself or its own subtree.
  for (const QTreeWidgetItem* at = target; at != nullptr; at = at->parent()) {
    if (at == entry) return;
  }
  MapItemList* list = ListHolding(entry);
  MapItem* target_node = NodeOf(target);
  if (list == nullptr || target_node == nullptr || NodeOf(entry) == nullptr) return;
  // The new last child takes over the node; appending may move the target's
  // children, so the node is looked up again afterwards.
  MapItem* place = VellumTreeAppend(&target_node->Children, nullptr, nullptr);
  if (place == nullptr) return;
  MapItem* node = NodeOf(entry);
  std::swap(*place, *node);
  VellumTreeRemove(ListHolding(entry), node);
  {
    const QSignalBlocker quiet(tree_);
    tree_->Relocate(entry, target, target->childCount() - (entry->parent() == target ? 1 : 0));
    target->setExpanded(true);
  }
  Changed();
  Select(entry);
}

void MapPage::NameEdited(QTreeWidgetItem* entry) {
  // A name typed into the tree itself (F2).
  MapItem* node = NodeOf(entry);
  if (node == nullptr) return;
  const QByteArray name = entry->text(0).toUtf8();
  if (entry == current_) {
    name_->setPlainText(entry->text(0));
    Commit();
  } else if (VellumTreeSetText(&node->Name, name.constData())) {
    Changed();
  }
}

void MapPage::Changed() {
  if (project_ != nullptr) project_->Modified = 1;
}

}  // namespace bramblel

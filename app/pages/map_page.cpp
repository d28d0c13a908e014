#include "pages/map_page.h"

#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <cstring>
#include <functional>

#include "pages/controls.h"
#include "pages/map_commands.h"
#include "pages/map_model.h"
#include "pages/map_tree.h"
#include "shell/prompts.h"

namespace bramblel {

namespace {

// Whether storing value by the engine's rule would change text.
bool Differs(const char* text, const QByteArray& value) {
  if (value.isEmpty()) return text != nullptr;
  return text == nullptr || std::strcmp(text, value.constData()) != 0;
}

QByteArray Bytes(const char* text) { return text == nullptr ? QByteArray() : QByteArray(text); }

// The entry after index in depth-first order, round the end of the tree.
QModelIndex NextInOrder(const QAbstractItemModel& model, const QModelIndex& index) {
  if (model.rowCount(index) > 0) return model.index(0, 0, index);
  for (QModelIndex at = index; at.isValid(); at = at.parent()) {
    if (at.row() + 1 < model.rowCount(at.parent()))
      return model.index(at.row() + 1, 0, at.parent());
  }
  return model.index(0, 0);
}

// The entry before index in depth-first order, round the start of the tree.
QModelIndex PreviousInOrder(const QAbstractItemModel& model, const QModelIndex& index) {
  QModelIndex at;
  if (index.isValid() && index.row() > 0) {
    at = model.index(index.row() - 1, 0, index.parent());
  } else if (index.isValid() && index.parent().isValid()) {
    return index.parent();
  } else {
    at = model.index(model.rowCount() - 1, 0);
  }
  while (at.isValid() && model.rowCount(at) > 0) at = model.index(model.rowCount(at) - 1, 0, at);
  return at;
}

}  // namespace

MapPage::MapPage(QWidget* parent)
    : QWidget(parent),
      model_(new MapModel(this)),
      tree_(new MapTree(this)),
      name_(new QPlainTextEdit(this)),
      url_(new QLineEdit(this)) {
  tree_->setModel(model_);
  name_->setTabChangesFocus(true);
  name_->setFixedHeight(name_->fontMetrics().lineSpacing() * 3 + 12);
  connect(tree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& index) { Show(index); });
  connect(model_, &MapModel::RenameRequested, this, &MapPage::Renamed);
  connect(model_, &MapModel::MoveRequested, this, &MapPage::MoveTo);
  connect(model_, &MapModel::Touched, this, [this](const QModelIndex& index) {
    if (!committing_) Select(index);
  });

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
      {kExpandAll, style()->standardIcon(QStyle::SP_ToolBarVerticalExtensionButton), "Expand all",
       QKeySequence("Ctrl+Shift+Down")},
      {kCollapseAll, style()->standardIcon(QStyle::SP_ToolBarHorizontalExtensionButton),
       "Collapse all", QKeySequence("Ctrl+Shift+Up")},
  };
  const std::function<void()> actions[] = {[this] { Add(); },
                                           [this] { Remove(); },
                                           [this] { MoveUp(); },
                                           [this] { MoveDown(); },
                                           [this] { MoveHigher(); },
                                           [this] { MoveLower(); },
                                           [this] { emit WizardRequested(); },
                                           [this] { tree_->expandAll(); },
                                           [this] { tree_->collapseAll(); }};
  auto* button_row = new QHBoxLayout;
  for (const auto& command : commands) {
    QToolButton* button = PictureButton(command.icon, tr(command.tip), this);
    connect(button, &QToolButton::clicked, this, actions[command.button]);
    buttons_[command.button] = button;
    if (command.button == kExpandAll) button_row->addStretch(1);
    button_row->addWidget(button);
    if (!command.key.isEmpty()) {
      // Keys of the tree: in a text field they keep their editing meaning.
      auto* shortcut = new QShortcut(command.key, tree_, nullptr, nullptr, Qt::WidgetShortcut);
      connect(shortcut, &QShortcut::activated, this, actions[command.button]);
    }
  }

  auto* form = new QFormLayout;
  AddFormRow(*form, tr("Link name:"), name_);
  AddFormRow(*form, tr("Link URL"), url_);
  auto* page = new QVBoxLayout(this);
  page->addWidget(MakeFindBar());
  page->addWidget(tree_, 1);
  page->addLayout(button_row);
  page->addLayout(form);
}

QWidget* MapPage::MakeFindBar() {
  find_bar_ = new QWidget(this);
  find_ = new QLineEdit(find_bar_);
  find_->setPlaceholderText(tr("Link name or URL"));
  find_->setClearButtonEnabled(true);
  find_->installEventFilter(this);
  find_status_ = new QLabel(find_bar_);
  auto* label = new QLabel(tr("Find:"), find_bar_);
  label->setBuddy(find_);
  const struct {
    QStyle::StandardPixmap icon;
    const char* tip;
    std::function<void()> action;
  } buttons[] = {
      {QStyle::SP_ArrowUp, "Find the previous entry (Shift+Enter)", [this] { FindNext(true); }},
      {QStyle::SP_ArrowDown, "Find the next entry (Enter)", [this] { FindNext(false); }},
      {QStyle::SP_DialogCloseButton, "Close the find bar (Escape)",
       [this] {
         find_bar_->hide();
         tree_->setFocus();
       }},
  };
  auto* row = new QHBoxLayout(find_bar_);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(label);
  row->addWidget(find_, 1);
  for (const auto& button : buttons) {
    QToolButton* tool =
        PictureButton(style()->standardIcon(button.icon), tr(button.tip), find_bar_);
    connect(tool, &QToolButton::clicked, this, button.action);
    row->addWidget(tool);
  }
  row->addWidget(find_status_);
  connect(find_, &QLineEdit::textEdited, find_status_, &QLabel::clear);
  find_bar_->hide();
  return find_bar_;
}

bool MapPage::eventFilter(QObject* watched, QEvent* event) {
  if (watched == find_ && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
      FindNext((key->modifiers() & Qt::ShiftModifier) != 0);
      return true;
    }
    if (key->key() == Qt::Key_Escape) {
      find_bar_->hide();
      tree_->setFocus();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void MapPage::ShowFindBar() {
  find_bar_->show();
  find_->setFocus(Qt::ShortcutFocusReason);
  find_->selectAll();
}

bool MapPage::FindNext(bool backwards) {
  const QString text = find_->text();
  find_status_->clear();
  if (text.isEmpty() || model_->rowCount() == 0) return false;
  const auto step = [this, backwards](const QModelIndex& index) {
    return backwards ? PreviousInOrder(*model_, index) : NextInOrder(*model_, index);
  };
  // Every entry once, round the end of the tree, the current one last.
  const QModelIndex first = step(tree_->currentIndex());
  QModelIndex at = first;
  do {
    if (at.data().toString().contains(text, Qt::CaseInsensitive) ||
        at.data(MapModel::kUrlRole).toString().contains(text, Qt::CaseInsensitive)) {
      Commit();
      Select(at);
      return true;
    }
    at = step(at);
  } while (at.isValid() && at != first);
  find_status_->setText(tr("Not found"));
  return false;
}

void MapPage::UseUndoStack(QUndoStack* stack) { undo_ = stack != nullptr ? stack : &own_undo_; }

void MapPage::Fill(ScriptItem* item) {
  current_ = QPersistentModelIndex();
  model_->SetRoot(item == nullptr ? nullptr : &item->Entries);
  name_->setPlainText(QString());
  url_->clear();
}

void MapPage::Push(QUndoCommand* command) { undo_->push(command); }

void MapPage::Commit() {
  MapItem* entry = model_->Entry(current_);
  if (entry == nullptr || committing_) return;
  const QByteArray url = url_text_.Take(url_->text());
  const QByteArray name = name_text_.Take(name_->toPlainText());
  const bool url_changed = Differs(entry->URL, url);
  const bool name_changed = Differs(entry->Name, name);
  if (url_changed || name_changed) {
    committing_ = true;
    const TreePath path = model_->PathOf(current_);
    auto* step = new QUndoCommand(tr("Edit entry"));
    if (url_changed) {
      new SetTextCommand(model_, path, MapModel::kUrl, Bytes(entry->URL), url, step);
    }
    if (name_changed) {
      new SetTextCommand(model_, path, MapModel::kName, Bytes(entry->Name), name, step);
    }
    Push(step);
    committing_ = false;
    entry = model_->Entry(current_);
  }
  // What the fields show is now what the entry holds.
  url_text_.Show(entry->URL);
  name_text_.Show(entry->Name);
  name_text_.Displayed(name_->toPlainText());
}

void MapPage::Show(const QModelIndex& index) {
  Commit();
  ShowFields(index);
}

void MapPage::ShowFields(const QModelIndex& index) {
  const MapItem* entry = model_->Entry(index);
  if (entry == nullptr) {
    current_ = QPersistentModelIndex();
    name_->setPlainText(QString());
    url_->clear();
    return;
  }
  url_->setText(url_text_.Show(entry->URL));
  name_->setPlainText(name_text_.Show(entry->Name));
  name_text_.Displayed(name_->toPlainText());
  current_ = index;
}

void MapPage::Select(const QModelIndex& index) {
  // The fields were written back before the edit that chose index.
  current_ = QPersistentModelIndex();
  {
    const QSignalBlocker quiet(tree_->selectionModel());
    tree_->selectionModel()->setCurrentIndex(
        index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  }
  if (index.isValid()) tree_->scrollTo(index);
  ShowFields(index);
}

void MapPage::Add() {
  if (model_->Root() == nullptr) return;
  Commit();
  const QModelIndex selected = tree_->currentIndex();
  if (selected.isValid()) {
    Push(new AddEntryCommand(model_, model_->PathOf(selected.parent()), selected.row() + 1));
  } else {
    Push(new AddEntryCommand(model_, {}, model_->rowCount()));
  }
  tree_->setFocus();
  tree_->edit(tree_->currentIndex());
}

void MapPage::Remove() {
  Commit();
  const QModelIndex selected = tree_->currentIndex();
  const MapItem* entry = model_->Entry(selected);
  if (entry == nullptr) return;
  const int count = model_->EntriesIn(selected);
  if (count > 1 &&
      Ask(Prompt::kQuestion,
          tr("Remove '%1' and every entry below it, %n entries in all?", nullptr, count)
              .arg(FromEngine(entry->Name))) != Answer::kYes) {
    return;
  }
  Push(new RemoveEntryCommand(model_, model_->PathOf(selected)));
  tree_->setFocus();
}

void MapPage::MoveBeside(bool down) {
  Commit();
  const QModelIndex selected = tree_->currentIndex();
  const int row = selected.row() + (down ? 1 : -1);
  if (selected.isValid() && row >= 0 && row < model_->rowCount(selected.parent())) {
    Push(new MoveEntryCommand(model_, model_->PathOf(selected), model_->PathOf(selected.parent()),
                              row, down ? tr("Move down") : tr("Move up")));
  }
  tree_->setFocus();
}

void MapPage::MoveHigher() {
  Commit();
  const QModelIndex selected = tree_->currentIndex();
  const QModelIndex parent = selected.parent();
  if (parent.isValid()) {
    Push(new MoveEntryCommand(model_, model_->PathOf(selected), model_->PathOf(parent.parent()),
                              parent.row() + 1, tr("Move higher")));
  }
  tree_->setFocus();
}

void MapPage::MoveLower() {
  const QModelIndex selected = tree_->currentIndex();
  if (selected.isValid() && selected.row() > 0) {
    const QModelIndex target = model_->index(selected.row() - 1, 0, selected.parent());
    MoveTo(selected, target, model_->rowCount(target));
  } else {
    Commit();
  }
  tree_->setFocus();
}

void MapPage::MoveTo(const QModelIndex& entry, const QModelIndex& parent, int row) {
  Commit();
  if (model_->Entry(entry) == nullptr) return;
  Push(new MoveEntryCommand(model_, model_->PathOf(entry), model_->PathOf(parent), row,
                            tr("Move entry")));
  tree_->expand(tree_->currentIndex().parent());
}

void MapPage::ApplyScan(MapItemList& scanned, VellumKeptScan* kept_before) {
  Commit();
  current_ = QPersistentModelIndex();
  Push(new ScanCommand(model_, scanned, kept_before));
  QHash<QByteArray, QString> broken;
  const auto add = [&broken](const char* url, const QString& line) {
    QString& lines = broken[Bytes(url)];
    lines += (lines.isEmpty() ? QString() : QStringLiteral("\n")) + line;
  };
  for (int32_t i = 0; i < VellumBrokenLinkCount(); ++i) {
    const VellumBrokenLink link = VellumFilled(VellumBrokenLinkAt, i);
    const QString reason = FromEngine(link.Reason);
    const QString problem =
        link.Status != 0 ? QStringLiteral("%1 %2").arg(link.Status).arg(reason) : reason;
    add(link.Address, tr("Broken link: %1").arg(problem));
    if (link.Page != nullptr && *link.Page != '\0') {
      add(link.Page, tr("Links to a broken link: %1 (%2)").arg(FromEngine(link.Address), problem));
    }
  }
  model_->SetBrokenLinks(std::move(broken));
}

void MapPage::Renamed(const QModelIndex& index, const QByteArray& name) {
  // A name typed into the tree itself (F2).
  if (index == current_) {
    name_->setPlainText(QString::fromUtf8(name));
    Commit();
  } else if (const MapItem* entry = model_->Entry(index);
             entry != nullptr && Differs(entry->Name, name)) {
    Push(new SetTextCommand(model_, model_->PathOf(index), MapModel::kName, Bytes(entry->Name),
                            name));
  }
}

}  // namespace bramblel

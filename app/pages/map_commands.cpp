#include "pages/map_commands.h"

#include <QObject>
#include <utility>

namespace bramblel {

namespace {

TreePath Below(TreePath parent, int row) {
  parent.push_back(row);
  return parent;
}

}  // namespace

AddEntryCommand::AddEntryCommand(MapModel* model, TreePath parent, int row)
    : QUndoCommand(QObject::tr("Add entry")),
      model_(model),
      parent_(std::move(parent)),
      row_(row) {}

void AddEntryCommand::redo() {
  emit model_->Touched(model_->Insert(model_->IndexAt(parent_), row_, nullptr, nullptr));
}

void AddEntryCommand::undo() {
  MapItemList gone{0, nullptr};
  model_->Take(model_->IndexAt(Below(parent_, row_)), gone);
  VellumTreeClear(&gone);
  emit model_->Touched(row_ > 0 ? model_->IndexAt(Below(parent_, row_ - 1))
                                : model_->IndexAt(parent_));
}

RemoveEntryCommand::RemoveEntryCommand(MapModel* model, TreePath path)
    : QUndoCommand(QObject::tr("Remove entry")), model_(model), path_(std::move(path)) {}

RemoveEntryCommand::~RemoveEntryCommand() { VellumTreeClear(&held_); }

void RemoveEntryCommand::redo() {
  const QModelIndex entry = model_->IndexAt(path_);
  const QModelIndex parent = entry.parent();
  const int row = entry.row();
  model_->Take(entry, held_);
  // The next sibling is shown next, else the previous one, else the parent.
  const int siblings = model_->rowCount(parent);
  emit model_->Touched(row < siblings ? model_->index(row, 0, parent)
                       : row > 0      ? model_->index(row - 1, 0, parent)
                                      : parent);
}

void RemoveEntryCommand::undo() {
  TreePath parent = path_;
  parent.pop_back();
  emit model_->Touched(model_->Put(model_->IndexAt(parent), path_.back(), held_));
}

SetTextCommand::SetTextCommand(MapModel* model, TreePath path, MapModel::Field field,
                               QByteArray before, QByteArray after, QUndoCommand* parent)
    : QUndoCommand(
          field == MapModel::kName ? QObject::tr("Rename entry") : QObject::tr("Change URL"),
          parent),
      model_(model),
      path_(std::move(path)),
      field_(field),
      before_(std::move(before)),
      after_(std::move(after)) {}

void SetTextCommand::redo() {
  const QModelIndex entry = model_->IndexAt(path_);
  model_->SetText(entry, field_, after_);
  if (!first_) emit model_->Touched(entry);
  first_ = false;
}

void SetTextCommand::undo() {
  const QModelIndex entry = model_->IndexAt(path_);
  model_->SetText(entry, field_, before_);
  emit model_->Touched(entry);
}

MoveEntryCommand::MoveEntryCommand(MapModel* model, TreePath path, TreePath parent, int row,
                                   const QString& text)
    : QUndoCommand(text),
      model_(model),
      path_(std::move(path)),
      parent_(std::move(parent)),
      row_(row) {}

void MoveEntryCommand::redo() {
  const QModelIndex entry = model_->IndexAt(path_);
  const QPersistentModelIndex old_parent = entry.parent();
  old_row_ = entry.row();
  const QModelIndex moved = model_->Move(entry, model_->IndexAt(parent_), row_);
  if (!moved.isValid()) {
    setObsolete(true);  // refused: nothing to undo
    return;
  }
  moved_ = model_->PathOf(moved);
  old_parent_ = model_->PathOf(old_parent);
  emit model_->Touched(moved);
}

void MoveEntryCommand::undo() {
  emit model_->Touched(
      model_->Move(model_->IndexAt(moved_), model_->IndexAt(old_parent_), old_row_));
}

ScanCommand::ScanCommand(MapModel* model, MapItemList& scanned, VellumKeptScan* kept_before)
    : QUndoCommand(QObject::tr("Scan the site")), model_(model), other_kept_(kept_before) {
  VellumTreeSwap(&other_, &scanned);
  // The engine keeps the scan's already: the first redo puts it back.
  VellumKeptScanSwap(other_kept_);
}

ScanCommand::~ScanCommand() {
  VellumTreeClear(&other_);
  VellumKeptScanFree(other_kept_);
}

void ScanCommand::redo() {
  model_->SwapTree(other_);
  VellumKeptScanSwap(other_kept_);
  emit model_->Touched({});
}

void ScanCommand::undo() { redo(); }

}  // namespace bramblel

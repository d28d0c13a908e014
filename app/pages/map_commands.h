// The Map page's edits as undo commands over the tree model. A command names
// its entries by their paths, which its undo and redo leave as they found
// them; what a removal or a scan takes out of the tree stays in a list the
// command keeps until it is undone or deleted.
#ifndef BRAMBLEL_PAGES_MAP_COMMANDS_H
#define BRAMBLEL_PAGES_MAP_COMMANDS_H

#include <QByteArray>
#include <QUndoCommand>

#include "pages/map_model.h"

namespace bramblel {

// A new, empty entry at row of the entry at parent.
class AddEntryCommand : public QUndoCommand {
 public:
  AddEntryCommand(MapModel* model, TreePath parent, int row);
  void redo() override;
  void undo() override;

 private:
  MapModel* model_;
  TreePath parent_;
  int row_;
};

// The entry at path, with its subtree.
class RemoveEntryCommand : public QUndoCommand {
 public:
  RemoveEntryCommand(MapModel* model, TreePath path);
  ~RemoveEntryCommand() override;
  void redo() override;
  void undo() override;

 private:
  MapModel* model_;
  TreePath path_;
  MapItemList held_{0, nullptr};
};

// One text of the entry at path.
class SetTextCommand : public QUndoCommand {
 public:
  SetTextCommand(MapModel* model, TreePath path, MapModel::Field field, QByteArray before,
                 QByteArray after, QUndoCommand* parent = nullptr);
  void redo() override;
  void undo() override;

 private:
  MapModel* model_;
  TreePath path_;
  MapModel::Field field_;
  QByteArray before_, after_;
  bool first_ = true;  // the first redo is the edit the user made
};

// The entry at path to row of the entry at parent (row counted once the
// entry has left its place): the buttons' moves and a drag.
class MoveEntryCommand : public QUndoCommand {
 public:
  MoveEntryCommand(MapModel* model, TreePath path, TreePath parent, int row, const QString& text);
  void redo() override;
  void undo() override;

 private:
  MapModel* model_;
  TreePath path_, parent_;
  int row_;
  // Where undo takes it from and back to, learnt by the first redo.
  TreePath moved_, old_parent_;
  int old_row_ = 0;
};

// The whole tree replaced by a scan's, and the project's kept scan by the
// one the scan left: the command takes scanned and kept_before (the kept
// scan before the scan) over.
class ScanCommand : public QUndoCommand {
 public:
  ScanCommand(MapModel* model, MapItemList& scanned, VellumKeptScan* kept_before);
  ~ScanCommand() override;
  void redo() override;
  void undo() override;

 private:
  MapModel* model_;
  MapItemList other_{0, nullptr};  // the tree not shown
  VellumKeptScan* other_kept_;     // the kept scan that goes with it
};

}  // namespace bramblel

#endif  // BRAMBLEL_PAGES_MAP_COMMANDS_H

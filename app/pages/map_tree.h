// The Map page's tree control: one entry per node, names editable with F2,
// and a node dragged onto another asks to become its last child.
#ifndef BRAMBLEL_PAGES_MAP_TREE_H
#define BRAMBLEL_PAGES_MAP_TREE_H

#include <QTreeWidget>

namespace bramblel {

class MapTree : public QTreeWidget {
  Q_OBJECT
 public:
  explicit MapTree(QWidget* parent = nullptr);

  // The entry's place among its siblings.
  int IndexOf(const QTreeWidgetItem* entry) const;
  // Moves entry with its sub-entries under parent (null: the top level) to
  // index, counted once entry has left its old place. Open entries stay open.
  void Relocate(QTreeWidgetItem* entry, QTreeWidgetItem* parent, int index);

 signals:
  void DroppedOnto(QTreeWidgetItem* entry, QTreeWidgetItem* target);

 protected:
  void dropEvent(QDropEvent* event) override;
};

}  // namespace bramblel

#endif  // BRAMBLEL_PAGES_MAP_TREE_H

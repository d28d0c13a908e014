// The Map page's tree view: one row per entry, names editable with F2, and
// entries dragged as in a file manager (between two entries to reorder,
// onto one to become its last child, below the last to the top level). The
// model decides where a drop may go and what it does.
#ifndef BRAMBLEL_PAGES_MAP_TREE_H
#define BRAMBLEL_PAGES_MAP_TREE_H

#include <QTreeView>

namespace bramblel {

class MapTree : public QTreeView {
  Q_OBJECT
 public:
  explicit MapTree(QWidget* parent = nullptr);
};

}  // namespace bramblel

#endif  // BRAMBLEL_PAGES_MAP_TREE_H

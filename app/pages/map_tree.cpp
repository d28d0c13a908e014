#include "pages/map_tree.h"

#include <QDropEvent>
#include <vector>

namespace bramblel {

MapTree::MapTree(QWidget* parent) : QTreeWidget(parent) {
  setHeaderHidden(true);
  setUniformRowHeights(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::EditKeyPressed);
  setDragDropMode(QAbstractItemView::InternalMove);
  setDefaultDropAction(Qt::MoveAction);
}

int MapTree::IndexOf(const QTreeWidgetItem* entry) const {
  auto* item = const_cast<QTreeWidgetItem*>(entry);
  return entry->parent() != nullptr ? entry->parent()->indexOfChild(item)
                                    : indexOfTopLevelItem(item);
}

void MapTree::Relocate(QTreeWidgetItem* entry, QTreeWidgetItem* parent, int index) {
  // The control forgets which entries were open once they leave it.
  std::vector<QTreeWidgetItem*> open;
  std::vector<QTreeWidgetItem*> pending{entry};
  while (!pending.empty()) {
    QTreeWidgetItem* next = pending.back();
    pending.pop_back();
    if (!next->isExpanded()) continue;
    open.push_back(next);
    for (int i = 0; i < next->childCount(); ++i) pending.push_back(next->child(i));
  }

  if (QTreeWidgetItem* old_parent = entry->parent()) {
    old_parent->removeChild(entry);
  } else {
    takeTopLevelItem(indexOfTopLevelItem(entry));
  }
  if (parent != nullptr) {
    parent->insertChild(index, entry);
  } else {
    insertTopLevelItem(index, entry);
  }
  for (QTreeWidgetItem* item : open) item->setExpanded(true);
}

void MapTree::dropEvent(QDropEvent* event) {
  // The control does not move anything itself: the page moves the node and
  // its entry together.
  QTreeWidgetItem* entry = currentItem();
  QTreeWidgetItem* target = itemAt(event->position().toPoint());
  event->setDropAction(Qt::IgnoreAction);
  event->accept();
  if (entry != nullptr && target != nullptr) emit DroppedOnto(entry, target);
}

}  // namespace bramblel

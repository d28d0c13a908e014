#include "pages/map_model.h"

#include <QApplication>
#include <QDataStream>
#include <QIODevice>
#include <QIcon>
#include <QMimeData>
#include <QStyle>
#include <algorithm>
#include <utility>

#include "pages/engine_text.h"

namespace bramblel {

// One entry a view has asked about. row is kept equal to the node's place
// among its parent's children.
struct MapModel::Node {
  Node* parent = nullptr;
  int row = 0;
  bool built = false;
  std::vector<std::unique_ptr<Node>> children;
};

MapModel::MapModel(QObject* parent) : QAbstractItemModel(parent), top_(std::make_unique<Node>()) {}

MapModel::~MapModel() = default;

void MapModel::SetRoot(MapItemList* root) {
  beginResetModel();
  root_ = root;
  top_ = std::make_unique<Node>();
  broken_.clear();
  endResetModel();
}

MapModel::Node* MapModel::NodeOf(const QModelIndex& index) const {
  return index.isValid() ? static_cast<Node*>(index.internalPointer()) : top_.get();
}

MapItem* MapModel::EntryOf(const Node* node) const {
  TreePath rows;
  for (; node != top_.get(); node = node->parent) rows.push_back(node->row);
  std::reverse(rows.begin(), rows.end());
  return VellumTreeEntry(root_, rows.data(), static_cast<int32_t>(rows.size()));
}

MapItemList* MapModel::ListOf(const Node* node) const {
  if (node == top_.get()) return root_;
  MapItem* entry = EntryOf(node);
  return entry == nullptr ? nullptr : &entry->Children;
}

MapModel::Nodes& MapModel::Children(Node* node) const {
  if (!node->built) {
    node->built = true;
    const MapItemList* list = ListOf(node);
    const int count = list == nullptr ? 0 : list->Count;
    node->children.reserve(count);
    for (int i = 0; i < count; ++i) {
      auto child = std::make_unique<Node>();
      child->parent = node;
      child->row = i;
      node->children.push_back(std::move(child));
    }
  }
  return node->children;
}

void MapModel::Renumber(Nodes& nodes, std::size_t from) {
  for (std::size_t i = from; i < nodes.size(); ++i) nodes[i]->row = static_cast<int>(i);
}

QModelIndex MapModel::IndexOf(Node* node) const {
  return node == top_.get() ? QModelIndex() : createIndex(node->row, 0, node);
}

QModelIndex MapModel::index(int row, int column, const QModelIndex& parent) const {
  if (root_ == nullptr || column != 0 || row < 0) return {};
  Nodes& children = Children(NodeOf(parent));
  if (row >= static_cast<int>(children.size())) return {};
  return createIndex(row, 0, children[row].get());
}

QModelIndex MapModel::parent(const QModelIndex& child) const {
  if (!child.isValid()) return {};
  return IndexOf(NodeOf(child)->parent);
}

int MapModel::rowCount(const QModelIndex& parent) const {
  if (root_ == nullptr || parent.column() > 0) return 0;
  Node* node = NodeOf(parent);
  if (node->built) return static_cast<int>(node->children.size());
  const MapItemList* list = ListOf(node);
  return list == nullptr ? 0 : list->Count;
}

int MapModel::columnCount(const QModelIndex& /*parent*/) const { return 1; }

bool MapModel::hasChildren(const QModelIndex& parent) const { return rowCount(parent) > 0; }

QVariant MapModel::data(const QModelIndex& index, int role) const {
  const MapItem* entry = Entry(index);
  if (entry == nullptr) return {};
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      return FromEngine(entry->Name);
    case kUrlRole:
      return FromEngine(entry->URL);
    case Qt::ToolTipRole: {
      const QString url = FromEngine(entry->URL);
      const auto broken = broken_.constFind(QByteArray(entry->URL));
      if (entry->URL == nullptr || broken == broken_.cend()) return url;
      return url + QLatin1Char('\n') + *broken;
    }
    case Qt::DecorationRole:
      if (entry->URL != nullptr && broken_.contains(QByteArray(entry->URL))) {
        return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
      }
      return {};
    default:
      return {};
  }
}

bool MapModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || Entry(index) == nullptr) return false;
  emit RenameRequested(index, value.toString().toUtf8());
  return true;
}

Qt::ItemFlags MapModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::ItemIsDropEnabled;
  return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable | Qt::ItemIsDragEnabled |
         Qt::ItemIsDropEnabled;
}

QStringList MapModel::mimeTypes() const { return {QLatin1String(kMimeType)}; }

QMimeData* MapModel::mimeData(const QModelIndexList& indexes) const {
  if (indexes.isEmpty() || Entry(indexes.first()) == nullptr) return nullptr;
  QByteArray encoded;
  QDataStream stream(&encoded, QIODevice::WriteOnly);
  for (int32_t row : PathOf(indexes.first())) stream << row;
  auto* data = new QMimeData;
  data->setData(QLatin1String(kMimeType), encoded);
  return data;
}

bool MapModel::DropPlace(const QMimeData* data, int& row, const QModelIndex& parent,
                         QModelIndex& entry) const {
  if (data == nullptr || !data->hasFormat(QLatin1String(kMimeType))) return false;
  TreePath path;
  QDataStream stream(data->data(QLatin1String(kMimeType)));
  for (int32_t step = 0; !stream.atEnd();) {
    stream >> step;
    path.push_back(step);
  }
  entry = IndexAt(path);
  if (!entry.isValid() || stream.status() != QDataStream::Ok || PathOf(entry) != path) return false;
  // Never into its own subtree.
  for (QModelIndex at = parent; at.isValid(); at = at.parent()) {
    if (at == entry) return false;
  }
  if (row < 0 || row > rowCount(parent)) row = rowCount(parent);
  if (parent == entry.parent()) {
    if (row == entry.row() || row == entry.row() + 1) return false;  // where it is
    if (row > entry.row()) --row;
  }
  return true;
}

bool MapModel::canDropMimeData(const QMimeData* data, Qt::DropAction action, int row,
                               int /*column*/, const QModelIndex& parent) const {
  QModelIndex entry;
  return action == Qt::MoveAction && DropPlace(data, row, parent, entry);
}

bool MapModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                            const QModelIndex& parent) {
  QModelIndex entry;
  if (!canDropMimeData(data, action, row, column, parent) || !DropPlace(data, row, parent, entry)) {
    return false;
  }
  emit MoveRequested(entry, parent, row);
  return true;
}

MapItem* MapModel::Entry(const QModelIndex& index) const {
  if (!index.isValid() || index.model() != this || root_ == nullptr) return nullptr;
  return EntryOf(NodeOf(index));
}

TreePath MapModel::PathOf(const QModelIndex& index) const {
  TreePath path;
  for (QModelIndex at = index; at.isValid(); at = at.parent()) path.push_back(at.row());
  std::reverse(path.begin(), path.end());
  return path;
}

QModelIndex MapModel::IndexAt(const TreePath& path) const {
  QModelIndex at;
  for (int32_t row : path) {
    at = index(row, 0, at);
    if (!at.isValid()) return {};
  }
  return at;
}

int MapModel::EntriesIn(const QModelIndex& index) const {
  const MapItem* entry = Entry(index);
  return entry == nullptr ? 0 : 1 + VellumTreeSize(&entry->Children);
}

// Tells the view of the entry the engine now holds at row of parent.
QModelIndex MapModel::Inserted(const QModelIndex& parent, Node* node, int row) {
  beginInsertRows(parent, row, row);
  if (node->built) {
    auto child = std::make_unique<Node>();
    child->parent = node;
    node->children.insert(node->children.begin() + row, std::move(child));
    Renumber(node->children, row);
  }
  endInsertRows();
  return index(row, 0, parent);
}

QModelIndex MapModel::Insert(const QModelIndex& parent, int row, const char* url,
                             const char* name) {
  Node* node = NodeOf(parent);
  MapItemList* list = ListOf(node);
  // The engine first: an insertion it refuses changes nothing here.
  if (list == nullptr || VellumTreeInsert(list, row, url, name) == nullptr) return {};
  return Inserted(parent, node, row);
}

bool MapModel::Take(const QModelIndex& index, MapItemList& held) {
  if (Entry(index) == nullptr) return false;
  Node* node = NodeOf(index);
  Node* parent = node->parent;
  const int row = node->row;
  beginRemoveRows(index.parent(), row, row);
  const bool taken = VellumTreeTransfer(ListOf(parent), row, &held, held.Count) != 0;
  if (taken) {
    parent->children.erase(parent->children.begin() + row);
    Renumber(parent->children, row);
  }
  endRemoveRows();
  if (!taken) {
    // Out of memory: what the view was told is undone by showing it anew.
    beginResetModel();
    top_ = std::make_unique<Node>();
    endResetModel();
  }
  return taken;
}

QModelIndex MapModel::Put(const QModelIndex& parent, int row, MapItemList& held) {
  Node* node = NodeOf(parent);
  MapItemList* list = ListOf(node);
  if (list == nullptr || held.Count == 0 ||
      VellumTreeTransfer(&held, held.Count - 1, list, row) == 0) {
    return {};
  }
  return Inserted(parent, node, row);
}

QModelIndex MapModel::Move(const QModelIndex& index, const QModelIndex& parent, int row) {
  if (Entry(index) == nullptr) return {};
  Node* node = NodeOf(index);
  Node* from = node->parent;
  Node* to = NodeOf(parent);
  for (const Node* at = to; at != nullptr; at = at->parent) {
    if (at == node) return {};
  }
  Nodes& targets = Children(to);
  const int room = static_cast<int>(targets.size()) - (from == to ? 1 : 0);
  if (row < 0 || row > room) return {};
  if (from == to && row == node->row) return index;
  // Qt counts the destination before the entry leaves its place.
  const int destination = from == to && row > node->row ? row + 1 : row;
  if (!beginMoveRows(index.parent(), node->row, node->row, parent, destination)) return {};
  const bool moved = VellumTreeTransfer(ListOf(from), node->row, ListOf(to), row) != 0;
  if (moved) {
    std::unique_ptr<Node> taken = std::move(from->children[node->row]);
    from->children.erase(from->children.begin() + node->row);
    Renumber(from->children, 0);
    taken->parent = to;
    to->children.insert(to->children.begin() + row, std::move(taken));
    Renumber(to->children, 0);
  }
  endMoveRows();
  if (!moved) {
    beginResetModel();
    top_ = std::make_unique<Node>();
    endResetModel();
    return {};
  }
  return IndexOf(node);
}

bool MapModel::SetText(const QModelIndex& index, Field field, const QByteArray& value) {
  MapItem* entry = Entry(index);
  if (entry == nullptr) return false;
  const char** text = field == kName ? &entry->Name : &entry->URL;
  if (VellumTreeSetText(text, value.isNull() ? nullptr : value.constData()) == 0) return false;
  emit dataChanged(index, index);
  return true;
}

void MapModel::SwapTree(MapItemList& other) {
  beginResetModel();
  VellumTreeSwap(root_, &other);
  top_ = std::make_unique<Node>();
  endResetModel();
}

void MapModel::SetBrokenLinks(QHash<QByteArray, QString> reasons) {
  broken_ = std::move(reasons);
  // A range of rows has the views repaint every entry they show.
  const int rows = rowCount();
  if (rows > 0) emit dataChanged(index(0, 0), index(rows - 1, 0));
}

}  // namespace bramblel

// The site map tree as a Qt item model: one row per entry of the engine's
// own MapItem lists, read and changed only through the engine's Vellum*
// tree functions. The model keeps no copy of the entries' texts: it keeps a
// small node per entry that a view has asked about (built a level at a time
// as the view opens it), so that an index names its entry across edits that
// move the engine's arrays.
#ifndef BRAMBLEL_PAGES_MAP_MODEL_H
#define BRAMBLEL_PAGES_MAP_MODEL_H

#include <QAbstractItemModel>
#include <QByteArray>
#include <QHash>
#include <QString>
#include <memory>
#include <vector>

#include "vellum/vellum.h"

namespace bramblel {

// An entry's place: its index in the top level, then among the children of
// each entry on the way down.
using TreePath = std::vector<int32_t>;

class MapModel : public QAbstractItemModel {
  Q_OBJECT
 public:
  enum Field { kName, kUrl };
  // The entry's URL, for the views and the find bar.
  static constexpr int kUrlRole = Qt::UserRole + 1;
  // The drag format: the dragged entry's path.
  static constexpr const char* kMimeType = "application/x-bramblel-map-entry";

  explicit MapModel(QObject* parent = nullptr);
  ~MapModel() override;

  // Shows the tree of root (null: none). The list must outlive the model's
  // use of it, or be replaced first.
  void SetRoot(MapItemList* root);
  MapItemList* Root() const { return root_; }

  QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  bool hasChildren(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  // A name typed into the view asks for a rename (RenameRequested); the
  // owner makes it an undoable command.
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  Qt::DropActions supportedDropActions() const override { return Qt::MoveAction; }
  QStringList mimeTypes() const override;
  QMimeData* mimeData(const QModelIndexList& indexes) const override;
  bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                       const QModelIndex& parent) const override;
  // A drop asks for a move (MoveRequested) and changes nothing itself.
  bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                    const QModelIndex& parent) override;

  // The engine's entry behind index; null for none.
  MapItem* Entry(const QModelIndex& index) const;
  TreePath PathOf(const QModelIndex& index) const;
  // The index at path; the root (invalid) for an empty path or a path that
  // leads nowhere.
  QModelIndex IndexAt(const TreePath& path) const;
  // The entries index stands for: itself and every entry below it.
  int EntriesIn(const QModelIndex& index) const;

  // The edits, without undo (the commands make them undoable). Each says
  // which entry to show next through Touched.
  //
  // A new entry (copies of the texts; null for none) at row of parent.
  QModelIndex Insert(const QModelIndex& parent, int row, const char* url, const char* name);
  // Takes the entry with its subtree out of the tree and appends it to held,
  // a list the caller keeps.
  bool Take(const QModelIndex& index, MapItemList& held);
  // Puts the last entry of held back at row of parent.
  QModelIndex Put(const QModelIndex& parent, int row, MapItemList& held);
  // Moves the entry with its subtree to row of parent, row counted once the
  // entry has left its old place. Returns the entry at its new place, or an
  // invalid index when the move is refused (into its own subtree).
  QModelIndex Move(const QModelIndex& index, const QModelIndex& parent, int row);
  // Sets a text (null: none) by the engine's rule; false when it was so.
  bool SetText(const QModelIndex& index, Field field, const QByteArray& value);
  // Exchanges the whole tree with the entries of other.
  void SwapTree(MapItemList& other);

  // What the last scan could not read, by the URL of the entry it concerns
  // (a broken link itself, or a page that links one): those entries show a
  // warning, and these lines in their tooltip.
  void SetBrokenLinks(QHash<QByteArray, QString> reasons);

 signals:
  void RenameRequested(const QModelIndex& index, const QByteArray& name);
  void MoveRequested(const QModelIndex& index, const QModelIndex& parent, int row);
  // The entry an edit, or its undoing, leaves to be shown; invalid for none.
  void Touched(const QModelIndex& index);

 private:
  struct Node;
  using Nodes = std::vector<std::unique_ptr<Node>>;
  static void Renumber(Nodes& nodes, std::size_t from);
  Node* NodeOf(const QModelIndex& index) const;
  QModelIndex Inserted(const QModelIndex& parent, Node* node, int row);
  MapItemList* ListOf(const Node* node) const;
  MapItem* EntryOf(const Node* node) const;
  // The nodes of node's children, made on first use.
  Nodes& Children(Node* node) const;
  QModelIndex IndexOf(Node* node) const;
  // Where a drop of data at (row, parent) moves its entry: the entry, and
  // row counted as in Move; false when the drop does not fit.
  bool DropPlace(const QMimeData* data, int& row, const QModelIndex& parent,
                 QModelIndex& entry) const;

  MapItemList* root_ = nullptr;
  std::unique_ptr<Node> top_;
  QHash<QByteArray, QString> broken_;
};

}  // namespace bramblel

#endif  // BRAMBLEL_PAGES_MAP_MODEL_H

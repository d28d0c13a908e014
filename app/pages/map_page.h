// The Map page: the tree of links the site map is made of, edited by hand.
// The tree view shows the engine's own tree through a MapModel; every edit
// is an undoable command on the page's undo stack (the document's, once the
// window gives it one).
#ifndef BRAMBLEL_PAGES_MAP_PAGE_H
#define BRAMBLEL_PAGES_MAP_PAGE_H

#include <QPersistentModelIndex>
#include <QUndoStack>
#include <QWidget>

#include "pages/engine_text.h"
#include "vellum/vellum.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QToolButton;
class QUndoCommand;

namespace bramblel {

class MapModel;
class MapTree;

class MapPage : public QWidget {
  Q_OBJECT
 public:
  enum Button {
    kAdd,
    kRemove,
    kUp,
    kDown,
    kHigher,
    kLower,
    kWizard,
    kExpandAll,
    kCollapseAll,
    kButtonCount
  };

  explicit MapPage(QWidget* parent = nullptr);

  // Shows the tree of item (null: none), no entry current. The undo
  // history is its owner's to clear.
  void Fill(ScriptItem* item);
  // Writes the name and URL fields into the current entry, as one step.
  void Commit();
  // Edits go onto stack from now on (the page's own stack until then).
  void UseUndoStack(QUndoStack* stack);
  QUndoStack* UndoStack() const { return undo_; }

  // The commands, on the selected entry. Add puts a new entry behind it (at
  // the end of the top level when none is selected), selects it and starts
  // editing its name.
  void Add();
  void Remove();
  void MoveUp() { MoveBeside(false); }
  void MoveDown() { MoveBeside(true); }
  void MoveHigher();
  void MoveLower();
  // Moves entry to row of parent (row counted once entry has left its
  // place), as a drop does.
  void MoveTo(const QModelIndex& entry, const QModelIndex& parent, int row);
  // Puts the tree of a scan in place of the shown one, as one step that
  // also puts back kept_before, the project's kept scan as it was before
  // the scan, when undone (the page takes both over), and marks the links
  // the scan could not read.
  void ApplyScan(MapItemList& scanned, VellumKeptScan* kept_before);

  // The find bar: the field takes the focus; Enter finds the next entry
  // whose link name or URL holds the text (Shift+Enter the one before),
  // from the current entry on, round the end of the tree.
  void ShowFindBar();
  bool FindNext(bool backwards = false);

  MapTree* Tree() const { return tree_; }
  MapModel* Model() const { return model_; }
  QPlainTextEdit* LinkName() const { return name_; }
  QLineEdit* LinkUrl() const { return url_; }
  QToolButton* CommandButton(Button button) const { return buttons_[button]; }
  QWidget* FindBar() const { return find_bar_; }
  QLineEdit* FindField() const { return find_; }
  // The entry the fields show and write back; invalid for none.
  QModelIndex Current() const { return current_; }

 signals:
  // The Layout Wizard button: the owner runs the wizard, which scans.
  void WizardRequested();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* MakeFindBar();
  void Push(QUndoCommand* command);
  void Show(const QModelIndex& index);
  void ShowFields(const QModelIndex& index);
  void Select(const QModelIndex& index);
  void MoveBeside(bool down);
  void Renamed(const QModelIndex& index, const QByteArray& name);

  MapModel* model_;
  MapTree* tree_;
  QPlainTextEdit* name_;
  QLineEdit* url_;
  QToolButton* buttons_[kButtonCount];
  QWidget* find_bar_ = nullptr;
  QLineEdit* find_ = nullptr;
  QLabel* find_status_ = nullptr;
  QUndoStack own_undo_;
  QUndoStack* undo_ = &own_undo_;
  QPersistentModelIndex current_;
  bool committing_ = false;
  EngineText name_text_, url_text_;
};

}  // namespace bramblel

#endif  // BRAMBLEL_PAGES_MAP_PAGE_H

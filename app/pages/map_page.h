// The Map page: the tree of links the site map is made of, edited by hand.
// The page works on the site map's own lists through the engine's list
// operations; the tree control and the lists always have the same shape, so
// an entry's place in the control names its node.
#ifndef BRAMBLEL_PAGES_MAP_PAGE_H
#define BRAMBLEL_PAGES_MAP_PAGE_H

#include <QWidget>

#include "pages/engine_text.h"
#include "vellum/vellum.h"

class QLineEdit;
class QPlainTextEdit;
class QToolButton;
class QTreeWidgetItem;

namespace bramblel {

class MapTree;

class MapPage : public QWidget {
  Q_OBJECT
 public:
  enum Button { kAdd, kRemove, kUp, kDown, kHigher, kLower, kWizard, kButtonCount };

  explicit MapPage(QWidget* parent = nullptr);

  // Shows the tree of item, no node current; every later change to it marks
  // project modified.
  void Fill(Project* project, ScriptItem* item);
  // Writes the name and URL fields into the current node.
  void Commit();

  // The commands, on the selected entry.
  void Add();
  void Remove();
  void MoveUp() { MoveBeside(false); }
  void MoveDown() { MoveBeside(true); }
  void MoveHigher();
  void MoveLower();
  // Makes entry the last child of target, as a drag does.
  void MoveInto(QTreeWidgetItem* entry, QTreeWidgetItem* target);

  MapTree* Tree() const { return tree_; }
  QPlainTextEdit* LinkName() const { return name_; }
  QLineEdit* LinkUrl() const { return url_; }
  QToolButton* CommandButton(Button button) const { return buttons_[button]; }
  // The node an entry stands for; null for none.
  MapItem* NodeOf(const QTreeWidgetItem* entry) const;

 signals:
  // The Layout Wizard button: the owner runs the wizard and fills the page
  // again when it scanned.
  void WizardRequested();

 private:
  MapItemList* ListHolding(const QTreeWidgetItem* entry) const;
  void Show(QTreeWidgetItem* entry);
  void Select(QTreeWidgetItem* entry);
  void MoveBeside(bool down);
  void NameEdited(QTreeWidgetItem* entry);
  void Changed();

  Project* project_ = nullptr;
  MapItemList* root_ = nullptr;
  QTreeWidgetItem* current_ = nullptr;
  MapTree* tree_;
  QPlainTextEdit* name_;
  QLineEdit* url_;
  QToolButton* buttons_[kButtonCount];
  EngineText name_text_, url_text_;
};

}  // namespace bramblel

#endif  // BRAMBLEL_PAGES_MAP_PAGE_H

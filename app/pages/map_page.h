// The Map page: the tree of links the site map is made of.
#ifndef BRAMBLEL_PAGES_MAP_PAGE_H
#define BRAMBLEL_PAGES_MAP_PAGE_H

#include "pages/form_page.h"

class QLineEdit;
class QPlainTextEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace bramblel {

class MapPage : public FormPage {
  Q_OBJECT
 public:
  explicit MapPage(QWidget* parent = nullptr);

  // Shows the item's tree, no node selected.
  void Fill(const ScriptItem& item) override;
  // The tree lives in the item's own lists, not in the record.
  void Collect(Collected&) const override {}

  QTreeWidget* Tree() const { return tree_; }
  QPlainTextEdit* LinkName() const { return name_; }
  QLineEdit* LinkUrl() const { return url_; }

 private:
  void Show(QTreeWidgetItem* entry);

  QTreeWidget* tree_;
  QPlainTextEdit* name_;
  QLineEdit* url_;
};

}  // namespace bramblel

#endif  // BRAMBLEL_PAGES_MAP_PAGE_H

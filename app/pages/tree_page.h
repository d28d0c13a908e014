// The Tree page: the static tree has no settings of its own; the script tree
// has its expand-all and collapse-all links.
#ifndef BRAMBLEL_PAGES_TREE_PAGE_H
#define BRAMBLEL_PAGES_TREE_PAGE_H

#include "pages/controls.h"
#include "pages/form_page.h"

class QGroupBox;
class QLabel;

namespace bramblel {

class TreePage : public FormPage {
  Q_OBJECT
 public:
  explicit TreePage(QWidget* parent = nullptr);

  void Fill(const ScriptItem& item) override;
  void Collect(Collected& out) const override;
  // The script tree's settings show only for that layout.
  void ShowScriptTree(bool shown);

  QGroupBox* ScriptTree() const { return script_; }
  FlagBox* Links() const { return links_; }
  QLineEdit* ExpandText() const { return expand_; }
  QLineEdit* CollapseText() const { return collapse_; }

 private:
  QGroupBox* script_;
  QLabel* static_note_;  // in the script tree's place for the static tree
  FlagBox* links_;
  QLineEdit* expand_;
  QLineEdit* collapse_;
  EngineText expand_text_, collapse_text_;
};

}  // namespace bramblel

#endif  // BRAMBLEL_PAGES_TREE_PAGE_H

// The Navigation List page: the drop-down list's first entry.
#ifndef BRAMBLEL_PAGES_NAVIGATION_LIST_PAGE_H
#define BRAMBLEL_PAGES_NAVIGATION_LIST_PAGE_H

#include "pages/controls.h"
#include "pages/form_page.h"

namespace bramblel {

class NavigationListPage : public FormPage {
  Q_OBJECT
 public:
  explicit NavigationListPage(QWidget* parent = nullptr);

  void Fill(const ScriptItem& item) override;
  void Collect(Collected& out) const override;

  QLineEdit* FirstOption() const { return first_; }

 private:
  QLineEdit* first_;
  EngineText first_text_;
};

}  // namespace bramblel

#endif  // BRAMBLEL_PAGES_NAVIGATION_LIST_PAGE_H

// The Index page: the alphabetical index's catch-all group and letter bars.
#ifndef BRAMBLEL_PAGES_INDEX_PAGE_H
#define BRAMBLEL_PAGES_INDEX_PAGE_H

#include "pages/controls.h"
#include "pages/form_page.h"

namespace bramblel {

class IndexPage : public FormPage {
  Q_OBJECT
 public:
  explicit IndexPage(QWidget* parent = nullptr);

  void Fill(const ScriptItem& item) override;
  void Collect(Collected& out) const override;

 private:
  QLineEdit* other_;
  FlagBox* before_;
  FlagBox* after_;
  EngineText other_text_;
};

}  // namespace bramblel

#endif  // BRAMBLEL_PAGES_INDEX_PAGE_H

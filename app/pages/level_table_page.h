// The Level Table page: the border of the table.
#ifndef BRAMBLEL_PAGES_LEVEL_TABLE_PAGE_H
#define BRAMBLEL_PAGES_LEVEL_TABLE_PAGE_H

#include "pages/form_page.h"

class QSpinBox;

namespace bramblel {

class LevelTablePage : public FormPage {
  Q_OBJECT
 public:
  explicit LevelTablePage(QWidget* parent = nullptr);

  void Fill(const ScriptItem& item) override;
  void Collect(Collected& out) const override;

  QSpinBox* Border() const { return border_; }

 private:
  QSpinBox* border_;
  // A stored width beyond the box's range is kept while the box shows it.
  int32_t filled_ = 0;
};

}  // namespace bramblel

#endif  // BRAMBLEL_PAGES_LEVEL_TABLE_PAGE_H

// The UL Type page: the bullets of the list layouts, and the trail of the
// paged list.
#ifndef BRAMBLEL_PAGES_UL_TYPE_PAGE_H
#define BRAMBLEL_PAGES_UL_TYPE_PAGE_H

#include "pages/controls.h"
#include "pages/form_page.h"

class QGroupBox;

namespace bramblel {

class UlTypePage : public FormPage {
  Q_OBJECT
 public:
  explicit UlTypePage(QWidget* parent = nullptr);

  void Fill(const ScriptItem& item) override;
  void Collect(Collected& out) const override;
  // The paged list's settings show only for that layout.
  void ShowPagedList(bool shown);

  IndexList* TopLevel() const { return top_; }
  IndexList* SecondLevel() const { return second_; }
  QGroupBox* PagedList() const { return paged_; }
  FlagBox* Trail() const { return trail_; }
  QLineEdit* TrailTop() const { return trail_top_; }
  QLineEdit* TrailSeparator() const { return separator_; }
  FlagBox* ChildCounts() const { return child_counts_; }

 private:
  IndexList* top_;
  IndexList* second_;
  QGroupBox* paged_;
  FlagBox* trail_;
  QLineEdit* trail_top_;
  QLineEdit* separator_;
  FlagBox* child_counts_;
  EngineText trail_top_text_, separator_text_;
};

}  // namespace bramblel

#endif  // BRAMBLEL_PAGES_UL_TYPE_PAGE_H

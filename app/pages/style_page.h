// The Style page: the layout of the site map page, and its preview.
#ifndef BRAMBLEL_PAGES_STYLE_PAGE_H
#define BRAMBLEL_PAGES_STYLE_PAGE_H

#include "pages/form_page.h"

class QButtonGroup;
class QCheckBox;
class QPushButton;
class QRadioButton;

namespace bramblel {

class StylePage : public FormPage {
  Q_OBJECT
 public:
  explicit StylePage(QWidget* parent = nullptr);

  void Fill(const ScriptItem& item) override;
  void Collect(Collected& out) const override;

  // The output type chosen (VELLUM_OUTPUT_...).
  int OutputType() const { return type_; }
  QRadioButton* TypeButton(int type) const;
  QPushButton* PreviewButton() const { return preview_; }
  QCheckBox* Html5Box() const { return html5_; }

 signals:
  // The user chose another output type.
  void OutputTypeChanged(int type);
  void PreviewRequested();

 private:
  void Choose(int type);

  QButtonGroup* types_;
  QPushButton* preview_;
  // The project's page markup: HTML5 for every layout, or the classic pages.
  QCheckBox* html5_;
  int type_ = VELLUM_OUTPUT_UL_LIST;
  // A stored type that names no layout shows as the UL list and is kept
  // while the user chooses nothing else.
  uint8_t filled_ = VELLUM_OUTPUT_UL_LIST;
};

}  // namespace bramblel

#endif  // BRAMBLEL_PAGES_STYLE_PAGE_H

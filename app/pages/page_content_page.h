// The Page Content page: what the site map page carries besides the map.
#ifndef BRAMBLEL_PAGES_PAGE_CONTENT_PAGE_H
#define BRAMBLEL_PAGES_PAGE_CONTENT_PAGE_H

#include "pages/controls.h"
#include "pages/form_page.h"

class QPlainTextEdit;

namespace bramblel {

// Whole-text transfer of the multi-line HTML fields: an absent text shows
// as an empty field, and an empty field gives an absent text.
void SetRichText(QPlainTextEdit& field, EngineText& text, const char* value);
const char* GetRichText(const QPlainTextEdit& field, const EngineText& text, TextStore& store);

class PageContentPage : public FormPage {
  Q_OBJECT
 public:
  explicit PageContentPage(QWidget* parent = nullptr);

  void Fill(const ScriptItem& item) override;
  void Collect(Collected& out) const override;

  QLineEdit* Title() const { return title_; }
  ColorField* Background() const { return background_; }
  QLineEdit* Image() const { return image_; }
  QPlainTextEdit* TextAbove() const { return above_; }
  QPlainTextEdit* TextBelow() const { return below_; }
  QPlainTextEdit* HeadTags() const { return head_; }

 private:
  void ChooseImage();

  QLineEdit* title_;
  ColorField* background_;
  QLineEdit* image_;
  QPlainTextEdit* above_;
  QPlainTextEdit* below_;
  QPlainTextEdit* head_;
  EngineText title_text_, background_text_, image_text_, above_text_, below_text_, head_text_;
};

}  // namespace bramblel

#endif  // BRAMBLEL_PAGES_PAGE_CONTENT_PAGE_H

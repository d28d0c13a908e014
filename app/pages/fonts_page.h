// The Fonts page: font size, style and the page's colours.
#ifndef BRAMBLEL_PAGES_FONTS_PAGE_H
#define BRAMBLEL_PAGES_FONTS_PAGE_H

#include "pages/controls.h"
#include "pages/form_page.h"

namespace bramblel {

class FontsPage : public FormPage {
  Q_OBJECT
 public:
  explicit FontsPage(QWidget* parent = nullptr);

  void Fill(const ScriptItem& item) override;
  void Collect(Collected& out) const override;

  IndexList* Size() const { return size_; }
  IndexList* Style() const { return style_; }
  FlagBox* UseFontColor() const { return use_font_color_; }

 private:
  FlagBox* use_size_;
  IndexList* size_;
  IndexList* style_;
  FlagBox* use_font_color_;
  ColorField* font_color_;
  FlagBox* use_link_color_;
  ColorField* link_color_;
  FlagBox* use_visited_color_;
  ColorField* visited_color_;
  EngineText font_color_text_, link_color_text_, visited_color_text_;
};

}  // namespace bramblel

#endif  // BRAMBLEL_PAGES_FONTS_PAGE_H

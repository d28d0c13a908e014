#include "pages/fonts_page.h"

#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace bramblel {

FontsPage::FontsPage(QWidget* parent)
    : FormPage(parent),
      use_size_(new FlagBox(tr("Font si&ze:"), VELLUM_GEN_USE_FONT_SIZE, this)),
      size_(new IndexList({tr("xx-small"), tr("x-smal"), tr("small"), tr("medium"), tr("large"),
                           tr("x-large"), tr("xx-large")},
                          this)),
      style_(new IndexList({tr("Regular"), tr("Bold"), tr("Italic"), tr("Bold Itelic")}, this)),
      use_font_color_(new FlagBox(tr("Use Font &color:"), VELLUM_GEN_USE_FONT_COLOR, this)),
      font_color_(new ColorField(tr("Choose color"), this)),
      use_link_color_(new FlagBox(tr("Use Hi&ghlight color:"), VELLUM_GEN_USE_LINK_COLOR, this)),
      link_color_(new ColorField(tr("Choose color"), this)),
      use_visited_color_(
          new FlagBox(tr("Use Higlight &Background :"), VELLUM_GEN_USE_VISITED_COLOR, this)),
      visited_color_(new ColorField(tr("Choose color"), this)) {
  auto* style_label = new QLabel(tr("Font &style:"), this);
  style_label->setBuddy(style_);

  auto* grid = new QGridLayout;
  grid->addWidget(use_size_, 0, 0);
  grid->addWidget(size_, 0, 1);
  grid->addWidget(style_label, 1, 0);
  grid->addWidget(style_, 1, 1);
  grid->setRowMinimumHeight(2, 8);
  grid->addWidget(use_font_color_, 3, 0);
  grid->addWidget(font_color_, 3, 1);
  grid->addWidget(use_link_color_, 4, 0);
  grid->addWidget(link_color_, 4, 1);
  grid->addWidget(use_visited_color_, 5, 0);
  grid->addWidget(visited_color_, 5, 1);
  grid->setColumnStretch(1, 1);

  auto* page = new QVBoxLayout(this);
  page->addLayout(grid);
  page->addStretch(1);
}

void FontsPage::Fill(const ScriptItem& item) {
  const SiteMapSettings& settings = item.Body.SiteMap;
  for (FlagBox* box : {use_size_, use_font_color_, use_link_color_, use_visited_color_}) {
    box->Fill(item.Flags);
  }
  font_color_->Edit()->setText(font_color_text_.Show(settings.FontColor));
  link_color_->Edit()->setText(link_color_text_.Show(settings.LinkColor));
  visited_color_->Edit()->setText(visited_color_text_.Show(settings.VisitedColor));
  size_->Fill(settings.FontSize);
  style_->Fill(settings.FontStyle);
}

void FontsPage::Collect(Collected& out) const {
  SiteMapSettings& settings = out.settings;
  for (const FlagBox* box : {use_size_, use_font_color_, use_link_color_, use_visited_color_}) {
    box->Collect(out.flags);
  }
  settings.FontColor = out.texts.Keep(font_color_text_.Take(font_color_->Edit()->text()));
  settings.LinkColor = out.texts.Keep(link_color_text_.Take(link_color_->Edit()->text()));
  settings.VisitedColor = out.texts.Keep(visited_color_text_.Take(visited_color_->Edit()->text()));
  settings.FontSize = size_->Value();
  settings.FontStyle = style_->Value();
}

}  // namespace bramblel

#include "pages/style_page.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <utility>

namespace bramblel {

StylePage::StylePage(QWidget* parent)
    : FormPage(parent),
      types_(new QButtonGroup(this)),
      preview_(new QPushButton(this)),
      html5_(new QCheckBox(tr("HT&ML5 markup (accessible pages for keyboards, screen readers and "
                              "phones)"),
                           this)) {
  // The three classic layouts first, then the other pages the engine writes,
  // then the file for search engines.
  const std::pair<int, QString> choices[] = {
      {VELLUM_OUTPUT_UL_LIST, tr("&UL list")},
      {VELLUM_OUTPUT_ICON_TREE, tr("Static t&ree")},
      {VELLUM_OUTPUT_INDEX_PAGE, tr("&Index page")},
      {VELLUM_OUTPUT_PAGED_UL_LIST, tr("P&aged list")},
      {VELLUM_OUTPUT_SCRIPT_TREE, tr("&Script tree")},
      {VELLUM_OUTPUT_NAV_COMBO, tr("&Navigation list")},
      {VELLUM_OUTPUT_LEVEL_TABLE, tr("Level &table")},
      {VELLUM_OUTPUT_XML_SITEMAP, tr("&XML site map")},
  };
  auto* group = new QGroupBox(tr("Output type"), this);
  auto* buttons = new QVBoxLayout(group);
  for (const auto& [type, label] : choices) {
    auto* button = new QRadioButton(label, group);
    types_->addButton(button, type);
    buttons->addWidget(button);
  }
  TypeButton(type_)->setChecked(true);
  connect(types_, &QButtonGroup::idClicked, this, &StylePage::Choose);

  preview_->setText(tr("Previe&w Site Map"));
  connect(preview_, &QPushButton::clicked, this, &StylePage::PreviewRequested);
  auto* preview_row = new QHBoxLayout;
  preview_row->addWidget(preview_);
  preview_row->addStretch(1);

  auto* page = new QVBoxLayout(this);
  page->addWidget(group);
  page->addWidget(html5_);
  page->addLayout(preview_row);
  page->addStretch(1);
}

QRadioButton* StylePage::TypeButton(int type) const {
  return static_cast<QRadioButton*>(types_->button(type));
}

void StylePage::Fill(const ScriptItem& item) {
  filled_ = item.Body.SiteMap.OutputType;
  type_ = TypeButton(filled_) != nullptr ? filled_ : int{VELLUM_OUTPUT_UL_LIST};
  TypeButton(type_)->setChecked(true);
  html5_->setChecked(VellumFilled(VellumGetPageSettings).Markup == VELLUM_MARKUP_HTML5);
}

void StylePage::Collect(Collected& out) const {
  const bool kept = TypeButton(filled_) == nullptr && type_ == VELLUM_OUTPUT_UL_LIST;
  out.settings.OutputType = kept ? filled_ : static_cast<uint8_t>(type_);
  out.markup = html5_->isChecked() ? VELLUM_MARKUP_HTML5 : VELLUM_MARKUP_CLASSIC;
}

void StylePage::Choose(int type) {
  if (type == type_) return;
  type_ = type;
  filled_ = static_cast<uint8_t>(type);
  emit OutputTypeChanged(type);
}

}  // namespace bramblel

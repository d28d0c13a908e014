#include "pages/index_page.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QVBoxLayout>

namespace bramblel {

IndexPage::IndexPage(QWidget* parent)
    : FormPage(parent),
      other_(new QLineEdit(this)),
      before_(new FlagBox(tr("&Before site map"), VELLUM_GEN_LETTER_BAR_BEFORE, this)),
      after_(new FlagBox(tr("&After site map"), VELLUM_GEN_LETTER_BAR_AFTER, this)) {
  auto* form = new QFormLayout;
  AddFormRow(*form, tr("&Other item name:"), other_);

  auto* locations = new QGroupBox(tr("Locations of link buttons"), this);
  auto* boxes = new QVBoxLayout(locations);
  boxes->addWidget(before_);
  boxes->addWidget(after_);

  auto* page = new QVBoxLayout(this);
  page->addLayout(form);
  page->addWidget(locations);
  page->addStretch(1);
}

void IndexPage::Fill(const ScriptItem& item) {
  other_->setText(other_text_.Show(item.Body.SiteMap.OtherName));
  before_->Fill(item.Flags);
  after_->Fill(item.Flags);
}

void IndexPage::Collect(Collected& out) const {
  out.settings.OtherName = out.texts.Keep(other_text_.Take(other_->text()));
  before_->Collect(out.flags);
  after_->Collect(out.flags);
}

}  // namespace bramblel

#include "pages/level_table_page.h"

#include <QFormLayout>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "pages/controls.h"

namespace bramblel {

LevelTablePage::LevelTablePage(QWidget* parent) : FormPage(parent), border_(new QSpinBox(this)) {
  border_->setRange(0, 100);
  border_->setSuffix(tr(" px"));
  border_->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  auto* form = new QFormLayout;
  AddFormRow(*form, tr("Table &border:"), border_);
  auto* page = new QVBoxLayout(this);
  page->addLayout(form);
  page->addStretch(1);
}

void LevelTablePage::Fill(const ScriptItem& item) {
  filled_ = item.Body.SiteMap.TableBorder;
  border_->setValue(std::clamp(filled_, border_->minimum(), border_->maximum()));
}

void LevelTablePage::Collect(Collected& out) const {
  const bool kept = border_->value() == std::clamp(filled_, border_->minimum(), border_->maximum());
  out.settings.TableBorder = kept ? filled_ : border_->value();
}

}  // namespace bramblel

#include "pages/navigation_list_page.h"

#include <QFormLayout>
#include <QVBoxLayout>

namespace bramblel {

NavigationListPage::NavigationListPage(QWidget* parent)
    : FormPage(parent), first_(new QLineEdit(this)) {
  auto* form = new QFormLayout;
  AddFormRow(*form, tr("First &option text:"), first_);
  auto* page = new QVBoxLayout(this);
  page->addLayout(form);
  page->addStretch(1);
}

void NavigationListPage::Fill(const ScriptItem& item) {
  first_->setText(first_text_.Show(item.Body.SiteMap.ComboTitle));
}

void NavigationListPage::Collect(Collected& out) const {
  out.settings.ComboTitle = out.texts.Keep(first_text_.Take(first_->text()));
}

}  // namespace bramblel

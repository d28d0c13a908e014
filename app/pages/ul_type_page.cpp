#include "pages/ul_type_page.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QVBoxLayout>

namespace bramblel {

namespace {

QStringList Bullets() {
  return {UlTypePage::tr("circle"), UlTypePage::tr("disc"), UlTypePage::tr("square"),
          UlTypePage::tr("no bullet")};
}

}  // namespace

UlTypePage::UlTypePage(QWidget* parent)
    : FormPage(parent),
      top_(new IndexList(Bullets(), this)),
      second_(new IndexList(Bullets(), this)),
      paged_(new QGroupBox(tr("Paged list"), this)),
      trail_(new FlagBox(tr("Show the &trail of parent pages"), VELLUM_GEN_BREADCRUMBS, paged_)),
      trail_top_(new QLineEdit(paged_)),
      separator_(new QLineEdit(paged_)),
      child_counts_(new FlagBox(tr("Show &child counts"), VELLUM_GEN_CHILD_COUNTS, paged_)) {
  auto* lists = new QFormLayout;
  AddFormRow(*lists, tr("Top &level type:"), top_);
  AddFormRow(*lists, tr("&2nd level type:"), second_);

  auto* paged = new QFormLayout(paged_);
  paged->addRow(trail_);
  AddFormRow(*paged, tr("Trail t&op text:"), trail_top_);
  AddFormRow(*paged, tr("Trail &separator:"), separator_);
  paged->addRow(child_counts_);

  auto* page = new QVBoxLayout(this);
  page->addLayout(lists);
  page->addSpacing(8);
  page->addWidget(paged_);
  page->addStretch(1);
}

void UlTypePage::ShowPagedList(bool shown) { paged_->setVisible(shown); }

void UlTypePage::Fill(const ScriptItem& item) {
  const SiteMapSettings& settings = item.Body.SiteMap;
  top_->Fill(settings.TopListType);
  second_->Fill(settings.SubListType);
  trail_->Fill(item.Flags);
  trail_top_->setText(trail_top_text_.Show(settings.TopCrumbText));
  separator_->setText(separator_text_.Show(settings.CrumbSeparator));
  child_counts_->Fill(item.Flags);
}

void UlTypePage::Collect(Collected& out) const {
  out.settings.TopListType = top_->Value();
  out.settings.SubListType = second_->Value();
  trail_->Collect(out.flags);
  out.settings.TopCrumbText = out.texts.Keep(trail_top_text_.Take(trail_top_->text()));
  out.settings.CrumbSeparator = out.texts.Keep(separator_text_.Take(separator_->text()));
  child_counts_->Collect(out.flags);
}

}  // namespace bramblel

#include "pages/tree_page.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>

namespace bramblel {

TreePage::TreePage(QWidget* parent)
    : FormPage(parent),
      script_(new QGroupBox(tr("Script tree"), this)),
      static_note_(new QLabel(tr("The static tree has no settings of its own: its pictures "
                                 "come from the picture scheme, its fonts and colours from "
                                 "the Fonts page."),
                              this)),
      links_(new FlagBox(tr("Show Expand all and Collapse all &links"),
                         VELLUM_GEN_EXPAND_COLLAPSE_LINKS, script_)),
      expand_(new QLineEdit(script_)),
      collapse_(new QLineEdit(script_)) {
  auto* form = new QFormLayout(script_);
  form->addRow(links_);
  AddFormRow(*form, tr("E&xpand-all text:"), expand_);
  AddFormRow(*form, tr("C&ollapse-all text:"), collapse_);

  static_note_->setWordWrap(true);
  static_note_->hide();

  auto* page = new QVBoxLayout(this);
  page->addWidget(static_note_);
  page->addWidget(script_);
  page->addStretch(1);
}

void TreePage::ShowScriptTree(bool shown) {
  script_->setVisible(shown);
  static_note_->setVisible(!shown);
}

void TreePage::Fill(const ScriptItem& item) {
  links_->Fill(item.Flags);
  expand_->setText(expand_text_.Show(item.Body.SiteMap.ExpandText));
  collapse_->setText(collapse_text_.Show(item.Body.SiteMap.CollapseText));
}

void TreePage::Collect(Collected& out) const {
  links_->Collect(out.flags);
  out.settings.ExpandText = out.texts.Keep(expand_text_.Take(expand_->text()));
  out.settings.CollapseText = out.texts.Keep(collapse_text_.Take(collapse_->text()));
}

}  // namespace bramblel

#include "wizard/base_file_page.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "pages/controls.h"
#include "pages/layout_page.h"

namespace bramblel {

BaseFilePage::BaseFilePage(const EngineConfig* config, QWidget* parent)
    : QWidget(parent),
      config_(config),
      base_file_(new QLineEdit(this)),
      include_base_(new QCheckBox(tr("&Include base file in site map"), this)),
      ignore_bookmarks_(new QCheckBox(tr("I&gnore bookmarks: <A href=\"URL#name\">"), this)),
      ignore_arguments_(new QCheckBox(
          tr("Ign&ore arguments in parameterized links: <A href=\"URL?arguments\">"), this)),
      other_sites_(new QButtonGroup(this)) {
  auto* label = new QLabel(tr("Ba&se file:"), this);
  label->setBuddy(base_file_);
  auto* browse = new QPushButton(tr("Browse..."), this);
  connect(browse, &QPushButton::clicked, this, &BaseFilePage::ChooseBaseFile);
  auto* file_row = new QHBoxLayout;
  file_row->addWidget(label);
  file_row->addWidget(base_file_, 1);
  file_row->addWidget(browse);

  auto* sites = new QGroupBox(tr("When a page to a different web site is found:"), this);
  auto* choices = new QVBoxLayout(sites);
  const QString labels[] = {tr("Add the &page to site map and scan the web site"),
                            tr("Ignore the pag&e"),
                            tr("Add the page to site map but don't scan the &web site")};
  for (int id = 0; id < 3; ++id) {
    auto* button = new QRadioButton(labels[id], sites);
    other_sites_->addButton(button, id);
    choices->addWidget(button);
  }

  auto* page = new QVBoxLayout(this);
  page->addLayout(file_row);
  page->addWidget(include_base_);
  page->addWidget(ignore_bookmarks_);
  page->addWidget(ignore_arguments_);
  page->addWidget(sites);
  page->addStretch(1);
}

void BaseFilePage::Preset(bool include_base, bool ignore_bookmarks, bool ignore_arguments,
                          int other_sites) {
  include_base_->setChecked(include_base);
  ignore_bookmarks_->setChecked(ignore_bookmarks);
  ignore_arguments_->setChecked(ignore_arguments);
  CheckChoice(other_sites_, other_sites);
}

int BaseFilePage::OtherSites() const { return other_sites_->checkedId(); }

void BaseFilePage::ChooseBaseFile() {
  const QString chosen = QFileDialog::getOpenFileName(
      this, QString(), QString(), PageFileFilter(config_ == nullptr ? nullptr : config_->ExtPage));
  if (!chosen.isEmpty()) base_file_->setText(chosen);
}

}  // namespace bramblel

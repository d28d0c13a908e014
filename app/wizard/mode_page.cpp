#include "wizard/mode_page.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "pages/controls.h"

namespace bramblel {

namespace {

QButtonGroup* AddChoices(QWidget* box, QVBoxLayout* layout, const QStringList& labels) {
  auto* group = new QButtonGroup(box);
  for (int id = 0; id < labels.size(); ++id) {
    auto* button = new QRadioButton(labels[id], box);
    group->addButton(button, id);
    layout->addWidget(button);
  }
  return group;
}

}  // namespace

ModePage::ModePage(QWidget* parent) : QWidget(parent) {
  auto* mode_box = new QGroupBox(this);
  auto* mode_layout = new QVBoxLayout(mode_box);
  mode_layout->addWidget(new QLabel(tr("Select which mode layout Wizard."), mode_box));
  modes_ = AddChoices(mode_box, mode_layout, {tr("&File structure mode"), tr("&Navigation mode")});

  auto* source_box = new QGroupBox(tr("Get link description from:"), this);
  auto* source_layout = new QVBoxLayout(source_box);
  descriptions_ = AddChoices(source_box, source_layout, {tr("<&TITLE> tag"), tr("<&META> tag")});

  auto* page = new QVBoxLayout(this);
  page->addWidget(mode_box);
  page->addWidget(source_box);
  page->addStretch(1);
}

void ModePage::Preset(int mode, int description) {
  CheckChoice(modes_, mode);
  CheckChoice(descriptions_, description);
}

int ModePage::Mode() const { return modes_->checkedId(); }

int ModePage::Description() const { return descriptions_->checkedId(); }

}  // namespace bramblel

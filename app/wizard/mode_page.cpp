#include "wizard/mode_page.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "pages/controls.h"
#include "vellum/vellum.h"

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

ModePage::ModePage(QWidget* parent) : QWidget(parent), order_(new QComboBox(this)) {
  auto* mode_box = new QGroupBox(this);
  auto* mode_layout = new QVBoxLayout(mode_box);
  mode_layout->addWidget(new QLabel(tr("Select which mode layout Wizard."), mode_box));
  modes_ = AddChoices(mode_box, mode_layout, {tr("&File structure mode"), tr("Na&vigation mode")});

  auto* source_box = new QGroupBox(tr("Get link description from:"), this);
  auto* source_layout = new QVBoxLayout(source_box);
  descriptions_ = AddChoices(source_box, source_layout, {tr("<&TITLE> tag"), tr("<&META> tag")});

  // In the engine's order of VELLUM_ORDER_NAME, _NATURAL and _FOUND.
  order_->addItems({tr("By link name"), tr("Natural: numbers by value, letters in any case"),
                    tr("As found by the scan")});
  auto* order = new QFormLayout;
  AddFormRow(*order, tr("&Order of entries:"), order_);

  auto* page = new QVBoxLayout(this);
  page->addWidget(mode_box);
  page->addWidget(source_box);
  page->addLayout(order);
  page->addStretch(1);
}

void ModePage::Preset(int mode, int description) {
  CheckChoice(modes_, mode);
  CheckChoice(descriptions_, description);
}

int ModePage::Mode() const { return modes_->checkedId(); }

int ModePage::Description() const { return descriptions_->checkedId(); }

void ModePage::SetOrder(int order) {
  order_->setCurrentIndex(order >= 0 && order < order_->count() ? order : VELLUM_ORDER_NAME);
}

int ModePage::Order() const { return order_->currentIndex(); }

}  // namespace bramblel

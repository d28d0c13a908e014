#include "pages/controls.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QColorDialog>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QToolButton>

namespace bramblel {

QString ColorText(const QColor& color) {
  return QString::asprintf("%02X%02X%02X", color.red(), color.green(), color.blue());
}

QColor TextColor(const QString& text) {
  static const QRegularExpression kSixDigits(QStringLiteral("^[0-9A-Fa-f]{6}$"));
  return kSixDigits.match(text).hasMatch() ? QColor(u'#' + text) : QColor();
}

void AddFormRow(QFormLayout& form, const QString& label, QWidget* buddy, QWidget* field) {
  auto* text = new QLabel(label);
  text->setBuddy(buddy);
  form.addRow(text, field == nullptr ? buddy : field);
}

void AddFormRow(QFormLayout& form, const QString& label, QWidget* buddy, QLayout* field) {
  auto* text = new QLabel(label);
  text->setBuddy(buddy);
  form.addRow(text, field);
}

QToolButton* PictureButton(const QIcon& icon, const QString& tip, QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setIcon(icon);
  button->setToolTip(tip);
  button->setAccessibleName(tip);
  return button;
}

void CheckChoice(QButtonGroup* group, int id) {
  // An exclusive group cannot uncheck its last button: lift it meanwhile.
  group->setExclusive(false);
  for (QAbstractButton* button : group->buttons()) button->setChecked(group->id(button) == id);
  group->setExclusive(true);
}

void FocusFirstField(QWidget* page) {
  for (QWidget* next = page->nextInFocusChain(); next != page; next = next->nextInFocusChain()) {
    if (page->isAncestorOf(next) && next->isVisibleTo(page) && next->isEnabled() &&
        (next->focusPolicy() & Qt::TabFocus) != 0) {
      next->setFocus(Qt::TabFocusReason);
      return;
    }
  }
  page->setFocus(Qt::TabFocusReason);
}

IndexList::IndexList(const QStringList& entries, QWidget* parent) : QComboBox(parent) {
  addItems(entries);
}

void IndexList::Fill(uint8_t index) {
  filled_ = index;
  setCurrentIndex(index < count() ? index : -1);
}

uint8_t IndexList::Value() const {
  if (currentIndex() >= 0) return static_cast<uint8_t>(currentIndex());
  return filled_ >= count() ? filled_ : 255;
}

ColorField::ColorField(const QString& button_text, QWidget* parent)
    : QWidget(parent),
      edit_(new QLineEdit(this)),
      swatch_(new QFrame(this)),
      button_(new QPushButton(button_text, this)) {
  const int side = edit_->sizeHint().height();
  swatch_->setFixedSize(side * 3 / 2, side);
  swatch_->setFrameShape(QFrame::Box);
  swatch_->setAutoFillBackground(true);
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(edit_, 1);
  row->addWidget(swatch_);
  row->addWidget(button_);
  connect(button_, &QPushButton::clicked, this, &ColorField::Choose);
  connect(edit_, &QLineEdit::textChanged, this, &ColorField::ShowSwatch);
  ShowSwatch();
}

void ColorField::Choose() {
  const QColor shown = TextColor(edit_->text());
  const QColor color =
      QColorDialog::getColor(shown.isValid() ? shown : QColor(Qt::white), window());
  if (color.isValid()) edit_->setText(ColorText(color));
}

void ColorField::ShowSwatch() {
  const QColor color = TextColor(edit_->text());
  QPalette palette = swatch_->palette();
  palette.setColor(QPalette::Window, color.isValid() ? color : palette.color(QPalette::Base));
  swatch_->setPalette(palette);
  swatch_->setToolTip(color.isValid() ? QString() : tr("Not a colour: six hexadecimal digits"));
}

FlagBox::FlagBox(const QString& text, uint32_t bit, QWidget* parent)
    : QCheckBox(text, parent), bit_(bit) {}

}  // namespace bramblel

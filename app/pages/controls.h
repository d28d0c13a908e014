// Small controls that several pages share: drop-down lists that keep an index,
// colour fields with their chooser, and the flag-word check box.
#ifndef BRAMBLEL_PAGES_CONTROLS_H
#define BRAMBLEL_PAGES_CONTROLS_H

#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QLineEdit>
#include <QStringList>
#include <QWidget>
#include <cstdint>

class QButtonGroup;
class QFormLayout;
class QFrame;
class QLayout;
class QPushButton;
class QToolButton;

namespace bramblel {

// "RRGGBB": the colour text of a site map, upper-case hexadecimal, no "#".
QString ColorText(const QColor& color);
// The colour a colour text names: six hexadecimal digits in either case; an
// invalid colour for anything else.
QColor TextColor(const QString& text);

// Adds a labelled row to form whose label's mnemonic focuses buddy; the
// row shows field (a widget or a layout), or buddy itself.
void AddFormRow(QFormLayout& form, const QString& label, QWidget* buddy, QWidget* field = nullptr);
void AddFormRow(QFormLayout& form, const QString& label, QWidget* buddy, QLayout* field);

// A button showing only icon, named by tip (its tooltip and accessible
// name).
QToolButton* PictureButton(const QIcon& icon, const QString& tip, QWidget* parent);

// Checks the button of group with id, or none for -1.
void CheckChoice(QButtonGroup* group, int id);

// Gives the focus to the first control of page that takes it from the Tab
// key.
void FocusFirstField(QWidget* page);

// A drop-down list whose value is the index of the chosen entry, 255 for
// none. A stored index that names no entry shows no entry and is given back
// as it was while the user chooses none.
class IndexList : public QComboBox {
  Q_OBJECT
 public:
  IndexList(const QStringList& entries, QWidget* parent = nullptr);
  void Fill(uint8_t index);
  uint8_t Value() const;

 private:
  uint8_t filled_ = 255;
};

// A colour text field with a swatch of its colour and the chooser button
// beside it. The chooser opens on the field's colour.
class ColorField : public QWidget {
  Q_OBJECT
 public:
  ColorField(const QString& button_text, QWidget* parent = nullptr);
  QLineEdit* Edit() const { return edit_; }

 private:
  void Choose();
  void ShowSwatch();

  QLineEdit* edit_;
  QFrame* swatch_;
  QPushButton* button_;
};

// A check box for one bit of the flag word.
class FlagBox : public QCheckBox {
  Q_OBJECT
 public:
  FlagBox(const QString& text, uint32_t bit, QWidget* parent = nullptr);
  void Fill(uint32_t flags) { setChecked((flags & bit_) != 0); }
  void Collect(uint32_t& flags) const {
    if (isChecked()) flags |= bit_;
  }

 private:
  uint32_t bit_;
};

}  // namespace bramblel

#endif  // BRAMBLEL_PAGES_CONTROLS_H

// Texts between the engine's records and the form's fields.
//
// The engine keeps 8-bit texts; the fields show them as UTF-8. A text that is
// not valid UTF-8 (a page title in Latin-1, say) cannot survive the trip
// through a QString, so a field remembers the bytes it was filled with and
// gives them back unchanged while the user leaves the field as it was. An
// absent text shows as an empty field and stays absent the same way.
#ifndef BRAMBLEL_PAGES_ENGINE_TEXT_H
#define BRAMBLEL_PAGES_ENGINE_TEXT_H

#include <QByteArray>
#include <QString>
#include <deque>

namespace bramblel {

// An engine text as a field shows it: UTF-8, an absent text empty.
QString FromEngine(const char* text);

// Owns the texts that a collected record points to, for as long as the
// record is used. Addresses stay valid while texts are added.
class TextStore {
 public:
  // Keeps text and returns its address; a null array gives a null pointer.
  const char* Keep(QByteArray text);

 private:
  std::deque<QByteArray> texts_;
};

// The engine text a field was last filled with, and what the field shows.
class EngineText {
 public:
  // Remembers text (null for an absent one) and returns what to show.
  QString Show(const char* text);
  // What the field gives back after showing it, where a control changes
  // what it is given (line ends in a multi-line field).
  void Displayed(const QString& shown) { shown_ = shown; }
  // The engine text for what the field holds now: the remembered bytes when
  // the field still shows them, else the field's UTF-8.
  QByteArray Take(const QString& shown) const;

 private:
  QByteArray bytes_;  // null when the text was absent
  QString shown_;
};

}  // namespace bramblel

#endif  // BRAMBLEL_PAGES_ENGINE_TEXT_H

#include "pages/engine_text.h"

namespace bramblel {

QString FromEngine(const char* text) { return QString::fromUtf8(text == nullptr ? "" : text); }

const char* TextStore::Keep(QByteArray text) {
  if (text.isNull()) return nullptr;
  return texts_.emplace_back(std::move(text)).constData();
}

QString EngineText::Show(const char* text) {
  bytes_ = text == nullptr ? QByteArray() : QByteArray(text);
  shown_ = QString::fromUtf8(bytes_);
  return shown_;
}

QByteArray EngineText::Take(const QString& shown) const {
  if (shown == shown_) return bytes_;
  // A text the user emptied is an empty text, not an absent one.
  QByteArray text = shown.toUtf8();
  if (text.isNull()) text = QByteArray("");
  return text;
}

}  // namespace bramblel

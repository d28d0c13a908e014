#include "dialogs/port_field.h"

#include <QRegularExpressionValidator>

#include "shell/prompts.h"

namespace bramblel {

std::optional<int32_t> ParsePort(const QString& text) {
  const QString digits = text.trimmed();
  if (digits.isEmpty() || digits.size() > 5) return std::nullopt;
  for (QChar c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  const int port = digits.toInt();
  if (port > 65535) return std::nullopt;
  return port;
}

PortField::PortField(QWidget* parent) : QLineEdit(parent) {
  // Typing is limited to digits; a pasted text is checked on OK.
  setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), this));
  setMaximumWidth(fontMetrics().averageCharWidth() * 10);
}

std::optional<int32_t> PortField::Port() {
  const std::optional<int32_t> port = ParsePort(text());
  if (!port) {
    Ask(Prompt::kError, tr("Please enter a positive integer."));
    setFocus();
    selectAll();
  }
  return port;
}

}  // namespace bramblel

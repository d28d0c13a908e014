#include "dialogs/port_field.h"

#include <QRegularExpressionValidator>
#include <algorithm>

#include "shell/prompts.h"

namespace bramblel {

namespace {

// A whole number without sign, of any length.
bool IsWholeNumber(const QString& digits) {
  return !digits.isEmpty() &&
         std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::optional<int32_t> ParsePort(const QString& text) {
  const QString digits = text.trimmed();
  if (!IsWholeNumber(digits) || digits.size() > 5) return std::nullopt;
  const int port = digits.toInt();
  if (port > 65535) return std::nullopt;
  return port;
}

PortField::PortField(QWidget* parent) : QLineEdit(parent) {
  // Typing is limited to digits; a pasted text is checked on OK.
  setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]*"), this));
  setMaximumWidth(fontMetrics().averageCharWidth() * 10);
}

QString PortProblem(const QString& text) {
  if (ParsePort(text)) return QString();
  return IsWholeNumber(text.trimmed())
             ? PortField::tr("Please enter a port number from 0 to 65535.")
             : PortField::tr("Please enter a positive integer.");
}

std::optional<int32_t> PortField::Port() {
  const std::optional<int32_t> port = ParsePort(text());
  if (!port) {
    Ask(Prompt::kError, PortProblem(text()));
    setFocus();
    selectAll();
  }
  return port;
}

}  // namespace bramblel

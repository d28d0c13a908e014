// A port number field of the settings dialogs: digits only, and a value that
// is not a whole number from 0 to 65535 is refused when the dialog closes.
#ifndef BRAMBLEL_DIALOGS_PORT_FIELD_H
#define BRAMBLEL_DIALOGS_PORT_FIELD_H

#include <QLineEdit>
#include <optional>

namespace bramblel {

// The port a field's text names; none for an empty text, anything but
// digits, or a number above 65535.
std::optional<int32_t> ParsePort(const QString& text);
// What is wrong with a port field's text, for the message that refuses it:
// a number out of range, or no whole number at all; empty when it is a port.
QString PortProblem(const QString& text);

class PortField : public QLineEdit {
  Q_OBJECT
 public:
  explicit PortField(QWidget* parent = nullptr);
  void SetPort(int32_t port) { setText(QString::number(port)); }
  // The port, or none after telling the user and putting the focus here.
  std::optional<int32_t> Port();
};

}  // namespace bramblel

#endif  // BRAMBLEL_DIALOGS_PORT_FIELD_H

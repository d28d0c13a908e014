// The dialog that asks for a server's password at upload time, with the
// choice to remember it in the desktop keyring.
#ifndef BRAMBLEL_DIALOGS_PASSWORD_DIALOG_H
#define BRAMBLEL_DIALOGS_PASSWORD_DIALOG_H

#include <QDialog>
#include <QString>
#include <optional>

class QCheckBox;
class QLineEdit;

namespace bramblel {

class PasswordDialog : public QDialog {
  Q_OBJECT
 public:
  // prompt names the login and the server ("Password for joe on
  // sftp://host:22").
  explicit PasswordDialog(const QString& prompt, QWidget* parent = nullptr);

  QLineEdit* Password() const { return password_; }
  QCheckBox* Remember() const { return remember_; }

 private:
  QLineEdit* password_;
  QCheckBox* remember_;
};

struct PasswordAnswer {
  QString password;
  bool remember = false;
};

// Asks for the password prompt names, over the active window; none when
// the user cancels.
std::optional<PasswordAnswer> AskPassword(const QString& prompt);

}  // namespace bramblel

#endif  // BRAMBLEL_DIALOGS_PASSWORD_DIALOG_H

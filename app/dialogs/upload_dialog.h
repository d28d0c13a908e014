// The Upload properties dialog: one upload target of the project, a folder
// or a server (FTP, FTP over TLS or SFTP) with its login, transfer options,
// key or certificate file and where its password comes from.
#ifndef BRAMBLEL_DIALOGS_UPLOAD_DIALOG_H
#define BRAMBLEL_DIALOGS_UPLOAD_DIALOG_H

#include <QDialog>
#include <optional>

#include "pages/engine_text.h"
#include "vellum/vellum.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace bramblel {

class PortField;

// A target's settings as the dialog edits them; the texts it points to live
// in the dialog.
struct TargetEntry {
  OutputTarget target{};
  VellumTargetSecurity security = VellumRecord<VellumTargetSecurity>();
  TextStore texts;
};

class UploadDialog : public QDialog {
  Q_OBJECT
 public:
  explicit UploadDialog(QWidget* parent = nullptr);

  // The kinds of target, as the ids of Kinds()' buttons.
  enum Kind { kFolder = 0, kFtp = 1, kFtps = 2, kSftp = 3 };

  // Shows a target: its texts, port, kind, options and secure settings.
  void Fill(const OutputTarget& target, const VellumTargetSecurity& security);
  // Chooses a kind (a Kind).
  void ChooseKind(int kind);
  // The target as the dialog holds it, with selected as its selected-for-
  // upload bit. Valid after the dialog was accepted.
  void Collect(bool selected, TargetEntry& entry) const;

  QButtonGroup* Kinds() const { return kinds_; }
  QLineEdit* Folder() const { return folder_; }
  QLineEdit* Server() const { return server_; }
  PortField* Port() const { return port_; }
  QLineEdit* Login() const { return login_; }
  QLineEdit* Password() const { return password_; }
  QCheckBox* PassiveMode() const { return passive_; }
  QCheckBox* TextMode() const { return text_mode_; }
  QLineEdit* KeyFile() const { return key_file_; }
  QPushButton* BrowseKey() const { return browse_key_; }
  QPushButton* BrowseCa() const { return browse_ca_; }
  // Entries in the order of VELLUM_PASSWORD_ (project, netrc, keyring, ask).
  QComboBox* PasswordFrom() const { return password_from_; }

  // OK: a port that is no port keeps the dialog open.
  void accept() override;

 private:
  void ChooseFolder();
  void ChooseFile(QLineEdit* field, const QString& title);
  void UpdateEnabled();

  QButtonGroup* kinds_;
  QLineEdit* url_;
  QLineEdit* folder_;
  QPushButton* browse_;
  QGroupBox* ftp_;
  QLineEdit* server_;
  PortField* port_;
  QLineEdit* login_;
  QLineEdit* password_;
  QCheckBox* passive_;
  QCheckBox* text_mode_;
  QCheckBox* firewall_;
  QLineEdit* key_file_;
  QPushButton* browse_key_;
  QLineEdit* ca_file_;
  QPushButton* browse_ca_;
  QComboBox* password_from_;
  std::optional<int32_t> accepted_port_;
  EngineText url_text_, folder_text_, server_text_, login_text_, password_text_, key_text_,
      ca_text_;
};

// Edits target index of project; returns whether the user confirmed (the
// target then changed, keeping whether it is selected for upload).
bool EditTarget(Project& project, int index, QWidget* parent);
// Adds a target, selected for upload; returns whether the user confirmed.
bool AddTarget(Project& project, QWidget* parent);

}  // namespace bramblel

#endif  // BRAMBLEL_DIALOGS_UPLOAD_DIALOG_H

#include "dialogs/upload_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <utility>

#include "dialogs/port_field.h"
#include "pages/controls.h"

namespace bramblel {

UploadDialog::UploadDialog(QWidget* parent)
    : QDialog(parent),
      kinds_(new QButtonGroup(this)),
      url_(new QLineEdit(this)),
      folder_(new QLineEdit(this)),
      browse_(new QPushButton(tr("Browse..."), this)),
      ftp_(new QGroupBox(tr("FTP settings"), this)),
      server_(new QLineEdit(ftp_)),
      port_(new PortField(ftp_)),
      login_(new QLineEdit(ftp_)),
      password_(new QLineEdit(ftp_)),
      passive_(new QCheckBox(tr("Passi&ve mode"), ftp_)),
      text_mode_(new QCheckBox(tr("Te&xt mode"), ftp_)),
      firewall_(new QCheckBox(tr("&Use firewall"), ftp_)),
      key_file_(new QLineEdit(ftp_)),
      browse_key_(new QPushButton(tr("Browse..."), ftp_)),
      ca_file_(new QLineEdit(ftp_)),
      browse_ca_(new QPushButton(tr("Browse..."), ftp_)),
      password_from_(new QComboBox(ftp_)) {
  setWindowTitle(tr("Upload properties"));
  setMinimumWidth(fontMetrics().averageCharWidth() * 55);
  auto* kind_column = new QVBoxLayout;
  for (const auto& [kind, name] : {std::pair{kFolder, tr("&Local or network drive")},
                                   {kFtp, tr("Upload to &FTP server")},
                                   {kFtps, tr("Upload to FTP server over TL&S (FTPS)")},
                                   {kSftp, tr("Upload to SFTP server (SS&H)")}}) {
    auto* button = new QRadioButton(name, this);
    kinds_->addButton(button, kind);
    kind_column->addWidget(button);
  }
  connect(kinds_, &QButtonGroup::idClicked, this, &UploadDialog::ChooseKind);
  password_->setEchoMode(QLineEdit::Password);
  connect(browse_, &QPushButton::clicked, this, &UploadDialog::ChooseFolder);
  connect(browse_key_, &QPushButton::clicked, this,
          [this] { ChooseFile(key_file_, tr("Select private key")); });
  connect(browse_ca_, &QPushButton::clicked, this,
          [this] { ChooseFile(ca_file_, tr("Select CA certificates")); });
  password_from_->addItems(
      {tr("The password above"), tr("~/.netrc"), tr("Desktop keyring"), tr("Ask at upload")});

  auto* places = new QFormLayout;
  AddFormRow(*places, tr("U&rl:"), url_);
  auto* folder_row = new QHBoxLayout;
  folder_row->addWidget(folder_, 1);
  folder_row->addWidget(browse_);
  AddFormRow(*places, tr("Output fol&der:"), folder_, folder_row);

  auto* settings = new QFormLayout(ftp_);
  AddFormRow(*settings, tr("Server &adress:"), server_);
  AddFormRow(*settings, tr("&Port:"), port_);
  AddFormRow(*settings, tr("Lo&gin:"), login_);
  AddFormRow(*settings, tr("Pass&word:"), password_);
  AddFormRow(*settings, tr("Password fr&om:"), password_from_);
  const auto file_row = [&](const QString& label, QLineEdit* field, QPushButton* browse) {
    auto* row = new QHBoxLayout;
    row->addWidget(field, 1);
    row->addWidget(browse);
    AddFormRow(*settings, label, field, row);
  };
  file_row(tr("&Key file (SFTP):"), key_file_, browse_key_);
  file_row(tr("CA f&ile (FTPS):"), ca_file_, browse_ca_);
  settings->addRow(passive_);
  settings->addRow(text_mode_);
  settings->addRow(firewall_);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(tr("OK"));
  buttons->button(QDialogButtonBox::Cancel)->setText(tr("&Cancel"));
  connect(buttons, &QDialogButtonBox::accepted, this, &UploadDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* window = new QVBoxLayout(this);
  window->addLayout(kind_column);
  window->addLayout(places);
  window->addWidget(ftp_);
  window->addWidget(buttons);
  port_->SetPort(0);
  UpdateEnabled();
}

void UploadDialog::Fill(const OutputTarget& target, const VellumTargetSecurity& security) {
  url_->setText(url_text_.Show(target.URL));
  folder_->setText(folder_text_.Show(target.Folder));
  server_->setText(server_text_.Show(target.Server));
  login_->setText(login_text_.Show(target.Login));
  password_->setText(password_text_.Show(target.Password));
  port_->SetPort(target.Port);
  passive_->setChecked((target.Flags & VELLUM_TARGET_PASSIVE) != 0);
  text_mode_->setChecked((target.Flags & VELLUM_TARGET_TEXT) != 0);
  firewall_->setChecked((target.Flags & VELLUM_TARGET_FIREWALL) != 0);
  key_file_->setText(key_text_.Show(security.KeyFile));
  ca_file_->setText(ca_text_.Show(security.CAFile));
  password_from_->setCurrentIndex(security.PasswordFrom);
  int kind = kFolder;
  if ((target.Flags & VELLUM_TARGET_FTP) != 0) {
    kind = security.Protocol == VELLUM_PROTOCOL_SFTP   ? kSftp
           : security.Protocol == VELLUM_PROTOCOL_FTPS ? kFtps
                                                       : kFtp;
  }
  ChooseKind(kind);
}

void UploadDialog::ChooseKind(int kind) {
  CheckChoice(kinds_, kind);
  UpdateEnabled();
}

void UploadDialog::UpdateEnabled() {
  // The server settings only for a server, the folder chooser only for a
  // folder; the address and folder fields always. The transfer modes are
  // FTP's (FTPS is always passive), the firewall relays plain FTP only, a
  // key file is SFTP's and a CA file FTPS's.
  const int kind = kinds_->checkedId();
  const bool server = kind != kFolder;
  ftp_->setEnabled(server);
  browse_->setEnabled(!server);
  passive_->setEnabled(kind == kFtp);
  text_mode_->setEnabled(kind == kFtp || kind == kFtps);
  firewall_->setEnabled(kind == kFtp);
  for (QWidget* key : {static_cast<QWidget*>(key_file_), static_cast<QWidget*>(browse_key_)}) {
    key->setEnabled(kind == kSftp);
  }
  for (QWidget* ca : {static_cast<QWidget*>(ca_file_), static_cast<QWidget*>(browse_ca_)}) {
    ca->setEnabled(kind == kFtps);
  }
}

void UploadDialog::ChooseFolder() {
  const QString folder = QFileDialog::getExistingDirectory(this, tr("Select folder"));
  if (!folder.isEmpty()) folder_->setText(folder);
}

void UploadDialog::ChooseFile(QLineEdit* field, const QString& title) {
  const QString file = QFileDialog::getOpenFileName(this, title, field->text());
  if (!file.isEmpty()) field->setText(file);
}

void UploadDialog::accept() {
  accepted_port_ = port_->Port();
  if (accepted_port_) QDialog::accept();
}

void UploadDialog::Collect(bool selected, TargetEntry& entry) const {
  OutputTarget& target = entry.target;
  TextStore& texts = entry.texts;
  const int kind = kinds_->checkedId();
  target.URL = texts.Keep(url_text_.Take(url_->text()));
  target.Folder = texts.Keep(folder_text_.Take(folder_->text()));
  target.Server = texts.Keep(server_text_.Take(server_->text()));
  target.Login = texts.Keep(login_text_.Take(login_->text()));
  target.Password = texts.Keep(password_text_.Take(password_->text()));
  target.Port = accepted_port_.value_or(0);
  target.Flags = (selected ? VELLUM_TARGET_SELECTED : 0) |
                 (kind == kFolder ? 0 : VELLUM_TARGET_FTP) |
                 (passive_->isChecked() ? VELLUM_TARGET_PASSIVE : 0) |
                 (text_mode_->isChecked() ? VELLUM_TARGET_TEXT : 0) |
                 (firewall_->isChecked() ? VELLUM_TARGET_FIREWALL : 0);
  // A folder keeps no server settings; a field of another protocol is
  // dropped rather than kept unseen.
  VellumTargetSecurity& security = entry.security;
  security = VellumRecord<VellumTargetSecurity>();
  if (kind == kFolder) return;
  security.Protocol = kind == kSftp   ? VELLUM_PROTOCOL_SFTP
                      : kind == kFtps ? VELLUM_PROTOCOL_FTPS
                                      : VELLUM_PROTOCOL_FTP;
  if (kind == kSftp) security.KeyFile = texts.Keep(key_text_.Take(key_file_->text()));
  if (kind == kFtps) security.CAFile = texts.Keep(ca_text_.Take(ca_file_->text()));
  security.PasswordFrom = password_from_->currentIndex();
}

bool EditTarget(Project& project, int index, QWidget* parent) {
  if (index < 0 || index >= project.TargetCount) return false;
  UploadDialog dialog(parent);
  dialog.Fill(project.Targets[index], VellumFilled(VellumGetTargetSecurity, index));
  if (dialog.exec() != QDialog::Accepted) return false;
  TargetEntry entry;
  dialog.Collect((project.Targets[index].Flags & VELLUM_TARGET_SELECTED) != 0, entry);
  PrmRequest request{VELLUM_PRM_MODIFY_TARGET, index, &entry.target};
  HTMLprjPrm(&request);
  VellumSetTargetSecurity(index, &entry.security);
  return true;
}

bool AddTarget(Project& project, QWidget* parent) {
  UploadDialog dialog(parent);
  dialog.ChooseKind(UploadDialog::kFtp);
  if (dialog.exec() != QDialog::Accepted) return false;
  TargetEntry entry;
  dialog.Collect(true, entry);
  PrmRequest request{VELLUM_PRM_APPEND_TARGET, 0, &entry.target};
  HTMLprjPrm(&request);
  VellumSetTargetSecurity(project.TargetCount - 1, &entry.security);
  return true;
}

}  // namespace bramblel

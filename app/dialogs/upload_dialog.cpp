#include "dialogs/upload_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

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
      firewall_(new QCheckBox(tr("&Use firewall"), ftp_)) {
  setWindowTitle(tr("Upload properties"));
  setMinimumWidth(fontMetrics().averageCharWidth() * 55);
  auto* local = new QRadioButton(tr("&Local or network drive"), this);
  auto* ftp = new QRadioButton(tr("Upload to &FTP server"), this);
  kinds_->addButton(local, 0);
  kinds_->addButton(ftp, 1);
  connect(kinds_, &QButtonGroup::idClicked, this, &UploadDialog::ChooseKind);
  password_->setEchoMode(QLineEdit::Password);
  connect(browse_, &QPushButton::clicked, this, &UploadDialog::ChooseFolder);

  auto* places = new QFormLayout;
  AddFormRow(*places, tr("Url:"), url_);
  auto* folder_row = new QHBoxLayout;
  folder_row->addWidget(folder_, 1);
  folder_row->addWidget(browse_);
  AddFormRow(*places, tr("Output fol&der:"), folder_, folder_row);

  auto* settings = new QFormLayout(ftp_);
  AddFormRow(*settings, tr("Server &adress:"), server_);
  AddFormRow(*settings, tr("&Port:"), port_);
  AddFormRow(*settings, tr("Lo&gin:"), login_);
  AddFormRow(*settings, tr("Pass&word:"), password_);
  settings->addRow(passive_);
  settings->addRow(text_mode_);
  settings->addRow(firewall_);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(tr("&OK"));
  buttons->button(QDialogButtonBox::Cancel)->setText(tr("&Cancel"));
  connect(buttons, &QDialogButtonBox::accepted, this, &UploadDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* window = new QVBoxLayout(this);
  window->addWidget(local);
  window->addWidget(ftp);
  window->addLayout(places);
  window->addWidget(ftp_);
  window->addWidget(buttons);
  port_->SetPort(0);
  UpdateEnabled();
}

void UploadDialog::Fill(const OutputTarget& target) {
  url_->setText(url_text_.Show(target.URL));
  folder_->setText(folder_text_.Show(target.Folder));
  server_->setText(server_text_.Show(target.Server));
  login_->setText(login_text_.Show(target.Login));
  password_->setText(password_text_.Show(target.Password));
  port_->SetPort(target.Port);
  passive_->setChecked((target.Flags & VELLUM_TARGET_PASSIVE) != 0);
  text_mode_->setChecked((target.Flags & VELLUM_TARGET_TEXT) != 0);
  firewall_->setChecked((target.Flags & VELLUM_TARGET_FIREWALL) != 0);
  ChooseKind((target.Flags & VELLUM_TARGET_FTP) != 0 ? 1 : 0);
}

void UploadDialog::ChooseKind(int kind) {
  CheckChoice(kinds_, kind);
  UpdateEnabled();
}

void UploadDialog::UpdateEnabled() {
  // The FTP settings only for a server, the folder chooser only for a
  // folder; the address and folder fields always.
  const bool ftp = kinds_->checkedId() == 1;
  ftp_->setEnabled(ftp);
  browse_->setEnabled(!ftp);
}

void UploadDialog::ChooseFolder() {
  const QString folder = QFileDialog::getExistingDirectory(this, tr("Select folder"));
  if (!folder.isEmpty()) folder_->setText(folder);
}

void UploadDialog::accept() {
  accepted_port_ = port_->Port();
  if (accepted_port_) QDialog::accept();
}

void UploadDialog::Collect(bool selected, TargetEntry& entry) const {
  OutputTarget& target = entry.target;
  TextStore& texts = entry.texts;
  target.URL = texts.Keep(url_text_.Take(url_->text()));
  target.Folder = texts.Keep(folder_text_.Take(folder_->text()));
  target.Server = texts.Keep(server_text_.Take(server_->text()));
  target.Login = texts.Keep(login_text_.Take(login_->text()));
  target.Password = texts.Keep(password_text_.Take(password_->text()));
  target.Port = accepted_port_.value_or(0);
  target.Flags = (selected ? VELLUM_TARGET_SELECTED : 0) |
                 (kinds_->checkedId() == 0 ? 0 : VELLUM_TARGET_FTP) |
                 (passive_->isChecked() ? VELLUM_TARGET_PASSIVE : 0) |
                 (text_mode_->isChecked() ? VELLUM_TARGET_TEXT : 0) |
                 (firewall_->isChecked() ? VELLUM_TARGET_FIREWALL : 0);
}

bool EditTarget(Project& project, int index, QWidget* parent) {
  if (index < 0 || index >= project.TargetCount) return false;
  UploadDialog dialog(parent);
  dialog.Fill(project.Targets[index]);
  if (dialog.exec() != QDialog::Accepted) return false;
  TargetEntry entry;
  dialog.Collect((project.Targets[index].Flags & VELLUM_TARGET_SELECTED) != 0, entry);
  PrmRequest request{VELLUM_PRM_MODIFY_TARGET, index, &entry.target};
  HTMLprjPrm(&request);
  return true;
}

bool AddTarget(QWidget* parent) {
  UploadDialog dialog(parent);
  dialog.ChooseKind(1);
  if (dialog.exec() != QDialog::Accepted) return false;
  TargetEntry entry;
  dialog.Collect(true, entry);
  PrmRequest request{VELLUM_PRM_APPEND_TARGET, 0, &entry.target};
  HTMLprjPrm(&request);
  return true;
}

}  // namespace bramblel

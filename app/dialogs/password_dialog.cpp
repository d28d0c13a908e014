#include "dialogs/password_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "pages/controls.h"

namespace bramblel {

PasswordDialog::PasswordDialog(const QString& prompt, QWidget* parent)
    : QDialog(parent),
      password_(new QLineEdit(this)),
      remember_(new QCheckBox(tr("&Remember in keyring"), this)) {
  setWindowTitle(tr("Password"));
  setMinimumWidth(fontMetrics().averageCharWidth() * 45);
  auto* text = new QLabel(prompt, this);
  text->setTextFormat(Qt::PlainText);
  password_->setEchoMode(QLineEdit::Password);

  auto* form = new QFormLayout;
  AddFormRow(*form, tr("&Password:"), password_);
  form->addRow(remember_);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(tr("&OK"));
  buttons->button(QDialogButtonBox::Cancel)->setText(tr("&Cancel"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* window = new QVBoxLayout(this);
  window->addWidget(text);
  window->addLayout(form);
  window->addWidget(buttons);
  password_->setFocus();
}

std::optional<PasswordAnswer> AskPassword(const QString& prompt) {
  PasswordDialog dialog(prompt, QApplication::activeWindow());
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return PasswordAnswer{dialog.Password()->text(), dialog.Remember()->isChecked()};
}

}  // namespace bramblel

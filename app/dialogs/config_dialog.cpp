#include "dialogs/config_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cstring>

#include "dialogs/port_field.h"
#include "pages/controls.h"
#include "pages/engine_text.h"

namespace bramblel {

namespace {

bool SameText(const char* stored, const QByteArray& wanted) {
  return QByteArray(stored == nullptr ? "" : stored) == wanted;
}

}  // namespace

ConfigDialog::ConfigDialog(EngineConfig* config, QWidget* parent)
    : QDialog(parent),
      config_(config),
      pages_(new QLineEdit(FromEngine(config->ExtPage), this)),
      pictures_(new QLineEdit(FromEngine(config->ExtPicts), this)),
      editors_(new QLineEdit(FromEngine(config->Editor), this)),
      use_proxy_(new QCheckBox(tr("&Use proxy"), this)),
      proxy_(new QLineEdit(FromEngine(config->Proxy), this)),
      proxy_port_(new PortField(this)),
      firewall_(new QLineEdit(FromEngine(config->Firewall), this)),
      firewall_port_(new PortField(this)),
      passive_(new QCheckBox(tr("Passive &mode"), this)) {
  setWindowTitle(tr("Configuration"));
  // Wide enough for the shipped extension lists; longer ones show their start.
  setMinimumWidth(fontMetrics().averageCharWidth() * 80);
  for (QLineEdit* list : {pages_, pictures_, editors_}) list->setCursorPosition(0);
  use_proxy_->setChecked(config->UseProxy != 0);
  passive_->setChecked(config->Passive != 0);
  proxy_port_->SetPort(config->PortProxy);
  firewall_port_->SetPort(config->PortFW);

  auto* files = new QFormLayout;
  AddFormRow(*files, tr("Extensions &HTML files:"), pages_);
  AddFormRow(*files, tr("E&xtensions picture files:"), pictures_);
  AddFormRow(*files, tr("HTML &editors:"), editors_);

  // "Use proxy" enables nothing: the proxy's fields stay editable and are
  // stored either way.
  auto* proxy_box = new QGroupBox(tr("Proxy Configuration"), this);
  auto* proxy = new QFormLayout(proxy_box);
  AddFormRow(*proxy, tr("Proxy &server:"), proxy_);
  AddFormRow(*proxy, tr("&Port:"), proxy_port_);

  auto* firewall_box = new QGroupBox(tr("Firewall Configuration"), this);
  auto* firewall = new QFormLayout(firewall_box);
  AddFormRow(*firewall, tr("&Firewall:"), firewall_);
  AddFormRow(*firewall, tr("Po&rt:"), firewall_port_);
  firewall->addRow(passive_);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(tr("&OK"));
  buttons->button(QDialogButtonBox::Cancel)->setText(tr("&Cancel"));
  connect(buttons, &QDialogButtonBox::accepted, this, &ConfigDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* window = new QVBoxLayout(this);
  window->addLayout(files);
  window->addWidget(use_proxy_);
  window->addWidget(proxy_box);
  window->addWidget(firewall_box);
  window->addWidget(buttons);
}

void ConfigDialog::accept() {
  const std::optional<int32_t> proxy_port = proxy_port_->Port();
  if (!proxy_port) return;
  const std::optional<int32_t> firewall_port = firewall_port_->Port();
  if (!firewall_port) return;

  const QByteArray pages = pages_->text().toUtf8(), pictures = pictures_->text().toUtf8(),
                   editors = editors_->text().toUtf8(), proxy = proxy_->text().toUtf8(),
                   firewall = firewall_->text().toUtf8();
  EngineConfig wanted = *config_;
  wanted.ExtPage = pages.constData();
  wanted.ExtPicts = pictures.constData();
  wanted.Editor = editors.constData();
  wanted.Firewall = firewall.constData();
  wanted.PortFW = *firewall_port;
  wanted.Passive = passive_->isChecked() ? 1 : 0;
  wanted.Proxy = proxy.constData();
  wanted.PortProxy = *proxy_port;
  wanted.UseProxy = use_proxy_->isChecked() ? 1 : 0;
  const EngineConfig* stored = HTMLputCfg(&wanted);
  // The engine keeps the old value of what the file cannot hold, and says
  // so; the dialog stays for the user to mend it.
  const bool kept = SameText(stored->ExtPage, pages) && SameText(stored->ExtPicts, pictures) &&
                    SameText(stored->Editor, editors) && SameText(stored->Proxy, proxy) &&
                    SameText(stored->Firewall, firewall) && stored->PortFW == wanted.PortFW &&
                    stored->PortProxy == wanted.PortProxy;
  if (kept) QDialog::accept();
}

}  // namespace bramblel

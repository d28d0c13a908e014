// The Configuration dialog: the engine's settings of this user (page and
// picture patterns, editors, HTTP proxy, FTP firewall), written to the
// user's configuration file on OK.
#ifndef BRAMBLEL_DIALOGS_CONFIG_DIALOG_H
#define BRAMBLEL_DIALOGS_CONFIG_DIALOG_H

#include <QDialog>

#include "vellum/vellum.h"

class QCheckBox;
class QLineEdit;

namespace bramblel {

class PortField;

class ConfigDialog : public QDialog {
  Q_OBJECT
 public:
  ConfigDialog(EngineConfig* config, QWidget* parent = nullptr);

  QLineEdit* PagePatterns() const { return pages_; }
  QLineEdit* PicturePatterns() const { return pictures_; }
  PortField* ProxyPort() const { return proxy_port_; }
  QLineEdit* Firewall() const { return firewall_; }
  PortField* FirewallPort() const { return firewall_port_; }
  QCheckBox* Passive() const { return passive_; }

  // OK: hands the settings to the engine, which writes the file. A port
  // that is no port, or a value the engine refuses (it says why), keeps
  // the dialog open.
  void accept() override;

 private:
  EngineConfig* config_;
  QLineEdit* pages_;
  QLineEdit* pictures_;
  QLineEdit* editors_;
  QCheckBox* use_proxy_;
  QLineEdit* proxy_;
  PortField* proxy_port_;
  QLineEdit* firewall_;
  PortField* firewall_port_;
  QCheckBox* passive_;
};

}  // namespace bramblel

#endif  // BRAMBLEL_DIALOGS_CONFIG_DIALOG_H

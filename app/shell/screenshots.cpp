#include "shell/screenshots.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include "dialogs/about_dialog.h"
#include "dialogs/broken_links_dialog.h"
#include "dialogs/config_dialog.h"
#include "dialogs/password_dialog.h"
#include "dialogs/port_field.h"
#include "dialogs/progress_dialog.h"
#include "dialogs/upload_dialog.h"
#include "pages/map_page.h"
#include "pages/style_page.h"
#include "shell/form_view.h"
#include "shell/main_window.h"
#include "wizard/base_file_page.h"
#include "wizard/folder_tree.h"
#include "wizard/layout_wizard.h"
#include "wizard/mode_page.h"

namespace bramblel {

namespace {

bool Save(QWidget& widget, const QDir& folder, const char* name) {
  QApplication::processEvents();
  return widget.grab().save(folder.filePath(QLatin1String(name) + QLatin1String(".png")));
}

}  // namespace

bool SaveScreenshots(MainWindow& window, EngineConfig* config, QWidget& splash,
                     const QString& folder) {
  const QDir out(folder);
  if (!out.mkpath(QStringLiteral("."))) return false;
  bool saved = Save(splash, out, "splash");
  splash.close();

  FormView& view = *window.View();
  const char* tabs[] = {"main-window", "layout", "style", "page-content", "fonts"};
  for (int tab = 0; tab < FormView::kSixthTab; ++tab) {
    view.Tabs()->setCurrentIndex(tab);
    saved &= Save(window, out, tabs[tab]);
  }

  // The find bar on the Map tab, on its first match.
  view.Tabs()->setCurrentIndex(FormView::kMapTab);
  view.Map()->ShowFindBar();
  view.Map()->FindField()->setText(QStringLiteral("bread"));
  view.Map()->FindNext();
  saved &= Save(window, out, "map-find");
  view.Map()->FindBar()->hide();

  const std::pair<int, const char*> sixth_pages[] = {
      {VELLUM_OUTPUT_UL_LIST, "ul-type"},         {VELLUM_OUTPUT_PAGED_UL_LIST, "paged-list"},
      {VELLUM_OUTPUT_ICON_TREE, "tree"},          {VELLUM_OUTPUT_SCRIPT_TREE, "script-tree"},
      {VELLUM_OUTPUT_INDEX_PAGE, "index"},        {VELLUM_OUTPUT_NAV_COMBO, "navigation-list"},
      {VELLUM_OUTPUT_LEVEL_TABLE, "level-table"}, {VELLUM_OUTPUT_XML_SITEMAP, "xml-sitemap"},
  };
  view.Tabs()->setCurrentIndex(FormView::kSixthTab);
  for (const auto& [type, name] : sixth_pages) {
    view.Style()->TypeButton(type)->click();
    saved &= Save(window, out, name);
  }

  AboutDialog about(&window);
  about.show();
  saved &= Save(about, out, "about");
  about.close();

  LayoutWizard wizard(nullptr, &window);
  wizard.Modes()->Preset(0, 0);
  wizard.BaseFile()->Preset(true, true, true, 1);
  wizard.show();
  saved &= Save(wizard, out, "wizard-mode");
  wizard.NextButton()->click();
  saved &= Save(wizard, out, "wizard-base-file");
  wizard.BackButton()->click();
  wizard.Modes()->Preset(1, 0);
  wizard.NextButton()->click();
  wizard.Folders()->expandItem(wizard.Folders()->DrivesEntry());
  saved &= Save(wizard, out, "wizard-folder");
  wizard.close();

  ProgressDialog scan(VELLUM_PROGRESS_SCAN, wizard.windowTitle(), &window);
  const QByteArray page = QFile::encodeName(QDir::current().filePath("index.html"));
  scan.Report(VellumProgress{sizeof(VellumProgress), VELLUM_PROGRESS_SCAN, 12, 0, page.constData(),
                             nullptr, 0});
  scan.show();
  saved &= Save(scan, out, "scan-progress");
  scan.hide();

  const QString site = QStringLiteral("https://www.example.com/");
  BrokenLinksDialog broken(
      {{site + QStringLiteral("recipes/rye-bread.html"), site + QStringLiteral("recipes/"), 404,
        QStringLiteral("Not Found")},
       {site + QStringLiteral("shop/basket"), site, 500, QStringLiteral("Internal Server Error")},
       {QStringLiteral("https://old.example.net/flour.html"), site + QStringLiteral("about.html"),
        0, QStringLiteral("Could not resolve host name")},
       {site + QStringLiteral("members/"), site, 403, QStringLiteral("Forbidden")}},
      &window);
  broken.show();
  saved &= Save(broken, out, "broken-links");
  broken.close();

  ConfigDialog settings(config, &window);
  settings.show();
  saved &= Save(settings, out, "configuration");
  settings.close();

  UploadDialog target(&window);
  target.ChooseKind(1);
  target.Server()->setText(QStringLiteral("ftp.example.com"));
  target.Port()->setText(QStringLiteral("21"));
  target.Login()->setText(QStringLiteral("baker"));
  target.Password()->setText(QStringLiteral("s3cret"));
  target.PassiveMode()->setChecked(true);
  target.show();
  saved &= Save(target, out, "upload-properties");
  target.close();

  PasswordDialog password(QStringLiteral("Password for baker on sftp://ssh.example.com:22"),
                          &window);
  password.show();
  saved &= Save(password, out, "password");
  password.close();

  ProgressDialog upload(VELLUM_PROGRESS_UPLOAD, QObject::tr("Upload"), &window);
  upload.Report(VellumProgress{sizeof(VellumProgress), VELLUM_PROGRESS_UPLOAD, 3, 8,
                               page.constData(), "ftp://ftp.example.com/www/", 0});
  upload.show();
  saved &= Save(upload, out, "upload-progress");
  return saved;
}

}  // namespace bramblel

// The Configuration and Upload properties dialogs, the Layout page's output
// list, Generate Site Map And Upload against a real FTP server, the broken
// links' table, and the keyboard mnemonics of every window.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMap>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <array>

#include "app_fixture.h"
#include "dialogs/about_dialog.h"
#include "dialogs/broken_links_dialog.h"
#include "dialogs/config_dialog.h"
#include "dialogs/password_dialog.h"
#include "dialogs/port_field.h"
#include "dialogs/progress_dialog.h"
#include "dialogs/upload_dialog.h"
#include "pages/layout_page.h"
#include "pages/style_page.h"
#include "shell/form_view.h"
#include "shell/main_window.h"
#include "shell/page_transfer.h"
#include "support/ftp_servers.h"
#include "wizard/layout_wizard.h"
#include "wizard/mode_page.h"

namespace bramblel {

namespace {

// A target as the engine's list shows it: "URL|folder|server|port|flags".
QString Describe(const OutputTarget& target) {
  const auto text = [](const char* t) { return QString::fromUtf8(t == nullptr ? "" : t); };
  return QStringList{text(target.URL), text(target.Folder), text(target.Server),
                     QString::number(target.Port), QString::number(target.Flags, 16)}
      .join('|');
}

// The counts of an upload message's one target line: sent, skipped,
// failed.
std::array<int, 3> Counts(const QString& message) {
  const QRegularExpression line("(\\d+) sent, (\\d+) skipped as unchanged, (\\d+) failed");
  const QRegularExpressionMatch match = line.match(message);
  return {match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt()};
}

// The Alt+letter keys that window's widgets take as it shows now: a button,
// group box or tab by its own text, a label for its buddy, the menu bar for
// each menu. Qt gives such a key only to a widget that is visible, so the
// pages of other tabs and steps do not count; two visible widgets with one
// key share it, and then each press goes to the next of them (a menu opens
// every second time, a button only takes the focus). Disabled widgets
// count: other choices enable them. Each key taken twice gives one line,
// and so does a label whose "&" shows as it is, having no buddy.
QStringList MnemonicFaults(QWidget& window, const QString& state) {
  QMap<QString, QStringList> takers;
  QStringList faults;
  const auto take = [&takers](const QString& text) {
    const QKeySequence key = QKeySequence::mnemonic(text);
    if (!key.isEmpty()) takers[key.toString()].append(text);
  };
  for (QWidget* widget : window.findChildren<QWidget*>()) {
    if (!widget->isVisibleTo(&window)) continue;
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
      take(button->text());
    } else if (auto* box = qobject_cast<QGroupBox*>(widget)) {
      take(box->title());
    } else if (auto* tabs = qobject_cast<QTabBar*>(widget)) {
      for (int i = 0; i < tabs->count(); ++i) take(tabs->tabText(i));
    } else if (auto* menus = qobject_cast<QMenuBar*>(widget)) {
      for (const QAction* menu : menus->actions()) take(menu->text());
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
      if (label->buddy() != nullptr) {
        take(label->text());
      } else if (!QKeySequence::mnemonic(label->text()).isEmpty()) {
        faults.append(state + ": no buddy for " + label->text());
      }
    }
  }
  for (auto taken = takers.cbegin(); taken != takers.cend(); ++taken) {
    if (taken->size() > 1) faults.append(state + ": " + taken.key() + " " + taken->join(", "));
  }
  return faults;
}

}  // namespace

class DialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home_.path()));
    config_ = StartTestEngine();
  }

  void OkWithoutChangesWritesTheSameFile() {
    ConfigDialog first(config_);
    first.Proxy()->setText("cache.local");
    first.UseProxy()->setChecked(false);  // the proxy is stored all the same
    first.accept();
    QCOMPARE(first.result(), int(QDialog::Accepted));
    QCOMPARE(QByteArray(config_->Proxy), "cache.local");
    QCOMPARE(config_->UseProxy, 0);
    const QString file = home_.filePath("vellumark/Vellum.cfg");
    const QByteArray written = ReadFile(file);
    QVERIFY(written.contains("cache.local"));
    QFile::remove(file);
    ConfigDialog again(config_);
    again.accept();
    QCOMPARE(ReadFile(file), written);
  }

  void PortsMustBeWholeNumbers_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");  // empty: taken
    const QString integer = "Please enter a positive integer.";
    const QString range = "Please enter a port number from 0 to 65535.";
    QTest::newRow("a port") << "8080"
                            << "";
    QTest::newRow("blanks around") << " 21 "
                                   << "";
    QTest::newRow("zero") << "0"
                          << "";
    QTest::newRow("the highest") << "65535"
                                 << "";
    QTest::newRow("empty") << "" << integer;
    QTest::newRow("letters") << "80a" << integer;
    QTest::newRow("negative") << "-1" << integer;
    QTest::newRow("above 65535") << "65536" << range;
    QTest::newRow("huge") << "99999999999" << range;
  }
  void PortsMustBeWholeNumbers() {
    QFETCH(QString, text);
    QFETCH(QString, message);
    const bool taken = message.isEmpty();
    QCOMPARE(ParsePort(text).has_value(), taken);
    for (int dialog_kind = 0; dialog_kind < 2; ++dialog_kind) {
      Prompts prompts;
      std::unique_ptr<QDialog> dialog;
      PortField* field = nullptr;
      if (dialog_kind == 0) {
        auto* config = new ConfigDialog(config_);
        field = config->FirewallPort();
        dialog.reset(config);
      } else {
        auto* upload = new UploadDialog;
        upload->ChooseKind(1);
        field = upload->Port();
        dialog.reset(upload);
      }
      dialog->show();
      field->setText(text);
      dialog->accept();
      QCOMPARE(dialog->result() == QDialog::Accepted, taken);
      QCOMPARE(prompts.shown, taken ? QStringList{} : QStringList{message});
      if (!taken) QVERIFY(field->hasFocus() || !QApplication::focusWidget());
    }
  }

  // A text the configuration file cannot hold: the engine says why, and the
  // dialog stays.
  void RefusedValueKeepsTheDialogOpen() {
    Prompts prompts;
    ConfigDialog dialog(config_);
    dialog.Editors()->setText(R"(say "hi")");
    dialog.accept();
    QVERIFY(dialog.result() != QDialog::Accepted);
    QCOMPARE(prompts.shown.size(), 1);
    QVERIFY(prompts.shown[0].contains("Editor"));
  }

  // Each kind enables its own settings, and a target's secure settings come
  // back from the dialog as they went in.
  void KindEnablesItsSettings_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("protocol");
    // server, passive, firewall, key, CA: 0 or 1 each
    QTest::addColumn<QString>("enabled");
    QTest::newRow("folder") << int(UploadDialog::kFolder) << 0 << "00000";
    QTest::newRow("FTP") << int(UploadDialog::kFtp) << int(VELLUM_PROTOCOL_FTP) << "11100";
    QTest::newRow("FTPS") << int(UploadDialog::kFtps) << int(VELLUM_PROTOCOL_FTPS) << "10001";
    QTest::newRow("SFTP") << int(UploadDialog::kSftp) << int(VELLUM_PROTOCOL_SFTP) << "10010";
  }
  void KindEnablesItsSettings() {
    QFETCH(int, kind);
    QFETCH(int, protocol);
    QFETCH(QString, enabled);
    UploadDialog dialog;
    dialog.ChooseKind(UploadDialog::kFtp);
    dialog.Kinds()->button(kind)->click();
    const auto on = [](bool value) { return QChar(value ? '1' : '0'); };
    QCOMPARE(QString{on(dialog.FtpSettings()->isEnabled())} +
                 on(dialog.PassiveMode()->isEnabled()) + on(dialog.UseFirewall()->isEnabled()) +
                 on(dialog.KeyFile()->isEnabled()) + on(dialog.CaFile()->isEnabled()),
             enabled);
    QCOMPARE(dialog.Browse()->isEnabled(), kind == UploadDialog::kFolder);
    QVERIFY(dialog.Url()->isEnabled() && dialog.Folder()->isEnabled());
    QCOMPARE(dialog.Password()->echoMode(), QLineEdit::Password);

    OutputTarget target{};
    target.Server = "host.example";
    target.Flags = kind == UploadDialog::kFolder ? 0 : VELLUM_TARGET_FTP;
    const VellumTargetSecurity security{sizeof(VellumTargetSecurity), protocol, "/keys/id",
                                        "/ca.pem", VELLUM_PASSWORD_ASK};
    UploadDialog filled;
    filled.Fill(target, security);
    QCOMPARE(filled.Kinds()->checkedId(), kind);
    filled.accept();
    TargetEntry entry;
    filled.Collect(false, entry);
    const auto text = [](const char* t) { return QString::fromUtf8(t == nullptr ? "" : t); };
    QCOMPARE(entry.security.Protocol, protocol);
    QCOMPARE(text(entry.security.KeyFile), kind == UploadDialog::kSftp ? "/keys/id" : "");
    QCOMPARE(text(entry.security.CAFile), kind == UploadDialog::kFtps ? "/ca.pem" : "");
    QCOMPARE(entry.security.PasswordFrom,
             kind == UploadDialog::kFolder ? VELLUM_PASSWORD_PROJECT : VELLUM_PASSWORD_ASK);
  }

  // Add selects the new target for upload, edit keeps the bit; remove shows
  // the next line; a double click edits the line clicked.
  void OutputListCommands() {
    Document document;
    document.New();
    FormView view(config_);
    FillPages(view, *document.project(), *document.SiteMap());
    LayoutPage* layout = view.Layout();
    Project& project = *document.project();
    for (const char* server : {"one.example", "two.example", "three.example"}) {
      QObject watch;
      WhenShown<UploadDialog>(&watch, [server](UploadDialog* dialog) {
        QVERIFY(dialog->FtpSettings()->isEnabled());  // a new target is an FTP server
        dialog->Server()->setText(server);
        dialog->Port()->setText("21");
        dialog->accept();
      });
      layout->AddButton()->click();
    }
    QCOMPARE(layout->OutputList()->count(), 3);
    QCOMPARE(Describe(project.Targets[2]), "||three.example|21|11");

    PrmRequest unselect{VELLUM_PRM_MODIFY_TARGET, 1, nullptr};
    OutputTarget plain = project.Targets[1];
    plain.Flags = VELLUM_TARGET_FTP;
    unselect.Data = &plain;
    HTMLprjPrm(&unselect);
    {
      QObject watch;
      QString shown;
      WhenShown<UploadDialog>(&watch, [&shown](UploadDialog* dialog) {
        shown = dialog->Server()->text();
        dialog->Kinds()->button(0)->click();
        dialog->Folder()->setText("/srv/www");
        dialog->accept();
      });
      layout->OutputList()->setCurrentRow(1);
      emit layout->OutputList()->itemDoubleClicked(layout->OutputList()->item(1));
      QCOMPARE(shown, "two.example");
    }
    QCOMPARE(Describe(project.Targets[1]), "|/srv/www|two.example|21|0");
    QCOMPARE(layout->OutputList()->item(1)->text(), "two.example");

    const std::pair<int, int> removals[] = {{1, 1}, {1, 0}, {0, -1}};  // middle, last, only
    for (const auto& [line, next] : removals) {
      layout->OutputList()->setCurrentRow(line);
      layout->RemoveButton()->click();
      QCOMPARE(layout->OutputList()->currentRow(), next);
    }
    QCOMPARE(project.TargetCount, 0);
  }

  // The whole way, as a user goes: a target added through the dialog, the
  // site map generated and sent; an upload cancelled midway and run again
  // leaves every file there exactly once. The target asks for its password,
  // which the password dialog gives, shown by the GUI thread while the
  // engine worker waits; the project keeps no password.
  void GenerateAndUploadToAnFtpServer() {
    QTemporaryDir site, server_root;
    vellum::test::FtpServer server(server_root.path().toStdString(),
                                   site.filePath("ftp.log").toStdString());
    QVERIFY(server.port() > 0);
    MainWindow window(config_, QCoreApplication::applicationFilePath());
    window.NewProject();
    QVERIFY(window.SaveProject(site.filePath("site.bpj")));
    window.OpenProject(site.filePath("site.bpj"));  // the site map goes beside it
    for (int i = 0; i < 6; ++i) {
      const QString name = QStringLiteral("page%1.html").arg(i);
      QFile page(site.filePath(name));
      QVERIFY(page.open(QIODevice::WriteOnly) && page.write("<p>page</p>") > 0);
      page.close();
      const QByteArray path = QFile::encodeName(site.filePath(name));
      PrmRequest add{VELLUM_PRM_ADD_FILE, 0, path.constData()};
      HTMLprjPrm(&add);
    }
    QObject watch;
    WhenShown<UploadDialog>(&watch, [&server](UploadDialog* dialog) {
      dialog->Server()->setText("127.0.0.1");
      dialog->Port()->setText(QString::number(server.port()));
      dialog->Login()->setText(vellum::test::FtpServer::kUser);
      dialog->PassiveMode()->setChecked(true);
      dialog->PasswordFrom()->setCurrentIndex(VELLUM_PASSWORD_ASK);
      dialog->accept();
    });
    window.View()->Layout()->AddButton()->click();
    QCOMPARE(window.document().project()->TargetCount, 1);
    QString prompt;
    const auto give_password = [&watch, &prompt] {
      WhenShown<PasswordDialog>(&watch, [&prompt](PasswordDialog* dialog) {
        prompt = dialog->findChild<QLabel*>()->text();
        dialog->Password()->setText(vellum::test::FtpServer::kPassword);
        dialog->accept();
      });
    };

    // Stopped once two files went; then run again to the end.
    CancelAt(&watch, [](const ProgressReport& report) { return report.done == 2; });
    Prompts prompts;
    give_password();
    window.Action("GenerateAndUpload")->trigger();
    QVERIFY2(prompt.startsWith("Password for joe on ftp://127.0.0.1:"), qPrintable(prompt));
    QCOMPARE(prompts.shown.last(),
             "Upload finished.\n127.0.0.1: 2 sent, 0 skipped as unchanged, 0 failed\n"
             "Cancelled: 5 files not sent.");
    give_password();
    window.Action("GenerateAndUpload")->trigger();
    QCOMPARE(Counts(prompts.shown.last()), (std::array<int, 3>{5, 2, 0}));
    // The engine's pieces of one line make one status line.
    QVERIFY2(
        QRegularExpression("^'/[^']+' - Upload successful$").match(window.StatusText()).hasMatch(),
        qPrintable(window.StatusText()));
    for (int i = 0; i < 6; ++i) {
      const QString name = QStringLiteral("page%1.html").arg(i);
      QVERIFY2(QFile::exists(server_root.filePath(name)), qPrintable(name));
    }
    QVERIFY(QFile::exists(server_root.filePath("sitemap.html")));
    QStringList stored;
    for (const std::string& command : server.Commands()) {
      if (command.rfind("STOR .page", 0) == 0) stored.append(QString::fromStdString(command));
    }
    QCOMPARE(stored.size(), 6);  // each page once, under its temporary name
    QCOMPARE(QSet<QString>(stored.begin(), stored.end()).size(), 6);

    // A file that is gone is named among the failures.
    const QByteArray gone = QFile::encodeName(site.filePath("gone.html"));
    PrmRequest add{VELLUM_PRM_ADD_FILE, 0, gone.constData()};
    HTMLprjPrm(&add);
    give_password();
    window.Action("GenerateAndUpload")->trigger();
    QCOMPARE(Counts(prompts.shown.last())[2], 1);
    QVERIFY2(
        prompts.shown.last().endsWith("\n\nfile '" + site.filePath("gone.html") + "' not found"),
        qPrintable(prompts.shown.last()));
    QVERIFY(window.SaveProject(site.filePath("site.bpj")));
    const QByteArray saved = ReadFile(site.filePath("site.bpj"));
    QVERIFY2(saved.contains(",\"joe\",\"\",") && saved.contains(",\"ask\"}"), saved.constData());
  }

  // Each link is one line of four tab-separated fields, whatever the web
  // put in its texts.
  void BrokenLinksCopyAsOneLineEach_data() {
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("page");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("problem");
    QTest::addColumn<QString>("line");
    QTest::newRow("an HTTP error") << "http://h/x"
                                   << "http://h/" << 404 << "Not Found"
                                   << "404 Not Found"
                                   << "http://h/x\thttp://h/\t404\tNot Found";
    QTest::newRow("the base, no answer") << "/s/index.html"
                                         << "" << 0 << "not found"
                                         << "not found"
                                         << "/s/index.html\t\t\tnot found";
    QTest::newRow("a status alone") << "http://h/y"
                                    << "http://h/" << 500 << ""
                                    << "500"
                                    << "http://h/y\thttp://h/\t500\t";
    QTest::newRow("tabs and breaks from the web")
        << "http://h/a\tb"
        << "http://h/\r\n"
        << 0 << QString::fromUtf8("bad\nthing\u2028!") << "bad thing !"
        << "http://h/a b\thttp://h/  \t\tbad thing !";
  }
  // Every window in every state it shows: the main window on each tab, the
  // sixth once per output type, the wizard's steps, each dialog.
  void MnemonicsAreUniquePerWindow() {
    QStringList faults;
    MainWindow window(config_, QCoreApplication::applicationFilePath());
    window.NewProject();
    window.show();
    FormView& view = *window.View();
    for (int tab = 0; tab < FormView::kSixthTab; ++tab) {
      view.Tabs()->setCurrentIndex(tab);
      faults << MnemonicFaults(window, "tab " + view.Tabs()->tabText(tab));
    }
    view.Tabs()->setCurrentIndex(FormView::kSixthTab);
    for (int type = VELLUM_OUTPUT_UL_LIST; type <= VELLUM_OUTPUT_XML_SITEMAP; ++type) {
      view.Style()->TypeButton(type)->click();
      faults << MnemonicFaults(window, view.Style()->TypeButton(type)->text());
    }

    LayoutWizard wizard(config_, &window);
    wizard.show();
    for (int mode = 0; mode < 2; ++mode) {
      wizard.Modes()->Preset(mode, 0);
      faults << MnemonicFaults(wizard, "wizard, first step");
      wizard.NextButton()->click();
      faults << MnemonicFaults(wizard, QStringLiteral("wizard, mode %1").arg(mode));
      wizard.BackButton()->click();
    }

    ConfigDialog config(config_, &window);
    UploadDialog upload(&window);
    AboutDialog about(&window);
    BrokenLinksDialog broken({{"http://h/x", "http://h/", 404, "Not Found"}}, &window);
    ProgressDialog progress(VELLUM_PROGRESS_UPLOAD, "Upload", &window);
    for (QDialog* dialog :
         std::initializer_list<QDialog*>{&config, &upload, &about, &broken, &progress}) {
      dialog->show();
      faults << MnemonicFaults(*dialog, dialog->metaObject()->className());
      dialog->hide();
    }
    QVERIFY2(faults.isEmpty(), qPrintable(faults.join('\n')));
  }

  void BrokenLinksCopyAsOneLineEach() {
    QFETCH(QString, address);
    QFETCH(QString, page);
    QFETCH(int, status);
    QFETCH(QString, reason);
    QFETCH(QString, problem);
    QFETCH(QString, line);
    const BrokenLinkRow link{address, page, status, reason};
    QCOMPARE(ProblemText(link), problem);
    QCOMPARE(BrokenLinksText({link}), "Link\tLinked from\tStatus\tReason\n" + line + "\n");
  }

 private:
  QTemporaryDir home_;
  EngineConfig* config_ = nullptr;
};

}  // namespace bramblel

QTEST_MAIN(bramblel::DialogsTest)
#include "dialogs_test.moc"

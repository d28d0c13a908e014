// The Configuration and Upload properties dialogs, Generate Site Map And
// Upload against a real FTP server, and the broken links' table.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QToolButton>
#include <array>

#include "app_fixture.h"
#include "dialogs/broken_links_dialog.h"
#include "dialogs/config_dialog.h"
#include "dialogs/password_dialog.h"
#include "dialogs/port_field.h"
#include "dialogs/upload_dialog.h"
#include "pages/layout_page.h"
#include "shell/form_view.h"
#include "shell/main_window.h"
#include "shell/page_transfer.h"
#include "support/ftp_servers.h"

namespace bramblel {

namespace {

// The counts of an upload message's one target line: sent, skipped,
// failed.
std::array<int, 3> Counts(const QString& message) {
  const QRegularExpression line("(\\d+) sent, (\\d+) skipped as unchanged, (\\d+) failed");
  const QRegularExpressionMatch match = line.match(message);
  return {match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt()};
}

}  // namespace

class DialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home_.path()));
    config_ = StartTestEngine();
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
    Prompts prompts;
    ConfigDialog dialog(config_);
    dialog.show();
    dialog.FirewallPort()->setText(text);
    dialog.accept();
    QCOMPARE(dialog.result() == QDialog::Accepted, taken);
    QCOMPARE(prompts.shown, taken ? QStringList{} : QStringList{message});
  }

  // A target's secure settings come back from the dialog as they went in,
  // each kind keeping only its own.
  void SecureSettingsRoundTrip_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("protocol");
    QTest::newRow("folder") << int(UploadDialog::kFolder) << 0;
    QTest::newRow("FTPS") << int(UploadDialog::kFtps) << int(VELLUM_PROTOCOL_FTPS);
    QTest::newRow("SFTP") << int(UploadDialog::kSftp) << int(VELLUM_PROTOCOL_SFTP);
  }
  void SecureSettingsRoundTrip() {
    QFETCH(int, kind);
    QFETCH(int, protocol);
    OutputTarget target{};
    target.Server = "host.example";
    target.Flags = kind == UploadDialog::kFolder ? 0 : VELLUM_TARGET_FTP;
    const VellumTargetSecurity security{sizeof(VellumTargetSecurity), protocol, "/keys/id",
                                        "/ca.pem", VELLUM_PASSWORD_ASK};
    UploadDialog filled;
    filled.Fill(target, security);
    QCOMPARE(filled.Password()->echoMode(), QLineEdit::Password);
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
  void BrokenLinksCopyAsOneLineEach() {
    const BrokenLinkRow plain{"http://h/x", "http://h/", 404, "Not Found"};
    const BrokenLinkRow from_the_web{"http://h/a\tb", "http://h/\r\n", 0,
                                     QString::fromUtf8("bad\nthing\u2028!")};
    QCOMPARE(ProblemText(plain), "404 Not Found");
    QCOMPARE(ProblemText(from_the_web), "bad thing !");
    QCOMPARE(BrokenLinksText({plain, from_the_web}),
             "Link\tLinked from\tStatus\tReason\nhttp://h/x\thttp://h/\t404\tNot Found\n"
             "http://h/a b\thttp://h/  \t\tbad thing !\n");
  }

 private:
  QTemporaryDir home_;
  EngineConfig* config_ = nullptr;
};

}  // namespace bramblel

QTEST_MAIN(bramblel::DialogsTest)
#include "dialogs_test.moc"

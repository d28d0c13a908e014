// The main window's project life cycle, driven as a user drives it, and the
// program started as a user starts it.
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTabWidget>
#include <QTest>

#include "app_fixture.h"
#include "core/map_item_list.h"
#include "pages/layout_page.h"
#include "pages/map_model.h"
#include "pages/map_page.h"
#include "pages/map_tree.h"
#include "pages/page_content_page.h"
#include "shell/form_view.h"
#include "shell/main_window.h"

namespace bramblel {

class ShellTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { config_ = StartTestEngine(); }

  // Opening a project made elsewhere and saving it changes no byte: the
  // members and bits that no page shows survive, a non-UTF-8 title too.
  // The project's folder becomes the current folder, and the saved name
  // gets its extension.
  void OpenAndSaveKeepTheProjectByteForByte() {
    SiteMapParams params = VellumNewSiteMapParams();
    params.BasePath = "Main map";
    params.Settings.Mode = 1;
    params.Settings.SchemeName = "dots";
    params.Settings.Title = "Caf\xe9";
    params.Settings.TableBorder = 3;
    MakeProject(params, VELLUM_NEW_SITE_MAP_FLAGS | VELLUM_GEN_PAGE_FOOTER);
    const QString path = dir_.filePath("made.bpj");
    QVERIFY(HTMLprjSave(QFile::encodeName(path).constData()) != nullptr);
    const QByteArray made = ReadFile(path);

    MainWindow window(config_, QCoreApplication::applicationFilePath());
    window.OpenProject(path);
    QCOMPARE(QDir::currentPath(), dir_.path());
    QCOMPARE(window.windowTitle(), "made.bpj[*] - Brambleplot Lite");
    QVERIFY(!window.isWindowModified());
    QVERIFY(window.SaveProject("copy"));
    QCOMPARE(ReadFile(dir_.filePath("copy.bpj")), made);
    QCOMPARE(window.document().path(), dir_.filePath("copy.bpj"));
    QCOMPARE(window.Recent().Files().first(), dir_.filePath("copy.bpj"));
  }

  // A project whose first item is no site map gets a new one, and nothing
  // else.
  void ProjectWithoutSiteMapGetsANewOne() {
    MakeProject(VellumNewSiteMapParams(), 0, VELLUM_KIND_CHECK);
    const QString path = dir_.filePath("other.bpj");
    HTMLprjSave(QFile::encodeName(path).constData());
    MainWindow window(config_, QCoreApplication::applicationFilePath());
    window.OpenProject(path);
    const Project* project = window.document().project();
    QCOMPARE(project->ItemCount, 1);
    QCOMPARE(int{project->Items[0].Kind}, int{VELLUM_KIND_SSITEMAP});
    QCOMPARE(project->Items[0].Entries.Count, 0);
    QCOMPARE(window.View()->Layout()->OutputFile()->text(), "sitemap.html");
  }

  void ClosePromptSavesDiscardsOrCancels_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<bool>("saved");
    QTest::newRow("yes") << int(Answer::kYes) << true << true;
    QTest::newRow("no") << int(Answer::kNo) << true << false;
    QTest::newRow("cancel") << int(Answer::kCancel) << false << false;
  }
  void ClosePromptSavesDiscardsOrCancels() {
    QFETCH(int, answer);
    QFETCH(bool, closes);
    QFETCH(bool, saved);
    MakeProject(VellumNewSiteMapParams(), VELLUM_NEW_SITE_MAP_FLAGS);
    const QString path = dir_.filePath("prompt.bpj");
    HTMLprjSave(QFile::encodeName(path).constData());
    MainWindow window(config_, QCoreApplication::applicationFilePath());
    window.OpenProject(path);
    Prompts prompts;
    prompts.answer = static_cast<Answer>(answer);
    QVERIFY(window.MaybeSave());  // nothing changed: no question
    QVERIFY(prompts.shown.isEmpty());

    window.View()->PageContent()->Title()->setText("Renamed");
    QCOMPARE(window.MaybeSave(), closes);
    QCOMPARE(prompts.shown, QStringList{"Save changes to " + path + "?"});
    QCOMPARE(ReadFile(path).contains("Renamed"), saved);
  }

  // Saving what a user would lose asks first: a file that was not read
  // whole, a file that the appended extension names; a failed save says
  // why and offers Save As.
  void SaveThatWouldLoseWorkAsksFirst_data() {
    QTest::addColumn<QString>("name");  // as chosen in Save As
    QTest::addColumn<bool>("damaged");
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("saved");
    QTest::addColumn<QString>("told");
    const QString unread = "was not read whole when it was opened:\n";
    const QString exists = "already exists.\nDo you want to replace it?";
    QTest::newRow("unread, cancel")
        << "site.bpj" << true << int(Answer::kCancel) << false << unread;
    QTest::newRow("unread, save over") << "site.bpj" << true << int(Answer::kYes) << true << unread;
    QTest::newRow("unread, another name") << "other" << true << int(Answer::kCancel) << true << "";
    QTest::newRow("extension added, no") << "site" << false << int(Answer::kNo) << false << exists;
    QTest::newRow("extension added, yes") << "site" << false << int(Answer::kYes) << true << exists;
    QTest::newRow("no such folder")
        << "gone/site" << false << int(Answer::kNo) << false << "Save it under another name?";
  }
  void SaveThatWouldLoseWorkAsksFirst() {
    QFETCH(QString, name);
    QFETCH(bool, damaged);
    QFETCH(int, answer);
    QFETCH(bool, saved);
    QFETCH(QString, told);
    QTemporaryDir dir;
    const QString path = dir.filePath("site.bpj");
    const QByteArray before = WriteProject(path, damaged);
    MainWindow window(config_, QCoreApplication::applicationFilePath());
    Prompts prompts;
    prompts.answer = static_cast<Answer>(answer);
    window.OpenProject(path);
    if (damaged) {
      QCOMPARE(prompts.shown.size(), 1);
      QVERIFY2(prompts.shown[0].contains("could not be read whole:\n'" + path +
                                         "' - bad profect (line "),
               qPrintable(prompts.shown[0]));
      QCOMPARE(window.document().project()->Items[0].Entries.Count, 1);
    }
    prompts.shown.clear();
    window.View()->PageContent()->Title()->setText("Changed");
    QCOMPARE(window.SaveProjectAs(dir.filePath(name)), saved);
    const QString target = dir.filePath(ProjectSavePath(name));
    QCOMPARE(ReadFile(target).contains("Changed"), saved);
    if (target != path) QCOMPARE(ReadFile(path), before);
    QCOMPARE(prompts.shown.size(), told.isEmpty() ? 0 : 1);
    if (!told.isEmpty()) QVERIFY2(prompts.shown[0].contains(told), qPrintable(prompts.shown[0]));
    if (name.startsWith("gone/")) QVERIFY(prompts.shown[0].contains("(No such file or directory)"));
  }

  // A name being typed on the Map page is not lost: switching tabs and
  // saving write it into its node first. Saving keeps the tree as the user
  // left it.
  void PendingMapEditsLandBeforeSaveAndTabSwitch() {
    SiteMapParams params = VellumNewSiteMapParams();
    Project* project = MakeProject(params, VELLUM_NEW_SITE_MAP_FLAGS);
    vellum::core::Append(project->Items[0].Entries, "a.html", "A");
    vellum::core::Append(project->Items[0].Entries, "b.html", "B");
    vellum::core::Append(project->Items[0].Entries.Items[0].Children, "c.html", "C");
    const QString path = dir_.filePath("edits.bpj");
    HTMLprjSave(QFile::encodeName(path).constData());
    MainWindow window(config_, QCoreApplication::applicationFilePath());
    window.OpenProject(path);
    MapPage* map = window.View()->Map();
    QAbstractItemModel* tree = map->Model();
    map->Tree()->setCurrentIndex(tree->index(0, 0));
    map->LinkName()->setPlainText("Apples");
    QVERIFY(!window.isWindowModified());
    window.View()->Tabs()->setCurrentIndex(FormView::kStyleTab);
    QCOMPARE(QByteArray(project->Items[0].Entries.Items[0].Name), "Apples");
    QVERIFY(window.isWindowModified());
    tree->setData(tree->index(1, 0), "Bread");  // typed in the tree (F2)
    map->Tree()->setCurrentIndex(tree->index(0, 0));
    map->LinkUrl()->setText("apples.html");
    map->Tree()->expand(tree->index(0, 0));
    QVERIFY(window.SaveProject(path));
    QVERIFY(!window.isWindowModified());
    const QByteArray saved = ReadFile(path);
    QVERIFY(saved.contains("apples.html") && saved.contains("Bread"));
    QVERIFY(map->Tree()->isExpanded(tree->index(0, 0)));
    QCOMPARE(map->Tree()->currentIndex(), tree->index(0, 0));
    // Undone past the save, the project is modified again; redone, it is not.
    window.Action("EditUndo")->trigger();
    QVERIFY(window.isWindowModified());
    QCOMPARE(QByteArray(project->Items[0].Entries.Items[0].URL), "a.html");
    window.Action("EditRedo")->trigger();
    QVERIFY(!window.isWindowModified());
    // A setting typed on a page marks it too, once the engine says it changed.
    QLineEdit* title = window.View()->PageContent()->findChild<QLineEdit*>();
    title->setText(title->text() + "!");
    emit title->textEdited(title->text());
    QTRY_VERIFY(window.isWindowModified());
  }

  // The program finds its installation beside itself, in the build tree
  // and where `cmake --install` put it.
  void StartsFromTheBuildTreeAndAnInstallation() {
    const QString built = QStringLiteral(BRAMBLEL_PATH);
    QCOMPARE(Run(built).second, "Installation: " + QStringLiteral(VELLUM_ROOT_DIR) + "/");
    QProcess install;
    install.start(QStringLiteral(CMAKE_COMMAND),
                  {"--install", VELLUM_BUILD_DIR, "--prefix", dir_.filePath("prefix")});
    QVERIFY(install.waitForFinished(120000) && install.exitCode() == 0);
    QCOMPARE(Run(dir_.filePath("prefix/IDE/bramblel")).second,
             "Installation: " + dir_.filePath("prefix") + "/");
    QVERIFY(QFile::exists(dir_.filePath("prefix/IDE/help/index.html")));
  }

 private:
  // Writes a project of three links at path; damaged, its second link's
  // line cannot be read. Returns the file's bytes.
  static QByteArray WriteProject(const QString& path, bool damaged) {
    Project* project = MakeProject(VellumNewSiteMapParams(), VELLUM_NEW_SITE_MAP_FLAGS);
    for (const char* page : {"a.html", "b.html", "c.html"}) {
      vellum::core::Append(project->Items[0].Entries, page, page);
    }
    HTMLprjSave(QFile::encodeName(path).constData());
    QByteArray bytes = ReadFile(path);
    if (!damaged) return bytes;
    bytes.replace("MapItem={\"b.html\",\"b.html\"}", "MapItem=oops");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) return {};
    return bytes;
  }

  // The two lines of `program --version`.
  static std::pair<QString, QString> Run(const QString& program) {
    QProcess process;
    process.start(program, {"--version"});
    process.waitForFinished(60000);
    const QStringList lines = QString::fromLocal8Bit(process.readAllStandardOutput()).split('\n');
    return {lines.value(0), lines.value(1)};
  }

  EngineConfig* config_ = nullptr;
  QTemporaryDir dir_;
};

}  // namespace bramblel

QTEST_MAIN(bramblel::ShellTest)
#include "shell_test.moc"

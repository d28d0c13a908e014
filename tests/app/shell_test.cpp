// The main window's project life cycle, driven as a user drives it, and the
// program started as a user starts it.
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include "app_fixture.h"
#include "core/map_item_list.h"
#include "dialogs/help_window.h"
#include "pages/layout_page.h"
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

  void SavePathEndsInBpj_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("saved");
    QTest::newRow("no extension") << "map"
                                  << "map.bpj";
    QTest::newRow("upper case") << "map.BPJ"
                                << "map.BPJ";
    QTest::newRow("other extension") << "map.txt"
                                     << "map.txt.bpj";
    QTest::newRow("dot in a folder") << "v1.2/map"
                                     << "v1.2/map.bpj";
  }
  void SavePathEndsInBpj() {
    QFETCH(QString, path);
    QFETCH(QString, saved);
    QCOMPARE(ProjectSavePath(path), saved);
  }

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
    QCOMPARE(window.windowTitle(), "made.bpj - Brambleplot Lite");
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

  // A name being typed on the Map page is not lost: switching tabs and
  // saving write it into its node first.
  void PendingMapEditsLandBeforeSaveAndTabSwitch() {
    SiteMapParams params = VellumNewSiteMapParams();
    Project* project = MakeProject(params, VELLUM_NEW_SITE_MAP_FLAGS);
    vellum::core::Append(project->Items[0].Entries, "a.html", "A");
    vellum::core::Append(project->Items[0].Entries, "b.html", "B");
    const QString path = dir_.filePath("edits.bpj");
    HTMLprjSave(QFile::encodeName(path).constData());
    MainWindow window(config_, QCoreApplication::applicationFilePath());
    window.OpenProject(path);
    MapPage* map = window.View()->Map();
    map->Tree()->setCurrentItem(map->Tree()->topLevelItem(0));
    map->LinkName()->setPlainText("Apples");
    window.View()->Tabs()->setCurrentIndex(FormView::kStyleTab);
    QCOMPARE(QByteArray(project->Items[0].Entries.Items[0].Name), "Apples");
    map->Tree()->topLevelItem(1)->setText(0, "Bread");  // typed in the tree (F2)
    map->Tree()->setCurrentItem(map->Tree()->topLevelItem(0));
    map->LinkUrl()->setText("apples.html");
    QVERIFY(window.SaveProject(path));
    const QByteArray saved = ReadFile(path);
    QVERIFY(saved.contains("apples.html") && saved.contains("Bread"));
  }

  void NewProjectAsksBeforeClosing() {
    MainWindow window(config_, QCoreApplication::applicationFilePath());
    window.NewProject();
    QCOMPARE(window.windowTitle(), "Untitled - Brambleplot Lite");
    Prompts prompts;
    prompts.answer = Answer::kNo;
    QVERIFY(window.MaybeSave());
    QCOMPARE(prompts.shown, QStringList{"Save changes to Untitled?"});
  }

  void EnterAndEscapeKeepThePage() {
    MainWindow window(config_, QCoreApplication::applicationFilePath());
    window.NewProject();
    window.show();
    window.View()->Tabs()->setCurrentIndex(FormView::kLayoutTab);
    QLineEdit* field = window.View()->Layout()->OutputFile();
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Escape}) QTest::keyClick(field, key);
    QVERIFY(window.isVisible() && window.View()->Layout()->isVisible());
  }

  void RecentFilesKeepTheFourNewest() {
    MainWindow window(config_, QCoreApplication::applicationFilePath());
    QStringList paths;
    for (int i = 0; i < 5; ++i) {
      paths.prepend(dir_.filePath(QStringLiteral("recent%1.bpj").arg(i)));
      MakeProject(VellumNewSiteMapParams(), 0);
      HTMLprjSave(QFile::encodeName(paths.first()).constData());
      window.OpenProject(paths.first());
    }
    window.OpenProject(paths[2]);
    const QStringList newest{paths[2], paths[0], paths[1], paths[3]};
    QCOMPARE(window.Recent().Files(), newest);
    QCOMPARE(RecentFiles().Files(), newest);  // kept in the settings
  }

  // The Edit commands work on the focused field; F6 moves between the tab
  // bar and the page.
  void KeyboardCommandsReachTheFields() {
    MainWindow window(config_, QCoreApplication::applicationFilePath());
    window.NewProject();
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    window.View()->Tabs()->setCurrentIndex(FormView::kLayoutTab);
    QLineEdit* field = window.View()->Layout()->OutputFile();
    field->setFocus();
    field->selectAll();
    window.Action("EditCut")->trigger();
    QCOMPARE(field->text(), "");
    window.Action("EditPaste")->trigger();
    window.Action("EditPaste")->trigger();
    QCOMPARE(field->text(), "sitemap.htmlsitemap.html");
    window.Action("EditUndo")->trigger();
    QCOMPARE(field->text(), "sitemap.html");

    window.Action("NextPane")->trigger();
    QVERIFY(window.View()->Tabs()->tabBar()->hasFocus());
    window.Action("NextPane")->trigger();
    QVERIFY(field->hasFocus());
  }

  void HelpThatCannotBeFoundIsNotTriedAgain() {
    const QString program = dir_.filePath("bin/bramblel");
    const qsizetype windows = QApplication::topLevelWidgets().size();
    ShowHelp(program);
    QDir().mkpath(dir_.filePath("bin/help"));
    QFile book(HelpBookPath(program));
    QVERIFY(book.open(QIODevice::WriteOnly) && book.write("<p>Help</p>") > 0);
    book.close();
    ShowHelp(program);
    QCOMPARE(QApplication::topLevelWidgets().size(), windows);
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

// The pages against the site map they show: what storing keeps, what a
// changed control changes, and the two commands that build generate
// requests from them.
#include <QCheckBox>
#include <QDesktopServices>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QUrl>

#include "app_fixture.h"
#include "pages/fonts_page.h"
#include "pages/layout_page.h"
#include "pages/level_table_page.h"
#include "pages/page_content_page.h"
#include "pages/style_page.h"
#include "pages/xml_sitemap_page.h"
#include "shell/form_view.h"
#include "shell/page_transfer.h"

namespace bramblel {

namespace {

// A site map whose every member has a value of its own; the title is not
// UTF-8, as a page title read from a Latin-1 site is not.
SiteMapParams Distinct() {
  SiteMapParams params{};
  SiteMapSettings& s = params.Settings;
  s.Mode = 1;
  s.OutputType = VELLUM_OUTPUT_LEVEL_TABLE;
  s.OutputFile = "out/map.html";
  s.ImageFolder = "pics";
  s.SchemeName = "dots";
  s.BgColor = "101010";
  s.BackgroundImage = "/img/bg.gif";
  s.Title = "Caf\xe9 map";
  s.TextAbove = "<p>above</p>\nsecond line";
  s.TextBelow = "<p>below</p>";
  s.HeadTags = "<meta name=\"x\">";
  s.ComboTitle = "Go";
  s.TopCrumbText = "Home";
  s.CollapseText = "Fold";
  s.ExpandText = "Unfold";
  s.CrumbSeparator = ">";
  s.OtherName = "Misc";
  s.FontColor = "202020";
  s.LinkColor = "303030";
  s.VisitedColor = "404040";
  s.FontSize = 4;
  s.FontStyle = 1;
  s.TopListType = 2;
  s.SubListType = 3;
  s.TableBorder = 7;
  return params;
}

// Gives the open project a site URL, its other site settings as they are.
void SetSiteUrl(const char* url) {
  VellumSiteSettings site = VellumFilled(VellumGetSiteSettings);
  site.SiteURL = url;
  VellumSetSiteSettings(&site);
}

}  // namespace

class PageTransferTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { config_ = StartTestEngine(); }

  // What no control can show (an unknown layout among it) is given back
  // while the user leaves the control alone; an HTML field emptied by the
  // user gives an absent text.
  void ValuesNoControlShowsAreKept() {
    SiteMapParams params = VellumNewSiteMapParams();
    params.Settings.FontSize = 9;
    params.Settings.TableBorder = 500;
    params.Settings.Title = nullptr;
    params.Settings.TextAbove = "<p>gone</p>";
    params.Settings.OutputType = 9;  // no layout
    Project* project = MakeProject(params, 0);
    FormView view(config_);
    FillPages(view, *project, *SiteMapItem(project));
    view.PageContent()->TextAbove()->clear();
    Collected kept;
    CollectPages(view, kept);
    QCOMPARE(kept.settings.FontSize, 9);
    QCOMPARE(kept.settings.TableBorder, 500);
    QCOMPARE(int{kept.settings.OutputType}, 9);
    QVERIFY(kept.settings.Title == nullptr);
    QVERIFY(kept.settings.TextAbove == nullptr);

    view.Fonts()->Size()->setCurrentIndex(2);
    view.LevelTable()->Border()->setValue(4);
    Collected chosen;
    CollectPages(view, chosen);
    QCOMPARE(chosen.settings.FontSize, 2);
    QCOMPARE(chosen.settings.TableBorder, 4);
  }

  // Storing unchanged pages changes nothing: not the members no page shows,
  // not the bits no page owns, not the Modified flag.
  void StoreKeepsWhatNoPageShows() {
    SiteMapParams stored = Distinct();
    stored.BasePath = "Main map";
    Project* project = MakeProject(stored, 0xFFFFFFFF);
    SetSiteUrl("https://www.example.com/");
    project->Modified = 0;
    HTMLprjSave(QFile::encodeName(dir_.filePath("before.bpj")).constData());
    FormView view(config_);
    FillPages(view, *project, *SiteMapItem(project));
    StorePages(view, *SiteMapItem(project));
    QCOMPARE(project->Modified, 0);
    HTMLprjSave(QFile::encodeName(dir_.filePath("after.bpj")).constData());
    QCOMPARE(ReadFile(dir_.filePath("after.bpj")), ReadFile(dir_.filePath("before.bpj")));

    view.Fonts()->UseFontColor()->setChecked(false);
    StorePages(view, *SiteMapItem(project));
    QCOMPARE(SiteMapItem(project)->Flags, 0xFFFFFFFF & ~VELLUM_GEN_USE_FONT_COLOR);
    QCOMPARE(project->Modified, 1);
    // The markup is the project's: the Style page's box sets it and shows it.
    QVERIFY(!view.Style()->Html5Box()->isChecked());
    view.Style()->Html5Box()->setChecked(true);
    StorePages(view, *SiteMapItem(project));
    QCOMPARE(VellumFilled(VellumGetPageSettings).Markup, VELLUM_MARKUP_HTML5);
    FormView again(config_);
    FillPages(again, *project, *SiteMapItem(project));
    QVERIFY(again.Style()->Html5Box()->isChecked());

    project->Modified = 0;
    view.XmlSitemap()->SiteUrl()->setText("https://www.example.org/");
    view.XmlSitemap()->Alternates()->setChecked(true);
    StorePages(view, *SiteMapItem(project));
    QCOMPARE(QByteArray(VellumFilled(VellumGetSiteSettings).SiteURL), "https://www.example.org/");
    QCOMPARE(VellumFilled(VellumGetSiteSettings).SitemapExtras, int32_t{VELLUM_SITEMAP_ALTERNATES});
    QCOMPARE(project->Modified, 1);
    FillPages(again, *project, *SiteMapItem(project));
    QVERIFY(again.XmlSitemap()->Alternates()->isChecked());
    QVERIFY(!again.XmlSitemap()->Images()->isChecked());
  }

  // Generate writes the page where the message says, a relative output file
  // below the current folder, and registers it; a generate that fails says
  // so instead.
  void GenerateWritesThePageAndSaysWhere_data() {
    QTest::addColumn<QString>("output");
    QTest::addColumn<bool>("written");
    QTest::newRow("written") << "out/map.html" << true;
    QTest::newRow("below a file") << "blocker/map.html" << false;
  }
  void GenerateWritesThePageAndSaysWhere() {
    QFETCH(QString, output);
    QFETCH(bool, written);
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir_.path());
    QFile blocker(dir_.filePath("blocker"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    Document document;
    document.New();
    FormView view(config_);
    FillPages(view, *document.project(), *document.SiteMap());
    view.Layout()->OutputFile()->setText(output);
    Prompts prompts;
    QCOMPARE(RunGenerate(view, document, false), written);
    QDir::setCurrent(previous);
    const QString page = QDir(dir_.path()).filePath(output);
    QCOMPARE(QFile::exists(page), written);
    QCOMPARE(prompts.shown.size(), 1);
    if (written) {
      QCOMPARE(prompts.shown[0], "Generate site map '" + page + "'");
    } else {
      QVERIFY2(prompts.shown[0].startsWith("The site map was not generated.\n\n"),
               qPrintable(prompts.shown[0]));
    }
    QCOMPARE(document.project()->AddedCount, written ? 1 : 0);
  }

  // Preview writes the file name into the temporary folder, registers
  // nothing, and hands the file to the desktop.
  void PreviewWritesIntoTheTemporaryFolder() {
    Document document;
    document.New();
    FormView view(config_);
    FillPages(view, *document.project(), *document.SiteMap());
    view.Layout()->OutputFile()->setText("D:\\out\\map.htm");
    QDesktopServices::setUrlHandler("file", this, "Opened");
    Prompts prompts;
    const QString preview = RunPreview(view, document, config_);
    QDesktopServices::unsetUrlHandler("file");
    QCOMPARE(preview, QString::fromUtf8(config_->TempFolder) + "map.htm");
    QVERIFY(QFile::exists(preview));
    QCOMPARE(opened_, QUrl::fromLocalFile(preview));
    QCOMPARE(document.project()->AddedCount, 0);
    QVERIFY(prompts.shown.isEmpty());
  }

 public slots:
  void Opened(const QUrl& url) { opened_ = url; }

 private:
  EngineConfig* config_ = nullptr;
  QTemporaryDir dir_;
  QUrl opened_;
};

}  // namespace bramblel

QTEST_MAIN(bramblel::PageTransferTest)
#include "page_transfer_test.moc"

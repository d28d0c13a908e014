// The pages against the site map they show: what each page shows of a
// stored site map, what it reads back, what storing keeps, and the two
// commands that build generate requests from them.
#include <QCheckBox>
#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFrame>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QUrl>
#include <cstring>

#include "app_fixture.h"
#include "pages/controls.h"
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

QByteArray Text(const char* text) { return text == nullptr ? QByteArray() : QByteArray(text); }

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

  // Every member a page shows comes back as it was stored, byte for byte;
  // the members no page shows are absent and zero.
  void CollectGivesBackWhatFillShowed() {
    const SiteMapParams stored = Distinct();
    Project* project = MakeProject(stored, 0);
    SetSiteUrl("https://www.example.com/caf\xe9/");
    FormView view(config_);
    FillPages(view, *project, *SiteMapItem(project));
    Collected got;
    CollectPages(view, got);
    const SiteMapSettings &want = stored.Settings, &s = got.settings;
    const std::pair<const char*, const char*> texts[] = {
        {s.OutputFile, want.OutputFile},
        {s.ImageFolder, want.ImageFolder},
        {s.BgColor, want.BgColor},
        {s.BackgroundImage, want.BackgroundImage},
        {s.Title, want.Title},
        {s.TextAbove, want.TextAbove},
        {s.TextBelow, want.TextBelow},
        {s.HeadTags, want.HeadTags},
        {s.ComboTitle, want.ComboTitle},
        {s.TopCrumbText, want.TopCrumbText},
        {s.CollapseText, want.CollapseText},
        {s.ExpandText, want.ExpandText},
        {s.CrumbSeparator, want.CrumbSeparator},
        {s.OtherName, want.OtherName},
        {s.FontColor, want.FontColor},
        {s.LinkColor, want.LinkColor},
        {s.VisitedColor, want.VisitedColor},
        {got.site_url, "https://www.example.com/caf\xe9/"},
    };
    for (const auto& [collected, expected] : texts) QCOMPARE(Text(collected), Text(expected));
    QCOMPARE(s.OutputType, want.OutputType);
    QCOMPARE(s.FontSize, want.FontSize);
    QCOMPARE(s.FontStyle, want.FontStyle);
    QCOMPARE(s.TopListType, want.TopListType);
    QCOMPARE(s.SubListType, want.SubListType);
    QCOMPARE(s.TableBorder, want.TableBorder);
    QCOMPARE(s.Mode, 0);
    QVERIFY(s.SchemeName == nullptr);
    QCOMPARE(got.flags, 0u);
  }

  // What no control can show is given back while the user leaves the control
  // alone; an HTML field emptied by the user gives an absent text.
  void ValuesNoControlShowsAreKept() {
    SiteMapParams params = VellumNewSiteMapParams();
    params.Settings.FontSize = 9;
    params.Settings.TableBorder = 500;
    params.Settings.Title = nullptr;
    params.Settings.TextAbove = "<p>gone</p>";
    Project* project = MakeProject(params, 0);
    FormView view(config_);
    FillPages(view, *project, *SiteMapItem(project));
    view.PageContent()->TextAbove()->clear();
    Collected kept;
    CollectPages(view, kept);
    QCOMPARE(kept.settings.FontSize, 9);
    QCOMPARE(kept.settings.TableBorder, 500);
    QVERIFY(kept.settings.Title == nullptr);
    QVERIFY(kept.settings.TextAbove == nullptr);

    view.Fonts()->Size()->setCurrentIndex(2);
    view.LevelTable()->Border()->setValue(4);
    Collected chosen;
    CollectPages(view, chosen);
    QCOMPARE(chosen.settings.FontSize, 2);
    QCOMPARE(chosen.settings.TableBorder, 4);
  }

  void EachPageOwnedBitRoundTrips_data() {
    QTest::addColumn<uint>("stored");
    QTest::addColumn<uint>("collected");
    const std::pair<const char*, uint32_t> bits[] = {
        {"relative links", VELLUM_GEN_RELATIVE_LINKS},
        {"trail", VELLUM_GEN_BREADCRUMBS},
        {"child counts", VELLUM_GEN_CHILD_COUNTS},
        {"expand and collapse links", VELLUM_GEN_EXPAND_COLLAPSE_LINKS},
        {"letter bar before", VELLUM_GEN_LETTER_BAR_BEFORE},
        {"letter bar after", VELLUM_GEN_LETTER_BAR_AFTER},
        {"font size", VELLUM_GEN_USE_FONT_SIZE},
        {"font colour", VELLUM_GEN_USE_FONT_COLOR},
        {"link colour", VELLUM_GEN_USE_LINK_COLOR},
        {"visited colour", VELLUM_GEN_USE_VISITED_COLOR},
    };
    for (const auto& [name, bit] : bits) QTest::newRow(name) << uint{bit} << uint{bit};
    QTest::newRow("bits no page owns") << uint{0x1 | VELLUM_GEN_PAGE_FOOTER} << 0u;
    QTest::newRow("all of a new project") << uint{VELLUM_NEW_SITE_MAP_FLAGS} << 0x3F88u;
  }
  void EachPageOwnedBitRoundTrips() {
    QFETCH(uint, stored);
    QFETCH(uint, collected);
    Project* project = MakeProject(VellumNewSiteMapParams(), stored);
    FormView view(config_);
    FillPages(view, *project, *SiteMapItem(project));
    Collected got;
    CollectPages(view, got);
    QCOMPARE(got.flags, collected);
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

  void SixthTabFollowsTheOutputType_data() {
    QTest::addColumn<int>("stored");
    QTest::addColumn<int>("shown");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("page");
    QTest::newRow("UL list") << 0 << 0 << "UL Type Properties"
                             << "UlTypePage";
    QTest::newRow("paged list") << 1 << 1 << "UL Type Properties"
                                << "UlTypePage";
    QTest::newRow("static tree") << 2 << 2 << "Tree Properties"
                                 << "TreePage";
    QTest::newRow("script tree") << 3 << 3 << "Tree Properties"
                                 << "TreePage";
    QTest::newRow("navigation list") << 4 << 4 << "Navigation List Properties"
                                     << "NavigationListPage";
    QTest::newRow("index page") << 5 << 5 << "Index Properties"
                                << "IndexPage";
    QTest::newRow("level table") << 6 << 6 << "Level Table Properties"
                                 << "LevelTablePage";
    QTest::newRow("XML site map") << 7 << 7 << "XML Site Map Properties"
                                  << "XmlSitemapPage";
    QTest::newRow("no layout") << 9 << 0 << "UL Type Properties"
                               << "UlTypePage";
  }
  void SixthTabFollowsTheOutputType() {
    QFETCH(int, stored);
    QFETCH(int, shown);
    QFETCH(QString, label);
    QFETCH(QString, page);
    SiteMapParams params = VellumNewSiteMapParams();
    params.Settings.OutputType = static_cast<uint8_t>(stored);
    Project* project = MakeProject(params, 0);
    FormView view(config_);
    FillPages(view, *project, *SiteMapItem(project));
    QVERIFY(view.Style()->TypeButton(shown)->isChecked());
    QCOMPARE(view.Tabs()->tabText(FormView::kSixthTab), label);
    QCOMPARE(view.SixthPage()->metaObject()->className(), "bramblel::" + page);
    Collected got;
    CollectPages(view, got);
    QCOMPARE(int{got.settings.OutputType}, stored);  // a stored type is kept as itself
  }

  void ChoosingATypeSwitchesTheSixthTabOnce() {
    FormView view(config_);
    QSignalSpy changes(view.Style(), &StylePage::OutputTypeChanged);
    view.Style()->TypeButton(VELLUM_OUTPUT_ICON_TREE)->click();
    QCOMPARE(view.Tabs()->tabText(FormView::kSixthTab), "Tree Properties");
    view.Style()->TypeButton(VELLUM_OUTPUT_ICON_TREE)->click();
    QCOMPARE(changes.count(), 1);
  }

  // Choosing the XML site map turns a default page name into the XML
  // default and back; a name the user gave stays. The gzip box and the
  // name's ".gz" follow each other.
  void OutputFileFollowsTheXmlType_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<QStringList>("steps");  // an output type, or "gzip"
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("gzip");
    QTest::newRow("default to XML") << "sitemap.html" << QStringList{"7"} << "sitemap.xml" << false;
    QTest::newRow("and back") << "sitemap.html" << QStringList{"7", "2"} << "sitemap.html" << false;
    QTest::newRow("own name kept") << "map.htm" << QStringList{"7", "0"} << "map.htm" << false;
    QTest::newRow("gzip") << "sitemap.html" << QStringList{"7", "gzip"} << "sitemap.xml.gz" << true;
    QTest::newRow("gzip and back")
        << "sitemap.html" << QStringList{"7", "gzip", "5"} << "sitemap.html" << false;
    QTest::newRow("gzip off") << "map.xml.GZ" << QStringList{"7", "gzip"} << "map.xml" << false;
    QTest::newRow("gzip shown") << "map.xml.GZ" << QStringList{} << "map.xml.GZ" << true;
  }
  void OutputFileFollowsTheXmlType() {
    QFETCH(QString, start);
    QFETCH(QStringList, steps);
    QFETCH(QString, name);
    QFETCH(bool, gzip);
    FormView view(config_);
    view.Layout()->OutputFile()->setText(start);
    for (const QString& step : steps) {
      if (step == "gzip") {
        view.XmlSitemap()->Gzip()->click();
      } else {
        view.Style()->TypeButton(step.toInt())->click();
      }
    }
    QCOMPARE(view.Layout()->OutputFile()->text(), name);
    QCOMPARE(view.XmlSitemap()->Gzip()->isChecked(), gzip);
  }

  // The output file is usually one that does not exist yet.
  void OutputFileChooserTakesANewName() {
    LayoutPage page(config_);
    const QString fresh = dir_.filePath("fresh.html");
    QObject watch;
    QFileDialog::AcceptMode mode = QFileDialog::AcceptOpen;
    WhenShown<QFileDialog>(&watch, [&mode, fresh](QFileDialog* dialog) {
      mode = dialog->acceptMode();
      dialog->selectFile(fresh);
      static_cast<QDialog*>(dialog)->accept();  // QFileDialog's own is protected
    });
    page.BrowseButton()->click();
    QCOMPARE(mode, QFileDialog::AcceptSave);
    QCOMPARE(page.OutputFile()->text(), fresh);
  }

  // The chooser opens on the colour the field names, the swatch shows it,
  // and the chosen colour comes back as its text.
  void ColorChooserStartsFromTheField_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QColor>("shown");  // invalid: the swatch shows none
    QTest::newRow("upper case") << "0A0B0C" << QColor(0x0A, 0x0B, 0x0C);
    QTest::newRow("lower case") << "ff8000" << QColor(0xFF, 0x80, 0x00);
    QTest::newRow("a # before") << "#FF0000" << QColor();
    QTest::newRow("too short") << "FFF" << QColor();
    QTest::newRow("empty") << "" << QColor();
  }
  void ColorChooserStartsFromTheField() {
    QFETCH(QString, text);
    QFETCH(QColor, shown);
    ColorField field("Choose");
    field.Edit()->setText(text);
    const QColor swatch = field.Swatch()->palette().color(QPalette::Window);
    QCOMPARE(swatch, shown.isValid() ? shown : field.palette().color(QPalette::Base));
    QObject watch;
    QColor opened;
    WhenShown<QColorDialog>(&watch, [&opened](QColorDialog* dialog) {
      opened = dialog->currentColor();
      dialog->setCurrentColor(QColor(1, 2, 3));
      dialog->accept();
    });
    field.Button()->click();
    QCOMPARE(opened, shown.isValid() ? shown : QColor(Qt::white));
    QCOMPARE(field.Edit()->text(), "010203");
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

// The Layout Wizard as a user answers it, and the scans it starts: the scan
// flags of every choice, scans that finish or are cancelled, and the links a
// scan could not read.
#include <QButtonGroup>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <QTreeWidget>
#include <functional>

#include "app_fixture.h"
#include "dialogs/broken_links_dialog.h"
#include "dialogs/progress_dialog.h"
#include "dialogs/update_report_dialog.h"
#include "pages/map_model.h"
#include "pages/map_page.h"
#include "pages/map_tree.h"
#include "shell/form_view.h"
#include "shell/page_transfer.h"
#include "shell/update_from_site.h"
#include "wizard/base_file_page.h"
#include "wizard/folder_tree.h"
#include "wizard/layout_wizard.h"
#include "wizard/mode_page.h"

namespace bramblel {

namespace {

// Opens the folder tree down to path, choosing its entry.
void ChooseFolder(FolderTree* tree, const QString& path) {
  QTreeWidgetItem* entry = tree->DrivesEntry();
  tree->expandItem(entry);
  QString reached;
  for (const QString& part : ("/" + path.mid(1)).split('/', Qt::KeepEmptyParts)) {
    const QString want = reached.isEmpty() ? "/" : part;
    reached += reached.isEmpty() ? "/" : part + "/";
    for (int i = 0; i < entry->childCount(); ++i) {
      if (entry->child(i)->text(0) == want) {
        entry = entry->child(i);
        break;
      }
    }
    tree->expandItem(entry);
  }
  tree->setCurrentItem(entry);
}

QStringList Names(const MapItemList& list) {
  QStringList names;
  for (int i = 0; i < list.Count; ++i) names.append(QString::fromUtf8(list.Items[i].Name));
  return names;
}

}  // namespace

class WizardTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
    config_ = StartTestEngine();
    const QByteArray page = "<html><head><title>%1</title></head><body>%2</body></html>";
    Write("site/index.html", QString(page).arg("Home", "<a href=\"a.html\">a</a>"));
    Write("site/a.html", QString(page).arg("Apples", "<a href=\"b.html\">b</a>"));
    Write("site/b.html", QString(page).arg("Bread", ""));
    Write("holes/index.html",
          QString(page).arg("Home", "<a href=\"a.html\">a</a> <a href=\"gone.html\">x</a>"));
    Write("holes/a.html", QString(page).arg("Apples", "<a href=\"lost.html\">y</a>"));
  }

  void init() {
    QSettings().remove("LayoutWizard");
    document_.New();
    view_ = std::make_unique<FormView>(config_);
    FillPages(*view_, *document_.project(), *document_.SiteMap());
  }

  void ScanFlagsOfEveryChoice_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("description");
    QTest::addColumn<bool>("boxes");
    QTest::addColumn<int>("otherSites");
    QTest::addColumn<uint>("flags");
    QTest::newRow("links, presets") << 0 << 0 << true << 1 << 0x7u;
    QTest::newRow("links, add and scan") << 0 << 0 << true << 0 << 0x67u;
    QTest::newRow("links, add only, META") << 0 << 1 << true << 2 << 0x37u;
    QTest::newRow("links, nothing checked") << 0 << 0 << false << -1 << 0x0u;
    QTest::newRow("folder, META") << 1 << 1 << false << 2 << 0x16u;
  }
  void ScanFlagsOfEveryChoice() {
    QFETCH(int, mode);
    QFETCH(int, description);
    QFETCH(bool, boxes);
    QFETCH(int, otherSites);
    QFETCH(uint, flags);
    WizardAnswers answers;
    answers.mode = mode;
    answers.description = description;
    answers.include_base = answers.ignore_bookmarks = answers.ignore_arguments = boxes;
    answers.other_sites = otherSites;
    QCOMPARE(ScanFlags(answers), flags);
  }

  // A folder is chosen in the tree or typed; the folder step offers the
  // last one again, and the order chosen becomes the project's.
  void FinishScansTheSite_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("typed");
    QTest::addColumn<int>("order");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("remembered");
    QTest::newRow("following links") << 0 << false << 0 << QStringList{"Home"} << "";
    QTest::newRow("listing a folder")
        << 1 << false << 1 << QStringList{"Apples", "Bread", "Home"} << "site/";
    QTest::newRow("a typed folder")
        << 1 << true << 0 << QStringList{"Apples", "Bread", "Home"} << "site/";
  }
  void FinishScansTheSite() {
    QObject watch;
    QFETCH(int, mode);
    QFETCH(bool, typed);
    QFETCH(int, order);
    QFETCH(QStringList, names);
    QFETCH(QString, remembered);
    const QString site = dir_.filePath("site");
    WhenShown<LayoutWizard>(&watch, [mode, typed, order, site](LayoutWizard* wizard) {
      wizard->Modes()->Modes()->button(mode)->click();
      wizard->Modes()->Orders()->setCurrentIndex(order);
      wizard->NextButton()->click();
      if (mode == 0) {
        wizard->BaseFile()->BaseFile()->setText(site + "/index.html");
      } else if (typed) {
        wizard->FolderPath()->setText(" " + site + " ");
      } else {
        ChooseFolder(wizard->Folders(), site);
      }
      wizard->NextButton()->click();
    });
    bool listed = false;
    WhenShown<BrokenLinksDialog>(&watch, [&listed](BrokenLinksDialog* broken) {
      listed = true;
      broken->reject();
    });
    Prompts prompts;
    const ScanOutcome outcome = Run();
    QVERIFY2(prompts.shown.isEmpty(), qPrintable(prompts.shown.join('|')));
    QCOMPARE(outcome, ScanOutcome::kScanned);
    QVERIFY(!listed);
    QCOMPARE(Names(document_.SiteMap()->Entries), names);
    QCOMPARE(view_->Map()->Model()->rowCount(), names.size());
    // One step, undone as one.
    QUndoStack* steps = view_->Map()->UndoStack();
    QCOMPARE(steps->count(), 1);
    steps->undo();
    QCOMPARE(view_->Map()->Model()->rowCount(), 0);
    steps->redo();
    QCOMPARE(Names(document_.SiteMap()->Entries), names);
    QCOMPARE(ScanSummary(document_.SiteMap()->Entries, VellumBrokenLinkCount()),
             "Scan finished: 3 pages found, no broken links.");
    QCOMPARE(VellumFilled(VellumGetSiteSettings).Order, order);

    // An update from the site is one step more, undone as one.
    Write("site/cherry.html", "<title>Cherry</title>");
    bool reported = false;
    WhenShown<UpdateReportDialog>(&watch, [&reported](UpdateReportDialog* report) {
      reported = true;
      report->reject();
    });
    RunUpdateFromSite(*view_, document_, nullptr);
    QVERIFY(reported);
    QCOMPARE(steps->count(), 2);
    QCOMPARE(Names(document_.SiteMap()->Entries).contains("Cherry"), mode == 1);
    steps->undo();
    QCOMPARE(Names(document_.SiteMap()->Entries), names);
    QVERIFY(document_.modified());
    // The kept scan is put back with the tree: to the next update a new
    // page is new again, not one the user removed.
    SiteMapParams again{};
    again.Settings.OutputFile = "";
    again.Items = &document_.SiteMap()->Entries;
    QCOMPARE(VellumUpdateFromSite(&again, VELLUM_UPDATE_DRY_RUN), 1);
    QCOMPARE(VellumUpdateChangeCount(), mode == 1 ? 1 : 0);
    QFile::remove(dir_.filePath("site/cherry.html"));
    const LayoutWizard next(config_);
    QCOMPARE(next.FolderPath()->text(), remembered.isEmpty() ? "" : dir_.filePath(remembered));
  }

  // Links to pages that are not there are listed after the scan, with the
  // page that links them, and copied as a table in the order shown; the
  // pages that are there still make the tree.
  void MissingPagesAreListedAfterTheScan() {
    QObject watch;
    const QString holes = dir_.filePath("holes");
    WhenShown<LayoutWizard>(&watch, [holes](LayoutWizard* wizard) {
      wizard->NextButton()->click();
      wizard->BaseFile()->BaseFile()->setText(holes + "/index.html");
      wizard->NextButton()->click();
    });
    QString heading;
    QStringList rows;
    QString copied;
    WhenShown<BrokenLinksDialog>(&watch, [&](BrokenLinksDialog* broken) {
      heading = broken->Heading()->text();
      for (int i = 0; i < broken->List()->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = broken->List()->topLevelItem(i);
        rows.append(QFileInfo(item->text(0)).fileName() + " < " +
                    QFileInfo(item->text(1)).fileName() + ": " + item->text(2));
      }
      broken->List()->sortByColumn(0, Qt::DescendingOrder);
      broken->CopyButton()->click();
      copied = QGuiApplication::clipboard()->text();
      QTest::keyClick(broken, Qt::Key_Escape);
    });
    Prompts prompts;
    QCOMPARE(Run(), ScanOutcome::kScanned);
    QCOMPARE(heading, "2 links could not be read.");
    // In the order the scan met them (breadth first) until a heading is clicked.
    QCOMPARE(rows,
             (QStringList{"gone.html < index.html: not found", "lost.html < a.html: not found"}));
    const QStringList lines = copied.split('\n');
    QCOMPARE(lines.size(), 4);  // a heading line, two links, and the last line break
    QCOMPARE(lines[0], "Link\tLinked from\tStatus\tReason");
    QCOMPARE(lines[1], holes + "/lost.html\t" + holes + "/a.html\t\tnot found");
    QCOMPARE(lines[2], holes + "/gone.html\t" + holes + "/index.html\t\tnot found");
    QCOMPARE(Names(document_.SiteMap()->Entries), QStringList{"Home"});
    QCOMPARE(ScanSummary(document_.SiteMap()->Entries, VellumBrokenLinkCount()),
             "Scan finished: 2 pages found, 2 broken links.");
    // The pages that link them are marked in the tree.
    const QAbstractItemModel& tree = *view_->Map()->Model();
    const QModelIndex home = tree.index(0, 0);
    QVERIFY(!home.data(Qt::DecorationRole).isNull());
    QCOMPARE(home.data(Qt::ToolTipRole).toString(),
             holes + "/index.html\nLinks to a broken link: " + holes + "/gone.html (not found)");
    QVERIFY(tree.index(0, 0, home)
                .data(Qt::ToolTipRole)
                .toString()
                .endsWith("Links to a broken link: " + holes + "/lost.html (not found)"));
  }

  void CancelLeavesTheTree_data() {
    QTest::addColumn<bool>("inWizard");
    QTest::newRow("the wizard") << true;
    QTest::newRow("the scan") << false;
  }

  // Listing a folder with none chosen would list the current folder: it is
  // refused, and the tree stays.
  void NoFolderChosenScansNothing() {
    QObject watch;
    WhenShown<LayoutWizard>(&watch, [](LayoutWizard* wizard) {
      wizard->Modes()->Modes()->button(1)->click();
      wizard->NextButton()->click();
      wizard->NextButton()->click();
    });
    Prompts prompts;
    QCOMPARE(Run(), ScanOutcome::kNotRun);
    QCOMPARE(prompts.shown, QStringList{"No folder was chosen to scan."});
  }
  void CancelLeavesTheTree() {
    QObject watch;
    QFETCH(bool, inWizard);
    const QByteArray base = QFile::encodeName(dir_.filePath("site/index.html"));
    SiteMapParams scan{};
    scan.BasePath = base.constData();
    scan.Settings.OutputFile = "";
    scan.Items = &document_.SiteMap()->Entries;
    QCOMPARE(HTMLgenSiteMap(&scan, VELLUM_SCAN_INCLUDE_BASE), 1);
    const QStringList before = Names(document_.SiteMap()->Entries);
    const QString site = dir_.filePath("site");
    WhenShown<LayoutWizard>(&watch, [inWizard, site](LayoutWizard* wizard) {
      if (inWizard) {
        QTest::keyClick(wizard, Qt::Key_Escape);
        return;
      }
      wizard->Modes()->Modes()->button(1)->click();
      wizard->NextButton()->click();
      ChooseFolder(wizard->Folders(), site);
      wizard->NextButton()->click();
    });
    CancelAt(&watch, [](const ProgressReport&) { return true; });
    QCOMPARE(Run(), inWizard ? ScanOutcome::kNotRun : ScanOutcome::kCancelled);
    QCOMPARE(Names(document_.SiteMap()->Entries), before);
  }

 private:
  ScanOutcome Run() { return RunLayoutWizard(*view_, document_, config_, nullptr); }
  void Write(const QString& name, const QString& text) {
    QDir().mkpath(QFileInfo(dir_.filePath(name)).path());
    QFile file(dir_.filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text.toUtf8());
  }

  EngineConfig* config_ = nullptr;
  QTemporaryDir dir_;
  Document document_;
  std::unique_ptr<FormView> view_;
};

}  // namespace bramblel

QTEST_MAIN(bramblel::WizardTest)
#include "wizard_test.moc"

// The Map page's commands over the engine's own tree: after every command
// and its undo and redo, the engine's lists and the model show the same
// names, order and nesting.
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolButton>

#include "app_fixture.h"
#include "core/map_item_list.h"
#include "pages/map_model.h"
#include "pages/map_page.h"
#include "pages/map_tree.h"

namespace bramblel {

namespace {

const QString kStart = "A(A1 A2) B C(C1(C11))";

// "A(A1 A2) B": names in order, children in brackets; "-" for no name.
QString Shape(const MapItemList& list) {
  QStringList parts;
  for (int i = 0; i < list.Count; ++i) {
    const MapItem& node = list.Items[i];
    QString part = node.Name == nullptr ? "-" : QString::fromUtf8(node.Name);
    if (node.Children.Count > 0) part += "(" + Shape(node.Children) + ")";
    parts.append(part);
  }
  return parts.join(' ');
}

QString Shape(const QAbstractItemModel& model, const QModelIndex& parent = {}) {
  QStringList parts;
  for (int i = 0; i < model.rowCount(parent); ++i) {
    const QModelIndex entry = model.index(i, 0, parent);
    QString part = entry.data().toString().isEmpty() ? "-" : entry.data().toString();
    if (model.rowCount(entry) > 0) part += "(" + Shape(model, entry) + ")";
    parts.append(part);
  }
  return parts.join(' ');
}

// The entry at a path of names, "C/C1"; the top level for "".
QModelIndex EntryAt(const QAbstractItemModel& model, const QString& path) {
  QModelIndex entry;
  if (path.isEmpty()) return entry;
  for (const QString& name : path.split('/')) {
    const QModelIndexList found =
        model.match(model.index(0, 0, entry), Qt::DisplayRole, name, 1, Qt::MatchExactly);
    if (found.isEmpty()) return {};
    entry = found.first();
  }
  return entry;
}

}  // namespace

class MapPageTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { StartTestEngine(); }

  void init() {
    project_ = MakeProject(VellumNewSiteMapParams(), 0);
    MapItemList& root = project_->Items[0].Entries;
    namespace core = vellum::core;
    MapItem* a = core::Append(root, "a.html", "A");
    core::Append(a->Children, "a1.html", "A1");
    core::Append(a->Children, "a2.html", "A2");
    core::Append(root, "b.html", "B");
    MapItem* c = core::Append(root, "c.html", "C");
    core::Append(core::Append(c->Children, "c1.html", "C1")->Children, "c11.html", "C11");
    page_ = std::make_unique<MapPage>();
    page_->Fill(&project_->Items[0]);
  }

  void CommandsAndTheirUndo_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QString>("shape");
    QTest::addColumn<QString>("selectedAfter");
    QTest::newRow("up on the first") << int(MapPage::kUp) << "A" << kStart << "A";
    QTest::newRow("up on a middle") << int(MapPage::kUp) << "B"
                                    << "B A(A1 A2) C(C1(C11))"
                                    << "B";
    QTest::newRow("down with children") << int(MapPage::kDown) << "A"
                                        << "B A(A1 A2) C(C1(C11))"
                                        << "A";
    QTest::newRow("down on the last") << int(MapPage::kDown) << "C" << kStart << "C";
    QTest::newRow("higher on the top level") << int(MapPage::kHigher) << "B" << kStart << "B";
    QTest::newRow("higher with children") << int(MapPage::kHigher) << "C/C1"
                                          << "A(A1 A2) B C C1(C11)"
                                          << "C1";
    QTest::newRow("lower on the first") << int(MapPage::kLower) << "A" << kStart << "A";
    QTest::newRow("lower with children") << int(MapPage::kLower) << "C"
                                         << "A(A1 A2) B(C(C1(C11)))"
                                         << "C";
    QTest::newRow("add after a last child") << int(MapPage::kAdd) << "A/A2"
                                            << "A(A1 A2 -) B C(C1(C11))"
                                            << "-";
    QTest::newRow("add with none selected") << int(MapPage::kAdd) << ""
                                            << "A(A1 A2) B C(C1(C11)) -"
                                            << "-";
    QTest::newRow("remove the first child") << int(MapPage::kRemove) << "A/A1"
                                            << "A(A2) B C(C1(C11))"
                                            << "A2";
    QTest::newRow("remove the last, with children") << int(MapPage::kRemove) << "C"
                                                    << "A(A1 A2) B"
                                                    << "B";
    QTest::newRow("remove an only child") << int(MapPage::kRemove) << "C/C1"
                                          << "A(A1 A2) B C"
                                          << "C";
  }
  void CommandsAndTheirUndo() {
    QFETCH(int, command);
    QFETCH(QString, selected);
    QFETCH(QString, shape);
    QFETCH(QString, selectedAfter);
    Prompts prompts;
    prompts.answer = Answer::kYes;  // removing an entry with others below it asks
    const MapModel& model = *page_->Model();
    const MapItemList& root = project_->Items[0].Entries;
    page_->Tree()->setCurrentIndex(EntryAt(model, selected));
    page_->CommandButton(static_cast<MapPage::Button>(command))->click();
    QCOMPARE(Shape(root), shape);
    QCOMPARE(Shape(model), shape);
    const QString chosen = page_->Tree()->currentIndex().data().toString();
    QCOMPARE(chosen.isEmpty() ? "-" : chosen, selectedAfter);
    // The fields show the entry chosen.
    QCOMPARE(page_->LinkUrl()->text(), page_->Current().data(MapModel::kUrlRole).toString());
    QCOMPARE(page_->UndoStack()->count(), shape == kStart ? 0 : 1);
    page_->UndoStack()->undo();
    QCOMPARE(Shape(root), kStart);
    QCOMPARE(Shape(model), kStart);
    page_->UndoStack()->redo();
    QCOMPARE(Shape(root), shape);
    QCOMPARE(Shape(model), shape);
  }

  // The question counts every entry that goes; No keeps them.
  void RemoveAsksAboutEveryEntryThatGoes() {
    Prompts prompts;
    prompts.answer = Answer::kNo;
    page_->Tree()->setCurrentIndex(EntryAt(*page_->Model(), "C"));
    page_->Remove();
    QCOMPARE(prompts.shown, QStringList{"Remove 'C' and every entry below it, 3 entries in all?"});
    QCOMPARE(Shape(project_->Items[0].Entries), kStart);
  }

  // A drag between two entries reorders, onto one makes a last child, onto
  // the empty view goes to the end of the top level; never into itself.
  void DropsMoveAsInAFileManager_data() {
    QTest::addColumn<QString>("dragged");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<int>("row");  // as the view gives it: -1 onto parent
    QTest::addColumn<QString>("shape");
    QTest::newRow("between siblings") << "C"
                                      << "" << 1 << "A(A1 A2) C(C1(C11)) B";
    QTest::newRow("onto an entry") << "A"
                                   << "C/C1" << -1 << "B C(C1(C11 A(A1 A2)))";
    QTest::newRow("to the top level") << "C/C1/C11"
                                      << "" << -1 << "A(A1 A2) B C(C1) C11";
    QTest::newRow("into another branch") << "A/A2"
                                         << "C" << 0 << "A(A1) B C(A2 C1(C11))";
    QTest::newRow("onto itself") << "C"
                                 << "C" << -1 << kStart;
    QTest::newRow("into its own subtree") << "C"
                                          << "C/C1" << 0 << kStart;
    QTest::newRow("where it is") << "B"
                                 << "" << 2 << kStart;
  }
  void DropsMoveAsInAFileManager() {
    QFETCH(QString, dragged);
    QFETCH(QString, parent);
    QFETCH(int, row);
    QFETCH(QString, shape);
    MapModel& model = *page_->Model();
    std::unique_ptr<QMimeData> data(model.mimeData({EntryAt(model, dragged)}));
    const QModelIndex target = EntryAt(model, parent);
    QCOMPARE(model.canDropMimeData(data.get(), Qt::MoveAction, row, 0, target), shape != kStart);
    QCOMPARE(model.dropMimeData(data.get(), Qt::MoveAction, row, 0, target), shape != kStart);
    QCOMPARE(Shape(project_->Items[0].Entries), shape);
    QCOMPARE(Shape(model), shape);
    if (shape == kStart) return;
    QCOMPARE(page_->Current().data().toString(), dragged.section('/', -1));
    page_->UndoStack()->undo();
    QCOMPARE(Shape(model), kStart);
    QCOMPARE(Shape(project_->Items[0].Entries), kStart);
  }

  // A scan's tree replaces the shown one in one step; the fields of the
  // entry shown before are no longer written back.
  void AScanIsOneStep() {
    MapModel& model = *page_->Model();
    page_->Tree()->setCurrentIndex(EntryAt(model, "A"));
    page_->LinkName()->setPlainText("Typed");
    MapItemList scanned{0, nullptr};
    vellum::core::Append(scanned, "x.html", "X");
    page_->ApplyScan(scanned, VellumKeptScanCopy());
    QCOMPARE(scanned.Count, 0);
    QCOMPARE(Shape(project_->Items[0].Entries), "X");
    page_->Commit();
    QCOMPARE(Shape(model), "X");
    page_->UndoStack()->undo();
    QCOMPARE(Shape(project_->Items[0].Entries), "Typed(A1 A2) B C(C1(C11))");
  }

 private:
  Project* project_ = nullptr;
  std::unique_ptr<MapPage> page_;
};

}  // namespace bramblel

QTEST_MAIN(bramblel::MapPageTest)
#include "map_page_test.moc"

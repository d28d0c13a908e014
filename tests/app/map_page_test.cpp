// The Map page's commands against the site map's own lists: after every
// command the tree control and the lists have the same names, order and
// nesting, and a change marks the project modified.
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolButton>

#include "app_fixture.h"
#include "core/map_item_list.h"
#include "pages/map_page.h"
#include "pages/map_tree.h"

namespace bramblel {

namespace {

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

QString Shape(const QTreeWidgetItem* parent) {
  QStringList parts;
  for (int i = 0; i < parent->childCount(); ++i) {
    const QTreeWidgetItem* entry = parent->child(i);
    QString part = entry->text(0).isEmpty() ? "-" : entry->text(0);
    if (entry->childCount() > 0) part += "(" + Shape(entry) + ")";
    parts.append(part);
  }
  return parts.join(' ');
}

// The entry at a path of names, "C/C1".
QTreeWidgetItem* EntryAt(QTreeWidget* tree, const QString& path) {
  QTreeWidgetItem* entry = tree->invisibleRootItem();
  for (const QString& name : path.split('/')) {
    QTreeWidgetItem* found = nullptr;
    for (int i = 0; i < entry->childCount() && found == nullptr; ++i) {
      if (entry->child(i)->text(0) == name) found = entry->child(i);
    }
    if (found == nullptr) return nullptr;
    entry = found;
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
    project_->Modified = 0;
    page_ = std::make_unique<MapPage>();
    page_->Fill(project_, &project_->Items[0]);
  }

  void CommandsKeepTreeAndListsInStep_data() {
    QTest::addColumn<int>("command");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<QString>("shape");
    QTest::addColumn<QString>("selectedAfter");
    const QString same = "A(A1 A2) B C(C1(C11))";
    QTest::newRow("up on the first") << int(MapPage::kUp) << "A" << same << "A";
    QTest::newRow("up on a middle") << int(MapPage::kUp) << "B"
                                    << "B A(A1 A2) C(C1(C11))"
                                    << "B";
    QTest::newRow("down with children") << int(MapPage::kDown) << "A"
                                        << "B A(A1 A2) C(C1(C11))"
                                        << "A";
    QTest::newRow("down on the last") << int(MapPage::kDown) << "C" << same << "C";
    QTest::newRow("higher on the top level") << int(MapPage::kHigher) << "B" << same << "B";
    QTest::newRow("higher on a first child") << int(MapPage::kHigher) << "A/A1"
                                             << "A(A2) A1 B C(C1(C11))"
                                             << "A1";
    QTest::newRow("higher with children") << int(MapPage::kHigher) << "C/C1"
                                          << "A(A1 A2) B C C1(C11)"
                                          << "C1";
    QTest::newRow("lower on the first") << int(MapPage::kLower) << "A" << same << "A";
    QTest::newRow("lower with children") << int(MapPage::kLower) << "C"
                                         << "A(A1 A2) B(C(C1(C11)))"
                                         << "C";
    QTest::newRow("lower on a last child") << int(MapPage::kLower) << "A/A2"
                                           << "A(A1(A2)) B C(C1(C11))"
                                           << "A2";
    QTest::newRow("add after a middle") << int(MapPage::kAdd) << "B"
                                        << "A(A1 A2) B - C(C1(C11))"
                                        << "B";
    QTest::newRow("add after a last child") << int(MapPage::kAdd) << "A/A2"
                                            << "A(A1 A2 -) B C(C1(C11))"
                                            << "A2";
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
  void CommandsKeepTreeAndListsInStep() {
    QFETCH(int, command);
    QFETCH(QString, selected);
    QFETCH(QString, shape);
    QFETCH(QString, selectedAfter);
    Prompts prompts;
    prompts.answer = Answer::kYes;  // removing a node with children asks
    page_->Tree()->setCurrentItem(EntryAt(page_->Tree(), selected));
    page_->CommandButton(static_cast<MapPage::Button>(command))->click();
    QCOMPARE(Shape(project_->Items[0].Entries), shape);
    QCOMPARE(Shape(page_->Tree()->invisibleRootItem()), shape);
    QCOMPARE(page_->Tree()->currentItem()->text(0), selectedAfter);
    QCOMPARE(project_->Modified, shape == "A(A1 A2) B C(C1(C11))" ? 0 : 1);
    // The fields show the node of the chosen entry.
    QCOMPARE(page_->LinkUrl()->text(),
             QString::fromUtf8(page_->NodeOf(page_->Tree()->currentItem())->URL));
  }

  void LowerThenHigherPutsTheNodeBackWithItsChildren() {
    page_->Tree()->setCurrentItem(EntryAt(page_->Tree(), "C"));
    page_->MoveLower();
    page_->MoveHigher();
    QCOMPARE(Shape(project_->Items[0].Entries), "A(A1 A2) B C(C1(C11))");
    QCOMPARE(Shape(page_->Tree()->invisibleRootItem()), "A(A1 A2) B C(C1(C11))");
  }

  void KeysAndDragsRunTheSameCommands() {
    QTreeWidget* tree = page_->Tree();
    page_->show();
    QVERIFY(QTest::qWaitForWindowActive(page_.get()));
    tree->setFocus();
    tree->setCurrentItem(EntryAt(tree, "B"));
    QTest::keyClick(tree, Qt::Key_Up, Qt::ControlModifier);
    QTest::keyClick(tree, Qt::Key_Right, Qt::ControlModifier);  // no sibling before: nothing
    QTest::keyClick(tree, Qt::Key_Insert);
    QCOMPARE(Shape(project_->Items[0].Entries), "B - A(A1 A2) C(C1(C11))");
    page_->MoveInto(EntryAt(tree, "C"), EntryAt(tree, "A"));
    page_->MoveInto(EntryAt(tree, "A"), EntryAt(tree, "A/C/C1"));  // into itself: nothing
    QCOMPARE(Shape(project_->Items[0].Entries), "B - A(A1 A2 C(C1(C11)))");
    QCOMPARE(Shape(tree->invisibleRootItem()), Shape(project_->Items[0].Entries));
    tree->setCurrentItem(EntryAt(tree, "B"));
    QTest::keyClick(tree, Qt::Key_Delete);
    QCOMPARE(Shape(project_->Items[0].Entries), "- A(A1 A2 C(C1(C11)))");
  }

  // A name typed in the fields lands in the node when another is chosen; an
  // emptied URL is stored as none.
  void EditsLandWhenAnotherNodeIsChosen() {
    page_->Tree()->setCurrentItem(EntryAt(page_->Tree(), "B"));
    page_->LinkName()->setPlainText("Bakery");
    page_->LinkUrl()->clear();
    page_->Tree()->setCurrentItem(EntryAt(page_->Tree(), "A"));
    const MapItem& b = project_->Items[0].Entries.Items[1];
    QCOMPARE(QByteArray(b.Name), "Bakery");
    QVERIFY(b.URL == nullptr);
    QVERIFY(EntryAt(page_->Tree(), "Bakery") != nullptr);
    QCOMPARE(project_->Modified, 1);
  }

  // Into an empty tree and out again: nothing selected adds at the end and
  // removes nothing; removing the last node leaves empty fields.
  void AddAndRemoveWithoutSelection() {
    page_->Tree()->setCurrentItem(nullptr);
    page_->Remove();
    QCOMPARE(Shape(project_->Items[0].Entries), "A(A1 A2) B C(C1(C11))");
    MapItemList& root = project_->Items[0].Entries;
    vellum::core::Clear(root);
    page_->Fill(project_, &project_->Items[0]);
    page_->Add();
    QCOMPARE(Shape(root), "-");
    QCOMPARE(page_->Tree()->currentItem(), page_->Tree()->topLevelItem(0));
    page_->LinkName()->setPlainText("Home");
    page_->LinkUrl()->setText("index.html");
    page_->Commit();
    QCOMPARE(Shape(root), "Home");
    page_->Remove();
    QCOMPARE(root.Count, 0);
    QVERIFY(page_->LinkName()->toPlainText().isEmpty() && page_->LinkUrl()->text().isEmpty());
  }

  // A new tree (a scan) shown again: what the fields held for the old tree
  // is written nowhere.
  void FillingAgainStopsWriteBack() {
    page_->Tree()->setCurrentItem(EntryAt(page_->Tree(), "A"));
    page_->LinkName()->setPlainText("Typed");
    MapItemList& root = project_->Items[0].Entries;
    vellum::core::Clear(root);
    vellum::core::Append(root, "x.html", "X");
    page_->Fill(project_, &project_->Items[0]);
    page_->Commit();
    page_->Tree()->setCurrentItem(page_->Tree()->topLevelItem(0));
    QCOMPARE(Shape(root), "X");
  }

 private:
  Project* project_ = nullptr;
  std::unique_ptr<MapPage> page_;
};

}  // namespace bramblel

QTEST_MAIN(bramblel::MapPageTest)
#include "map_page_test.moc"

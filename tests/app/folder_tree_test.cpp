// The wizard's folder tree over scratch folders: what an expansion lists and
// in which order, the paths of its entries, and folders that cannot be
// listed.
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include "wizard/folder_tree.h"

namespace bramblel {

namespace {

// Makes each of entries under root: "name/" a folder, "name*" a program
// (every execute bit), anything else a plain file; the folders on the way
// are made too.
void Make(const QString& root, const QStringList& entries) {
  for (const QString& entry : entries) {
    const bool program = entry.endsWith(u'*');
    const QString path = root + u'/' + (program ? entry.chopped(1) : entry);
    QVERIFY(QDir().mkpath(entry.endsWith(u'/') ? path : QFileInfo(path).path()));
    if (entry.endsWith(u'/')) continue;
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    if (program) {
      QVERIFY(file.setPermissions(file.permissions() | QFileDevice::ExeOwner |
                                  QFileDevice::ExeGroup | QFileDevice::ExeOther));
    }
  }
}

QStringList Texts(const QTreeWidgetItem* entry) {
  QStringList texts;
  for (int i = 0; i < entry->childCount(); ++i) texts.append(entry->child(i)->text(0));
  return texts;
}

// The entry at the end of route, a top entry's text and then sub-entries'
// texts. An entry is expanded only when the next text is not among its
// sub-entries yet, so that a route can end at a placeholder still there.
QTreeWidgetItem* Find(const FolderTree& tree, const QStringList& route) {
  const auto child = [](QTreeWidgetItem* entry, const QString& text) -> QTreeWidgetItem* {
    const qsizetype i = Texts(entry).indexOf(text);
    return i < 0 ? nullptr : entry->child(int(i));
  };
  QTreeWidgetItem* entry = tree.invisibleRootItem();
  for (const QString& text : route) {
    if (entry == nullptr) return nullptr;
    if (child(entry, text) == nullptr) entry->setExpanded(true);
    entry = child(entry, text);
  }
  return entry;
}

}  // namespace

class FolderTreeTest : public QObject {
  Q_OBJECT

 private slots:
  void init() {
    scratch_ = std::make_unique<QTemporaryDir>();
    QVERIFY(scratch_->isValid());
    Make(scratch_->path(), {"b/c/p*", "a/", "x*", "y", ".h/"});
    name_ = QFileInfo(scratch_->path()).fileName();
    tree_ =
        std::make_unique<FolderTree>(scratch_->path(), QStringList{scratch_->path(), "/mnt/data"});
    tree_->Init(true);
  }

  void cleanup() {
    tree_.reset();
    scratch_.reset();
  }

  void ExpansionLists_data() {
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("listed");
    QTest::newRow("folders, then programs")
        << QStringList{"b/", "a/", "x*", "y", ".h/"} << QStringList{"a", "b", "x"};
    QTest::newRow("a folder after z is still before programs")
        << QStringList{"zz/", "aa*"} << QStringList{"zz", "aa"};
    QTest::newRow("byte order, not the locale's")
        << QStringList{"b/", "\U0001f600/", "a/", "B/", "\uff21/", "\u00e9/", "Z/", "q*", "Q*"}
        << QStringList{"B", "Z", "a", "b", "\u00e9", "\uff21", "\U0001f600", "Q", "q"};
    QTest::newRow("dot-names left out")
        << QStringList{".h/", "v/", ".run*", "w*", ".y"} << QStringList{"v", "w"};
    QTest::newRow("empty: one placeholder") << QStringList{} << QStringList{""};
    QTest::newRow("only hidden and plain: one placeholder")
        << QStringList{".git/", ".profile*", "notes.txt"} << QStringList{""};
  }

  void ExpansionLists() {
    QFETCH(QStringList, entries);
    QFETCH(QStringList, listed);
    QTemporaryDir dir;
    Make(dir.path(), entries);
    FolderTree tree(dir.path(), {});
    tree.Init(true);

    tree.DesktopEntry()->setExpanded(true);
    QCOMPARE(Texts(tree.DesktopEntry()), listed);
    QVERIFY(tree.DesktopEntry()->isExpanded());
    for (int i = 0; i < tree.DesktopEntry()->childCount(); ++i) {
      const QTreeWidgetItem* entry = tree.DesktopEntry()->child(i);
      // A folder waits with its placeholder; a program has no sub-entries.
      const bool folder = entries.contains(entry->text(0) + u'/');
      QCOMPARE(Texts(entry), folder ? QStringList{""} : QStringList{});
      QCOMPARE(FolderTree::IsPlaceholder(entry), entry->text(0).isEmpty());
    }
  }

  void PathOf_data() {
    QTest::addColumn<QStringList>("route");
    QTest::addColumn<bool>("listed");
    QTest::addColumn<QString>("path");
    // The scratch folder %D (named %N) is the desktop and a drive. Listed:
    // the parent is expanded first, so that a placeholder is one a listing
    // left.
    QTest::newRow("Drives") << QStringList{"Drives"} << false << "";
    QTest::newRow("a drive") << QStringList{"Drives", "/mnt/data"} << false << "/mnt/data/";
    QTest::newRow("desktop") << QStringList{"%N"} << false << "%D/";
    QTest::newRow("desktop's placeholder") << QStringList{"%N", ""} << false << "%D/";
    QTest::newRow("folder") << QStringList{"%N", "a"} << false << "%D/a/";
    QTest::newRow("program") << QStringList{"%N", "x"} << false << "%D/x";
    QTest::newRow("placeholder of an empty folder")
        << QStringList{"%N", "a", ""} << true << "%D/a/";
    QTest::newRow("a program two folders down")
        << QStringList{"%N", "b", "c", "p"} << false << "%D/b/c/p";
  }

  void PathOf() {
    QFETCH(QStringList, route);
    QFETCH(bool, listed);
    QFETCH(QString, path);
    route.replaceInStrings("%D", scratch_->path()).replaceInStrings("%N", name_);
    path.replace("%D", scratch_->path());
    if (listed) Find(*tree_, route.mid(0, route.size() - 1))->setExpanded(true);

    const QTreeWidgetItem* entry = Find(*tree_, route);
    QVERIFY(entry != nullptr);
    QCOMPARE(tree_->PathOf(entry), path);
    // The tip shows the same path; a placeholder shows none.
    QCOMPARE(entry->toolTip(0), FolderTree::IsPlaceholder(entry) ? QString() : path);
  }

  void UnlistableFolderKeepsOnePlaceholder_data() {
    QTest::addColumn<bool>("deny");
    QTest::newRow("permission denied") << true;
    QTest::newRow("removed after it was listed") << false;
  }

  void UnlistableFolderKeepsOnePlaceholder() {
    QFETCH(bool, deny);
    if (deny && geteuid() == 0) QSKIP("root reads every folder whatever its permissions");
    Make(scratch_->path(), {"gone/inside/"});
    QTreeWidgetItem* entry = Find(*tree_, {name_, "gone"});
    QVERIFY(entry != nullptr);
    QFile folder(scratch_->filePath("gone"));
    const QFileDevice::Permissions permissions = folder.permissions();
    QVERIFY(deny ? folder.setPermissions({}) : QDir(folder.fileName()).removeRecursively());
    entry->setExpanded(true);
    if (deny) folder.setPermissions(permissions);
    QCOMPARE(Texts(entry), QStringList{""});
    QVERIFY(FolderTree::IsPlaceholder(entry->child(0)));
  }

 private:
  std::unique_ptr<QTemporaryDir> scratch_;
  QString name_;  // the scratch folder's name, the desktop entry's text
  std::unique_ptr<FolderTree> tree_;
};

}  // namespace bramblel

QTEST_MAIN(bramblel::FolderTreeTest)
#include "folder_tree_test.moc"

#include "wizard/folder_tree.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStorageInfo>
#include <algorithm>

namespace bramblel {

namespace {

// Where each entry keeps what it stands for, as an int of FolderTree::Kind.
constexpr int kKindRole = Qt::UserRole;

// A file with any execute bit is a program; whether this user may run it
// does not matter for a folder picker, and root could run them all anyway.
constexpr QFileDevice::Permissions kAnyExecute =
    QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther;

QString WithSlash(const QString& path) { return path.endsWith(u'/') ? path : path + u'/'; }

// Byte order of the names as the file system stores them: the same listing
// whatever the user's locale.
bool NameBefore(const QString& a, const QString& b) {
  return QFile::encodeName(a) < QFile::encodeName(b);
}

void SortByName(QFileInfoList& infos) {
  std::sort(infos.begin(), infos.end(), [](const QFileInfo& a, const QFileInfo& b) {
    return NameBefore(a.fileName(), b.fileName());
  });
}

}  // namespace

FolderTree::FolderTree(QWidget* parent) : QTreeWidget(parent) {
  setColumnCount(1);
  setHeaderHidden(true);
  setRootIsDecorated(true);
  // The signals rather than the mouse, so that the keyboard's Right, Left,
  // + and - list and forget folders as a click on the button does.
  connect(this, &QTreeWidget::itemExpanded, this, &FolderTree::OnExpanded);
  connect(this, &QTreeWidget::itemCollapsed, this, &FolderTree::OnCollapsed);
}

FolderTree::FolderTree(const QString& desktop, const QStringList& drives, QWidget* parent)
    : FolderTree(parent) {
  given_roots_ = true;
  given_desktop_ = desktop;
  given_drives_ = drives;
}

void FolderTree::Init(bool clear) {
  if (clear) this->clear();
  desktop_ = QDir::cleanPath(given_roots_ ? given_desktop_ : SystemDesktop());
  drives_entry_ = AddEntry(nullptr, Kind::kDrives, QStringLiteral("Drives"),
                           icons_.icon(QFileIconProvider::Computer));
  // The root folder has no file name; it is shown by its path.
  const QString name = QFileInfo(desktop_).fileName();
  desktop_entry_ = AddEntry(nullptr, Kind::kDesktop, name.isEmpty() ? desktop_ : name,
                            icons_.icon(QFileIconProvider::Desktop));
}

QString FolderTree::PathOf(const QTreeWidgetItem* entry) const {
  if (entry == nullptr) return QString();
  switch (KindOf(entry)) {
    case Kind::kDrives:
      return QString();
    case Kind::kDrive:
      return WithSlash(entry->text(0));
    case Kind::kDesktop:
      return WithSlash(desktop_);
    case Kind::kPlaceholder:
      return PathOf(entry->parent());
    case Kind::kFolder:
    case Kind::kFile:
      break;
  }
  // Only an entry without sub-entries is taken for a file: a folder always
  // has at least its placeholder.
  QString path = PathOf(entry->parent()) + entry->text(0) + u'/';
  if (entry->childCount() == 0) path.chop(1);
  return path;
}

bool FolderTree::IsPlaceholder(const QTreeWidgetItem* entry) {
  return entry != nullptr && KindOf(entry) == Kind::kPlaceholder;
}

QString FolderTree::SystemDesktop() {
  const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
  if (!desktop.isEmpty() && QFileInfo(desktop).isDir()) return QDir::cleanPath(desktop);
  return QDir::cleanPath(QDir::homePath());
}

QStringList FolderTree::SystemDrives() {
  QStringList roots;
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    if (volume.isValid() && volume.isReady()) roots.append(volume.rootPath());
  }
  return OrderDrives(roots);
}

QStringList FolderTree::OrderDrives(const QStringList& roots) {
  QStringList ordered;
  for (const QString& root : roots) {
    if (!root.isEmpty()) ordered.append(QDir::cleanPath(root));
  }
  // "/" is the start of every other root, so that sorting puts it first.
  std::sort(ordered.begin(), ordered.end(), NameBefore);
  ordered.removeDuplicates();
  return ordered;
}

FolderTree::Kind FolderTree::KindOf(const QTreeWidgetItem* entry) {
  return static_cast<Kind>(entry->data(0, kKindRole).toInt());
}

QTreeWidgetItem* FolderTree::AddEntry(QTreeWidgetItem* parent, Kind kind, const QString& text,
                                      const QIcon& icon) {
  auto* entry = new QTreeWidgetItem(QStringList(text));
  entry->setData(0, kKindRole, static_cast<int>(kind));
  entry->setIcon(0, icon);
  if (parent == nullptr) {
    addTopLevelItem(entry);
  } else {
    parent->addChild(entry);
  }
  // The placeholder gives the entry its expand button until it is listed.
  if (kind != Kind::kFile) AddPlaceholder(entry);
  // Set after the placeholder: a folder's path ends with "/", a file's not.
  entry->setToolTip(0, PathOf(entry));
  return entry;
}

void FolderTree::AddPlaceholder(QTreeWidgetItem* entry) {
  auto* placeholder = new QTreeWidgetItem(QStringList(QString()));
  placeholder->setData(0, kKindRole, static_cast<int>(Kind::kPlaceholder));
  entry->addChild(placeholder);
}

void FolderTree::DeleteSubEntries(QTreeWidgetItem* entry) { qDeleteAll(entry->takeChildren()); }

void FolderTree::ListDrives(QTreeWidgetItem* entry) {
  const QStringList roots = given_roots_ ? OrderDrives(given_drives_) : SystemDrives();
  const QIcon icon = icons_.icon(QFileIconProvider::Drive);
  for (const QString& root : roots) AddEntry(entry, Kind::kDrive, root, icon);
}

void FolderTree::ListFolder(QTreeWidgetItem* entry) {
  // Dot-names are left out, as Linux file choosers leave them out: they
  // hold settings and caches, not the folders a site is kept in.
  const QDir folder(PathOf(entry));
  QFileInfoList folders = folder.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Unsorted);
  QFileInfoList programs;
  for (const QFileInfo& info : folder.entryInfoList(QDir::Files, QDir::Unsorted)) {
    if (info.permissions() & kAnyExecute) programs.append(info);
  }
  SortByName(folders);
  SortByName(programs);
  for (const QFileInfo& info : folders) {
    AddEntry(entry, Kind::kFolder, info.fileName(), icons_.icon(info));
  }
  for (const QFileInfo& info : programs) {
    AddEntry(entry, Kind::kFile, info.fileName(), icons_.icon(info));
  }
}

void FolderTree::OnExpanded(QTreeWidgetItem* entry) {
  const Kind kind = KindOf(entry);
  if (kind == Kind::kPlaceholder || kind == Kind::kFile) return;
  DeleteSubEntries(entry);
  if (kind == Kind::kDrives) {
    ListDrives(entry);
  } else {
    ListFolder(entry);
  }
  // An empty folder, or one this user may not list, keeps a blank entry:
  // the expand button stays, and the next expansion looks again.
  if (entry->childCount() == 0) AddPlaceholder(entry);
}

void FolderTree::OnCollapsed(QTreeWidgetItem* entry) {
  DeleteSubEntries(entry);
  AddPlaceholder(entry);
}

}  // namespace bramblel

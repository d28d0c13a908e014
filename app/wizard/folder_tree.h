// The Layout Wizard's folder tree: the mounted file systems under "Drives"
// and the user's desktop folder, each folder listed only when it is
// expanded and forgotten again when it is collapsed, so that what the tree
// shows is never older than the last expansion.
#ifndef BRAMBLEL_WIZARD_FOLDER_TREE_H
#define BRAMBLEL_WIZARD_FOLDER_TREE_H

#include <QFileIconProvider>
#include <QStringList>
#include <QTreeWidget>

namespace bramblel {

class FolderTree : public QTreeWidget {
  Q_OBJECT
 public:
  // A tree over the system's desktop folder and mounted file systems, read
  // anew by every Init and every expansion of "Drives". It stays empty
  // until Init.
  explicit FolderTree(QWidget* parent = nullptr);
  // The same tree with desktop as the desktop folder and drives as the file
  // system roots, so that it can be shown over folders the caller chose.
  FolderTree(const QString& desktop, const QStringList& drives, QWidget* parent = nullptr);

  // Puts in the two top entries, "Drives" and the desktop folder, each
  // with a placeholder; clear first deletes every entry.
  void Init(bool clear);

  // The full path of entry: "" for "Drives", a folder's path with a
  // trailing "/", a file's path without one; a placeholder has the path of
  // its parent.
  QString PathOf(const QTreeWidgetItem* entry) const;
  // Whether entry is a blank sub-entry that only stands for contents not
  // listed (yet), or for a folder that has none to show.
  static bool IsPlaceholder(const QTreeWidgetItem* entry);

  // The top entries of the last Init (null before it).
  QTreeWidgetItem* DrivesEntry() const { return drives_entry_; }
  QTreeWidgetItem* DesktopEntry() const { return desktop_entry_; }
  // The desktop folder of the last Init, without a trailing "/".
  const QString& DesktopPath() const { return desktop_; }

  // The user's desktop folder when it exists, else the home folder.
  static QString SystemDesktop();
  // The roots of the mounted file systems that can be read, in the order
  // the tree lists them.
  static QStringList SystemDrives();
  // Each root once, without a trailing "/": "/" first, then the others
  // sorted by path.
  static QStringList OrderDrives(const QStringList& roots);

 private:
  enum class Kind { kPlaceholder, kDrives, kDrive, kDesktop, kFolder, kFile };

  static Kind KindOf(const QTreeWidgetItem* entry);
  QTreeWidgetItem* AddEntry(QTreeWidgetItem* parent, Kind kind, const QString& text,
                            const QIcon& icon);
  static void AddPlaceholder(QTreeWidgetItem* entry);
  static void DeleteSubEntries(QTreeWidgetItem* entry);
  void ListDrives(QTreeWidgetItem* entry);
  void ListFolder(QTreeWidgetItem* entry);
  void OnExpanded(QTreeWidgetItem* entry);
  void OnCollapsed(QTreeWidgetItem* entry);

  // Set when the roots were given, so that the system is not asked.
  bool given_roots_ = false;
  QString given_desktop_;
  QStringList given_drives_;

  QString desktop_;
  QTreeWidgetItem* drives_entry_ = nullptr;
  QTreeWidgetItem* desktop_entry_ = nullptr;
  QFileIconProvider icons_;
};

}  // namespace bramblel

#endif  // BRAMBLEL_WIZARD_FOLDER_TREE_H

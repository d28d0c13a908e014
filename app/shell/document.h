// The document: the engine's one project as the window program opens, makes
// and saves it. The project's data lives in the engine; the document keeps
// its file path, the undo history of the tree, and whether the user has
// unsaved work.
#ifndef BRAMBLEL_SHELL_DOCUMENT_H
#define BRAMBLEL_SHELL_DOCUMENT_H

#include <QObject>
#include <QString>
#include <QStringList>
#include <QUndoStack>

#include "vellum/vellum.h"

namespace bramblel {

// The path a project is saved under: path itself when it ends in ".bpj" in
// any case, else path with ".bpj" appended.
QString ProjectSavePath(const QString& path);

// The project's site map: its first item when that is one, else null.
ScriptItem* SiteMapItem(Project* project);

// Makes the project start with a site map: a first item of another kind
// means the project is not one this program edits, and its items are
// removed for a new site map with the default settings. Returns the site
// map, or null when the engine could not add it.
ScriptItem* EnsureSiteMapItem(Project* project);

class Document : public QObject {
  Q_OBJECT
 public:
  explicit Document(QObject* parent = nullptr);

  // The untitled project's name.
  static QString UntitledName();

  // A new project, with the default site map; a new project counts as
  // modified, so closing it asks whether to save.
  void New();
  // Opens the project file at path, making its folder the current folder so
  // that relative paths in the project resolve beside it. What the engine
  // could not read is kept in faults(); the project then holds what it
  // could, plus a site map.
  void Open(const QString& path);
  // Saves the project under ProjectSavePath(path). Returns false when the
  // engine could not write it whole; failure() then says why.
  bool Save(const QString& path);

  // The engine's messages about the file the last Open could not read.
  const QStringList& faults() const { return faults_; }
  // Whether saving under path would write over a file that exists and was
  // not read whole: what the project did not read from it would be lost.
  bool WouldReplaceUnread(const QString& path) const;
  // Why the last Save failed: the engine's words, and the system's reason.
  const QString& failure() const { return failure_; }

  Project* project() const { return project_; }
  ScriptItem* SiteMap() const { return SiteMapItem(project_); }
  // The file the project was opened from or saved to; empty when untitled.
  const QString& path() const { return path_; }
  // The name windows and prompts show: the file's path, or "Untitled".
  QString DisplayName() const;

  // The edits of the tree, undoable; New, Open and Save start it anew.
  QUndoStack* UndoStack() { return &undo_; }
  // The one answer to whether the project has unsaved work: a tree edit
  // since the last save (the undo stack away from its clean state), or any
  // change outside the undo stack (a setting, the files that generate and
  // upload record, a new project).
  bool modified() const { return changed_ || !undo_.isClean(); }
  // Takes the engine's word on whether its calls changed the project since
  // it was opened or saved: settings stored, files registered, targets.
  void TakeEngineChanges();

 signals:
  void ModifiedChanged(bool modified);

 private:
  void Reset(Project* project);
  void SetChanged(bool changed);
  void Announce();

  Project* project_ = nullptr;
  QString path_;
  QUndoStack undo_;
  bool changed_ = false;
  bool announced_ = false;  // the modified state last announced
  QStringList faults_;
  bool unread_ = false;  // the file at path_ holds more than was read
  QString failure_;
};

}  // namespace bramblel

#endif  // BRAMBLEL_SHELL_DOCUMENT_H

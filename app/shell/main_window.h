// The main window: menus, toolbar and status bar around the form view, and
// the project's life cycle (new, open, save, the save prompt on close).
#ifndef BRAMBLEL_SHELL_MAIN_WINDOW_H
#define BRAMBLEL_SHELL_MAIN_WINDOW_H

#include <QMainWindow>
#include <QString>
#include <QVector>

#include "shell/document.h"
#include "shell/recent_files.h"
#include "vellum/vellum.h"

class QAction;
class QMenu;
class QTimer;

namespace bramblel {

class FormView;

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  // program_path: the running program's file (help is found beside it).
  MainWindow(EngineConfig* config, const QString& program_path, QWidget* parent = nullptr);
  ~MainWindow() override;

  // The two ways a session starts: a new project, or the project file given.
  void NewProject();
  void OpenProject(const QString& path);
  // Saves under path (".bpj" appended where needed). Over a file that was
  // not read whole it asks first; a failure is told with its reason and
  // offers Save As. Returns false when the project was not written.
  bool SaveProject(const QString& path);
  // Save As to the name the user chose: the file that the appended ".bpj"
  // names is replaced only when the user agrees.
  bool SaveProjectAs(const QString& chosen);
  // The close prompt: stores the pages and, when the project has unsaved
  // changes, asks whether to save them. Returns false when the user cancels.
  bool MaybeSave();

  Document& document() { return document_; }
  FormView* View() const { return view_; }
  const RecentFiles& Recent() const { return recent_; }
  // The action named by its command, for instance "FileSave" (see the
  // objectName of each action).
  QAction* Action(const QString& name) const;

  // Puts the window where it was when it last closed, on the tab it showed.
  void RestoreSettings();

  // The status bar's one message: the last line of the command that ran,
  // or "Ready" when none holds.
  QString StatusText() const;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;
  // A project file dropped onto the window is opened.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void CreateActions();
  void CreateMenus();
  void CreateToolBar();
  void CreateStatusBar();
  void UpdateRecentMenu();
  void ShowTitle();
  void ShowDocument();
  void ShowStatus(const QString& text);
  void ClearStatus() { ShowStatus(QString()); }
  void EditFocused(const char* slot);
  void OnUndo(bool redo);
  void WatchSettingsEdits();
  void StoreSettingsEdits();

  void OnNew();
  void OnOpen();
  bool OnSave();
  bool OnSaveAs();
  void OnOpenRecent(const QString& path);
  void OnGenerate(bool upload);
  void OnPreview();
  void OnLayoutWizard();
  void OnAbout();

  EngineConfig* config_;
  QString program_path_;
  Document document_;
  RecentFiles recent_;
  FormView* view_;
  QMenu* file_menu_ = nullptr;
  QAction* recent_anchor_ = nullptr;
  QVector<QAction*> recent_actions_;
  QString status_;  // empty: "Ready"
  QTimer* settings_edited_;
};

}  // namespace bramblel

#endif  // BRAMBLEL_SHELL_MAIN_WINDOW_H

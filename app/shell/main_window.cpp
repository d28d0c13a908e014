#include "shell/main_window.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSettings>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

#include "dialogs/about_dialog.h"
#include "dialogs/config_dialog.h"
#include "dialogs/help_window.h"
#include "pages/form_page.h"
#include "pages/map_page.h"
#include "pages/map_tree.h"
#include "pages/style_page.h"
#include "shell/engine_link.h"
#include "shell/form_view.h"
#include "shell/page_transfer.h"
#include "shell/prompts.h"
#include "shell/update_from_site.h"

namespace bramblel {

namespace {

// One command of the menus: its name, text, the prompt the status bar shows
// while it is highlighted, its tooltip and its keys.
struct Command {
  const char* name;
  const char* text;
  const char* prompt;
  const char* tip;
  QList<QKeySequence> keys;
};

const Command kCommands[] = {
    {"FileNew", "&New Project", "Create a new project", "New  project", {QKeySequence("Ctrl+N")}},
    {"FileOpen",
     "&Open Project...",
     "Open an existing  project",
     "Open  project",
     {QKeySequence("Ctrl+O")}},
    {"FileSave",
     "&Save Project",
     "Save the active project",
     "Save  project",
     {QKeySequence("Ctrl+S")}},
    {"FileSaveAs",
     "Save Project &As...",
     "Save the active project with a new name",
     "Save project As",
     {}},
    {"FileExit", "E&xit", "Quit the application; prompts to save documents", "Exit", {}},
    {"EditUndo",
     "&Undo",
     "Undo the last action",
     "Undo",
     {QKeySequence("Ctrl+Z"), QKeySequence("Alt+Backspace")}},
    {"EditRedo",
     "&Redo",
     "Redo the last action undone",
     "Redo",
     {QKeySequence("Ctrl+Y"), QKeySequence("Ctrl+Shift+Z")}},
    {"EditFind",
     "&Find...",
     "Find an entry of the site map by its link name or URL",
     "Find",
     {QKeySequence("Ctrl+F"), QKeySequence("F3")}},
    {"EditCut",
     "Cu&t",
     "Cut the selection and put it on the Clipboard",
     "Cut",
     {QKeySequence("Ctrl+X"), QKeySequence("Shift+Del")}},
    {"EditCopy",
     "&Copy",
     "Copy the selection and put it on the Clipboard",
     "Copy",
     {QKeySequence("Ctrl+C"), QKeySequence("Ctrl+Ins")}},
    {"EditPaste",
     "&Paste",
     "Insert Clipboard contents",
     "Paste",
     {QKeySequence("Ctrl+V"), QKeySequence("Shift+Ins")}},
    {"ViewToolBar", "&Toolbar", "Show or hide the toolbar", "Toggle ToolBar", {}},
    {"ViewStatusBar", "&Status Bar", "Show or hide the status bar", "Toggle StatusBar", {}},
    {"GenerateAndUpload",
     "&Generate Site Map And Upload",
     "Generat Site Map and upload",
     "Generat Site Map and upload",
     {}},
    {"GenerateOnly", "&Generate Site Map Only", nullptr, nullptr, {}},
    {"ProjectProperties", "Properties", nullptr, nullptr, {}},
    {"UpdateFromSite",
     "&Update From Site...",
     "Scan the site again and merge its changes into the site map, keeping your edits",
     nullptr,
     {}},
    {"Help", "&Help", nullptr, nullptr, {QKeySequence(Qt::Key_F1)}},
    {"Support", "&Support Brambleplot", nullptr, nullptr, {}},
    {"About",
     "&About BrambleL...",
     "Display program information, version number and copyright",
     "About",
     {}},
    {"NextPane", "Next Pane", nullptr, nullptr, {QKeySequence("F6")}},
    {"PreviousPane", "Previous Pane", nullptr, nullptr, {QKeySequence("Shift+F6")}},
};

QIcon StandardIcon(const QWidget* widget, const char* theme, QStyle::StandardPixmap fallback) {
  return QIcon::fromTheme(QLatin1String(theme), widget->style()->standardIcon(fallback));
}

}  // namespace

MainWindow::MainWindow(EngineConfig* config, const QString& program_path, QWidget* parent)
    : QMainWindow(parent),
      config_(config),
      program_path_(program_path),
      view_(new FormView(config, this)),
      settings_edited_(new QTimer(this)) {
  setCentralWidget(view_);
  CreateActions();
  CreateMenus();
  CreateToolBar();
  CreateStatusBar();
  connect(view_->Style(), &StylePage::PreviewRequested, this, &MainWindow::OnPreview);
  connect(view_->Map(), &MapPage::WizardRequested, this, &MainWindow::OnLayoutWizard);
  view_->Map()->UseUndoStack(document_.UndoStack());
  connect(&document_, &Document::ModifiedChanged, this, &QWidget::setWindowModified);
  setAcceptDrops(true);
  WatchSettingsEdits();
  ClearStatus();
  SetStatusSink([this](const QString& line) {
    ShowStatus(line);
    // The engine holds the event loop while it works.
    statusBar()->repaint();
  });
}

MainWindow::~MainWindow() { SetStatusSink(nullptr); }

QAction* MainWindow::Action(const QString& name) const { return findChild<QAction*>(name); }

void MainWindow::CreateActions() {
  for (const Command& command : kCommands) {
    auto* action = new QAction(tr(command.text), this);
    action->setObjectName(QLatin1String(command.name));
    if (command.prompt != nullptr) action->setStatusTip(tr(command.prompt));
    if (command.tip != nullptr) action->setToolTip(tr(command.tip));
    action->setShortcuts(command.keys);
    addAction(action);
  }
  connect(Action("FileNew"), &QAction::triggered, this, &MainWindow::OnNew);
  connect(Action("FileOpen"), &QAction::triggered, this, &MainWindow::OnOpen);
  connect(Action("FileSave"), &QAction::triggered, this, &MainWindow::OnSave);
  connect(Action("FileSaveAs"), &QAction::triggered, this, &MainWindow::OnSaveAs);
  connect(Action("FileExit"), &QAction::triggered, this, &QWidget::close);
  connect(Action("EditUndo"), &QAction::triggered, this, [this] { OnUndo(false); });
  connect(Action("EditRedo"), &QAction::triggered, this, [this] { OnUndo(true); });
  connect(Action("EditFind"), &QAction::triggered, this, [this] {
    view_->Tabs()->setCurrentIndex(FormView::kMapTab);
    view_->Map()->ShowFindBar();
  });
  connect(Action("EditCut"), &QAction::triggered, this, [this] { EditFocused("cut"); });
  connect(Action("EditCopy"), &QAction::triggered, this, [this] { EditFocused("copy"); });
  connect(Action("EditPaste"), &QAction::triggered, this, [this] { EditFocused("paste"); });
  connect(Action("GenerateAndUpload"), &QAction::triggered, this, [this] { OnGenerate(true); });
  connect(Action("GenerateOnly"), &QAction::triggered, this, [this] { OnGenerate(false); });
  connect(Action("Help"), &QAction::triggered, this, [this] { ShowHelp(program_path_); });
  connect(Action("Support"), &QAction::triggered, this,
          [] { QDesktopServices::openUrl(QUrl(QLatin1String(kSupportPage))); });
  connect(Action("About"), &QAction::triggered, this, &MainWindow::OnAbout);
  connect(Action("NextPane"), &QAction::triggered, view_, &FormView::SwitchPane);
  connect(Action("PreviousPane"), &QAction::triggered, view_, &FormView::SwitchPane);
  connect(Action("ProjectProperties"), &QAction::triggered, this, [this] {
    ConfigDialog dialog(config_, this);
    dialog.exec();
  });
  connect(Action("UpdateFromSite"), &QAction::triggered, this, [this] {
    const QString status = RunUpdateFromSite(*view_, document_, this);
    if (!status.isEmpty()) ShowStatus(status);
  });

  Action("FileNew")->setIcon(StandardIcon(this, "document-new", QStyle::SP_FileIcon));
  Action("FileOpen")->setIcon(StandardIcon(this, "document-open", QStyle::SP_DialogOpenButton));
  Action("FileSave")->setIcon(StandardIcon(this, "document-save", QStyle::SP_DialogSaveButton));
  Action("GenerateAndUpload")->setIcon(StandardIcon(this, "go-up", QStyle::SP_ArrowUp));
  Action("Help")->setIcon(StandardIcon(this, "help-contents", QStyle::SP_MessageBoxQuestion));
}

void MainWindow::CreateMenus() {
  file_menu_ = menuBar()->addMenu(tr("&File"));
  file_menu_->addActions(
      {Action("FileNew"), Action("FileOpen"), Action("FileSave"), Action("FileSaveAs")});
  file_menu_->addSeparator();
  recent_anchor_ = file_menu_->addSeparator();
  file_menu_->addAction(Action("FileExit"));
  UpdateRecentMenu();

  QMenu* edit = menuBar()->addMenu(tr("&Edit"));
  edit->addActions({Action("EditUndo"), Action("EditRedo")});
  edit->addSeparator();
  edit->addActions({Action("EditCut"), Action("EditCopy"), Action("EditPaste")});
  edit->addSeparator();
  edit->addAction(Action("EditFind"));

  QMenu* view = menuBar()->addMenu(tr("&View"));
  view->addActions({Action("ViewToolBar"), Action("ViewStatusBar")});

  QMenu* project = menuBar()->addMenu(tr("&Project"));
  project->addActions({Action("GenerateAndUpload"), Action("GenerateOnly")});
  project->addSeparator();
  project->addAction(Action("ProjectProperties"));
  project->addSeparator();
  project->addAction(Action("UpdateFromSite"));

  QMenu* help = menuBar()->addMenu(tr("&Help"));
  help->addAction(Action("Help"));
  help->addSeparator();
  help->addAction(Action("Support"));
  help->addSeparator();
  help->addAction(Action("About"));
}

void MainWindow::CreateToolBar() {
  QToolBar* bar = addToolBar(tr("Toolbar"));
  bar->setObjectName(QStringLiteral("ToolBar"));
  bar->setIconSize(QSize(16, 16));
  bar->setMovable(false);
  bar->addActions({Action("FileNew"), Action("FileOpen"), Action("FileSave")});
  bar->addSeparator();
  bar->addAction(Action("GenerateAndUpload"));
  bar->addSeparator();
  bar->addAction(Action("Help"));

  QAction* shown = Action("ViewToolBar");
  shown->setCheckable(true);
  shown->setChecked(true);
  connect(shown, &QAction::toggled, bar, &QWidget::setVisible);
}

QString MainWindow::StatusText() const { return status_.isEmpty() ? tr("Ready") : status_; }

void MainWindow::ShowStatus(const QString& text) {
  status_ = text;
  statusBar()->showMessage(StatusText());
}

bool MainWindow::event(QEvent* event) {
  // A command's prompt shows while its menu item is highlighted; then the
  // message comes back.
  if (event->type() == QEvent::StatusTip) {
    const QString tip = static_cast<QStatusTipEvent*>(event)->tip();
    statusBar()->showMessage(tip.isEmpty() ? StatusText() : tip);
    return true;
  }
  return QMainWindow::event(event);
}

void MainWindow::CreateStatusBar() {
  QAction* shown = Action("ViewStatusBar");
  shown->setCheckable(true);
  shown->setChecked(true);
  connect(shown, &QAction::toggled, statusBar(), &QWidget::setVisible);
}

void MainWindow::UpdateRecentMenu() {
  qDeleteAll(recent_actions_);
  recent_actions_.clear();
  const QStringList& files = recent_.Files();
  for (int i = 0; i < files.size(); ++i) {
    auto* action = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(files[i]), file_menu_);
    action->setStatusTip(tr("Open this document"));
    connect(action, &QAction::triggered, this, [this, path = files[i]] { OnOpenRecent(path); });
    recent_actions_.append(action);
  }
  if (files.isEmpty()) {
    auto* none = new QAction(tr("Recent File"), file_menu_);
    none->setEnabled(false);
    recent_actions_.append(none);
  }
  file_menu_->insertActions(recent_anchor_, recent_actions_);
}

void MainWindow::NewProject() {
  // The tree shown belongs to the project that goes.
  view_->Map()->Fill(nullptr);
  document_.New();
  ShowDocument();
}

void MainWindow::OpenProject(const QString& path) {
  ClearStatus();
  view_->Map()->Fill(nullptr);
  document_.Open(path);
  if (QFileInfo::exists(document_.path())) {
    recent_.Add(document_.path());
  } else {
    recent_.Remove(document_.path());
  }
  UpdateRecentMenu();
  ShowDocument();
  const QStringList& faults = document_.faults();
  if (faults.isEmpty()) return;
  if (QFileInfo::exists(document_.path())) {
    Ask(Prompt::kError, tr("%1 could not be read whole:\n%2\n\nThe window shows what was read "
                           "before the fault. Saving over the file would lose the rest of it: "
                           "use Save As to keep it as it is.")
                            .arg(document_.path(), faults.join('\n')));
  } else {
    Ask(Prompt::kError, faults.join('\n'));
  }
}

bool MainWindow::SaveProject(const QString& path) {
  if (ScriptItem* item = document_.SiteMap()) StorePages(*view_, *item);
  ClearStatus();
  if (document_.WouldReplaceUnread(path)) {
    const QString text = tr("%1 was not read whole when it was opened:\n%2\n\nSaving over it "
                            "writes only what the window shows: the rest of the file is lost.")
                             .arg(document_.path(), document_.faults().join('\n'));
    switch (Ask(Prompt::kSaveOver, text)) {
      case Answer::kYes:
        break;
      case Answer::kNo:
        return OnSaveAs();
      default:
        return false;
    }
  }
  if (!document_.Save(path)) {
    const QString reason =
        document_.failure().isEmpty() ? tr("the file could not be written") : document_.failure();
    const QString text = tr("The project was not saved to %1:\n%2\n\nSave it under another name?")
                             .arg(QFileInfo(ProjectSavePath(path)).absoluteFilePath(), reason);
    return Ask(Prompt::kQuestion, text) == Answer::kYes && OnSaveAs();
  }
  recent_.Add(document_.path());
  UpdateRecentMenu();
  // The pages show what was saved: filling them again would lose the
  // tree's expanded branches and its selection.
  ShowTitle();
  return true;
}

bool MainWindow::SaveProjectAs(const QString& chosen) {
  // The file dialog asked about the name as typed, not the one saved.
  const QString target = ProjectSavePath(chosen);
  if (target != chosen && QFileInfo::exists(target) &&
      Ask(Prompt::kQuestion, tr("%1 already exists.\nDo you want to replace it?")
                                 .arg(QFileInfo(target).absoluteFilePath())) != Answer::kYes) {
    return false;
  }
  return SaveProject(chosen);
}

bool MainWindow::MaybeSave() {
  if (ScriptItem* item = document_.SiteMap()) StorePages(*view_, *item);
  document_.TakeEngineChanges();
  if (!document_.modified()) return true;
  switch (Ask(Prompt::kSaveChanges, tr("Save changes to %1?").arg(document_.DisplayName()))) {
    case Answer::kYes:
      return OnSave();
    case Answer::kNo:
      return true;
    default:
      return false;
  }
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (!MaybeSave()) {
    event->ignore();
    return;
  }
  QSettings settings;
  settings.setValue(QStringLiteral("MainWindow/Geometry"), saveGeometry());
  settings.setValue(QStringLiteral("MainWindow/Tab"), view_->Tabs()->currentIndex());
  event->accept();
}

void MainWindow::RestoreSettings() {
  const QSettings settings;
  restoreGeometry(settings.value(QStringLiteral("MainWindow/Geometry")).toByteArray());
  const int tab = settings.value(QStringLiteral("MainWindow/Tab"), 0).toInt();
  if (tab >= 0 && tab < view_->Tabs()->count()) view_->Tabs()->setCurrentIndex(tab);
}

namespace {

// The project file a drag brings: one local file ending in ".bpj".
QString DraggedProject(const QMimeData* data) {
  if (data == nullptr || data->urls().size() != 1) return QString();
  const QString path = data->urls().first().toLocalFile();
  return path.endsWith(QLatin1String(".bpj"), Qt::CaseInsensitive) ? path : QString();
}

}  // namespace

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (!DraggedProject(event->mimeData()).isEmpty()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  const QString path = DraggedProject(event->mimeData());
  if (path.isEmpty()) return;
  event->acceptProposedAction();
  if (MaybeSave()) OpenProject(path);
}

void MainWindow::ShowTitle() {
  const QString name = document_.path().isEmpty() ? Document::UntitledName()
                                                  : QFileInfo(document_.path()).fileName();
  setWindowTitle(tr("%1[*] - %2").arg(name, QApplication::applicationDisplayName()));
  setWindowModified(document_.modified());
}

void MainWindow::ShowDocument() {
  ShowTitle();
  if (ScriptItem* item = document_.SiteMap()) {
    FillPages(*view_, *document_.project(), *item);
  }
}

void MainWindow::EditFocused(const char* slot) {
  // The text fields have the four commands as slots of their own; other
  // controls have nothing to edit.
  QWidget* focused = QApplication::focusWidget();
  if (focused == nullptr) return;
  const QByteArray signature = QByteArray(slot) + "()";
  if (focused->metaObject()->indexOfSlot(signature.constData()) >= 0) {
    QMetaObject::invokeMethod(focused, slot);
  }
}

void MainWindow::OnUndo(bool redo) {
  // A text field being edited undoes its own typing first.
  QWidget* focused = QApplication::focusWidget();
  if (auto* line = qobject_cast<QLineEdit*>(focused)) {
    if (redo ? line->isRedoAvailable() : line->isUndoAvailable()) {
      redo ? line->redo() : line->undo();
      return;
    }
  } else if (auto* text = qobject_cast<QPlainTextEdit*>(focused)) {
    if (redo ? text->document()->isRedoAvailable() : text->document()->isUndoAvailable()) {
      redo ? text->redo() : text->undo();
      return;
    }
  }
  view_->Map()->Commit();
  redo ? document_.UndoStack()->redo() : document_.UndoStack()->undo();
}

void MainWindow::WatchSettingsEdits() {
  // Whatever the user does on a settings page is stored once the event is
  // handled; the engine then says whether it changed the project. Filling
  // the pages stores what they were filled with, which changes nothing.
  settings_edited_->setSingleShot(true);
  settings_edited_->setInterval(0);
  connect(settings_edited_, &QTimer::timeout, this, &MainWindow::StoreSettingsEdits);
  const auto edited = [this] { settings_edited_->start(); };
  for (FormPage* page : view_->SettingsPages()) {
    for (auto* field : page->findChildren<QLineEdit*>()) {
      connect(field, &QLineEdit::textEdited, this, edited);
    }
    for (auto* field : page->findChildren<QPlainTextEdit*>()) {
      connect(field, &QPlainTextEdit::textChanged, this, edited);
    }
    for (auto* field : page->findChildren<QComboBox*>()) {
      connect(field, &QComboBox::activated, this, edited);
    }
    for (auto* field : page->findChildren<QAbstractButton*>()) {
      connect(field, &QAbstractButton::clicked, this, edited);
    }
    for (auto* field : page->findChildren<QAbstractSpinBox*>()) {
      connect(field, &QAbstractSpinBox::editingFinished, this, edited);
    }
  }
}

void MainWindow::StoreSettingsEdits() {
  // Not while a window of the program waits for an answer, nor while the
  // engine worker runs a call: the edit is stored by the next one, or by
  // the save.
  if (QApplication::activeModalWidget() != nullptr) return;
  if (ScriptItem* item = document_.SiteMap()) StorePages(*view_, *item);
  document_.TakeEngineChanges();
}

void MainWindow::OnNew() {
  if (!MaybeSave()) return;
  ClearStatus();
  NewProject();
}

void MainWindow::OnOpen() {
  const QString path = QFileDialog::getOpenFileName(
      this, QString(), QString(), tr("Brambleplot project (*.bpj);;All Files (*)"));
  if (!path.isEmpty() && MaybeSave()) OpenProject(path);
}

bool MainWindow::OnSave() {
  if (document_.path().isEmpty()) return OnSaveAs();
  return SaveProject(document_.path());
}

bool MainWindow::OnSaveAs() {
  const QString suggested =
      document_.path().isEmpty() ? Document::UntitledName() : document_.path();
  const QString path =
      QFileDialog::getSaveFileName(this, tr("Save As"), suggested, tr("All Files (*)"));
  return !path.isEmpty() && SaveProjectAs(path);
}

void MainWindow::OnOpenRecent(const QString& path) {
  if (MaybeSave()) OpenProject(path);
}

void MainWindow::OnGenerate(bool upload) {
  ClearStatus();
  RunGenerate(*view_, document_, upload);
  document_.TakeEngineChanges();
}

void MainWindow::OnPreview() {
  RunPreview(*view_, document_, config_);
  // The temporary file is no place of the user's.
  ClearStatus();
}

void MainWindow::OnLayoutWizard() {
  switch (RunLayoutWizard(*view_, document_, config_, this)) {
    case ScanOutcome::kCancelled:
      ShowStatus(tr("Scan cancelled: the site map is as it was."));
      break;
    case ScanOutcome::kScanned:
      ShowStatus(ScanSummary(document_.SiteMap()->Entries, VellumBrokenLinkCount()));
      break;
    case ScanOutcome::kFailed:
      ShowStatus(tr("The scan could not start: the site map is as it was."));
      break;
    case ScanOutcome::kNotRun:
      break;
  }
  view_->Map()->Tree()->setFocus();
}

void MainWindow::OnAbout() {
  AboutDialog about(this);
  about.exec();
}

}  // namespace bramblel

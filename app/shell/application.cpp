#include "shell/application.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QPixmap>
#include <QSplashScreen>
#include <QTimer>
#include <cstdio>

#include "shell/engine_link.h"
#include "shell/main_window.h"
#include "shell/prompts.h"
#include "shell/screenshots.h"

namespace bramblel {

namespace {

// How long the splash picture stays after the main window shows.
constexpr int kSplashMilliseconds = 1500;

// The running program's file, links resolved: the engine finds its
// installation beside it, as the help book is.
QString ProgramPath() {
  const QString self = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
  return self.isEmpty() ? QCoreApplication::applicationFilePath() : self;
}

// Runs without anyone at the screen: messages go to standard error, and
// every question is answered no.
void PromptOnStandardError() {
  SetPromptHandler([](Prompt prompt, const QString& text) {
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    return prompt == Prompt::kSaveChanges || prompt == Prompt::kSaveOver ? Answer::kCancel
           : prompt == Prompt::kQuestion                                 ? Answer::kNo
                                                                         : Answer::kOk;
  });
}

}  // namespace

void NameApplication() {
  // The settings (recent files) are kept under these names.
  QCoreApplication::setOrganizationName(QStringLiteral("Local AppWizard-Generated Applications"));
  QCoreApplication::setApplicationName(QStringLiteral("Brambleplot Lite"));
  QCoreApplication::setApplicationVersion(QStringLiteral(VELLUM_VERSION));
  QGuiApplication::setApplicationDisplayName(QStringLiteral("Brambleplot Lite"));
  QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/pictures/bramblel.png")));
}

int RunApplication(int argc, char** argv) {
  QApplication application(argc, argv);
  NameApplication();

  QCommandLineParser command_line;
  command_line.setApplicationDescription(
      QApplication::translate("main",
                              "Keeps a site map project: its tree of links, its page "
                              "settings, generating and publishing its site map."));
  command_line.addHelpOption();
  const QCommandLineOption version(
      {QStringLiteral("v"), QStringLiteral("version")},
      QApplication::translate("main", "Show the version and the installation folder, and quit."));
  command_line.addOption(version);
  command_line.addPositionalArgument(QStringLiteral("project"),
                                     QApplication::translate("main", "The project file to open."),
                                     QStringLiteral("[project.bpj]"));
  const QCommandLineOption screenshots(
      QStringLiteral("screenshots"),
      QApplication::translate("main", "Save pictures of the windows into FOLDER and quit."),
      QStringLiteral("FOLDER"));
  command_line.addOption(screenshots);
  command_line.process(application);
  const QString program = ProgramPath();

  if (command_line.isSet(version)) {
    PromptOnStandardError();
    const EngineConfig* config = StartEngine(program);
    std::printf("%s %s\nInstallation: %s\n", qPrintable(QApplication::applicationName()),
                qPrintable(QApplication::applicationVersion()),
                config->RootFolder == nullptr ? "" : config->RootFolder);
    return 0;
  }
  // Taken before opening a project moves the current folder.
  const QString screenshot_folder = command_line.isSet(screenshots)
                                        ? QDir(command_line.value(screenshots)).absolutePath()
                                        : QString();
  if (!screenshot_folder.isEmpty()) PromptOnStandardError();

  // Above the main window, which shows while the splash picture stays.
  QSplashScreen splash(QPixmap(QStringLiteral(":/pictures/splash.png")), Qt::WindowStaysOnTopHint);
  splash.setWindowTitle(QStringLiteral("Vellumark"));
  splash.show();
  QApplication::processEvents();

  EngineConfig* config = StartEngine(program);
  VellumCleanUpOnSignals();

  MainWindow window(config, program);
  const QStringList projects = command_line.positionalArguments();
  if (projects.isEmpty()) {
    window.NewProject();
  } else {
    window.OpenProject(projects.first());
  }
  window.resize(window.sizeHint());
  // Pictures of the windows are taken at their natural size.
  if (screenshot_folder.isEmpty()) window.RestoreSettings();
  window.show();
  splash.raise();

  if (!screenshot_folder.isEmpty()) {
    return SaveScreenshots(window, config, splash, screenshot_folder) ? 0 : 1;
  }
  QTimer::singleShot(kSplashMilliseconds, &splash, &QWidget::close);
  return QApplication::exec();
}

}  // namespace bramblel

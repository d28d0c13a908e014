#include "dialogs/help_window.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QTextBrowser>
#include <QUrl>

namespace bramblel {

QString HelpBookPath(const QString& program_path) {
  const QString programs = QFileInfo(program_path).absolutePath();
  const QString system_book =
      QDir::cleanPath(programs + QLatin1String("/" VELLUM_SYSTEM_ROOT "/help/index.html"));
  if (QFileInfo::exists(system_book)) return system_book;
  return programs + QLatin1String("/help/index.html");
}

void ShowHelp(const QString& program_path) {
  static bool failed = false;
  static QPointer<QTextBrowser> book;
  if (failed) return;
  if (book == nullptr) {
    const QString path = HelpBookPath(program_path);
    if (!QFileInfo(path).isReadable()) {
      failed = true;
      return;
    }
    book = new QTextBrowser;
    book->setAttribute(Qt::WA_DeleteOnClose);
    book->setWindowTitle(QTextBrowser::tr("Brambleplot Lite Help"));
    book->setOpenExternalLinks(true);
    book->setSource(QUrl::fromLocalFile(path));
    book->resize(book->fontMetrics().averageCharWidth() * 100,
                 book->fontMetrics().lineSpacing() * 40);
  }
  book->show();
  book->raise();
  book->activateWindow();
}

}  // namespace bramblel

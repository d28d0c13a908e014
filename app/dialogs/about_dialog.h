// The about box: the program's picture, name, version and rights, and where
// to find the latest version.
#ifndef BRAMBLEL_DIALOGS_ABOUT_DIALOG_H
#define BRAMBLEL_DIALOGS_ABOUT_DIALOG_H

#include <QDialog>

class QTextBrowser;

namespace bramblel {

// The product's web pages.
inline constexpr char kProductPage[] = "https://vellumark.org/";
inline constexpr char kSupportPage[] = "https://vellumark.org/support/";

// The text the about box shows.
QString AboutText();

class AboutDialog : public QDialog {
  Q_OBJECT
 public:
  explicit AboutDialog(QWidget* parent = nullptr);
  QTextBrowser* Text() const { return text_; }

 private:
  QTextBrowser* text_;
};

}  // namespace bramblel

#endif  // BRAMBLEL_DIALOGS_ABOUT_DIALOG_H

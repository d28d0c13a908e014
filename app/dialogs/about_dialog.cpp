#include "dialogs/about_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>

namespace bramblel {

QString AboutText() {
  return AboutDialog::tr(
             "Brambleplot Lite %1\n"
             "The desktop program of the Vellumark suite: it keeps a site map project, "
             "fills its tree of links from a web site, writes the site map page in seven "
             "layouts and publishes it.\n\n"
             "Built with Qt %2.\n"
             "Copyright (C) 2026 the Vellumark authors.")
      .arg(QApplication::applicationVersion(), QString::fromLatin1(qVersion()));
}

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent), text_(new QTextBrowser(this)) {
  setWindowTitle(tr("About Vellumark Suite"));
  auto* picture = new QLabel(this);
  picture->setPixmap(QPixmap(QStringLiteral(":/pictures/about.png")));
  picture->setAlignment(Qt::AlignTop | Qt::AlignLeft);

  text_->setPlainText(AboutText());
  text_->setMinimumSize(text_->fontMetrics().averageCharWidth() * 50,
                        text_->fontMetrics().lineSpacing() * 9);

  auto* visit = new QLabel(
      tr("Visit the Vellumark web site at <a href=\"%1\">%1</a>").arg(QLatin1String(kProductPage)),
      this);
  visit->setOpenExternalLinks(true);
  auto* updates = new QLabel(tr("to get latest version and updates."), this);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  buttons->button(QDialogButtonBox::Ok)->setText(tr("&OK"));
  buttons->button(QDialogButtonBox::Ok)->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* grid = new QGridLayout(this);
  grid->addWidget(picture, 0, 0, 3, 1);
  grid->addWidget(text_, 0, 1);
  grid->addWidget(visit, 1, 1);
  grid->addWidget(updates, 2, 1);
  grid->addWidget(buttons, 3, 0, 1, 2);
  grid->setColumnStretch(1, 1);
}

}  // namespace bramblel

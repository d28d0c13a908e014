#include "wizard/layout_wizard.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "pages/controls.h"
#include "wizard/base_file_page.h"
#include "wizard/folder_tree.h"
#include "wizard/mode_page.h"

namespace bramblel {

namespace {

// Where the folder of the last folder scan is kept between sessions.
constexpr QLatin1String kLastFolderKey("LayoutWizard/LastFolder");

}  // namespace

uint32_t ScanFlags(const WizardAnswers& answers) {
  uint32_t flags = answers.description == 1 ? VELLUM_SCAN_META_DESCRIPTION : 0;
  if (answers.mode != 0) {
    return flags | VELLUM_SCAN_IGNORE_BOOKMARKS | VELLUM_SCAN_IGNORE_ARGUMENTS;
  }
  if (answers.include_base) flags |= VELLUM_SCAN_INCLUDE_BASE;
  if (answers.ignore_bookmarks) flags |= VELLUM_SCAN_IGNORE_BOOKMARKS;
  if (answers.ignore_arguments) flags |= VELLUM_SCAN_IGNORE_ARGUMENTS;
  if (answers.other_sites == 0) {
    flags |= VELLUM_SCAN_ADD_OTHER_SITES | VELLUM_SCAN_FOLLOW_OTHER_SITES;
  } else if (answers.other_sites == 2) {
    flags |= VELLUM_SCAN_ADD_OTHER_SITES;
  }
  return flags;
}

LayoutWizard::LayoutWizard(const EngineConfig* config, QWidget* parent)
    : QDialog(parent),
      mode_page_(new ModePage),
      base_file_page_(new BaseFilePage(config)),
      folder_tree_(new FolderTree),
      folder_page_(new QWidget),
      folder_(new QLineEdit(QSettings().value(kLastFolderKey).toString(), folder_page_)),
      steps_(new QStackedWidget(this)),
      next_(new QPushButton(this)),
      back_(new QPushButton(tr("< &Back"), this)),
      cancel_(new QPushButton(tr("&Cancel"), this)) {
  setWindowTitle(tr("Layout Wizard"));
  steps_->addWidget(mode_page_);
  steps_->addWidget(base_file_page_);
  // The folder step: a path typed or pasted, or the one chosen in the tree.
  auto* folder_form = new QFormLayout;
  AddFormRow(*folder_form, tr("Folder &path:"), folder_);
  auto* folder_step = new QVBoxLayout(folder_page_);
  folder_step->setContentsMargins(0, 0, 0, 0);
  folder_step->addLayout(folder_form);
  folder_step->addWidget(folder_tree_, 1);
  steps_->addWidget(folder_page_);
  folder_tree_->Init(false);
  setTabOrder(folder_, folder_tree_);
  // "Drives" and a placeholder entry (a folder with nothing listed) name no
  // folder: the path stays as it was typed. So does it when the tree takes
  // the focus and makes its first entry current.
  connect(folder_tree_, &QTreeWidget::currentItemChanged, this,
          [this](const QTreeWidgetItem* chosen) {
            if (chosen == nullptr || FolderTree::IsPlaceholder(chosen)) return;
            const QString path = folder_tree_->PathOf(chosen);
            if (!path.isEmpty()) folder_->setText(path);
          });

  next_->setDefault(true);
  connect(next_, &QPushButton::clicked, this, &LayoutWizard::Next);
  connect(back_, &QPushButton::clicked, this, &LayoutWizard::Back);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(back_);
  buttons->addWidget(next_);
  buttons->addWidget(cancel_);

  auto* window = new QVBoxLayout(this);
  window->addWidget(steps_, 1);
  window->addLayout(buttons);
  ShowStep(0);
}

WizardAnswers LayoutWizard::Answers() const {
  WizardAnswers answers;
  answers.mode = mode_page_->Mode();
  answers.description = mode_page_->Description();
  answers.base_file = base_file_page_->BaseFile()->text();
  answers.include_base = base_file_page_->IncludeBase()->isChecked();
  answers.ignore_bookmarks = base_file_page_->IgnoreBookmarks()->isChecked();
  answers.ignore_arguments = base_file_page_->IgnoreArguments()->isChecked();
  answers.other_sites = base_file_page_->OtherSites();
  answers.order = mode_page_->Order();
  // The engine lists a folder given with its trailing "/", as the tree
  // gives it.
  answers.folder = folder_->text().trimmed();
  if (!answers.folder.endsWith(u'/') && QFileInfo(answers.folder).isDir()) answers.folder += u'/';
  return answers;
}

void LayoutWizard::done(int result) {
  const WizardAnswers answers = Answers();
  if (result == Accepted && answers.mode == 1 && !answers.folder.isEmpty()) {
    QSettings().setValue(kLastFolderKey, answers.folder);
  }
  QDialog::done(result);
}

void LayoutWizard::keyPressEvent(QKeyEvent* event) {
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
      event->modifiers() == Qt::NoModifier) {
    accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void LayoutWizard::Next() {
  if (step_ == 1) {
    accept();
    return;
  }
  ShowStep(1);
}

void LayoutWizard::Back() { ShowStep(0); }

void LayoutWizard::ShowStep(int step) {
  step_ = step;
  // The second step follows the mode: the folder tree for listing a folder,
  // the base file otherwise (also when no mode is chosen).
  QWidget* page = step == 0                 ? static_cast<QWidget*>(mode_page_)
                  : mode_page_->Mode() == 1 ? folder_page_
                                            : static_cast<QWidget*>(base_file_page_);
  steps_->setCurrentWidget(page);
  FocusFirstField(page);
  next_->setText(step == 0 ? tr("&Next >") : tr("&Finish >"));
  back_->setEnabled(step == 1);
}

}  // namespace bramblel

#include "pages/layout_page.h"

#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "dialogs/upload_dialog.h"

namespace bramblel {

QString PageFileFilter(const char* page_patterns) {
  // The dialog takes patterns separated by blanks; the configuration keeps
  // them separated by semicolons.
  QString patterns = FromEngine(page_patterns);
  patterns.replace(';', ' ');
  return QStringLiteral("HTML file (%1);;All Files (*)").arg(patterns.simplified());
}

QString TargetName(const OutputTarget& target) {
  for (const char* text : {target.URL, target.Server, target.Folder}) {
    if (text != nullptr && *text != '\0') return QString::fromUtf8(text);
  }
  return QString();
}

LayoutPage::LayoutPage(const EngineConfig* config, QWidget* parent)
    : FormPage(parent),
      config_(config),
      output_file_(new QLineEdit(this)),
      image_folder_(new QLineEdit(this)),
      relative_(new FlagBox(tr("Use &relative paths"), VELLUM_GEN_RELATIVE_LINKS, this)),
      output_list_(new QListWidget(this)),
      properties_(
          PictureButton(QIcon(":/pictures/target-properties.png"), tr("Output Properties"), this)),
      add_(PictureButton(QIcon(":/pictures/target-add.png"), tr("Add Output item"), this)),
      remove_(
          PictureButton(QIcon(":/pictures/target-remove.png"), tr("Remove selected item"), this)),
      browse_(new QPushButton(tr("Browse..."), this)) {
  setTabOrder(output_file_, browse_);
  connect(browse_, &QPushButton::clicked, this, &LayoutPage::ChooseOutputFile);
  auto* file_row = new QHBoxLayout;
  file_row->addWidget(output_file_, 1);
  file_row->addWidget(browse_);

  auto* form = new QFormLayout;
  AddFormRow(*form, tr("&Output file:"), output_file_, file_row);
  AddFormRow(*form, tr("&Image subfolder:"), image_folder_);
  form->addRow(QString(), relative_);

  auto* list_label = new QLabel(tr("Output list:"), this);
  list_label->setBuddy(output_list_);
  output_list_->setSelectionMode(QAbstractItemView::SingleSelection);
  connect(output_list_, &QListWidget::itemDoubleClicked, this, &LayoutPage::EditCurrentTarget);
  connect(properties_, &QToolButton::clicked, this, &LayoutPage::EditCurrentTarget);
  connect(add_, &QToolButton::clicked, this, &LayoutPage::AddTarget);
  connect(remove_, &QToolButton::clicked, this, &LayoutPage::RemoveCurrentTarget);
  auto* list_row = new QHBoxLayout;
  list_row->addWidget(list_label, 1);
  list_row->addWidget(properties_);
  list_row->addWidget(add_);
  list_row->addWidget(remove_);

  auto* page = new QVBoxLayout(this);
  page->addLayout(form);
  page->addSpacing(8);
  page->addLayout(list_row);
  page->addWidget(output_list_, 1);
}

void LayoutPage::Fill(const ScriptItem& item) {
  output_file_->setText(output_file_text_.Show(item.Body.SiteMap.OutputFile));
  image_folder_->setText(image_folder_text_.Show(item.Body.SiteMap.ImageFolder));
  relative_->Fill(item.Flags);
}

void LayoutPage::Collect(Collected& out) const {
  out.settings.OutputFile = out.texts.Keep(output_file_text_.Take(output_file_->text()));
  out.settings.ImageFolder = out.texts.Keep(image_folder_text_.Take(image_folder_->text()));
  relative_->Collect(out.flags);
}

void LayoutPage::FillOutputList(Project& project, int current) {
  project_ = &project;
  output_list_->clear();
  for (int i = 0; i < project.TargetCount; ++i) {
    output_list_->addItem(TargetName(project.Targets[i]));
  }
  // A line outside the list leaves no line current.
  output_list_->setCurrentRow(current >= 0 && current < output_list_->count() ? current : -1);
}

void LayoutPage::EditCurrentTarget() {
  const int current = output_list_->currentRow();
  if (project_ == nullptr || current < 0) return;
  if (bramblel::EditTarget(*project_, current, this)) FillOutputList(*project_, current);
}

void LayoutPage::AddTarget() {
  if (project_ == nullptr) return;
  const int current = std::max(output_list_->currentRow(), 0);
  if (bramblel::AddTarget(*project_, this)) FillOutputList(*project_, current);
}

void LayoutPage::RemoveCurrentTarget() {
  PrmRequest request{VELLUM_PRM_DELETE_TARGET, output_list_->currentRow(), nullptr};
  if (project_ == nullptr || request.Index < 0 || project_->TargetCount == 0) return;
  // The engine writes back the line to show next: the same place, the new
  // last line, or -1 when none is left.
  HTMLprjPrm(&request);
  FillOutputList(*project_, request.Index);
}

void LayoutPage::ChooseOutputFile() {
  // The file is usually not there yet, and generating replaces it anyway.
  const QString chosen =
      QFileDialog::getSaveFileName(this, tr("Output file"), output_file_->text(),
                                   PageFileFilter(config_ == nullptr ? nullptr : config_->ExtPage),
                                   nullptr, QFileDialog::DontConfirmOverwrite);
  if (!chosen.isEmpty()) output_file_->setText(chosen);
}

}  // namespace bramblel

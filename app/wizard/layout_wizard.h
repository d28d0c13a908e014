// The Layout Wizard: two steps that collect what a scan of the site needs.
// Step one chooses the mode, the source of link descriptions and the order
// of the entries; step two is the base file for following links, or the
// folder to list, typed or chosen in a folder tree. The folder of the last
// finished folder step is offered again, in later sessions too.
#ifndef BRAMBLEL_WIZARD_LAYOUT_WIZARD_H
#define BRAMBLEL_WIZARD_LAYOUT_WIZARD_H

#include <QDialog>
#include <QString>
#include <cstdint>

#include "vellum/vellum.h"

class QLineEdit;
class QPushButton;
class QStackedWidget;

namespace bramblel {

class BaseFilePage;
class FolderTree;
class ModePage;

// What the wizard was answered.
struct WizardAnswers {
  int mode = -1;         // 0 follow links from a base file, 1 list a folder
  int description = -1;  // 0 the TITLE tag, 1 the META description
  QString base_file;
  bool include_base = false;
  bool ignore_bookmarks = false;
  bool ignore_arguments = false;
  int other_sites = -1;           // 0 add and scan, 1 ignore the page, 2 add only
  int order = VELLUM_ORDER_NAME;  // of the tree's entries, VELLUM_ORDER_...
  QString folder;                 // the folder step's path; empty for none
};

// The scan flags (VELLUM_SCAN_...) for a wizard's answers.
uint32_t ScanFlags(const WizardAnswers& answers);

class LayoutWizard : public QDialog {
  Q_OBJECT
 public:
  LayoutWizard(const EngineConfig* config, QWidget* parent = nullptr);

  // The answers as the pages hold them now.
  WizardAnswers Answers() const;
  // A finished folder step's folder is remembered.
  void done(int result) override;

  ModePage* Modes() const { return mode_page_; }
  BaseFilePage* BaseFile() const { return base_file_page_; }
  FolderTree* Folders() const { return folder_tree_; }
  // The folder step's path field, which the tree's choice fills.
  QLineEdit* FolderPath() const { return folder_; }
  QPushButton* NextButton() const { return next_; }
  QPushButton* BackButton() const { return back_; }
  QPushButton* CancelButton() const { return cancel_; }

 protected:
  // Enter ends the wizard with the answers as they stand, from either step.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void Next();
  void Back();
  void ShowStep(int step);

  ModePage* mode_page_;
  BaseFilePage* base_file_page_;
  FolderTree* folder_tree_;
  QWidget* folder_page_;
  QLineEdit* folder_;
  QStackedWidget* steps_;
  QPushButton* next_;
  QPushButton* back_;
  QPushButton* cancel_;
  int step_ = 0;
};

}  // namespace bramblel

#endif  // BRAMBLEL_WIZARD_LAYOUT_WIZARD_H

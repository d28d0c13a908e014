// The Layout page: where the site map is written, with which paths, and the
// project's upload targets.
#ifndef BRAMBLEL_PAGES_LAYOUT_PAGE_H
#define BRAMBLEL_PAGES_LAYOUT_PAGE_H

#include "pages/controls.h"
#include "pages/form_page.h"

class QListWidget;
class QPushButton;
class QToolButton;

namespace bramblel {

// What a target's line in the output list shows: its address, else where
// it sends files, so that no line is blank.
QString TargetName(const OutputTarget& target);

// The output file chooser's filter for the web-page patterns of the
// configuration ("*.htm;*.html").
QString PageFileFilter(const char* page_patterns);

class LayoutPage : public FormPage {
  Q_OBJECT
 public:
  LayoutPage(const EngineConfig* config, QWidget* parent = nullptr);

  void Fill(const ScriptItem& item) override;
  void Collect(Collected& out) const override;
  // One line per upload target of project, line `current` made current;
  // the list's commands then work on project's targets.
  void FillOutputList(Project& project, int current);
  // The output list's commands, on its current line.
  void EditCurrentTarget();
  void AddTarget();
  void RemoveCurrentTarget();

  QLineEdit* OutputFile() const { return output_file_; }
  QToolButton* PropertiesButton() const { return properties_; }
  QToolButton* AddButton() const { return add_; }

 private:
  void ChooseOutputFile();

  const EngineConfig* config_;
  Project* project_ = nullptr;
  QLineEdit* output_file_;
  QLineEdit* image_folder_;
  FlagBox* relative_;
  QListWidget* output_list_;
  QToolButton* properties_;
  QToolButton* add_;
  QToolButton* remove_;
  QPushButton* browse_;
  EngineText output_file_text_;
  EngineText image_folder_text_;
};

}  // namespace bramblel

#endif  // BRAMBLEL_PAGES_LAYOUT_PAGE_H

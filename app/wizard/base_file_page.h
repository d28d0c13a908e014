// The Layout Wizard's step for following links: the base file and how links
// are followed from it.
#ifndef BRAMBLEL_WIZARD_BASE_FILE_PAGE_H
#define BRAMBLEL_WIZARD_BASE_FILE_PAGE_H

#include <QWidget>

#include "vellum/vellum.h"

class QButtonGroup;
class QCheckBox;
class QLineEdit;

namespace bramblel {

class BaseFilePage : public QWidget {
  Q_OBJECT
 public:
  BaseFilePage(const EngineConfig* config, QWidget* parent = nullptr);

  // Checks the three boxes as given and the choice for other sites (-1:
  // none).
  void Preset(bool include_base, bool ignore_bookmarks, bool ignore_arguments, int other_sites);

  QLineEdit* BaseFile() const { return base_file_; }
  QCheckBox* IncludeBase() const { return include_base_; }
  QCheckBox* IgnoreBookmarks() const { return ignore_bookmarks_; }
  QCheckBox* IgnoreArguments() const { return ignore_arguments_; }
  // 0 add and scan the other site, 1 ignore the page, 2 add without
  // scanning; -1 for none.
  int OtherSites() const;
  QButtonGroup* OtherSiteChoices() const { return other_sites_; }

 private:
  void ChooseBaseFile();

  const EngineConfig* config_;
  QLineEdit* base_file_;
  QCheckBox* include_base_;
  QCheckBox* ignore_bookmarks_;
  QCheckBox* ignore_arguments_;
  QButtonGroup* other_sites_;
};

}  // namespace bramblel

#endif  // BRAMBLEL_WIZARD_BASE_FILE_PAGE_H

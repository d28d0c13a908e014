// The Layout Wizard's first step: how the site is read, where each link's
// description comes from, and how the entries of each level are ordered.
#ifndef BRAMBLEL_WIZARD_MODE_PAGE_H
#define BRAMBLEL_WIZARD_MODE_PAGE_H

#include <QWidget>

class QButtonGroup;
class QComboBox;

namespace bramblel {

class ModePage : public QWidget {
  Q_OBJECT
 public:
  explicit ModePage(QWidget* parent = nullptr);

  // Checks the given choices; -1 checks none.
  void Preset(int mode, int description);
  // 0 following links from a base file, 1 listing a folder; -1 for none.
  int Mode() const;
  // 0 the TITLE tag, 1 the META description; -1 for none.
  int Description() const;
  // The order of the tree's entries (VELLUM_ORDER_...); an order the list
  // does not know shows as by name.
  void SetOrder(int order);
  int Order() const;
  QButtonGroup* Modes() const { return modes_; }
  QButtonGroup* Descriptions() const { return descriptions_; }
  QComboBox* Orders() const { return order_; }

 private:
  QButtonGroup* modes_;
  QButtonGroup* descriptions_;
  QComboBox* order_;
};

}  // namespace bramblel

#endif  // BRAMBLEL_WIZARD_MODE_PAGE_H

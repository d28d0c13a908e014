// The form view: six tabs over the pages of the site map's settings. The
// first five tabs always show the same pages; the sixth shows the page that
// belongs to the chosen output type.
#ifndef BRAMBLEL_SHELL_FORM_VIEW_H
#define BRAMBLEL_SHELL_FORM_VIEW_H

#include <QWidget>
#include <vector>

#include "vellum/vellum.h"

class QStackedWidget;
class QTabWidget;

namespace bramblel {

class FormPage;
class FontsPage;
class IndexPage;
class LayoutPage;
class LevelTablePage;
class MapPage;
class NavigationListPage;
class PageContentPage;
class StylePage;
class TreePage;
class UlTypePage;
class XmlSitemapPage;

// The sixth tab's label for an output type.
QString SixthTabLabel(int output_type);

class FormView : public QWidget {
  Q_OBJECT
 public:
  enum Tab { kMapTab, kLayoutTab, kStyleTab, kPageContentTab, kFontsTab, kSixthTab };

  explicit FormView(const EngineConfig* config, QWidget* parent = nullptr);

  QTabWidget* Tabs() const { return tabs_; }
  MapPage* Map() const { return map_; }
  LayoutPage* Layout() const { return layout_; }
  StylePage* Style() const { return style_; }
  PageContentPage* PageContent() const { return page_content_; }
  FontsPage* Fonts() const { return fonts_; }
  UlTypePage* UlType() const { return ul_type_; }
  TreePage* Tree() const { return tree_; }
  NavigationListPage* NavigationList() const { return navigation_list_; }
  LevelTablePage* LevelTable() const { return level_table_; }
  XmlSitemapPage* XmlSitemap() const { return xml_sitemap_; }

  // Every page but the Map page, in the order they are collected.
  const std::vector<FormPage*>& SettingsPages() const { return settings_pages_; }
  // Points the sixth tab at the page and label of output_type.
  void ShowSixthPageFor(int output_type);
  // Moves the focus between the tab bar and the page it shows.
  void SwitchPane();

 private:
  QTabWidget* tabs_;
  MapPage* map_;
  LayoutPage* layout_;
  StylePage* style_;
  PageContentPage* page_content_;
  FontsPage* fonts_;
  UlTypePage* ul_type_;
  TreePage* tree_;
  IndexPage* index_;
  NavigationListPage* navigation_list_;
  LevelTablePage* level_table_;
  XmlSitemapPage* xml_sitemap_;
  QStackedWidget* sixth_;
  std::vector<FormPage*> settings_pages_;
};

}  // namespace bramblel

#endif  // BRAMBLEL_SHELL_FORM_VIEW_H

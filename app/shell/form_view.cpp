#include "shell/form_view.h"

#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "pages/controls.h"
#include "pages/fonts_page.h"
#include "pages/index_page.h"
#include "pages/layout_page.h"
#include "pages/level_table_page.h"
#include "pages/map_page.h"
#include "pages/navigation_list_page.h"
#include "pages/page_content_page.h"
#include "pages/style_page.h"
#include "pages/tree_page.h"
#include "pages/ul_type_page.h"

namespace bramblel {

namespace {

// The sixth tab's pages, in their stack order, with their labels.
constexpr const char* kSixthLabels[] = {"UL Type Properties", "Tree Properties", "Index Properties",
                                        "Navigation List Properties", "Level Table Properties"};

int SixthPageIndex(int output_type) {
  switch (output_type) {
    case VELLUM_OUTPUT_ICON_TREE:
    case VELLUM_OUTPUT_SCRIPT_TREE:
      return 1;
    case VELLUM_OUTPUT_INDEX_PAGE:
      return 2;
    case VELLUM_OUTPUT_NAV_COMBO:
      return 3;
    case VELLUM_OUTPUT_LEVEL_TABLE:
      return 4;
    default:
      return 0;
  }
}

}  // namespace

QString SixthTabLabel(int output_type) {
  return FormView::tr(kSixthLabels[SixthPageIndex(output_type)]);
}

FormView::FormView(const EngineConfig* config, QWidget* parent)
    : QWidget(parent),
      tabs_(new QTabWidget(this)),
      map_(new MapPage),
      layout_(new LayoutPage(config)),
      style_(new StylePage),
      page_content_(new PageContentPage),
      fonts_(new FontsPage),
      ul_type_(new UlTypePage),
      tree_(new TreePage),
      index_(new IndexPage),
      navigation_list_(new NavigationListPage),
      level_table_(new LevelTablePage),
      sixth_(new QStackedWidget) {
  settings_pages_ = {layout_, style_, page_content_,    fonts_,      ul_type_,
                     tree_,   index_, navigation_list_, level_table_};
  for (FormPage* page :
       std::initializer_list<FormPage*>{ul_type_, tree_, index_, navigation_list_, level_table_}) {
    sixth_->addWidget(page);
  }
  // Every tab label stays readable: the form is at least as wide as its tabs.
  tabs_->setUsesScrollButtons(false);
  tabs_->addTab(map_, tr("Map"));
  tabs_->addTab(layout_, tr("Layout"));
  tabs_->addTab(style_, tr("Style"));
  tabs_->addTab(page_content_, tr("Page Content"));
  tabs_->addTab(fonts_, tr("Fonts"));
  tabs_->addTab(sixth_, QString());
  ShowSixthPageFor(style_->OutputType());
  connect(style_, &StylePage::OutputTypeChanged, this, &FormView::ShowSixthPageFor);
  // A name being typed on the Map page lands in its node before another
  // page shows.
  connect(tabs_, &QTabWidget::currentChanged, map_, &MapPage::Commit);

  auto* view = new QVBoxLayout(this);
  view->addWidget(tabs_);
}

FormPage* FormView::SixthPage() const { return static_cast<FormPage*>(sixth_->currentWidget()); }

void FormView::ShowSixthPageFor(int output_type) {
  ul_type_->ShowPagedList(output_type == VELLUM_OUTPUT_PAGED_UL_LIST);
  tree_->ShowScriptTree(output_type == VELLUM_OUTPUT_SCRIPT_TREE);
  sixth_->setCurrentIndex(SixthPageIndex(output_type));
  tabs_->setTabText(kSixthTab, SixthTabLabel(output_type));
}

void FormView::SwitchPane() {
  if (tabs_->tabBar()->hasFocus()) {
    FocusFirstField(tabs_->currentWidget());
  } else {
    tabs_->tabBar()->setFocus(Qt::TabFocusReason);
  }
}

}  // namespace bramblel

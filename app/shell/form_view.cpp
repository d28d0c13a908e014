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
#include "pages/xml_sitemap_page.h"

namespace bramblel {

namespace {

// The sixth tab's pages, in their stack order, with their labels.
constexpr const char* kSixthLabels[] = {"UL Type Properties",     "Tree Properties",
                                        "Index Properties",       "Navigation List Properties",
                                        "Level Table Properties", "XML Site Map Properties"};

// The output file a new site map starts with, and its counterpart for the
// XML site map.
constexpr QLatin1String kPageDefault("sitemap.html");
constexpr QLatin1String kXmlDefault("sitemap.xml");

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
    case VELLUM_OUTPUT_XML_SITEMAP:
      return 5;
    default:
      return 0;
  }
}

// The output file once output_type is chosen: a name still at the default
// of the other kind of file takes this kind's default; a name the user gave
// stays.
QString OutputFileFor(int output_type, const QString& output_file) {
  if (output_type == VELLUM_OUTPUT_XML_SITEMAP) {
    return output_file == kPageDefault ? QString(kXmlDefault) : output_file;
  }
  return WithGzip(output_file, false) == kXmlDefault ? QString(kPageDefault) : output_file;
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
      xml_sitemap_(new XmlSitemapPage),
      sixth_(new QStackedWidget) {
  settings_pages_ = {layout_, style_, page_content_,    fonts_,       ul_type_,
                     tree_,   index_, navigation_list_, level_table_, xml_sitemap_};
  for (FormPage* page : std::initializer_list<FormPage*>{ul_type_, tree_, index_, navigation_list_,
                                                         level_table_, xml_sitemap_}) {
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
  connect(style_, &StylePage::OutputTypeChanged, this, [this](int type) {
    layout_->OutputFile()->setText(OutputFileFor(type, layout_->OutputFile()->text()));
  });
  // The gzip box and the output file's ".gz" are one setting.
  connect(layout_->OutputFile(), &QLineEdit::textChanged, xml_sitemap_,
          &XmlSitemapPage::ShowOutputFile);
  connect(xml_sitemap_, &XmlSitemapPage::GzipChosen, this, [this](bool compressed) {
    layout_->OutputFile()->setText(WithGzip(layout_->OutputFile()->text(), compressed));
  });
  // A name being typed on the Map page lands in its node before another
  // page shows.
  connect(tabs_, &QTabWidget::currentChanged, map_, &MapPage::Commit);

  auto* view = new QVBoxLayout(this);
  view->addWidget(tabs_);
}

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

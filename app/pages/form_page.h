// One page of the form view: a plain form over the settings of the project's
// site map, filled from the stored item and read back into a parameter record.
#ifndef BRAMBLEL_PAGES_FORM_PAGE_H
#define BRAMBLEL_PAGES_FORM_PAGE_H

#include <QWidget>
#include <cstdint>

#include "pages/engine_text.h"
#include "vellum/vellum.h"

namespace bramblel {

// What one collect pass produces: the settings, the flag bits the pages own
// (only ever set, into a word the caller has initialised), the project's
// site URL and the texts they point to.
struct Collected {
  SiteMapSettings settings{};
  uint32_t flags = 0;
  TextStore texts;
  int32_t markup = VELLUM_MARKUP_CLASSIC;  // the project's page markup (VELLUM_MARKUP_)
  // The open project's site URL as the pages show it (not part of the site
  // map's settings); null when no page shows it.
  const char* site_url = nullptr;
  // The open project's VELLUM_SITEMAP_ flags as the pages show them; -1
  // when no page shows them.
  int32_t sitemap_extras = -1;
};

class FormPage : public QWidget {
  Q_OBJECT
 public:
  using QWidget::QWidget;

  // Shows the settings and flag word of a stored site map.
  virtual void Fill(const ScriptItem& item) = 0;
  // Reads the controls into the settings and flag bits this page owns.
  virtual void Collect(Collected& out) const = 0;
};

}  // namespace bramblel

#endif  // BRAMBLEL_PAGES_FORM_PAGE_H

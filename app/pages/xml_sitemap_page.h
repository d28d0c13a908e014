// The XML Site Map page: the site's public address that a map of pages on
// disk needs, gzip compression of the map's files, and what the map says of
// each page beside its address (its pictures, its language versions). A map beyond the
// protocol's limits is split by the engine on its own.
#ifndef BRAMBLEL_PAGES_XML_SITEMAP_PAGE_H
#define BRAMBLEL_PAGES_XML_SITEMAP_PAGE_H

#include "pages/controls.h"
#include "pages/form_page.h"

class QCheckBox;

namespace bramblel {

// Whether the engine writes the map to output_file gzip-compressed: the
// name ends in ".gz", in any case.
bool IsGzipName(const QString& output_file);
// output_file with ".gz" added or taken away, as compressed asks.
QString WithGzip(const QString& output_file, bool compressed);

class XmlSitemapPage : public FormPage {
  Q_OBJECT
 public:
  explicit XmlSitemapPage(QWidget* parent = nullptr);

  // The site URL and the extras are the open project's
  // (VellumGetSiteSettings), not the site map's: they are shown with the
  // item and collected into site_url and sitemap_extras.
  void Fill(const ScriptItem& item) override;
  void Collect(Collected& out) const override;
  // Checks the gzip box as the output file's name says.
  void ShowOutputFile(const QString& output_file);

  QLineEdit* SiteUrl() const { return site_url_; }
  QCheckBox* Images() const { return images_; }
  QCheckBox* Alternates() const { return alternates_; }

 signals:
  // The user checked or cleared the gzip box.
  void GzipChosen(bool compressed);

 private:
  QLineEdit* site_url_;
  QCheckBox* gzip_;
  QCheckBox* images_;
  QCheckBox* alternates_;
  EngineText site_url_text_;
};

}  // namespace bramblel

#endif  // BRAMBLEL_PAGES_XML_SITEMAP_PAGE_H

#include "pages/xml_sitemap_page.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace bramblel {

namespace {

constexpr QLatin1String kGzip(".gz");

}  // namespace

bool IsGzipName(const QString& output_file) {
  return output_file.endsWith(kGzip, Qt::CaseInsensitive);
}

QString WithGzip(const QString& output_file, bool compressed) {
  if (IsGzipName(output_file) == compressed) return output_file;
  return compressed ? output_file + kGzip : output_file.chopped(kGzip.size());
}

XmlSitemapPage::XmlSitemapPage(QWidget* parent)
    : FormPage(parent),
      site_url_(new QLineEdit(this)),
      gzip_(new QCheckBox(tr("Compress with &gzip (adds .gz to the output file)"), this)),
      images_(new QCheckBox(tr("List each page's p&ictures (image:image)"), this)),
      alternates_(
          new QCheckBox(tr("List each page's &language versions (xhtml:link hreflang)"), this)) {
  site_url_->setPlaceholderText(QStringLiteral("https://www.example.com/"));
  auto* site_note = new QLabel(tr("The public address at which the folder of the last scan is "
                                  "published: a map of pages on disk lists them under it."),
                               this);
  site_note->setWordWrap(true);
  auto* split_note = new QLabel(tr("A map of more than 50,000 addresses or 50 MB is split into "
                                   "numbered parts beside the output file, which then lists "
                                   "them."),
                                this);
  split_note->setWordWrap(true);
  auto* extras_note = new QLabel(tr("Pictures and language versions are found by the scans "
                                    "made after they are checked."),
                                 this);
  extras_note->setWordWrap(true);
  connect(gzip_, &QCheckBox::clicked, this, &XmlSitemapPage::GzipChosen);

  auto* form = new QFormLayout;
  AddFormRow(*form, tr("Site &URL:"), site_url_);
  form->addRow(QString(), site_note);

  auto* page = new QVBoxLayout(this);
  page->addLayout(form);
  page->addSpacing(8);
  page->addWidget(gzip_);
  page->addWidget(split_note);
  page->addSpacing(8);
  page->addWidget(images_);
  page->addWidget(alternates_);
  page->addWidget(extras_note);
  page->addStretch(1);
}

void XmlSitemapPage::Fill(const ScriptItem&) {
  const VellumSiteSettings site = VellumFilled(VellumGetSiteSettings);
  site_url_->setText(site_url_text_.Show(site.SiteURL));
  images_->setChecked((site.SitemapExtras & VELLUM_SITEMAP_IMAGES) != 0);
  alternates_->setChecked((site.SitemapExtras & VELLUM_SITEMAP_ALTERNATES) != 0);
}

void XmlSitemapPage::Collect(Collected& out) const {
  out.site_url = out.texts.Keep(site_url_text_.Take(site_url_->text()));
  out.sitemap_extras = (images_->isChecked() ? VELLUM_SITEMAP_IMAGES : 0) |
                       (alternates_->isChecked() ? VELLUM_SITEMAP_ALTERNATES : 0);
}

void XmlSitemapPage::ShowOutputFile(const QString& output_file) {
  gzip_->setChecked(IsGzipName(output_file));
}

}  // namespace bramblel

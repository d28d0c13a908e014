#include "pages/page_content_page.h"

#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace bramblel {

void SetRichText(QPlainTextEdit& field, EngineText& text, const char* value) {
  field.setPlainText(text.Show(value));
  text.Displayed(field.toPlainText());
  field.document()->setModified(false);
}

const char* GetRichText(const QPlainTextEdit& field, const EngineText& text, TextStore& store) {
  QByteArray value = text.Take(field.toPlainText());
  return store.Keep(value.isEmpty() ? QByteArray() : std::move(value));
}

namespace {

// A multi-line HTML field that asks for a few lines only: the three of them
// share the page and grow with the window.
class HtmlField : public QPlainTextEdit {
 public:
  using QPlainTextEdit::QPlainTextEdit;
  QSize sizeHint() const override {
    return {QPlainTextEdit::sizeHint().width(), fontMetrics().lineSpacing() * 5};
  }
};

QPlainTextEdit* NewHtmlField(QWidget* parent) {
  auto* field = new HtmlField(parent);
  field->setTabChangesFocus(true);
  field->setLineWrapMode(QPlainTextEdit::NoWrap);
  return field;
}

}  // namespace

PageContentPage::PageContentPage(QWidget* parent)
    : FormPage(parent),
      title_(new QLineEdit(this)),
      background_(new ColorField(tr("Choose..."), this)),
      image_(new QLineEdit(this)),
      above_(NewHtmlField(this)),
      below_(NewHtmlField(this)),
      head_(NewHtmlField(this)) {
  auto* choose_image = new QPushButton(tr("Choose..."), this);
  setTabOrder(image_, choose_image);
  connect(choose_image, &QPushButton::clicked, this, &PageContentPage::ChooseImage);
  auto* image_row = new QHBoxLayout;
  image_row->addWidget(image_, 1);
  image_row->addWidget(choose_image);

  auto* form = new QFormLayout;
  AddFormRow(*form, tr("Page &title:"), title_);
  AddFormRow(*form, tr("&Background color:"), background_->Edit(), background_);
  AddFormRow(*form, tr("&Image:"), image_, image_row);

  auto* page = new QVBoxLayout(this);
  page->addLayout(form);
  const std::pair<QString, QPlainTextEdit*> fields[] = {
      {tr("Text &above the site map: (HTML)"), above_},
      {tr("Text be&low the site map: (HTML)"), below_},
      {tr("HEA&D tags: (HTML)"), head_},
  };
  for (const auto& [label_text, field] : fields) {
    auto* label = new QLabel(label_text, this);
    label->setBuddy(field);
    page->addWidget(label);
    page->addWidget(field, 1);
  }
}

void PageContentPage::Fill(const ScriptItem& item) {
  const SiteMapSettings& settings = item.Body.SiteMap;
  title_->setText(title_text_.Show(settings.Title));
  background_->Edit()->setText(background_text_.Show(settings.BgColor));
  image_->setText(image_text_.Show(settings.BackgroundImage));
  SetRichText(*above_, above_text_, settings.TextAbove);
  SetRichText(*below_, below_text_, settings.TextBelow);
  SetRichText(*head_, head_text_, settings.HeadTags);
}

void PageContentPage::Collect(Collected& out) const {
  SiteMapSettings& settings = out.settings;
  settings.Title = out.texts.Keep(title_text_.Take(title_->text()));
  settings.BgColor = out.texts.Keep(background_text_.Take(background_->Edit()->text()));
  settings.BackgroundImage = out.texts.Keep(image_text_.Take(image_->text()));
  settings.TextAbove = GetRichText(*above_, above_text_, out.texts);
  settings.TextBelow = GetRichText(*below_, below_text_, out.texts);
  settings.HeadTags = GetRichText(*head_, head_text_, out.texts);
}

void PageContentPage::ChooseImage() {
  const QString chosen = QFileDialog::getOpenFileName(
      this, QString(), QString(), tr("Image files (*.gif *.jpg *.bmp);;All Files (*)"));
  if (!chosen.isEmpty()) image_->setText(chosen);
}

}  // namespace bramblel

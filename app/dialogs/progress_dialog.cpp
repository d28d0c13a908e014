#include "dialogs/progress_dialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "pages/engine_text.h"

namespace bramblel {

namespace {

// The window the engine reports to; one long call runs at a time.
ProgressDialog* active = nullptr;

}  // namespace

ProgressDialog::ProgressDialog(int kind, const QString& title, QWidget* parent)
    : QDialog(parent),
      count_(new QLabel(this)),
      item_(new QLabel(this)),
      elapsed_(new QLabel(this)),
      cancel_(new QPushButton(tr("Cancel"), this)),
      kind_(kind) {
  setWindowTitle(title);
  setWindowModality(Qt::ApplicationModal);
  clock_.start();
  item_->setTextFormat(Qt::PlainText);
  item_->setMinimumWidth(item_->fontMetrics().averageCharWidth() * 60);
  item_->setWordWrap(true);
  connect(cancel_, &QPushButton::clicked, this, &ProgressDialog::Cancel);
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(cancel_, QDialogButtonBox::RejectRole);

  auto* window = new QVBoxLayout(this);
  window->addWidget(count_);
  window->addWidget(item_);
  window->addWidget(elapsed_);
  window->addStretch(1);
  window->addWidget(buttons);
}

ProgressDialog::~ProgressDialog() {
  if (active == this) {
    VellumSetProgressCallback(nullptr);
    active = nullptr;
  }
}

int ProgressDialog::Run(const std::function<int()>& call) {
  cancelled_ = false;
  clock_.start();
  Report(VellumProgress{kind_, 0, 0, nullptr, nullptr, 0});
  show();
  QApplication::processEvents();
  active = this;
  VellumSetProgressCallback(&ProgressDialog::OnProgress);
  const int result = call();
  VellumSetProgressCallback(nullptr);
  active = nullptr;
  hide();
  return result;
}

void ProgressDialog::Report(const VellumProgress& progress) {
  if (progress.Kind == VELLUM_PROGRESS_UPLOAD) {
    count_->setText(tr("Files sent: %1 of %2").arg(progress.Done).arg(progress.Total));
  } else {
    count_->setText(tr("Pages read: %1").arg(progress.Done));
  }
  QString item = FromEngine(progress.Item);
  if (progress.Target != nullptr) item += tr("\nto %1").arg(QString::fromUtf8(progress.Target));
  item_->setText(item);
  elapsed_->setText(tr("Elapsed time: %1 s").arg(clock_.elapsed() / 1000));
}

int32_t ProgressDialog::OnProgress(const VellumProgress* progress) {
  ProgressDialog* dialog = active;
  if (dialog == nullptr) return 0;
  // The window stays live while the engine works: it repaints and takes the
  // Cancel click. Being modal, it keeps every other window from input.
  // A call without an item only lets the window live while the engine waits.
  if (progress->Item != nullptr) dialog->Report(*progress);
  QApplication::processEvents();
  return dialog->cancelled_ ? 1 : 0;
}

void ProgressDialog::reject() { Cancel(); }

void ProgressDialog::Cancel() {
  cancelled_ = true;
  cancel_->setEnabled(false);
  cancel_->setText(tr("Stopping..."));
}

}  // namespace bramblel

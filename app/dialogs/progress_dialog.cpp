#include "dialogs/progress_dialog.h"

#include <QDialogButtonBox>
#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace bramblel {

namespace {

// A call that reports nothing shows its window once it has lasted this long.
constexpr int kQuietCallWindowDelayMs = 400;

QString Duration(qint64 ms) {
  const qint64 seconds = ms / 1000;
  return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

ProgressDialog::ProgressDialog(int kind, const QString& title, QWidget* parent)
    : QDialog(parent),
      bar_(new QProgressBar(this)),
      count_(new QLabel(this)),
      rate_(new QLabel(this)),
      elapsed_(new QLabel(this)),
      item_(new QLabel(this)),
      cancel_(new QPushButton(tr("Cancel"), this)),
      kind_(kind) {
  setWindowTitle(title);
  setWindowModality(Qt::ApplicationModal);
  clock_.start();
  latest_.kind = kind;
  bar_->setVisible(kind == VELLUM_PROGRESS_UPLOAD);
  item_->setTextFormat(Qt::PlainText);
  item_->setMinimumWidth(item_->fontMetrics().averageCharWidth() * 60);
  item_->setWordWrap(true);
  connect(cancel_, &QPushButton::clicked, this, &ProgressDialog::Cancel);
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(cancel_, QDialogButtonBox::RejectRole);
  cancel_->setEnabled(kind != kGenerate);
  tick_.setInterval(100);
  // Each repaint shows the worker's latest report: the engine's reports
  // cost this thread nothing between two repaints.
  connect(&tick_, &QTimer::timeout, this, [this] {
    latest_ = EngineWorker::Instance()->Latest();
    latest_.kind = kind_;
    Paint();
  });

  auto* window = new QVBoxLayout(this);
  window->addWidget(bar_);
  window->addWidget(count_);
  window->addWidget(rate_);
  window->addWidget(elapsed_);
  window->addWidget(item_);
  window->addStretch(1);
  window->addWidget(buttons);
  Paint();
}

int ProgressDialog::Run(const std::function<int()>& call) {
  cancelled_ = false;
  clock_.start();
  latest_ = ProgressReport{};
  latest_.kind = kind_;
  Paint();
  EngineWorker* worker = EngineWorker::Instance();
  QEventLoop wait;
  int result = 0;
  const QMetaObject::Connection finished =
      connect(worker, &EngineWorker::Finished, &wait, [&wait, &result](int returned) {
        result = returned;
        wait.quit();
      });
  QTimer late;
  if (kind_ == kGenerate) {
    late.setSingleShot(true);
    connect(&late, &QTimer::timeout, this, &QDialog::show);
    late.start(kQuietCallWindowDelayMs);
  } else {
    show();
  }
  tick_.start();
  worker->Start(call);
  // Input waits while a call that cannot be stopped runs without a window.
  wait.exec(kind_ == kGenerate ? QEventLoop::ExcludeUserInputEvents : QEventLoop::AllEvents);
  disconnect(finished);
  tick_.stop();
  hide();
  return result;
}

void ProgressDialog::Report(const VellumProgress& progress) {
  latest_ = CopyProgress(progress);
  Paint();
}

void ProgressDialog::Paint() {
  const ProgressReport& at = latest_;
  const qint64 ms = clock_.elapsed();
  const double rate = ms < 1000 ? 0.0 : at.done * 1000.0 / static_cast<double>(ms);
  if (kind_ == VELLUM_PROGRESS_UPLOAD) {
    bar_->setRange(0, qMax(at.total, 1));
    bar_->setValue(qMin(at.done, qMax(at.total, 1)));
    count_->setText(tr("Files sent: %1 of %2").arg(at.done).arg(at.total));
    rate_->setText(tr("Files a second: %1").arg(rate, 0, 'f', 1));
  } else if (kind_ == kGenerate) {
    count_->setText(tr("Writing the site map..."));
    rate_->clear();
  } else {
    count_->setText(tr("Pages read: %1, queued: %2, failed: %3")
                        .arg(at.done)
                        .arg(qMax(at.total - at.done, 0))
                        .arg(at.failed));
    rate_->setText(tr("Pages a second: %1").arg(rate, 0, 'f', 1));
  }
  elapsed_->setText(tr("Elapsed time: %1").arg(Duration(ms)));
  QString item = at.item;
  if (!at.target.isNull()) item += tr("\nto %1").arg(at.target);
  item_->setText(item);
}

void ProgressDialog::reject() {
  if (kind_ != kGenerate) Cancel();
}

void ProgressDialog::Cancel() {
  if (cancelled_) return;
  cancelled_ = true;
  EngineWorker::Instance()->Stop();
  cancel_->setEnabled(false);
  cancel_->setText(tr("Stopping..."));
}

}  // namespace bramblel

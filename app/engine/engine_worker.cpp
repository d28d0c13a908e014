#include "engine/engine_worker.h"

#include <QCoreApplication>
#include <QMetaMethod>
#include <QThread>
#include <utility>

namespace bramblel {

namespace {

EngineWorker* worker = nullptr;

QString Text(const char* text) { return text == nullptr ? QString() : QString::fromUtf8(text); }

}  // namespace

ProgressReport CopyProgress(const VellumProgress& progress) {
  return ProgressReport{progress.Kind,   progress.Done,       progress.Total,
                        progress.Failed, Text(progress.Item), Text(progress.Target)};
}

EngineWorker* EngineWorker::Instance() {
  if (worker == nullptr) {
    auto* thread = new QThread;
    thread->setObjectName(QStringLiteral("engine"));
    worker = new EngineWorker;
    worker->moveToThread(thread);
    thread->start();
  }
  return worker;
}

EngineWorker::EngineWorker() { qRegisterMetaType<ProgressReport>(); }

void EngineWorker::Start(std::function<int()> call) {
  stop_ = false;
  {
    const QMutexLocker lock(&mutex_);
    latest_ = ProgressReport{};
  }
  QMetaObject::invokeMethod(
      this,
      [this, call = std::move(call)] {
        VellumSetProgressHandler(&EngineWorker::OnProgress, this);
        const int result = call();
        VellumSetProgressHandler(nullptr, nullptr);
        emit Finished(result);
      },
      Qt::QueuedConnection);
}

ProgressReport EngineWorker::Latest() const {
  const QMutexLocker lock(&mutex_);
  return latest_;
}

int32_t EngineWorker::OnProgress(const VellumProgress* progress, void* data) {
  auto* worker = static_cast<EngineWorker*>(data);
  {
    const QMutexLocker lock(&worker->mutex_);
    ProgressReport& latest = worker->latest_;
    latest.kind = progress->Kind;
    latest.done = progress->Done;
    latest.total = progress->Total;
    latest.failed = progress->Failed;
    // While the engine waits it reports the counts alone: the item stays.
    if (progress->Item != nullptr) {
      latest.item = Text(progress->Item);
      latest.target = Text(progress->Target);
    }
  }
  static const QMetaMethod progressed = QMetaMethod::fromSignal(&EngineWorker::Progressed);
  if (worker->isSignalConnected(progressed)) emit worker->Progressed(CopyProgress(*progress));
  return worker->stop_ ? 1 : 0;
}

}  // namespace bramblel

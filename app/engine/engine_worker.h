// The one thread that makes the window program's long engine calls (a scan,
// a generation, an upload) while the GUI thread keeps its event loop: the
// engine stays single-threaded, for nothing else calls it while a call runs
// here. Progress leaves as a signal; a stop is a flag that the engine's
// progress callback returns.
#ifndef BRAMBLEL_ENGINE_ENGINE_WORKER_H
#define BRAMBLEL_ENGINE_ENGINE_WORKER_H

#include <QMetaType>
#include <QMutex>
#include <QObject>
#include <QString>
#include <atomic>
#include <functional>

#include "vellum/vellum.h"

namespace bramblel {

// A copy of one VellumProgress that outlives the engine's call to the
// callback. item and target are null strings where the engine gave null
// (item is null while the engine waits between items).
struct ProgressReport {
  int kind = 0;
  int done = 0;
  int total = 0;
  int failed = 0;
  QString item;
  QString target;
};

ProgressReport CopyProgress(const VellumProgress& progress);

class EngineWorker : public QObject {
  Q_OBJECT
 public:
  // The worker, made with its thread on first use. The thread waits for
  // calls until the process ends: ended at exit, its network library state
  // would be freed while that library's own exit clean-up runs.
  static EngineWorker* Instance();

  // Makes call on the worker's thread and returns at once; Finished carries
  // what call returned. One call at a time: the caller waits for Finished.
  void Start(std::function<int()> call);
  // Asks the engine to stop at its next progress report. Any thread.
  void Stop() { stop_ = true; }
  // The engine's latest report of the call running or last run, the last
  // item kept while the engine waits between items. Any thread: a window
  // reads it when it repaints, however often the engine reports.
  ProgressReport Latest() const;

 signals:
  // Emitted on the worker's thread for each progress report of the engine,
  // before the engine is told whether to stop (only while something is
  // connected: a report costs a copy).
  void Progressed(const bramblel::ProgressReport& report);
  void Finished(int result);

 private:
  EngineWorker();
  static int32_t OnProgress(const VellumProgress* progress, void* data);

  std::atomic<bool> stop_{false};
  mutable QMutex mutex_;
  ProgressReport latest_;  // guarded by mutex_
};

}  // namespace bramblel

Q_DECLARE_METATYPE(bramblel::ProgressReport)

#endif  // BRAMBLEL_ENGINE_ENGINE_WORKER_H

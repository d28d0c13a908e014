// What the window program's tests share: the engine started once per test
// program, message boxes answered by the test, and site maps made with the
// engine's own operations.
#ifndef BRAMBLEL_TESTS_APP_FIXTURE_H
#define BRAMBLEL_TESTS_APP_FIXTURE_H

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>

#include "dialogs/progress_dialog.h"
#include "engine/engine_worker.h"
#include "shell/application.h"
#include "shell/document.h"
#include "shell/engine_link.h"
#include "shell/prompts.h"
#include "vellum/vellum.h"

namespace bramblel {

// Records every message box and answers each with `answer`.
struct Prompts {
  Prompts() {
    SetPromptHandler([this](Prompt, const QString& text) {
      shown.append(text);
      return answer;
    });
  }
  ~Prompts() { SetPromptHandler(nullptr); }
  QStringList shown;
  Answer answer = Answer::kOk;
};

inline EngineConfig* StartTestEngine() {
  NameApplication();
  return StartEngine(QCoreApplication::applicationFilePath());
}

// A fresh project whose one item is of kind (a site map unless asked
// otherwise) with params and flags.
inline Project* MakeProject(const SiteMapParams& params, uint32_t flags,
                            uint32_t kind = VELLUM_KIND_SSITEMAP) {
  Project* project = HTMLprjClose(0);
  const AddRequest request{0, kind, &params, flags};
  HTMLprjAdd(&request);
  return project;
}

// Runs act on the first modal window of type Window that comes up (and for
// which ready holds) while the test's own call runs; the watch ends with
// owner.
template <typename Window>
void WhenShown(QObject* owner, std::function<void(Window*)> act,
               std::function<bool(Window*)> ready = nullptr) {
  auto* timer = new QTimer(owner);
  QObject::connect(timer, &QTimer::timeout, owner, [timer, act, ready] {
    auto* window = qobject_cast<Window*>(QApplication::activeModalWidget());
    if (window == nullptr || (ready && !ready(window))) return;
    timer->stop();
    act(window);
  });
  timer->start(0);
}

// Clicks Cancel in the progress window at the first report of the engine
// worker for which at holds; the worker waits for the click, so the engine
// hears the stop at that very report. The watch ends with owner.
inline void CancelAt(QObject* owner, std::function<bool(const ProgressReport&)> at) {
  auto seen = std::make_shared<std::atomic<bool>>(false);
  QObject::connect(
      EngineWorker::Instance(), &EngineWorker::Progressed, owner,
      [owner, at, seen](const ProgressReport& report) {
        if (*seen || !at(report)) return;
        *seen = true;
        QMetaObject::invokeMethod(
            owner,
            [] {
              auto* progress = qobject_cast<ProgressDialog*>(QApplication::activeModalWidget());
              if (progress != nullptr) progress->CancelButton()->click();
            },
            Qt::BlockingQueuedConnection);
      },
      Qt::DirectConnection);
}

inline QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace bramblel

#endif  // BRAMBLEL_TESTS_APP_FIXTURE_H

// What the window program's tests share: the engine started once per test
// program, message boxes answered by the test, and site maps made with the
// engine's own operations.
#ifndef BRAMBLEL_TESTS_APP_FIXTURE_H
#define BRAMBLEL_TESTS_APP_FIXTURE_H

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

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

inline QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace bramblel

#endif  // BRAMBLEL_TESTS_APP_FIXTURE_H

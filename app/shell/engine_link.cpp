#include "shell/engine_link.h"

#include <QFile>

#include "shell/prompts.h"

namespace bramblel {

namespace {

std::function<void(const QString&)>& StatusSink() {
  static std::function<void(const QString&)> sink;
  return sink;
}

int32_t ShowInfo(const char* text) {
  if (StatusSink()) StatusSink()(QString::fromUtf8(text));
  return 1;
}

int32_t ShowError(const char* text) {
  Ask(Prompt::kError, QString::fromUtf8(text));
  return 1;
}

int32_t AskQuestion(const char* text) {
  return Ask(Prompt::kQuestion, QString::fromUtf8(text)) == Answer::kYes ? 1 : 0;
}

}  // namespace

EngineConfig* StartEngine(const QString& program_path) {
  HTMLinitmess(ShowInfo, ShowError, AskQuestion, 0, 0, QFile::encodeName(program_path).constData());
  return HTMLgetCfg(0);
}

void SetStatusSink(std::function<void(const QString&)> sink) { StatusSink() = std::move(sink); }

RecordInfo::RecordInfo() : outer_(StatusSink()) {
  StatusSink() = [this](const QString& line) {
    lines.append(line);
    if (outer_) outer_(line);
  };
}

RecordInfo::~RecordInfo() { StatusSink() = std::move(outer_); }

}  // namespace bramblel

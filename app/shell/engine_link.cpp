#include "shell/engine_link.h"

#include <QCoreApplication>
#include <QFile>
#include <QThread>
#include <cerrno>
#include <cstring>
#include <optional>
#include <utility>

#include "dialogs/password_dialog.h"
#include "shell/prompts.h"

namespace bramblel {

namespace {

std::function<void(const QString&)>& StatusSink() {
  static std::function<void(const QString&)> sink;
  return sink;
}

// The line the engine is sending in pieces, up to its line feed.
QByteArray& PendingLine() {
  static QByteArray line;
  return line;
}

// The system's error number when the engine last reported a failure.
int& LastErrorNumber() {
  static int number = 0;
  return number;
}

void Deliver(const QByteArray& line) {
  const QString text = QString::fromUtf8(line).trimmed();
  if (!text.isEmpty() && StatusSink()) StatusSink()(text);
}

void TakeInfo(const QByteArray& text) {
  QByteArray& pending = PendingLine();
  pending += text;
  qsizetype end;
  while ((end = pending.indexOf('\n')) >= 0) {
    const QByteArray line = pending.left(end);
    pending.remove(0, end + 1);
    Deliver(line);
  }
}

void TakeError(const QString& text, int error_number) {
  LastErrorNumber() = error_number;
  EndInfoLine();
  Ask(Prompt::kError, text);
}

int32_t TakeQuestion(const QString& text) {
  EndInfoLine();
  return Ask(Prompt::kQuestion, text) == Answer::kYes ? 1 : 0;
}

// The engine worker's calls report on its thread: lines and failures go to
// the GUI thread queued, in the order sent, and a question waits there for
// its answer.
bool OnGuiThread() { return QThread::currentThread() == QCoreApplication::instance()->thread(); }

int32_t ShowInfo(const char* text) {
  if (OnGuiThread()) {
    TakeInfo(text);
  } else {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [text = QByteArray(text)] { TakeInfo(text); },
        Qt::QueuedConnection);
  }
  return 1;
}

int32_t ShowError(const char* text) {
  const int error_number = errno;
  if (OnGuiThread()) {
    TakeError(QString::fromUtf8(text), error_number);
  } else {
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [text = QString::fromUtf8(text), error_number] { TakeError(text, error_number); },
        Qt::QueuedConnection);
  }
  return 1;
}

// Runs ask on the GUI thread, the calling thread waiting there for it.
void OnGuiThreadAndWait(const std::function<void()>& ask) {
  if (OnGuiThread()) {
    ask();
  } else {
    QMetaObject::invokeMethod(QCoreApplication::instance(), ask, Qt::BlockingQueuedConnection);
  }
}

int32_t AskQuestion(const char* text) {
  const QString question = QString::fromUtf8(text);
  int32_t answer = 0;
  OnGuiThreadAndWait([&answer, &question] { answer = TakeQuestion(question); });
  return answer;
}

// A password the engine needs comes from the password dialog, asked like a
// question; one too long for the engine's room is none.
int32_t GivePassword(const char* prompt, char* password, int32_t size, int32_t* remember) {
  const QString text = QString::fromUtf8(prompt);
  std::optional<PasswordAnswer> answer;
  OnGuiThreadAndWait([&answer, &text] {
    EndInfoLine();
    answer = AskPassword(text);
  });
  if (!answer) return 0;
  QByteArray bytes = answer->password.toUtf8();
  const bool fits = bytes.size() < size;
  if (fits) {
    std::memcpy(password, bytes.constData(), bytes.size() + 1);
    *remember = answer->remember ? 1 : 0;
  }
  bytes.fill('\0');
  return fits ? 1 : 0;
}

}  // namespace

EngineConfig* StartEngine(const QString& program_path) {
  HTMLinitmess(ShowInfo, ShowError, AskQuestion, 0, 0, QFile::encodeName(program_path).constData());
  VellumSetPasswordCallback(GivePassword);
  return HTMLgetCfg(0);
}

void SetStatusSink(std::function<void(const QString&)> sink) { StatusSink() = std::move(sink); }

void EndInfoLine() {
  if (PendingLine().isEmpty()) return;
  Deliver(std::exchange(PendingLine(), QByteArray()));
}

void ForgetEngineFailure() { LastErrorNumber() = 0; }

QString EngineFailureReason() {
  const int number = LastErrorNumber();
  return number == 0 ? QString() : QString::fromLocal8Bit(std::strerror(number));
}

RecordInfo::RecordInfo() : outer_(StatusSink()) {
  StatusSink() = [this](const QString& line) {
    lines.append(line);
    if (outer_) outer_(line);
  };
}

RecordInfo::~RecordInfo() {
  EndInfoLine();
  StatusSink() = std::move(outer_);
}

}  // namespace bramblel

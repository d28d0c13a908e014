// Everything the engine tells the user leaves through one of three
// callbacks, as one finished line of text. Failure texts come from the fixed
// MessageTable, indexed by ErrorCode.
#pragma once

#include <cstdio>
#include <string>

#include "vellum/vellum.h"

namespace vellum::core {

// Indexes into the MessageTable. Only the codes the engine raises are named.
enum class ErrorCode : int {
  kMemoryOverflow = 0,
  kFileNotFound = 1,
  kCantOpenFile = 2,
  kReadError = 3,
  kWriteError = 4,
  kNoFirewall = 7,
  kNoServerName = 8,
  kBadProject = 9,
  kInvalidVersion = 18,
  kInternetOpenFails = 22,
  kBadUpload = 24,
  kUnableUpload = 25,
};

inline constexpr int kMessageCount = 54;

// The message texts, printed exactly as the system has always shown them.
extern const char* const MessageTable[kMessageCount];

// The callbacks of the application; a null member drops its reports.
struct MessageSink {
  InfoCallback info = nullptr;
  ErrorCallback error = nullptr;
  QuestionCallback question = nullptr;
};

// Installs the callbacks and makes MessageTable current. Before this every
// report is dropped, except within a ReportHold; the reports it kept are
// delivered now, in the order they were made, through the new callbacks.
void InstallMessageSink(const MessageSink& sink);

// While one lives, and only when no sink has been installed yet, reports are
// kept for the first InstallMessageSink instead of being dropped, and the
// table texts are available to format them. Used by the engine's start-up,
// which runs before the application's callbacks are known.
class ReportHold {
 public:
  ReportHold();
  ~ReportHold();
  ReportHold(const ReportHold&) = delete;
  ReportHold& operator=(const ReportHold&) = delete;
};

// The text of code in the current table; null before InstallMessageSink
// (outside a ReportHold).
const char* MessageText(ErrorCode code);

void ReportInfo(const char* text);
void ReportError(const char* text);

// Asks the user through the question callback; without one the answer is no.
bool Ask(const char* text);

// Held around every call of one of the application's callbacks: while one
// lives on a thread, the engine is in the middle of a call there and must
// not be entered again (the exports ask InsideCallback).
class CallbackScope {
 public:
  CallbackScope();
  ~CallbackScope();
  CallbackScope(const CallbackScope&) = delete;
  CallbackScope& operator=(const CallbackScope&) = delete;
};
bool InsideCallback();
// "runtime error #%i" with number, to the error callback.
void ReportRuntimeError(int number);

// printf-style formatting into a string of whatever length it needs.
template <typename... Args>
std::string FormatText(const char* format, Args... args) {
  int length = std::snprintf(nullptr, 0, format, args...);
  if (length <= 0) return {};
  std::string text(static_cast<std::size_t>(length), '\0');
  std::snprintf(text.data(), text.size() + 1, format, args...);
  return text;
}

// Sends the table text of code through report; with arguments, the text is
// formatted with them first.
template <typename... Args>
void ReportCode(void (*report)(const char*), ErrorCode code, Args... args) {
  const char* text = MessageText(code);
  if (text == nullptr) return;
  if constexpr (sizeof...(Args) == 0) {
    report(text);
  } else {
    report(FormatText(text, args...).c_str());
  }
}

template <typename... Args>
void ReportErrorCode(ErrorCode code, Args... args) {
  ReportCode(ReportError, code, args...);
}

template <typename... Args>
void ReportInfoCode(ErrorCode code, Args... args) {
  ReportCode(ReportInfo, code, args...);
}

inline void ReportMemoryOverflow() { ReportErrorCode(ErrorCode::kMemoryOverflow); }

}  // namespace vellum::core

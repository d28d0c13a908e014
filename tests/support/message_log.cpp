#include "support/message_log.h"

#include "core/messages.h"

namespace vellum::test {

int32_t RecordInfo(const char* text) {
  Messages().info.emplace_back(text);
  return 1;
}

int32_t RecordError(const char* text) {
  Messages().errors.emplace_back(text);
  return 1;
}

int32_t RecordQuestion(const char* text) {
  Messages().questions.emplace_back(text);
  return Messages().answer;
}

MessageLog& Messages() {
  static MessageLog log;
  return log;
}

MessageLog& InstallMessageLog() {
  // Emptied first: installing delivers the reports held back until now.
  Messages() = MessageLog{};
  core::InstallMessageSink({RecordInfo, RecordError, RecordQuestion});
  return Messages();
}

}  // namespace vellum::test

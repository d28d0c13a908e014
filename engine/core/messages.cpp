#include "core/messages.h"

#include <utility>
#include <vector>

namespace vellum::core {

const char* const MessageTable[kMessageCount] = {
    "memory overflou",
    "file '%s' not found",
    "can't open file '%s'",
    "read error in the file",
    "write error in the file",
    "bad structure of file '%s'",
    "empty file name",
    "in system it is not determined firewall",
    "not determined name server",
    "'%s' - bad profect (line %i)",
    "   line-%i, col-%i Error: ",
    "   line-%i, col-%i Message: ",
    "total errors: %i, messages: %i\n",
    "bad tag </%s>",
    "missing tag </%s>",
    "'%s' - not tag",
    "invalid command '%s' in tag '%s'",
    "page '%s' not found",
    "invalid version project file",
    "'<BODY>' tag not found in '%s'",
    "'</BODY>' tag not found in '%s'",
    "'%s' label not found in '%s'",
    "InternetOpen is fails",
    "'%s' connection refused",
    "'%s' Bad Upload",
    "Unable upload '%s'",
    "<<< Images >>>\n",
    "<<< Pages >>>\n",
    "<<< Site Report >>>\n",
    " - NOT FOUND!\n",
    "   %s - %i used",
    "main page = %s\n",
    "   Total pages = %i\n",
    "   Total size pages = %i\n",
    "   Total images = %i\n",
    "   Total size images = %i\n",
    "syntax error",
    "unpaired parentheses ()",
    "this not expression",
    "expected symbol of equality",
    "'%s' - not variable",
    "necessary operator TO",
    "necessary operator THEN",
    "necessary operator CASE",
    "division by zero",
    "NEXT/FOR mismatch",
    "if/else/endif mismatch",
    "select/endselect mismatch",
    "function/endfunction mismatch",
    "ENDWHILE not correspond WHILE",
    "memory overflou",
    "data type mismatch",
    "'%s' method not found",
    "wrong number of parameters",
};

namespace {

MessageSink current_sink;
const char* const* current_table = nullptr;

struct HeldReport {
  bool is_error;
  std::string text;
};

bool holding = false;
std::vector<HeldReport> held;

thread_local int callback_depth = 0;

}  // namespace

void InstallMessageSink(const MessageSink& sink) {
  current_sink = sink;
  current_table = MessageTable;
  holding = false;
  for (const HeldReport& report : std::exchange(held, {})) {
    if (report.is_error) {
      ReportError(report.text.c_str());
    } else {
      ReportInfo(report.text.c_str());
    }
  }
}

ReportHold::ReportHold() { holding = current_table == nullptr; }

ReportHold::~ReportHold() { holding = false; }

const char* MessageText(ErrorCode code) {
  const char* const* table = holding ? MessageTable : current_table;
  if (table == nullptr) return nullptr;
  return table[static_cast<int>(code)];
}

CallbackScope::CallbackScope() { ++callback_depth; }

CallbackScope::~CallbackScope() { --callback_depth; }

bool InsideCallback() { return callback_depth > 0; }

void ReportInfo(const char* text) {
  if (current_sink.info != nullptr) {
    const CallbackScope scope;
    current_sink.info(text);
  } else if (holding) {
    held.push_back({false, text});
  }
}

void ReportError(const char* text) {
  if (current_sink.error != nullptr) {
    const CallbackScope scope;
    current_sink.error(text);
  } else if (holding) {
    held.push_back({true, text});
  }
}

bool Ask(const char* text) {
  if (current_sink.question == nullptr) return false;
  const CallbackScope scope;
  return current_sink.question(text) != 0;
}

void ReportRuntimeError(int number) {
  ReportError(FormatText("runtime error #%i", number).c_str());
}

}  // namespace vellum::core

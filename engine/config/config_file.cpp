#include "config/config_file.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <string_view>

#include "config/engine_config.h"
#include "config/entry_lexer.h"
#include "core/file_loading.h"
#include "core/memory.h"
#include "core/messages.h"
#include "core/text_file.h"
#include "core/text_utils.h"

namespace vellum::config {
namespace {

// One persisted setting: a text, or a number (of which the flags are those
// that are stored as 0 or 1). The table's order is the file's order.
struct Setting {
  const char* key;
  const char* EngineConfig::*text;
  int32_t EngineConfig::*number;
  bool is_flag;
};

constexpr Setting kSettings[] = {
    {"ExtPage", &EngineConfig::ExtPage, nullptr, false},
    {"ExtPicts", &EngineConfig::ExtPicts, nullptr, false},
    {"Editor", &EngineConfig::Editor, nullptr, false},
    {"Firewall", &EngineConfig::Firewall, nullptr, false},
    {"PortFW", nullptr, &EngineConfig::PortFW, false},
    {"Passive", nullptr, &EngineConfig::Passive, true},
    {"Proxy", &EngineConfig::Proxy, nullptr, false},
    {"PortProxy", nullptr, &EngineConfig::PortProxy, false},
    {"UseProxy", nullptr, &EngineConfig::UseProxy, true},
};

// Reports that the file at path could not be read past line; 0, the result
// of the read.
int SyntaxError(const std::string& path, int line) {
  core::ReportInfoCode(core::ErrorCode::kBadProject, path.c_str(), line);
  return 0;
}

const Setting* FindSetting(const Token& token) {
  if (token.kind != TokenKind::kWord) return nullptr;
  for (const Setting& setting : kSettings) {
    if (core::EqualsNoCase(token.text, setting.key)) return &setting;
  }
  return nullptr;
}

// Stores a copy of text (none when empty) in member, which is none.
void StoreCopy(const char*& member, std::string_view text) {
  if (text.empty()) return;
  member = core::CopyText(text);
  if (member == nullptr) core::ReportMemoryOverflow();
}

// Reads "= value" behind the key of setting into config. False when the
// syntax does not hold: the setting then keeps the value it had.
bool ReadValue(EntryLexer& lexer, const Setting& setting, EngineConfig& config) {
  if (lexer.Next().kind != TokenKind::kAssign) return false;
  const Token value = lexer.Next();
  if (setting.text != nullptr) {
    if (value.kind != TokenKind::kString) return false;
    const char*& member = config.*setting.text;
    ReleaseMember(member);
    StoreCopy(member, value.text);
    return true;
  }
  if (value.kind != TokenKind::kNumber) return false;
  const int32_t number = NumberValue(value.text);
  config.*setting.number = setting.is_flag ? (number != 0) : number;
  return true;
}

constexpr const char* kRefusedText =
    "'%s' not changed: Vellum.cfg can't hold a value with a double quote or ending in a backslash";
constexpr const char* kRefusedLineFeed =
    "'%s' not changed: Vellum.cfg can't hold a value with a line feed";
constexpr const char* kRefusedNumber = "'%s' not changed: Vellum.cfg can't hold a negative number";

// Why the string rule of the reader would not give text back unchanged from
// between a pair of quotes on one line (a line feed, a double quote that a
// backslash does not keep, a backslash that would keep the closing quote),
// or null when it would.
const char* CarryFault(std::string_view text) {
  if (text.find('\n') != std::string_view::npos) return kRefusedLineFeed;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] == '"') return kRefusedText;
    if (text[at] == '\\' && ++at == text.size()) return kRefusedText;
  }
  return nullptr;
}

// The set-string rule: an absent or empty value makes the member none, an
// equal one leaves it alone, any other replaces it with a copy.
void PutText(const Setting& setting, const char*& member, const char* value) {
  if (value == nullptr || *value == '\0') {
    ReleaseMember(member);
    return;
  }
  if (member != nullptr && std::strcmp(member, value) == 0) return;
  if (const char* fault = CarryFault(value)) {
    core::ReportError(core::FormatText(fault, setting.key).c_str());
    return;
  }
  char* copy = core::CopyText(value);
  ReleaseMember(member);
  member = copy;
  if (copy == nullptr) core::ReportMemoryOverflow();
}

void PutNumber(const Setting& setting, int32_t& member, int32_t value) {
  // The syntax has no sign: a negative number would be written as a file
  // that stops reading at it.
  if (value < 0 && !setting.is_flag) {
    core::ReportError(core::FormatText(kRefusedNumber, setting.key).c_str());
    return;
  }
  member = value;
}

bool WritePieces(core::TextFile& file, std::initializer_list<std::string_view> pieces) {
  for (std::string_view piece : pieces) {
    if (!core::CheckedWrite(file, piece)) return false;
  }
  return true;
}

bool WriteSetting(core::TextFile& file, const Setting& setting, const EngineConfig& config) {
  if (setting.text != nullptr) {
    const char* text = config.*setting.text;
    return text == nullptr || WritePieces(file, {setting.key, "=\"", text, "\"\n"});
  }
  const int32_t number = config.*setting.number;
  if (number == 0) return true;
  if (setting.is_flag) return WritePieces(file, {setting.key, "=1", "\n"});
  return WritePieces(file, {setting.key, "=", std::to_string(number), "\n"});
}

}  // namespace

int ReadConfigFile(const std::string& path, EngineConfig& config) {
  core::LoadedText loaded;
  if (!core::LoadWholePath(path, loaded, core::kSilent)) return 0;
  // A string ends on its line: a missing quote is found on the line that
  // lacks it, not in a value that swallowed the lines below.
  bool stray_comment_end = false;
  EntryLexer lexer(
      loaded.data.get(), [&stray_comment_end] { stray_comment_end = true; }, StringLines::kOne);
  for (;;) {
    const Token token = lexer.Next();
    const int line = lexer.line();
    if (stray_comment_end) return SyntaxError(path, line);
    if (token.kind == TokenKind::kEnd) return 1;
    const Setting* setting = FindSetting(token);
    if (setting == nullptr || !ReadValue(lexer, *setting, config)) return SyntaxError(path, line);
  }
}

bool WriteConfigFile(const std::string& path, const EngineConfig& config) {
  core::FileReplacement replacement(path, core::FileMode::kWriteText);
  if (!replacement.file().IsOpen()) {
    core::ReportErrorCode(core::ErrorCode::kCantOpenFile, path.c_str());
    return false;
  }
  for (const Setting& setting : kSettings) {
    if (!WriteSetting(replacement.file(), setting, config)) return false;
  }
  if (!replacement.Commit()) {
    core::ReportErrorCode(core::ErrorCode::kWriteError);
    return false;
  }
  return true;
}

std::string UserConfigPath() {
  // Where the user's settings live on this platform: $XDG_CONFIG_HOME, or
  // ~/.config without it (an empty or relative value counts as none).
  const char* config_home = std::getenv("XDG_CONFIG_HOME");
  if (config_home != nullptr && config_home[0] == '/') {
    return std::string(config_home) + "/vellumark/Vellum.cfg";
  }
  const char* home = std::getenv("HOME");
  if (home == nullptr || home[0] != '/') {
    const passwd* account = getpwuid(getuid());
    home = account != nullptr ? account->pw_dir : nullptr;
  }
  if (home == nullptr || home[0] != '/') return {};
  return std::string(home) + "/.config/vellumark/Vellum.cfg";
}

void PutConfig(const EngineConfig& settings) {
  EngineConfig& config = TheConfig();
  for (const Setting& setting : kSettings) {
    if (setting.text != nullptr) {
      PutText(setting, config.*setting.text, settings.*setting.text);
    } else {
      PutNumber(setting, config.*setting.number, settings.*setting.number);
    }
  }
  const std::string path = UserConfigPath();
  if (path.empty()) {
    core::ReportError("no home folder for the user's Vellum.cfg");
    return;
  }
  std::error_code ignored;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
  WriteConfigFile(path, config);
}

void ReleaseSettings(EngineConfig& config) {
  for (const Setting& setting : kSettings) {
    if (setting.text != nullptr) ReleaseMember(config.*setting.text);
  }
}

}  // namespace vellum::config

#include "session.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <optional>
#include <system_error>
#include <tuple>

namespace vellumark {
namespace {

bool error_reported = false;
void (*before_message)() = nullptr;
// While a project is being read, its messages go to standard error.
bool reading_project = false;

// The folder the command was started in, taken before a project's folder is
// made the current one; empty when it no longer exists (then relative paths
// stay as given and fail where they are used, with the engine's message).
std::filesystem::path CurrentFolder() {
  std::error_code error;
  std::filesystem::path folder = std::filesystem::current_path(error);
  return error ? std::filesystem::path() : folder;
}
const std::filesystem::path start_folder = CurrentFolder();

// Engine texts come as whole lines or as pieces of one: a line feed that
// ends a piece ends a line; any other is escaped with the rest.
void PrintEngineText(const char* text, std::FILE* stream) {
  const std::string printable = Printable(text, /*line_end=*/true);
  std::fwrite(printable.data(), 1, printable.size(), stream);
}

int32_t PrintInfo(const char* text) {
  if (before_message != nullptr) before_message();
  if (reading_project) {
    // A fault of the project file itself means it was not read whole; any
    // other word (a source page that is gone) is a warning.
    if (std::strstr(text, "bad profect") != nullptr) error_reported = true;
    PrintEngineText(text, stderr);
    return 1;
  }
  PrintEngineText(text, stdout);
  return 1;
}

int32_t PrintError(const char* text) {
  if (before_message != nullptr) before_message();
  error_reported = true;
  PrintEngineText(text, stderr);
  // Error texts come without a line end; progress lines carry their own.
  std::size_t length = std::char_traits<char>::length(text);
  if (length == 0 || text[length - 1] != '\n') std::fputc('\n', stderr);
  return 1;
}

// There is nobody to ask: every question gets the answer the command line
// gave in advance, no unless told otherwise.
bool answer_yes = false;
int32_t Answer(const char*) { return answer_yes ? 1 : 0; }

// The terminal as it was before a password prompt turned its echo off, and
// what SIGINT, SIGTERM and SIGHUP did before the prompt.
termios terminal_before_prompt{};
constexpr int kPromptSignals[] = {SIGINT, SIGTERM, SIGHUP};
struct sigaction actions_before_prompt[std::size(kPromptSignals)];

// A signal in the middle of a prompt: the terminal gets its echo back and
// the prompt's line ends (calls that are safe in a handler), then the signal
// takes the course it had before the prompt (the engine's cleanup, or the
// end of the program), as soon as this handler returns.
void EndPromptOnSignal(int signal_number) {
  tcsetattr(STDIN_FILENO, TCSANOW, &terminal_before_prompt);
  static_cast<void>(write(STDERR_FILENO, "\n", 1) == 1);
  for (std::size_t i = 0; i < std::size(kPromptSignals); ++i) {
    if (kPromptSignals[i] == signal_number) {
      sigaction(signal_number, &actions_before_prompt[i], nullptr);
    }
  }
  raise(signal_number);
}

// The terminal's echo, off for as long as this lives.
class EchoOff {
 public:
  explicit EchoOff(const termios& saved) {
    terminal_before_prompt = saved;
    struct sigaction action {};
    action.sa_handler = EndPromptOnSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal_number : kPromptSignals) sigaddset(&action.sa_mask, signal_number);
    for (std::size_t i = 0; i < std::size(kPromptSignals); ++i) {
      sigaction(kPromptSignals[i], &action, &actions_before_prompt[i]);
      // An ignored signal stays ignored.
      if (actions_before_prompt[i].sa_handler == SIG_IGN) {
        sigaction(kPromptSignals[i], &actions_before_prompt[i], nullptr);
      }
    }
    termios quiet = saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
  }
  ~EchoOff() {
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &terminal_before_prompt);
    std::fputc('\n', stderr);
    for (std::size_t i = 0; i < std::size(kPromptSignals); ++i) {
      sigaction(kPromptSignals[i], &actions_before_prompt[i], nullptr);
    }
  }
  EchoOff(const EchoOff&) = delete;
  EchoOff& operator=(const EchoOff&) = delete;
};

// A password the engine asks for is read from the terminal without echo, or,
// when standard input is not a terminal, as its next line (so a script can
// pipe it in). Nothing is remembered in the keyring.
int32_t ReadPassword(const char* prompt, char* password, int32_t size, int32_t* remember) {
  *remember = 0;
  termios saved{};
  std::optional<EchoOff> echo_off;
  if (tcgetattr(STDIN_FILENO, &saved) == 0) {
    if (before_message != nullptr) before_message();
    std::fprintf(stderr, "%s: ", Printable(prompt).c_str());
    std::fflush(stderr);
    echo_off.emplace(saved);
  }
  std::string line;
  int c = 0;
  while ((c = std::getchar()) != EOF && c != '\n') line += static_cast<char>(c);
  echo_off.reset();
  const bool given = (c == '\n' || !line.empty()) && line.size() < static_cast<std::size_t>(size);
  if (given) std::memcpy(password, line.c_str(), line.size() + 1);
  std::fill(line.begin(), line.end(), '\0');
  return given ? 1 : 0;
}

// What tells one version of a file from another: where it is stored, its
// size and its time. Empty when the file cannot be read.
using FileStamp = std::optional<std::tuple<dev_t, ino_t, off_t, long, long>>;

FileStamp StampOf(const std::string& path) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0) return std::nullopt;
  return std::make_tuple(info.st_dev, info.st_ino, info.st_size, info.st_mtim.tv_sec,
                         info.st_mtim.tv_nsec);
}

std::string opened_path;
FileStamp opened_stamp;

// A lock file can be trusted when this user made it: a regular file of the
// user's with no other name. Anything else (a link, a FIFO, another user's
// file, a second name of some file) may have been put there to make this
// command write where it should not, or to keep it waiting for ever.
bool IsOwnLockFile(const struct stat& info) {
  return S_ISREG(info.st_mode) && info.st_uid == geteuid() && info.st_nlink == 1;
}

// The process that wrote its number into the lock file, as " (process N)";
// empty when the file holds no number.
std::string HolderOf(int fd) {
  char digits[24];
  const ssize_t length = pread(fd, digits, sizeof digits - 1, 0);
  if (length <= 0) return {};
  std::size_t end = 0;
  while (end < static_cast<std::size_t>(length) && digits[end] >= '0' && digits[end] <= '9') ++end;
  if (end == 0) return {};
  return " (process " + std::string(digits, end) + ")";
}

// Commands on one project take turns: each holds an advisory lock on the file
// "PROJECT.lock" beside it from before it reads the project to its exit, and
// writes its process number into it for a command that waits to name. The
// system drops the lock when the process ends, however it ends, so a lock
// never outlives its holder. The file is made readable and writable by its
// owner alone, so no other user can hold the lock; where none can be made (a
// folder that cannot be written) the command goes on without one. False
// (reported) when the file there is not one this user made.
bool LockProject(const std::string& project) {
  const std::string lock_path = project + ".lock";
  const int fd =
      open(lock_path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
  struct stat info;
  const bool trusted = fd >= 0 ? fstat(fd, &info) == 0 && IsOwnLockFile(info)
                               : lstat(lock_path.c_str(), &info) != 0 || IsOwnLockFile(info);
  if (!trusted) {
    if (fd >= 0) close(fd);
    ReportFailure("'" + lock_path +
                  "' is not a lock file this user made (a regular file of the user's, with no "
                  "other name): remove it to work on the project");
    return false;
  }
  if (fd < 0) return true;
  if ((info.st_mode & 077) != 0) fchmod(fd, 0600);
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    std::fprintf(stderr, "vellumark: waiting for another command on '%s'%s\n",
                 Printable(project).c_str(), HolderOf(fd).c_str());
    while (flock(fd, LOCK_EX) != 0 && errno == EINTR) {
    }
  }
  // The number only makes a waiting command's message better: not written,
  // it changes nothing else.
  const std::string holder = std::to_string(getpid()) + "\n";
  const bool noted = ftruncate(fd, 0) == 0 && pwrite(fd, holder.data(), holder.size(), 0) ==
                                                  static_cast<ssize_t>(holder.size());
  static_cast<void>(noted);
  return true;
}

// The length of the well-formed UTF-8 character at the start of text, 0 when
// it does not start with one of two bytes or more.
std::size_t Utf8Length(std::string_view text) {
  const auto byte = [&text](std::size_t at) { return static_cast<unsigned char>(text[at]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (text.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t at = 2; at < length; ++at) {
    if ((byte(at) & 0xC0) != 0x80) return 0;
  }
  return length;
}

void AppendHex(std::string& out, unsigned char code) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  out += "\\x";
  out += kDigits[code >> 4];
  out += kDigits[code & 0xF];
}

}  // namespace

void StartEngine() {
  std::error_code ignored;
  std::string program = std::filesystem::read_symlink("/proc/self/exe", ignored).string();
  HTMLinitmess(PrintInfo, PrintError, Answer, 0, 0, program.c_str());
  VellumSetPasswordCallback(ReadPassword);
  // Interrupted or stopped, vellumark leaves nothing behind.
  VellumCleanUpOnSignals();
}

void AnswerYes() { answer_yes = true; }

bool ErrorReported() { return error_reported; }

void SetBeforeMessage(void (*hook)()) { before_message = hook; }

void ReportFailure(const std::string& text) {
  if (before_message != nullptr) before_message();
  error_reported = true;
  std::fprintf(stderr, "vellumark: %s\n", Printable(text).c_str());
}

std::string Printable(std::string_view text, bool line_end) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    const auto code = static_cast<unsigned char>(text[at]);
    if (code >= 0x80) {
      const std::size_t length = Utf8Length(text.substr(at));
      if (length == 2 && code == 0xC2 && static_cast<unsigned char>(text[at + 1]) <= 0x9F) {
        AppendHex(out, static_cast<unsigned char>(text[at + 1]));  // U+0080 to U+009F
      } else if (length > 0) {
        out.append(text.substr(at, length));
      } else if (code <= 0x9F) {
        AppendHex(out, code);  // read as C1 by a terminal that is not in UTF-8
      } else {
        out += text[at];
      }
      at += length > 0 ? length : 1;
      continue;
    }
    switch (code) {
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += line_end && at + 1 == text.size() ? "\n" : "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\\':
        out += "\\\\";
        break;
      default:
        if (code < 0x20 || code == 0x7F) {
          AppendHex(out, code);
        } else {
          out += text[at];
        }
    }
    ++at;
  }
  return out;
}

std::string AbsolutePath(const std::string& path) {
  if (path.empty()) return path;
  return (start_folder / path).lexically_normal().string();
}

Project* OpenProject(const std::string& path) {
  StartEngine();
  const std::string absolute = AbsolutePath(path);
  std::error_code error;
  if (!std::filesystem::is_regular_file(absolute, error)) {
    ReportFailure("no project file '" + absolute + "'");
    return nullptr;
  }
  opened_path = absolute;
  // Through a link, the lock is the real file's, which other links may name.
  const std::filesystem::path real = std::filesystem::canonical(absolute, error);
  if (!LockProject(error ? absolute : real.string())) return nullptr;
  std::filesystem::current_path(std::filesystem::path(absolute).parent_path(), error);
  reading_project = true;
  opened_stamp = StampOf(absolute);
  Project* project = HTMLprjOpen(absolute.c_str());
  reading_project = false;
  if (error_reported) {
    ReportFailure("project '" + absolute + "' was not read whole; it is left as it is");
    return nullptr;
  }
  return project;
}

ScriptItem* SiteMapItem(Project& project) {
  if (project.ItemCount == 0 || project.Items[0].Kind != VELLUM_KIND_SSITEMAP) {
    SiteMapParams params = VellumNewSiteMapParams();
    AddRequest request{0, VELLUM_KIND_SSITEMAP, &params, VELLUM_NEW_SITE_MAP_FLAGS};
    if (HTMLprjAdd(&request) == nullptr) return nullptr;
  }
  return &project.Items[0];
}

SiteMap OpenSiteMap(const std::string& path) {
  Project* project = OpenProject(path);
  if (project == nullptr) return {};
  ScriptItem* item = SiteMapItem(*project);
  if (item == nullptr) return {};
  return {project, item};
}

bool SaveProject(const char* path) {
  // Written back over the file it came from only when nobody else changed
  // that file meanwhile: both versions are then kept.
  if (path == nullptr && opened_stamp && StampOf(opened_path) != opened_stamp) {
    ReportFailure("'" + opened_path + "' changed on disk since it was read; not saved over");
    return false;
  }
  if (HTMLprjSave(path) != nullptr) {
    if (path == nullptr) opened_stamp = StampOf(opened_path);
    return true;
  }
  // The engine reports why a file could not be written; a project without a
  // file path it passes over in silence.
  if (!ErrorReported()) ReportFailure("the project was not saved");
  return false;
}

}  // namespace vellumark

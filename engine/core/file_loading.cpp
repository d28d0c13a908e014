#include "core/file_loading.h"

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "core/directory_search.h"
#include "core/memory.h"
#include "core/messages.h"
#include "core/text_file.h"

namespace vellum::core {

void ReportNotFound(std::string_view name, int report_mode) {
  if (report_mode == kSilent) return;
  const char* format = MessageText(ErrorCode::kFileNotFound);
  if (format == nullptr) return;
  const std::string message = FormatText(format, std::string(name).c_str()) + "\n";
  if (report_mode == kReportAsError) {
    ReportError(message.c_str());
  } else {
    ReportInfo(message.c_str());
  }
}

void FreeDeleter::operator()(char* text) const { Release(text); }

bool LoadFile(const char* name, LoadedText& out, int report_mode) {
  out = LoadedText{};
  if (name == nullptr || *name == '\0' || *name == '#' || *name == '?') return false;
  return LoadWholePath(std::string(name, std::strcspn(name, "#?")), out, report_mode);
}

bool LoadWholePath(const std::string& path, LoadedText& out, int report_mode) {
  out = LoadedText{};
  TextFile file = TextFile::Open(path, FileMode::kReadText);
  if (!file.IsOpen()) {
    ReportNotFound(path, report_mode);
    return false;
  }

  const long size = file.StoredSize();
  char* buffer = size < 0
                     ? nullptr
                     : static_cast<char*>(Reallocate(nullptr, static_cast<std::size_t>(size) + 1));
  if (buffer == nullptr) {
    ReportMemoryOverflow();
    return false;
  }
  std::unique_ptr<char, FreeDeleter> data(buffer);
  std::size_t length = 0;
  if (size != 0) {
    length = file.Read(buffer, static_cast<std::size_t>(size));
    if (length == 0) {
      ReportErrorCode(ErrorCode::kReadError);
      return false;
    }
  }
  buffer[length] = '\0';
  out.data = std::move(data);
  out.length = length;
  return true;
}

bool FileExists(const char* name) {
  if (name == nullptr || *name == '\0') return false;
  return TextFile::Open(name, FileMode::kReadText).IsOpen();
}

bool ReadFileStamp(const char* name, FileStamp& out) {
  out.day = out.month = out.year = out.seconds = 0;
  if (name == nullptr || *name == '\0') return false;

  std::int64_t size = 0;
  std::time_t last_write = 0;
  struct stat info;
  if (std::strpbrk(name, "*?") == nullptr && stat(name, &info) == 0 && !S_ISDIR(info.st_mode)) {
    size = info.st_size;
    last_write = info.st_mtime;
  } else {
    std::vector<DirectoryEntry> found = SearchDirectory(name);
    if (found.empty()) return false;
    size = found.front().size;
    last_write = found.front().last_write;
  }

  std::tm local;
  localtime_r(&last_write, &local);
  out.size = static_cast<std::int32_t>(size);
  out.day = local.tm_mday;
  out.month = local.tm_mon;
  out.year = local.tm_year + 1900;
  out.seconds = local.tm_sec + 60 * (local.tm_min + 60 * local.tm_hour);
  return true;
}

}  // namespace vellum::core

// Upload targets, the record of what was uploaded to each, and the file-list
// operations that reach the project through the same request.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/memory.h"
#include "core/messages.h"
#include "core/text_utils.h"
#include "project/project.h"
#include "project/records.h"

namespace vellum::project {
namespace {

// The settings beside each target of a project, in target order. An entry
// is made afresh by every AppendTarget, so a list left over from a project
// that was closed is never read: entries at or past TargetCount do not count.
std::vector<TargetSecurity>& Securities(const Project& project) {
  static std::unordered_map<const Project*, std::vector<TargetSecurity>> securities;
  return securities[&project];
}

void DeleteTarget(Project& project, int32_t& index) {
  if (index < 0 || index >= project.TargetCount) return;
  project.Modified = 1;
  if (std::vector<TargetSecurity>& list = Securities(project);
      static_cast<std::size_t>(index) < list.size()) {
    list.erase(list.begin() + index);
  }
  ReleaseTarget(project.Targets[index]);
  EraseAt(project.Targets, project.TargetCount, index);
  if (index >= project.TargetCount) index = project.TargetCount - 1;
}

// The digest of the content each upload record's file had when it was
// sent, by the record's path text: the record of the public header has no
// place for it, and its path text stays where it is while the record lives
// (ReleaseTarget forgets it with the record).
std::unordered_map<const char*, uint64_t>& Digests() {
  static std::unordered_map<const char*, uint64_t> digests;
  return digests;
}

// Gives record the digest (none: forgets the one it had); true when that
// changed it.
bool SetDigest(const UploadedFile& record, std::optional<uint64_t> digest) {
  if (UploadDigest(record) == digest) return false;
  if (digest) {
    Digests()[record.Path] = *digest;
  } else {
    Digests().erase(record.Path);
  }
  return true;
}

// The place of the first record of path (compared without regard to case),
// or -1.
int FindUpload(const OutputTarget& target, const char* path) {
  for (int i = 0; i < target.UploadedCount; ++i) {
    if (core::EqualsNoCase(target.UploadedFiles[i].Path, path)) return i;
  }
  return -1;
}

}  // namespace

void ReleaseTarget(OutputTarget& target) {
  for (const char* text :
       {target.URL, target.Folder, target.Server, target.Login, target.Password}) {
    core::ReleaseText(text);
  }
  for (int i = 0; i < target.UploadedCount; ++i) {
    Digests().erase(target.UploadedFiles[i].Path);
    core::ReleaseText(target.UploadedFiles[i].Path);
  }
  core::Release(target.UploadedFiles);
  target = OutputTarget{};
}

OutputTarget* AppendTarget(Project& project) {
  project.Modified = 1;
  OutputTarget* target =
      InsertAt(project.Targets, project.TargetCount, project.TargetCount, ReleaseTarget);
  if (target != nullptr) {
    std::vector<TargetSecurity>& list = Securities(project);
    list.resize(project.TargetCount - 1);
    list.emplace_back();
  }
  return target;
}

const TargetSecurity& SecurityOf(const Project& project, int index) {
  static const TargetSecurity kDefault;
  const std::vector<TargetSecurity>& list = Securities(project);
  if (index < 0 || index >= project.TargetCount || static_cast<std::size_t>(index) >= list.size()) {
    return kDefault;
  }
  return list[index];
}

bool SetSecurity(Project& project, int index, TargetSecurity security) {
  std::vector<TargetSecurity>& list = Securities(project);
  if (index < 0 || index >= project.TargetCount) return false;
  if (static_cast<std::size_t>(index) >= list.size()) list.resize(project.TargetCount);
  if (list[index] == security) return false;
  list[index] = std::move(security);
  project.Modified = 1;
  return true;
}

namespace {

constexpr const char* kProtocolNames[] = {"ftp", "sftp", "ftps"};
constexpr const char* kPasswordSourceNames[] = {"", "netrc", "keyring", "ask"};

template <std::size_t N>
int32_t IndexOf(const char* const (&names)[N], std::string_view name) {
  for (std::size_t i = 0; i < N; ++i) {
    if (core::EqualsNoCase(name, names[i])) return static_cast<int32_t>(i);
  }
  return -1;
}

}  // namespace

const char* ProtocolName(int32_t protocol) {
  return protocol >= 0 && protocol < 3 ? kProtocolNames[protocol] : "";
}
int32_t ProtocolOf(std::string_view name) { return IndexOf(kProtocolNames, name); }
const char* PasswordSourceName(int32_t source) {
  return source >= 0 && source < 4 ? kPasswordSourceNames[source] : "";
}
int32_t PasswordSourceOf(std::string_view name) { return IndexOf(kPasswordSourceNames, name); }

bool SetTargetSettings(Project& project, OutputTarget& target, const OutputTarget& settings) {
  bool complete = true;
  const char** members[] = {&target.URL, &target.Folder, &target.Server, &target.Login,
                            &target.Password};
  const char* texts[] = {settings.URL, settings.Folder, settings.Server, settings.Login,
                         settings.Password};
  for (int i = 0; i < 5; ++i) {
    complete &= UpdateText(project, *members[i], texts[i]) != TextUpdate::kFailed;
  }
  target.Port = settings.Port;
  target.Flags = settings.Flags;
  return complete;
}

void ChangeTargets(Project& project, PrmRequest& request) {
  switch (request.Operation) {
    case VELLUM_PRM_MODIFY_TARGET:
      if (request.Index >= 0 && request.Index < project.TargetCount) {
        project.Modified = 1;
        SetTargetSettings(project, project.Targets[request.Index],
                          *static_cast<const OutputTarget*>(request.Data));
      }
      break;
    case VELLUM_PRM_APPEND_TARGET: {
      // A copy of the record: it may be one of the targets, which growing
      // the array moves (their texts stay where they are).
      const OutputTarget settings = *static_cast<const OutputTarget*>(request.Data);
      if (OutputTarget* target = AppendTarget(project)) {
        SetTargetSettings(project, *target, settings);
      }
      break;
    }
    case VELLUM_PRM_DELETE_TARGET:
      DeleteTarget(project, request.Index);
      break;
    case VELLUM_PRM_ADD_FILE:
    case VELLUM_PRM_REMOVE_FILE: {
      const auto* text = static_cast<const char*>(request.Data);
      if (text == nullptr) break;
      if (request.Operation == VELLUM_PRM_ADD_FILE) {
        AddFile(project, text);
      } else {
        RemoveFile(project, text);
      }
      RebuildSourceFiles(project);
      break;
    }
    default:
      break;
  }
}

bool RecordUpload(Project& project, OutputTarget& target, const char* path,
                  const core::FileStamp& stamp, std::optional<uint64_t> digest) {
  return RecordUploadAt(project, target, FindUpload(target, path), path, stamp, digest);
}

bool RecordUploadAt(Project& project, OutputTarget& target, int index, const char* path,
                    const core::FileStamp& stamp, std::optional<uint64_t> digest) {
  UploadedFile record{nullptr,
                      stamp.size,
                      static_cast<int8_t>(stamp.day),
                      static_cast<int8_t>(stamp.month),
                      static_cast<int16_t>(stamp.year),
                      stamp.seconds};
  if (index >= 0) {
    UploadedFile& known = target.UploadedFiles[index];
    if (!SameStamp(known, stamp)) {
      record.Path = known.Path;
      known = record;
      project.Modified = 1;
    }
    if (SetDigest(known, digest)) project.Modified = 1;
    return true;
  }

  auto* grown = core::ResizeArray(target.UploadedFiles, target.UploadedCount + 1);
  if (grown != nullptr) target.UploadedFiles = grown;
  record.Path = grown != nullptr ? core::CopyText(path) : nullptr;
  if (record.Path == nullptr) {
    core::ReportMemoryOverflow();
    return false;
  }
  target.UploadedFiles[target.UploadedCount++] = record;
  SetDigest(record, digest);
  project.Modified = 1;
  return true;
}

bool SameStamp(const UploadedFile& record, const core::FileStamp& stamp) {
  return record.Size == stamp.size && record.Day == static_cast<int8_t>(stamp.day) &&
         record.Month == static_cast<int8_t>(stamp.month) &&
         record.Year == static_cast<int16_t>(stamp.year) && record.Seconds == stamp.seconds;
}

std::optional<uint64_t> UploadDigest(const UploadedFile& record) {
  const auto found = Digests().find(record.Path);
  if (found == Digests().end()) return std::nullopt;
  return found->second;
}

std::string UploadDigestText(uint64_t digest) {
  return core::FormatText("%016llx", static_cast<unsigned long long>(digest));
}

std::optional<uint64_t> ParseUploadDigest(std::string_view text) {
  constexpr std::size_t kDigits = 16;
  if (text.size() != kDigits) return std::nullopt;
  uint64_t digest = 0;
  for (const char c : text) {
    const int value = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    if (value < 0) return std::nullopt;
    digest = digest << 4 | static_cast<uint64_t>(value);
  }
  return digest;
}

bool IsUnchangedSince(const UploadedFile& record, const core::FileStamp& stamp,
                      std::optional<uint64_t> digest) {
  const std::optional<uint64_t> sent = UploadDigest(record);
  if (sent && digest) return record.Size == stamp.size && *sent == *digest;
  return SameStamp(record, stamp);
}

}  // namespace vellum::project

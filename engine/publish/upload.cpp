#include "publish/upload.h"

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "config/engine_config.h"
#include "core/counted_string_list.h"
#include "core/messages.h"
#include "core/owned.h"
#include "core/text_file.h"
#include "core/text_utils.h"
#include "project/project.h"
#include "publish/channel.h"
#include "publish/compress.h"
#include "web/charset.h"
#include "web/links.h"
#include "web/page_access.h"
#include "web/tag_tokenizer.h"
#include "web/temporary_files.h"
#include "web/url_class.h"

namespace vellum::publish {
namespace {

constexpr const char* kNoTargetSelected = "Not determined(Not selected) any output target.";

// A table text about one file, as a line through the info callback.
void ReportFileLine(core::ErrorCode code, const char* path) {
  if (const char* format = core::MessageText(code)) {
    core::ReportInfo((core::FormatText(format, path) + "\n").c_str());
  }
}

// The files of one upload in order: each registered file, followed, when
// asked for, by the local files its page refers to. The list is indexed, so
// thousands of files cost no quadratic search.
class FileList {
 public:
  FileList() : index_(list_) {}
  ~FileList() { core::Clear(list_); }
  FileList(const FileList&) = delete;
  FileList& operator=(const FileList&) = delete;

  void AddRegistered(const char* registered, bool with_resources) {
    std::string page = registered;
    index_.Add(page.data(), 0);  // cuts the "?" and "#" parts
    page.resize(std::strlen(page.c_str()));
    if (core::IsAbsolutePath(page.c_str()) &&
        core::ExtensionInList(page.c_str(), config::TheConfig().ExtPage)) {
      page_folders_.emplace(page.c_str(), core::FileNamePart(page.c_str()) - page.c_str());
    }
    if (with_resources) AddResources(page);
  }

  // A registered file that is no page but lies below the folder of a
  // registered page (a picture that only the page's scripts show, say) keeps
  // its place below that folder, as a resource the page refers to does.
  void PlaceBesidePages() {
    for (int i = 0; i < list_.Count; ++i) {
      const char* path = list_.Entries[i].Text;
      if (!core::IsAbsolutePath(path) || site_paths_.contains(path) ||
          core::ExtensionInList(path, config::TheConfig().ExtPage)) {
        continue;
      }
      for (const std::string& folder : page_folders_) {
        if (std::string_view(path).starts_with(folder)) {
          site_paths_.emplace(path, path + folder.size());
          break;
        }
      }
    }
  }

  // Asks before a file outside the project (one that a shared project file
  // or a page names anywhere on the disk) is sent; the refused are reported
  // and left out of every target's upload.
  void ConfirmOutside(const Project& project) {
    const project::ProjectFolders folders(project);
    for (int i = 0; i < list_.Count; ++i) {
      const char* path = list_.Entries[i].Text;
      if (folders.Hold(path) ||
          core::Ask(core::FormatText("'%s' lies outside the project's folder. Upload it?", path)
                        .c_str())) {
        continue;
      }
      refused_.insert(i);
      core::ReportError(
          core::FormatText("'%s' lies outside the project's folder: not uploaded", path).c_str());
    }
  }

  int count() const { return list_.Count; }
  const char* path(int i) const { return list_.Entries[i].Text; }
  bool refused(int i) const { return refused_.contains(i); }
  // Whether link (its "?" and "#" parts aside) is a file of the list that
  // the upload sends.
  bool Sends(std::string_view link) const {
    const CountedString* entry = index_.Find(link.substr(0, link.find_first_of("?#")));
    return entry != nullptr && !refused_.contains(static_cast<int>(entry - list_.Entries));
  }
  // The files a target's upload handles: all but the refused.
  int handled_count() const { return list_.Count - static_cast<int>(refused_.size()); }

  // Where a file of the list goes below a target's folder: a registered
  // relative path as it stands; an absolute one by its file name; a
  // resource of an absolute page by its path below that page's folder, so
  // that the page's relative references still find it.
  std::string SitePath(const char* path) const {
    if (auto found = site_paths_.find(path); found != site_paths_.end()) return found->second;
    return core::IsAbsolutePath(path) ? core::FileNamePart(path) : path;
  }

 private:
  void AddResources(const std::string& page) {
    core::Owned<CountedStringList> found;
    web::GatherResources(page.c_str(), page.c_str(), *found);
    const bool absolute = core::IsAbsolutePath(page.c_str());
    const std::string_view folder(page.c_str(), core::FileNamePart(page.c_str()) - page.c_str());
    for (int i = 0; i < found->Count; ++i) {
      std::string link = found->Entries[i].Text;
      if (absolute && index_.Find(link) == nullptr && link.starts_with(folder)) {
        site_paths_.emplace(link, link.substr(folder.size()));
      }
      index_.Add(link.data(), 0);
    }
  }

  CountedStringList list_{};
  core::IndexedStringList index_;
  std::unordered_map<std::string, std::string> site_paths_;
  std::unordered_set<std::string> page_folders_;  // of the registered absolute pages
  std::unordered_set<int> refused_;
};

// The uploaded-file records of a target by path, compared without regard to
// case; the first record of a path wins, as in a search from the start.
class UploadIndex {
 public:
  explicit UploadIndex(const OutputTarget& target) {
    for (int i = 0; i < target.UploadedCount; ++i) Note(target, i);
  }

  int Find(const char* path) const {
    const auto found = index_.find(Key(path));
    return found == index_.end() ? -1 : found->second;
  }

  void Note(const OutputTarget& target, int i) {
    if (target.UploadedFiles[i].Path != nullptr)
      index_.emplace(Key(target.UploadedFiles[i].Path), i);
  }

 private:
  static std::string Key(std::string_view path) {
    std::string key(path);
    for (char& c : key) c = core::ToLowerAscii(c);
    return key;
  }

  std::unordered_map<std::string, int> index_;
};

// Temporary copies made to send one file, deleted once it is sent.
class TemporaryCopies {
 public:
  TemporaryCopies() = default;
  TemporaryCopies(const TemporaryCopies&) = delete;
  TemporaryCopies& operator=(const TemporaryCopies&) = delete;
  ~TemporaryCopies() {
    for (const std::string& copy : copies_) std::remove(copy.c_str());
  }

  const std::string& Keep(std::string copy) { return copies_.emplace_back(std::move(copy)); }
  bool Holds(const std::string& file) const { return !copies_.empty() && copies_.back() == file; }

 private:
  std::vector<std::string> copies_;
};

// The digest of a local file's stored bytes (64-bit FNV-1a), read in
// bounded blocks; nothing for a web address or a file that cannot be read.
std::optional<uint64_t> DigestOf(const char* path) {
  if (web::IsWebAddress(path)) return std::nullopt;
  core::TextFile file = core::TextFile::Open(path, core::FileMode::kReadBinary);
  if (!file.IsOpen()) return std::nullopt;
  uint64_t digest = 0xcbf29ce484222325u;
  std::vector<char> block(1 << 16);
  for (std::size_t got; (got = file.Read(block.data(), block.size())) > 0;) {
    for (std::size_t i = 0; i < got; ++i) {
      digest = (digest ^ static_cast<unsigned char>(block[i])) * 0x100000001b3u;
    }
  }
  if (file.Failed()) return std::nullopt;
  return digest;
}

// The attribute of a tag that names another file of a site as a whole (a
// page, a frame, a style sheet, a script), if any.
const char* FileLinkAttribute(std::string_view tag) {
  for (const auto& [name, attribute] :
       {std::pair{"A", "HREF"}, std::pair{"AREA", "HREF"}, std::pair{"LINK", "HREF"},
        std::pair{"FRAME", "SRC"}, std::pair{"IFRAME", "SRC"}, std::pair{"SCRIPT", "SRC"},
        std::pair{"EMBED", "SRC"}}) {
    if (tag == name) return attribute;
  }
  return nullptr;
}

// What the last Upload did: a tally for each target of the project (zero
// for a target it did not serve), and the files a stop left unhandled.
struct LastUpload {
  std::vector<UploadCounts> targets;
  int32_t not_sent = 0;
};

LastUpload last_upload;

// The target as its user knows it: its web address when it has one, else
// its FTP server or its folder; "" when it has none of them.
const char* AddressOf(const OutputTarget& target) {
  if (target.URL != nullptr && *target.URL != '\0') return target.URL;
  const char* place = (target.Flags & VELLUM_TARGET_FTP) != 0 ? target.Server : target.Folder;
  return place != nullptr ? place : "";
}

// The upload of the file list to one target, tallied in counts.
class TargetUpload {
 public:
  TargetUpload(Project& project, int index, const FileList& files, UploadCounts& counts)
      : project_(project),
        target_(project.Targets[index]),
        security_(project::SecurityOf(project, index)),
        files_(files),
        options_(project.UploadProperties),
        compression_(project.CompessProperties),
        counts_(counts),
        uploaded_(target_) {}

  // Announces each file to progress before handling it, and ends before
  // the first one progress refuses. Every record of a file sent is made
  // right after it arrived, so a stop keeps them all.
  void Run(core::Progress& progress) {
    const bool open = channel_.Open(target_, security_);
    // A target that cannot be reached handles none of its files: each is
    // still reported as failed, but none is announced, and all count as
    // done at once.
    if (!open) progress.PassOver(files_.handled_count());
    progress.set_target(AddressOf(target_));
    for (int i = 0; i < files_.count(); ++i) {
      if (files_.refused(i)) {
        ++counts_.failed;
        continue;
      }
      const char* path = files_.path(i);
      if (open && !progress.Next(path)) break;
      core::FileStamp stamp;
      const bool found = web::ReadPageStamp(path, stamp);
      // The content decides whether a file changed: a page written again
      // within the same second at the same size is still sent.
      const std::optional<uint64_t> digest = found ? DigestOf(path) : std::nullopt;
      const int record = uploaded_.Find(path);
      if (Has(VELLUM_UPLOAD_SKIP_UNCHANGED) && found && record >= 0 &&
          project::IsUnchangedSince(target_.UploadedFiles[record], stamp, digest)) {
        ++counts_.skipped;
        continue;
      }
      if (!Send(path, open)) {
        ++counts_.failed;
        continue;
      }
      ++counts_.sent;
      const int before = target_.UploadedCount;
      project::RecordUploadAt(project_, target_, record, path, stamp, digest);
      if (target_.UploadedCount > before) uploaded_.Note(target_, before);
    }
    channel_.Close();
  }

 private:
  bool Has(unsigned option) const { return (options_ & option) != 0; }

  // Sends one file of the list; true when it arrived whole.
  bool Send(const char* path, bool open) {
    if (!web::PageExists(path)) {
      ReportFileLine(core::ErrorCode::kFileNotFound, path);
      return false;
    }
    const std::optional<std::string> destination =
        DestinationOf(target_.Folder, files_.SitePath(path), Has(VELLUM_UPLOAD_LOWER_CASE));
    if (!open || !destination) {
      ReportFileLine(core::ErrorCode::kUnableUpload, path);
      return false;
    }

    // Pages may go rewritten; other files go as they are, read in blocks.
    TemporaryCopies copies;
    std::string file = path;
    const bool page = core::ExtensionInList(path, config::TheConfig().ExtPage);
    if (page && Has(VELLUM_UPLOAD_COMPRESS)) {
      if (std::optional<std::string> copy = CompressCopy(path, compression_)) {
        file = copies.Keep(std::move(*copy));
      }
    }
    if (page && Has(VELLUM_UPLOAD_LOWER_CASE)) file = LowerCased(path, file, copies);
    if (!channel_.Send(file, *destination)) {
      ReportFileLine(core::ErrorCode::kUnableUpload, path);
      // Why, when the channel knows: an FTP server's refusal or the reason
      // the transfer broke off.
      if (!channel_.failure().empty()) {
        core::ReportInfo(("   '" + std::string(path) + "' - " + channel_.failure() + "\n").c_str());
      }
      return false;
    }
    core::ReportInfo("   '");
    core::ReportInfo(path);
    core::ReportInfo("' - Upload successful\n");
    return true;
  }

  // The page (file, read in place of path when it is a rewritten copy) with
  // its resource references and its links to the files of this upload in
  // lower case, as they are sent. The user's own file is never rewritten:
  // its references must keep finding its files on a file system that tells
  // letter cases apart.
  std::string LowerCased(const char* path, const std::string& file, TemporaryCopies& copies) const {
    std::string copy = file;
    if (!copies.Holds(file)) {
      const int fd = web::CreateTemporaryFile(copy);
      if (fd < 0) return file;
      close(fd);
      copies.Keep(copy);
    }
    bool resources = false;
    web::LowerCaseResources(file.c_str(), file.c_str(), nullptr, copy.c_str(), &resources);
    const bool links = LowerCaseLinks(path, resources ? copy : file, copy);
    return resources || links ? copy : file;
  }

  // Writes the page file to output with every link that leads (from path)
  // to a file this upload sends in lower case up to its "?" or "#". False
  // when no link changed or the page could not be rewritten.
  bool LowerCaseLinks(const char* path, const std::string& file, const std::string& output) const {
    core::LoadedText text;
    if (!web::LoadPage(file.c_str(), text, core::kReportAsError)) return false;
    web::TagTokenizer tokenizer;
    tokenizer.Attach(std::move(text));
    for (web::TokenKind kind; (kind = tokenizer.Next()) != web::TokenKind::kEnd;) {
      if (kind != web::TokenKind::kStartTag) continue;
      const std::string name = tokenizer.tag()->name;
      const char* attribute_name = FileLinkAttribute(name);
      const web::Attribute* attribute =
          attribute_name != nullptr ? tokenizer.FindAttribute(attribute_name) : nullptr;
      if (attribute != nullptr && attribute->value) {
        const std::optional<std::string> link = web::Resolve(
            path, path, web::DecodeCharacterReferences(tokenizer.ValueOf(*attribute)), 0);
        if (link && files_.Sends(*link)) {
          char* value = tokenizer.text() + *attribute->value;
          for (std::size_t i = 0; i < attribute->value_length && !std::strchr("?#", value[i]);
               ++i) {
            const char lower = core::ToLowerAscii(value[i]);
            if (lower == value[i]) continue;
            value[i] = lower;
            tokenizer.MarkModified();
          }
        }
      }
      if (tokenizer.tag()->content == web::kRawContent) tokenizer.SkipTo("</" + name + ">");
    }
    return tokenizer.IsModified() &&
           web::WritePageFile(output.c_str(),
                              std::string_view(tokenizer.text(), tokenizer.length()),
                              core::FileMode::kWriteText);
  }

  Project& project_;
  OutputTarget& target_;
  const project::TargetSecurity security_;
  const FileList& files_;
  const unsigned options_;
  const unsigned compression_;
  UploadCounts& counts_;
  UploadIndex uploaded_;
  UploadChannel channel_;
};

// Marks the targets the request selects; false when it selects none.
bool SelectTargets(Project& project, const UploadRequest& request) {
  bool any = false;
  for (int i = 0; i < project.TargetCount; ++i) {
    OutputTarget& target = project.Targets[i];
    if (request.Selection != nullptr && request.Selection[i] != 0) {
      target.Flags |= VELLUM_TARGET_SELECTED;
      any = true;
    } else {
      target.Flags &= ~VELLUM_TARGET_SELECTED;
    }
  }
  return any;
}

void TakeOption(Project& project, uint32_t& member, uint32_t value) {
  if (member == value) return;
  member = value;
  project.Modified = 1;
}

}  // namespace

void Upload(Project& project, const UploadRequest& request, core::Progress& progress) {
  last_upload = {};
  last_upload.targets.resize(std::max(project.TargetCount, 0));
  TakeOption(project, project.CompessProperties, request.CompressProperties);
  TakeOption(project, project.UploadProperties, request.UploadProperties);
  if (!SelectTargets(project, request)) {
    if (request.RequireTarget != 0) core::ReportError(kNoTargetSelected);
    return;
  }

  FileList files;
  const bool with_resources = (project.UploadProperties & VELLUM_UPLOAD_RESOURCES) != 0;
  for (int i = 0; i < project.AddedCount; ++i) {
    files.AddRegistered(project.OutputList[i], with_resources);
  }
  files.PlaceBesidePages();
  files.ConfirmOutside(project);
  const auto selected = std::count_if(
      project.Targets, project.Targets + project.TargetCount,
      [](const OutputTarget& target) { return (target.Flags & VELLUM_TARGET_SELECTED) != 0; });
  progress.set_total(static_cast<int32_t>(
      std::min<int64_t>(static_cast<int64_t>(selected) * files.handled_count(), INT32_MAX)));
  for (int i = 0; i < project.TargetCount && !progress.stopped(); ++i) {
    if ((project.Targets[i].Flags & VELLUM_TARGET_SELECTED) != 0) {
      TargetUpload(project, i, files, last_upload.targets[i]).Run(progress);
    }
  }
  if (progress.stopped()) {
    last_upload.not_sent = progress.total() - progress.done();
    core::ReportInfo(core::FormatText("Upload stopped: %d %s not sent\n", last_upload.not_sent,
                                      last_upload.not_sent == 1 ? "file" : "files")
                         .c_str());
  }
}

void Upload(Project& project, const UploadRequest& request) {
  core::Progress progress(VELLUM_PROGRESS_UPLOAD);
  Upload(project, request, progress);
}

UploadCounts LastUploadCounts() {
  UploadCounts sum;
  for (const UploadCounts& counts : last_upload.targets) {
    sum.sent += counts.sent;
    sum.skipped += counts.skipped;
    sum.failed += counts.failed;
  }
  return sum;
}

UploadCounts LastUploadTargetCounts(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= last_upload.targets.size()) return {};
  return last_upload.targets[index];
}

int32_t LastUploadNotSent() { return last_upload.not_sent; }

}  // namespace vellum::publish

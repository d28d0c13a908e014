// The files of the site: those added (OutputList) and taken out
// (RemovedFiles) by hand or by generation, and the SourceFiles computed from
// them and from the project's source.
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "config/engine_config.h"
#include "core/counted_string_list.h"
#include "core/directory_search.h"
#include "core/memory.h"
#include "core/messages.h"
#include "core/text_utils.h"
#include "project/project.h"
#include "project/records.h"
#include "project/site_settings.h"
#include "scan/site_scan.h"
#include "web/url_class.h"

namespace vellum::project {
namespace {

std::string LowerCased(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered) c = core::ToLowerAscii(c);
  return lowered;
}

// How often each text of a list occurs, compared without regard to case, so
// that registering thousands of files (a paged site map, a large project
// file) costs no more than a look-up each. The index describes one list of
// one project as it was when last brought up to date; a list changed behind
// its back (another project, a closed one) is noticed by its array and count
// and indexed afresh.
class NoCaseIndex {
 public:
  void Refresh(const Project& project, const char* const* texts, int32_t count) {
    if (&project == project_ && texts == texts_ && count == count_) return;
    counts_.clear();
    for (int i = 0; i < count; ++i) ++counts_[LowerCased(texts[i])];
    Track(project, texts, count);
  }

  void Track(const Project& project, const char* const* texts, int32_t count) {
    project_ = &project;
    texts_ = texts;
    count_ = count;
  }

  bool Contains(std::string_view text) const { return counts_.contains(LowerCased(text)); }
  void Added(std::string_view text) { ++counts_[LowerCased(text)]; }
  void Removed(std::string_view text) {
    auto found = counts_.find(LowerCased(text));
    if (found != counts_.end() && --found->second == 0) counts_.erase(found);
  }

  void Forget() { project_ = nullptr; }

 private:
  std::unordered_map<std::string, int> counts_;
  const Project* project_ = nullptr;
  const char* const* texts_ = nullptr;
  int32_t count_ = 0;
};

NoCaseIndex output_index;
NoCaseIndex removed_index;

// A list of owned texts (the project's OutputList or RemovedFiles) with its
// index; every change made through it keeps the index in step.
class TextList {
 public:
  TextList(Project& project, int32_t& count, const char**& texts, NoCaseIndex& index)
      : project_(project), count_(count), texts_(texts), index_(index) {
    index_.Refresh(project_, texts_, count_);
  }

  bool Contains(const char* text) const { return index_.Contains(text); }

  // The first text equal to text without regard to case, or -1.
  int IndexOf(const char* text) const {
    if (!Contains(text)) return -1;
    for (int i = 0; i < count_; ++i) {
      if (core::EqualsNoCase(texts_[i], text)) return i;
    }
    return -1;
  }

  void RemoveAt(int index) {
    index_.Removed(texts_[index]);
    core::ReleaseText(texts_[index]);
    EraseAt(texts_, count_, index);
    index_.Track(project_, texts_, count_);
  }

  void AppendCopy(const char* text) {
    auto* grown = core::ResizeArray(texts_, count_ + 1);
    const char* copy = grown != nullptr ? core::CopyText(text) : nullptr;
    if (grown != nullptr) texts_ = grown;
    if (copy == nullptr) {
      core::ReportMemoryOverflow();
    } else {
      texts_[count_++] = copy;
      index_.Added(copy);
    }
    index_.Track(project_, texts_, count_);
  }

 private:
  Project& project_;
  int32_t& count_;
  const char**& texts_;
  NoCaseIndex& index_;
};

TextList OutputList(Project& project) {
  return {project, project.AddedCount, project.OutputList, output_index};
}
TextList RemovedFiles(Project& project) {
  return {project, project.RemovedCount, project.RemovedFiles, removed_index};
}

// Type 0: the start page and the pages its links lead to, their "?" and "#"
// parts cut, read as a scan reads them.
void AddLinkedPages(const char* start_page, CountedStringList& files, int start_report) {
  core::Progress progress(VELLUM_PROGRESS_SCAN);
  std::vector<std::string> pages;
  if (!scan::ListLinkedPages(start_page, start_report, CrawlSettingsNow(), progress, pages)) return;
  core::IndexedStringList indexed(files);
  // A file on disk may hold "?" or "#" in its name: nothing more is cut.
  for (std::string& page : pages)
    indexed.Add(page.data(), core::kKeepBookmarks | core::kKeepArguments);
}

// Set while SourceFiles lacks the pages of a web source that opening left out.
bool web_source_pending = false;

// Type 1: the page files in and below folder.
void AddFolderPages(const char* folder, CountedStringList& files) {
  const char* patterns = config::TheConfig().ExtPage;
  if (patterns != nullptr) core::ListFolder(folder, patterns, files, 0);
}

}  // namespace

void AddFile(Project& project, const char* text) {
  TextList removed = RemovedFiles(project);
  if (int at = removed.IndexOf(text); at >= 0) {
    removed.RemoveAt(at);
    project.Modified = 1;
    return;
  }
  TextList added = OutputList(project);
  if (added.Contains(text)) return;
  added.AppendCopy(text);
  project.Modified = 1;
}

void RemoveFile(Project& project, const char* text) {
  project.Modified = 1;
  TextList added = OutputList(project);
  if (int at = added.IndexOf(text); at >= 0) {
    added.RemoveAt(at);
    return;
  }
  RemovedFiles(project).AppendCopy(text);
}

namespace {

// The files this process wrote for the project, symbolic links resolved.
std::unordered_set<std::string>& WrittenFiles() {
  static std::unordered_set<std::string> files;
  return files;
}

// The path with every symbolic link resolved; as given when it cannot be.
std::filesystem::path Resolved(const std::filesystem::path& path) {
  std::error_code error;
  std::filesystem::path resolved = std::filesystem::weakly_canonical(path, error);
  return error ? path : resolved;
}

bool IsBelow(const std::string& path, const std::string& folder) {
  return path.size() > folder.size() && path.starts_with(folder) &&
         (folder.ends_with('/') || path[folder.size()] == '/');
}

}  // namespace

void NoteWrittenFile(const char* path) {
  if (path == nullptr) return;
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  if (!error) WrittenFiles().insert(Resolved(absolute).string());
}

ProjectFolders::ProjectFolders(const Project& project) {
  std::error_code error;
  const std::filesystem::path folder =
      project.FilePath != nullptr ? std::filesystem::absolute(project.FilePath).parent_path()
                                  : std::filesystem::current_path(error);
  if (!error) folders_.push_back(Resolved(folder).string());
}

void ProjectFolders::Add(const std::string& folder) {
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(folder, error);
  if (!error) folders_.push_back(Resolved(absolute).string());
}

bool ProjectFolders::Hold(const char* path) const {
  if (path == nullptr) return false;
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  if (error) return false;
  // The files of a site share few folders: each folder is resolved once,
  // and only a file that is itself a link is resolved whole.
  std::string file;
  if (std::filesystem::is_symlink(std::filesystem::symlink_status(absolute, error))) {
    file = Resolved(absolute).string();
  } else {
    const std::string parent = absolute.parent_path().string();
    auto [resolved, added] = resolved_parents_.try_emplace(parent);
    if (added) resolved->second = Resolved(parent).string();
    file = (std::filesystem::path(resolved->second) / absolute.filename()).string();
  }
  if (WrittenFiles().contains(file)) return true;
  for (const std::string& folder : folders_) {
    if (IsBelow(file, folder)) return true;
  }
  return false;
}

void EnsureSourceFiles(Project& project) {
  if (web_source_pending) RebuildSourceFiles(project);
}

void ForgetFileListIndexes() {
  output_index.Forget();
  removed_index.Forget();
}

void RebuildSourceFiles(Project& project, SourceWalk walk) {
  CountedStringList& files = project.SourceFiles;
  core::Clear(files);
  web_source_pending = false;
  // Without a source there is nothing to walk (an absent folder would
  // otherwise mean the current folder, wherever that is).
  if (project.Source != nullptr && *project.Source != '\0') {
    if (project.Type == 0) {
      if (walk == SourceWalk::kOpening && web::IsWebAddress(project.Source)) {
        web_source_pending = true;
      } else {
        AddLinkedPages(project.Source, files,
                       walk == SourceWalk::kOpening ? core::kReportAsInfo : core::kReportAsError);
      }
    }
    if (project.Type == 1) AddFolderPages(project.Source, files);
  }

  std::unordered_set<std::string> listed;
  for (int i = 0; i < files.Count; ++i) listed.insert(LowerCased(files.Entries[i].Text));
  for (int i = 0; i < project.AddedCount; ++i) {
    // The texts are the engine's own: the "?" and "#" cut stays in them.
    char* text = const_cast<char*>(project.OutputList[i]);
    if (listed.contains(LowerCased(text))) continue;
    core::Add(files, text, 0);
    listed.insert(LowerCased(text));
  }
  // The cut may have changed texts of the OutputList under its index.
  output_index.Forget();

  const TextList removed = RemovedFiles(project);
  for (int i = 0; i < files.Count;) {
    if (removed.Contains(files.Entries[i].Text)) {
      core::Remove(files, i);
    } else {
      ++i;
    }
  }
}

}  // namespace vellum::project

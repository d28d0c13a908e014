// The files of the site: those added (OutputList) and taken out
// (RemovedFiles) by hand or by generation, and the SourceFiles computed from
// them and from the project's source.
#include "config/engine_config.h"
#include "core/counted_string_list.h"
#include "core/directory_search.h"
#include "core/memory.h"
#include "core/messages.h"
#include "core/text_utils.h"
#include "project/project.h"
#include "project/records.h"
#include "scan/links.h"

namespace vellum::project {
namespace {

// A list of owned texts: the project's OutputList and RemovedFiles.
struct TextList {
  int32_t& count;
  const char**& texts;
};

int IndexOfNoCase(const TextList& list, const char* text) {
  for (int i = 0; i < list.count; ++i) {
    if (core::EqualsNoCase(list.texts[i], text)) return i;
  }
  return -1;
}

void RemoveAt(TextList list, int index) {
  core::ReleaseText(list.texts[index]);
  EraseAt(list.texts, list.count, index);
}

void AppendCopy(TextList list, const char* text) {
  auto* grown = core::ResizeArray(list.texts, list.count + 1);
  const char* copy = grown != nullptr ? core::CopyText(text) : nullptr;
  if (grown != nullptr) list.texts = grown;
  if (copy == nullptr) {
    core::ReportMemoryOverflow();
    return;
  }
  list.texts[list.count++] = copy;
}

TextList OutputList(Project& project) { return {project.AddedCount, project.OutputList}; }
TextList RemovedFiles(Project& project) { return {project.RemovedCount, project.RemovedFiles}; }

bool ContainsNoCase(const CountedStringList& list, const char* text) {
  for (int i = 0; i < list.Count; ++i) {
    if (core::EqualsNoCase(list.Entries[i].Text, text)) return true;
  }
  return false;
}

// Type 0: the start page and the pages its links lead to, their "?" and "#"
// parts cut.
void AddLinkedPages(const char* start_page, CountedStringList& files) {
  scan::CrawlSite(start_page, start_page, files, scan::kPageLinks);
}

// Type 1: the page files in and below folder.
void AddFolderPages(const char* folder, CountedStringList& files) {
  const char* patterns = config::TheConfig().ExtPage;
  if (patterns != nullptr) core::ListFolder(folder, patterns, files, 0);
}

}  // namespace

void AddFile(Project& project, const char* text) {
  if (int removed = IndexOfNoCase(RemovedFiles(project), text); removed >= 0) {
    RemoveAt(RemovedFiles(project), removed);
    project.Modified = 1;
    return;
  }
  if (IndexOfNoCase(OutputList(project), text) >= 0) return;
  AppendCopy(OutputList(project), text);
  project.Modified = 1;
}

void RemoveFile(Project& project, const char* text) {
  project.Modified = 1;
  if (int added = IndexOfNoCase(OutputList(project), text); added >= 0) {
    RemoveAt(OutputList(project), added);
    return;
  }
  AppendCopy(RemovedFiles(project), text);
}

void RebuildSourceFiles(Project& project) {
  CountedStringList& files = project.SourceFiles;
  core::Clear(files);
  // Without a source there is nothing to walk (an absent folder would
  // otherwise mean the current folder, wherever that is).
  if (project.Source != nullptr && *project.Source != '\0') {
    if (project.Type == 0) AddLinkedPages(project.Source, files);
    if (project.Type == 1) AddFolderPages(project.Source, files);
  }

  for (int i = 0; i < project.AddedCount; ++i) {
    // The texts are the engine's own: the "?" and "#" cut stays in them.
    char* text = const_cast<char*>(project.OutputList[i]);
    if (!ContainsNoCase(files, text)) core::Add(files, text, 0);
  }

  for (int i = 0; i < files.Count;) {
    if (IndexOfNoCase(RemovedFiles(project), files.Entries[i].Text) >= 0) {
      core::Remove(files, i);
    } else {
      ++i;
    }
  }
}

}  // namespace vellum::project

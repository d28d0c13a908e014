#include "project/project.h"

#include <cstring>

#include "core/memory.h"
#include "core/messages.h"
#include "core/text_utils.h"

namespace vellum::project {
namespace {

Project ResetProject() {
  Project project{};
  project.Type = 2;
  project.CompessProperties = 0xFEFFD;
  project.UploadProperties = 5;
  return project;
}

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
  std::memmove(&list.texts[index], &list.texts[index + 1],
               (list.count - index - 1) * sizeof(const char*));
  if (--list.count == 0) {
    core::Release(list.texts);
    list.texts = nullptr;
  }
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

}  // namespace

Project& TheProject() {
  static Project project = ResetProject();
  return project;
}

CountedStringList& FoundFiles() {
  static CountedStringList found{};
  return found;
}

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

}  // namespace vellum::project

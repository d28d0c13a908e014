#include "project/project.h"

#include <cstring>
#include <string>

#include "core/counted_string_list.h"
#include "core/memory.h"
#include "core/messages.h"
#include "project/project_file.h"
#include "project/records.h"
#include "project/site_settings.h"

namespace vellum::project {
namespace {

// Types above this have no meaning and could not be read back from a file.
constexpr int kLastSourceType = 2;

Project ResetProject() {
  Project project{};
  project.Type = 2;
  project.CompessProperties = 0xFEFFD;
  project.UploadProperties = 5;
  return project;
}

bool SameText(const char* a, const char* b) {
  if (a == nullptr || b == nullptr) return a == b;
  return std::strcmp(a, b) == 0;
}

}  // namespace

Project& TheProject() {
  static Project project = ResetProject();
  return project;
}

CountedStringList& FoundFiles() {
  static CountedStringList found{};
  return found;
}

void Close(Project& project) {
  for (const char* text : {project.Source, project.Description, project.Macros, project.FilePath}) {
    core::ReleaseText(text);
  }
  ReleaseAll(project.Targets, project.TargetCount, ReleaseTarget);
  ReleaseAll(project.OutputList, project.AddedCount, core::ReleaseText);
  ReleaseAll(project.RemovedFiles, project.RemovedCount, core::ReleaseText);
  ForgetFileListIndexes();
  ReleaseAll(project.Items, project.ItemCount, ReleaseItem);
  core::Clear(project.SourceFiles);
  project = ResetProject();
  TheSiteSettings() = {};
  ThePageSettings() = {};
}

bool Open(Project& project, const char* path) {
  // A copy first: path may be the project's own file path, which Close frees.
  const std::string name = path != nullptr ? path : "";
  Close(project);
  if (path == nullptr || !ReplaceText(project.FilePath, name)) return false;
  // The name is used whole: a "#" in a project's file name is part of it.
  core::LoadedText text;
  if (!core::LoadWholePath(name, text, core::kReportAsError)) return false;
  if (!ReadProjectFile(project, std::string_view(text.data.get(), text.length))) return false;
  text.data.reset();
  RebuildSourceFiles(project, SourceWalk::kOpening);
  project.Modified = 0;
  return true;
}

bool Save(Project& project, const char* path) {
  if (path == nullptr) return WriteProjectFile(project);
  if (!ReplaceText(project.FilePath, path) || !WriteProjectFile(project)) return false;
  // Cleared only once the file holds the project: after a failed save the
  // changes are still unsaved.
  project.Modified = 0;
  return true;
}

TextUpdate UpdateText(Project& project, const char*& member, const char* text) {
  if (text == nullptr || *text == '\0') {
    if (member == nullptr) return TextUpdate::kUnchanged;
    core::ReleaseText(member);
    member = nullptr;
    project.Modified = 1;
    return TextUpdate::kChanged;
  }
  if (member != nullptr && std::strcmp(member, text) == 0) return TextUpdate::kUnchanged;
  // Copied before the old text goes: text may be a part of it.
  const char* copy = core::CopyText(text);
  core::ReleaseText(member);
  member = copy;
  project.Modified = 1;
  if (copy == nullptr) {
    core::ReportMemoryOverflow();
    return TextUpdate::kFailed;
  }
  return TextUpdate::kChanged;
}

int SetParameters(Project& project, const ProjectParams& params) {
  bool changed = UpdateText(project, project.Source, params.Source) != TextUpdate::kUnchanged;
  changed |= UpdateText(project, project.Description, params.Description) != TextUpdate::kUnchanged;
  if (params.Type <= kLastSourceType && params.Type != project.Type) {
    project.Type = params.Type;
    changed = true;
  }
  const bool same_macros = params.MacrosLength == project.MacrosLength &&
                           (params.MacrosLength < 1 || SameText(params.Macros, project.Macros));
  if (!same_macros) {
    UpdateText(project, project.Macros, params.Macros);
    project.MacrosLength = params.MacrosLength;
    changed = true;
  }
  if (!changed) return 0;
  project.Modified = 1;
  return 1;
}

void ChangeSource(Project& project, const SourceChange& change) {
  UpdateText(project, project.Source, change.Source);
  if (change.Type >= 0 && change.Type <= kLastSourceType) {
    project.Type = static_cast<uint8_t>(change.Type);
  }
  RebuildSourceFiles(project);
}

}  // namespace vellum::project

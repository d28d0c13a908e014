#include "project/project.h"

namespace vellum::project {
namespace {

Project ResetProject() {
  Project project{};
  project.Type = 2;
  project.CompessProperties = 0xFEFFD;
  project.UploadProperties = 5;
  return project;
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

}  // namespace vellum::project

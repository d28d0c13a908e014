#include "project/records.h"

#include "core/messages.h"

namespace vellum::project {

bool ReplaceText(const char*& member, std::string_view text) {
  const char* copy = core::CopyText(text);
  if (copy == nullptr) {
    core::ReportMemoryOverflow();
    return false;
  }
  core::ReleaseText(member);
  member = copy;
  return true;
}

}  // namespace vellum::project

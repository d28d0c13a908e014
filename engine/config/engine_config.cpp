#include "config/engine_config.h"

#include "core/memory.h"

namespace vellum::config {

EngineConfig& TheConfig() {
  static EngineConfig config{};
  return config;
}

void ReleaseMember(const char*& member) {
  core::ReleaseText(member);
  member = nullptr;
}

}  // namespace vellum::config

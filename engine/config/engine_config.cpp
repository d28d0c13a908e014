#include "config/engine_config.h"

namespace vellum::config {

EngineConfig& TheConfig() {
  static EngineConfig config{};
  return config;
}

}  // namespace vellum::config

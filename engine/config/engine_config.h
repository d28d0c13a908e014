// The engine's configuration record and installation state.
#pragma once

#include "vellum/vellum.h"

namespace vellum::config {

// The one EngineConfig of the process; zero-filled until start-up.
EngineConfig& TheConfig();

}  // namespace vellum::config

// The engine's configuration record and installation state.
#pragma once

#include "vellum/vellum.h"

namespace vellum::config {

// The one EngineConfig of the process; zero-filled until start-up.
EngineConfig& TheConfig();

// Releases a text that the record owns and makes the member none.
void ReleaseMember(const char*& member);

}  // namespace vellum::config

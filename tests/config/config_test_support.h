// What the configuration tests share: a readable account of a record's
// settings.
#pragma once

#include <string>

#include "vellum/vellum.h"

namespace vellum::test {

// The nine settings that are not none or 0, as "Key=[text]" or "Key=number",
// in file order, separated by spaces; "" when all are unset.
std::string DescribeSettings(const EngineConfig& config);

// Releases the nine settings' texts and zeroes the numbers.
void ResetSettings(EngineConfig& config);

}  // namespace vellum::test

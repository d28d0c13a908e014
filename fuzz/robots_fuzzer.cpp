// Feeds arbitrary bytes to the robots.txt parser; the last line of the input
// is also asked for as a request path, so patterns meet hostile paths too.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "web/robots.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::string_view body(reinterpret_cast<const char*>(data), size);
  const auto rules = vellum::web::RobotsRules::Parse(body, "Vellumark");
  const std::size_t last_line = body.rfind('\n');
  const std::string_view path = last_line == body.npos ? body : body.substr(last_line + 1);
  rules.Allows(path);
  rules.Allows("/");
  return 0;
}

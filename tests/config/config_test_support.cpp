#include "config_test_support.h"

#include "config/config_file.h"

namespace vellum::test {
namespace {

void AddText(std::string& out, const char* key, const char* text) {
  if (text == nullptr) return;
  if (!out.empty()) out += ' ';
  out += std::string(key) + "=[" + text + "]";
}

void AddNumber(std::string& out, const char* key, int32_t number) {
  if (number == 0) return;
  if (!out.empty()) out += ' ';
  out += std::string(key) + "=" + std::to_string(number);
}

}  // namespace

std::string DescribeSettings(const EngineConfig& config) {
  std::string out;
  AddText(out, "ExtPage", config.ExtPage);
  AddText(out, "ExtPicts", config.ExtPicts);
  AddText(out, "Editor", config.Editor);
  AddText(out, "Firewall", config.Firewall);
  AddNumber(out, "PortFW", config.PortFW);
  AddNumber(out, "Passive", config.Passive);
  AddText(out, "Proxy", config.Proxy);
  AddNumber(out, "PortProxy", config.PortProxy);
  AddNumber(out, "UseProxy", config.UseProxy);
  return out;
}

void ResetSettings(EngineConfig& config) {
  config::ReleaseSettings(config);
  config.PortFW = config.Passive = config.PortProxy = config.UseProxy = 0;
}

}  // namespace vellum::test

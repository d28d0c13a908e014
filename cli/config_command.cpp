// config: the engine's settings (Vellum.cfg).
#include <strings.h>
#include <charconv>
#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"
#include "session.h"

namespace vellumark {
namespace {

struct ConfigKey {
  const char* key;
  const char* EngineConfig::*text;  // null for a number
  int32_t EngineConfig::*number;    // null for a text
};

const ConfigKey kConfigKeys[] = {
    {"ExtPage", &EngineConfig::ExtPage, nullptr},
    {"ExtPicts", &EngineConfig::ExtPicts, nullptr},
    {"Editor", &EngineConfig::Editor, nullptr},
    {"Firewall", &EngineConfig::Firewall, nullptr},
    {"PortFW", nullptr, &EngineConfig::PortFW},
    {"Passive", nullptr, &EngineConfig::Passive},
    {"Proxy", &EngineConfig::Proxy, nullptr},
    {"PortProxy", nullptr, &EngineConfig::PortProxy},
    {"UseProxy", nullptr, &EngineConfig::UseProxy},
};

const ConfigKey* FindKey(const std::string& key) {
  for (const ConfigKey& entry : kConfigKeys) {
    if (strcasecmp(entry.key, key.c_str()) == 0) return &entry;
  }
  return nullptr;
}

int32_t ParseNumber(const std::string& key, const std::string& value) {
  if (value == "on") return 1;
  if (value == "off") return 0;
  int32_t number = 0;
  auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
  if (error != std::errc() || end != value.data() + value.size() || number < 0) {
    throw UsageError(key + " takes a number, got '" + value + "'");
  }
  return number;
}

}  // namespace

int RunConfig(Arguments& arguments) {
  std::vector<std::pair<const ConfigKey*, std::string>> changes;
  for (const std::string& word : arguments.Rest()) {
    const std::size_t equals = word.find('=');
    if (equals == std::string::npos) throw UsageError("expected KEY=VALUE, got '" + word + "'");
    const ConfigKey* key = FindKey(word.substr(0, equals));
    if (key == nullptr)
      throw UsageError("unknown configuration key '" + word.substr(0, equals) + "'");
    changes.emplace_back(key, word.substr(equals + 1));
  }
  arguments.ExpectEnd();

  StartEngine();
  EngineConfig* config = HTMLgetCfg(0);
  if (changes.empty()) {
    for (const ConfigKey& key : kConfigKeys) {
      if (key.text != nullptr) {
        const char* value = config->*key.text;
        std::printf("%s = %s\n", key.key, Printable(value != nullptr ? value : "").c_str());
      } else {
        std::printf("%s = %d\n", key.key, config->*key.number);
      }
    }
    return ExitStatus();
  }

  EngineConfig settings = *config;
  for (const auto& [key, value] : changes) {
    if (key->text != nullptr) {
      settings.*key->text = value.c_str();
    } else {
      settings.*key->number = ParseNumber(key->key, value);
    }
  }
  HTMLputCfg(&settings);
  return ExitStatus();
}

}  // namespace vellumark

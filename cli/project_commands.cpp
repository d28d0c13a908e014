// new, show and set: the project file and the site map item's settings.
#include <cstdio>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "commands.h"
#include "session.h"
#include "settings.h"

namespace vellumark {
namespace {

// Depth first, without recursion: a scanned tree can be very deep.
void PrintTree(const MapItemList& root) {
  struct Level {
    const MapItemList* list;
    int next;
  };
  std::vector<Level> levels{{&root, 0}};
  std::string line;
  while (!levels.empty()) {
    Level& level = levels.back();
    if (level.next == level.list->Count) {
      levels.pop_back();
      continue;
    }
    const MapItem& item = level.list->Items[level.next++];
    line.assign(2 * (levels.size() - 1), ' ');
    line += Printable(item.Name != nullptr ? item.Name : "");
    line += '\t';
    line += Printable(item.URL != nullptr ? item.URL : "");
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), stdout);
    if (item.Children.Count > 0) levels.push_back({&item.Children, 0});
  }
}

void PrintSettings(const Project& project, const ScriptItem& item) {
  for (const Setting& setting : Settings()) {
    std::printf("%.*s = %s\n", static_cast<int>(setting.key.size()), setting.key.data(),
                Printable(FormatSetting(setting, item.Body.SiteMap, item.Flags)).c_str());
  }
  std::printf("targets = %d\n", project.TargetCount);
  for (int i = 0; i < project.TargetCount; ++i) {
    std::printf("target %d = %s\n", i, DescribeTarget(project, i).c_str());
  }
}

}  // namespace

int ExitStatus() { return ErrorReported() ? 1 : 0; }

int RunNew(Arguments& arguments) {
  const std::string path = AbsolutePath(arguments.Positional("PROJECT"));
  const bool force = arguments.Flag("force");
  arguments.ExpectEnd();
  if (!force && std::filesystem::exists(path)) {
    ReportFailure("'" + path + "' exists already (--force replaces it)");
    return ExitStatus();
  }
  StartEngine();
  Project* project = HTMLprjClose(0);
  if (SiteMapItem(*project) != nullptr) SaveProject(path.c_str());
  return ExitStatus();
}

int RunShow(Arguments& arguments) {
  const std::string path = arguments.Positional("PROJECT");
  const bool settings = arguments.Flag("settings");
  arguments.ExpectEnd();
  const auto [project, item] = OpenSiteMap(path);
  if (item == nullptr) return ExitStatus();
  if (settings) {
    PrintSettings(*project, *item);
  } else {
    PrintTree(item->Entries);
  }
  return ExitStatus();
}

int RunSet(Arguments& arguments) {
  const std::string path = arguments.Positional("PROJECT");
  std::vector<std::pair<const Setting*, std::string>> changes;
  for (const std::string& word : arguments.Rest()) {
    const std::size_t equals = word.find('=');
    if (equals == std::string::npos) throw UsageError("expected KEY=VALUE, got '" + word + "'");
    const Setting* setting = FindSetting(word.substr(0, equals));
    if (setting == nullptr) throw UsageError("unknown setting '" + word.substr(0, equals) + "'");
    changes.emplace_back(setting, word.substr(equals + 1));
  }
  arguments.ExpectEnd();
  if (changes.empty()) throw UsageError("nothing to set");

  const auto [project, item] = OpenSiteMap(path);
  if (item == nullptr) return ExitStatus();

  SiteMapParams params{};
  params.BasePath = item->Name;
  params.Settings = item->Body.SiteMap;
  uint32_t flags = item->Flags;
  for (const auto& [setting, value] : changes) {
    std::string error = ApplySetting(*setting, value, params.Settings, flags);
    if (!error.empty()) throw UsageError(error);
  }
  ItemStore store{item, &params};
  VellumStoreItem(&store, flags);
  SaveProject();
  return ExitStatus();
}

}  // namespace vellumark

// target: the project's upload destinations.
#include <charconv>
#include <cstdio>
#include <optional>
#include <string>

#include "commands.h"
#include "session.h"

namespace vellumark {
namespace {

int ParseNonNegative(const std::string& text, const std::string& what) {
  int value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 0) {
    throw UsageError(what + " must be a number, got '" + text + "'");
  }
  return value;
}

// The texts of a target being added or edited; the record points into them.
struct TargetTexts {
  std::optional<std::string> url, folder, server, login, password;
};

void SetText(const char*& member, const std::optional<std::string>& text) {
  if (text) member = text->c_str();
}

// Reads the target options into image (whose texts then point into texts).
void TakeTargetOptions(Arguments& arguments, TargetTexts& texts, OutputTarget& image) {
  const std::optional<std::string> folder = arguments.Option("folder");
  const std::optional<std::string> ftp = arguments.Option("ftp");
  if (folder && ftp) throw UsageError("a target is either --folder or --ftp");
  if (folder) {
    texts.folder = AbsolutePath(*folder);
    image.Flags &= ~VELLUM_TARGET_FTP;
  }
  if (ftp) {
    texts.server = *ftp;
    image.Flags |= VELLUM_TARGET_FTP;
  }
  if (auto remote = arguments.Option("remote-folder")) texts.folder = *remote;
  texts.url = arguments.Option("url");
  texts.login = arguments.Option("login");
  texts.password = arguments.Option("password");
  if (auto port = arguments.Option("port")) image.Port = ParseNonNegative(*port, "--port");

  struct Switch {
    const char* name;
    uint32_t bit;
  };
  for (const Switch option :
       {Switch{"passive", VELLUM_TARGET_PASSIVE}, Switch{"text", VELLUM_TARGET_TEXT},
        Switch{"firewall", VELLUM_TARGET_FIREWALL}}) {
    if (arguments.Flag(option.name)) image.Flags |= option.bit;
    if (arguments.Flag(std::string("no-") + option.name)) image.Flags &= ~option.bit;
  }

  SetText(image.URL, texts.url);
  SetText(image.Folder, texts.folder);
  SetText(image.Server, texts.server);
  SetText(image.Login, texts.login);
  SetText(image.Password, texts.password);
}

int TargetIndex(Arguments& arguments, const Project& project) {
  int index = ParseNonNegative(arguments.Positional("target number N"), "N");
  if (index >= project.TargetCount) {
    throw UsageError("no target " + std::to_string(index) + " (the project has " +
                     std::to_string(project.TargetCount) + ")");
  }
  return index;
}

}  // namespace

std::string DescribeTarget(const OutputTarget& target) {
  auto text = [](const char* value) { return Printable(value != nullptr ? value : ""); };
  std::string line;
  if ((target.Flags & VELLUM_TARGET_FTP) != 0) {
    line = "ftp " + text(target.Server);
    if (target.Port != 0) line += " port " + std::to_string(target.Port);
    if (target.Folder != nullptr) line += " remote-folder " + text(target.Folder);
    if (target.Login != nullptr) line += " login " + text(target.Login);
    if (target.Password != nullptr) line += " password ***";
    if ((target.Flags & VELLUM_TARGET_PASSIVE) != 0) line += " passive";
    if ((target.Flags & VELLUM_TARGET_TEXT) != 0) line += " text";
    if ((target.Flags & VELLUM_TARGET_FIREWALL) != 0) line += " firewall";
  } else {
    line = "folder " + text(target.Folder);
  }
  if (target.URL != nullptr) line += " url " + text(target.URL);
  line += " (" + std::to_string(target.UploadedCount) + " files uploaded)";
  return line;
}

int RunTarget(Arguments& arguments) {
  const std::string path = arguments.Positional("PROJECT");
  const std::string action = arguments.Positional("list, add, edit or remove");
  if (action != "list" && action != "add" && action != "edit" && action != "remove") {
    throw UsageError("unknown target action '" + action + "'");
  }

  Project* project = OpenProject(path);
  if (project == nullptr) return ExitStatus();

  if (action == "list") {
    arguments.ExpectEnd();
    for (int i = 0; i < project->TargetCount; ++i) {
      std::printf("%d\t%s\n", i, DescribeTarget(project->Targets[i]).c_str());
    }
    return ExitStatus();
  }

  PrmRequest request{};
  OutputTarget image{};
  TargetTexts texts;
  if (action == "add") {
    TakeTargetOptions(arguments, texts, image);
    if (image.Folder == nullptr && image.Server == nullptr) {
      throw UsageError("a new target needs --folder DIR or --ftp SERVER");
    }
    request.Operation = VELLUM_PRM_APPEND_TARGET;
  } else if (action == "edit") {
    request.Index = TargetIndex(arguments, *project);
    image = project->Targets[request.Index];
    TakeTargetOptions(arguments, texts, image);
    request.Operation = VELLUM_PRM_MODIFY_TARGET;
  } else {
    request.Index = TargetIndex(arguments, *project);
    request.Operation = VELLUM_PRM_DELETE_TARGET;
  }
  arguments.ExpectEnd();
  request.Data = &image;
  HTMLprjPrm(&request);
  SaveProject();
  return ExitStatus();
}

}  // namespace vellumark

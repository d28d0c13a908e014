// target: the project's upload destinations.
#include <charconv>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>

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

// What a target keeps beside its record, as the options set it.
struct TargetExtras {
  int32_t protocol = VELLUM_PROTOCOL_FTP;
  std::string key_file, ca_file;
  int32_t password_from = VELLUM_PASSWORD_PROJECT;
};

// The password sources --password-from names ("project": the target's own
// password, the default).
struct PasswordSourceName {
  const char* name;
  int32_t value;
};
constexpr PasswordSourceName kPasswordSources[] = {{"project", VELLUM_PASSWORD_PROJECT},
                                                   {"netrc", VELLUM_PASSWORD_NETRC},
                                                   {"keyring", VELLUM_PASSWORD_KEYRING},
                                                   {"ask", VELLUM_PASSWORD_ASK}};

int32_t PasswordSource(const std::string& name) {
  for (const PasswordSourceName& source : kPasswordSources) {
    if (name == source.name) return source.value;
  }
  throw UsageError("--password-from must be netrc, keyring, ask or project, got '" + name + "'");
}

const char* ProtocolWord(int32_t protocol) {
  switch (protocol) {
    case VELLUM_PROTOCOL_SFTP:
      return "sftp";
    case VELLUM_PROTOCOL_FTPS:
      return "ftps";
    default:
      return "ftp";
  }
}

void SetText(const char*& member, const std::optional<std::string>& text) {
  if (text) member = text->c_str();
}

// Reads the target options into image (whose texts then point into texts)
// and extras.
void TakeTargetOptions(Arguments& arguments, TargetTexts& texts, OutputTarget& image,
                       TargetExtras& extras) {
  const std::optional<std::string> folder = arguments.Option("folder");
  std::optional<std::string> server;
  for (const int32_t protocol : {VELLUM_PROTOCOL_FTP, VELLUM_PROTOCOL_SFTP, VELLUM_PROTOCOL_FTPS}) {
    std::optional<std::string> host = arguments.Option(ProtocolWord(protocol));
    if (!host) continue;
    if (folder || server) throw UsageError("a target is one of --folder, --ftp, --sftp or --ftps");
    server = std::move(host);
    extras.protocol = protocol;
  }
  if (folder) {
    texts.folder = AbsolutePath(*folder);
    image.Flags &= ~VELLUM_TARGET_FTP;
    extras = {};
  }
  if (server) {
    texts.server = *server;
    image.Flags |= VELLUM_TARGET_FTP;
  }
  // An empty FILE clears the setting.
  const auto file = [&](const char* name, std::string& member) {
    if (auto path = arguments.Option(name)) member = path->empty() ? "" : AbsolutePath(*path);
  };
  file("key", extras.key_file);
  file("ca-file", extras.ca_file);
  if (auto source = arguments.Option("password-from")) {
    extras.password_from = PasswordSource(*source);
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

std::string DescribeTarget(const Project& project, int index) {
  const OutputTarget& target = project.Targets[index];
  const VellumTargetSecurity extras = VellumFilled(VellumGetTargetSecurity, index);
  auto text = [](const char* value) { return Printable(value != nullptr ? value : ""); };
  std::string line;
  if ((target.Flags & VELLUM_TARGET_FTP) != 0) {
    line = std::string(ProtocolWord(extras.Protocol)).append(" ").append(text(target.Server));
    if (target.Port != 0) line += " port " + std::to_string(target.Port);
    if (target.Folder != nullptr) line += " remote-folder " + text(target.Folder);
    if (target.Login != nullptr) line += " login " + text(target.Login);
    // The password itself is never shown.
    if (target.Password != nullptr) line += " password ***";
    if (extras.KeyFile != nullptr) line += " key " + text(extras.KeyFile);
    if (extras.CAFile != nullptr) line += " ca-file " + text(extras.CAFile);
    for (const PasswordSourceName& source : kPasswordSources) {
      if (source.value == extras.PasswordFrom && source.value != VELLUM_PASSWORD_PROJECT) {
        line += std::string(" password-from ").append(source.name);
      }
    }
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
      std::printf("%d\t%s\n", i, DescribeTarget(*project, i).c_str());
    }
    return ExitStatus();
  }

  PrmRequest request{};
  OutputTarget image{};
  TargetTexts texts;
  TargetExtras extras;
  if (action == "add") {
    TakeTargetOptions(arguments, texts, image, extras);
    if (image.Folder == nullptr && image.Server == nullptr) {
      throw UsageError("a new target needs --folder DIR, or --ftp, --sftp or --ftps SERVER");
    }
    request.Operation = VELLUM_PRM_APPEND_TARGET;
  } else if (action == "edit") {
    request.Index = TargetIndex(arguments, *project);
    image = project->Targets[request.Index];
    const VellumTargetSecurity current = VellumFilled(VellumGetTargetSecurity, request.Index);
    extras = {current.Protocol, current.KeyFile != nullptr ? current.KeyFile : "",
              current.CAFile != nullptr ? current.CAFile : "", current.PasswordFrom};
    TakeTargetOptions(arguments, texts, image, extras);
    request.Operation = VELLUM_PRM_MODIFY_TARGET;
  } else {
    request.Index = TargetIndex(arguments, *project);
    request.Operation = VELLUM_PRM_DELETE_TARGET;
  }
  arguments.ExpectEnd();
  request.Data = &image;
  HTMLprjPrm(&request);
  if (action != "remove" && !ErrorReported()) {
    const int index = action == "add" ? project->TargetCount - 1 : request.Index;
    const auto text = [](const std::string& value) {
      return value.empty() ? nullptr : value.c_str();
    };
    const VellumTargetSecurity security{sizeof(VellumTargetSecurity), extras.protocol,
                                        text(extras.key_file), text(extras.ca_file),
                                        extras.password_from};
    VellumSetTargetSecurity(index, &security);
  }
  SaveProject();
  return ExitStatus();
}

}  // namespace vellumark

#include "publish/credentials.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include "core/file_loading.h"
#include "core/messages.h"
#include "core/text_utils.h"
#include "publish/keyring_module.h"

namespace vellum::publish {
namespace {

VellumPasswordCallback password_callback = nullptr;

bool IsGiven(const char* text) { return text != nullptr && *text != '\0'; }

// The next token of a .netrc text: a run of non-blanks, or a quoted string
// with "\" escaping the next character. Empty at the end.
std::string NextToken(std::string_view& text) {
  std::size_t start = 0;
  while (start < text.size() && core::IsBlank(text[start])) ++start;
  text.remove_prefix(start);
  std::string token;
  if (!text.empty() && text.front() == '"') {
    std::size_t i = 1;
    for (; i < text.size() && text[i] != '"'; ++i) {
      if (text[i] == '\\' && i + 1 < text.size()) ++i;
      token += text[i];
    }
    text.remove_prefix(std::min(i + 1, text.size()));
    return token;
  }
  std::size_t end = 0;
  while (end < text.size() && !core::IsBlank(text[end])) ++end;
  token.assign(text.substr(0, end));
  text.remove_prefix(end);
  return token;
}

// A macdef body runs to the first empty line.
void SkipMacro(std::string_view& text) {
  const std::size_t end = text.find("\n\n");
  text.remove_prefix(end == std::string_view::npos ? text.size() : end + 2);
}

// "login on protocol://host:port", or without a login the address alone.
std::string Describe(const Account& account) {
  const std::string address =
      core::FormatText("%s://%s:%ld", account.protocol, account.host.c_str(), account.port);
  return account.login.empty() ? address : account.login + " on " + address;
}

// Whether a D-Bus session bus is there to carry a Secret Service: without
// one, libsecret would try to start a bus of its own.
bool HasSessionBus() {
  if (IsGiven(std::getenv("DBUS_SESSION_BUS_ADDRESS"))) return true;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  std::error_code error;
  return IsGiven(runtime) && std::filesystem::exists(std::string(runtime) + "/bus", error);
}

// Reports why the keyring could not be used.
void KeyringFailed(const Account& account, const char* reason) {
  core::ReportInfo(core::FormatText("   '%s' - the desktop keyring cannot be used: %s\n",
                                    account.host.c_str(), reason)
                       .c_str());
}

using Keyring = core::Module<KeyringModule>;

// The keyring's module, loaded once a session bus is there to reach a
// Secret Service; null, with the reason reported, when it cannot be had.
const KeyringModule* OpenKeyring(const Account& account) {
  if (!HasSessionBus()) {
    KeyringFailed(account, "no desktop session (D-Bus) runs, so no Secret Service either");
    return nullptr;
  }
  if (!Keyring::Load()) {
    KeyringFailed(account, Keyring::Error().c_str());
    return nullptr;
  }
  return &Keyring::Get();
}

KeyringAccount AttributesOf(const Account& account) {
  return {account.protocol, account.host.c_str(), static_cast<int>(account.port),
          account.login.c_str()};
}

// Reports the keyring's error, which it frees.
void KeyringError(const KeyringModule& keyring, const Account& account, char* error) {
  KeyringFailed(account, error);
  keyring.free_text(error);
}

}  // namespace

void SetPasswordCallback(VellumPasswordCallback callback) { password_callback = callback; }

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); IsGiven(home)) return home;
  const passwd* entry = getpwuid(getuid());
  return entry != nullptr && entry->pw_dir != nullptr ? entry->pw_dir : "";
}

std::optional<NetrcEntry> FindInNetrc(std::string_view text, std::string_view host,
                                      std::string_view login) {
  // Each entry: "machine NAME" or "default", then "login" and "password"
  // pairs (others are read and passed over) up to the next entry.
  std::optional<NetrcEntry> found;
  bool in_entry = false;  // the entry being read is one for host
  NetrcEntry entry;
  const auto finish = [&] {
    if (in_entry && !entry.password.empty() && (login.empty() || entry.login == login)) {
      found = entry;
    }
  };
  for (std::string token = NextToken(text); !token.empty() && !found; token = NextToken(text)) {
    if (token == "machine" || token == "default") {
      finish();
      in_entry = token == "default" || core::EqualsNoCase(NextToken(text), host);
      entry = {};
    } else if (token == "login") {
      entry.login = NextToken(text);
    } else if (token == "password") {
      entry.password = NextToken(text);
    } else if (token == "macdef") {
      SkipMacro(text);
    }
  }
  if (!found) finish();
  return found;
}

std::optional<std::string> Credentials::Password(Account& account) {
  switch (security_.password_from) {
    case VELLUM_PASSWORD_NETRC:
      if (std::optional<std::string> password = FromNetrc(account)) return password;
      core::ReportError(core::FormatText("'%s': ~/.netrc holds no password for %s",
                                         account.host.c_str(), Describe(account).c_str())
                            .c_str());
      return std::nullopt;
    case VELLUM_PASSWORD_KEYRING:
      if (std::optional<std::string> password = KeyringLookup(account)) return password;
      return Ask(account);
    case VELLUM_PASSWORD_ASK:
      return Ask(account);
    default:
      return std::string(IsGiven(target_.Password) ? target_.Password : "");
  }
}

std::optional<std::string> Credentials::FromNetrc(Account& account) const {
  core::LoadedText text;
  if (!core::LoadWholePath(HomeFolder() + "/.netrc", text, core::kSilent)) return std::nullopt;
  const std::optional<NetrcEntry> entry =
      FindInNetrc(std::string_view(text.data.get(), text.length), account.host,
                  IsGiven(target_.Login) ? target_.Login : "");
  if (!entry) return std::nullopt;
  if (!IsGiven(target_.Login) && !entry->login.empty()) account.login = entry->login;
  return entry->password;
}

std::optional<std::string> Credentials::Ask(const Account& account) {
  if (asked_) return given_;
  asked_ = true;
  if (password_callback == nullptr) {
    core::ReportError(core::FormatText("'%s': a password is needed for %s and nobody can be asked",
                                       account.host.c_str(), Describe(account).c_str())
                          .c_str());
    return std::nullopt;
  }
  std::vector<char> buffer(1024, '\0');
  int32_t remember = 0;
  const std::string prompt = "Password for " + Describe(account);
  const core::CallbackScope scope;
  if (password_callback(prompt.c_str(), buffer.data(), static_cast<int32_t>(buffer.size()),
                        &remember) == 0) {
    return std::nullopt;
  }
  buffer.back() = '\0';
  given_ = std::string(buffer.data());
  remember_ = remember != 0;
  return given_;
}

void Credentials::Accepted(const Account& account) {
  if (remember_ && given_) KeyringStore(account, *given_);
  remember_ = false;
}

std::optional<std::string> KeyringLookup(const Account& account) {
  const KeyringModule* keyring = OpenKeyring(account);
  if (keyring == nullptr) return std::nullopt;
  const KeyringAccount attributes = AttributesOf(account);
  char* error = nullptr;
  char* password = keyring->lookup(&attributes, &error);
  if (error != nullptr) {
    KeyringError(*keyring, account, error);
    return std::nullopt;
  }
  if (password == nullptr) return std::nullopt;
  std::string text = password;
  keyring->free_password(password);
  return text;
}

bool KeyringStore(const Account& account, const std::string& password) {
  const KeyringModule* keyring = OpenKeyring(account);
  if (keyring == nullptr) return false;
  const KeyringAccount attributes = AttributesOf(account);
  const std::string label = "Vellumark upload: " + Describe(account);
  char* error = nullptr;
  if (keyring->store(&attributes, label.c_str(), password.c_str(), &error)) return true;
  if (error != nullptr) KeyringError(*keyring, account, error);
  return false;
}

}  // namespace vellum::publish

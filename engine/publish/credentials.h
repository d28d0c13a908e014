// The password of a server target, when the project does not hold it: from
// ~/.netrc, from the desktop keyring (Secret Service, through libsecret), or
// asked for at upload time through the password callback.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "project/project.h"
#include "vellum/vellum.h"

namespace vellum::publish {

// Sets the callback that Credentials::Ask uses; null asks nobody.
void SetPasswordCallback(VellumPasswordCallback callback);

// The user's home folder as the tools that share ~/.netrc and
// ~/.ssh/known_hosts find it: $HOME, else the password database's entry.
std::string HomeFolder();

// The login and password that a .netrc text gives host: the first "machine"
// entry of host (without regard to case) whose login is login when login is
// given, else the "default" entry; tokens may be quoted ("a b", with
// backslash escapes) and "macdef" bodies run to an empty line, as libcurl
// reads the file. Nothing when no entry fits or the entry has no password.
struct NetrcEntry {
  std::string login;
  std::string password;
};
std::optional<NetrcEntry> FindInNetrc(std::string_view text, std::string_view host,
                                      std::string_view login);

// Who logs in where: the owner of a password.
struct Account {
  const char* protocol;  // "ftp", "sftp", "ftps"
  std::string host;
  long port = 0;
  std::string login;  // may be filled in from ~/.netrc
};

// The password of one target's upload, found once and kept for it.
class Credentials {
 public:
  Credentials(const OutputTarget& target, const project::TargetSecurity& security)
      : target_(target), security_(security) {}

  // The target's password as its settings say where to find it; nothing
  // (with the reason reported on the error callback) when it has none
  // there and nobody gave one when asked. A target that keeps its password
  // in the project has it, or none ("" with a value).
  std::optional<std::string> Password(Account& account);

  // Asks the password callback (once per upload of the target); nothing
  // when nobody is there to ask or the user gave none.
  std::optional<std::string> Ask(const Account& account);

  // After the server took the password: stores it in the keyring when the
  // user asked for that when giving it. A keyring that cannot be reached is
  // reported and changes nothing else.
  void Accepted(const Account& account);

 private:
  std::optional<std::string> FromNetrc(Account& account) const;

  const OutputTarget& target_;
  const project::TargetSecurity& security_;
  std::optional<std::string> given_;  // the password asked for
  bool asked_ = false;
  bool remember_ = false;
};

// The desktop keyring through libsecret, in the keyring module that the
// first use with a session bus loads. Lookup: the password stored for
// account; nothing when it holds none, and, with the reason reported on the
// info callback, when no Secret Service runs or the module cannot be loaded.
// Store: false (reported) when it could not be stored.
std::optional<std::string> KeyringLookup(const Account& account);
bool KeyringStore(const Account& account, const std::string& password);

}  // namespace vellum::publish

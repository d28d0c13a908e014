// The keyring module: the desktop keyring (Secret Service, through
// libsecret), so that libsecret and GLib are loaded only by an upload whose
// password is kept there.
#pragma once

#include "core/module.h"

namespace vellum::publish {

// The attributes a password is stored under.
struct KeyringAccount {
  const char* protocol;
  const char* server;
  int port;
  const char* user;
};

struct KeyringModule {
  core::ModuleHeader header;
  static constexpr const char* kName = "keyring";
  static constexpr uint32_t kVersion = 1;
  // The password stored for account, freed with free_password; null when
  // the keyring holds none, and also, with *error set (freed with
  // free_text), when the keyring cannot be asked.
  char* (*lookup)(const KeyringAccount* account, char** error);
  // Stores password for account under label; false, with *error set, when
  // it could not.
  bool (*store)(const KeyringAccount* account, const char* label, const char* password,
                char** error);
  void (*free_password)(char* password);  // wipes it
  void (*free_text)(char* text);
};

}  // namespace vellum::publish

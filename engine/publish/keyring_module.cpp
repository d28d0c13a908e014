#include "publish/keyring_module.h"

#include <libsecret/secret.h>

namespace {

using vellum::publish::KeyringAccount;
using vellum::publish::KeyringModule;

const SecretSchema* Schema() {
  static const SecretSchema schema = {"org.vellumark.Password",
                                      SECRET_SCHEMA_NONE,
                                      {{"protocol", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                       {"server", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                       {"port", SECRET_SCHEMA_ATTRIBUTE_INTEGER},
                                       {"user", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                       {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING}},
                                      0,
                                      nullptr,
                                      nullptr,
                                      nullptr,
                                      nullptr,
                                      nullptr,
                                      nullptr,
                                      nullptr};
  return &schema;
}

// Hands the error's message over to the caller; false.
bool TakeError(GError* error, char** message) {
  *message = g_strdup(error->message);
  g_error_free(error);
  return false;
}

char* Lookup(const KeyringAccount* account, char** error) {
  GError* failure = nullptr;
  char* password = secret_password_lookup_sync(Schema(), nullptr, &failure, "protocol",
                                               account->protocol, "server", account->server, "port",
                                               account->port, "user", account->user, nullptr);
  if (failure != nullptr) TakeError(failure, error);
  return password;
}

bool Store(const KeyringAccount* account, const char* label, const char* password, char** error) {
  GError* failure = nullptr;
  const gboolean stored =
      secret_password_store_sync(Schema(), SECRET_COLLECTION_DEFAULT, label, password, nullptr,
                                 &failure, "protocol", account->protocol, "server", account->server,
                                 "port", account->port, "user", account->user, nullptr);
  if (failure != nullptr) return TakeError(failure, error);
  return stored != FALSE;
}

void FreeText(char* text) { g_free(text); }

}  // namespace

VELLUM_MODULE_ENTRY {
  static const KeyringModule table = {vellum::core::HeaderOf<KeyringModule>(), &Lookup, &Store,
                                      &secret_password_free, &FreeText};
  return &table.header;
}

#include "publish/ssh_module.h"

VELLUM_MODULE_ENTRY {
  using vellum::publish::SshModule;
#define VELLUM_SSH_ADDRESS(name) &::name,
  static const SshModule table = {vellum::core::HeaderOf<SshModule>(),
                                  VELLUM_SSH_FUNCTIONS(VELLUM_SSH_ADDRESS)};
#undef VELLUM_SSH_ADDRESS
  return &table.header;
}

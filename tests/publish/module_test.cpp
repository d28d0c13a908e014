// The engine's modules load from where the build puts them, beside the
// program as beside an installed library, and a missing one or one of
// another version is refused with the reason.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "config/magick_module.h"
#include "core/module.h"
#include "publish/keyring_module.h"
#include "publish/ssh_module.h"

namespace vellum::publish {
namespace {

using ::testing::HasSubstr;

TEST(Module, LoadsTheModulesAndRefusesAMissingOrForeignOne) {
  constexpr core::ModuleHeader kSsh = core::HeaderOf<SshModule>();
  const struct {
    const char* name;
    core::ModuleHeader header;
    const char* error;  // null: loads
  } rows[] = {
      {"ssh", kSsh, nullptr},
      {"keyring", core::HeaderOf<KeyringModule>(), nullptr},
      {"magick", core::HeaderOf<config::MagickModule>(), nullptr},
      {"absent", kSsh, "vellum/absent.so: cannot open shared object file"},
      {"ssh", {kSsh.version + 1, kSsh.size}, "vellum/ssh.so: a module of another version"},
  };
  for (const auto& row : rows) {
    const core::LoadedModule module = core::LoadModule(row.name, row.header);
    if (row.error == nullptr) {
      EXPECT_NE(module.header, nullptr) << row.name << ": " << module.error;
    } else {
      EXPECT_EQ(module.header, nullptr) << row.name;
      EXPECT_THAT(module.error, HasSubstr(row.error)) << row.name;
    }
  }
}

}  // namespace
}  // namespace vellum::publish

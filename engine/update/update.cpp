#include "update/update.h"

#include "web/address.h"

namespace vellum::update {

std::string AddressKey(std::string_view url) {
  std::string normal = web::NormaliseAddress(url);
  if (std::optional<std::string> folder = web::IndexPageFolder(normal)) return *folder;
  return normal;
}

}  // namespace vellum::update

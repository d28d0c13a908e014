#include "web/url_class.h"

#include <string>

#include "config/engine_config.h"
#include "core/text_utils.h"

namespace vellum::web {
namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && core::EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

}  // namespace

bool IsHttp(std::string_view text) {
  return StartsWithNoCase(text, "http://") || StartsWithNoCase(text, "https://");
}

bool IsFtp(std::string_view text) { return StartsWithNoCase(text, "ftp://"); }

bool IsGopher(std::string_view text) { return StartsWithNoCase(text, "gopher://"); }

bool IsWebAddress(std::string_view text) { return IsHttp(text) || IsFtp(text) || IsGopher(text); }

bool IsFileAddress(std::string_view text) { return StartsWithNoCase(text, "file://"); }

bool IsMailAddress(std::string_view text) { return StartsWithNoCase(text, "mailto:"); }

bool IsNewsAddress(std::string_view text) { return StartsWithNoCase(text, "news:"); }

bool IsRelative(std::string_view text) { return text.find(':') == std::string_view::npos; }

bool IsOutsideSite(std::string_view address, std::string_view base) {
  if (!IsWebAddress(address)) return false;
  const std::size_t separator = base.find_last_of("\\/");
  if (separator == std::string_view::npos) return true;
  return address.substr(0, separator) != base.substr(0, separator);
}

LinkClass ClassifyLink(std::string_view link) {
  if (IsFtp(link)) return LinkClass::kFtpPage;
  if (IsFileAddress(link)) return LinkClass::kFile;
  if (IsGopher(link)) return LinkClass::kGopher;
  if (IsMailAddress(link)) return LinkClass::kMail;
  if (IsNewsAddress(link)) return LinkClass::kNews;
  if (!IsHttp(link) && !IsRelative(link) && !core::IsAbsolutePath(std::string(link).c_str())) {
    return LinkClass::kOtherScheme;
  }
  return LinkClass::kPage;
}

bool HasPageExtension(std::string_view link) {
  return core::ExtensionInList(std::string(link).c_str(), config::TheConfig().ExtPage);
}

}  // namespace vellum::web

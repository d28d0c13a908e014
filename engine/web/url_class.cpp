#include "web/url_class.h"

#include <curl/curl.h>
#include <libpsl.h>

#include <memory>
#include <optional>
#include <string>
#include <tuple>

#include "config/engine_config.h"
#include "core/text_utils.h"
#include "web/address.h"

namespace vellum::web {
namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && core::EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

struct UrlParts {
  std::string scheme, host, port;
};

// The scheme, host and port (the scheme's default when none is written) of
// an http(s) address, all in lower case; nothing for anything else.
std::optional<UrlParts> PartsOf(std::string_view address) {
  const std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> url(curl_url(), curl_url_cleanup);
  if (!url ||
      curl_url_set(url.get(), CURLUPART_URL, std::string(address).c_str(), 0) != CURLUE_OK) {
    return std::nullopt;
  }
  UrlParts parts;
  for (auto [part, text, flags] :
       {std::tuple{CURLUPART_SCHEME, &parts.scheme, 0u},
        std::tuple{CURLUPART_HOST, &parts.host, 0u},
        std::tuple{CURLUPART_PORT, &parts.port, unsigned{CURLU_DEFAULT_PORT}}}) {
    char* value = nullptr;
    if (curl_url_get(url.get(), part, &value, flags) != CURLUE_OK) return std::nullopt;
    *text = value;
    curl_free(value);
    for (char& c : *text) c = core::ToLowerAscii(c);
  }
  if (parts.scheme != "http" && parts.scheme != "https") return std::nullopt;
  return parts;
}

// The registrable domain of a host name ("example.co.uk" for
// "www.example.co.uk"); nothing for an address (IPv4, IPv6) or a public
// suffix itself.
std::optional<std::string> RegistrableDomain(const std::string& host) {
  if (host.empty() || host.front() == '[' ||
      host.find_first_not_of("0123456789.") == std::string::npos) {
    return std::nullopt;
  }
  const char* domain = psl_registrable_domain(psl_builtin(), host.c_str());
  if (domain == nullptr) return std::nullopt;
  return std::string(domain);
}

}  // namespace

bool IsSameSite(std::string_view from, std::string_view to) {
  const std::optional<UrlParts> a = PartsOf(from);
  const std::optional<UrlParts> b = PartsOf(to);
  if (!a || !b) return false;
  if (b->scheme != a->scheme && b->scheme != "https") return false;
  // One host is one site over one port; moving to HTTPS moves the port too.
  if (a->host == b->host) return a->scheme != b->scheme || a->port == b->port;
  const std::optional<std::string> domain = RegistrableDomain(a->host);
  return domain && domain == RegistrableDomain(b->host);
}

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
  const std::size_t separator = FindLastOf<'\\', '/'>(base);
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
  return core::ExtensionInList(link, config::TheConfig().ExtPage);
}

}  // namespace vellum::web

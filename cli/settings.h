// The site map settings as vellumark names them: one table serves `set`,
// `show --settings` and the help text.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "vellum/vellum.h"

namespace vellumark {

// A text member of the settings (absent and empty are the same here).
using TextMember = const char* SiteMapSettings::*;

// A small number chosen by name.
struct Choice {
  uint8_t SiteMapSettings::*member;
  std::span<const std::string_view> names;
};

// A small number given as digits, 0 to max.
struct SmallNumber {
  uint8_t SiteMapSettings::*member;
  int max;
};

// The border width of the level table.
struct Border {};

// One bit of the site map item's flag word, "on" or "off".
struct FlagBit {
  uint32_t bit;
};

// The public address of the site (VellumSiteSettings.SiteURL): kept by the
// open project beside the site map item, not in it.
struct SiteUrl {};

// The markup and the language of the pages (VellumPageSettings), kept by the
// open project like the site's address.
struct Markup {};
struct Lang {};

// One flag of what the XML site map says beside each page's address
// (VellumSiteSettings.SitemapExtras), "on" or "off", kept by the open
// project like the site's address.
struct SitemapExtra {
  int32_t bit;
};

struct Setting {
  std::string_view key;
  std::variant<TextMember, Choice, SmallNumber, Border, FlagBit, SiteUrl, Markup, Lang,
               SitemapExtra>
      value;
  std::string_view help;
};

std::span<const Setting> Settings();

const Setting* FindSetting(std::string_view key);

// The output type names, in value order ("ul" is 0).
std::span<const std::string_view> OutputTypeNames();

// The value of name in names, if it is one of them.
std::optional<uint8_t> ChoiceValue(std::span<const std::string_view> names, std::string_view name);

// The setting's value as `show --settings` prints it (site-url, markup,
// lang and the site map's extras: the open project's).
std::string FormatSetting(const Setting& setting, const SiteMapSettings& settings, uint32_t flags);

// Applies value to the settings (texts point into value, which must outlive
// their use), to flags, or (site-url, markup, lang, the site map's extras)
// to the open project's site and page settings.
// Returns an error text, empty on success.
std::string ApplySetting(const Setting& setting, const std::string& value,
                         SiteMapSettings& settings, uint32_t& flags);

}  // namespace vellumark

#include "settings.h"

#include <charconv>

namespace vellumark {
namespace {

constexpr std::string_view kOutputTypes[] = {"ul",    "paged", "icontree", "scripttree", "combo",
                                             "index", "table", "xml",      "text"};
constexpr std::string_view kFontStyles[] = {"regular", "bold", "italic", "bold-italic"};
constexpr std::string_view kListTypes[] = {"circle", "disc", "square", "none"};
constexpr std::string_view kMarkups[] = {"classic", "html5"};

using S = SiteMapSettings;

const Setting kSettings[] = {
    {"type", Choice{&S::OutputType, kOutputTypes},
     "page layout: ul, paged, icontree, scripttree, combo, index, table, or xml\n"
     "                          or text (the XML or plain text site map for search engines)"},
    {"output-file", &S::OutputFile, "the page to write (relative to the project's folder)"},
    {"image-folder", &S::ImageFolder, "folder of the page's pictures, relative to the page"},
    {"scheme", &S::SchemeName, "picture scheme (empty: the default of the layout)"},
    {"title", &S::Title, "page title"},
    {"bg-color", &S::BgColor, "page background colour, six hex digits"},
    {"background-image", &S::BackgroundImage,
     "page background picture, copied into the image folder when it is a\n"
     "                          gif, jpg, jpeg, png, webp, bmp, ico or avif file"},
    {"font-color", &S::FontColor, "text colour, six hex digits"},
    {"link-color", &S::LinkColor, "link colour, six hex digits"},
    {"visited-color", &S::VisitedColor, "visited link colour, six hex digits"},
    {"font-size", SmallNumber{&S::FontSize, 6}, "font size index 0 to 6 (SIZE 1 to 7)"},
    {"font-style", Choice{&S::FontStyle, kFontStyles}, "regular, bold, italic, bold-italic"},
    {"top-list-type", Choice{&S::TopListType, kListTypes},
     "bullets of the outer list: circle, disc, square, none"},
    {"sub-list-type", Choice{&S::SubListType, kListTypes}, "bullets of nested lists"},
    {"text-above", &S::TextAbove, "HTML placed above the site map"},
    {"text-below", &S::TextBelow, "HTML placed below the site map"},
    {"head-tags", &S::HeadTags, "HTML placed in the page's HEAD"},
    {"other-name", &S::OtherName, "index layout: name of the group of other names"},
    {"combo-title", &S::ComboTitle, "combo layout: first entry of the list"},
    {"top-crumb", &S::TopCrumbText, "paged layout: name of the top of the trail"},
    {"crumb-separator", &S::CrumbSeparator, "paged layout: separator in the trail"},
    {"expand-text", &S::ExpandText, "scripttree layout: text of the expand-all link"},
    {"collapse-text", &S::CollapseText, "scripttree layout: text of the collapse-all link"},
    {"table-border", Border{}, "table layout: border width"},
    {"relative-links", FlagBit{VELLUM_GEN_RELATIVE_LINKS},
     "link targets relative to the base path"},
    {"breadcrumbs", FlagBit{VELLUM_GEN_BREADCRUMBS}, "paged layout: trail of parent pages"},
    {"child-counts", FlagBit{VELLUM_GEN_CHILD_COUNTS},
     "paged layout: number of entries behind a branch's link"},
    {"expand-collapse-links", FlagBit{VELLUM_GEN_EXPAND_COLLAPSE_LINKS},
     "scripttree layout: expand-all and collapse-all links"},
    {"letter-bar-before", FlagBit{VELLUM_GEN_LETTER_BAR_BEFORE},
     "index layout: letter bar before the index"},
    {"letter-bar-after", FlagBit{VELLUM_GEN_LETTER_BAR_AFTER},
     "index layout: letter bar after the index"},
    {"use-font-size", FlagBit{VELLUM_GEN_USE_FONT_SIZE}, "FONT tags carry the size"},
    {"use-font-color", FlagBit{VELLUM_GEN_USE_FONT_COLOR}, "FONT tags and BODY carry the colour"},
    {"use-link-color", FlagBit{VELLUM_GEN_USE_LINK_COLOR}, "BODY carries the link colour"},
    {"use-visited-color", FlagBit{VELLUM_GEN_USE_VISITED_COLOR},
     "BODY carries the visited link colour"},
    {"page-footer", FlagBit{VELLUM_GEN_PAGE_FOOTER}, "a generator paragraph ends the page"},
    {"no-output-list", FlagBit{VELLUM_GEN_NO_OUTPUT_LIST},
     "written files are not registered for upload"},
    {"site-url", SiteUrl{},
     "public address of the site's base folder (https://www.example.com/): the\n"
     "                          XML site map of pages on disk lists them there"},
    {"markup", Markup{},
     "markup of the pages: classic (the default) or html5 (a standard page for\n"
     "                          every layout: keyboard, screen readers, small screens)"},
    {"lang", Lang{}, "html5 markup: the pages' language, a tag such as de or en-GB (empty: en)"},
    {"sitemap-images", SitemapExtra{VELLUM_SITEMAP_IMAGES},
     "xml layout: the pictures of each page of the site (image:image), as the\n"
     "                          scans from then on find them"},
    {"sitemap-alternates", SitemapExtra{VELLUM_SITEMAP_ALTERNATES},
     "xml layout: the language versions each page names (xhtml:link hreflang),\n"
     "                          as the scans from then on find them"},
};

template <typename... Ts>
struct Overloaded : Ts... {
  using Ts::operator()...;
};

std::optional<int> ParseNumber(std::string_view text) {
  int value = 0;
  auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

// Sets ("on") or clears ("off") bit of word; false for any other value.
template <typename Word, typename Bit>
bool SetOnOff(const std::string& value, Bit bit, Word& word) {
  if (value == "on") {
    word |= static_cast<Word>(bit);
  } else if (value == "off") {
    word &= static_cast<Word>(~static_cast<Word>(bit));
  } else {
    return false;
  }
  return true;
}

std::string Joined(std::span<const std::string_view> names) {
  std::string joined;
  for (std::string_view name : names) {
    if (!joined.empty()) joined += ", ";
    joined += name;
  }
  return joined;
}

}  // namespace

std::span<const Setting> Settings() { return kSettings; }

std::span<const std::string_view> OutputTypeNames() { return kOutputTypes; }

const Setting* FindSetting(std::string_view key) {
  for (const Setting& setting : kSettings) {
    if (setting.key == key) return &setting;
  }
  return nullptr;
}

std::optional<uint8_t> ChoiceValue(std::span<const std::string_view> names, std::string_view name) {
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (names[i] == name) return static_cast<uint8_t>(i);
  }
  return std::nullopt;
}

std::string FormatSetting(const Setting& setting, const SiteMapSettings& settings, uint32_t flags) {
  return std::visit(
      Overloaded{
          [&](TextMember member) -> std::string {
            const char* text = settings.*member;
            return text != nullptr ? text : "";
          },
          [&](const Choice& choice) -> std::string {
            uint8_t value = settings.*choice.member;
            if (value < choice.names.size()) return std::string(choice.names[value]);
            return std::to_string(value);
          },
          [&](const SmallNumber& number) { return std::to_string(settings.*number.member); },
          [&](Border) { return std::to_string(settings.TableBorder); },
          [&](FlagBit flag) -> std::string { return (flags & flag.bit) != 0 ? "on" : "off"; },
          [&](SiteUrl) -> std::string { return VellumFilled(VellumGetSiteSettings).SiteURL; },
          [&](Markup) -> std::string {
            return std::string(
                kMarkups[VellumFilled(VellumGetPageSettings).Markup == VELLUM_MARKUP_HTML5]);
          },
          [&](Lang) -> std::string { return VellumFilled(VellumGetPageSettings).Lang; },
          [&](SitemapExtra extra) -> std::string {
            return (VellumFilled(VellumGetSiteSettings).SitemapExtras & extra.bit) != 0 ? "on"
                                                                                        : "off";
          },
      },
      setting.value);
}

std::string ApplySetting(const Setting& setting, const std::string& value,
                         SiteMapSettings& settings, uint32_t& flags) {
  const std::string bad = "bad value '" + value + "' for " + std::string(setting.key);
  return std::visit(
      Overloaded{
          [&](TextMember member) -> std::string {
            settings.*member = value.c_str();
            return {};
          },
          [&](const Choice& choice) -> std::string {
            std::optional<uint8_t> chosen = ChoiceValue(choice.names, value);
            if (!chosen) return bad + " (one of: " + Joined(choice.names) + ")";
            settings.*choice.member = *chosen;
            return {};
          },
          [&](const SmallNumber& number) -> std::string {
            std::optional<int> parsed = ParseNumber(value);
            if (!parsed || *parsed < 0 || *parsed > number.max) {
              return bad + " (0 to " + std::to_string(number.max) + ")";
            }
            settings.*number.member = static_cast<uint8_t>(*parsed);
            return {};
          },
          [&](Border) -> std::string {
            std::optional<int> parsed = ParseNumber(value);
            if (!parsed || *parsed < 0) return bad + " (a width in pixels)";
            settings.TableBorder = *parsed;
            return {};
          },
          [&](FlagBit flag) -> std::string {
            if (!SetOnOff(value, flag.bit, flags)) return bad + " (on or off)";
            return {};
          },
          [&](SiteUrl) -> std::string {
            if (!value.empty() && !value.starts_with("http://") && !value.starts_with("https://")) {
              return bad + " (an http:// or https:// address, or empty)";
            }
            VellumSiteSettings site = VellumFilled(VellumGetSiteSettings);
            site.SiteURL = value.c_str();
            VellumSetSiteSettings(&site);
            return {};
          },
          [&](Markup) -> std::string {
            std::optional<uint8_t> chosen = ChoiceValue(kMarkups, value);
            if (!chosen) return bad + " (one of: " + Joined(kMarkups) + ")";
            VellumPageSettings page = VellumFilled(VellumGetPageSettings);
            page.Markup = *chosen == 1 ? VELLUM_MARKUP_HTML5 : VELLUM_MARKUP_CLASSIC;
            VellumSetPageSettings(&page);
            return {};
          },
          [&](Lang) -> std::string {
            VellumPageSettings page = VellumFilled(VellumGetPageSettings);
            page.Lang = value.c_str();
            if (VellumSetPageSettings(&page) == 0 &&
                VellumFilled(VellumGetPageSettings).Lang != value) {
              return bad + " (a language tag such as de, en-GB or zh-Hant, or empty)";
            }
            return {};
          },
          [&](SitemapExtra extra) -> std::string {
            VellumSiteSettings site = VellumFilled(VellumGetSiteSettings);
            if (!SetOnOff(value, extra.bit, site.SitemapExtras)) return bad + " (on or off)";
            VellumSetSiteSettings(&site);
            return {};
          },
      },
      setting.value);
}

}  // namespace vellumark

#include "project/file_format.h"

namespace vellum::project {
namespace {

constexpr const char* kKindKeys[] = {
    "Check",   "ChrTran", "MetaTag",  "Pack",    "Paste",    "Report",  "StrTran",  "Upload",
    "Command", "SiteMap", "SSiteMap", "Gallery", "SGallery", "MP3List", "SMP3List",
};

// Bit numbers for runs of consecutive flags: a run of n bits from b is
// kBitNumbers.subspan(b, n).
constexpr int8_t kBitNumbers[] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,
                                  10, 11, 12, 13, 14, 15, 16, 17, 18, 19};
constexpr int8_t kUploadPropertiesBits[] = {0, 1, 2, 3, -1, -1, -1, -1};
constexpr int8_t kCompressHighBits[] = {16, 17, 18, 19, -1, -1};
constexpr int8_t kTargetFlagBits[] = {0, 1, 2, 3, 4, -1, -1, -1};
// Report items skip bits 4 and 5.
constexpr int8_t kReportBits[] = {0, 1, 2, 3, 6, 7, 8, 9, 10, 11, 12, 13, 14};

constexpr FlagRun Bits(int first, int count, bool at_least) {
  return {std::span<const int8_t>(kBitNumbers).subspan(first, count), at_least};
}

using G = ValueGroup;
constexpr G Texts(int count) { return {G::kTexts, count}; }
constexpr G Numbers(int count) { return {G::kNumbers, count}; }
constexpr G DigitValues(int count) { return {G::kDigitValues, count}; }
constexpr G Flags(FlagRun run) { return {G::kFlagDigits, static_cast<int>(run.bits.size()), run}; }

constexpr G kCheck[] = {Flags(Bits(0, 4, true))};
constexpr G kTextTranslation[] = {Texts(4), Flags(Bits(0, 3, true))};
constexpr G kMetaTag[] = {Texts(7), Flags(Bits(0, 8, true))};
constexpr G kPack[] = {Texts(1), Flags(Bits(0, 16, false)), Flags(Bits(16, 4, false))};
constexpr G kPaste[] = {Texts(4), {G::kPasteDigits, 2}};
constexpr G kReport[] = {Texts(1), Flags({kReportBits, true})};
constexpr G kUpload[] = {Texts(4), Numbers(1), Flags(Bits(0, 8, true))};
constexpr G kSiteMap[] = {DigitValues(6), Texts(18), Numbers(1), Flags(Bits(0, 16, true))};
constexpr G kGallery[] = {DigitValues(6), Texts(22), Numbers(6), Flags(Bits(0, 16, false)),
                          Flags(Bits(16, 2, false))};
constexpr G kMp3List[] = {DigitValues(8), Texts(16), Flags(Bits(0, 16, false))};

}  // namespace

const FlagRun kUploadPropertiesRun{kUploadPropertiesBits, false};
const FlagRun kCompressLowRun = Bits(0, 16, false);
const FlagRun kCompressHighRun{kCompressHighBits, false};
const FlagRun kTargetFlagsRun{kTargetFlagBits, false};

bool IsScriptKind(uint32_t kind) {
  return kind >= VELLUM_KIND_CHECK && kind <= VELLUM_KIND_SMP3LIST;
}

bool IsSiteMapKind(int kind) { return kind == VELLUM_KIND_SITEMAP || kind == VELLUM_KIND_SSITEMAP; }

const char* KindKey(int kind) { return kKindKeys[kind - 1]; }

bool ReadFlagRun(std::string_view digits, const FlagRun& run, uint32_t& flags) {
  const std::size_t count = run.bits.size();
  if (digits.size() < count || (!run.at_least && digits.size() != count)) return false;
  for (std::size_t i = 0; i < count; ++i) {
    if (digits[i] != '0' && run.bits[i] >= 0) flags |= 1u << run.bits[i];
  }
  return true;
}

std::string FlagRunDigits(uint32_t flags, const FlagRun& run) {
  std::string digits;
  for (int8_t bit : run.bits) digits += bit >= 0 && (flags >> bit & 1u) != 0 ? '1' : '0';
  return digits;
}

std::span<const ValueGroup> LayoutOf(int kind) {
  switch (kind) {
    case VELLUM_KIND_CHECK:
      return kCheck;
    case VELLUM_KIND_CHRTRAN:
    case VELLUM_KIND_STRTRAN:
      return kTextTranslation;
    case VELLUM_KIND_METATAG:
      return kMetaTag;
    case VELLUM_KIND_PACK:
      return kPack;
    case VELLUM_KIND_PASTE:
      return kPaste;
    case VELLUM_KIND_REPORT:
      return kReport;
    case VELLUM_KIND_UPLOAD:
      return kUpload;
    case VELLUM_KIND_SITEMAP:
    case VELLUM_KIND_SSITEMAP:
      return kSiteMap;
    case VELLUM_KIND_GALLERY:
    case VELLUM_KIND_SGALLERY:
      return kGallery;
    case VELLUM_KIND_MP3LIST:
    case VELLUM_KIND_SMP3LIST:
      return kMp3List;
    default:  // VELLUM_KIND_COMMAND: the name alone
      return {};
  }
}

std::array<const char**, 18> SiteMapTexts(SiteMapSettings& s) {
  return {&s.OutputFile,   &s.ImageFolder,  &s.SchemeName,  &s.BgColor,        &s.BackgroundImage,
          &s.Title,        &s.TextAbove,    &s.TextBelow,   &s.HeadTags,       &s.ComboTitle,
          &s.TopCrumbText, &s.CollapseText, &s.ExpandText,  &s.CrumbSeparator, &s.OtherName,
          &s.FontColor,    &s.LinkColor,    &s.VisitedColor};
}

ItemSlots SlotsOf(ScriptItem& item) {
  ItemSlots slots;
  if (IsSiteMapKind(item.Kind)) {
    SiteMapSettings& s = item.Body.SiteMap;
    slots.digits = {&s.OutputType, &s.Mode,        &s.FontSize,
                    &s.FontStyle,  &s.TopListType, &s.SubListType};
    std::array<const char**, 18> texts = SiteMapTexts(s);
    std::copy(texts.begin(), texts.end(), slots.texts.begin());
    slots.text_count = static_cast<int>(texts.size());
    slots.numbers[0] = &s.TableBorder;
    return slots;
  }
  ScriptValues& values = item.Body.Other;
  for (int i = 0; i < 8; ++i) slots.digits[i] = &values.Digits[i];
  for (int i = 0; i < 22; ++i) slots.texts[i] = &values.Texts[i];
  for (int i = 0; i < 6; ++i) slots.numbers[i] = &values.Numbers[i];
  slots.text_count = 22;
  return slots;
}

}  // namespace vellum::project

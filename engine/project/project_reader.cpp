// The reader of project files. Every fault ends reading; where it ends
// decides what the caller learns:
//  - a failure with a syntax report: faults in the version line, in Common
//    and in ScriptMacros, and a token in ScriptList that starts nothing;
//  - a failure without a report: a malformed AddFile or RemoveFile entry, an
//    item or gallery/MP3 entry key not followed by "={", and a gallery or MP3
//    entry without an item of its kind before it;
//  - a stop as at the end of the text, with a syntax report: faults after an
//    item's "={" and inside MapItem, GalItem and Mp3Item values, and a
//    MapItem without a stored site map before it.
// At most one syntax report is sent per read.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/map_item_list.h"
#include "core/messages.h"
#include "core/text_utils.h"
#include "project/file_format.h"
#include "project/project.h"
#include "project/project_file.h"
#include "project/project_tokenizer.h"
#include "project/records.h"
#include "project/site_settings.h"

namespace vellum::project {
namespace {

enum class Outcome {
  kOk,
  kFail,  // reading fails (reported where the fault was found, or silent)
  kStop,  // reading ends with success
};

// Texts that the file gives as "" are kept as none, as the update rule keeps
// them; only Source, Description and Macros keep an empty text.
const char* OptionalText(const std::string& value) {
  return value.empty() ? nullptr : value.c_str();
}

// True when a version number, read as a decimal fraction, is above 1.0. The
// number token may hold several points; the fraction ends at the second.
bool IsAboveVersionOne(std::string_view number) {
  const std::size_t point = number.find('.');
  std::string_view whole = number.substr(0, point);
  whole.remove_prefix(std::min(whole.find_first_not_of('0'), whole.size()));
  if (whole.size() > 1 || (whole.size() == 1 && whole[0] > '1')) return true;
  if (whole.empty() || point == std::string_view::npos) return false;
  std::string_view fraction = number.substr(point + 1);
  fraction = fraction.substr(0, fraction.find('.'));
  return fraction.find_first_not_of('0') != std::string_view::npos;
}

// The text's value with its escapes resolved; a value holding a NUL ends
// there, as every text of the project does.
std::string Unescaped(std::string_view raw) {
  std::string value(raw);
  core::Unescape(value.data());
  value.resize(std::strlen(value.c_str()));
  return value;
}

bool IsMapItemKey(const Token& token) {
  return token.type == Token::kWord && token.id == kMapItemKey;
}

class Reader {
 public:
  Reader(Project& project, std::string_view text) : project_(project), tokens_(text) {}

  bool Read();

 private:
  Token Next() {
    Token token = tokens_.Next();
    // "*/" outside a comment ends the text, and is a fault wherever it stands.
    if (token.type == Token::kEnd && tokens_.EndedByCommentClose()) Syntax(Outcome::kOk);
    return token;
  }
  bool Expect(Token::Type type) { return Next().type == type; }
  bool ExpectComma() { return Expect(Token::kComma); }
  bool ExpectOpening() { return Expect(Token::kEquals) && Expect(Token::kOpenBrace); }
  bool ReadString(std::string& value);
  bool ReadInteger(int32_t& value);
  bool ReadInteger(int64_t& value);
  bool ReadDigits(std::string_view& digits);
  bool ReadFlagRun(const FlagRun& run, uint32_t& flags);

  bool ReadVersion();
  Outcome ReadCommonEntry(const Token& key);
  Outcome ReadFileListEntry(const Token& key);
  Outcome ReadTarget(bool with_security);
  Outcome ReadUploadRecord();
  Outcome ReadMacrosEntry(const Token& key);
  Outcome ReadSiteEntry(const Token& key);
  Outcome ReadPageExtras(bool alternates);
  Outcome ReadScanEntry(const Token& key);
  Outcome ReadScanEntryValue(const Token& key);
  Outcome ReadKeptPage();
  bool AddLink(std::string_view digits);
  bool ReadAddressIndex(int64_t& index, bool none_allowed);
  Outcome ReadPageEntry(const Token& key);
  Outcome ReadListEntry(const Token& key);
  Outcome ReadItem(int kind);
  Outcome ReadItemValues(ScriptItem& item);
  Outcome ReadMapItem();
  Outcome ReadListedEntry(int kind, int text_count);

  ScriptItem* LastItem() {
    return project_.ItemCount > 0 ? &project_.Items[project_.ItemCount - 1] : nullptr;
  }

  // Sends the syntax report (once per read) and returns outcome.
  Outcome Syntax(Outcome outcome);

  Project& project_;
  ProjectTokenizer tokens_;
  bool reported_ = false;
  // The kept pages' numbers of the VellumScan section's addresses, in file
  // order, and the depth of its last tree entry.
  std::vector<int> scan_addresses_;
  int scan_depth_ = -1;
  // The links of the kept page being read, gathered before the page takes
  // them in one allocation.
  std::vector<int> links_;
};

Outcome Reader::Syntax(Outcome outcome) {
  if (!reported_) {
    reported_ = true;
    const char* path = project_.FilePath != nullptr ? project_.FilePath : "";
    core::ReportInfoCode(core::ErrorCode::kBadProject, path, tokens_.Line());
  }
  return outcome;
}

bool Reader::ReadString(std::string& value) {
  const Token token = Next();
  if (token.type != Token::kString) return false;
  if (token.plain) {
    value.assign(token.text);
  } else {
    value = Unescaped(token.text);
  }
  return true;
}

bool Reader::ReadInteger(int32_t& value) {
  int64_t wide = 0;
  if (!ReadInteger(wide)) return false;
  value = static_cast<int32_t>(std::clamp<int64_t>(wide, std::numeric_limits<int32_t>::min(),
                                                   std::numeric_limits<int32_t>::max()));
  return true;
}

bool Reader::ReadInteger(int64_t& value) {
  Token token = Next();
  // The writer stores negative numbers (a port, a border) with a minus sign.
  const bool negative = token.type == Token::kOther && token.text == "-" && tokens_.NumberFollows();
  if (negative) token = Next();
  if (token.type != Token::kNumber) return false;
  // Digits up to the first point count, as in a decimal with a fraction.
  constexpr int64_t kLimit = std::numeric_limits<int64_t>::max() / 10 - 9;
  int64_t magnitude = 0;
  for (char c : token.text) {
    if (c == '.') break;
    magnitude = std::min(magnitude * 10 + (c - '0'), kLimit);
  }
  value = negative ? -magnitude : magnitude;
  return true;
}

bool Reader::ReadDigits(std::string_view& digits) {
  const Token token = Next();
  digits = token.text;
  return token.type == Token::kNumber;
}

bool Reader::ReadFlagRun(const FlagRun& run, uint32_t& flags) {
  std::string_view digits;
  return ReadDigits(digits) && project::ReadFlagRun(digits, run, flags);
}

bool Reader::Read() {
  if (!ReadVersion()) return false;
  int section = kUnknownSection;  // no section before the first name
  for (Token token = Next(); token.type != Token::kEnd; token = Next()) {
    if (token.type == Token::kSection) {
      if (token.id == kUnknownSection) {
        Syntax(Outcome::kFail);
        return false;
      }
      section = token.id;
      continue;
    }
    Outcome outcome = Outcome::kFail;
    switch (section) {
      case kCommonSection:
        outcome = ReadCommonEntry(token);
        break;
      case kScriptMacrosSection:
        outcome = ReadMacrosEntry(token);
        break;
      case kScriptListSection:
        outcome = ReadListEntry(token);
        break;
      case kVellumSiteSection:
        outcome = ReadSiteEntry(token);
        break;
      case kVellumScanSection:
        outcome = ReadScanEntry(token);
        break;
      case kVellumPageSection:
        outcome = ReadPageEntry(token);
        break;
      default:
        outcome = Syntax(Outcome::kFail);
        break;
    }
    if (outcome != Outcome::kOk) return outcome == Outcome::kStop;
  }
  return true;
}

bool Reader::ReadVersion() {
  const Token key = Next();
  std::string_view number;
  if (key.type != Token::kWord || key.id != kFormatVersionKey || !Expect(Token::kEquals) ||
      !ReadDigits(number)) {
    Syntax(Outcome::kFail);
    return false;
  }
  if (IsAboveVersionOne(number)) {
    core::ReportErrorCode(core::ErrorCode::kInvalidVersion);
    return false;
  }
  return true;
}

Outcome Reader::ReadCommonEntry(const Token& key) {
  if (key.type != Token::kWord) return Syntax(Outcome::kFail);
  if (key.id == kAddFileKey || key.id == kRemoveFileKey) return ReadFileListEntry(key);
  if (key.id == kOutputKey || key.id == kTargetKey) return ReadTarget(key.id == kTargetKey);
  if (key.id == kHFilesKey) return ReadUploadRecord();

  if (!Expect(Token::kEquals)) return Syntax(Outcome::kFail);
  switch (key.id) {
    case kTypeKey: {
      int32_t type = 0;
      if (!ReadInteger(type) || type < 0 || type > 2) return Syntax(Outcome::kFail);
      project_.Type = static_cast<uint8_t>(type);
      return Outcome::kOk;
    }
    case kSourceKey:
    case kDescriptionKey: {
      std::string value;
      if (!ReadString(value)) return Syntax(Outcome::kFail);
      const char*& member = key.id == kSourceKey ? project_.Source : project_.Description;
      return ReplaceText(member, value) ? Outcome::kOk : Outcome::kFail;
    }
    case kUploadPropertiesKey: {
      uint32_t flags = 0;
      if (!ReadFlagRun(kUploadPropertiesRun, flags)) return Syntax(Outcome::kFail);
      project_.UploadProperties = flags;
      return Outcome::kOk;
    }
    case kCompessPropertiesKey: {
      uint32_t flags = 0;
      if (!ReadFlagRun(kCompressLowRun, flags) || !ExpectComma() ||
          !ReadFlagRun(kCompressHighRun, flags)) {
        return Syntax(Outcome::kFail);
      }
      project_.CompessProperties = flags;
      return Outcome::kOk;
    }
    default:
      return Syntax(Outcome::kFail);
  }
}

Outcome Reader::ReadFileListEntry(const Token& key) {
  std::string value;
  if (!Expect(Token::kEquals) || !ReadString(value)) return Outcome::kFail;
  if (key.id == kAddFileKey) {
    AddFile(project_, value.c_str());
  } else {
    RemoveFile(project_, value.c_str());
  }
  return Outcome::kOk;
}

// Output={URL,folder,server,login,password,port,flags}, or
// Target={protocol,URL,folder,server,login,password,port,flags,key file,
// CA file,password source}.
Outcome Reader::ReadTarget(bool with_security) {
  std::string texts[5];
  int32_t port = 0;
  uint32_t flags = 0;
  TargetSecurity security;
  std::string protocol;
  bool well_formed = ExpectOpening() && (!with_security || (ReadString(protocol) && ExpectComma()));
  well_formed = well_formed && ReadString(texts[0]);
  for (int i = 1; well_formed && i < 5; ++i) well_formed = ExpectComma() && ReadString(texts[i]);
  well_formed = well_formed && ExpectComma() && ReadInteger(port) && ExpectComma() &&
                ReadFlagRun(kTargetFlagsRun, flags);
  if (well_formed && with_security) {
    std::string source;
    well_formed = ExpectComma() && ReadString(security.key_file) && ExpectComma() &&
                  ReadString(security.ca_file) && ExpectComma() && ReadString(source);
    security.protocol = ProtocolOf(protocol);
    security.password_from = PasswordSourceOf(source);
    well_formed = well_formed && security.protocol >= 0 && security.password_from >= 0;
  }
  well_formed = well_formed && Expect(Token::kCloseBrace);
  if (!well_formed) return Syntax(Outcome::kFail);

  OutputTarget* target = AppendTarget(project_);
  if (target == nullptr) return Outcome::kFail;
  OutputTarget settings{};
  settings.URL = OptionalText(texts[0]);
  settings.Folder = OptionalText(texts[1]);
  settings.Server = OptionalText(texts[2]);
  settings.Login = OptionalText(texts[3]);
  settings.Password = OptionalText(texts[4]);
  settings.Port = port;
  settings.Flags = flags;
  SetSecurity(project_, project_.TargetCount - 1, std::move(security));
  return SetTargetSettings(project_, *target, settings) ? Outcome::kOk : Outcome::kFail;
}

Outcome Reader::ReadUploadRecord() {
  int32_t index = 0;
  std::string path;
  int32_t numbers[5] = {};
  bool well_formed = ExpectOpening() && ReadInteger(index) && ExpectComma() && ReadString(path);
  for (int32_t& number : numbers) well_formed = well_formed && ExpectComma() && ReadInteger(number);
  if (!well_formed) return Syntax(Outcome::kFail);
  // The digest of the content sent follows in newer files.
  std::optional<uint64_t> digest;
  Token next = Next();
  if (next.type == Token::kComma) {
    std::string hex;
    if (!ReadString(hex) || !(digest = ParseUploadDigest(hex))) return Syntax(Outcome::kFail);
    next = Next();
  }
  if (next.type != Token::kCloseBrace) return Syntax(Outcome::kFail);

  if (index < 0 || index >= project_.TargetCount) return Outcome::kOk;
  const core::FileStamp stamp{numbers[0], numbers[1], numbers[2], numbers[3], numbers[4]};
  return RecordUpload(project_, project_.Targets[index], path.c_str(), stamp, digest)
             ? Outcome::kOk
             : Outcome::kFail;
}

Outcome Reader::ReadMacrosEntry(const Token& key) {
  std::string value;
  if (key.type != Token::kWord || key.id != kMacrosKey || !Expect(Token::kEquals) ||
      !ReadString(value)) {
    return Syntax(Outcome::kFail);
  }
  if (!ReplaceText(project_.Macros, value)) return Outcome::kFail;
  project_.MacrosLength = static_cast<int32_t>(value.size());
  return Outcome::kOk;
}

Outcome Reader::ReadSiteEntry(const Token& key) {
  if (key.type != Token::kWord) return Syntax(Outcome::kFail);
  SiteSettings& site = TheSiteSettings();
  if (key.id == kModifiedKey) {
    std::string address;
    int64_t seconds = 0;
    if (!ExpectOpening() || !ReadString(address) || !ExpectComma() || !ReadInteger(seconds) ||
        !Expect(Token::kCloseBrace)) {
      return Syntax(Outcome::kFail);
    }
    site.modified.insert_or_assign(std::move(address), seconds);
    return Outcome::kOk;
  }
  if (key.id == kImagesKey || key.id == kAlternatesKey) {
    return ReadPageExtras(key.id == kAlternatesKey);
  }
  if (!Expect(Token::kEquals)) return Syntax(Outcome::kFail);
  if (key.id == kSitemapExtrasKey) {
    int32_t extras = 0;
    if (!ReadInteger(extras) || (extras & ~kSitemapExtras) != 0) return Syntax(Outcome::kFail);
    site.sitemap_extras = extras;
    return Outcome::kOk;
  }
  int32_t* number = key.id == kPageLimitKey    ? &site.page_limit
                    : key.id == kDepthLimitKey ? &site.depth_limit
                    : key.id == kOrderKey      ? &site.order
                                               : nullptr;
  std::string* text = key.id == kIncludeKey    ? &site.include
                      : key.id == kExcludeKey  ? &site.exclude
                      : key.id == kSiteUrlKey  ? &site.site_url
                      : key.id == kScanBaseKey ? &site.scan_base
                                               : nullptr;
  if (number != nullptr) return ReadInteger(*number) ? Outcome::kOk : Syntax(Outcome::kFail);
  if (text != nullptr) return ReadString(*text) ? Outcome::kOk : Syntax(Outcome::kFail);
  return Syntax(Outcome::kFail);
}

// What the last scan found of a page for the XML site map: its pictures
// (Images={"page","picture",...}) or its language versions
// (Alternates={"page","language","address",...}). Taken as written: the
// site map checks what it writes.
Outcome Reader::ReadPageExtras(bool alternates) {
  std::string page;
  if (!ExpectOpening() || !ReadString(page)) return Syntax(Outcome::kFail);
  web::PageExtras& extras = TheSiteSettings().extras[page];
  for (Token next = Next(); next.type != Token::kCloseBrace; next = Next()) {
    std::string text;
    if (next.type != Token::kComma || !ReadString(text)) return Syntax(Outcome::kFail);
    if (!alternates) {
      extras.images.push_back(std::move(text));
      continue;
    }
    std::string address;
    if (!ExpectComma() || !ReadString(address)) return Syntax(Outcome::kFail);
    extras.alternates.push_back({std::move(text), std::move(address)});
  }
  return Outcome::kOk;
}

// The last scan: its settings, its tree (Entry={depth,"url","name"}, depth
// first), the addresses its pages name (Address="...", numbered from 0 in
// file order) and its kept pages (Page={address,"etag",modified,size,
// noindex,"name",canonical,{links}[,listed]}, addresses by number, -1 for
// none).
Outcome Reader::ReadScanEntry(const Token& key) {
  if (key.type != Token::kWord) return Syntax(Outcome::kFail);
  LastScan& scan = TheSiteSettings().last_scan;
  if (key.id == kPageKey) return ReadKeptPage();
  if (key.id == kEntryKey) {
    int64_t depth = 0;
    std::string url;
    std::string name;
    if (!ExpectOpening() || !ReadInteger(depth) || depth < 0 || depth > scan_depth_ + 1 ||
        !ExpectComma() || !ReadString(url) || !ExpectComma() || !ReadString(name) ||
        !Expect(Token::kCloseBrace)) {
      return Syntax(Outcome::kFail);
    }
    scan_depth_ = static_cast<int>(depth);
    scan.tree.push_back({scan_depth_, std::move(url), std::move(name)});
    return Outcome::kOk;
  }
  if (!Expect(Token::kEquals)) return Syntax(Outcome::kFail);
  return ReadScanEntryValue(key);
}

Outcome Reader::ReadScanEntryValue(const Token& key) {
  LastScan& scan = TheSiteSettings().last_scan;
  int64_t number = 0;
  switch (key.id) {
    case kModeKey:
      if (!ReadInteger(number) || number < 0 || number > 2) return Syntax(Outcome::kFail);
      scan.mode = static_cast<int32_t>(number);
      return Outcome::kOk;
    case kFlagsKey:
      if (!ReadInteger(number) || number < 0 || number > UINT32_MAX) return Syntax(Outcome::kFail);
      scan.flags = static_cast<uint32_t>(number);
      return Outcome::kOk;
    case kBaseKey:
      return ReadString(scan.base) ? Outcome::kOk : Syntax(Outcome::kFail);
    case kAddressKey: {
      std::string address;
      if (!ReadString(address)) return Syntax(Outcome::kFail);
      scan_addresses_.push_back(scan.pages.Add(std::move(address)));
      return Outcome::kOk;
    }
    default:
      return Syntax(Outcome::kFail);
  }
}

// Adds the page of a link's number to links_; false when digits are no
// address number.
bool Reader::AddLink(std::string_view digits) {
  int64_t link = 0;
  for (char c : digits) {
    if (c == '.') return false;
    link = std::min<int64_t>(link * 10 + (c - '0'), INT32_MAX);
  }
  if (link >= static_cast<int64_t>(scan_addresses_.size())) return false;
  links_.push_back(scan_addresses_[link]);
  return true;
}

bool Reader::ReadAddressIndex(int64_t& index, bool none_allowed) {
  return ReadInteger(index) && index >= (none_allowed ? -1 : 0) &&
         index < static_cast<int64_t>(scan_addresses_.size());
}

Outcome Reader::ReadKeptPage() {
  int64_t address = 0;
  int64_t canonical = -1;
  int64_t noindex = 0;
  scan::KeptPage page;
  if (!ExpectOpening() || !ReadAddressIndex(address, false) || !ExpectComma() ||
      !ReadString(page.version.etag) || !ExpectComma() || !ReadInteger(page.version.modified) ||
      !ExpectComma() || !ReadInteger(page.version.size) || !ExpectComma() ||
      !ReadInteger(noindex) || !ExpectComma() || !ReadString(page.name) || !ExpectComma() ||
      !ReadAddressIndex(canonical, true) || !ExpectComma() || !Expect(Token::kOpenBrace)) {
    return Syntax(Outcome::kFail);
  }
  page.noindex = noindex != 0;
  scan::KeptPages& pages = TheSiteSettings().last_scan.pages;
  if (canonical >= 0) page.canonical = scan_addresses_[canonical];
  // The links: none, or numbers separated by commas. A number that stands
  // plainly before its comma is taken straight from the text.
  links_.clear();
  Token next;
  do {
    for (std::string_view digits; tokens_.TakeListNumber(digits);) {
      if (!AddLink(digits)) return Syntax(Outcome::kFail);
    }
    next = Next();
    while (next.type != Token::kCloseBrace) {
      if (next.type != Token::kNumber || !AddLink(next.text)) return Syntax(Outcome::kFail);
      next = Next();
      if (next.type == Token::kComma) break;
    }
  } while (next.type != Token::kCloseBrace);
  page.links.assign(links_.begin(), links_.end());
  // Then the lastmod the site's map gave it, where one was kept.
  next = Next();
  if (next.type == Token::kComma) {
    if (!ReadInteger(page.listed) || !Expect(Token::kCloseBrace)) return Syntax(Outcome::kFail);
  } else if (next.type != Token::kCloseBrace) {
    return Syntax(Outcome::kFail);
  }
  pages.Keep(scan_addresses_[address]) = std::move(page);
  return Outcome::kOk;
}

Outcome Reader::ReadPageEntry(const Token& key) {
  if (key.type != Token::kWord || !Expect(Token::kEquals)) return Syntax(Outcome::kFail);
  PageSettings& page = ThePageSettings();
  if (key.id == kMarkupKey) {
    int32_t markup = 0;
    if (!ReadInteger(markup) || !IsMarkup(markup)) return Syntax(Outcome::kFail);
    page.markup = markup;
    return Outcome::kOk;
  }
  // The language goes into every page's markup: a project file, which may
  // be someone else's, gives a language tag or nothing.
  if (key.id == kLangKey && ReadString(page.lang) && core::IsLanguageTag(page.lang)) {
    return Outcome::kOk;
  }
  return Syntax(Outcome::kFail);
}

Outcome Reader::ReadListEntry(const Token& key) {
  if (key.type != Token::kWord) return Syntax(Outcome::kFail);
  if (key.id >= kFirstItemKey) return ReadItem(key.id - kFirstItemKey + 1);
  switch (key.id) {
    case kMapItemKey:
      return ReadMapItem();
    case kGalItemKey:
      return ReadListedEntry(VELLUM_KIND_SGALLERY, 2);
    case kMp3ItemKey:
      return ReadListedEntry(VELLUM_KIND_SMP3LIST, 1);
    default:
      return Syntax(Outcome::kFail);
  }
}

Outcome Reader::ReadItem(int kind) {
  if (!ExpectOpening()) return Outcome::kFail;
  // The item joins the list before its values, so that an item whose values
  // are broken still stands with what was read.
  ScriptItem* item = InsertItem(project_, project_.ItemCount);
  if (item == nullptr) return Outcome::kFail;
  item->Kind = static_cast<uint8_t>(kind);

  std::string name;
  if (!ReadString(name)) return Syntax(Outcome::kStop);
  if (UpdateText(project_, item->Name, OptionalText(name)) == TextUpdate::kFailed) {
    return Outcome::kFail;
  }
  const Outcome outcome = ReadItemValues(*item);
  if (outcome != Outcome::kOk) return outcome;
  return Expect(Token::kCloseBrace) ? Outcome::kOk : Syntax(Outcome::kStop);
}

Outcome Reader::ReadItemValues(ScriptItem& item) {
  const ItemSlots slots = SlotsOf(item);
  int next_digit = 0;
  int next_text = 0;
  int next_number = 0;
  std::string text;
  for (const ValueGroup& group : LayoutOf(item.Kind)) {
    for (int i = 0; group.type == ValueGroup::kTexts && i < group.count; ++i) {
      if (!ExpectComma() || !ReadString(text)) return Syntax(Outcome::kStop);
      if (UpdateText(project_, *slots.texts[next_text++], OptionalText(text)) ==
          TextUpdate::kFailed) {
        return Outcome::kFail;
      }
    }
    for (int i = 0; group.type == ValueGroup::kNumbers && i < group.count; ++i) {
      if (!ExpectComma() || !ReadInteger(*slots.numbers[next_number++])) {
        return Syntax(Outcome::kStop);
      }
    }
    if (group.type == ValueGroup::kTexts || group.type == ValueGroup::kNumbers) continue;

    std::string_view digits;
    if (!ExpectComma() || !ReadDigits(digits)) return Syntax(Outcome::kStop);
    const bool exact = digits.size() == static_cast<std::size_t>(group.count);
    switch (group.type) {
      case ValueGroup::kDigitValues:
        if (!exact) return Syntax(Outcome::kStop);
        for (char c : digits) *slots.digits[next_digit++] = static_cast<uint8_t>(c - '0');
        break;
      case ValueGroup::kPasteDigits:
        if (!exact) return Syntax(Outcome::kStop);
        item.Flags = static_cast<uint32_t>(digits[0] - '0');
        if (digits[1] != '0') item.Flags |= 8u;
        break;
      default:
        if (!project::ReadFlagRun(digits, group.run, item.Flags)) return Syntax(Outcome::kStop);
        break;
    }
  }
  return Outcome::kOk;
}

Outcome Reader::ReadMapItem() {
  ScriptItem* item = LastItem();
  if (item == nullptr || item->Kind != VELLUM_KIND_SSITEMAP) return Syntax(Outcome::kStop);

  // The lists being filled, outermost first: an entry with children opens a
  // level, and the brace that closes the children also closes that entry.
  // No recursion, so any depth that fits in memory is read.
  std::vector<MapItemList*> levels{&item->Entries};
  std::string url;
  std::string name;
  for (bool entry_follows = true; entry_follows;) {
    if (!ExpectOpening() || !ReadString(url) || !ExpectComma() || !ReadString(name)) {
      return Syntax(Outcome::kStop);
    }
    MapItem* entry = core::Append(*levels.back(), OptionalText(url), OptionalText(name));
    if (entry == nullptr) return Outcome::kFail;

    const Token after = Next();
    if (after.type == Token::kComma) {
      // Children: at least one MapItem.
      if (!Expect(Token::kOpenBrace) || !IsMapItemKey(Next())) return Syntax(Outcome::kStop);
      levels.push_back(&entry->Children);
      continue;
    }
    if (after.type != Token::kCloseBrace) return Syntax(Outcome::kStop);

    entry_follows = false;
    while (levels.size() > 1 && !entry_follows) {
      const Token next = Next();
      if (IsMapItemKey(next)) {
        entry_follows = true;
      } else if (next.type == Token::kCloseBrace) {
        levels.pop_back();
      } else {
        return Syntax(Outcome::kStop);
      }
    }
  }
  return Outcome::kOk;
}

Outcome Reader::ReadListedEntry(int kind, int text_count) {
  if (!ExpectOpening()) return Outcome::kFail;
  ScriptItem* item = LastItem();
  if (item == nullptr || item->Kind != kind) return Outcome::kFail;

  std::string first;
  std::string second;
  if (!ReadString(first) || (text_count == 2 && (!ExpectComma() || !ReadString(second))) ||
      !Expect(Token::kCloseBrace)) {
    return Syntax(Outcome::kStop);
  }
  return core::Append(item->Entries, OptionalText(first), OptionalText(second)) != nullptr
             ? Outcome::kOk
             : Outcome::kFail;
}

}  // namespace

bool ReadProjectFile(Project& project, std::string_view text) {
  return Reader(project, text).Read();
}

}  // namespace vellum::project

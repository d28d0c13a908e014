// The writer of project files: the project in a fixed order, each entry
// starting on a new line, so the file ends without a line break. Lines end
// in CR LF, as a text file of the engine stores them; the writer puts them
// in itself, and every line feed of a text, so that the file is written as
// it is gathered.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/messages.h"
#include "core/text_file.h"
#include "core/text_utils.h"
#include "project/file_format.h"
#include "project/project.h"
#include "project/project_file.h"
#include "project/site_settings.h"

namespace vellum::project {
namespace {

constexpr std::string_view kNewLine = "\r\n";

// Sorts entries by their texts, in the order std::string gives them. Most
// pairs are told apart by the eight bytes behind the start that every text
// shares, compared as one number (a text that ends there counts as NULs
// after its end); only texts with the same eight bytes there are compared
// whole.
template <typename T>
void SortByText(std::vector<std::pair<std::string_view, T>>& entries) {
  if (entries.empty()) return;
  const std::string_view first = entries.front().first;
  std::size_t shared = first.size();
  for (const auto& [text, value] : entries) {
    const std::size_t length = std::min(shared, text.size());
    shared = std::mismatch(text.begin(), text.begin() + length, first.begin()).first - text.begin();
  }
  struct Keyed {
    uint64_t window;
    std::pair<std::string_view, T> entry;
  };
  std::vector<Keyed> keyed;
  keyed.reserve(entries.size());
  for (const auto& entry : entries) {
    uint64_t window = 0;
    for (std::size_t at = shared; at < shared + sizeof window; ++at) {
      window = window << 8 | (at < entry.first.size() ? static_cast<uint8_t>(entry.first[at]) : 0);
    }
    keyed.push_back({window, entry});
  }
  std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
    return a.window != b.window ? a.window < b.window : a.entry.first < b.entry.first;
  });
  for (std::size_t i = 0; i < keyed.size(); ++i) entries[i] = keyed[i].entry;
}

// The entries of a map in the order of their keys, so that an unchanged
// project writes an unchanged file.
template <typename Map>
std::vector<const typename Map::value_type*> InKeyOrder(const Map& map) {
  std::vector<std::pair<std::string_view, const typename Map::value_type*>> keyed;
  keyed.reserve(map.size());
  for (const auto& entry : map) keyed.emplace_back(entry.first, &entry);
  SortByText(keyed);
  std::vector<const typename Map::value_type*> entries;
  entries.reserve(keyed.size());
  for (const auto& [key, entry] : keyed) entries.push_back(entry);
  return entries;
}

// The text of the file as it is gathered, handed to the file a block at a
// time. After a failed write (reported, the file closed) the rest is
// dropped.
class Output {
 public:
  explicit Output(core::TextFile& file) : file_(file), block_(new char[kBlockSize]) {}

  Output& operator+=(std::string_view text) {
    if (text.size() > kBlockSize - used_) return AppendLong(text);
    std::memcpy(block_.get() + used_, text.data(), text.size());
    used_ += text.size();
    return *this;
  }
  Output& operator+=(char c) {
    if (used_ == kBlockSize) Flush();
    block_[used_++] = c;
    return *this;
  }
  void Number(int64_t value) {
    constexpr std::size_t kLongest = 20;  // the lowest value, its sign included
    if (kBlockSize - used_ < kLongest) Flush();
    char* const at = block_.get() + used_;
    used_ += std::to_chars(at, at + kLongest, value).ptr - at;
  }
  // Writes what is gathered; false once a write failed.
  bool Flush() {
    if (!failed_ && used_ > 0) failed_ = !core::CheckedWrite(file_, {block_.get(), used_});
    used_ = 0;
    return !failed_;
  }

 private:
  static constexpr std::size_t kBlockSize = 64 * 1024;

  Output& AppendLong(std::string_view text) {
    Flush();
    if (text.size() > kBlockSize) {
      if (!failed_) failed_ = !core::CheckedWrite(file_, text);
    } else {
      *this += text;
    }
    return *this;
  }

  core::TextFile& file_;
  std::unique_ptr<char[]> block_;
  std::size_t used_ = 0;
  bool failed_ = false;
};

class Writer {
 public:
  explicit Writer(core::TextFile& file) : file_(file), out_(file) {}

  void WriteProject(const Project& project);
  // Writes out what is left and flushes; false (reported) on a failed write.
  bool Finish();

 private:
  void Key(const char* key);
  void NewLine() { out_ += kNewLine; }
  void Quoted(const char* text) { Quoted(std::string_view(text != nullptr ? text : "")); }
  void Quoted(std::string_view text);
  void Number(int64_t value) { out_.Number(value); }
  void FlagDigits(uint32_t flags, const FlagRun& run) { out_ += FlagRunDigits(flags, run); }

  void WriteCommon(const Project& project);
  void WriteTarget(const OutputTarget& target, const TargetSecurity& security);
  void WriteItem(const ScriptItem& item);
  void WriteItemValues(const ScriptItem& item);
  void WriteTree(const MapItemList& root);
  void WriteSite(const SiteSettings& site);
  void WriteExtras(const web::PageExtrasMap& extras);
  void WriteScan(const LastScan& scan);
  void WritePage(const PageSettings& page);

  core::TextFile& file_;
  Output out_;
};

void Writer::Key(const char* key) {
  NewLine();
  out_ += key;
  out_ += '=';
}

// Up to a NUL, as every text of the project ends there.
void Writer::Quoted(std::string_view text) {
  out_ += '"';
  for (std::size_t start = 0;;) {
    const std::size_t stop = core::FindAnyOf<'"', '\\', '\n', '\0'>(text, start);
    out_ += text.substr(start, stop - start);
    if (stop == text.size() || text[stop] == '\0') break;
    // A quote or a backslash gets a backslash before it; a line feed
    // becomes a line break.
    out_ += text[stop] == '\n' ? '\r' : '\\';
    out_ += text[stop];
    start = stop + 1;
  }
  out_ += '"';
}

bool Writer::Finish() {
  if (!out_.Flush()) return false;
  if (file_.Flush()) return true;
  core::ReportErrorCode(core::ErrorCode::kWriteError);
  return false;
}

void Writer::WriteProject(const Project& project) {
  out_ += "/** Vellumark Project File" + std::string(50, ' ') + "**\r\n";
  out_ += " ** Vellumark Generated" + std::string(53, ' ') + "**\r\n";
  out_ += " ** DO NOT EDIT THIS FILE" + std::string(51, ' ') + "**/\r\n";
  out_ += "\r\nFormatVersion=1.00\r\n[Common]";
  WriteCommon(project);

  if (project.ItemCount > 0) out_ += "\r\n[ScriptList]";
  for (int i = 0; i < project.ItemCount; ++i) WriteItem(project.Items[i]);

  if (project.Macros != nullptr && project.MacrosLength > 0) {
    out_ += "\r\n[ScriptMacros]";
    Key("Macros");
    Quoted(project.Macros);
  }
  WriteSite(TheSiteSettings());
  WritePage(ThePageSettings());
  WriteScan(TheSiteSettings().last_scan);
}

void Writer::WriteScan(const LastScan& scan) {
  if (!scan.Kept()) return;
  out_ += "\r\n[VellumScan]";
  Key("Mode");
  Number(scan.mode);
  Key("Flags");
  Number(scan.flags);
  Key("Base");
  Quoted(scan.base);
  for (const core::TreeEntry& entry : scan.tree) {
    Key("Entry");
    out_ += '{';
    Number(entry.depth);
    out_ += ',';
    Quoted(entry.url);
    out_ += ',';
    Quoted(entry.name);
    out_ += '}';
  }
  // Pages in address order, so that an unchanged site writes an unchanged
  // file; every address they name numbered once, in the order first named.
  const scan::KeptPages& kept = scan.pages;
  std::vector<std::pair<std::string_view, int>> pages;  // address, kept number
  pages.reserve(kept.size());
  for (std::size_t number = 0; number < kept.addresses(); ++number) {
    const int entry = static_cast<int>(number);
    if (kept.At(entry) != nullptr) pages.emplace_back(kept.Address(entry), entry);
  }
  SortByText(pages);
  std::vector<int64_t> numbers(kept.addresses(), -1);  // in the file, by kept number
  int64_t named = 0;
  const auto number_of = [&](int entry) {
    int64_t& number = numbers[entry];
    if (number < 0) {
      number = named++;
      Key("Address");
      Quoted(kept.Address(entry));
    }
    return number;
  };
  std::vector<int64_t> links;
  for (const auto& in_order : pages) {
    const int entry = in_order.second;
    const scan::KeptPage& page = *kept.At(entry);
    const int64_t address = number_of(entry);
    const int64_t canonical = page.canonical < 0 ? -1 : number_of(page.canonical);
    links.clear();
    for (const int link : page.links) links.push_back(number_of(link));
    Key("Page");
    out_ += '{';
    Number(address);
    out_ += ',';
    Quoted(page.version.etag);
    for (const int64_t value :
         {page.version.modified, page.version.size, static_cast<int64_t>(page.noindex)}) {
      out_ += ',';
      Number(value);
    }
    out_ += ',';
    Quoted(page.name);
    out_ += ',';
    Number(canonical);
    out_ += ",{";
    for (std::size_t i = 0; i < links.size(); ++i) {
      if (i > 0) out_ += ',';
      Number(links[i]);
    }
    out_ += '}';
    if (page.listed >= 0) {
      out_ += ',';
      Number(page.listed);
    }
    out_ += '}';
  }
}

// Only a project that leaves a default gets the section: every other file
// stays as it was, and readable by a reader that knows no such section.
void Writer::WritePage(const PageSettings& page) {
  if (page.IsDefault()) return;
  out_ += "\r\n[VellumPage]";
  if (page.markup != VELLUM_MARKUP_CLASSIC) {
    Key("Markup");
    Number(page.markup);
  }
  if (!page.lang.empty()) {
    Key("Lang");
    Quoted(page.lang.c_str());
  }
}

void Writer::WriteSite(const SiteSettings& site) {
  // The record of the last scan serves the settings and the XML site map:
  // once a scan ran, its base says which pages are the site's.
  const bool has_record = !site.scan_base.empty() || !site.modified.empty() || !site.extras.empty();
  if (!site.HasSettings() && !has_record) return;
  out_ += "\r\n[VellumSite]";
  for (const auto& [key, value] :
       {std::pair{"PageLimit", site.page_limit}, std::pair{"DepthLimit", site.depth_limit},
        std::pair{"Order", site.order}, std::pair{"SitemapExtras", site.sitemap_extras}}) {
    if (value == 0) continue;
    Key(key);
    Number(value);
  }
  for (const auto& [key, value] :
       {std::pair{"Include", &site.include}, std::pair{"Exclude", &site.exclude},
        std::pair{"SiteURL", &site.site_url}, std::pair{"ScanBase", &site.scan_base}}) {
    if (value->empty()) continue;
    Key(key);
    Quoted(value->c_str());
  }
  for (const auto* entry : InKeyOrder(site.modified)) {
    Key("Modified");
    out_ += '{';
    Quoted(entry->first);
    out_ += ',';
    Number(entry->second);
    out_ += '}';
  }
  WriteExtras(site.extras);
}

// A page's pictures and its language versions are an entry each: the
// page's address, then the values; written only when there are any.
void Writer::WriteExtras(const web::PageExtrasMap& extras) {
  for (const auto* entry : InKeyOrder(extras)) {
    const auto write = [&](const char* key, const auto& values, const auto& write_value) {
      if (values.empty()) return;
      Key(key);
      out_ += '{';
      Quoted(entry->first);
      for (const auto& value : values) {
        out_ += ',';
        write_value(value);
      }
      out_ += '}';
    };
    write("Images", entry->second.images, [&](const std::string& image) { Quoted(image); });
    write("Alternates", entry->second.alternates, [&](const web::LanguageAlternate& alternate) {
      Quoted(alternate.hreflang);
      out_ += ',';
      Quoted(alternate.address);
    });
  }
}

void Writer::WriteCommon(const Project& project) {
  Key("Type");
  Number(project.Type);
  if (project.Source != nullptr) {
    Key("Source");
    Quoted(project.Source);
  }
  Key("UploadProperties");
  FlagDigits(project.UploadProperties, kUploadPropertiesRun);
  Key("CompessProperties");
  FlagDigits(project.CompessProperties, kCompressLowRun);
  out_ += ',';
  FlagDigits(project.CompessProperties, kCompressHighRun);
  for (int i = 0; i < project.TargetCount; ++i) {
    WriteTarget(project.Targets[i], SecurityOf(project, i));
  }
  for (int i = 0; i < project.AddedCount; ++i) {
    Key("AddFile");
    Quoted(project.OutputList[i]);
  }
  for (int i = 0; i < project.RemovedCount; ++i) {
    Key("RemoveFile");
    Quoted(project.RemovedFiles[i]);
  }
  if (project.Description != nullptr) {
    Key("Description");
    Quoted(project.Description);
  }
  for (int i = 0; i < project.TargetCount; ++i) {
    const OutputTarget& target = project.Targets[i];
    for (int j = 0; j < target.UploadedCount; ++j) {
      const UploadedFile& file = target.UploadedFiles[j];
      out_ += "\r\nHFiles={" + std::to_string(i) + ',';
      Quoted(file.Path);
      for (int64_t number : {int64_t{file.Size}, int64_t{file.Day}, int64_t{file.Month},
                             int64_t{file.Year}, int64_t{file.Seconds}}) {
        out_ += ',';
        Number(number);
      }
      if (const std::optional<uint64_t> digest = UploadDigest(file)) {
        out_ += ',';
        Quoted(UploadDigestText(*digest).c_str());
      }
      out_ += '}';
    }
  }
}

// A target with settings of its own is a Target entry, which readers that
// do not know it refuse whole rather than take for a plain FTP target or a
// folder; every other target stays the Output entry it has always been.
void Writer::WriteTarget(const OutputTarget& target, const TargetSecurity& security) {
  const bool plain = security.IsDefault();
  if (plain) {
    out_ += "\r\nOutput={";
  } else {
    out_ += "\r\nTarget={";
    Quoted(ProtocolName(security.protocol));
    out_ += ',';
  }
  Quoted(target.URL);
  for (const char* text : {target.Folder, target.Server, target.Login, target.Password}) {
    out_ += ',';
    Quoted(text);
  }
  out_ += ',';
  Number(target.Port);
  out_ += ',';
  FlagDigits(target.Flags, kTargetFlagsRun);
  if (!plain) {
    for (const std::string* text : {&security.key_file, &security.ca_file}) {
      out_ += ',';
      Quoted(text->empty() ? nullptr : text->c_str());
    }
    out_ += ',';
    Quoted(PasswordSourceName(security.password_from));
  }
  out_ += '}';
}

void Writer::WriteItem(const ScriptItem& item) {
  if (!IsScriptKind(item.Kind)) return;  // no file key: not a script item
  NewLine();
  out_ += KindKey(item.Kind);
  out_ += "={";
  Quoted(item.Name);
  WriteItemValues(item);
  out_ += '}';

  const MapItemList& entries = item.Entries;
  if (item.Kind == VELLUM_KIND_SSITEMAP) WriteTree(entries);
  for (int i = 0; item.Kind == VELLUM_KIND_SGALLERY && i < entries.Count; ++i) {
    out_ += "\r\nGalItem={";
    Quoted(entries.Items[i].URL);
    out_ += ',';
    Quoted(entries.Items[i].Name);
    out_ += '}';
  }
  for (int i = 0; item.Kind == VELLUM_KIND_SMP3LIST && i < entries.Count; ++i) {
    out_ += "\r\nMp3Item={";
    Quoted(entries.Items[i].URL);
    out_ += '}';
  }
}

void Writer::WriteItemValues(const ScriptItem& item) {
  // The slots are only read here.
  const ItemSlots slots = SlotsOf(const_cast<ScriptItem&>(item));
  int next_digit = 0;
  int next_text = 0;
  int next_number = 0;
  for (const ValueGroup& group : LayoutOf(item.Kind)) {
    switch (group.type) {
      case ValueGroup::kTexts:
        for (int i = 0; i < group.count; ++i) {
          out_ += ',';
          Quoted(*slots.texts[next_text++]);
        }
        break;
      case ValueGroup::kNumbers:
        for (int i = 0; i < group.count; ++i) {
          out_ += ',';
          Number(*slots.numbers[next_number++]);
        }
        break;
      case ValueGroup::kDigitValues:
        out_ += ',';
        for (int i = 0; i < group.count; ++i) {
          // A value that one digit cannot hold is written as 0: anything else
          // would make the rest of the file unreadable.
          const uint8_t value = *slots.digits[next_digit++];
          out_ += static_cast<char>('0' + (value <= 9 ? value : 0));
        }
        break;
      case ValueGroup::kPasteDigits:
        out_ += ',';
        out_ += static_cast<char>('0' + (item.Flags & 7u));
        out_ += (item.Flags & 8u) != 0 ? '1' : '0';
        break;
      case ValueGroup::kFlagDigits:
        out_ += ',';
        FlagDigits(item.Flags, group.run);
        break;
    }
  }
}

void Writer::WriteTree(const MapItemList& root) {
  // Depth first without recursion: each level is a list and its next entry.
  struct Level {
    const MapItemList* list;
    int next;
  };
  std::vector<Level> levels{{&root, 0}};
  while (!levels.empty()) {
    Level& level = levels.back();
    if (level.next == level.list->Count) {
      levels.pop_back();
      if (!levels.empty()) out_ += "\r\n}";  // closes the children and their entry
      continue;
    }
    const MapItem& entry = level.list->Items[level.next++];
    out_ += "\r\nMapItem={";
    Quoted(entry.URL);
    out_ += ',';
    Quoted(entry.Name);
    if (entry.Children.Count > 0) {
      out_ += ",{";
      levels.push_back({&entry.Children, 0});
    } else {
      out_ += '}';
    }
  }
}

}  // namespace

bool WriteProjectFile(const Project& project) {
  if (project.FilePath == nullptr) return false;
  const std::string path = project.FilePath;
  if (path.empty()) {
    core::ReportErrorCode(core::ErrorCode::kCantOpenFile, path.c_str());
    return false;
  }
  // The new file is written beside the old one and renamed over it only when
  // complete: a failed save never leaves the user's project truncated. A
  // project that holds a password is readable by its owner only.
  const bool secret = std::any_of(project.Targets, project.Targets + project.TargetCount,
                                  [](const OutputTarget& target) {
                                    return target.Password != nullptr && *target.Password != '\0';
                                  });
  core::FileReplacement replacement(path, core::FileMode::kWriteBinary,
                                    secret ? core::kOwnerOnly : core::kKeepPermissions);
  if (!replacement.file().IsOpen()) {
    core::ReportErrorCode(core::ErrorCode::kCantOpenFile, path.c_str());
    return false;
  }
  Writer writer(replacement.file());
  writer.WriteProject(project);
  if (!writer.Finish()) return false;
  if (!replacement.Commit()) {
    core::ReportErrorCode(core::ErrorCode::kCantOpenFile, path.c_str());
    return false;
  }
  return true;
}

}  // namespace vellum::project

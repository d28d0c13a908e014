#include "generate/xml_sitemap.h"

#include <sys/stat.h>
#include <zlib.h>

#include <ctime>
#include <filesystem>
#include <system_error>
#include <unordered_set>

#include "core/messages.h"
#include "core/text_file.h"
#include "core/text_utils.h"
#include "generate/output_files.h"
#include "generate/page_writer.h"
#include "generate/tree_walk.h"
#include "project/site_settings.h"
#include "web/address.h"

namespace vellum::generate {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kDeclaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
constexpr std::string_view kNamespace = " xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">\n";
constexpr std::string_view kUrlSetEnd = "</urlset>\n";
constexpr std::string_view kImageNamespace =
    " xmlns:image=\"http://www.google.com/schemas/sitemap-image/1.1\"";
constexpr std::string_view kXhtmlNamespace = " xmlns:xhtml=\"http://www.w3.org/1999/xhtml\"";
constexpr std::string_view kIndexEnd = "</sitemapindex>\n";

// The protocol takes addresses of fewer characters only; a longer one (a
// link on a hostile page can be any length) is left out of the map.
constexpr std::size_t kMaxAddressLength = 2047;

constexpr char kNeedsSiteUrl[] =
    "the XML site map of pages on disk needs the site's public address: set the site URL";
// The protocol's schema wants at least one address in a map.
constexpr char kNoPages[] = "the XML site map would list no page of the site: nothing written";
constexpr char kNoTextPages[] = "the text site map would list no page of the site: nothing written";

XmlSitemapLimits limits;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// The characters an address may hold as they are (RFC 3986's unreserved and
// reserved ones but the brackets, which only an IPv6 host may hold).
bool IsAddressChar(char c) {
  if (IsAlpha(c) || IsDigit(c)) return true;
  return std::string_view("-._~:/?#@!$&'()*+,;=").find(c) != std::string_view::npos;
}

std::string LowerCase(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = core::ToLowerAscii(c);
  return lower;
}

// The scheme of an address in lower case ("http"), or "" when it has none.
// A drive letter ("c:\...") is no scheme.
std::string SchemeOf(std::string_view address) {
  if (address.empty() || !IsAlpha(address[0])) return {};
  std::size_t end = 1;
  while (end < address.size() &&
         (IsAlpha(address[end]) || IsDigit(address[end]) || address[end] == '+' ||
          address[end] == '-' || address[end] == '.')) {
    ++end;
  }
  if (end >= address.size() || address[end] != ':') return {};
  if (end == 1 && end + 1 < address.size() && (address[2] == '\\' || address[2] == '/')) return {};
  return LowerCase(address.substr(0, end));
}

bool IsWebScheme(const std::string& scheme) { return scheme == "http" || scheme == "https"; }

std::string WithSlash(std::string text) {
  if (!text.empty() && text.back() != '/' && text.back() != '\\') text += '/';
  return text;
}

std::string PercentEncoded(std::string_view address) {
  // An IPv6 host keeps its brackets.
  const std::size_t authority_end = web::UrlPathStart(address);
  std::string encoded;
  encoded.reserve(address.size());
  for (std::size_t i = 0; i < address.size(); ++i) {
    const char c = address[i];
    const bool bracket_in_host = (c == '[' || c == ']') && i < authority_end;
    if (IsAddressChar(c) || bracket_in_host || core::PercentEscapeAt(address, i) >= 0) {
      encoded += c;
    } else {
      core::AppendPercentEscape(encoded, static_cast<unsigned char>(c));
    }
  }
  return encoded;
}

std::string XmlEscaped(std::string_view text) { return core::EscapeEntities(text, "&<>\"'"); }

// The site whose pages the map lists, and where it is published.
struct Site {
  // Web pages belong to the site when they lie below this folder of this
  // origin (compared without regard to case); no origin: no web pages do.
  std::string web_origin;
  std::string web_folder;
  // The folder on disk that is published at public_folder ("" when the
  // site's base is not on disk).
  std::string disk_folder;
  // The public address of the site's folder, ending in "/"; "" when unknown.
  std::string public_folder;
  bool web_base = false;
  // Without a base, the host of the tree's first web page is the web site
  // (when no public address gives it either), and the folder of its first
  // page on disk the folder on disk.
  bool web_open = false;
  bool disk_open = false;
};

// The web site of address, a page or folder of it; no origin, so no web
// pages, for an address without "scheme://".
void SetWebSite(Site& site, std::string_view address) {
  const std::optional<web::Url> url = web::Url::AsWritten(std::string(address));
  site.web_origin = url ? LowerCase(url->origin()) : std::string();
  site.web_folder = url ? url->folder().substr(url->origin().size()) : "/";
}

// The path of a local address: a "file:" address without its scheme and
// host, any other as it stands.
std::string LocalPath(std::string_view address) {
  if (SchemeOf(address) != "file") return std::string(address);
  address.remove_prefix(5);
  if (address.starts_with("//"))
    address.remove_prefix(std::min(address.find('/', 2), address.size()));
  return std::string(address);
}

Site SiteOf(const std::string& base, const std::string& site_url) {
  Site site;
  if (IsWebScheme(SchemeOf(base))) {
    site.web_base = true;
    SetWebSite(site, base);
    site.public_folder = site.web_origin + site.web_folder;
  } else if (!base.empty()) {
    const std::string path = LocalPath(base);
    std::error_code error;
    site.disk_folder = fs::is_directory(path, error) ? WithSlash(path) : web::FolderOf(path);
  }
  if (!site_url.empty() && !site.web_base) {
    site.public_folder = WithSlash(site_url);
    if (IsWebScheme(SchemeOf(site_url))) SetWebSite(site, site.public_folder);
  }
  site.web_open = base.empty() && site_url.empty();
  site.disk_open = base.empty();
  return site;
}

// The base the site is taken from: the last scan's, else the one given.
std::string SiteBase(const char* base_path) {
  const std::string& scan_base = project::TheSiteSettings().scan_base;
  if (!scan_base.empty()) return scan_base;
  return base_path != nullptr ? base_path : "";
}

std::optional<int64_t> FileTime(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
  return static_cast<int64_t>(status.st_mtime);
}

std::optional<int64_t> LearntTime(const std::string& address) {
  const auto& modified = project::TheSiteSettings().modified;
  const auto found = modified.find(address);
  if (found == modified.end()) return std::nullopt;
  return found->second;
}

// Collects the entries of the map while the tree is walked.
class EntryCollector : public TreeVisitor {
 public:
  explicit EntryCollector(Site& site) : site_(site) {}

  bool Item(const MapItem& item, int /*index*/, int /*level*/) {
    if (item.URL == nullptr) return true;
    std::string_view address = item.URL;
    address = address.substr(0, address.find('#'));
    if (address.empty()) return true;
    std::string scheme = SchemeOf(address);
    if (scheme.empty() && site_.web_base) {
      // A link the site's pages give relative to it.
      if (const std::optional<std::string> resolved = Resolved(address)) AddWeb(*resolved);
    } else if (IsWebScheme(scheme)) {
      AddWeb(std::string(address));
    } else if (scheme.empty() || scheme == "file") {
      AddLocal(address);
    }
    return true;
  }

  std::vector<XmlSitemapEntry> entries;
  bool needs_site_url = false;

 private:
  // address resolved against the web base: from its origin when it starts
  // with "/", else from its folder; none when it climbs above the host.
  std::optional<std::string> Resolved(std::string_view address) const {
    const std::string& origin = site_.web_origin;
    if (address.starts_with("//"))
      return origin.substr(0, origin.find(':') + 1) + std::string(address);
    const std::string query(address.substr(std::min(address.find('?'), address.size())));
    address = address.substr(0, address.size() - query.size());
    const std::string path =
        address.starts_with("/") ? std::string(address) : site_.web_folder + std::string(address);
    const std::optional<std::string> normal = web::PathWithin(path);
    if (!normal) return std::nullopt;
    return origin + "/" + *normal + query;
  }

  void AddWeb(const std::string& address) {
    const std::optional<web::Url> url = web::Url::AsWritten(address);
    if (!url) return;
    if (site_.web_open) {
      site_.web_open = false;
      SetWebSite(site_, url->origin());
      site_.public_folder = site_.web_origin + site_.web_folder;
    }
    if (site_.web_origin.empty()) return;
    const std::string_view path = url->request().empty() ? "/" : url->request();
    if (!core::EqualsNoCase(url->origin(), site_.web_origin) ||
        !path.starts_with(site_.web_folder)) {
      return;  // another site's page
    }
    // Scheme and host in lower case, so that one page is listed once.
    const std::string normal = LowerCase(url->origin()) + std::string(path);
    std::optional<int64_t> modified = LearntTime(normal);
    if (!modified) modified = LearntTime(address);
    Add(normal, modified, FoundExtras({address, normal}));
  }

  void AddLocal(std::string_view address) {
    if (site_.web_base) return;  // a page on a disk is no page of a web site
    const std::string path = LocalPath(address);
    const bool absolute = core::IsAbsolutePath(path.c_str());
    if (site_.disk_open && absolute) {
      site_.disk_open = false;
      site_.disk_folder = web::FolderOf(path);
    }
    std::optional<std::string> relative;
    if (absolute) {
      if (site_.disk_folder.empty() || !path.starts_with(site_.disk_folder)) return;
      relative = web::PathWithin(std::string_view(path).substr(site_.disk_folder.size()));
    } else {
      relative = web::PathWithin(path);
    }
    if (!relative) return;  // above the site's folder
    if (site_.public_folder.empty()) {
      needs_site_url = true;
      return;
    }
    const std::string file = site_.disk_folder + core::LocalPathOf(*relative);
    std::optional<int64_t> modified = FileTime(file);
    if (!modified) modified = LearntTime(std::string(address));
    Add(site_.public_folder + *relative, modified, FoundExtras({address, file}));
  }

  void Add(const std::string& address, std::optional<int64_t> modified,
           const web::PageExtras* extras) {
    const std::string encoded = PercentEncoded(address);
    if (encoded.size() > kMaxAddressLength || !seen_.insert(encoded).second) return;
    XmlSitemapEntry& entry = entries.emplace_back(XmlSitemapEntry{encoded, modified, {}, {}});
    if (extras != nullptr) AddExtras(*extras, entry);
  }

  // What the last scan found on a page known by any of addresses, as far as
  // the project asks for it.
  const web::PageExtras* FoundExtras(std::initializer_list<std::string_view> addresses) const {
    const project::SiteSettings& settings = project::TheSiteSettings();
    if (settings.sitemap_extras == 0) return nullptr;
    for (const std::string_view address : addresses) {
      const auto found = settings.extras.find(std::string(address));
      if (found != settings.extras.end()) return &found->second;
    }
    return nullptr;
  }

  // The pictures of the site and the language versions of extras into entry:
  // each once, checked again (a project file is anyone's), at most as many
  // as one page may give.
  void AddExtras(const web::PageExtras& extras, XmlSitemapEntry& entry) const {
    const int32_t wanted = project::TheSiteSettings().sitemap_extras;
    std::unordered_set<std::string> seen;
    for (const std::string& image : extras.images) {
      if ((wanted & VELLUM_SITEMAP_IMAGES) == 0 || entry.images.size() == web::kMaxPageExtras) {
        break;
      }
      const std::optional<std::string> address = PublicImage(image);
      if (!address) continue;
      std::string encoded = PercentEncoded(*address);
      if (encoded.size() <= kMaxAddressLength && seen.insert(encoded).second) {
        entry.images.push_back(std::move(encoded));
      }
    }
    seen.clear();
    for (const web::LanguageAlternate& alternate : extras.alternates) {
      if ((wanted & VELLUM_SITEMAP_ALTERNATES) == 0 ||
          entry.alternates.size() == web::kMaxPageExtras) {
        break;
      }
      if (!core::IsLanguageTag(alternate.hreflang) || !IsWebScheme(SchemeOf(alternate.address))) {
        continue;
      }
      std::string encoded = PercentEncoded(alternate.address);
      if (encoded.size() <= kMaxAddressLength &&
          seen.insert(alternate.hreflang + ' ' + encoded).second) {
        entry.alternates.push_back({alternate.hreflang, std::move(encoded)});
      }
    }
  }

  // The public address of a picture of the site: one on the site's web
  // host (in any folder of it), or one in the site's folder on disk; none
  // for any other.
  std::optional<std::string> PublicImage(std::string_view address) const {
    const std::string scheme = SchemeOf(address);
    if (IsWebScheme(scheme)) {
      const std::optional<web::Url> url = web::Url::AsWritten(std::string(address));
      if (!url || site_.web_origin.empty() ||
          !core::EqualsNoCase(url->origin(), site_.web_origin)) {
        return std::nullopt;
      }
      return LowerCase(url->origin()) + std::string(url->request().empty() ? "/" : url->request());
    }
    if (site_.web_base || site_.public_folder.empty() || (!scheme.empty() && scheme != "file")) {
      return std::nullopt;
    }
    const std::string path = LocalPath(address);
    std::string_view inside = path;
    if (core::IsAbsolutePath(path.c_str())) {
      if (site_.disk_folder.empty() || !inside.starts_with(site_.disk_folder)) return std::nullopt;
      inside.remove_prefix(site_.disk_folder.size());
    }
    const std::optional<std::string> relative = web::PathWithin(inside);
    if (!relative || relative->empty()) return std::nullopt;
    return site_.public_folder + *relative;
  }

  Site& site_;
  std::unordered_set<std::string> seen_;
};

struct Plan {
  Site site;
  std::vector<XmlSitemapEntry> entries;
};

std::optional<Plan> PlanOf(const MapItemList& items, const char* base_path) {
  const project::SiteSettings& settings = project::TheSiteSettings();
  Plan plan{.site = SiteOf(SiteBase(base_path), settings.site_url), .entries = {}};
  EntryCollector collector(plan.site);
  WalkTree(items, collector);
  if (collector.needs_site_url) {
    core::ReportError(kNeedsSiteUrl);
    return std::nullopt;
  }
  plan.entries = std::move(collector.entries);
  return plan;
}

// The language versions and the pictures of entry, as the elements of
// their extensions.
void AppendExtras(std::string& line, const XmlSitemapEntry& entry) {
  for (const web::LanguageAlternate& alternate : entry.alternates) {
    line.append("<xhtml:link rel=\"alternate\" hreflang=\"")
        .append(XmlEscaped(alternate.hreflang))
        .append("\" href=\"")
        .append(XmlEscaped(alternate.address))
        .append("\"/>");
  }
  for (const std::string& image : entry.images) {
    line.append("<image:image><image:loc>")
        .append(XmlEscaped(image))
        .append("</image:loc></image:image>");
  }
}

std::string EntryLine(const XmlSitemapEntry& entry) {
  std::string line = "  <url><loc>";
  line.append(XmlEscaped(entry.location)).append("</loc>");
  if (entry.modified)
    line.append("<lastmod>").append(W3cDateTime(*entry.modified)).append("</lastmod>");
  AppendExtras(line, entry);
  line += "</url>\n";
  return line;
}

std::string FileStart(std::string_view element) {
  std::string start(kDeclaration);
  start += '<';
  start += element;
  start += kNamespace;
  return start;
}

// The start of a file of the map, with the namespaces of the extras the
// project asks for.
std::string UrlSetStart() {
  std::string start = FileStart("urlset");
  const int32_t extras = project::TheSiteSettings().sitemap_extras;
  std::string names;
  if ((extras & VELLUM_SITEMAP_ALTERNATES) != 0) names += kXhtmlNamespace;
  if ((extras & VELLUM_SITEMAP_IMAGES) != 0) names += kImageNamespace;
  start.insert(start.size() - 2, names);  // before its ">\n"
  return start;
}

// A line of the text site map: the address alone.
std::string TextLine(const XmlSitemapEntry& entry) { return entry.location + '\n'; }

// The entries as the texts of the files that hold them, each within the
// limits (an entry that alone exceeds the size stands in a file of its own):
// each file is start, the lines of its entries, and end.
std::vector<std::string> SplitFiles(const std::vector<XmlSitemapEntry>& entries,
                                    const std::string& start, std::string_view end,
                                    std::string (*line_of)(const XmlSitemapEntry&)) {
  std::vector<std::string> files{start};
  std::size_t count = 0;
  for (const XmlSitemapEntry& entry : entries) {
    const std::string line = line_of(entry);
    const bool full =
        count == limits.addresses || files.back().size() + line.size() + end.size() > limits.bytes;
    if (count > 0 && full) {
      files.back() += end;
      files.push_back(start);
      count = 0;
    }
    files.back() += line;
    ++count;
  }
  files.back() += end;
  return files;
}

std::string IndexFile(const std::vector<std::string>& locations) {
  std::string index = FileStart("sitemapindex");
  for (const std::string& location : locations) {
    index.append("  <sitemap><loc>")
        .append(XmlEscaped(PercentEncoded(location)))
        .append("</loc></sitemap>\n");
  }
  index += kIndexEnd;
  return index;
}

bool EndsWithGz(std::string_view path) {
  return path.size() >= 3 && core::EqualsNoCase(path.substr(path.size() - 3), ".gz");
}

// text as a gzip stream; none when zlib fails.
std::optional<std::string> Gzipped(std::string_view text) {
  z_stream stream{};
  constexpr int kGzipWindow = 15 + 16;  // the largest window, with a gzip header
  if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, kGzipWindow, 8, Z_DEFAULT_STRATEGY) !=
      Z_OK) {
    return std::nullopt;
  }
  std::string packed(deflateBound(&stream, static_cast<uLong>(text.size())), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  stream.avail_in = static_cast<uInt>(text.size());
  stream.next_out = reinterpret_cast<Bytef*>(packed.data());
  stream.avail_out = static_cast<uInt>(packed.size());
  const int result = deflate(&stream, Z_FINISH);
  packed.resize(stream.total_out);
  deflateEnd(&stream);
  if (result != Z_STREAM_END) return std::nullopt;
  return packed;
}

// Writes text to path among files (compressed when asked); it is
// registered and announced as a page is once every file is in place.
bool WriteMapFile(const std::string& path, std::string_view text, bool compressed,
                  OutputFiles& files) {
  std::optional<std::string> packed;
  if (compressed) {
    packed = Gzipped(text);
    if (!packed) {
      core::ReportMemoryOverflow();
      files.Fail();
      return false;
    }
    text = *packed;
  }
  core::TextFile* file = files.Create(path, core::FileMode::kWriteBinary, OutputFiles::Kind::kPage);
  if (file == nullptr) return false;
  if (!file->Write(text)) {
    ReportWriteError(path);
    files.Fail();
    return false;
  }
  return files.Finish(*file);
}

// The public address of the folder the map's files are written to: the
// site's folder, or, for a map written inside the site's folder on disk, the
// address of its place there.
std::string PublicFolderOf(const Site& site, const std::string& file_path) {
  if (site.disk_folder.empty() || site.web_base) return site.public_folder;
  std::error_code error;
  const fs::path folder = fs::absolute(fs::path(file_path).parent_path(), error);
  const fs::path base = fs::absolute(site.disk_folder, error);
  const std::string relative =
      folder.lexically_normal().lexically_relative(base.lexically_normal());
  if (error || relative.empty() || relative.starts_with("..")) return site.public_folder;
  return relative == "." ? site.public_folder : site.public_folder + WithSlash(relative);
}

}  // namespace

std::string XmlSitemapAddress(std::string_view address) {
  return XmlEscaped(PercentEncoded(address));
}

std::string W3cDateTime(int64_t seconds) {
  const auto time = static_cast<std::time_t>(seconds);
  std::tm parts{};
  if (gmtime_r(&time, &parts) == nullptr) return {};
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
  return text;
}

std::optional<std::vector<XmlSitemapEntry>> XmlSitemapEntries(const MapItemList& items,
                                                              const char* base_path) {
  std::optional<Plan> plan = PlanOf(items, base_path);
  if (!plan) return std::nullopt;
  return std::move(plan->entries);
}

bool WriteXmlSitemap(const SiteMapSettings& settings, const MapItemList& items,
                     const char* base_path, OutputFiles& files, SitemapFormat format) {
  const std::string file_path =
      PageFileOf(settings.OutputFile != nullptr ? settings.OutputFile : "");
  if (*core::FileNamePart(file_path.c_str()) == '\0') {
    core::ReportErrorCode(core::ErrorCode::kCantOpenFile, file_path.c_str());
    return false;
  }
  const std::optional<Plan> plan = PlanOf(items, base_path);
  if (!plan) return false;
  const bool text = format == SitemapFormat::kText;
  if (plan->entries.empty()) {
    core::ReportError(text ? kNoTextPages : kNoPages);
    return false;
  }
  const bool compressed = EndsWithGz(file_path);
  const std::vector<std::string> parts =
      text ? SplitFiles(plan->entries, "", "", TextLine)
           : SplitFiles(plan->entries, UrlSetStart(), kUrlSetEnd, EntryLine);
  if (parts.size() == 1) return WriteMapFile(file_path, parts[0], compressed, files);

  // A text map has no index: its first part is the file, the rest are
  // numbered beside it from 1. An XML map's parts come first, so that the
  // index never names a file that is missing.
  const std::string folder = PublicFolderOf(plan->site, file_path);
  std::vector<std::string> locations;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const int number = static_cast<int>(text ? i : i + 1);
    const std::string part = NumberedPageName(file_path, number);
    if (!WriteMapFile(part, parts[i], compressed, files)) return false;
    locations.push_back(folder + core::FileNamePart(part.c_str()));
  }
  return text || WriteMapFile(file_path, IndexFile(locations), compressed, files);
}

namespace testing {
void SetXmlSitemapLimits(const XmlSitemapLimits& new_limits) { limits = new_limits; }
}  // namespace testing

}  // namespace vellum::generate

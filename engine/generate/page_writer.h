// One site map page: created, written whole (head, the head block of the
// output type, BODY tag, body, page end), registered in the project and
// announced. The paged list writes a page per branch through the same writer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "generate/html_writer.h"
#include "generate/image_scheme.h"
#include "vellum/vellum.h"

namespace vellum::generate {

// Branch pages nest at most this deep: the pages of the last level list
// their branches as leaves.
inline constexpr int kMaxPageLevels = 64;

class OutputFiles;

// One step of the paged list's trail of parent pages. A step without target
// is written as its text alone.
struct Crumb {
  std::string text;
  std::optional<std::string> target;
  bool relative = false;  // the target is an item's URL, written relative when asked
};

// An entry of the index page: a linked item of the tree, anywhere in it.
struct IndexEntry {
  const char* url;
  const char* name;  // " " for an item without name
};

// What the pages of one generation share. The settings and the tree belong
// to the caller and outlive the generation.
struct Generation {
  const SiteMapSettings& settings;
  const char* base_path;  // base of relative links; may be absent
  uint32_t flags;         // GenerateFlags
  const ImageScheme* scheme = nullptr;
  // Index page: the pictures that head its groups, in scheme order.
  std::vector<const SchemePicture*> letters{};
  // Paged list: the trail, one step per page level.
  std::vector<Crumb> crumbs = std::vector<Crumb>(kMaxPageLevels);
  // Paged list: the number of the last branch page.
  int page_counter = 0;
  // Index page: every linked item, sorted by name.
  std::vector<IndexEntry> index_entries{};
  // Where the pages go; they are put in place together.
  OutputFiles* files = nullptr;
  // HTML5 markup in place of the classic pages, in this language.
  bool html5 = false;
  std::string_view lang = "en";

  bool Has(uint32_t flag) const { return (flags & flag) != 0; }
  bool relative_links() const { return Has(VELLUM_GEN_RELATIVE_LINKS); }
  Font font() const;
};

// Writes the page of list at path into generation.files. An absolute path
// is written as it is; a relative one is written in the current folder under
// its last component, and its links get one "../" per separator of the
// path. level is the page's depth below the site map's first page. True
// when the page was written whole; a failure (reported) fails the whole
// generation.
bool WritePage(Generation& generation, const MapItemList& list, const std::string& path, int level);

// The file a page named path is written to: an absolute path as it is, a
// relative one in the current folder under its last component.
std::string PageFileOf(const std::string& path);

// path with number inserted before the first "." of its file name (appended
// when the name has none); number 0 gives path unchanged.
std::string NumberedPageName(std::string_view path, int number);

}  // namespace vellum::generate

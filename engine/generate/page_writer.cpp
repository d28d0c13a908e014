#include "generate/page_writer.h"

#include "core/messages.h"
#include "core/text_file.h"
#include "core/text_utils.h"
#include "generate/bodies.h"
#include "generate/html5_pages.h"
#include "generate/output_files.h"

namespace vellum::generate {
namespace {

constexpr std::string_view kStyleBlockA =
    "    <style type='text/css'>\n<!--\n\t.UL0 {color:#002964;}\n\t.CL0 {color:#002964;}\n"
    "-->\n    </style>\n";
constexpr std::string_view kStyleBlockB =
    "    <style type='text/css'>\n<!--\n\t.AA0 {color:#002964;}\n\t.UL0 {color:#002964;}\n"
    "\t.CL0 {color:#002964;}\n-->\n    </style>\n";
constexpr std::string_view kStyleBlockC =
    "\t<style type='text/css'>\n<!--\n\t.ICO {vertical-align:text-top}\n"
    "\t.CL0 {color:#003063;}\n-->\n\t</style>\n";
constexpr std::string_view kNavigationScript =
    "<SCRIPT language=JavaScript>\n<!--\nfunction onSelect(ComboBox)\n\t{\n"
    "\tif (ComboBox.options[ComboBox.selectedIndex].value == '#')\n"
    "\t\tComboBox.selectedIndex = 0;\n\telse\n"
    "\t\twindow.top.location.href = (ComboBox.options[ComboBox.selectedIndex].value);\n"
    "\t}\n// -->\n</SCRIPT>\n";

// The fixed style or script block that the output type puts into the page
// head.
std::string_view HeadBlock(int output_type) {
  switch (output_type) {
    case VELLUM_OUTPUT_UL_LIST:
    case VELLUM_OUTPUT_INDEX_PAGE:
      return kStyleBlockA;
    case VELLUM_OUTPUT_PAGED_UL_LIST:
      return kStyleBlockB;
    case VELLUM_OUTPUT_ICON_TREE:
      return kStyleBlockC;
    case VELLUM_OUTPUT_NAV_COMBO:
      return kNavigationScript;
    default:  // the level table and unknown types have none
      return {};
  }
}

bool WriteHeadBlock(HtmlWriter& out, const Generation& generation) {
  if (generation.settings.OutputType == VELLUM_OUTPUT_SCRIPT_TREE) {
    return WriteScriptTreeHead(out, generation);
  }
  return out.WriteChecked(HeadBlock(generation.settings.OutputType));
}

bool WriteBody(HtmlWriter& out, Generation& generation, const MapItemList& list, int level,
               const std::string& page_path) {
  switch (generation.settings.OutputType) {
    case VELLUM_OUTPUT_UL_LIST:
      return UlList(out, generation, list);
    case VELLUM_OUTPUT_PAGED_UL_LIST:
      return PagedUlList(out, generation, list, level, page_path);
    case VELLUM_OUTPUT_ICON_TREE:
      return IconTree(out, generation, list);
    case VELLUM_OUTPUT_SCRIPT_TREE:
      return ScriptTree(out, generation, list);
    case VELLUM_OUTPUT_NAV_COMBO:
      NavCombo(out, generation, list);
      return true;
    case VELLUM_OUTPUT_INDEX_PAGE:
      return IndexPage(out, generation);
    case VELLUM_OUTPUT_LEVEL_TABLE:
      return LevelTable(out, generation, list);
    default:  // unknown types have an empty body
      return true;
  }
}

BodyTag BodyTagOf(const Generation& generation) {
  const SiteMapSettings& settings = generation.settings;
  return {.bg_color = settings.BgColor,
          .background = settings.BackgroundImage,
          .subfolder = settings.ImageFolder,
          .text_color = settings.FontColor,
          .link_color = settings.LinkColor,
          .visited_color = settings.VisitedColor,
          .text_above = settings.TextAbove,
          .use_text = generation.Has(VELLUM_GEN_USE_FONT_COLOR),
          .use_link = generation.Has(VELLUM_GEN_USE_LINK_COLOR),
          .use_visited = generation.Has(VELLUM_GEN_USE_VISITED_COLOR)};
}

// The page's own place in the trail: its path in the form its branch pages
// are linked in, so that "../" prefixes resolve alike. A page written under
// an absolute path is linked by name from the pages beside it.
std::string RootCrumbTarget(const std::string& path, bool absolute) {
  return absolute ? std::string(core::FileNamePart(path.c_str())) : path;
}

}  // namespace

Font Generation::font() const {
  return {.size_index = settings.FontSize,
          .color = settings.FontColor,
          .use_size = Has(VELLUM_GEN_USE_FONT_SIZE),
          .use_color = Has(VELLUM_GEN_USE_FONT_COLOR),
          .style = settings.FontStyle};
}

bool WritePage(Generation& generation, const MapItemList& list, const std::string& path,
               int level) {
  const SiteMapSettings& settings = generation.settings;
  const bool absolute = core::IsAbsolutePath(path.c_str());
  const int up_indent = absolute ? 0 : core::SeparatorCount(path);
  const std::string file_path = PageFileOf(path);

  core::TextFile* file =
      generation.files->Create(file_path, core::FileMode::kWriteText, OutputFiles::Kind::kPage);
  if (file == nullptr) return false;

  HtmlWriter out(*file, up_indent, file_path);
  if (level == 0) generation.crumbs[0].target = RootCrumbTarget(path, absolute);
  const bool written =
      generation.html5
          ? WriteHtml5Page(out, generation, list, level, path)
          : out.WritePageHead(settings.Title, settings.HeadTags) &&
                WriteHeadBlock(out, generation) && out.WriteBodyOpen(BodyTagOf(generation)) &&
                WriteBody(out, generation, list, level, path) &&
                out.WritePageEnd(settings.TextBelow, generation.Has(VELLUM_GEN_PAGE_FOOTER));
  if (!written || !out.Flush()) {
    generation.files->Fail();
    return false;
  }
  return generation.files->Finish(*file);
}

std::string PageFileOf(const std::string& path) {
  return core::IsAbsolutePath(path.c_str()) ? path : core::FileNamePart(path.c_str());
}

std::string NumberedPageName(std::string_view path, int number) {
  std::string numbered(path);
  if (number == 0) return numbered;
  const std::size_t name = numbered.find_last_of("\\/") + 1;  // 0 when there is no folder
  const std::size_t dot = numbered.find('.', name);
  numbered.insert(dot == std::string::npos ? numbered.size() : dot, std::to_string(number));
  return numbered;
}

}  // namespace vellum::generate

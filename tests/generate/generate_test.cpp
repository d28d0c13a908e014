// Generating site maps: the writer's tags and links, the bodies of each
// output type, whole pages against golden pages, where pages and their
// resources go, what is registered and reported, failures, and picture
// schemes loaded at start-up.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <magick/MagickCore.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <zlib.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "config/engine_config.h"
#include "config/start_up.h"
#include "core/counted_string_list.h"
#include "core/map_item_list.h"
#include "core/memory.h"
#include "core/text_utils.h"
#include "generate/bodies.h"
#include "generate/html_writer.h"
#include "generate/output_files.h"
#include "generate/page_writer.h"
#include "generate/resources.h"
#include "generate/schemes.h"
#include "generate/site_map.h"
#include "generate/tree_walk.h"
#include "project/project.h"
#include "support/child_process.h"
#include "support/golden.h"
#include "support/map_tree.h"
#include "support/message_log.h"
#include "support/scratch_dir.h"
#include "vellum/vellum.h"

namespace vellum::generate {
namespace {

namespace fs = std::filesystem;
using namespace test;
using ::testing::AnyOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

using S = SiteMapSettings;
using Texts = std::vector<std::string>;

// The words of text, as split at white space.
Texts Words(const std::string& text) { return AllMatches(text, "\\S+", "$&"); }

// The resource folder of the source tree, with its shipped schemes, as the
// root of an installation.
const std::string kSourceRoot = VELLUM_RESOURCE_ROOT;

// A chain of depth items, each the only child of the one before, all linked.
void AppendChain(MapItemList& list, int depth) {
  MapItemList* level = &list;
  for (int i = 0; i < depth; ++i) {
    std::string name = "L";
    name += std::to_string(i);
    level = &core::Append(*level, (name + ".htm").c_str(), name.c_str())->Children;
  }
}

void Set(S&) {}
template <typename T, typename V, typename... More>
void Set(S& settings, T S::*member, V value, More... more) {
  settings.*member = static_cast<T>(value);
  Set(settings, more...);
}

// Site map settings writing output_file as output_type, with the members and
// values that follow in pairs (&S::Title, "Map", ...); all others are zero.
template <typename... More>
S Settings(int output_type, const char* output_file, More... more) {
  S settings{};
  Set(settings, &S::OutputType, output_type, &S::OutputFile, output_file, more...);
  return settings;
}

// Generates items with settings and flags, as HTMLGSiteMap does.
void Generate(const S& settings, MapItemList& items, uint32_t flags = 0,
              const char* base_path = nullptr) {
  SiteMapParams params{base_path, nullptr, settings, &items};
  EXPECT_EQ(GenerateSiteMap(params, flags), 1);
}

// The files generation registered in the project, in order.
Texts OutputList() {
  const Project& project = project::TheProject();
  return Texts(project.OutputList, project.OutputList + project.AddedCount);
}

// The names of the files below folder, relative to it, sorted.
Texts FilesBelow(const fs::path& folder) {
  Texts files;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) files.push_back(entry.path().lexically_relative(folder));
  }
  std::sort(files.begin(), files.end());
  return files;
}

// Runs the engine's start-up as a program in root + "IDE/" would, with the
// scheme hooks installed, and shuts the engine down with the object. What
// start-up reported goes to a fresh message log.
class EngineStart {
 public:
  explicit EngineStart(const std::string& root) {
    config::SetStartUpHooks(
        {.load_schemes = generate::LoadSchemes, .release_schemes = generate::ReleaseSchemes});
    EXPECT_EQ(config::StartUp((root + "IDE/vellumark").c_str()), 1);
    InstallMessageLog();
  }
  ~EngineStart() { config::ShutDown(); }
};

// Generation in a fresh current folder with a fresh message log.
class InGenerateDir : public ::testing::Test {
 protected:
  // Generates outline with settings and flags; the bytes of the page written.
  std::string Page(const char* outline, const S& settings, uint32_t flags = 0,
                   const char* base_path = nullptr) {
    Tree tree(outline);
    Generate(settings, tree.list(), flags, base_path);
    const char* file = settings.OutputFile;
    return ReadBytes(core::IsAbsolutePath(file) ? file : core::FileNamePart(file));
  }

  InScratchDir here;
  MessageLog& log = InstallMessageLog();
};

// ---------------------------------------------------------------------------
// The writer and the bodies.

// Link targets: "../" per folder of a relative page, the base page's folder
// stripped only as a whole, "file://" before an absolute path.
TEST(WriteLinkTarget, PrefixesAndTheBaseFolder) {
  const struct {
    int up_indent;
    bool relative;
    const char *base, *url, *expected;
  } rows[] = {
      {2, false, nullptr, "C:\\site\\a.htm", "../../file://C:\\site\\a.htm"},
      {1, false, nullptr, "http://x.org/a.htm", "../http://x.org/a.htm"},
      {0, false, nullptr, "/srv/www/a.htm", "file:///srv/www/a.htm"},
      {0, true, "C:\\site\\map.htm", "C:\\site\\sub\\a.htm", "sub\\a.htm"},
      {0, true, "C:\\site\\map.htm", "D:\\x.htm", "file://D:\\x.htm"},
      {0, true, "C:\\site\\map.htm", "C:\\SITE\\a.htm", "file://C:\\SITE\\a.htm"},  // case counts
      {0, true, "C:\\site\\map.htm", "C:\\sitemap.htm",
       "file://C:\\sitemap.htm"},                                     // not the folder
      {0, true, "C:\\site\\map.htm", "C:\\site", "file://C:\\site"},  // shorter
      {0, true, "/srv/www/map.htm", "/srv/www/docs/a.htm", "docs/a.htm"},
      {0, true, "/map.htm", "/a.htm", "a.htm"},
      {0, true, "/map.htm", "a.htm", "a.htm"},
      {1, true, "/map.htm", "", "../"},
      {0, true, "map.htm", "a.htm", "a.htm"},  // no folder
      {0, true, nullptr, "/srv/a.htm", "file:///srv/a.htm"},
      {0, false, "/srv/www/map.htm", "/srv/www/a.htm", "file:///srv/www/a.htm"},
      // No address leaves its attribute, and no file made relative reads as
      // a scheme.
      {0, false, nullptr, "http://x.org/q?a=\"><b x=\"", "http://x.org/q?a=%22%3E%3Cb x=%22"},
      {0, true, "/srv/map.htm", "/srv/javascript:alert(1).htm", "./javascript:alert(1).htm"},
      {0, true, "/srv/map.htm", "/srv/javascript&colon;x.htm", "./javascript&colon;x.htm"},
      {0, true, "/srv/map.htm", "/srv/a/b:c.htm", "a/b:c.htm"},
      {0, false, nullptr, "mailto:me@x.org", "mailto:me@x.org"},  // typed on purpose
  };
  for (const auto& r : rows) {
    HtmlWriter out(r.up_indent);
    out.WriteLinkTarget(r.relative, r.url, r.base);
    EXPECT_EQ(out.text(), r.expected) << r.base << " " << r.url;
  }
}

// The golden pages hold the usual fonts; a style no list offers (a shared
// project may give any number) and a colour asked for but empty add no tag.
TEST(Font, OddStylesAndEmptyColoursAddNoTag) {
  const struct {
    Font font;
    const char *open, *close;
  } rows[] = {
      {{.size_index = 0, .use_size = true, .style = 4},
       "\t<FONT face=\"Verdana, Arial, Helvetica\" SIZE=1>\n",
       "\t</FONT>\n"},
      {{.color = "", .use_color = true, .style = 3},
       "\t<FONT face=\"Verdana, Arial, Helvetica\"><B><I>\n",
       "\t</I></B></FONT>\n"},
  };
  for (const auto& r : rows) {
    HtmlWriter open(0), close(0);
    open.OpenFont(1, r.font);
    close.CloseFont(1, r.font);
    EXPECT_EQ(open.text(), r.open);
    EXPECT_EQ(close.text(), r.close);
  }
}

TEST(NumberedPageName, InsertsTheNumberBeforeTheFirstDotOfTheName) {
  const struct {
    const char* path;
    int number;
    const char* expected;
  } rows[] = {{"map.htm", 3, "map3.htm"},
              {"map", 3, "map3"},
              {"map.htm", 0, "map.htm"},
              {"map.v2.htm", 12, "map12.v2.htm"},
              {"C:\\my.site\\map.htm", 2, "C:\\my.site\\map2.htm"},
              {"/home/me/.cache/site/map.htm", 1, "/home/me/.cache/site/map1.htm"}};
  for (const auto& r : rows) EXPECT_EQ(NumberedPageName(r.path, r.number), r.expected);
}

// A very deep tree is measured without recursion (the level table golden
// pages hold the extra rows of ordinary trees).
TEST(TreeMeasures, AVeryDeepTreeIsMeasuredWithoutRecursion) {
  Tree chain("");
  AppendChain(chain.list(), 200000);
  EXPECT_EQ(MaxDepth(chain.list()), 200000);
  EXPECT_EQ(CountExtraRows(chain.list(), kMaxIndentLevel - 1).size(), 200000u);
}

// ---------------------------------------------------------------------------
// Bodies.

using Pages = InGenerateDir;

// Past kMaxIndentLevel the indent stays as it is, and the level table's
// deeper items share its last column, a row each, so that a chain of pages
// as deep as a crawler trap gives (here with a leaf on every level) stays a
// page of linear size.
TEST_F(Pages, IndentsStopGrowingAtTheirLimit) {
  std::string options_indent;
  for (int i = 0; i < kMaxIndentLevel; ++i) options_indent += "&nbsp;&nbsp;&nbsp;";
  const struct {
    int type;
    std::string deepest;
  } rows[] = {
      {VELLUM_OUTPUT_UL_LIST, std::string(kMaxIndentLevel, '\t') + "<LI><A HREF=\"L4999.htm\">"},
      {VELLUM_OUTPUT_NAV_COMBO, ">" + options_indent + "L4999</OPTION>"},
      {VELLUM_OUTPUT_LEVEL_TABLE,
       "</TR>\r\n<TR VALIGN=\"TOP\">\r\n<TD>\r\n\t<A HREF=\"L4999.htm\">L4999</A><BR>\r\n"
       "</TD>\r\n</TR>\r\n"},
  };
  Tree tree("");
  MapItemList* level = &tree.list();
  for (int i = 0; i < 5000; ++i) {
    const std::string name = std::string("L").append(std::to_string(i));
    core::Append(*level, "leaf.htm", "leaf");
    level = &core::Append(*level, (name + ".htm").c_str(), name.c_str())->Children;
  }
  for (const auto& row : rows) {
    SCOPED_TRACE(row.type);
    Generate(Settings(row.type, "map.htm"), tree.list());
    const std::string page = ReadBytes("map.htm");
    EXPECT_THAT(page, HasSubstr(row.deepest));
    EXPECT_LT(page.size(), 10000u * 1500);  // without the limits: hundreds of MB
  }
}

TEST_F(Pages, ScriptTreeFontSizeWordAndPictureFolder) {
  const struct {
    int font_size;
    const char *image_folder, *word, *imf;
  } rows[] = {
      {0, nullptr, "xx-small", ""},      {3, "", "medium", ""},
      {6, "img", "xx-large", "img/"},    {7, "a/b/", "x-small", "a/b/"},
      {1, "pics\\", "x-small", "pics/"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.font_size);
    const std::string page =
        Page("A -> a.htm", Settings(VELLUM_OUTPUT_SCRIPT_TREE, "tree.htm", &S::FontSize,
                                    row.font_size, &S::ImageFolder, row.image_folder));
    EXPECT_EQ(AllMatches(page, std::string("getFntSize\\(\"") + row.word + "\"\\)").size(), 6u);
    EXPECT_THAT(page, HasSubstr(std::string("var imf = \"") + row.imf + "\";"));
  }
}

// Index page bodies drawn with a scheme of the pictures given.
class IndexBody : public ::testing::Test {
 protected:
  std::string Body(std::vector<SchemePicture> pictures, std::string_view outline,
                   uint32_t flags = 0) {
    pictures_ = std::move(pictures);
    scheme_ = {"own", "/x/", kIndexScheme, static_cast<int32_t>(pictures_.size()),
               pictures_.data()};
    Tree tree(outline);
    generation.flags = flags;
    generation.index_entries = IndexEntries(tree.list());
    HtmlWriter out(0);
    EXPECT_TRUE(IndexPage(out, generation));
    return out.text();
  }

  SiteMapSettings settings{};
  std::vector<SchemePicture> pictures_;
  ImageScheme scheme_{};
  Generation generation{.settings = settings, .base_path = nullptr, .flags = 0, .scheme = &scheme_};
};

// Without an other picture the rest comes after a rule. A lower case key
// takes only lower case names, and a name can head two groups.
TEST_F(IndexBody, WithoutOtherPictureTheRestComesAfterARule) {
  ScratchDir dir;
  const std::string body =
      Body({{'B', "b.gif", 0, 0}, {'A', "a.gif", 7, 9}, {'a', "small.gif", 0, 0}},
           "_x -> x.htm\nbeta -> b.htm\nAlpha -> A.htm\napple -> a.htm\n9 -> 9.htm");
  ExpectGoldenFile(dir.Write("body.htm", body), VELLUM_GOLDEN_DIR "/index_body_no_other.html",
                   false);
  ASSERT_EQ(generation.letters.size(), 3u);
  EXPECT_STREQ(generation.letters[0]->File, "b.gif");
  EXPECT_TRUE(SchemeHasLetter(scheme_, 'a'));
  EXPECT_FALSE(SchemeHasLetter(scheme_, 'c'));
  EXPECT_EQ(Body({}, "b -> b.htm\na -> a.htm"),
            "<BR>\n\n\n<HR>\n<A HREF=\"a.htm\">a</A><BR>\n<A HREF=\"b.htm\">b</A><BR>\n\n<BR>");
}

TEST_F(IndexBody, TheLetterBarShowsAtMost255Pictures) {
  const std::string body = Body(std::vector<SchemePicture>(256, {'x', "x.gif", 0, 0}), "x -> x.htm",
                                VELLUM_GEN_LETTER_BAR_BEFORE);
  EXPECT_EQ(generation.letters.size(), 255u);
  EXPECT_EQ(AllMatches(body, "<A NAME=").size(), 256u);
}

constexpr const char* kShop = R"(Home -> index.html
Products -> products.html
  Tools -> tools.html
  Garden -> garden.html
    Seeds -> seeds.html
    Bulbs -> bulbs.html
  Sale -> sale.html
About -> about.html
  Team -> team.html)";

// ---------------------------------------------------------------------------
// Golden pages: a tree and settings in, the whole page out.

TEST(GoldenPage, EachOutputType) {
  const struct {
    const char* outline;
    SiteMapSettings settings;
    uint32_t flags;
    const char* goldens;  // of the page, then of its branch pages 1, 2...
    const char* base_path = nullptr;
  } rows[] = {
      {"Home -> index.html\nProducts\n  Tools -> tools.html\n   -> empty.html\n"
       "About -> about.html\n  Team -> team.html",
       Settings(VELLUM_OUTPUT_UL_LIST, "sitemap.html", &S::ImageFolder, "img", &S::BgColor,
                "FFFFFF", &S::BackgroundImage, "paper.gif", &S::Title, "Site Map", &S::TextAbove,
                "<H1>Our site</H1>", &S::TextBelow, "<P>Updated daily</P>", &S::HeadTags,
                "<META NAME=\"robots\" CONTENT=\"all\">", &S::FontColor, "000000", &S::LinkColor,
                "0000FF", &S::VisitedColor, "000080", &S::FontSize, 1, &S::FontStyle, 1,
                &S::TopListType, 2, &S::SubListType, 3),
       VELLUM_GEN_USE_FONT_SIZE | VELLUM_GEN_USE_FONT_COLOR | VELLUM_GEN_USE_LINK_COLOR |
           VELLUM_GEN_USE_VISITED_COLOR | VELLUM_GEN_PAGE_FOOTER,
       "ul_list.html"},
      {kShop,
       Settings(VELLUM_OUTPUT_PAGED_UL_LIST, "map.htm", &S::Title, "Shop", &S::TopCrumbText, "Top",
                &S::CrumbSeparator, "/"),
       VELLUM_GEN_BREADCRUMBS | VELLUM_GEN_CHILD_COUNTS,
       "paged_ul_list.html paged_ul_list_branch.html paged_ul_list_deeper.html"},
      {"A -> a.htm\n  B -> b.htm\n  C -> c.htm\nD -> d.htm",
       Settings(VELLUM_OUTPUT_LEVEL_TABLE, "table.htm", &S::Title, "Levels", &S::FontStyle, 2,
                &S::TableBorder, 1),
       0, "level_table.html"},
      // Children are indented, items without URL skipped.
      {"Home -> index.html\nProducts\n  Tools -> tools.html\n  Garden -> garden.html\n"
       "    Seeds -> seeds.html",
       Settings(VELLUM_OUTPUT_NAV_COMBO, "sitemap/nav.htm", &S::ComboTitle, "Navigate",
                &S::FontColor, "003164"),
       VELLUM_GEN_USE_FONT_COLOR, "nav_combo.html"},
      {"", Settings(VELLUM_OUTPUT_UL_LIST, "empty.htm", &S::Title, "Nothing yet"), 0,
       "ul_list_empty.html"},
      {kShop,
       Settings(10, "frame.htm", &S::Title, "Frame", &S::TextAbove, "<P>above</P>", &S::TextBelow,
                "<P>below</P>"),
       0, "unknown_type_frame.html"},
      // Bare bodies of empty trees; an absent title is one space, and colours
      // asked for are written even when empty.
      {"",
       Settings(VELLUM_OUTPUT_LEVEL_TABLE, "table.htm", &S::BgColor, "", &S::LinkColor, "0000FF"),
       VELLUM_GEN_USE_FONT_COLOR | VELLUM_GEN_USE_LINK_COLOR, "level_table_empty.html"},
      // Links relative to the base page's folder where they lie below it.
      {"A -> /srv/www/a.htm\nB -> /srv/www/docs/b.htm\nC -> /srv/other/c.htm",
       Settings(VELLUM_OUTPUT_NAV_COMBO, "relative.htm"), VELLUM_GEN_RELATIVE_LINKS,
       "nav_combo_relative.html", "/srv/www/index.htm"},
      // The font is opened per list, children indented in a table.
      {"A -> a.htm\n  B -> b.htm\nC",
       Settings(VELLUM_OUTPUT_ICON_TREE, "icons.htm", &S::ImageFolder, "img", &S::FontStyle, 1), 0,
       "icon_tree.html"},
      {"Home -> index.htm\nShop -> shop.htm\n  Tools -> tools.htm\nAbout -> about.htm",
       Settings(VELLUM_OUTPUT_SCRIPT_TREE, "tree.htm", &S::ImageFolder, "img", &S::Title, "Tree",
                &S::CollapseText, "Collapse all", &S::ExpandText, "Expand all", &S::FontSize, 9),
       VELLUM_GEN_EXPAND_COLLAPSE_LINKS, "script_tree.html"},
      // R's children: a leaf group, a branch, then a group whose id repeats
      // the parent level with 2; their own branch D starts a group of level 2.
      {"R -> r.htm\n  a -> a.htm\n  B -> b.htm\n    c -> c.htm\n  d -> d.htm\n  D -> dd.htm\n"
       "    e -> e.htm",
       Settings(VELLUM_OUTPUT_SCRIPT_TREE, "groups.htm"), 0, "script_tree_groups.html"},
      {"beta -> beta.htm\nAlpha -> Alpha.htm\n  alpha -> alpha.htm\nLinks\n"
       "  9lives -> 9lives.htm\n  _x -> x.htm",
       Settings(VELLUM_OUTPUT_INDEX_PAGE, "index.htm", &S::ImageFolder, "letters", &S::Title,
                "Index", &S::OtherName, "Other", &S::FontColor, "003063", &S::FontSize, 2),
       VELLUM_GEN_LETTER_BAR_BEFORE | VELLUM_GEN_LETTER_BAR_AFTER | VELLUM_GEN_USE_FONT_SIZE |
           VELLUM_GEN_USE_FONT_COLOR,
       "index_page.html"},
      // The frame and empty letter bars.
      {"", Settings(VELLUM_OUTPUT_INDEX_PAGE, "empty.htm", &S::FontStyle, 2),
       VELLUM_GEN_LETTER_BAR_BEFORE | VELLUM_GEN_LETTER_BAR_AFTER, "index_page_empty.html"},
      // Other takes what no letter takes, bytes above 127 and absent names
      // included, with an ALT text in the bar, if only ""; items without URL
      // are left out, repeated names listed twice.
      {"-dash -> d.htm\n\xC9mile -> e.htm\n7up -> 7.htm\n~ -> blank.htm\nShop\n  Saws -> s.htm\n"
       "  Saws -> s.htm",
       Settings(VELLUM_OUTPUT_INDEX_PAGE, "other.htm"), VELLUM_GEN_LETTER_BAR_BEFORE,
       "index_page_other.html"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.goldens);
    InScratchDir here;
    InstallMessageLog();
    Tree tree(row.outline);
    Generate(row.settings, tree.list(), row.flags, row.base_path);
    const Texts goldens = Words(row.goldens);
    for (std::size_t i = 0; i < goldens.size(); ++i) {
      ExpectGoldenFile(NumberedPageName(core::FileNamePart(row.settings.OutputFile), i),
                       std::string(VELLUM_GOLDEN_DIR "/") + goldens[i]);
    }
    EXPECT_TRUE(Messages().errors.empty());
  }
}

// A page that holds a byte beyond ASCII declares UTF-8 right behind the
// GENERATOR line, wherever that byte comes (the title, the first or the
// last of many links, a branch page of its own); a page of ASCII alone gets
// nothing (the golden pages hold those).
TEST(GoldenPage, DeclaresUtf8ExactlyWhenItHoldsMoreThanAscii) {
  std::string long_list;
  for (int i = 0; i < 3000; ++i) long_list += "Page " + std::to_string(i) + " -> p.htm\n";
  const char* kCafe =
      "Home -> index.htm\nCaf\xC3\xA9 -> cafe.htm\n  Men\xC3\xBC -> menu.htm\n"
      "Shop -> shop.htm\n  Tools -> t.htm";
  const struct {
    std::string outline;
    int output_type;
    const char* title;
    int declaring_pages;
    int pages;
  } rows[] = {
      {"A -> a.htm", VELLUM_OUTPUT_UL_LIST, "Caf\xC3\xA9", 1, 1},
      {long_list + "\xC3\x9C -> u.htm", VELLUM_OUTPUT_UL_LIST, "Long", 1, 1},
      {long_list, VELLUM_OUTPUT_LEVEL_TABLE, "Long", 0, 1},
      {kCafe, VELLUM_OUTPUT_PAGED_UL_LIST, "Map", 2, 3},
      {kCafe, VELLUM_OUTPUT_LEVEL_TABLE, "Map", 1, 1},
  };
  const std::string declared =
      "CONTENT=\"Vellumark 1.2\">\r\n"
      "\t<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=utf-8\">\r\n"
      "\t<!--  Vellumark Generated  -->\r\n";
  for (const auto& row : rows) {
    SCOPED_TRACE(row.outline.substr(0, 40) + " as type " + std::to_string(row.output_type));
    InScratchDir here;
    InstallMessageLog();
    Tree tree(row.outline);
    Generate(Settings(row.output_type, "map.htm", &S::Title, row.title), tree.list());
    int pages = 0, declaring = 0;
    for (const std::string& file : FilesBelow(".")) {
      if (!file.ends_with(".htm")) continue;
      SCOPED_TRACE(file);
      const std::string page = ReadBytes(file);
      const bool ascii = std::all_of(page.begin(), page.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0x80) == 0;
      });
      ++pages;
      declaring += page.find("charset=utf-8") != std::string::npos;
      EXPECT_EQ(page.find(declared) != std::string::npos, !ascii);
    }
    EXPECT_EQ(pages, row.pages);
    EXPECT_EQ(declaring, row.declaring_pages);
  }
}

// ---------------------------------------------------------------------------
// Where pages go, registration and messages.

TEST_F(Pages, BranchPagesAreRegisteredOnceAndAnnouncedBeforeThePageLinkingThem) {
  Tree tree(kShop);
  const SiteMapSettings settings = Settings(VELLUM_OUTPUT_PAGED_UL_LIST, "map.htm");
  Generate(settings, tree.list(), VELLUM_GEN_NO_OUTPUT_LIST);
  EXPECT_TRUE(OutputList().empty());
  EXPECT_EQ(project::TheProject().Modified, 0);
  Generate(settings, tree.list());
  Generate(settings, tree.list());
  const Texts order{"map2.htm", "map1.htm", "map3.htm", "map.htm"};
  EXPECT_EQ(OutputList(), order);
  ASSERT_EQ(log.info.size(), 12u);
  for (std::size_t i = 0; i < 12; ++i) {
    EXPECT_EQ(log.info[i], "   Generate '" + order[i % 4] + "' page\n");
  }
  EXPECT_TRUE(log.errors.empty());
  EXPECT_EQ(project::TheProject().Modified, 1);
  Generate(Settings(VELLUM_OUTPUT_SCRIPT_TREE, "tree.htm"), tree.list(), VELLUM_GEN_NO_OUTPUT_LIST);
  EXPECT_EQ(OutputList(), order);  // nor the scripts of a script tree
  EXPECT_FALSE(fs::exists("map4.htm"));
}

// A branch without URL ends its own page's trail with its name alone.
TEST_F(Pages, ARelativePathIsWrittenInTheCurrentFolderWithLinksGoingUp) {
  const std::string page =
      Page("A -> a.htm\nProducts -> products.html\n  Garden\n    Seeds -> seeds.html",
           Settings(VELLUM_OUTPUT_PAGED_UL_LIST, "site/maps/map.htm", &S::TopCrumbText, "Top"),
           VELLUM_GEN_BREADCRUMBS);
  EXPECT_FALSE(fs::exists("site"));
  EXPECT_THAT(page, HasSubstr("<LI><A HREF=\"../../a.htm\">A</A><BR>\r\n"));
  // The trail links back up the same way.
  EXPECT_THAT(ReadBytes("map2.htm"), HasSubstr("<A HREF=\"../../site/maps/map.htm\">Top</A>"
                                               "&nbsp;&nbsp;<A HREF=\"../../site/maps/map1.htm\">"
                                               "Products</A>&nbsp;&nbsp;Garden<BR>"));
  EXPECT_EQ(OutputList(), (Texts{"map2.htm", "map1.htm", "map.htm"}));
  EXPECT_EQ(log.info.back(), "   Generate 'map.htm' page\n");
}

// An absolute page is registered by its path, with links as they are; its
// background is copied into the image folder beside it, or into the current
// folder for a relative page. Copies are not registered, a picture already
// in place is left whole, and a file that is no picture is not copied.
TEST_F(Pages, AnAbsolutePageAndBackgroundsBesideThePage) {
  here.dir().Write("pics/paper.gif", "GIF");
  here.dir().Write("stone.gif", "STONE");
  fs::create_directory("web");
  const std::string path = here.dir() / "web/map.htm";
  const std::string page = Page("A -> a.htm\nB -> /srv/b.htm",
                                Settings(VELLUM_OUTPUT_UL_LIST, path.c_str(), &S::BackgroundImage,
                                         "pics/paper.gif", &S::ImageFolder, "img"));
  EXPECT_THAT(page, HasSubstr("<LI><A HREF=\"a.htm\">A</A><BR>\r\n"));
  EXPECT_THAT(page, HasSubstr("<LI><A HREF=\"file:///srv/b.htm\">B</A><BR>\r\n"));
  EXPECT_EQ(ReadBytes(here.dir() / "web/img/paper.gif"), "GIF");
  EXPECT_EQ(OutputList(), Texts{path});
  EXPECT_EQ(log.info, Texts{"   Generate '" + path + "' page\n"});
  Page("", Settings(VELLUM_OUTPUT_UL_LIST, "map.htm", &S::BackgroundImage, "pics/paper.gif"));
  EXPECT_EQ(ReadBytes("paper.gif"), "GIF");
  EXPECT_FALSE(fs::exists("/paper.gif"));
  Page("", Settings(VELLUM_OUTPUT_UL_LIST, "map.htm", &S::BackgroundImage, "stone.gif"));
  EXPECT_EQ(ReadBytes("stone.gif"), "STONE");
  // Nor is a file that a picture's name links to, nor a picture from outside
  // the project's folder that the user does not agree to copy.
  ScratchDir elsewhere;
  const std::string key = here.dir().Write("secret/id_rsa", "KEY");
  fs::create_symlink(elsewhere.Write("private", "KEY"), "bg.png");
  const std::string far = elsewhere.Write("far.png", "FAR");
  fs::create_symlink(far, "near.png");
  const std::string not_copied = "' - not a picture file, not copied\n";
  const std::pair<std::string, Texts> rows[] = {
      {key, {"'" + key + not_copied}},
      {"bg.png", {"'bg.png" + not_copied}},
      {"near.png", {}},
  };
  for (const auto& [background, info] : rows) {
    InstallMessageLog();
    Page("", Settings(VELLUM_OUTPUT_UL_LIST, "web/map.htm", &S::BackgroundImage, background.c_str(),
                      &S::ImageFolder, "img"));
    EXPECT_FALSE(fs::exists("img/" + std::string(core::FileNamePart(background.c_str()))));
    Texts expected = info;
    expected.push_back("   Generate 'map.htm' page\n");
    EXPECT_EQ(log.info, expected);
  }
  EXPECT_EQ(log.errors, Texts{"'" + far + "' lies outside the project's folder: not copied"});
  EXPECT_EQ(log.questions.size(), 1u);
}

// ---------------------------------------------------------------------------
// Failures.

TEST_F(Pages, AnOutputThatCannotBeCreatedIsReportedAndNotRegistered) {
  fs::create_directory("folder.htm");
  here.dir().Write("paper.gif", "GIF");
  const std::string below_a_file = here.dir().Write("file", "") + "/map.htm";
  for (const char* path : {below_a_file.c_str(), "folder.htm", "maps/", ""}) {
    Page("A -> a.htm", Settings(VELLUM_OUTPUT_UL_LIST, path, &S::BackgroundImage, "paper.gif",
                                &S::ImageFolder, "img"));
  }
  EXPECT_EQ(log.errors,
            (Texts{"can't open file '" + below_a_file + "'", "can't open file 'folder.htm'",
                   "can't open file ''", "can't open file ''"}));
  EXPECT_TRUE(log.info.empty());
  EXPECT_TRUE(OutputList().empty());
  EXPECT_FALSE(fs::exists("img"));  // nor are the resources copied
  // A failed branch page fails the pages written before it and those
  // linking it alike: none is put in place.
  fs::create_directory("map1.htm");
  InstallMessageLog();
  Generate(Settings(VELLUM_OUTPUT_PAGED_UL_LIST, "map.htm"), Tree(kShop).list());
  EXPECT_EQ(log.errors, Texts{"can't open file 'map1.htm'"});
  EXPECT_TRUE(OutputList().empty());
  EXPECT_EQ(FilesBelow("."), (Texts{"file", "paper.gif"}));
}

// A file size limit makes the writes fail as a full disk would: for a small
// page when it is closed, for a large one while it is being written, for a
// branch page after another was written whole. The limit is lifted again so
// that the test's own files can be written.
TEST_F(Pages, AWriteErrorKeepsThePreviousPagesAndNamesTheFile) {
  std::string large, branch = "Small\n  a -> a.htm\nLarge\n";
  for (int i = 0; i < 5000; ++i) large.append("Page ").append(std::to_string(i)) += " -> p.htm\n";
  for (int i = 0; i < 100; ++i) branch.append("  Page ").append(std::to_string(i)) += " -> p.htm\n";
  const struct {
    std::string outline;
    int type;
    rlim_t limit;
    const char* failed;
  } rows[] = {
      {kShop, VELLUM_OUTPUT_UL_LIST, 64, "map.htm"},
      {large, VELLUM_OUTPUT_UL_LIST, 64, "map.htm"},
      {branch, VELLUM_OUTPUT_PAGED_UL_LIST, 1000, "map2.htm"},
  };
  signal(SIGXFSZ, SIG_IGN);
  rlimit limit{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &limit), 0);
  const rlimit lifted = limit;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.failed);
    here.dir().Write("map.htm", "previous page");
    InstallMessageLog();
    limit.rlim_cur = row.limit;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    EXPECT_EQ(Page(row.outline.c_str(), Settings(row.type, "map.htm")), "previous page");
    EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &lifted), 0);
    EXPECT_EQ(log.errors, Texts{std::string("write error in the file '") + row.failed + "'"});
    EXPECT_TRUE(log.info.empty());
    EXPECT_EQ(FilesBelow("."), Texts{"map.htm"});  // no partial page beside it
  }
  EXPECT_TRUE(OutputList().empty());
}

// Branch pages stop at kMaxPageLevels levels: the pages of the last level
// list their branches as leaves and say how many items they leave out.
TEST_F(Pages, BranchPagesStopAtTheirLevelLimitAndSayWhatTheyLeaveOut) {
  Tree chain("");
  AppendChain(chain.list(), 66);  // L63 on the last page level, two levels below it
  Generate(Settings(VELLUM_OUTPUT_PAGED_UL_LIST, "map.htm"), chain.list());
  EXPECT_TRUE(log.errors.empty());
  ASSERT_EQ(log.info.size(), 65u);
  EXPECT_EQ(log.info[0],
            "   'map63.htm' - the pages stop at 64 levels: 2 items below it left out\n");
  EXPECT_EQ(log.info[1], "   Generate 'map63.htm' page\n");
  EXPECT_EQ(log.info.back(), "   Generate 'map.htm' page\n");
  EXPECT_EQ(OutputList().size(), 64u);
  EXPECT_FALSE(fs::exists("map64.htm"));
  EXPECT_THAT(ReadBytes("map63.htm"), HasSubstr("<LI><A HREF=\"L63.htm\">L63</A><BR>"));
}

// A project file may name any place. A page or picture outside the
// project's folder is written, and its folder made, only when the user
// named that output for this run or says yes, once a folder; a file the
// project reads is never written over. Until then nothing is written.
TEST_F(Pages, PlacesOutsideTheProjectOrReadByItAreWrittenOnlyWhenAllowed) {
  ScratchDir elsewhere;
  ASSERT_TRUE(project::Save(project::TheProject(), (here.dir() / "site.bpj").c_str()));
  const std::string project_file = ReadBytes("site.bpj");
  const std::string home = here.dir().Write("site/index.htm", "home");
  here.dir().Write("paper.gif", "GIF");
  fs::create_directory(elsewhere / "linked");
  fs::create_directory_symlink(elsewhere / "linked", "linked");
  const std::string no = elsewhere / "no/map.htm", outside = elsewhere / "new/map.htm",
                    chosen = elsewhere / "chosen/map.htm",
                    picture_outside = elsewhere / "named/../pics/paper.gif",
                    site = here.dir() / "site.bpj", paper = here.dir() / "paper.gif";
  const auto beyond = [](const std::string& path) {
    return Texts{"'" + path + "' lies outside the project's folder: not written"};
  };
  const auto read = [](const std::string& path) {
    return Texts{"'" + path + "' is a file the project reads: not written over"};
  };
  const struct {
    std::string output;
    const char* image_folder;
    int answer;
    bool named;
    Texts errors;
    std::size_t questions;
    std::vector<std::string> written;  // beside the page
  } rows[] = {
      {no, "", 0, false, beyond(no), 1, {}},
      {outside, "img", 1, false, {}, 1, {"map.htm", "img/paper.gif"}},
      {chosen, "img", 0, true, {}, 0, {"map.htm", "img/paper.gif"}},
      {elsewhere / "named/map.htm", "../pics", 0, true, beyond(picture_outside), 1, {}},
      {"map.htm", "linked", 0, false, beyond("linked/paper.gif"), 1, {}},
      {site, "", 1, false, read(site), 0, {}},
      {home, "", 1, false, read(home), 0, {}},
      {paper, "", 1, false, read(paper), 0, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.output + " " + row.image_folder);
    InstallMessageLog().answer = row.answer;
    if (row.named) ChooseOutput(row.output.c_str());
    Generate(Settings(VELLUM_OUTPUT_UL_LIST, row.output.c_str(), &S::BackgroundImage, "paper.gif",
                      &S::ImageFolder, row.image_folder),
             Tree("Home -> site/index.htm").list());
    ChooseOutput(nullptr);
    EXPECT_EQ(log.errors, row.errors);
    EXPECT_EQ(log.questions.size(), row.questions);
    const fs::path folder = fs::path(PageFileOf(row.output)).parent_path();
    for (const std::string& file : row.written) EXPECT_TRUE(fs::exists(folder / file)) << file;
  }
  // Where the answer was no, no folder was made, and nothing written.
  EXPECT_FALSE(fs::exists(elsewhere / "no"));
  EXPECT_FALSE(fs::exists(elsewhere / "pics"));
  EXPECT_TRUE(fs::is_empty(elsewhere / "linked"));
  EXPECT_FALSE(fs::exists(elsewhere / "named/map.htm"));
  EXPECT_FALSE(fs::exists("map.htm"));
  EXPECT_EQ(ReadBytes(site), project_file);
  EXPECT_EQ(ReadBytes(home), "home");
  EXPECT_EQ(ReadBytes("paper.gif"), "GIF");
}

// ---------------------------------------------------------------------------
// Resources copied beside a page, from the shipped resource folder.

constexpr const char* kTree = "Apple -> apple.htm\n  7up -> 7up.htm\n_x -> x.htm";
const std::string kResources = kSourceRoot + "Resource/";

// Beside an absolute page, in its image folder; the pictures only the
// scripts show are registered with the scripts. Copies are whole files of
// the resource folder.
TEST(CopyResources, EachOutputTypeBesideAnAbsolutePage) {
  const struct {
    int output_type;
    const char *files, *registered;  // below the page's folder
  } rows[] = {
      {VELLUM_OUTPUT_UL_LIST, "map.htm", "map.htm"},
      {VELLUM_OUTPUT_PAGED_UL_LIST, "map.htm map1.htm", "map1.htm map.htm"},
      {VELLUM_OUTPUT_ICON_TREE, "img/iicon0.gif img/iicon1.gif map.htm", "map.htm"},
      {VELLUM_OUTPUT_SCRIPT_TREE,
       "img/iicon0.gif img/iicon1.gif img/iicon2.gif img/iicon3.gif img/iicon4.gif map.htm "
       "tree0.js tree4.js",
       "map.htm img/iicon1.gif img/iicon4.gif tree0.js tree4.js"},
      {VELLUM_OUTPUT_NAV_COMBO, "map.htm", "map.htm"},
      {VELLUM_OUTPUT_INDEX_PAGE, "img/ichar7.gif img/ichara.gif img/icharother.gif map.htm",
       "map.htm"},
      {VELLUM_OUTPUT_LEVEL_TABLE, "map.htm", "map.htm"},
  };
  EngineStart engine(kSourceRoot);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.output_type);
    InScratchDir here;
    const std::string web = here.dir() / "web/";
    fs::create_directory(web);
    Tree tree(kTree);
    Generate(Settings(row.output_type, (web + "map.htm").c_str(), &S::ImageFolder, "img"),
             tree.list());
    EXPECT_EQ(FilesBelow(web), Words(row.files));
    EXPECT_EQ(OutputList(), AllMatches(row.registered, "\\S+", web + "$&"));
    for (const std::string& file : OutputList()) {
      project::RemoveFile(project::TheProject(), file.c_str());  // the next row starts from none
    }
    EXPECT_TRUE(Messages().errors.empty());
    for (const std::string& file : Words(row.files)) {
      if (file.starts_with("map")) continue;
      const std::string source = file.ends_with(".js")           ? "Script/" + file
                                 : file.starts_with("img/ichar") ? "Index/" + file.substr(4)
                                                                 : file;
      EXPECT_EQ(ReadBytes(web + file), ReadBytes(kResources + source)) << file;
    }
  }
}

TEST(CopyResources, AnUnreadablePictureIsDrawnWithoutSizeAndCopiedAsItIs) {
  InScratchDir here;
  here.dir().Write("root/Resource/Schemes/odd.scm",
                   "Type = 1 Pict = \"leaf.gif\" Pict = \"branch.gif\"");
  here.dir().Write("root/Resource/Schemes/img/leaf.gif", "not a picture");
  fs::copy_file(kResources + "img/iicon1.gif", here.dir() / "root/Resource/Schemes/img/branch.gif");
  EngineStart engine(here.dir() / "root/");
  Tree tree("A -> a.htm\n  B -> b.htm");
  Generate(Settings(VELLUM_OUTPUT_ICON_TREE, "icons.htm", &S::SchemeName, "odd"), tree.list());
  const std::string page = ReadBytes("icons.htm");
  EXPECT_THAT(page, HasSubstr("<IMG WIDTH=16 HEIGHT=16 SRC=\"branch.gif\" CLASS=ICO BORDER=0>"));
  EXPECT_THAT(page, HasSubstr("<IMG SRC=\"leaf.gif\" CLASS=ICO BORDER=0>"));
  EXPECT_EQ(ReadBytes("leaf.gif"), "not a picture");
  // A script tree from a scheme of two pictures lacks the other three.
  Generate(Settings(VELLUM_OUTPUT_SCRIPT_TREE, "tree.htm", &S::SchemeName, "odd"), tree.list());
  EXPECT_THAT(ReadBytes("tree.htm"),
              HasSubstr("return false\">\r\n</A>&nbsp<A HREF=\"a.htm\">A</A><BR>"));
}

// ---------------------------------------------------------------------------
// Picture schemes.

// A picture of the resource folder: 16 x 16 tree icons, 20 x 20 letters.
const std::string kIcon = kSourceRoot + "Resource/img/iicon0.gif";
const std::string kLetter = kSourceRoot + "Resource/Index/ichara.gif";

// An installation root in a scratch folder, for start-up to load schemes
// from.
class SchemeRoot : public ::testing::Test {
 protected:
  std::string Root() const { return dir.path().string() + "/"; }

  std::string WriteScheme(const std::string& name, std::string_view text) const {
    return dir.Write("Resource/Schemes/" + name, text);
  }

  void CopyPicture(const std::string& from, const std::string& to) const {
    fs::create_directories(fs::path(dir / to).parent_path());
    fs::copy_file(from, dir / to);
  }

  // The report of a syntax error at rule in file (below the root).
  std::string Bad(const char* file, int rule) const {
    return std::string("'")
        .append(Root())
        .append(file)
        .append("' - bad scheme (line ")
        .append(std::to_string(rule))
        .append(")");
  }

  // The loaded schemes, as start-up left them in the configuration.
  static std::vector<const ImageScheme*> Loaded() {
    const EngineConfig& config = config::TheConfig();
    std::vector<const ImageScheme*> schemes;
    for (int32_t i = 0; i < config.SchemeCount; ++i) schemes.push_back(&config.Schemes[i]);
    return schemes;
  }

  // Loads the scheme files of paths, with every allocation after the first
  // successes failing when successes is not -1.
  static void Load(std::vector<std::string> paths, int successes = -1) {
    CountedStringList files;
    core::Init(files);
    for (std::string& path : paths) {
      core::Add(files, path.data(), core::kKeepBookmarks | core::kKeepArguments);
    }
    core::testing::FailAllocationAfter(successes);
    LoadSchemes(files);
    core::testing::FailAllocationAfter(-1);
    core::Clear(files);
  }

  // Loads the scheme file text alone; null when it was not loaded.
  const ImageScheme* LoadOne(std::string_view text) {
    Load({WriteScheme("one.scm", text)});
    return Loaded().empty() ? nullptr : Loaded().front();
  }

  ScratchDir dir;
};

TEST_F(SchemeRoot, SyntaxErrorsNameTheirRuleAndKeepTheFileOut) {
  EngineStart engine(Root());
  const struct {
    const char* text;
    std::vector<int> rules;
    int pictures;  // -1: not loaded
  } rows[] = {
      {"Type = 1 Pict = \"a.gif\" Pict = \"b.gif\"", {}, 2},
      {"type=1 pict=\"a.gif\" ipict=z,\"z.gif\" TYPE = 1.5", {}, 2},
      {"Pict \"a.gif\"", {128}, -1},
      {"Pict = a.gif", {132}, -1},
      {"Type 1", {150}, -1},
      {"Type = \"1\"", {154}, -1},
      {"IPict \"a.gif\"", {216}, -1},
      {"IPict = \"A\", \"a.gif\"", {221}, -1},
      {"IPict = A \"a.gif\"", {226}, -1},
      {"IPict = 7up, \"a.gif\"", {226}, -1},
      {"IPict = A, a.gif", {230}, -1},
      {"Colour = 1", {254}, -1},
      {"\"a.gif\"", {254}, -1},
      {"Pict = \"a.gif\" */ Pict = \"b.gif\"", {71}, 1},  // the text ends at "*/"
      {"Pict = */", {71, 132}, -1},
      {"IPict = A, \"\"", {}, -1},  // silently
      {"Pict = \"a.gif\" /* never closed", {}, 1},
      {"Pict = \"a.gif\" // Pict = \"b.gif\"\n Pict = \"c.gif\"", {}, 1},
      {"Pict = \"a.gif\" // Pict = \"b.gif\"\r Pict = \"c.gif\"", {}, 2},
      {"Pict = \"a.gif", {132}, -1},
      {"", {}, 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    MessageLog& log = InstallMessageLog();
    const ImageScheme* scheme = LoadOne(row.text);
    Texts expected;
    for (int rule : row.rules) expected.push_back(Bad("Resource/Schemes/one.scm", rule));
    EXPECT_EQ(log.info, expected);
    EXPECT_TRUE(log.errors.empty());
    EXPECT_EQ(scheme != nullptr ? scheme->Count : -1, row.pictures);
  }
}

// The last type given counts; quotes in names are kept as written.
TEST_F(SchemeRoot, EntriesGiveTypeKeysAndFiles) {
  EngineStart engine(Root());
  const std::string entries =
      "IPict = Apple, \"a.gif\" IPict = 7, \"7.gif\" IPict = .5, \"d\\\"q.gif\"\n"
      "Pict = \"\" Type = 2 Type = 1";
  ASSERT_EQ(LoadOne(entries + " IPict = \"b\""), nullptr);  // the last entry fails
  const ImageScheme* scheme = LoadOne(entries);
  ASSERT_NE(scheme, nullptr);
  EXPECT_EQ(scheme->Type, 1);
  std::string pictures;
  for (int32_t i = 0; i < scheme->Count; ++i) {
    const SchemePicture& picture = scheme->Pictures[i];
    pictures.append(1, static_cast<char>(picture.Key) ?: '0') += picture.File ?: "(none)";
  }
  EXPECT_EQ(pictures, "Aa.gif77.gif.d\\\"q.gif0(none)");
}

TEST_F(SchemeRoot, StartUpLoadsEverySchemeBelowSchemesInListingOrder) {
  WriteScheme("dark/blue.old.scm", "Type = 1 Pict = \"p.gif\" Pict = \"gone.gif\" Pict = \"\"");
  CopyPicture(kIcon, "Resource/Schemes/dark/img/p.gif");
  WriteScheme("a.scm",
              "Type = 2 IPict = A, \"a.gif\" IPict = B, \"a.gif\" IPict = C, \"a.gif\" "
              "IPict = D, \"a.gif\" IPict = E, \"a.gif\"");
  CopyPicture(kLetter, "Resource/Schemes/Index/a.gif");
  WriteScheme("four.scm",  // too few for an index scheme
              "Type = 2 IPict = A, \"a.gif\" IPict = B, \"a.gif\" "
              "IPict = C, \"a.gif\" IPict = D, \"a.gif\"");
  WriteScheme("bad.scm", "Colour = 1");
  WriteScheme("notes.txt", "Type = 1");
  WriteScheme(".hidden/h.scm", "Type = 1");
  EngineStart engine(Root());
  EXPECT_EQ(Messages().info, Texts{Bad("Resource/Schemes/bad.scm", 254)});

  const std::vector<const ImageScheme*> loaded = Loaded();
  ASSERT_EQ(loaded.size(), 2u);
  EXPECT_STREQ(loaded[0]->Name, "a");
  EXPECT_EQ(loaded[0]->Type, 2);
  EXPECT_EQ(loaded[0]->Pictures[4].Width, 20);  // measured in Index/
  const ImageScheme& blue = *loaded[1];
  EXPECT_STREQ(blue.Name, "blue");
  EXPECT_EQ(blue.Folder, Root() + "Resource/Schemes/dark/");
  ASSERT_EQ(blue.Count, 3);
  EXPECT_EQ(blue.Pictures[0].Width, 16);
  EXPECT_EQ(blue.Pictures[0].Height, 16);
  EXPECT_EQ(blue.Pictures[1].Width, 0);  // unreadable: still loaded
  EXPECT_EQ(blue.Pictures[1].Height, 0);
  EXPECT_EQ(blue.Pictures[2].File, nullptr);
}

// index.scm replaces the built-in letters, measured where its pictures are
// copied from; the tree icons stay built in, in the same resource folder.
// Releasing brings the built-in letters back.
TEST_F(SchemeRoot, IndexScmReplacesTheBuiltInLetters) {
  dir.Write("Resource/index.scm", "/* no Type */ IPict = A, \"a.gif\" IPict = B, \"b.gif\"");
  CopyPicture(kLetter, "Resource/Index/a.gif");
  WriteScheme("blue.scm", "Type = 1 Pict = \"t.gif\"");
  {
    EngineStart engine(Root());
    const ImageScheme* letters = FindScheme(VELLUM_OUTPUT_INDEX_PAGE, nullptr);
    EXPECT_STREQ(letters->Name, "index");
    EXPECT_EQ(letters->Folder, Root() + "Resource/");
    EXPECT_EQ(letters->Type, -1);
    ASSERT_EQ(letters->Count, 2);
    EXPECT_EQ(letters->Pictures[0].Width, 20);
    EXPECT_EQ(letters->Pictures[1].Width, 0);
    const ImageScheme* icons = FindScheme(VELLUM_OUTPUT_ICON_TREE, nullptr);
    EXPECT_STREQ(icons->Name, "Base");
    EXPECT_EQ(icons->Folder, Root() + "Resource/");
    EXPECT_EQ(icons->Count, 5);
    ASSERT_EQ(Loaded().size(), 1u);
    ReleaseSchemes();
    EXPECT_TRUE(Loaded().empty());
    EXPECT_EQ(FindScheme(VELLUM_OUTPUT_INDEX_PAGE, nullptr)->Count, 37);
    ReleaseSchemes();
  }
  EXPECT_EQ(config::TheConfig().Schemes, nullptr);
  EXPECT_EQ(FindScheme(VELLUM_OUTPUT_INDEX_PAGE, nullptr)->Folder, nullptr);
}

TEST_F(SchemeRoot, AnIndexScmThatFailsKeepsTheBuiltInLetters) {
  dir.Write("Resource/index.scm", "Type = 2 IPict = A, \"a.gif\" Colour");
  EngineStart engine(Root());
  EXPECT_EQ(Messages().info, Texts{Bad("Resource/index.scm", 254)});
  const ImageScheme* letters = FindScheme(VELLUM_OUTPUT_INDEX_PAGE, nullptr);
  EXPECT_EQ(letters->Count, 37);
  EXPECT_EQ(letters->Folder, Root() + "Resource/");
}

TEST_F(SchemeRoot, FindSchemeByOutputTypeAndName) {
  WriteScheme("1/blue.scm", "Type = 1 Pict = \"t.gif\"");
  WriteScheme("2/blue.scm",
              "Type = 2 IPict = A, \"a\" IPict = B, \"b\" IPict = C, \"c\" IPict = D, \"d\" "
              "IPict = E, \"e\"");
  WriteScheme("3/green.scm", "Type = 1");
  WriteScheme("4/green.scm", "Type = 1");
  WriteScheme("5/plain.scm", "Pict = \"t.gif\"");
  EngineStart engine(Root());
  const std::vector<const ImageScheme*> loaded = Loaded();
  ASSERT_EQ(loaded.size(), 5u);
  const ImageScheme* icons = FindScheme(VELLUM_OUTPUT_ICON_TREE, nullptr);
  const ImageScheme* letters = FindScheme(VELLUM_OUTPUT_INDEX_PAGE, nullptr);
  ASSERT_NE(icons, letters);

  const struct {
    int output_type;
    const char* name;
    const ImageScheme* found;
    bool reported;
  } rows[] = {
      {VELLUM_OUTPUT_ICON_TREE, "BLUE", loaded[0], false},
      {VELLUM_OUTPUT_INDEX_PAGE, "Blue", loaded[1], false},
      {VELLUM_OUTPUT_ICON_TREE, "green", loaded[2], false},  // the first loaded
      {VELLUM_OUTPUT_ICON_TREE, "plain", icons, true},       // no type given
      {VELLUM_OUTPUT_INDEX_PAGE, "green", letters, true},
      {VELLUM_OUTPUT_SCRIPT_TREE, "nope", icons, true},
      {VELLUM_OUTPUT_ICON_TREE, "", icons, false},
      {VELLUM_OUTPUT_SCRIPT_TREE, nullptr, icons, false},
      {VELLUM_OUTPUT_UL_LIST, "blue", nullptr, true},
      {VELLUM_OUTPUT_NAV_COMBO, "green", nullptr, true},
      {VELLUM_OUTPUT_LEVEL_TABLE, nullptr, nullptr, false},
  };
  for (const auto& row : rows) {
    const std::string name = row.name != nullptr ? row.name : "";
    SCOPED_TRACE(std::to_string(row.output_type) + " " + name);
    MessageLog& log = InstallMessageLog();
    EXPECT_EQ(FindScheme(row.output_type, row.name), row.found);
    EXPECT_EQ(log.info, row.reported ? Texts{"'" + name + "' - not found\n"} : Texts{});
  }
}

TEST_F(SchemeRoot, RunningOutOfMemoryIsReportedAsInfoAndLeavesNothingHalfLoaded) {
  const std::vector<std::string> files{
      WriteScheme("a.scm", "Type = 1 Pict = \"a.gif\" Pict = \"b.gif\""),
      WriteScheme("b.scm", "Type = 1 Pict = \"c.gif\"")};
  EngineStart engine(Root());
  // Every allocation of a load in turn: the table, each file's text, each
  // record's texts and array, the built-in folder.
  for (int successes = 0; successes < 16; ++successes) {
    SCOPED_TRACE(successes);
    MessageLog& log = InstallMessageLog();
    Load(files, successes);
    // The file loader reports its own failure as an error.
    Texts reports = log.info;
    reports.insert(reports.end(), log.errors.begin(), log.errors.end());
    EXPECT_THAT(reports, AnyOf(IsEmpty(), ElementsAre("memory overflou")));
    EXPECT_TRUE(!reports.empty() || Loaded().size() == 2u);
    EXPECT_TRUE(successes > 0 || log.info.size() == 1u);  // the table
    // What was kept is whole.
    for (const ImageScheme* scheme : Loaded()) {
      EXPECT_NE(scheme->Name, nullptr);
      EXPECT_NE(scheme->Folder, nullptr);
      for (int32_t i = 0; i < scheme->Count; ++i) EXPECT_NE(scheme->Pictures[i].File, nullptr);
    }
  }
}

// Small pictures as their formats lay them out; the pixel data is never read.
std::string LittleEndian16(int value) { return {char(value & 0xFF), char(value >> 8)}; }
std::string BigEndian32(uint32_t value) {
  return {char(value >> 24), char(value >> 16 & 0xFF), char(value >> 8 & 0xFF), char(value & 0xFF)};
}

// A logical screen of 40x30 with a global colour table, then frames of the
// given sizes, then the trailer.
std::string Gif(std::initializer_list<std::pair<int, int>> frames, bool trailer = true) {
  std::string gif = "GIF89a" + LittleEndian16(40) + LittleEndian16(30) +
                    std::string("\x80\0\0", 3) + std::string(6, '\xFF') + "!\xF9\x04" +
                    std::string(5, '\0');
  for (const auto& [width, height] : frames) {
    gif += ',';
    gif += LittleEndian16(3) + LittleEndian16(4) + LittleEndian16(width) + LittleEndian16(height) +
           std::string("\0\x02\x02\x44\x01\0", 6);
  }
  return trailer ? gif + ";" : gif;
}

std::string PngChunk(const std::string& type, const std::string& data, uint32_t crc_change = 0) {
  const std::string checked = type + data;
  const auto crc = static_cast<uint32_t>(
      crc32(0, reinterpret_cast<const Bytef*>(checked.data()), static_cast<uInt>(checked.size())));
  return BigEndian32(static_cast<uint32_t>(data.size())) + checked + BigEndian32(crc ^ crc_change);
}

std::string Png(uint32_t header_crc_change = 0) {
  return "\x89PNG\r\n\x1A\n" +
         PngChunk("IHDR", BigEndian32(7) + BigEndian32(9) + std::string("\x08\x02\0\0\0", 5),
                  header_crc_change) +
         PngChunk("tEXt", std::string("a\0b", 3)) + PngChunk("IDAT", std::string(12, '\0')) +
         PngChunk("IEND", "");
}

std::string JpegSegment(char code, const std::string& body) {
  const auto length = static_cast<int>(body.size() + 2);
  return std::string{'\xFF', code, char(length >> 8), char(length & 0xFF)} + body;
}

// 33x17, with Exif data and fill bytes before the frame header.
std::string Jpeg(char frame_code = '\xC2', char precision = 8) {
  return "\xFF\xD8" + JpegSegment('\xE1', std::string("Exif\0\0", 6) + std::string(20, '\0')) +
         "\xFF\xFF" + JpegSegment('\xDB', '\0' + std::string(64, '\x01')) +
         JpegSegment(frame_code, std::string{precision, 0, 17, 0, 33, 3} +
                                     std::string("\x01\x22\0\x02\x11\0\x03\x11\0", 9)) +
         JpegSegment('\xC4', std::string("\0\x01", 2) + std::string(16, '\0')) +
         JpegSegment('\xDA', std::string("\x03\x01\0\x02\0\x03\0\0\x3F\0", 10)) +
         std::string(8, '\0') + "\xFF\xD9";
}

TEST(ReadImageSize, OnlyReadablePicturesHaveASize) {
  InScratchDir here;
  EngineStart engine(kSourceRoot);
  const ScratchDir& dir = here.dir();
  fs::create_directory(dir / "folder.gif");
  ASSERT_EQ(mkfifo((dir / "pipe.gif").c_str(), 0600), 0);
  fs::copy_file(kIcon, dir / "a:b[0].gif");
  const struct {
    std::string path;
    const char* size;
  } rows[] = {
      // Read from the file's own structure. A GIF's size is its first
      // frame's, whatever its logical screen.
      {dir / "a:b[0].gif", "16x16"},
      {kLetter, "20x20"},
      {dir.Write("frame.gif", Gif({{10, 5}})), "10x5"},
      {dir.Write("frames.GIF", Gif({{10, 5}, {50, 60}})), "10x5"},
      {dir.Write("gif.png", Gif({{10, 5}})), "10x5"},  // the contents decide
      {dir.Write("a.png", Png()), "7x9"},
      {dir.Write("a.jpg", Jpeg()), "33x17"},
      // Left to ImageMagick, which these start.
      {dir.Write("no-trailer.gif", Gif({{10, 5}}, false)), "10x5"},
      {dir.Write("png.txt", Png()), "7x9"},
      {dir.Write("bad-header.png", Png(1)), "0x0"},
      {dir.Write("lossless.jpg", Jpeg('\xC3')), "0x0"},
      {dir.Write("12-bit.jpg", Jpeg('\xC2', 12)), "0x0"},
      {dir.Write("text.gif", "GIF89a but not really"), "0x0"},
      {dir.Write("empty.gif", ""), "0x0"},
      // No picture files.
      {dir / "folder.gif", "0x0"},
      {dir / "pipe.gif", "0x0"},
      {dir / "missing.gif", "0x0"},
      {"", "0x0"},
      {"gif:" + kIcon, "0x0"},
      {dir / std::string(5000, 'x'), "0x0"},
  };
  for (const auto& [path, size] : rows) {
    int32_t width = -1, height = -1;
    // Start-up and the pictures read before this one needed no ImageMagick.
    if (path == dir / "no-trailer.gif") {
      EXPECT_EQ(IsMagickCoreInstantiated(), MagickFalse);
    }
    EXPECT_EQ(ReadImageSize(path.c_str(), width, height), size[0] != '0') << path;
    EXPECT_EQ(std::to_string(width) + "x" + std::to_string(height), size) << path;
  }
}

}  // namespace
}  // namespace vellum::generate

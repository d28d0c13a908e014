#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/memory.h"
#include "project/project.h"
#include "project/project_file.h"
#include "project/site_settings.h"
#include "support/golden.h"
#include "support/map_tree.h"
#include "support/message_log.h"
#include "support/scratch_dir.h"

namespace vellum::project {
namespace {

using test::Messages;
using test::StoredText;

std::string Golden(const std::string& name) { return std::string(VELLUM_GOLDEN_DIR "/") + name; }

// The eighteen texts of a site map, all empty.
const std::string kEmptyTexts = R"("","","","","","","","","","","","","","","","","","")";

class ProjectFileTest : public ::testing::Test {
 protected:
  void SetUp() override { test::InstallMessageLog(); }
  void TearDown() override { Close(TheProject()); }

  // Stores text (line feeds as CR LF) as a project file and opens it. The
  // "#" is part of the file's name.
  bool OpenText(std::string_view text) {
    path_ = dir_.Write("site #2.bpj", StoredText(text));
    return Open(TheProject(), path_.c_str());
  }
  bool OpenGolden(const char* name) { return OpenText(test::ReadBytes(Golden(name))); }

  test::ScratchDir dir_;
  std::string path_;
};

std::string DeepTree(int depth) {
  std::string text = test::ReadBytes(Golden("new_project.bpj"));
  for (int i = 0; i < depth; ++i) text += "\nMapItem={\"u\",\"n\",{";
  text += "\nMapItem={\"leaf\",\"\"}";
  for (int i = 0; i < depth; ++i) text += "\n}";
  return text;
}

// The deep tree is read and written without recursion.
TEST_F(ProjectFileTest, WrittenFilesReadBackAndAreWrittenAgainByteForByte) {
  for (const char* name : {"every_kind.bpj", "escapes.bpj", "new_project.bpj", "empty_texts.bpj",
                           "targets_and_files.bpj"}) {
    SCOPED_TRACE(name);
    test::InstallMessageLog();
    ASSERT_TRUE(OpenGolden(name));
    EXPECT_EQ(TheProject().Modified, 0);
    TheProject().Modified = 1;  // saved without a path: to its own, keeping the mark
    EXPECT_TRUE(Save(TheProject(), nullptr));
    EXPECT_EQ(TheProject().Modified, 1);
    test::ExpectGoldenFile(path_, Golden(name));
    EXPECT_TRUE(Messages().info.empty() && Messages().errors.empty());
    // A project that holds an FTP password (only targets_and_files, last: a
    // replaced file keeps its mode) is its owner's alone.
    struct stat info;
    ASSERT_EQ(stat(path_.c_str(), &info), 0);
    EXPECT_EQ((info.st_mode & 0777) == 0600, std::string_view(name) == "targets_and_files.bpj");
  }
  const std::string deep = DeepTree(200000);
  ASSERT_TRUE(OpenText(deep));
  EXPECT_TRUE(Save(TheProject(), (dir_ / "out.bpj").c_str()));
  EXPECT_EQ(test::ReadBytes(dir_ / "out.bpj"), StoredText(deep));
}

TEST_F(ProjectFileTest, ValuesOfEveryKindAreReadIntoTheirMembers) {
  ASSERT_TRUE(OpenGolden("every_kind.bpj"));
  const Project& project = TheProject();
  const std::pair<int, uint32_t> expected[] = {
      {VELLUM_KIND_CHECK, 0x5},      {VELLUM_KIND_CHRTRAN, 0x5},     {VELLUM_KIND_METATAG, 0x55},
      {VELLUM_KIND_PACK, 0xDEFFD},   {VELLUM_KIND_PASTE, 13},        {VELLUM_KIND_REPORT, 0x7C0F},
      {VELLUM_KIND_STRTRAN, 0x6},    {VELLUM_KIND_UPLOAD, 0xFF},     {VELLUM_KIND_COMMAND, 0},
      {VELLUM_KIND_SITEMAP, 0x8000}, {VELLUM_KIND_SSITEMAP, 0x3F8F}, {VELLUM_KIND_GALLERY, 0x35555},
      {VELLUM_KIND_SGALLERY, 0},     {VELLUM_KIND_MP3LIST, 0xAAAA},  {VELLUM_KIND_SMP3LIST, 0},
  };
  std::vector<std::pair<int, uint32_t>> kinds;
  for (int i = 0; i < project.ItemCount; ++i)
    kinds.emplace_back(project.Items[i].Kind, project.Items[i].Flags);
  EXPECT_EQ(kinds, std::vector(std::begin(expected), std::end(expected)));
  const ScriptItem& upload = project.Items[7];
  EXPECT_STREQ(upload.Body.Other.Texts[3], "d");
  EXPECT_EQ(upload.Body.Other.Numbers[0], -7);
  EXPECT_EQ(project.Items[6].Body.Other.Texts[1], nullptr);  // "" is kept as none

  const SiteMapSettings& plain = project.Items[9].Body.SiteMap;
  EXPECT_EQ(std::vector<int>({plain.OutputType, plain.Mode, plain.FontSize, plain.FontStyle,
                              plain.TopListType, plain.SubListType, plain.TableBorder}),
            std::vector<int>({2, 5, 3, 1, 2, 3, -1}));
  EXPECT_STREQ(plain.VisitedColor, "s");

  EXPECT_EQ(test::DumpTree(project.Items[10].Entries),
            "Home | index.html\n  A | a.html\n  B | b.html\n    B1 | b1.html\n- | c.html\n");
  EXPECT_EQ(test::DumpTree(project.Items[12].Entries), "First | pic1.jpg\n- | pic2.jpg\n");
  EXPECT_EQ(test::DumpTree(project.Items[14].Entries), "- | song.mp3\n");
}

TEST_F(ProjectFileTest, VersionsAboveOneAreRefused) {
  const std::pair<const char*, bool> cases[] = {{"1.00", true},    {"1", true},     {"0.9", true},
                                                {"001.000", true}, {"1.0.7", true}, {"1.01", false},
                                                {"2", false},      {"10.0", false}};
  for (const auto& [version, accepted] : cases) {
    SCOPED_TRACE(version);
    test::InstallMessageLog();
    Close(TheProject());
    EXPECT_EQ(OpenText(std::string("FormatVersion=") + version + "\n[Common]\nType=1"), accepted);
    EXPECT_EQ(TheProject().Type, accepted ? 1 : 2);
    EXPECT_EQ(Messages().errors.size(), accepted ? 0u : 1u);
    EXPECT_THAT(Messages().errors, ::testing::Each("invalid version project file"));
    EXPECT_TRUE(Messages().info.empty());
  }
}

// How each fault ends reading: the result of open, the syntax report's line
// (0: no report) and what stays read. Each text follows "formatversion=":
// keys and sections are read without regard to case.
TEST_F(ProjectFileTest, EachFaultEndsReadingAsItsClassSays) {
  const std::string site_map = "SSiteMap={\"\",001000," + kEmptyTexts + ",1,";
  const struct {
    const char* name;
    std::string text;
    bool opened;
    int report_line, items, added;
  } cases[] = {
      {"fault on the first line", "1 }", false, 1, 0, 0},
      {"fault just after the first line feed", "1\n}", false, 2, 0, 0},
      {"version line without its number", "\n[Common]", false, 2, 0, 0},
      {"unknown section", "1\n[Commons]\nType=1", false, 2, 0, 0},
      {"Type above 2 in Common", "1\n[Common]\nAddFile=\"a.html\"\nType=3\nDescription=\"d\"",
       false, 4, 0, 1},
      {"malformed AddFile, silently", "1\n[Common]\nAddFile=a.html\nType=1", false, 0, 0, 0},
      {"Macros of the wrong form", "1\n[ScriptMacros]\nMacros=1", false, 3, 0, 0},
      {"item key without its opening, silently",
       "1\n[ScriptList]\nCheck={\"c\",1010}\nCheck=\"d\",1010}", false, 0, 1, 0},
      {"gallery entry without a gallery, silently",
       "1\n[ScriptList]\nCheck={\"c\",1010}\nGalItem={\"a\",\"b\"}", false, 0, 1, 0},
      {"token that starts nothing in ScriptList", "1\n[ScriptList]\nCheck={\"c\",1010}\nType=2",
       false, 4, 1, 0},
      {"broken values stop reading as the end would",
       "1\n[ScriptList]\nCheck={\"c\",1010}\nChrTran={\"t\",\"a\",\"b\"}\n"
       "Check={\"later\",0000}",
       true, 4, 2, 0},
      {"site-map flag run of 15 digits",
       "1\n[ScriptList]\n" + site_map + "111100011111110}\nCheck={\"c\",0000}", true, 3, 1, 0},
      {"site-map flag run of 17 digits",
       "1\n[ScriptList]\n" + site_map + "11110001111111001}\nCheck={\"c\",0000}", true, 0, 2, 0},
      {"MapItem after a plain site map",
       "1\n[ScriptList]\n" + site_map.substr(1) +
           "0000000000000000}\nMapItem={\"u\",\"n\"}\nCheck={\"c\",0000}",
       true, 4, 1, 0},
      {"MapItem without children after its comma",
       "1\n[ScriptList]\n" + site_map +
           "0000000000000000}\nMapItem={\"u\",\"n\",{}\nCheck={\"c\",0000}",
       true, 4, 1, 0},
      {"keys and sections in any case",
       "1\n[COMMON]\ntype=1\nSOURCE=\"a.html\"\n[scriptlist]\nsitemap={\"x\",000000," +
           kEmptyTexts + ",0,0000000000000000}",
       true, 0, 1, 0},
      {"a line comment runs to the next carriage return, past line feeds",
       "1\n[ScriptList]\n// note\nCheck={\"c\",1010}\rCheck={\"d\",0000}", true, 0, 1, 0},
      // The page settings go into every page: nothing but their values.
      {"a markup that is none", "1\n[VellumPage]\nMarkup=2", false, 3, 0, 0},
      {"a language that is no language tag", "1\n[VellumPage]\nLang=\"en\\\"><x\"", false, 3, 0, 0},
      {"a language tag of a digit first", "1\n[VellumPage]\nLang=\"1en\"", false, 3, 0, 0},
      {"a site key in the page section", "1\n[VellumPage]\nOrder=1", false, 3, 0, 0},
      {"comment close outside a comment ends the text", "1\n[Common]\nType=1\n*/\nType=0", true, 4,
       0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    test::InstallMessageLog();
    Close(TheProject());
    EXPECT_EQ(OpenText("formatversion=" + c.text), c.opened);
    const std::string report =
        "'" + path_ + "' - bad profect (line " + std::to_string(c.report_line) + ")";
    EXPECT_EQ(Messages().info,
              c.report_line == 0 ? std::vector<std::string>{} : std::vector<std::string>{report});
    EXPECT_TRUE(Messages().errors.empty());
    EXPECT_EQ(TheProject().ItemCount, c.items);
    EXPECT_EQ(TheProject().AddedCount, c.added);
    // Modified is cleared only by a successful open; a failed one leaves
    // what reading did (adding a file or an item sets it).
    EXPECT_EQ(TheProject().Modified, !c.opened && (c.added > 0 || c.items > 0) ? 1 : 0);
  }
}

TEST_F(ProjectFileTest, ItemsWithBrokenValuesKeepWhatWasRead) {
  EXPECT_TRUE(
      OpenText("FormatVersion=1\n[ScriptList]\nSSiteMap={\"kept\",201000,\"out.html\","
               "\"pics\",7}\nMapItem={\"u\",\"n\"}"));
  ASSERT_EQ(TheProject().ItemCount, 1);
  const ScriptItem& item = TheProject().Items[0];
  EXPECT_EQ(std::string(item.Name) + " " + item.Body.SiteMap.ImageFolder, "kept pics");
  EXPECT_EQ(item.Body.SiteMap.OutputType, 2);
  EXPECT_TRUE(item.Body.SiteMap.SchemeName == nullptr && item.Entries.Count == 0);
}

TEST_F(ProjectFileTest, ProjectsThatCannotBeReadAreReported) {
  const std::string missing = dir_ / "missing.bpj";
  EXPECT_FALSE(Open(TheProject(), missing.c_str()));
  EXPECT_EQ(Messages().errors, std::vector<std::string>{"file '" + missing + "' not found\n"});

  for (const std::string name : {"every_kind.bpj", "targets_and_files.bpj"}) {
    const std::string text =
        test::ReadBytes(Golden(name)) + (name == "every_kind.bpj" ? "\nCheck={\"c\",0000}" : "");
    const std::string file = dir_.Write(name, StoredText(text));
    for (int successes = 0;; ++successes) {
      test::InstallMessageLog();
      core::testing::FailAllocationAfter(successes);
      const bool opened = Open(TheProject(), file.c_str());
      core::testing::FailAllocationAfter(-1);
      Close(TheProject());
      if (Messages().errors.empty()) {
        EXPECT_TRUE(opened);
        break;  // every allocation succeeded
      }
      EXPECT_EQ(Messages().errors.front(), "memory overflou") << successes;
    }
  }
}

// The site's and the pages' sections, every key of them, read into the
// settings and are written back as they were; once the project is closed, a
// project without them is saved without them.
TEST_F(ProjectFileTest, TheSiteAndPageSectionsAreReadAndWrittenBackByteForByte) {
  const std::string text =
      test::ReadBytes(Golden("new_project.bpj")) +
      "\n[VellumSite]"
      "\nPageLimit=500\nDepthLimit=3\nOrder=2\nSitemapExtras=3"
      "\nInclude=\"/docs/*\"\nExclude=\"*.pdf \\\"old\\\" \\\\x\""
      "\nSiteURL=\"https://www.example.com/\""
      "\nScanBase=\"http://127.0.0.1:8000/index.html\""
      // In the order of their bytes, taken as unsigned, however far past
      // the shared start two addresses first differ.
      "\nModified={\"http://h/a\",1}"
      "\nModified={\"http://h/a b.html\",1704164645}"
      "\nModified={\"http://h/a b.html?page=10\",2}"
      "\nModified={\"http://h/a b.html?page=9\",3}"
      "\nModified={\"http://h/c.html\",0}"
      "\nModified={\"http://h/\xC3\xA9.html\",4}"
      "\nImages={\"http://h/a b.html\",\"http://h/p.png\",\"http://h/\\\"q\\\".png\"}"
      "\nAlternates={\"http://h/a b.html\",\"de\",\"http://h/de/\",\"x-default\",\"http://h/\"}"
      "\nImages={\"http://h/c.html\",\"http://h/c.png\"}"
      "\n[VellumPage]\nMarkup=1\nLang=\"zh-Hant-TW\"";
  ASSERT_TRUE(OpenText(text));
  EXPECT_EQ(ThePageSettings().markup, VELLUM_MARKUP_HTML5);
  EXPECT_EQ(ThePageSettings().Language(), "zh-Hant-TW");
  const SiteSettings& site = TheSiteSettings();
  EXPECT_EQ(site.depth_limit, 3);
  EXPECT_EQ(site.exclude, "*.pdf \"old\" \\x");
  EXPECT_EQ(site.modified.at("http://h/a b.html"), 1704164645);
  EXPECT_EQ(site.sitemap_extras, int32_t{VELLUM_SITEMAP_IMAGES | VELLUM_SITEMAP_ALTERNATES});
  const web::PageExtras& extras = site.extras.at("http://h/a b.html");
  EXPECT_EQ(extras.images, (std::vector<std::string>{"http://h/p.png", "http://h/\"q\".png"}));
  EXPECT_EQ(extras.alternates[1], (web::LanguageAlternate{"x-default", "http://h/"}));
  EXPECT_TRUE(Save(TheProject(), nullptr));
  EXPECT_EQ(test::ReadBytes(path_), StoredText(text));
  EXPECT_TRUE(Messages().info.empty() && Messages().errors.empty());

  Close(TheProject());
  EXPECT_TRUE(TheSiteSettings().IsDefault());
  EXPECT_TRUE(ThePageSettings().IsDefault());
  ASSERT_TRUE(OpenGolden("new_project.bpj"));
  EXPECT_TRUE(Save(TheProject(), nullptr));
  EXPECT_EQ(test::ReadBytes(path_), StoredText(test::ReadBytes(Golden("new_project.bpj"))));
}

// The last scan's section reads into the record and is written back as it
// was; a number that names no address, or an entry deeper than its place
// allows, fails the read with the syntax report.
TEST_F(ProjectFileTest, TheLastScanIsReadAndWrittenBackByteForByte) {
  const std::string head = test::ReadBytes(Golden("new_project.bpj")) +
                           "\n[VellumScan]\nMode=0\nFlags=14\nBase=\"http://h/\"";
  const std::string text = head +
                           "\nEntry={0,\"http://h/\",\"Home\"}"
                           "\nEntry={1,\"http://h/a.html\",\"A \\\"1\\\"\"}"
                           "\nEntry={1,\"\",\"Folder\"}"
                           "\nAddress=\"http://h/\"\nAddress=\"http://h/a.html\""
                           "\nPage={0,\"\\\"e1\\\"\",1704164645,-1,0,\"Home\",-1,{1,0}}"
                           "\nPage={1,\"\",1704164645,-1,1,\"A \\\"1\\\"\",0,{},1704067200}";
  ASSERT_TRUE(OpenText(text));
  const LastScan& scan = TheSiteSettings().last_scan;
  EXPECT_EQ(scan.flags, 14u);
  EXPECT_EQ(scan.tree.size(), 3u);
  const scan::KeptPages& pages = scan.pages;
  const scan::KeptPage* home = pages.Find("http://h/");
  ASSERT_NE(home, nullptr);
  EXPECT_EQ(home->version.etag, "\"e1\"");
  ASSERT_EQ(home->links.size(), 2u);
  EXPECT_EQ(pages.Address(home->links[0]), "http://h/a.html");
  EXPECT_EQ(pages.Address(home->links[1]), "http://h/");
  ASSERT_NE(pages.Find("http://h/a.html"), nullptr);
  EXPECT_EQ(pages.Address(pages.Find("http://h/a.html")->canonical), "http://h/");
  EXPECT_EQ(pages.Find("http://h/a.html")->listed, 1704067200);
  EXPECT_TRUE(Save(TheProject(), nullptr));
  EXPECT_EQ(test::ReadBytes(path_), StoredText(text));

  for (const char* broken : {"\nEntry={1,\"http://h/\",\"Home\"}", "\nMode=3",
                             "\nAddress=\"x\"\nPage={1,\"\",0,0,0,\"\",-1,{}}",
                             "\nAddress=\"x\"\nPage={0,\"\",0,0,0,\"\",-1,{0,1}}"}) {
    Close(TheProject());
    test::InstallMessageLog();
    EXPECT_FALSE(OpenText(head + broken)) << broken;
    EXPECT_EQ(Messages().info.size(), 1u) << broken;
  }
}

// A save that cannot open its file reports the path; one that cannot
// complete keeps the old file. Either way the project stays modified.
TEST_F(ProjectFileTest, AFailedSaveReportsAndKeepsTheOldFile) {
  EXPECT_FALSE(Save(TheProject(), nullptr));  // no path at all: nothing to report
  EXPECT_TRUE(Messages().errors.empty());
  const std::string folder = dir_ / "a-folder";
  std::filesystem::create_directory(folder);
  for (const std::string& path : {dir_ / "no/such/folder/p.bpj", folder}) {
    test::InstallMessageLog();
    TheProject().Modified = 1;
    EXPECT_FALSE(Save(TheProject(), path.c_str()));
    EXPECT_EQ(Messages().errors, std::vector<std::string>{"can't open file '" + path + "'"});
    EXPECT_STREQ(TheProject().FilePath, path.c_str());
    EXPECT_EQ(TheProject().Modified, 1);
  }
  EXPECT_TRUE(std::filesystem::is_directory(folder));

  // The file holds an older, smaller project; the new one would pass the
  // file size limit (lifted again after the save, or the process could not
  // write its coverage counts at exit).
  ASSERT_TRUE(OpenText(DeepTree(5000)));
  const std::string old_bytes = StoredText(test::ReadBytes(Golden("every_kind.bpj")));
  dir_.Write("site #2.bpj", old_bytes);
  TheProject().Modified = 1;
  signal(SIGXFSZ, SIG_IGN);
  rlimit unlimited{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &unlimited), 0);
  const rlimit limit{old_bytes.size() + 100, unlimited.rlim_max};
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  test::InstallMessageLog();
  EXPECT_FALSE(Save(TheProject(), nullptr));
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &unlimited), 0);
  EXPECT_EQ(Messages().errors, std::vector<std::string>{"write error in the file"});
  EXPECT_EQ(test::ReadBytes(path_), old_bytes);
  EXPECT_EQ(TheProject().Modified, 1);
  // No partial file is left beside it.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path()), {}), 2);
}

}  // namespace
}  // namespace vellum::project

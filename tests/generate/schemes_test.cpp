// Loading picture schemes at start-up, index.scm, choosing a scheme, and
// measuring pictures.
#include "generate/schemes.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "config/engine_config.h"
#include "core/counted_string_list.h"
#include "core/memory.h"
#include "generate_support.h"

namespace vellum::generate {
namespace {

namespace fs = std::filesystem;
using test::EngineStart;
using test::ScratchDir;
using Texts = std::vector<std::string>;

// A picture of the resource folder: 16 x 16 tree icons, 20 x 20 letters.
const std::string kIcon = test::kSourceRoot + "Resource/img/iicon0.gif";
const std::string kLetter = test::kSourceRoot + "Resource/Index/ichara.gif";

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
    return std::string("'") + Root() + file + "' - bad scheme (line " + std::to_string(rule) + ")";
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
      {"Type = -1", {154}, -1},
      {"IPict \"a.gif\"", {216}, -1},
      {"IPict = \"A\", \"a.gif\"", {221}, -1},
      {"IPict = A \"a.gif\"", {226}, -1},
      {"IPict = A \",\" \"a.gif\"", {226}, -1},
      {"IPict = 7up, \"a.gif\"", {226}, -1},
      {"IPict = A, a.gif", {230}, -1},
      {"Colour = 1", {254}, -1},
      {"Pict = \"a.gif\" = \"b.gif\"", {254}, -1},
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
    test::MessageLog& log = test::InstallMessageLog();
    const ImageScheme* scheme = LoadOne(row.text);
    Texts expected;
    for (int rule : row.rules) expected.push_back(Bad("Resource/Schemes/one.scm", rule));
    EXPECT_EQ(log.info, expected);
    EXPECT_TRUE(log.errors.empty());
    ASSERT_EQ(scheme != nullptr, row.pictures >= 0);
    if (scheme != nullptr) {
      EXPECT_EQ(scheme->Count, row.pictures);
    }
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
  EXPECT_EQ(test::Messages().info, Texts{Bad("Resource/Schemes/bad.scm", 254)});

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
  EXPECT_EQ(test::Messages().info, Texts{Bad("Resource/index.scm", 254)});
  const ImageScheme* letters = FindScheme(VELLUM_OUTPUT_INDEX_PAGE, nullptr);
  ASSERT_EQ(letters->Count, 37);
  EXPECT_STREQ(letters->Pictures[10].File, "ichara.gif");
  EXPECT_EQ(letters->Pictures[36].Key, -1);
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
      {VELLUM_OUTPUT_SCRIPT_TREE, "blue", loaded[0], false},
      {VELLUM_OUTPUT_INDEX_PAGE, "Blue", loaded[1], false},
      {VELLUM_OUTPUT_ICON_TREE, "green", loaded[2], false},  // the first loaded
      {VELLUM_OUTPUT_ICON_TREE, "plain", icons, true},       // no type given
      {VELLUM_OUTPUT_INDEX_PAGE, "green", letters, true},
      {VELLUM_OUTPUT_SCRIPT_TREE, "nope", icons, true},
      {VELLUM_OUTPUT_ICON_TREE, "", icons, false},
      {VELLUM_OUTPUT_SCRIPT_TREE, nullptr, icons, false},
      {VELLUM_OUTPUT_INDEX_PAGE, nullptr, letters, false},
      {VELLUM_OUTPUT_UL_LIST, "blue", nullptr, true},
      {VELLUM_OUTPUT_NAV_COMBO, "green", nullptr, true},
      {VELLUM_OUTPUT_LEVEL_TABLE, nullptr, nullptr, false},
      {7, nullptr, nullptr, false},
  };
  for (const auto& row : rows) {
    const std::string name = row.name != nullptr ? row.name : "";
    SCOPED_TRACE(std::to_string(row.output_type) + " " + name);
    test::MessageLog& log = test::InstallMessageLog();
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
    test::MessageLog& log = test::InstallMessageLog();
    Load(files, successes);
    // The file loader reports its own failure as an error.
    Texts reports = log.info;
    reports.insert(reports.end(), log.errors.begin(), log.errors.end());
    if (reports.empty()) {
      EXPECT_EQ(Loaded().size(), 2u);
      continue;
    }
    EXPECT_EQ(reports, Texts{"memory overflou"});
    if (successes == 0) {
      EXPECT_EQ(log.info.size(), 1u);  // the table
    }
    // What was kept is whole.
    for (const ImageScheme* scheme : Loaded()) {
      EXPECT_NE(scheme->Name, nullptr);
      EXPECT_NE(scheme->Folder, nullptr);
      for (int32_t i = 0; i < scheme->Count; ++i) EXPECT_NE(scheme->Pictures[i].File, nullptr);
    }
  }
}

TEST(ReadImageSize, OnlyReadablePicturesHaveASize) {
  test::InScratchDir here;
  EngineStart engine(test::kSourceRoot);
  const ScratchDir& dir = here.dir();
  dir.Write("text.gif", "GIF89a but not really");
  dir.Write("empty.gif", "");
  fs::create_directory(dir / "folder.gif");
  ASSERT_EQ(mkfifo((dir / "pipe.gif").c_str(), 0600), 0);
  fs::copy_file(kIcon, dir / "a:b[0].gif");
  const std::string unreadable[] = {dir / "text.gif",    dir / "empty.gif",
                                    dir / "folder.gif",  dir / "pipe.gif",
                                    dir / "missing.gif", "",
                                    "gif:" + kIcon,      dir / std::string(5000, 'x')};
  for (const std::string& path : unreadable) {
    int32_t width = -1, height = -1;
    EXPECT_FALSE(ReadImageSize(path.c_str(), width, height)) << path;
    EXPECT_EQ(width + height, 0) << path;
  }
  int32_t width = -1, height = -1;
  EXPECT_TRUE(ReadImageSize((dir / "a:b[0].gif").c_str(), width, height));
  EXPECT_EQ(width * height, 16 * 16);
  EXPECT_TRUE(ReadImageSize(kLetter.c_str(), width, height));
  EXPECT_EQ(width * height, 20 * 20);
}

}  // namespace
}  // namespace vellum::generate

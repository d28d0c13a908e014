#include <gtest/gtest.h>
#include <magick/MagickCore.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "config/config_file.h"
#include "config/engine_config.h"
#include "config/start_up.h"
#include "core/memory.h"
#include "core/messages.h"
#include "support/message_log.h"
#include "support/scratch_dir.h"

namespace vellum::config {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using Texts = std::vector<std::string>;

// The settings that are not none or 0, as "Key=[text]" or "Key=number", in
// file order, separated by spaces.
std::string DescribeSettings(const EngineConfig& config) {
  std::string out;
  auto text = [&out](const char* key, const char* value) {
    if (value != nullptr) out.append(" ").append(key).append("=[").append(value).append("]");
  };
  auto number = [&out](const char* key, int32_t value) {
    if (value != 0) out.append(" ").append(key).append("=").append(std::to_string(value));
  };
  text("ExtPage", config.ExtPage);
  text("ExtPicts", config.ExtPicts);
  text("Editor", config.Editor);
  text("Firewall", config.Firewall);
  number("PortFW", config.PortFW);
  number("Passive", config.Passive);
  text("Proxy", config.Proxy);
  number("PortProxy", config.PortProxy);
  number("UseProxy", config.UseProxy);
  return out.empty() ? out : out.substr(1);
}

void ResetSettings(EngineConfig& config) {
  ReleaseSettings(config);
  config.PortFW = config.Passive = config.PortProxy = config.UseProxy = 0;
}

std::string BadFile(const std::string& path, int line) {
  return "'" + path + "' - bad profect (line " + std::to_string(line) + ")";
}

class ConfigFileTest : public ::testing::Test {
 protected:
  void TearDown() override {
    core::testing::FailAllocationAfter(-1);
    ResetSettings(record_);
    ResetSettings(TheConfig());
    ReleaseMember(TheConfig().RootFolder);
  }

  // Makes config_home (in the scratch folder) the user's configuration
  // home and returns the path of the user's file there.
  std::string UseConfigHome(const std::string& config_home = "config") {
    setenv("XDG_CONFIG_HOME", (dir_ / config_home).c_str(), 1);
    return dir_ / (config_home + "/vellumark/Vellum.cfg");
  }

  test::MessageLog& log_ = test::InstallMessageLog();
  test::ScratchDir dir_;
  EngineConfig record_{};
};

TEST_F(ConfigFileTest, ReaderFollowsEveryRuleOfTheSyntax) {
  const struct {
    std::string text;
    int line;              // of the one report, 0 for none (the file was read to its end)
    std::string settings;  // DescribeSettings afterwards
  } cases[] = {{"extpage = \"*.htm\" \r\n\tpassive\t=\t7", 0, "ExtPage=[*.htm] Passive=1"},
               {"USEPROXY=1firewall=\"fw\"PORTFW=21EXTPICTS=\"*.gif\"portproxy=8080", 0,
                "ExtPicts=[*.gif] Firewall=[fw] PortFW=21 PortProxy=8080 UseProxy=1"},
               {"ExtPage=\"a\" ExtPage=\"b\"", 0, "ExtPage=[b]"},
               {"PortFW=0 Proxy=\"\"", 0, ""},  // zero and empty are unset
               {"PortFW=1.5 PortProxy=99999999999999", 0, "PortFW=1 PortProxy=2147483647"},
               {R"(Editor="x\"y\\")", 0, R"(Editor=[x\"y\\])"},
               {R"(Editor="a\" Proxy="b")", 1, R"(Editor=[a\" Proxy=])"},
               {"/* note */ExtPage=\"a\"// to the CR\rProxy=\"p\"", 0, "ExtPage=[a] Proxy=[p]"},
               {"// a line feed does not end it\nProxy=\"p\"", 0, ""},
               {"ExtPage=\"a\" /* Proxy=\"p\"", 0, "ExtPage=[a]"},
               // A string closes on its line: the report names the line without the quote.
               {"/* two\r\nlines */\r\nProxy=\"p\"\r\nExtPage=\"*.htm\r\nExtPicts=\"*.gif\"", 4,
                "Proxy=[p]"},
               {"ExtPage=\"a\" \"Proxy", 1, "ExtPage=[a]"},
               {"*/ ExtPage=\"a\"", 1, ""},
               {"ExtPage \"a\"", 1, ""},
               {"ExtPage=5", 1, ""},
               {"Proxy=\"p\"\nExtPage=\"abc", 2, "Proxy=[p]"},
               {"Proxy=\"p\"\nExtPage=\n5", 2, "Proxy=[p]"},  // the line of the key
               {"Proxy=", 1, ""},
               {"PortFW=-5", 1, ""},
               {"ExtPage=\"a\"\n\nBogus=\"x\"", 3, "ExtPage=[a]"},
               {"= ExtPage=\"a\"", 1, ""},
               // A key is cut after 70.
               {std::string(71, 'E') + "=\"a\"", 1, ""}};
  for (const auto& row : cases) {
    SCOPED_TRACE(row.text);
    ResetSettings(record_);
    test::InstallMessageLog();
    const std::string path = dir_.Write("_Vellum.cfg", row.text);
    EXPECT_EQ(ReadConfigFile(path, record_), row.line == 0 ? 1 : 0);
    EXPECT_EQ(log_.info, row.line == 0 ? Texts{} : Texts{BadFile(path, row.line)});
    EXPECT_TRUE(log_.errors.empty());
    EXPECT_EQ(DescribeSettings(record_), row.settings);
  }
}

TEST_F(ConfigFileTest, PutWritesTheExactBytesThatReadBackAsTheSameSettings) {
  const std::string path = UseConfigHome();
  PutConfig(record_);  // the folder is made
  EXPECT_EQ(ReadBytes(path), "");
  record_.ExtPage = "*.htm;*.php";
  record_.ExtPicts = "*.gif";
  record_.Editor = R"(/usr/bin/editor --new \"%s\")";  // quotes kept by backslashes
  record_.Firewall = "fw";
  record_.PortFW = 2121;
  record_.Passive = 1;
  record_.Proxy = "proxy.example";
  record_.PortProxy = 3128;
  record_.UseProxy = 7;  // a flag: written as 1
  PutConfig(record_);
  record_ = {};
  EXPECT_TRUE(log_.errors.empty());
  EXPECT_EQ(ReadBytes(path),
            "ExtPage=\"*.htm;*.php\"\r\nExtPicts=\"*.gif\"\r\n"
            "Editor=\"/usr/bin/editor --new \\\"%s\\\"\"\r\nFirewall=\"fw\"\r\nPortFW=2121\r\n"
            "Passive=1\r\nProxy=\"proxy.example\"\r\nPortProxy=3128\r\nUseProxy=1\r\n");
  EXPECT_EQ(ReadConfigFile(path, record_), 1);
  EXPECT_EQ(DescribeSettings(record_),
            R"(ExtPage=[*.htm;*.php] ExtPicts=[*.gif] Editor=[/usr/bin/editor --new \"%s\"] )"
            "Firewall=[fw] PortFW=2121 Passive=1 Proxy=[proxy.example] PortProxy=3128 UseProxy=1");

  // The engine's own record rewrites the same bytes and keeps its texts.
  const std::string bytes = ReadBytes(path);
  const char* ext_page = TheConfig().ExtPage;
  PutConfig(TheConfig());
  EXPECT_EQ(TheConfig().ExtPage, ext_page);
  EXPECT_EQ(ReadBytes(path), bytes);
}

TEST_F(ConfigFileTest, PutKeepsEqualTextsAndRefusesWhatTheFileCannotCarry) {
  std::string path = UseConfigHome();
  EngineConfig& config = TheConfig();
  config.ExtPage = core::CopyText("*.htm");
  config.Editor = core::CopyText("old editor");
  config.ExtPicts = core::CopyText("*.gif");
  config.PortFW = 21;
  const char* kept = config.ExtPage;

  record_.ExtPage = core::CopyText("*.htm");  // equal: the same text stays
  record_.ExtPicts = core::CopyText("");      // empty: none
  record_.Proxy = core::CopyText("C:\\proxy\\");
  record_.Editor = core::CopyText("say \"hi\"");
  record_.Firewall = core::CopyText("a\\\"b\\\\");  // escaped: carried unchanged
  record_.PortFW = -1;
  record_.PortProxy = 80;
  PutConfig(record_);
  const std::string refused = " not changed: Vellum.cfg can't hold a ";
  EXPECT_EQ(log_.errors,
            (Texts{"'Editor'" + refused + "value with a double quote or ending in a backslash",
                   "'PortFW'" + refused + "negative number",
                   "'Proxy'" + refused + "value with a double quote or ending in a backslash"}));
  EXPECT_EQ(config.ExtPage, kept);
  EXPECT_NE(config.Firewall, record_.Firewall);
  EXPECT_EQ(DescribeSettings(config),
            "ExtPage=[*.htm] Editor=[old editor] Firewall=[a\\\"b\\\\] PortFW=21 PortProxy=80");
  ResetSettings(record_);
  EXPECT_EQ(ReadConfigFile(path, record_), 1);
  EXPECT_EQ(DescribeSettings(record_), DescribeSettings(config));

  // A string ends on its line: a line feed would stop the next start's read.
  log_.errors.clear();
  ReleaseMember(record_.Editor);
  record_.Editor = core::CopyText("two\nlines");
  PutConfig(record_);
  EXPECT_EQ(log_.errors, Texts{"'Editor'" + refused + "value with a line feed"});
  EXPECT_STREQ(config.Editor, "old editor");
}

TEST_F(ConfigFileTest, PutIntoAFolderThatCannotBeMadeOrWithoutMemoryStillChangesTheRecord) {
  dir_.Write("file", "");
  const std::string path = UseConfigHome("file");
  TheConfig().ExtPage = core::CopyText("*.htm");
  record_.ExtPage = core::CopyText("*.html");
  record_.Proxy = core::CopyText("p");
  core::testing::FailAllocationAfter(0);  // the copy of ExtPage fails: it is none
  PutConfig(record_);
  EXPECT_EQ(log_.errors, (Texts{"memory overflou", "can't open file '" + path + "'"}));
  EXPECT_EQ(DescribeSettings(TheConfig()), "Proxy=[p]");
}

TEST(UserConfigPath, LiesInTheXdgConfigHomeOrElseInHomesConfigFolder) {
  const struct {
    const char *config_home, *home, *path;
  } rows[] = {{"/x", "/h", "/x/vellumark/Vellum.cfg"},
              {nullptr, "/h", "/h/.config/vellumark/Vellum.cfg"},
              {"relative", "/h", "/h/.config/vellumark/Vellum.cfg"}};
  for (const auto& row : rows) {
    if (row.config_home != nullptr) {
      setenv("XDG_CONFIG_HOME", row.config_home, 1);
    } else {
      unsetenv("XDG_CONFIG_HOME");
    }
    setenv("HOME", row.home, 1);
    EXPECT_EQ(UserConfigPath(), row.path);
  }
}

// Rows of "program root": a folder named IDE (any case) gives way to its parent
// if it has one; a path without separator is the folder.
TEST(RootFolder, ComesFromTheProgramsFolderOrItsParentNamedIde) {
  for (std::string row :
       {"/a/IDE/p /a/", "/a/iDe/p /a/", "C:\\a\\IDE\\p.exe C:\\a\\", "/a/IDE\\p /a/", "/IDE/p /",
        "IDE/p IDE/", "p p/", "/a/myIDE/p /a/myIDE/", "/a/IDE/b/p /a/IDE/b/", "/a/IDEA/p /a/IDEA/"})
    EXPECT_EQ(RootFromProgramPath(row.substr(0, row.find(' '))), row.substr(row.find(' ') + 1));
}

// Each test runs in its own process: the environment and current folder are its own.
class StartUpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(cwd_);
    fs::create_directories(temp_);
    unsetenv("ZAZERIDOV");
    unsetenv("TMPDIR");
    setenv("TEMP", temp_.c_str(), 1);
    setenv("XDG_CONFIG_HOME", (dir_ / "config").c_str(), 1);
    ASSERT_EQ(chdir(cwd_.c_str()), 0);
  }
  void TearDown() override { ShutDown(); }

  // A program path inside the scratch root's IDE folder.
  std::string Program() const { return root_ + "/IDE/bramblel"; }

  test::ScratchDir dir_;
  const std::string root_ = dir_ / "root";
  const std::string cwd_ = dir_ / "cwd";
  const std::string temp_ = dir_ / "tmp";
};

TEST_F(StartUpTest, FilesAreReadInTheirOrderAndReportedOnceTheCallbacksExist) {
  dir_.Write("root/BIN/_Vellum.cfg", "ExtPage=\"*.htm\" Editor=\"ed\" Bogus=1 Firewall=\"lost\"");
  dir_.Write("root/BIN/Vellum.cfg", "ExtPage=\"*.html\" Proxy=\"saved\"");
  // A broken value keeps the value of the file before.
  const std::string user =
      dir_.Write("config/vellumark/Vellum.cfg", "Proxy=\"here\" PortProxy=8080\r\nExtPage=\"*.php");
  // A file in the current folder may come with a site someone else made.
  dir_.Write("cwd/Vellum.cfg", "Proxy=\"injected\" PortProxy=1 UseProxy=1");
  EXPECT_EQ(StartUp(Program().c_str()), 1);
  core::ReportError("made after start-up, before the callbacks");  // dropped
  auto& log = test::InstallMessageLog();
  EXPECT_EQ(log.info, (Texts{BadFile(root_ + "/BIN/_Vellum.cfg", 1), BadFile(user, 2)}));
  EXPECT_TRUE(log.errors.empty());
  EXPECT_STREQ(TheConfig().RootFolder, (root_ + "/").c_str());
  EXPECT_EQ(DescribeSettings(TheConfig()),
            "ExtPage=[*.html] Editor=[ed] Proxy=[here] PortProxy=8080");
  // ImageMagick starts with the first picture that needs it, not before.
  EXPECT_EQ(IsMagickCoreInstantiated(), MagickFalse);
}

// A program in PREFIX/bin beside PREFIX/share/vellumark: the root is there and
// the administrator's settings are in the system's settings folder, not in BIN.
TEST_F(StartUpTest, AProgramInstalledByTheFileSystemHierarchyFindsTheSystemPlaces) {
  dir_.Write("usr/share/vellumark/BIN/_Vellum.cfg", "ExtPage=\"*.htm\" Editor=\"ed\"");
  dir_.Write("usr/share/vellumark/BIN/Vellum.cfg", "Editor=\"not an administrator's\"");
  dir_.Write("usr/bin/" VELLUM_SYSTEM_SETTINGS "/Vellum.cfg", "Firewall=\"fw\" Proxy=\"admin\"");
  dir_.Write("config/vellumark/Vellum.cfg", "Proxy=\"user\"");
  ASSERT_EQ(StartUp((dir_ / "usr/bin/vellumark").c_str()), 1);
  EXPECT_STREQ(TheConfig().RootFolder, (dir_ / "usr/share/vellumark/").c_str());
  EXPECT_EQ(DescribeSettings(TheConfig()),
            "ExtPage=[*.htm] Editor=[ed] Firewall=[fw] Proxy=[user]");
}

TEST_F(StartUpTest, AnEmptyPathTakesTheRootFromZazeridovAndASecondStartUpChangesNothing) {
  dir_.Write("root/BIN/_Vellum.cfg", "ExtPage=\"*.htm\"");
  dir_.Write("other/BIN/_Vellum.cfg", "ExtPage=\"*.php\" Proxy=\"p\"");
  setenv("ZAZERIDOV", root_.c_str(), 1);
  ASSERT_EQ(StartUp(""), 1);
  const std::string temp = TheConfig().TempFolder;
  EXPECT_EQ(StartUp((dir_ / "other/IDE/bramblel").c_str()), 1);
  setenv("ZAZERIDOV", (dir_ / "other").c_str(), 1);
  EXPECT_EQ(StartUp(nullptr), 1);
  EXPECT_STREQ(TheConfig().RootFolder, (root_ + "/").c_str());
  EXPECT_EQ(TheConfig().TempFolder, temp);
  EXPECT_EQ(DescribeSettings(TheConfig()), "ExtPage=[*.htm]");
  EXPECT_EQ(std::distance(fs::directory_iterator(temp_), fs::directory_iterator()), 1);
}

TEST_F(StartUpTest, WithoutPathOrZazeridovStartUpFailsOnce) {
  EXPECT_EQ(StartUp(nullptr), 0);
  EXPECT_TRUE(TheConfig().RootFolder == nullptr && TheConfig().TempFolder == nullptr);
  EXPECT_TRUE(fs::is_empty(temp_));
  auto& log = test::InstallMessageLog();
  EXPECT_EQ(log.errors, Texts{"envelopment variable 'ZAZERIDOV' not found"});
  EXPECT_EQ(StartUp(nullptr), 1);
  EXPECT_EQ(log.errors.size(), 1u);
}

TEST_F(StartUpTest, TheTemporaryFolderLiesBelowTempOrElseTmpdir) {
  const std::string missing = dir_ / "missing";
  const struct {
    std::string temp, tmpdir, folder_start;
  } rows[] = {{temp_ + "/", "", temp_ + "/VMTemp-"},  // no second separator
              {"", temp_, temp_ + "/VMTemp-"},
              {missing, temp_, ""}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.temp);
    setenv("TEMP", row.temp.c_str(), 1);
    setenv("TMPDIR", row.tmpdir.c_str(), 1);
    TheConfig().Started = 0;  // a fresh start-up
    ASSERT_EQ(StartUp(Program().c_str()), 1);
    const std::string folder = TheConfig().TempFolder;
    EXPECT_TRUE(row.folder_start.empty() ? folder.empty()
                                         : folder.rfind(row.folder_start, 0) == 0 &&
                                               folder.back() == '/' && fs::is_directory(folder))
        << folder;
  }
  EXPECT_EQ(test::InstallMessageLog().errors,
            Texts{"can't create the temporary folder in '" + missing + "'"});
}

TEST_F(StartUpTest, ShutDownDeletesPlainFilesAndLinksButNotSubfolders) {
  ASSERT_EQ(StartUp(Program().c_str()), 1);
  EXPECT_TRUE(StartImageLibrary());
  const std::string folder = TheConfig().TempFolder;
  const std::string kept = dir_.Write("kept.txt", "x");
  for (const char* name : {"a.txt", "no-dot", "sub/inner.txt"})
    dir_.Write(fs::relative(folder, dir_.path()).string() + "/" + name, "");
  fs::create_symlink(kept, folder + "link.txt");

  ShutDown();
  EXPECT_TRUE(fs::exists(kept));  // a link is removed, never what it points to
  EXPECT_EQ(fs::directory_iterator(folder)->path().filename(), "sub");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
  EXPECT_TRUE(TheConfig().TempFolder == nullptr && TheConfig().RootFolder == nullptr);
  EXPECT_EQ(IsMagickCoreInstantiated(), MagickFalse);
  EXPECT_FALSE(StartImageLibrary());  // not once the engine has stopped
  ShutDown();                         // again: harmless
}

// What the hooks saw, in order, with what was still there.
Texts events;
void LoadSchemes(const CountedStringList& files) {
  for (int i = 0; i < files.Count; ++i) events.push_back(files.Entries[i].Text);
}
void Purge() { events.push_back(fs::exists(TheConfig().TempFolder) ? "purge, temp" : "purge"); }
void Release() {
  events.push_back(std::string("release") + (TheConfig().ExtPage ? ", settings" : "") +
                   (TheConfig().TempFolder ? ", temp" : ""));
}

TEST_F(StartUpTest, HooksSeeTheSchemeFilesAndShutDownInOrder) {
  // A root whose name holds "#" and "?": scheme paths are kept whole.
  const std::string root = dir_ / "site #1?";
  dir_.Write("site #1?/BIN/_Vellum.cfg", "ExtPage=\"*.htm\"");
  for (const char* name : {"b.scm", "a.SCM", "notes.txt", "sub/c.scm", ".hidden/d.scm"})
    dir_.Write("site #1?/Resource/Schemes/" + std::string(name), "");
  SetStartUpHooks({LoadSchemes, Release, Purge});
  ASSERT_EQ(StartUp((root + "/IDE/bramblel").c_str()), 1);
  ShutDown();
  const std::string schemes = root + "/Resource/Schemes/";
  EXPECT_EQ(events, (Texts{schemes + "a.SCM", schemes + "b.scm", schemes + "sub/c.scm",
                           "purge, temp", "release, settings"}));
  SetStartUpHooks({});
}

}  // namespace
}  // namespace vellum::config
